// SPDX-License-Identifier: MIT
// What the Wayland benchmark needs of a wlroots compositor besides Zumeko:
//   wlpeer flip | halves            a surface under everything over the whole output, of a new colour at
//                                   every frame or of two halves, and a pointer moved to "X Y" for each such
//                                   line read (see surface); it says "ready" once the surface is shown
//   wlpeer latency X Y SX SY RRGGBB frames from a pointer move to X, Y until SX, SY shows RRGGBB (see
//                                   latency)
#include "wlbound.h"

#include "wayland/shmbuffer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include <poll.h>
#include <unistd.h>

#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#define namespace layer_namespace // the generated C names an argument so
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

namespace {

using Wl::ignore;

template <typename... Args> void say(const char *format, Args... args)
{
    std::printf(format, args...);
    std::fflush(stdout); // the benchmark reads the output while this runs
}

// A surface over the whole output that shows a new colour at every frame the output shows (FLIP), so that
// every fresh capture sees a colour it has not seen before, or HalfLeft on its left half and HalfRight on
// its right. It gives the seat a virtual pointer, which it moves to "X Y" for each such line on its input.
constexpr std::uint32_t HalfLeft = 0x102030, HalfRight = 0xC0D0E0;

int surface(Wl::Bound &w, bool flip)
{
    struct Surface {
        bool flip = false;
        wl_surface *surface = nullptr;
        std::unique_ptr<Wl::ShmBuffer> buffers[2];
        int width = 0, height = 0;
        unsigned frame = 0;

        void show()
        {
            const Wl::ShmBuffer &buffer = *buffers[frame % 2];
            std::uint32_t *pixels = buffer.words();
            // Odd steps of each channel, so that a colour does not come back for a long while.
            const std::uint32_t step = (frame * 0x0103'05u) & 0xFFFFFFu;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x)
                    pixels[y * width + x] = 0xFF000000 | (flip ? step : x < width / 2 ? HalfLeft : HalfRight);
            }
            wl_surface_attach(surface, buffer.buffer.get(), 0, 0);
            wl_surface_damage(surface, 0, 0, width, height);
            if (flip) {
                static const wl_callback_listener next
                    = { [](void *data, wl_callback *callback, std::uint32_t) {
                          wl_callback_destroy(callback);
                          auto *s = static_cast<Surface *>(data);
                          ++s->frame;
                          s->show();
                      } };
                wl_callback_add_listener(wl_surface_frame(surface), &next, this);
            }
            wl_surface_commit(surface);
        }
    } s;
    s.flip = flip;
    auto *layers = w.get<zwlr_layer_shell_v1>(zwlr_layer_shell_v1_interface);
    auto *pointers = w.get<zwlr_virtual_pointer_manager_v1>(zwlr_virtual_pointer_manager_v1_interface);
    if (layers == nullptr || pointers == nullptr)
        return 1;
    zwlr_virtual_pointer_v1 *pointer
        = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointers, w.get<wl_seat>(wl_seat_interface));
    s.surface = wl_compositor_create_surface(w.get<wl_compositor>(wl_compositor_interface));
    // Below everything else, over the whole output.
    zwlr_layer_surface_v1 *layer = zwlr_layer_shell_v1_get_layer_surface(
        layers, s.surface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM, "wlpeer");
    zwlr_layer_surface_v1_set_anchor(layer,
        ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
            | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(layer, -1);
    static const zwlr_layer_surface_v1_listener configured = {
        [](void *data, zwlr_layer_surface_v1 *l, std::uint32_t serial, std::uint32_t width,
            std::uint32_t height) {
            zwlr_layer_surface_v1_ack_configure(l, serial);
            static_cast<Surface *>(data)->width = int(width);
            static_cast<Surface *>(data)->height = int(height);
        },
        ignore,
    };
    zwlr_layer_surface_v1_add_listener(layer, &configured, &s);
    wl_surface_commit(s.surface);
    wl_display_roundtrip(w.display());
    for (auto &buffer : s.buffers) {
        buffer = std::make_unique<Wl::ShmBuffer>(
            w.get<wl_shm>(wl_shm_interface), s.width, s.height, 4 * s.width, WL_SHM_FORMAT_XRGB8888);
        if (buffer->buffer == nullptr)
            return 1;
    }
    s.show();
    wl_display_roundtrip(w.display());
    say("ready\n");

    pollfd fds[2] = { { wl_display_get_fd(w.display()), POLLIN, 0 }, { STDIN_FILENO, POLLIN, 0 } };
    std::string line;
    char chunk[64];
    for (;;) {
        wl_display_flush(w.display());
        if (poll(fds, 2, -1) < 0)
            return 1;
        if ((fds[0].revents & POLLIN) != 0 && wl_display_dispatch(w.display()) < 0)
            return 1;
        if ((fds[1].revents & (POLLIN | POLLHUP)) != 0) {
            const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
            if (n <= 0)
                return 0;
            line.append(chunk, std::size_t(n));
            for (std::size_t end; (end = line.find('\n')) != std::string::npos; line.erase(0, end + 1)) {
                unsigned x = 0, y = 0;
                if (std::sscanf(line.c_str(), "%u %u", &x, &y) == 2) {
                    zwlr_virtual_pointer_v1_motion_absolute(
                        pointer, 0, x, y, std::uint32_t(s.width), std::uint32_t(s.height));
                    zwlr_virtual_pointer_v1_frame(pointer);
                }
            }
        }
    }
}

// How many frames of the first output it takes, from a pointer move to X, Y (made just after a frame), until
// the screen shows RRGGBB at SX, SY: each screencopy capture is answered on the next frame, so capturing
// that pixel again and again counts the frames. Prints "frames N"; status 1 when 30 frames show no change.
int latency(Wl::Bound &w, int x, int y, int sx, int sy, unsigned rgb)
{
    auto *copies = w.get<zwlr_screencopy_manager_v1>(zwlr_screencopy_manager_v1_interface);
    auto *pointers = w.get<zwlr_virtual_pointer_manager_v1>(zwlr_virtual_pointer_manager_v1_interface);
    auto *output = w.get<wl_output>(wl_output_interface);
    if (copies == nullptr || pointers == nullptr || output == nullptr)
        return 2;
    struct Capture {
        Wl::Bound *w;
        std::unique_ptr<Wl::ShmBuffer> buffer;
        bool bgr = false, over = false, failed = false;
    } capture { &w, nullptr };
    static const zwlr_screencopy_frame_v1_listener listener = {
        [](void *data, zwlr_screencopy_frame_v1 *frame, std::uint32_t format, std::uint32_t width,
            std::uint32_t height, std::uint32_t stride) {
            auto *c = static_cast<Capture *>(data);
            if (c->buffer == nullptr)
                c->buffer = std::make_unique<Wl::ShmBuffer>(c->w->get<wl_shm>(wl_shm_interface), int(width),
                    int(height), int(stride), WL_SHM_FORMAT_XRGB8888);
            c->bgr = format != WL_SHM_FORMAT_XRGB8888 && format != WL_SHM_FORMAT_ARGB8888;
            zwlr_screencopy_frame_v1_copy(frame, c->buffer->buffer.get());
        },
        ignore,
        [](void *data, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t) {
            static_cast<Capture *>(data)->over = true;
        },
        [](void *data, zwlr_screencopy_frame_v1 *) { static_cast<Capture *>(data)->failed = true; },
        ignore,
        ignore,
        ignore,
    };
    // The pixel as the next frame shows it.
    const auto next = [&] {
        capture.over = capture.failed = false;
        zwlr_screencopy_frame_v1 *frame
            = zwlr_screencopy_manager_v1_capture_output_region(copies, 0, output, sx, sy, 1, 1);
        zwlr_screencopy_frame_v1_add_listener(frame, &listener, &capture);
        while (!capture.over && !capture.failed && wl_display_dispatch(w.display()) >= 0) { }
        zwlr_screencopy_frame_v1_destroy(frame);
        const std::uint32_t *pixel = capture.buffer != nullptr ? capture.buffer->words() : nullptr;
        const std::uint32_t p = pixel != nullptr ? *pixel & 0xFFFFFF : 0;
        return capture.failed ? ~0u : capture.bgr ? (p & 0xFF) << 16 | (p & 0xFF00) | p >> 16 : p;
    };
    zwlr_virtual_pointer_v1 *pointer
        = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointers, w.get<wl_seat>(wl_seat_interface));
    next();
    if (next() == rgb)
        return 2; // already there: nothing to measure
    // Just after a frame, so that the count is of whole frames.
    zwlr_virtual_pointer_v1_motion_absolute(pointer, 0, std::uint32_t(x), std::uint32_t(y), 1280, 1024);
    zwlr_virtual_pointer_v1_frame(pointer);
    for (int frames = 1; frames <= 30; ++frames) {
        if (next() == rgb) {
            say("frames %d\n", frames);
            return 0;
        }
    }
    say("frames >30\n");
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string_view command = argc > 1 ? argv[1] : "";
    Wl::Bound w({ { &wl_compositor_interface }, { &wl_shm_interface }, { &wl_seat_interface },
        { &wl_output_interface }, { &zwlr_layer_shell_v1_interface },
        { &zwlr_virtual_pointer_manager_v1_interface }, { &zwlr_screencopy_manager_v1_interface } });
    unsigned rgb = 0;
    if (w.display() != nullptr && (command == "flip" || command == "halves"))
        return surface(w, command == "flip");
    if (w.display() != nullptr && command == "latency" && argc == 7 && std::sscanf(argv[6], "%6x", &rgb) == 1)
        return latency(
            w, std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), rgb);
    std::fprintf(stderr, "usage: wlpeer flip | halves | latency X Y SX SY RRGGBB\n");
    return 2;
}
