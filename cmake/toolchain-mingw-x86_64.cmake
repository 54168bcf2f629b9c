# SPDX-License-Identifier: MIT
# Windows, 64-bit, with Debian's MinGW-w64. The whole program is built with Qt for Windows, whose own
# toolchain file loads this one (the windows-x86_64 preset); without Qt, the core and the platform layer:
#   cmake -S . -B build/windows-x86_64-core -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake -DZUMEKO_BUILD_GUI=OFF
set(ZUMEKO_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
