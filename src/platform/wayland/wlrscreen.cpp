// SPDX-License-Identifier: MIT
#include "wlrscreen.h"

#include "pixelformat.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <wayland-client.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

// The generated C names an argument "namespace", which C++ cannot take.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace Module1 {

namespace {

    constexpr std::uint32_t Anchored = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
        | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
    constexpr int RetryInterval = 16; // milliseconds: a frame at 60 Hz
    // The sampling tick shows at most a hundred samples a second: under a still pointer, faster outputs are
    // not read much more often than that. A capture waits for the next frame after it is asked for, so it
    // is asked for a little before the tick's 10 ms are up.
    constexpr qint64 Pace = 8; // milliseconds

    // The cross-hair: white arms outlined in black, and a hole around the hot spot. A compositor that draws
    // its cursor into the picture, as a headless one does, would otherwise hand back the cursor's own
    // colour for the pixel under it.
    constexpr int CursorSize = 15, HotSpot = 7, Hole = 2;

    template <typename... Args> void ignore(void *, Args...) { }

    // A proxy of ours, given back by the request that ends it (a destroy, or wl_display_disconnect for the
    // connection itself) when it goes out of scope.
    template <auto End> struct Ender {
        template <typename T> void operator()(T *proxy) const { End(proxy); }
    };
    template <typename T, auto End> using Owned = std::unique_ptr<T, Ender<End>>;
    // A global, freed on our side alone: the compositor forgets it with the connection.
    struct Forget {
        void operator()(void *proxy) const { wl_proxy_destroy(static_cast<wl_proxy *>(proxy)); }
    };
    template <typename T> using Global = std::unique_ptr<T, Forget>;

    // A buffer in shared memory, mapped here too so that a capture can be read.
    struct Buffer {
        wl_buffer *buffer = nullptr;
        void *data = MAP_FAILED;
        std::size_t size = 0;
        int width = 0, height = 0, stride = 0;
        std::uint32_t format = 0;

        Buffer(wl_shm *shm, int w, int h, int s, std::uint32_t f)
            : size(std::size_t(s) * std::size_t(h))
            , width(w)
            , height(h)
            , stride(s)
            , format(f)
        {
            const int fd = memfd_create("zumeko", MFD_CLOEXEC);
            if (fd < 0)
                return;
            if (ftruncate(fd, off_t(size)) == 0)
                data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            if (data != MAP_FAILED) {
                wl_shm_pool *pool = wl_shm_create_pool(shm, fd, std::int32_t(size));
                buffer = wl_shm_pool_create_buffer(pool, 0, w, h, s, f);
                wl_shm_pool_destroy(pool);
            }
            close(fd);
        }
        ~Buffer()
        {
            if (buffer != nullptr)
                wl_buffer_destroy(buffer);
            if (data != MAP_FAILED)
                munmap(data, size);
        }
        Buffer(const Buffer &) = delete;
        Buffer &operator=(const Buffer &) = delete;
        bool fits(int w, int h, int s, std::uint32_t f) const
        {
            return buffer != nullptr && width == w && height == h && stride == s && format == f;
        }
    };

} // namespace

struct WlrScreen::Connection {
    // Members are ended in the reverse of their order here: the overlay before its surface, the
    // connection after everything on it.
    struct Output {
        Connection *connection = nullptr;
        std::uint32_t name = 0;
        Owned<wl_output, wl_output_destroy> output;
        Owned<zxdg_output_v1, zxdg_output_v1_destroy> place;
        int x = 0, y = 0; // in the compositor's layout
        Owned<wl_surface, wl_surface_destroy> surface;
        Owned<zwlr_layer_surface_v1, zwlr_layer_surface_v1_destroy> overlay;
        std::unique_ptr<Buffer> clear;
    };

    WlrScreen::Events events;
    Owned<wl_display, wl_display_disconnect> display;
    std::unique_ptr<QSocketNotifier> notifier;
    QTimer next; // the next capture, when it has to wait: after one that failed, or for the pace
    QElapsedTimer sinceCapture;
    Global<wl_registry> registry;
    Global<wl_compositor> compositor;
    Global<wl_shm> shm;
    Global<wl_seat> seat;
    Global<zwlr_layer_shell_v1> layerShell;
    Global<zwlr_screencopy_manager_v1> screencopy;
    Global<zxdg_output_manager_v1> places;
    Owned<wl_pointer, wl_pointer_destroy> pointer;
    // Taken down before the compositor has answered everything (screen mode left at once), what is still
    // on its way is ours to free too.
    Owned<wl_callback, wl_callback_destroy> sync; // until the compositor's globals are known
    bool ready = false; // since they are
    std::vector<std::unique_ptr<Output>> outputs;
    std::unique_ptr<Buffer> cursor;
    Owned<wl_surface, wl_surface_destroy> cursorSurface;

