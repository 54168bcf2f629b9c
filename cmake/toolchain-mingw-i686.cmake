# SPDX-License-Identifier: MIT
# Windows, 32-bit, with Debian's MinGW-w64:
#   cmake -S . -B build/windows-i686 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DZUMEKO_BUILD_GUI=OFF
set(ZUMEKO_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
