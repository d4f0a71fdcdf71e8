# One ZIP per processor, made by CPack: recovery-tool-<version>-x64.zip or -x86.zip with the windowed
# program, the console program for fleet tools, the user guide and SHA256SUMS of the three. The UI engine
# and the decryption library are not ours to ship; the guide says where each goes. tools/package.sh makes both packages and checks that packing is repeatable.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PACKAGE_PROCESSOR x64)
else()
  set(PACKAGE_PROCESSOR x86)
endif()

install(TARGETS ${DELIVERABLE} ${CONSOLE_PROGRAM} RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/docs/user-guide.md DESTINATION .)

# Packing builds nothing but what it packs: tools/package.sh builds the program first, and the rest of the
# build (tests, stand-ins) has no part in a package.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME recovery-tool)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME recovery-tool-${PROJECT_VERSION}-${PACKAGE_PROCESSOR})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Runs on the staged files before they are packed: writes SHA256SUMS and fixes what the archive records.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageStaging.cmake)
set(CPACK_RECOVERY_TOOL_SOURCE_DIR ${CMAKE_SOURCE_DIR})
include(CPack)
