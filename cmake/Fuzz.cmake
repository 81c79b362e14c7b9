# libFuzzer targets, one per reader of the program's files and scripts:
# every fuzz/*.cpp is one program fuzz/<name> in the build folder, linked
# with the simulator (the real program on the fake platform) and the small
# support of fuzz/support/. Built by the "fuzz" preset with clang, the
# libraries instrumented with -fsanitize=fuzzer-no-link,address,undefined;
# scripts/fuzz runs them. The target "fuzz_targets" builds them all.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "STREVO_FUZZ needs clang (libFuzzer): configure with the \"fuzz\" preset")
endif()

file(GLOB FUZZ_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/support/*.cpp)
add_library(strevo_fuzz_support STATIC ${FUZZ_SUPPORT_SOURCES})
target_include_directories(strevo_fuzz_support PUBLIC ${CMAKE_SOURCE_DIR}/fuzz ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(strevo_fuzz_support PUBLIC strevo_sim)
# The default installation, for the targets that start the whole program.
target_compile_definitions(strevo_fuzz_support PUBLIC STREVO_INSTALLATION_DIR="${CMAKE_SOURCE_DIR}/data")

add_custom_target(fuzz_targets)
file(GLOB FUZZ_TARGET_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
foreach(src IN LISTS FUZZ_TARGET_SOURCES)
  get_filename_component(name ${src} NAME_WE)
  add_executable(fuzz_${name} ${src})
  set_target_properties(fuzz_${name} PROPERTIES OUTPUT_NAME ${name} RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  target_link_libraries(fuzz_${name} PRIVATE strevo_fuzz_support)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzz_targets fuzz_${name})
endforeach()
