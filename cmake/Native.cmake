# Native builds: the core with the POSIX file layer and the fake platform,
# its GoogleTest suites, benchmarks and tools. The 64-bit build takes its
# libraries from Debian's packages; the static 32-bit build (STREVO_NATIVE32,
# cmake/linux-i386.cmake) takes libcrypto from the dependency folder,
# GoogleTest from Debian's sources, and has no libcurl (no HTTP client: the
# tests that need a server skip) and no benchmarks.
find_package(Threads REQUIRED)

# The native platform: the POSIX file layer, the HTTP client and the fake
# platform the program runs on here. Its HTTP client is libcurl, or none in
# the 32-bit build. Storage computes password digests with libcrypto, and ui
# decodes the windows' pictures with libjpeg and giflib.
if(STREVO_NATIVE32)
  set(STREVO_DEPS_PREFIX "" CACHE PATH "Folder with the 32-bit build of libcrypto (include/, lib/)")
  set(STREVO_LIBCRYPTO ${STREVO_DEPS_PREFIX}/lib/libcrypto.a)
  if(NOT EXISTS ${STREVO_LIBCRYPTO})
    message(FATAL_ERROR "32-bit libcrypto is missing: run scripts/setup (${STREVO_LIBCRYPTO})")
  endif()
  strevo_add_room(native EXCLUDE ".*/NativeHttpCurl\\.cpp$")
  target_link_libraries(strevo_native PUBLIC Threads::Threads)
  target_include_directories(strevo_storage SYSTEM PUBLIC ${STREVO_DEPS_PREFIX}/include)
  target_link_libraries(strevo_storage PUBLIC ${STREVO_LIBCRYPTO} Threads::Threads ${CMAKE_DL_LIBS})
  target_include_directories(strevo_ui SYSTEM PUBLIC ${STREVO_DEPS_PREFIX}/include)
  target_link_libraries(strevo_ui PUBLIC ${STREVO_DEPS_PREFIX}/lib/libjpeg.a ${STREVO_DEPS_PREFIX}/lib/libgif.a)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(STREVO_TEST_LIBRARIES gtest gmock)
  # GoogleTest's streaming of results to a socket makes the static glibc
  # warn that name lookups need its shared libraries at run time; the
  # option is never used here, and the warning is the only one the linker
  # gives these test programs.
  set(STREVO_TEST_LINK_OPTIONS -Wl,--no-warnings)
else()
  find_package(OpenSSL REQUIRED)
  find_package(CURL REQUIRED)
  find_package(JPEG REQUIRED)
  find_package(GIF REQUIRED)
  find_package(GTest REQUIRED)
  find_package(benchmark QUIET)
  strevo_add_room(native EXCLUDE ".*/NativeHttpNone\\.cpp$")
  target_link_libraries(strevo_native PUBLIC CURL::libcurl Threads::Threads)
  target_link_libraries(strevo_storage PUBLIC OpenSSL::Crypto)
  target_link_libraries(strevo_ui PUBLIC JPEG::JPEG GIF::GIF)
  set(STREVO_TEST_LIBRARIES GTest::gtest GTest::gmock)
endif()

# The simulator: the real program on the fake platform, with the windows as
# scripted fakes. Used by strevo-sim, the scenario and form tests and the
# benchmarks.
strevo_add_room(sim)

# Every room linked alone against the rooms it may use (cmake/Rooms.cmake):
# in the native and asan builds; the 32-bit and fuzz builds, built from the
# same rooms, leave it to them.
include(CMakeDependentOption)
cmake_dependent_option(STREVO_ROOM_LINK_CHECK "Link each room alone, so that a call into a room it may not use fails the build"
  ON "NOT CMAKE_CROSSCOMPILING;NOT STREVO_FUZZ" OFF)

include(GoogleTest)
# One test executable per subsystem folder, labelled with the subsystem so that
# `ctest -L storage` runs one subsystem alone.
# The tests' own code is built without optimisation and with line tables
# only: it runs little and compiles three times faster so; the program code
# under test keeps the build's optimisation and debug information. The
# support files are built once for all suites.
set(STREVO_TEST_COMPILE_OPTIONS -O0 -g1)
file(GLOB TEST_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(strevo_test_support STATIC ${TEST_SUPPORT_SOURCES})
target_include_directories(strevo_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(strevo_test_support PUBLIC strevo_sim ${STREVO_TEST_LIBRARIES})
target_compile_options(strevo_test_support PRIVATE ${STREVO_TEST_COMPILE_OPTIONS})
foreach(label storage analysis input core ui platform layout report)
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${label}/*.cpp)
  if(test_sources)
    add_executable(test_${label} ${test_sources})
    target_compile_options(test_${label} PRIVATE ${STREVO_TEST_COMPILE_OPTIONS})
    target_link_libraries(test_${label} PRIVATE strevo_test_support)
    target_link_options(test_${label} PRIVATE ${STREVO_TEST_LINK_OPTIONS})
    # Under emulation the listing takes longer.
    gtest_discover_tests(test_${label} PROPERTIES LABELS ${label} DISCOVERY_TIMEOUT 120)
  endif()
endforeach()

if(benchmark_FOUND)
  file(GLOB bench_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
  foreach(src IN LISTS bench_sources)
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE strevo_sim benchmark::benchmark)
  endforeach()
endif()

file(GLOB tool_dirs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tools/*)
foreach(dir IN LISTS tool_dirs)
  if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endforeach()

if(STREVO_NATIVE32)
  # The same long script through the 64-bit and the 32-bit simulator: the
  # figures and every file they write must be the same, byte for byte.
  set(STREVO_NATIVE64_SIM ${CMAKE_SOURCE_DIR}/build/native/tools/strevo-sim/strevo-sim CACHE FILEPATH
      "The 64-bit strevo-sim to compare with")
  add_test(NAME sim_32_and_64_bits_agree
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/sim-bits-compare ${STREVO_NATIVE64_SIM} $<TARGET_FILE:strevo-sim>
                   ${CMAKE_SOURCE_DIR}/data)
  set_tests_properties(sim_32_and_64_bits_agree PROPERTIES LABELS core TIMEOUT 900)
endif()
