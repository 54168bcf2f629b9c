// SPDX-License-Identifier: MIT
#include "wlrscreen.h"

#include "capturepace.h"
#include "crosshair.h"
#include "outputpixel.h"
#include "pixelformat.h"
#include "shmbuffer.h"
#include "wlglobals.h"
#include "wlowners.h"

#include <QElapsedTimer>
#include <QSocketNotifier>

#include <wayland-client.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

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
    constexpr qint64 CheckInterval = 500; // milliseconds between checks of the way regions are turned

    using Buffer = Wl::ShmBuffer;

} // namespace

struct WlrScreen::Connection {
    // Members are ended in the reverse of their order here: the overlay before its surface, the
    // connection after everything on it.
    struct Output {
        Connection *connection = nullptr;
        std::uint32_t name = 0;
        Wl::Owned<wl_output, wl_output_destroy> output;
        Wl::Owned<zxdg_output_v1, zxdg_output_v1_destroy> xdgOutput;
        int x = 0, y = 0; // in the compositor's layout
        OutputShape shape;
        bool regionsFail = false; // its regions come back in sizes we do not expect: read it whole
        Wl::Owned<wl_surface, wl_surface_destroy> surface;
        Wl::Owned<zwlr_layer_surface_v1, zwlr_layer_surface_v1_destroy> overlay;
        std::unique_ptr<Buffer> transparentBuffer;
    };
    // A capture on its way, and the buffer it is copied into.
    struct Capture {
        Connection *connection = nullptr;
        Output *output = nullptr;
        PixelCapture plan; // for a check, only its region counts
        OutputShape shape; // the output's, when the plan was made
        bool check = false;
        bool yInverted = false;
        std::unique_ptr<Buffer> buffer;
        Wl::Owned<zwlr_screencopy_frame_v1, zwlr_screencopy_frame_v1_destroy> frame;
    };

    WlrScreen::Events events;
    Wl::Owned<wl_display, wl_display_disconnect> display;
    std::unique_ptr<QSocketNotifier> notifier;
    CapturePace pace { [this] { capture(); } };
    Wl::Global<wl_registry> registry;
    Wl::Global<wl_compositor> compositor;
    Wl::Global<wl_shm> shm;
    Wl::Global<wl_seat> seat;
    Wl::Global<zwlr_layer_shell_v1> layerShell;
    Wl::Global<zwlr_screencopy_manager_v1> screencopy;
    Wl::Global<zxdg_output_manager_v1> xdgOutputManager;
    Wl::Owned<wl_pointer, wl_pointer_destroy> pointer;
    // Taken down before the compositor has answered everything (screen mode left at once), what is still
    // on its way is ours to free too.
    Wl::Owned<wl_callback, wl_callback_destroy> sync; // until the compositor's globals are known
    bool ready = false; // since they are, all of those screen mode needs
    std::vector<std::unique_ptr<Output>> outputs;
    std::unique_ptr<Buffer> cursor;
    Wl::Owned<wl_surface, wl_surface_destroy> cursorSurface;

    Output *over = nullptr; // the output whose overlay has the pointer
    wl_fixed_t x = 0, y = 0; // on it, in its logical coordinates

    // The one capture of the pixel under the pointer in flight: one for a place the pointer has left is
    // taken back, so that a move is seen in the very next frame.
    std::unique_ptr<Capture> sampling;
    std::int32_t sample = NoColor;
    std::vector<std::unique_ptr<Buffer>> spare; // buffers of captures that are done, for the next ones
    // Which way this compositor turns a region on an output turned sideways, found by comparing a check
    // region with the whole output captured just before; until then such outputs are captured whole.
    std::optional<RegionTurn> turn;
    std::unique_ptr<Capture> checking;
    std::unique_ptr<Capture> whole; // the latest whole capture, while the way is not known
    QElapsedTimer sinceCheck;

