# SPDX-License-Identifier: MIT
# mingw-w64-x86_64.cmake -- the toolchain of the Windows build: Debian's
# MinGW-w64 for 64-bit Windows (g++-mingw-w64-x86-64-posix), its threads
# model POSIX for std::thread and friends. Libraries are found in its own
# tree only, and only as static archives, so that the program carries them.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
