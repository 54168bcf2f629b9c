// SPDX-License-Identifier: MIT
// wlhelper flip|halves: what the Wayland benchmark needs of a compositor besides Zumeko. A surface over the
// whole output: "flip" shows a new colour at every frame the output shows, so that every fresh capture
// sees a colour it has not seen before; "halves" shows HALF_LEFT on the left half and HALF_RIGHT on the
// right. It gives the seat a virtual pointer, which it moves to "X Y" for each such line on its input, and
// says "ready" once the surface is shown.
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#define namespace layer_namespace // the generated C names an argument so
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

#include <cstdio>
#include <cstring>
#include <string_view>

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t HalfLeft = 0x102030, HalfRight = 0xC0D0E0;

template <typename... Args> void ignore(void *, Args...) { }

struct Helper {
    wl_display *display = nullptr;
    wl_compositor *compositor = nullptr;
    wl_shm *shm = nullptr;
    wl_seat *seat = nullptr;
    zwlr_layer_shell_v1 *layers = nullptr;
    zwlr_virtual_pointer_manager_v1 *pointers = nullptr;
    zwlr_virtual_pointer_v1 *pointer = nullptr;
    wl_surface *surface = nullptr;
    wl_buffer *buffers[2] = {};
    std::uint32_t *pixels[2] = {};
    int width = 0, height = 0;
    bool flip = false;
    unsigned frame = 0;
    bool ready = false;

    wl_buffer *buffer(int index)
    {
        const int stride = 4 * width, size = stride * height;
        const int fd = memfd_create("wlhelper", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, size) != 0)
            return nullptr;
        pixels[index] = static_cast<std::uint32_t *>(
            mmap(nullptr, std::size_t(size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
        wl_shm_pool *pool = wl_shm_create_pool(shm, fd, size);
        wl_buffer *made = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        close(fd);
        return made;
    }

    void paint(int index)
    {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                // Odd steps of each channel, so that a colour does not come back for a long while.
                const std::uint32_t step = (frame * 0x0103'05u) & 0xFFFFFFu;
                pixels[index][y * width + x] = 0xFF000000
                    | (flip                 ? step
                            : x < width / 2 ? HalfLeft
                                            : HalfRight);
            }
        }
    }

    void show()
    {
        const int index = int(frame % 2);
        paint(index);
        wl_surface_attach(surface, buffers[index], 0, 0);
        wl_surface_damage(surface, 0, 0, width, height);
        if (flip) {
            static const wl_callback_listener next = { [](void *data, wl_callback *callback, std::uint32_t) {
                wl_callback_destroy(callback);
                auto *h = static_cast<Helper *>(data);
                ++h->frame;
                h->show();
            } };
            wl_callback_add_listener(wl_surface_frame(surface), &next, this);
        }
        wl_surface_commit(surface);
    }
};

void global(void *data, wl_registry *registry, std::uint32_t name, const char *interface, std::uint32_t)
{
    auto &h = *static_cast<Helper *>(data);
    const std::string_view is = interface;
    const auto bind = [&](const wl_interface &type) { return wl_registry_bind(registry, name, &type, 1); };
    if (is == wl_compositor_interface.name)
        h.compositor = static_cast<wl_compositor *>(bind(wl_compositor_interface));
    else if (is == wl_shm_interface.name)
        h.shm = static_cast<wl_shm *>(bind(wl_shm_interface));
    else if (is == wl_seat_interface.name)
        h.seat = static_cast<wl_seat *>(bind(wl_seat_interface));
    else if (is == zwlr_layer_shell_v1_interface.name)
        h.layers = static_cast<zwlr_layer_shell_v1 *>(bind(zwlr_layer_shell_v1_interface));
    else if (is == zwlr_virtual_pointer_manager_v1_interface.name)
        h.pointers
            = static_cast<zwlr_virtual_pointer_manager_v1 *>(bind(zwlr_virtual_pointer_manager_v1_interface));
}

} // namespace

int main(int argc, char *argv[])
{
    Helper h;
    const std::string_view mode = argc > 1 ? argv[1] : "";
    h.flip = mode == "flip";
    h.display = wl_display_connect(nullptr);
    if (h.display == nullptr || (mode != "flip" && mode != "halves")) {
        std::fprintf(stderr, "usage: wlhelper flip|halves, with WAYLAND_DISPLAY set\n");
        return 2;
    }
    const wl_registry_listener listener = { global, ignore };
    wl_registry_add_listener(wl_display_get_registry(h.display), &listener, &h);
    wl_display_roundtrip(h.display);
    if (h.layers == nullptr || h.pointers == nullptr)
        return 1;
    h.pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(h.pointers, h.seat);
    h.surface = wl_compositor_create_surface(h.compositor);
    zwlr_layer_surface_v1 *layer = zwlr_layer_shell_v1_get_layer_surface(
        h.layers, h.surface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM, "wlhelper");
    zwlr_layer_surface_v1_set_anchor(layer, 15);
    zwlr_layer_surface_v1_set_exclusive_zone(layer, -1);
    static const zwlr_layer_surface_v1_listener configured = {
        [](void *data, zwlr_layer_surface_v1 *l, std::uint32_t serial, std::uint32_t w, std::uint32_t hgt) {
            zwlr_layer_surface_v1_ack_configure(l, serial);
            auto *helper = static_cast<Helper *>(data);
            helper->width = int(w);
            helper->height = int(hgt);
        },
        ignore,
    };
    zwlr_layer_surface_v1_add_listener(layer, &configured, &h);
    wl_surface_commit(h.surface);
    wl_display_roundtrip(h.display);
    h.buffers[0] = h.buffer(0);
    h.buffers[1] = h.buffer(1);
    h.show();
    wl_display_roundtrip(h.display);
    std::puts("ready");
    std::fflush(stdout);

    pollfd fds[2] = { { wl_display_get_fd(h.display), POLLIN, 0 }, { STDIN_FILENO, POLLIN, 0 } };
    char line[64];
    std::size_t used = 0;
    for (;;) {
        wl_display_flush(h.display);
        if (poll(fds, 2, -1) < 0)
            return 1;
        if ((fds[0].revents & POLLIN) != 0 && wl_display_dispatch(h.display) < 0)
            return 1;
        if ((fds[1].revents & (POLLIN | POLLHUP)) != 0) {
            const ssize_t n = read(STDIN_FILENO, line + used, sizeof line - 1 - used);
            if (n <= 0)
                return 0;
            used += std::size_t(n);
            line[used] = '\0';
            for (char *end; (end = std::strchr(line, '\n')) != nullptr;) {
                unsigned x = 0, y = 0;
                if (std::sscanf(line, "%u %u", &x, &y) == 2) {
                    zwlr_virtual_pointer_v1_motion_absolute(
                        h.pointer, 0, x, y, std::uint32_t(h.width), std::uint32_t(h.height));
                    zwlr_virtual_pointer_v1_frame(h.pointer);
                }
                used -= std::size_t(end + 1 - line);
                std::memmove(line, end + 1, used + 1);
            }
        }
    }
}