    explicit Connection(WlrScreen::Events e);
    ~Connection();
    void dispatch();
    void flush();
    void cover(Output &output);
    void capture();
    std::unique_ptr<Capture> ask(Output &output, const PixelCapture &plan, bool check);
    void done(std::unique_ptr<Capture> finished);
    void compare();
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
    static void geometry(void *data, wl_output *, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
        std::int32_t, const char *, const char *, std::int32_t transform);
    static void mode(
        void *data, wl_output *, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t);
    static void logicalPosition(void *data, zxdg_output_v1 *, std::int32_t x, std::int32_t y);
    static void logicalSize(void *data, zxdg_output_v1 *, std::int32_t width, std::int32_t height);
    static void configure(void *data, zwlr_layer_surface_v1 *overlay, std::uint32_t serial,
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
    const wl_seat_listener seatListener = { WlrScreen::Connection::capabilities, Wl::ignore };
    const wl_pointer_listener pointerListener = { WlrScreen::Connection::enter, WlrScreen::Connection::leave,
        WlrScreen::Connection::motion, WlrScreen::Connection::button, Wl::ignore, Wl::ignore, Wl::ignore,
        Wl::ignore, Wl::ignore, Wl::ignore };
    const wl_output_listener outputListener = { WlrScreen::Connection::geometry, WlrScreen::Connection::mode,
        Wl::ignore, Wl::ignore, Wl::ignore, Wl::ignore };
    const zxdg_output_v1_listener xdgOutputListener = { WlrScreen::Connection::logicalPosition,
        WlrScreen::Connection::logicalSize, Wl::ignore, Wl::ignore, Wl::ignore };
    const zwlr_layer_surface_v1_listener overlayListener
        = { WlrScreen::Connection::configure, WlrScreen::Connection::closed };
    const zwlr_screencopy_frame_v1_listener frameListener = { WlrScreen::Connection::frameBuffer,
        WlrScreen::Connection::frameFlags, WlrScreen::Connection::frameReady,
        WlrScreen::Connection::frameFailed, Wl::ignore, Wl::ignore, Wl::ignore };

} // namespace

WlrScreen::Connection::Connection(WlrScreen::Events e)
    : events(std::move(e))
{
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
    sampling.reset();
    checking.reset();
    whole.reset();
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
    if (Wl::is(interface, wl_compositor_interface)) {
        c->compositor = Wl::bind<wl_compositor>(registry, name, wl_compositor_interface);
    } else if (Wl::is(interface, wl_shm_interface)) {
        c->shm = Wl::bind<wl_shm>(registry, name, wl_shm_interface);
    } else if (Wl::is(interface, wl_seat_interface) && c->seat == nullptr) {
        c->seat = Wl::bind<wl_seat>(registry, name, wl_seat_interface);
        wl_seat_add_listener(c->seat.get(), &seatListener, c);
    } else if (Wl::is(interface, zwlr_layer_shell_v1_interface)) {
        c->layerShell = Wl::bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface);
    } else if (Wl::is(interface, zwlr_screencopy_manager_v1_interface)) {
        c->screencopy
            = Wl::bind<zwlr_screencopy_manager_v1>(registry, name, zwlr_screencopy_manager_v1_interface);
    } else if (Wl::is(interface, zxdg_output_manager_v1_interface)) {
        c->xdgOutputManager
            = Wl::bind<zxdg_output_manager_v1>(registry, name, zxdg_output_manager_v1_interface, 2);
    } else if (Wl::is(interface, wl_output_interface)) {
        auto output = std::make_unique<Output>();
        output->connection = c;
        output->name = name;
        output->output.reset(
            static_cast<wl_output *>(wl_registry_bind(registry, name, &wl_output_interface, 1)));
        wl_output_add_listener(output->output.get(), &outputListener, output.get());
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
        for (auto *capture : { &c->sampling, &c->checking, &c->whole }) {
            if (*capture != nullptr && (*capture)->output == output->get())
                capture->reset();
        }
        c->outputs.erase(output);
        return;
    }
}

void WlrScreen::Connection::synced(void *data, wl_callback *, std::uint32_t)
{
    auto *c = static_cast<Connection *>(data);
    c->sync.reset();
    if (c->compositor == nullptr || c->shm == nullptr || c->layerShell == nullptr || c->screencopy == nullptr
        || c->xdgOutputManager == nullptr) {
        if (c->events.lost)
            c->events.lost();
        return;
    }
    c->ready = true;
    for (auto &output : c->outputs)
        c->cover(*output);
}

