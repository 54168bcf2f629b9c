# SPDX-License-Identifier: MIT
# zumeko_wayland_protocols(TARGET XML...): the client code of each protocol, made by wayland-scanner into
# the build tree and compiled into TARGET, whose sources then include "<name>-client-protocol.h".
find_package(PkgConfig REQUIRED)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
pkg_get_variable(WAYLAND_PROTOCOLS wayland-protocols pkgdatadir)
if(NOT WAYLAND_SCANNER OR NOT WAYLAND_PROTOCOLS)
    message(FATAL_ERROR "wayland-scanner and wayland-protocols are needed (Debian: libwayland-dev, wayland-protocols)")
endif()

function(zumeko_wayland_protocols target)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/protocols)
    file(MAKE_DIRECTORY ${out})
    foreach(xml ${ARGN})
        get_filename_component(name ${xml} NAME_WE)
        add_custom_command(OUTPUT ${out}/${name}-client-protocol.h ${out}/${name}-protocol.c
            COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${out}/${name}-client-protocol.h
            COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${out}/${name}-protocol.c
            DEPENDS ${xml} VERBATIM)
        target_sources(${target} PRIVATE ${out}/${name}-client-protocol.h ${out}/${name}-protocol.c)
        # Generated C, not ours to hold to our warnings.
        set_source_files_properties(${out}/${name}-protocol.c PROPERTIES COMPILE_OPTIONS -w)
    endforeach()
    target_include_directories(${target} PUBLIC ${out})
endfunction()
