# Windows build (mingw-w64): strevo.exe over the Win32 adapter, and the
# adapter's own tests, which run under Wine.
enable_language(RC)

# Storage computes password digests with libcrypto (which needs the
# system's sockets, certificate store and random numbers), ui decodes the
# windows' pictures with libjpeg and giflib.
set(STREVO_DEPS_PREFIX "" CACHE PATH "Folder with the mingw builds of libcrypto, libjpeg and giflib (include/, lib/)")
if(STREVO_DEPS_PREFIX)
  set(STREVO_LIBCRYPTO ${STREVO_DEPS_PREFIX}/lib/libcrypto.a)
  if(NOT EXISTS ${STREVO_LIBCRYPTO})
    message(FATAL_ERROR "libcrypto for this target is missing: run scripts/setup (${STREVO_LIBCRYPTO})")
  endif()
  foreach(library libjpeg.a libgif.a)
    if(NOT EXISTS ${STREVO_DEPS_PREFIX}/lib/${library})
      message(FATAL_ERROR "${library} for this target is missing: run scripts/setup")
    endif()
  endforeach()
  target_include_directories(strevo_storage SYSTEM PUBLIC ${STREVO_DEPS_PREFIX}/include)
  target_link_libraries(strevo_storage PUBLIC ${STREVO_LIBCRYPTO} ws2_32 crypt32 bcrypt)
  target_include_directories(strevo_ui SYSTEM PUBLIC ${STREVO_DEPS_PREFIX}/include)
  target_link_libraries(strevo_ui PUBLIC ${STREVO_DEPS_PREFIX}/lib/libjpeg.a ${STREVO_DEPS_PREFIX}/lib/libgif.a)
endif()

# The Win32 adapter: every room of the program over the real system.
strevo_add_room(win32 EXCLUDE ".*/main\\.cpp$")
target_link_libraries(strevo_win32 PUBLIC
  user32 gdi32 shell32 advapi32 ole32 oleaut32 msimg32 version)