    Output *over = nullptr; // the output whose overlay has the pointer
    double x = 0, y = 0; // on it, in its logical coordinates

    Owned<zwlr_screencopy_frame_v1, zwlr_screencopy_frame_v1_destroy> frame; // the one capture in flight
    double frameX = 0, frameY = 0; // the point it was taken for
    bool yInverted = false;
    std::unique_ptr<Buffer> captured; // kept from one capture to the next while its size stays
    std::int32_t sample = NoColor;

    explicit Connection(WlrScreen::Events e);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    void dispatch();
    void flush();
    void cover(Output &output);
    void capture();
    void read();
    Output *outputOf(const wl_surface *surface);

    // Listeners
    static void global(void *data, wl_registry *, std::uint32_t name, const char *interface, std::uint32_t);
    static void globalRemove(void *data, wl_registry *, std::uint32_t name);
    static void synced(void *data, wl_callback *callback, std::uint32_t);
    static void capabilities(void *data, wl_seat *, std::uint32_t caps);
    static void enter(
        void *data, wl_pointer *, std::uint32_t serial, wl_surface *surface, wl_fixed_t x, wl_fixed_t y);
    static void leave(void *data, wl_pointer *, std::uint32_t, wl_surface *);
    static void motion(void *data, wl_pointer *, std::uint32_t, wl_fixed_t x, wl_fixed_t y);
    static void button(
        void *data, wl_pointer *, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state);
    static void placed(void *data, zxdg_output_v1 *, std::int32_t x, std::int32_t y);
    static void configured(void *data, zwlr_layer_surface_v1 *overlay, std::uint32_t serial,
        std::uint32_t width, std::uint32_t height);
    static void closed(void *data, zwlr_layer_surface_v1 *);
    static void frameBuffer(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t format, std::uint32_t width,
        std::uint32_t height, std::uint32_t stride);
    static void frameFlags(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t flags);
    static void frameReady(
        void *data, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t);
    static void frameFailed(void *data, zwlr_screencopy_frame_v1 *);
};

namespace {

    const wl_registry_listener registryListener
        = { WlrScreen::Connection::global, WlrScreen::Connection::globalRemove };
    const wl_callback_listener syncListener = { WlrScreen::Connection::synced };
    const wl_seat_listener seatListener = { WlrScreen::Connection::capabilities, ignore };
    const wl_pointer_listener pointerListener
        = { WlrScreen::Connection::enter, WlrScreen::Connection::leave, WlrScreen::Connection::motion,
              WlrScreen::Connection::button, ignore, ignore, ignore, ignore, ignore, ignore };
    const zxdg_output_v1_listener placeListener
        = { WlrScreen::Connection::placed, ignore, ignore, ignore, ignore };
    const zwlr_layer_surface_v1_listener overlayListener
        = { WlrScreen::Connection::configured, WlrScreen::Connection::closed };
    const zwlr_screencopy_frame_v1_listener frameListener
        = { WlrScreen::Connection::frameBuffer, WlrScreen::Connection::frameFlags,
              WlrScreen::Connection::frameReady, WlrScreen::Connection::frameFailed, ignore, ignore, ignore };

    template <typename T>
    Global<T> bind(
        wl_registry *registry, std::uint32_t name, const wl_interface &interface, std::uint32_t version = 1)
    {
        return Global<T>(static_cast<T *>(wl_registry_bind(registry, name, &interface, version)));
    }

    // The three globals live picking needs, asked of a registry by name alone.
    bool offersLivePicking(const std::vector<std::string> &names)
    {
        for (const char *needed :
            { "zwlr_layer_shell_v1", "zwlr_screencopy_manager_v1", "zxdg_output_manager_v1" }) {
            if (std::find(names.begin(), names.end(), needed) == names.end())
                return false;
        }
        return true;
    }

} // namespace

Compositor ProbeWayland()
{
    const Owned<wl_display, wl_display_disconnect> display(wl_display_connect(nullptr));
    if (display == nullptr)
        return Compositor::None;
    std::vector<std::string> names;
    const wl_registry_listener collect = {
        [](void *data, wl_registry *, std::uint32_t, const char *interface, std::uint32_t) {
            static_cast<std::vector<std::string> *>(data)->emplace_back(interface);
        },
        ignore,
    };
    const Global<wl_registry> registry(wl_display_get_registry(display.get()));
    wl_registry_add_listener(registry.get(), &collect, &names);
    if (wl_display_roundtrip(display.get()) < 0)
        return Compositor::None;
    return offersLivePicking(names) ? Compositor::Wlroots : Compositor::Other;
}

