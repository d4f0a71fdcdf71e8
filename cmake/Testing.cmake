# Tests are Windows programs. They run under Wine through CMake's emulator, in a prefix made inside the
# build tree: null graphics driver, no link into the Linux home, and no drive but its own c: and t:, the
# folder of built programs. Nothing runs under Wine while building.
enable_testing()

set(WINE_TEST_PREFIX ${CMAKE_BINARY_DIR}/wine/test-prefix)
set(WINE_RUN ${CMAKE_SOURCE_DIR}/tools/wine/run)
set(MAKE_PREFIX ${CMAKE_SOURCE_DIR}/tools/wine/make-prefix)

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
# Checked on every build: a prefix that can no longer start programs (one made before 32-bit Wine was
# installed) is made again.
add_custom_target(wine_test_prefix ALL
  COMMAND ${MAKE_PREFIX} ${WINE_TEST_PREFIX} sealed t=${CMAKE_BINARY_DIR}/bin
  COMMENT "Checking the sealed Wine prefix for tests")

set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_RUN} ${WINE_TEST_PREFIX})

# add_unit_test(<name> SOURCES <files...> [LIBS <targets...>])
# A GoogleTest program, registered with ctest.
function(add_unit_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE gtest gtest_main ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()