void WlrScreen::Connection::cover(Output &output)
{
    output.xdgOutput.reset(
        zxdg_output_manager_v1_get_xdg_output(xdgOutputManager.get(), output.output.get()));
    zxdg_output_v1_add_listener(output.xdgOutput.get(), &xdgOutputListener, &output);
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

// An output's shape, from which the physical pixel under the pointer is found.
void WlrScreen::Connection::geometry(void *data, wl_output *, std::int32_t, std::int32_t, std::int32_t,
    std::int32_t, std::int32_t, const char *, const char *, std::int32_t transform)
{
    static_cast<Output *>(data)->shape.transform = transform;
}

void WlrScreen::Connection::mode(
    void *data, wl_output *, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t)
{
    if ((flags & WL_OUTPUT_MODE_CURRENT) == 0)
        return;
    auto *output = static_cast<Output *>(data);
    output->shape.width = width;
    output->shape.height = height;
}

void WlrScreen::Connection::logicalPosition(void *data, zxdg_output_v1 *, std::int32_t x, std::int32_t y)
{
    auto *output = static_cast<Output *>(data);
    output->x = x;
    output->y = y;
}

void WlrScreen::Connection::logicalSize(void *data, zxdg_output_v1 *, std::int32_t width, std::int32_t height)
{
    auto *output = static_cast<Output *>(data);
    output->shape.logicalWidth = width;
    output->shape.logicalHeight = height;
}

void WlrScreen::Connection::configure(void *data, zwlr_layer_surface_v1 *overlay, std::uint32_t serial,
    std::uint32_t width, std::uint32_t height)
{
    auto *output = static_cast<Output *>(data);
    Connection *c = output->connection;
    zwlr_layer_surface_v1_ack_configure(overlay, serial);
    const int w = int(width), h = int(height);
    // Every pixel zero, alpha too: even an alpha of 1 in 255 would change what a capture reads. The pages
    // are never written, so they cost no memory here.
    if (output->transparentBuffer == nullptr
        || !output->transparentBuffer->fits(w, h, 4 * w, WL_SHM_FORMAT_ARGB8888))
        output->transparentBuffer
            = std::make_unique<Buffer>(c->shm.get(), w, h, 4 * w, WL_SHM_FORMAT_ARGB8888);
    wl_surface_attach(output->surface.get(), output->transparentBuffer->buffer.get(), 0, 0);
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
            c->shm.get(), CrossHairSize, CrossHairSize, 4 * CrossHairSize, WL_SHM_FORMAT_ARGB8888);
        if (c->cursor->pixels.data() != nullptr) {
            const auto image = CrossHair();
            std::memcpy(c->cursor->pixels.data(), image.data(), sizeof image);
        }
        c->cursorSurface.reset(wl_compositor_create_surface(c->compositor.get()));
        wl_surface_attach(c->cursorSurface.get(), c->cursor->buffer.get(), 0, 0);
        wl_surface_damage(c->cursorSurface.get(), 0, 0, CrossHairSize, CrossHairSize);
        wl_surface_commit(c->cursorSurface.get());
    }
    wl_pointer_set_cursor(pointer, serial, c->cursorSurface.get(), CrossHairHotSpot, CrossHairHotSpot);
    motion(data, pointer, 0, x, y);
}

void WlrScreen::Connection::leave(void *data, wl_pointer *, std::uint32_t, wl_surface *)
{
    static_cast<Connection *>(data)->over = nullptr;
}

