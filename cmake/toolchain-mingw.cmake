# SPDX-License-Identifier: MIT
# Cross-compiling for Windows with Debian's MinGW-w64. Not used on its own: toolchain-mingw-i686.cmake
# and toolchain-mingw-x86_64.cmake set ZUMEKO_MINGW_ARCH and include this file.
#
# The posix thread variant (g++-mingw-w64-*-posix) is named outright rather than whatever the
# x86_64-w64-mingw32-g++ alternative points at: it is the one with the whole C++ thread library
# (std::thread, std::mutex, std::condition_variable) in GCC 12, and the one Qt's own MinGW kits use, so
# what builds here builds there too.
if(NOT ZUMEKO_MINGW_ARCH MATCHES "^(i686|x86_64)$")
    message(FATAL_ERROR "ZUMEKO_MINGW_ARCH must be i686 or x86_64; use toolchain-mingw-i686.cmake or toolchain-mingw-x86_64.cmake")
endif()

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZUMEKO_MINGW_ARCH})

set(_zumeko_triple ${ZUMEKO_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${_zumeko_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_zumeko_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_zumeko_triple}-windres)

# Headers and libraries come from the target's tree only; build tools still run from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${_zumeko_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked in, so that a program runs under Wine, or on a Windows
# machine, with no MinGW DLLs copied beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
