# 32-bit Windows with Debian's MinGW-w64 GCC, posix thread model: the compiler of the tool's 32-bit build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
