# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-building for 64-bit Windows with Debian's mingw-w64 (the POSIX
# threads flavour, which std::thread needs):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The programs run under wine64 as CMake's emulator, so that ctest and
# test discovery work from the Linux side too.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CLIPQUILL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CLIPQUILL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CLIPQUILL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${CLIPQUILL_MINGW_TRIPLE}-windres)

# Libraries and headers for Windows only; tools from the build machine.
# Header-only packages and our own cross-built GoogleTest are named by their
# <Package>_DIR. The window's libraries, which Debian has only for Linux (Qt,
# QScintilla, libjpeg-turbo: scripts/windows-deps.sh), are further roots.
set(CLIPQUILL_WINDOWS_PREFIXES "" CACHE STRING "Prefixes of libraries built for Windows")
set(CMAKE_FIND_ROOT_PATH /usr/${CLIPQUILL_MINGW_TRIPLE} ${CLIPQUILL_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program stands alone: no libstdc++, libgcc or winpthread DLL to copy
# beside it, on Windows or into a Wine prefix.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(CLIPQUILL_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(CLIPQUILL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CLIPQUILL_WINE})
endif()

# Header-only packages from the build machine, without its C headers.
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw/nlohmann_json CACHE PATH "")