void WlrScreen::Connection::motion(void *data, wl_pointer *, std::uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    auto *c = static_cast<Connection *>(data);
    c->x = x;
    c->y = y;
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

namespace {

    // What a capture came back with, as the rules read it.
    Captured capturedBy(const Buffer &buffer, const OutputShape &shape, const Box &region, bool yInverted)
    {
        return { shape, region, static_cast<const std::uint8_t *>(buffer.pixels.data()), buffer.size,
            buffer.width, buffer.height, buffer.stride, ShmPixelFormat(buffer.format), yInverted };
    }

} // namespace

// The region around the pixel under the pointer, captured as soon as the pointer is on another pixel (a
// capture for the one it left is taken back), and again at the tick's pace while it stays. Each capture
// is answered on the output's next frame.
void WlrScreen::Connection::capture()
{
    if (over == nullptr || OutputScale(over->shape) <= 0)
        return;
    // Where the way regions are turned matters and is not known, or where regions fail, the whole output.
    std::optional<RegionTurn> way = TurnMatters(over->shape) ? turn : RegionTurn::Back;
    if (over->regionsFail)
        way.reset();
    const PixelCapture plan = CapturePixelUnder(over->shape, x, y, way);
    if (sampling != nullptr && sampling->output == over && sampling->plan == plan)
        return; // already asked for
    pace.asked();
    done(std::move(sampling));
    sampling = ask(*over, plan, false);
    // On an output turned sideways, which way the compositor turns regions is seen once: a quarter of the
    // output, compared with the whole output captured just before.
    if (!turn && TurnMatters(over->shape) && !over->regionsFail && whole != nullptr && whole->output == over
        && checking == nullptr && (!sinceCheck.isValid() || sinceCheck.elapsed() >= CheckInterval)) {
        sinceCheck.start();
        checking = ask(*over, { TurnCheckRegion(over->shape), 0, 0, 0, 0 }, true);
    }
    flush(); // from a timer, nothing else would send it
}

std::unique_ptr<WlrScreen::Connection::Capture> WlrScreen::Connection::ask(
    Output &output, const PixelCapture &plan, bool check)
{
    auto capture = std::make_unique<Capture>();
    capture->connection = this;
    capture->output = &output;
    capture->plan = plan;
    capture->shape = output.shape;
    capture->check = check;
    const Box &r = plan.region;
    capture->frame.reset(r.width == 0
            ? zwlr_screencopy_manager_v1_capture_output(screencopy.get(), 0, output.output.get())
            : zwlr_screencopy_manager_v1_capture_output_region(
                screencopy.get(), 0, output.output.get(), r.x, r.y, r.width, r.height));
    zwlr_screencopy_frame_v1_add_listener(capture->frame.get(), &frameListener, capture.get());
    return capture;
}

// A capture that is over, or taken back: its buffer serves the next one.
void WlrScreen::Connection::done(std::unique_ptr<Capture> finished)
{
    if (finished == nullptr)
        return;
    finished->frame.reset();
    // A whole output's buffer is worth keeping only while whole outputs are read.
    constexpr std::size_t Small = 64 * 1024;
    const bool wholeRead = !turn || finished->output->regionsFail;
    if (finished->buffer != nullptr && spare.size() < 4 && (wholeRead || finished->buffer->size <= Small))
        spare.push_back(std::move(finished->buffer));
}

void WlrScreen::Connection::frameBuffer(void *data, zwlr_screencopy_frame_v1 *frame, std::uint32_t format,
    std::uint32_t width, std::uint32_t height, std::uint32_t stride)
{
    auto *capture = static_cast<Capture *>(data);
    Connection *c = capture->connection;
    const int w = int(width), h = int(height), s = int(stride);
    if (!capture->check && capture->plan.region.width != 0
        && (w != capture->plan.bufferWidth || h != capture->plan.bufferHeight)) {
        // This compositor places regions otherwise than wlroots: the whole output is read instead. Unless the
        // output changed its shape after the capture was asked for, which says nothing of its regions.
        if (capture->shape == capture->output->shape)
            capture->output->regionsFail = true;
        frameFailed(data, frame);
        return;
    }
    const auto fits = std::find_if(c->spare.begin(), c->spare.end(),
        [&](const std::unique_ptr<Buffer> &buffer) { return buffer->fits(w, h, s, format); });
    if (fits != c->spare.end()) {
        capture->buffer = std::move(*fits);
        c->spare.erase(fits);
    } else {
        capture->buffer = std::make_unique<Buffer>(c->shm.get(), w, h, s, format);
    }
    if (capture->buffer->buffer != nullptr)
        zwlr_screencopy_frame_v1_copy(frame, capture->buffer->buffer.get());
    else
        frameFailed(data, frame);
}

void WlrScreen::Connection::frameFlags(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t flags)
{
    static_cast<Capture *>(data)->yInverted = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
}

void WlrScreen::Connection::frameReady(
    void *data, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t)
{
    auto *capture = static_cast<Capture *>(data);
    Connection *c = capture->connection;
    if (capture->check) {
        c->compare();
        c->done(std::move(c->checking));
        return;
    }
    c->sample
        = ColourAt(capturedBy(*capture->buffer, capture->shape, capture->plan.region, capture->yInverted),
            capture->plan.column, capture->plan.row);
    std::unique_ptr<Capture> finished = std::move(c->sampling);
    if (finished->plan.region.width == 0 && !c->turn && TurnMatters(finished->output->shape)) {
        // Kept for the check that tells which way regions are turned.
        finished->frame.reset();
        std::swap(finished, c->whole);
    }
    c->done(std::move(finished));
    // A moved pointer has been looked under already; a still one is, at the tick's pace.
    c->pace.answered();
}

void WlrScreen::Connection::frameFailed(void *data, zwlr_screencopy_frame_v1 *)
{
    auto *capture = static_cast<Capture *>(data);
    Connection *c = capture->connection;
    if (capture->check) {
        c->done(std::move(c->checking));
        return;
    }
    c->done(std::move(c->sampling));
    c->pace.failed();
}

// The check region came back: the way of turning regions whose box of the whole output shows the same
// pixels is this compositor's. A screen that looks the same both ways (one colour all over) tells nothing,
// and the check is made again later.
void WlrScreen::Connection::compare()
{
    const Capture &check = *checking;
    if (whole == nullptr || whole->output != check.output || whole->buffer == nullptr)
        return;
    const std::optional<RegionTurn> seen
        = TurnSeen(capturedBy(*check.buffer, check.shape, check.plan.region, check.yInverted),
            capturedBy(*whole->buffer, whole->shape, {}, whole->yInverted));
    if (seen) {
        turn = seen;
        done(std::move(whole));
    }
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
    return CursorPoint { c.over->x + int(std::floor(wl_fixed_to_double(c.x))),
        c.over->y + int(std::floor(wl_fixed_to_double(c.y))) };
}

std::int32_t WlrScreen::sample() const
{
    return m_connection != nullptr ? m_connection->sample : NoColor;
}

} // namespace Module1
