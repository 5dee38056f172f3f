# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-building the Qt-free core and its tests for 64-bit Windows with Debian's mingw-w64
# (the POSIX thread model, which std::thread needs), run under Wine: ./kestrel wintest.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# -O2: at -O3 this GCC (12) reports false -Wrestrict overlaps inside std::string.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of a Release build")
# One self-contained .exe per test: no compiler run-time DLLs to find under Wine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# ctest runs each test program through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
