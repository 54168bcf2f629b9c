// SPDX-License-Identifier: MIT
// What the end-to-end driver needs of a Wayland compositor that its own tools cannot do:
//   wltool pointer                  gives the seat a pointer (a headless one has none), then stays
//   wltool window WxH+X+Y RRGGBB    a native surface of one colour at that place of the layout, which
//                                   says "ready" once shown and "press BUTTON" for each press it gets
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <string_view>

#include <sys/mman.h>
#include <unistd.h>

#define namespace layer_namespace // the generated C names an argument so
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

namespace {

struct Globals {
    wl_compositor *compositor = nullptr;
    wl_shm *shm = nullptr;
    wl_seat *seat = nullptr;
    zwlr_layer_shell_v1 *layers = nullptr;
    zwlr_virtual_pointer_manager_v1 *pointers = nullptr;
};

template <typename... Args> void ignore(void *, Args...) { }

void say(const char *line, unsigned value = 0)
{
    std::printf(line, value);
    std::fflush(stdout); // the driver reads the output while this runs
}

void global(void *data, wl_registry *registry, std::uint32_t name, const char *interface, std::uint32_t)
{
    auto &g = *static_cast<Globals *>(data);
    const std::string_view is = interface;
    const auto bind = [&](const wl_interface &type) { return wl_registry_bind(registry, name, &type, 1); };
    if (is == wl_compositor_interface.name)
        g.compositor = static_cast<wl_compositor *>(bind(wl_compositor_interface));
    else if (is == wl_shm_interface.name)
        g.shm = static_cast<wl_shm *>(bind(wl_shm_interface));
    else if (is == wl_seat_interface.name)
        g.seat = static_cast<wl_seat *>(bind(wl_seat_interface));
    else if (is == zwlr_layer_shell_v1_interface.name)
        g.layers = static_cast<zwlr_layer_shell_v1 *>(bind(zwlr_layer_shell_v1_interface));
    else if (is == zwlr_virtual_pointer_manager_v1_interface.name)
        g.pointers
            = static_cast<zwlr_virtual_pointer_manager_v1 *>(bind(zwlr_virtual_pointer_manager_v1_interface));
}

int window(wl_display *display, Globals &g, const char *geometry, const char *color)
{
    int width = 0, height = 0, x = 0, y = 0;
    unsigned rgb = 0;
    if (std::sscanf(geometry, "%dx%d+%d+%d", &width, &height, &x, &y) != 4
        || std::sscanf(color, "%6x", &rgb) != 1 || g.layers == nullptr || g.seat == nullptr)
        return 2;
    const int stride = 4 * width, size = stride * height;
    const int fd = memfd_create("wltool", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) != 0)
        return 1;
    auto *pixels
        = static_cast<std::uint32_t *>(mmap(nullptr, std::size_t(size), PROT_WRITE, MAP_SHARED, fd, 0));
    for (int i = 0; i < width * height; ++i)
        pixels[i] = 0xFF000000 | rgb;
    wl_shm_pool *pool = wl_shm_create_pool(g.shm, fd, size);
    wl_buffer *buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_surface *surface = wl_compositor_create_surface(g.compositor);
    // On the top layer, below Zumeko's overlays, at an exact place of the layout.
    zwlr_layer_surface_v1 *layer = zwlr_layer_shell_v1_get_layer_surface(
        g.layers, surface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_TOP, "zumeko-test");
    zwlr_layer_surface_v1_set_anchor(
        layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    zwlr_layer_surface_v1_set_margin(layer, y, 0, 0, x);
    zwlr_layer_surface_v1_set_size(layer, std::uint32_t(width), std::uint32_t(height));
    const zwlr_layer_surface_v1_listener configured = {
        [](void *, zwlr_layer_surface_v1 *l, std::uint32_t serial, std::uint32_t, std::uint32_t) {
            zwlr_layer_surface_v1_ack_configure(l, serial);
        },
        ignore,
    };
    zwlr_layer_surface_v1_add_listener(layer, &configured, nullptr);
    wl_surface_commit(surface);
    wl_display_roundtrip(display);
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_damage(surface, 0, 0, width, height);
    // Shown once the compositor asks for the next frame after this one.
    const wl_callback_listener shown = { [](void *, wl_callback *, std::uint32_t) { say("ready\n"); } };
    wl_callback_add_listener(wl_surface_frame(surface), &shown, nullptr);
    wl_surface_commit(surface);
    const wl_pointer_listener presses = { ignore, ignore, ignore,
        [](void *, wl_pointer *, std::uint32_t, std::uint32_t, std::uint32_t button, std::uint32_t state) {
            if (state == WL_POINTER_BUTTON_STATE_PRESSED)
                say("press %u\n", button);
        },
        ignore, ignore, ignore, ignore, ignore, ignore };
    wl_pointer_add_listener(wl_seat_get_pointer(g.seat), &presses, nullptr);
    while (wl_display_dispatch(display) >= 0) { }
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string_view command = argc > 1 ? argv[1] : "";
    wl_display *display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "wltool: no Wayland compositor answers (WAYLAND_DISPLAY)\n");
        return 1;
    }
    Globals g;
    const wl_registry_listener listener = { global, ignore };
    wl_registry_add_listener(wl_display_get_registry(display), &listener, &g);
    wl_display_roundtrip(display);
    int status = 2;
    if (command == "pointer" && g.pointers != nullptr) {
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.pointers, g.seat);
        wl_display_roundtrip(display);
        say("ready\n");
        while (wl_display_dispatch(display) >= 0) { }
        status = 1;
    } else if (command == "window" && argc == 4) {
        status = window(display, g, argv[2], argv[3]);
    }
    if (status == 2)
        std::fprintf(stderr, "usage: wltool pointer | window WxH+X+Y RRGGBB, with WAYLAND_DISPLAY set\n");
    wl_display_disconnect(display);
    return status;
}