WlrScreen::Connection::Connection(WlrScreen::Events e)
    : events(std::move(e))
{
    next.setSingleShot(true);
    QObject::connect(&next, &QTimer::timeout, &next, [this] { capture(); });
    display.reset(wl_display_connect(nullptr));
    if (display == nullptr)
        return;
    registry.reset(wl_display_get_registry(display.get()));
    wl_registry_add_listener(registry.get(), &registryListener, this);
    sync.reset(wl_display_sync(display.get()));
    wl_callback_add_listener(sync.get(), &syncListener, this);
    notifier = std::make_unique<QSocketNotifier>(wl_display_get_fd(display.get()), QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [this] { dispatch(); });
    flush();
}

WlrScreen::Connection::~Connection()
{
    notifier.reset();
    // What is ended on our side goes out with one last flush; the members end the rest, in order.
    frame.reset();
    outputs.clear();
    cursorSurface.reset();
    if (display != nullptr)
        wl_display_flush(display.get());
}

void WlrScreen::Connection::flush()
{
    if (display != nullptr)
        wl_display_flush(display.get());
}

// Reads what the notifier says is there, without ever waiting for more.
void WlrScreen::Connection::dispatch()
{
    while (wl_display_prepare_read(display.get()) != 0)
        wl_display_dispatch_pending(display.get());
    if (wl_display_read_events(display.get()) < 0 || wl_display_dispatch_pending(display.get()) < 0) {
        notifier->setEnabled(false);
        if (events.lost)
            events.lost();
        return;
    }
    flush();
}

void WlrScreen::Connection::global(
    void *data, wl_registry *registry, std::uint32_t name, const char *interface, std::uint32_t)
{
    auto *c = static_cast<Connection *>(data);
    const std::string_view is = interface;
    if (is == wl_compositor_interface.name) {
        c->compositor = bind<wl_compositor>(registry, name, wl_compositor_interface);
    } else if (is == wl_shm_interface.name) {
        c->shm = bind<wl_shm>(registry, name, wl_shm_interface);
    } else if (is == wl_seat_interface.name && c->seat == nullptr) {
        c->seat = bind<wl_seat>(registry, name, wl_seat_interface);
        wl_seat_add_listener(c->seat.get(), &seatListener, c);
    } else if (is == zwlr_layer_shell_v1_interface.name) {
        c->layerShell = bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface);
    } else if (is == zwlr_screencopy_manager_v1_interface.name) {
        c->screencopy
            = bind<zwlr_screencopy_manager_v1>(registry, name, zwlr_screencopy_manager_v1_interface);
    } else if (is == zxdg_output_manager_v1_interface.name) {
        c->places = bind<zxdg_output_manager_v1>(registry, name, zxdg_output_manager_v1_interface, 2);
    } else if (is == wl_output_interface.name) {
        auto output = std::make_unique<Output>();
        output->connection = c;
        output->name = name;
        output->output.reset(
            static_cast<wl_output *>(wl_registry_bind(registry, name, &wl_output_interface, 1)));
        c->outputs.push_back(std::move(output));
        if (c->ready) // an output plugged in while picking gets its overlay at once
            c->cover(*c->outputs.back());
    }
}

void WlrScreen::Connection::globalRemove(void *data, wl_registry *, std::uint32_t name)
{
    auto *c = static_cast<Connection *>(data);
    for (auto output = c->outputs.begin(); output != c->outputs.end(); ++output) {
        if ((*output)->name != name)
            continue;
        if (c->over == output->get())
            c->over = nullptr;
        c->outputs.erase(output);
        return;
    }
}

void WlrScreen::Connection::synced(void *data, wl_callback *, std::uint32_t)
{
    auto *c = static_cast<Connection *>(data);
    c->sync.reset();
    c->ready = true;
    if (c->compositor == nullptr || c->shm == nullptr || c->layerShell == nullptr || c->screencopy == nullptr
        || c->places == nullptr) {
        if (c->events.lost)
            c->events.lost();
        return;
    }
    for (auto &output : c->outputs)
        c->cover(*output);
}

