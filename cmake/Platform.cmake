# SPDX-License-Identifier: MIT
# What differs between the systems Zumeko is built for is decided here and nowhere else: the rest of the
# build asks these names, never which system it is on. A port to another system is one more branch here
# and a folder of its own under src/platform.
#
#   ZUMEKO_PLATFORMS     the folders of src/platform that make up the platform layer, in build order
#   ZUMEKO_FONT_PRELOAD  how the font configuration is read ahead of the first window: fontconfig, none
#   ZUMEKO_ONE_FOLDER    installed as one folder, the program beside its help and licence, and packaged by
#                        CPack (Windows' way); else spread over the system's folders, with a menu entry,
#                        icons and a manual page, and packaged by debian/
#   ZUMEKO_RESOURCES     the program carries a resource script: the icon and version Explorer shows
if(WIN32)
    enable_language(RC)
    set(ZUMEKO_PLATFORMS win32)
    set(ZUMEKO_FONT_PRELOAD none)
    set(ZUMEKO_ONE_FOLDER ON)
    set(ZUMEKO_RESOURCES ON)
elseif(UNIX AND NOT APPLE)
    set(ZUMEKO_FONT_PRELOAD fontconfig)
    set(ZUMEKO_ONE_FOLDER OFF)
    set(ZUMEKO_RESOURCES OFF)
    if(ZUMEKO_BUILD_GUI)
        # linux last: it chooses among the others and builds the clipboard helper from their keepers.
        set(ZUMEKO_PLATFORMS x11 wayland linux)
        include(cmake/WaylandProtocols.cmake)
    else()
        # These platforms open files and addresses through Qt, so a build without Qt has none.
        set(ZUMEKO_PLATFORMS "")
    endif()
else()
    message(FATAL_ERROR "Zumeko has no platform layer for ${CMAKE_SYSTEM_NAME}")
endif()