target_compile_definitions(strevo_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# Everything static: the exe needs no DLL beside it (C/C++ runtime and
# winpthread included).
set(STATIC_FLAGS -static -static-libgcc -static-libstdc++)

configure_file(${CMAKE_SOURCE_DIR}/src/win32/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)
add_executable(strevo WIN32 ${CMAKE_SOURCE_DIR}/src/win32/main.cpp ${CMAKE_BINARY_DIR}/version.rc
  ${CMAKE_SOURCE_DIR}/src/win32/strevo.rc)
target_include_directories(strevo PRIVATE ${CMAKE_SOURCE_DIR}/src/win32)
target_link_libraries(strevo PRIVATE strevo_win32)
target_link_options(strevo PRIVATE ${STATIC_FLAGS} -Wl,--file-alignment,4096)

if(BUILD_TESTING AND STREVO_WINE_TESTS)
  # The end-to-end tests: strevo.exe installed with the default data, typed
  # at by a driver program of ours.
  add_executable(typing-driver ${CMAKE_SOURCE_DIR}/tools/typing-driver/driver.cpp)
  target_link_options(typing-driver PRIVATE ${STATIC_FLAGS})
  # The tutor's stand-in: installed as Quorvel.exe by the tests that launch it.
  add_executable(tutor-standin WIN32 ${CMAKE_SOURCE_DIR}/tools/tutor-standin/standin.cpp)
  target_link_options(tutor-standin PRIVATE ${STATIC_FLAGS})
  # The bare tray program: the floor tests/wine/idle measures the program against.
  add_executable(bare-tray WIN32 ${CMAKE_SOURCE_DIR}/tools/bare-tray/bare-tray.cpp)
  target_link_options(bare-tray PRIVATE ${STATIC_FLAGS})
  add_test(NAME win32_end_to_end COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/e2e $<TARGET_FILE:strevo> $<TARGET_FILE:typing-driver>
           ${CMAKE_SOURCE_DIR}/data ${CMAKE_BINARY_DIR}/e2e)
  set_tests_properties(win32_end_to_end PROPERTIES LABELS win32 TIMEOUT 300)
  add_test(NAME win32_advice COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/advice $<TARGET_FILE:strevo>
           $<TARGET_FILE:typing-driver> $<TARGET_FILE:tutor-standin> ${CMAKE_SOURCE_DIR}/data ${CMAKE_BINARY_DIR}/advice)
  set_tests_properties(win32_advice PROPERTIES LABELS win32 TIMEOUT 300)
  # Many second copies, a killed monitor, a second writer of the profile.
  # The native report tool, when built, checks that the files still load.
  add_test(NAME win32_stress COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/stress $<TARGET_FILE:strevo>
           $<TARGET_FILE:typing-driver> ${CMAKE_SOURCE_DIR}/data ${CMAKE_BINARY_DIR}/stress
           ${CMAKE_SOURCE_DIR}/build/native/tools/strevo-report/strevo-report)
  set_tests_properties(win32_stress PROPERTIES LABELS win32 TIMEOUT 600)
  # Hooks the system removed and a killed monitor: what the monitor keeps.
  add_test(NAME win32_field COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/field $<TARGET_FILE:strevo>
           $<TARGET_FILE:typing-driver> ${CMAKE_SOURCE_DIR}/data ${CMAKE_BINARY_DIR}/field
           ${CMAKE_SOURCE_DIR}/build/native/tools/strevo-report/strevo-report)
  set_tests_properties(win32_field PROPERTIES LABELS win32 TIMEOUT 120)
  # The x64 installer (built by scripts/dist from this build) installed,
  # used and uninstalled while the monitor runs.
  add_test(NAME win32_install COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/install ${CMAKE_BINARY_DIR}
           $<TARGET_FILE:typing-driver> ${CMAKE_BINARY_DIR}/install-test)
  set_tests_properties(win32_install PROPERTIES LABELS win32 TIMEOUT 600)
  # The x86 installer, never run here: built from the win32 build and its
  # contents listed; skipped when that build is missing.
  add_test(NAME win32_installer_x86 COMMAND ${CMAKE_SOURCE_DIR}/scripts/dist --missing-skips
           --out ${CMAKE_BINARY_DIR}/installer-x86 x86)
  set_tests_properties(win32_installer_x86 PROPERTIES LABELS win32 TIMEOUT 120 SKIP_RETURN_CODE 77)

  # GoogleTest from the distribution's source package, built with mingw.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  file(GLOB wine_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
  add_executable(test_win32 ${wine_test_sources} ${CMAKE_SOURCE_DIR}/tests/support/TestMain.cpp
                            ${CMAKE_SOURCE_DIR}/tests/support/LoopbackHttpServer.cpp)
  target_include_directories(test_win32 PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(test_win32 PRIVATE strevo_win32 gtest gmock)
  target_compile_options(test_win32 PRIVATE -O0 -g1)
  target_link_options(test_win32 PRIVATE ${STATIC_FLAGS})
  # Each ctest entry runs one executable under Wine; tests/wine/run-all sets up
  # the display and the prefix around the whole run.
  add_test(NAME win32_adapter COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/run-exe $<TARGET_FILE:test_win32>)
  set_tests_properties(win32_adapter PROPERTIES LABELS win32 TIMEOUT 300)
  # The windows' layout at 144 DPI (one and a half times the 96-DPI units).
  add_test(NAME win32_adapter_dpi COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/run-at-dpi 144 $<TARGET_FILE:test_win32>
                                          --gtest_filter=*WindowsAreLaidOutForTheSessionsDpi)
  set_tests_properties(win32_adapter_dpi PROPERTIES LABELS win32 TIMEOUT 120 DEPENDS win32_adapter)
  # Every window drawn with sample figures, compared with the reviewed
  # pictures in docs/pictures/looks (a failure keeps the look and a
  # difference image in build/win64/looks).
  add_test(NAME win32_looks COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/looks --compare ${CMAKE_BINARY_DIR}/looks)
  set_tests_properties(win32_looks PROPERTIES LABELS win32 TIMEOUT 600 DEPENDS win32_adapter)
  # The input path's costs under Wine, printed by tests/wine/costs; a
  # measurement, not a test.
  add_executable(win32-costs ${CMAKE_SOURCE_DIR}/bench/win32/costs.cpp ${CMAKE_SOURCE_DIR}/bench/win32/HookTiming.cpp
                             ${CMAKE_SOURCE_DIR}/bench/win32/FocusTiming.cpp)
  target_include_directories(win32-costs PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(win32-costs PRIVATE strevo_win32)
  target_link_options(win32-costs PRIVATE ${STATIC_FLAGS})
endif()
add_subdirectory(${CMAKE_SOURCE_DIR}/tools/strevo-report)