void WlrScreen::Connection::cover(Output &output)
{
    output.place.reset(zxdg_output_manager_v1_get_xdg_output(places.get(), output.output.get()));
    zxdg_output_v1_add_listener(output.place.get(), &placeListener, &output);
    output.surface.reset(wl_compositor_create_surface(compositor.get()));
    // Over everything, on all four edges, moving nothing aside and taking no keyboard, so that Zumeko's
    // keys (Alt+H, Alt+I, Tab) still reach its window.
    output.overlay.reset(zwlr_layer_shell_v1_get_layer_surface(layerShell.get(), output.surface.get(),
        output.output.get(), ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "zumeko-picker"));
    zwlr_layer_surface_v1_add_listener(output.overlay.get(), &overlayListener, &output);
    zwlr_layer_surface_v1_set_anchor(output.overlay.get(), Anchored);
    zwlr_layer_surface_v1_set_exclusive_zone(output.overlay.get(), -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(output.overlay.get(), 0);
    wl_surface_commit(output.surface.get());
}

void WlrScreen::Connection::placed(void *data, zxdg_output_v1 *, std::int32_t x, std::int32_t y)
{
    auto *output = static_cast<Output *>(data);
    output->x = x;
    output->y = y;
}

void WlrScreen::Connection::configured(void *data, zwlr_layer_surface_v1 *overlay, std::uint32_t serial,
    std::uint32_t width, std::uint32_t height)
{
    auto *output = static_cast<Output *>(data);
    Connection *c = output->connection;
    zwlr_layer_surface_v1_ack_configure(overlay, serial);
    const int w = int(width), h = int(height);
    // Every pixel zero, alpha too: even an alpha of 1 in 255 would change what a capture reads. The pages
    // are never written, so they cost no memory here.
    if (output->clear == nullptr || !output->clear->fits(w, h, 4 * w, WL_SHM_FORMAT_ARGB8888))
        output->clear = std::make_unique<Buffer>(c->shm.get(), w, h, 4 * w, WL_SHM_FORMAT_ARGB8888);
    wl_surface_attach(output->surface.get(), output->clear->buffer, 0, 0);
    wl_surface_damage(output->surface.get(), 0, 0, w, h);
    wl_surface_commit(output->surface.get());
}

void WlrScreen::Connection::closed(void *data, zwlr_layer_surface_v1 *)
{
    // The compositor took the overlay away (its output is going): nothing of it is picked any more.
    auto *output = static_cast<Output *>(data);
    if (output->connection->over == output)
        output->connection->over = nullptr;
}

void WlrScreen::Connection::capabilities(void *data, wl_seat *seat, std::uint32_t caps)
{
    auto *c = static_cast<Connection *>(data);
    if ((caps & WL_SEAT_CAPABILITY_POINTER) != 0 && c->pointer == nullptr) {
        c->pointer.reset(wl_seat_get_pointer(seat));
        wl_pointer_add_listener(c->pointer.get(), &pointerListener, c);
    }
}

void WlrScreen::Connection::enter(
    void *data, wl_pointer *pointer, std::uint32_t serial, wl_surface *surface, wl_fixed_t x, wl_fixed_t y)
{
    auto *c = static_cast<Connection *>(data);
    c->over = c->outputOf(surface);
    if (c->cursor == nullptr) {
        c->cursor = std::make_unique<Buffer>(
            c->shm.get(), CursorSize, CursorSize, 4 * CursorSize, WL_SHM_FORMAT_ARGB8888);
        if (c->cursor->data != MAP_FAILED) {
            auto *pixels = static_cast<std::uint32_t *>(c->cursor->data);
            const auto arm = [](int px, int py) {
                const int dx = std::abs(px - HotSpot), dy = std::abs(py - HotSpot);
                return (dx == 0 || dy == 0) && std::max(dx, dy) > Hole;
            };
            for (int py = 0; py < CursorSize; ++py) {
                for (int px = 0; px < CursorSize; ++px) {
                    const bool outline
                        = arm(px - 1, py) || arm(px + 1, py) || arm(px, py - 1) || arm(px, py + 1);
                    pixels[py * CursorSize + px] = arm(px, py) ? 0xFFFFFFFF : outline ? 0xFF000000 : 0;
                }
            }
        }
        c->cursorSurface.reset(wl_compositor_create_surface(c->compositor.get()));
        wl_surface_attach(c->cursorSurface.get(), c->cursor->buffer, 0, 0);
        wl_surface_damage(c->cursorSurface.get(), 0, 0, CursorSize, CursorSize);
        wl_surface_commit(c->cursorSurface.get());
    }
    wl_pointer_set_cursor(pointer, serial, c->cursorSurface.get(), HotSpot, HotSpot);
    motion(data, pointer, 0, x, y);
}

void WlrScreen::Connection::leave(void *data, wl_pointer *, std::uint32_t, wl_surface *)
{
    static_cast<Connection *>(data)->over = nullptr;
}

void WlrScreen::Connection::motion(void *data, wl_pointer *, std::uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    auto *c = static_cast<Connection *>(data);
    c->x = wl_fixed_to_double(x);
    c->y = wl_fixed_to_double(y);
    c->capture();
}

void WlrScreen::Connection::button(
    void *data, wl_pointer *, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state)
{
    auto *c = static_cast<Connection *>(data);
    const auto &report = state == WL_POINTER_BUTTON_STATE_PRESSED ? c->events.pressed : c->events.released;
    if (report)
        report();
}

WlrScreen::Connection::Output *WlrScreen::Connection::outputOf(const wl_surface *surface)
{
    for (auto &output : outputs) {
        if (output->surface.get() == surface)
            return output.get();
    }
    return nullptr;
}

// One capture at a time, of the one-unit square under the pointer; the next follows as soon as it is in,
// so captures come as fast as the output shows frames, and a moved pointer is seen in the next one.
void WlrScreen::Connection::capture()
{
    if (frame != nullptr || over == nullptr)
        return;
    next.stop();
    sinceCapture.start();
    frameX = x;
    frameY = y;
    frame.reset(zwlr_screencopy_manager_v1_capture_output_region(
        screencopy.get(), 0, over->output.get(), int(std::floor(x)), int(std::floor(y)), 1, 1));
    zwlr_screencopy_frame_v1_add_listener(frame.get(), &frameListener, this);
    flush(); // from a timer, nothing else would send it
}

void WlrScreen::Connection::frameBuffer(void *data, zwlr_screencopy_frame_v1 *frame, std::uint32_t format,
    std::uint32_t width, std::uint32_t height, std::uint32_t stride)
{
    auto *c = static_cast<Connection *>(data);
    const int w = int(width), h = int(height), s = int(stride);
    if (c->captured == nullptr || !c->captured->fits(w, h, s, format))
        c->captured = std::make_unique<Buffer>(c->shm.get(), w, h, s, format);
    if (c->captured->buffer != nullptr)
        zwlr_screencopy_frame_v1_copy(frame, c->captured->buffer);
    else
        frameFailed(data, frame);
}

void WlrScreen::Connection::frameFlags(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t flags)
{
    static_cast<Connection *>(data)->yInverted = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
}

void WlrScreen::Connection::frameReady(
    void *data, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t)
{
    auto *c = static_cast<Connection *>(data);
    c->frame.reset();
    c->read();
    // A moved pointer is looked under at once; a still one at the tick's pace.
    if (c->x != c->frameX || c->y != c->frameY || c->sinceCapture.elapsed() >= Pace)
        c->capture();
    else
        c->next.start(int(Pace - c->sinceCapture.elapsed()));
}

void WlrScreen::Connection::frameFailed(void *data, zwlr_screencopy_frame_v1 *)
{
    auto *c = static_cast<Connection *>(data);
    c->frame.reset();
    c->next.start(RetryInterval);
}

// Only a capture copied into a buffer of ours is ever ready, and such a buffer is mapped.
void WlrScreen::Connection::read()
{
    const Buffer &buffer = *captured;
    const BufferPixel at = PixelUnder(frameX, frameY, buffer.width, buffer.height, yInverted);
    const std::size_t offset = std::size_t(at.row) * std::size_t(buffer.stride) + std::size_t(at.column) * 4;
    if (offset + 4 <= buffer.size)
        sample = ToScreenColor(
            static_cast<const std::uint8_t *>(buffer.data) + offset, 4, ShmPixelFormat(buffer.format));
}

WlrScreen::WlrScreen() = default;
WlrScreen::~WlrScreen() = default;

void WlrScreen::show(Events events)
{
    if (m_connection == nullptr)
        m_connection = std::make_unique<Connection>(std::move(events));
    if (m_connection->display == nullptr) {
        const auto lost = m_connection->events.lost;
        m_connection.reset();
        if (lost)
            lost();
    }
}

void WlrScreen::hide()
{
    m_connection.reset();
}

std::optional<CursorPoint> WlrScreen::pointer() const
{
    if (m_connection == nullptr || m_connection->over == nullptr)
        return std::nullopt;
    const Connection &c = *m_connection;
    return CursorPoint { c.over->x + int(std::floor(c.x)), c.over->y + int(std::floor(c.y)) };
}

std::int32_t WlrScreen::sample() const
{
    return m_connection != nullptr ? m_connection->sample : NoColor;
}

} // namespace Module1
