# Tests are Windows programs. In the 64-bit build they run under Wine through CMake's emulator, in a
# prefix made inside the build tree: null graphics driver, no link into the Linux home, and no drive
# but its own c: and t:, the folder of built programs.
enable_testing()

set(WINE_TEST_PREFIX ${CMAKE_BINARY_DIR}/wine/test-prefix)
set(WINE_BUILD_PREFIX ${CMAKE_BINARY_DIR}/wine/build-prefix)
set(WINE_RUN ${CMAKE_SOURCE_DIR}/tools/wine/run)
set(MAKE_PREFIX ${CMAKE_SOURCE_DIR}/tools/wine/make-prefix)

if(RUNS_UNDER_WINE)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  add_custom_command(
    OUTPUT ${WINE_TEST_PREFIX}/.ready
    COMMAND ${MAKE_PREFIX} ${WINE_TEST_PREFIX} sealed t=${CMAKE_BINARY_DIR}/bin
    DEPENDS ${MAKE_PREFIX}
    COMMENT "Creating the sealed Wine prefix for tests")
  add_custom_target(wine_test_prefix ALL DEPENDS ${WINE_TEST_PREFIX}/.ready)

  # Build-time tools read source paths, so their prefix keeps z: -> /. No test runs there.
  add_custom_command(
    OUTPUT ${WINE_BUILD_PREFIX}/.ready
    COMMAND ${MAKE_PREFIX} ${WINE_BUILD_PREFIX} open
    DEPENDS ${MAKE_PREFIX}
    COMMENT "Creating the Wine prefix for build-time tools")
  add_custom_target(wine_build_prefix DEPENDS ${WINE_BUILD_PREFIX}/.ready)

  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_RUN} ${WINE_TEST_PREFIX})
endif()

# add_unit_test(<name> SOURCES <files...> [LIBS <targets...>])
# A GoogleTest program; registered with ctest where it can run.
function(add_unit_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE gtest gtest_main ${ARG_LIBS})
  if(RUNS_UNDER_WINE)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  endif()
endfunction()
