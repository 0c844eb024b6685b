# Cross-compiling for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64, mingw-w64):
#   cmake -S <project> -B <build> -DCMAKE_TOOLCHAIN_FILE=<this file>
# The compiler with POSIX threads is preferred: it has std::thread and std::mutex, as the
# MinGW kits of Qt for Windows do.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTRIN_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${KESTRIN_MINGW_TRIPLE}-gcc-posix ${KESTRIN_MINGW_TRIPLE}-gcc
             REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KESTRIN_MINGW_TRIPLE}-g++-posix ${KESTRIN_MINGW_TRIPLE}-g++
             REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KESTRIN_MINGW_TRIPLE}-windres)

# Headers and libraries come from the MinGW-w64 tree only; programs run at build time are the
# build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${KESTRIN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
