# Header-only libraries from Debian's packages. Only each library's own folder is exposed to the
# cross compiler (through a link in the build tree), never the Linux system include folder.
set(THIRD_PARTY_INCLUDE ${CMAKE_BINARY_DIR}/third-party-include)
file(MAKE_DIRECTORY ${THIRD_PARTY_INCLUDE})
foreach(lib fmt nlohmann)
  if(NOT EXISTS /usr/include/${lib})
    message(FATAL_ERROR "/usr/include/${lib} is missing: run tools/install-deps.sh")
  endif()
  file(CREATE_LINK /usr/include/${lib} ${THIRD_PARTY_INCLUDE}/${lib} SYMBOLIC)
endforeach()

add_library(fmt_headers INTERFACE)
target_include_directories(fmt_headers SYSTEM INTERFACE ${THIRD_PARTY_INCLUDE})
target_compile_definitions(fmt_headers INTERFACE FMT_HEADER_ONLY=1)

add_library(json_headers INTERFACE)
target_include_directories(json_headers SYSTEM INTERFACE ${THIRD_PARTY_INCLUDE})

# GoogleTest from Debian's sources, built with the cross compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
