# Native build: the core with the POSIX file layer, the fake platform and
# libcurl, its GoogleTest suites, benchmarks and tools.
find_package(OpenSSL REQUIRED)
find_package(CURL REQUIRED)
find_package(Threads REQUIRED)
find_package(GTest REQUIRED)
find_package(benchmark QUIET)

file(GLOB NATIVE_PLATFORM_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/platform/posix/*.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/fake/*.cpp)
add_library(strevo_native STATIC ${NATIVE_PLATFORM_SOURCES})
target_link_libraries(strevo_native PUBLIC strevo_core CURL::libcurl OpenSSL::Crypto Threads::Threads)
# The core itself calls libcrypto for password digests.
target_link_libraries(strevo_core PUBLIC OpenSSL::Crypto)

# The simulator: the real program on the fake platform, with the windows as
# scripted fakes. Used by strevo-sim, the scenario and form tests and the
# benchmarks.
file(GLOB SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/sim/*.cpp)
add_library(strevo_sim STATIC ${SIM_SOURCES})
target_link_libraries(strevo_sim PUBLIC strevo_native)

include(GoogleTest)
# One test executable per subsystem folder, labelled with the subsystem so that
# `ctest -L storage` runs one subsystem alone.
file(GLOB TEST_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
foreach(label storage analysis input core ui platform layout)
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${label}/*.cpp)
  if(test_sources)
    add_executable(test_${label} ${test_sources} ${TEST_SUPPORT_SOURCES})
    target_include_directories(test_${label} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(test_${label} PRIVATE strevo_sim GTest::gtest GTest::gmock)
    gtest_discover_tests(test_${label} PROPERTIES LABELS ${label} DISCOVERY_TIMEOUT 60)
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
