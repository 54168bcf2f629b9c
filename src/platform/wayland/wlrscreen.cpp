// SPDX-License-Identifier: MIT
#include "wlrscreen.h"

#include "capturepace.h"
#include "crosshair.h"
#include "outputpixel.h"
#include "pixelformat.h"
#include "shmbuffer.h"
#include "wlrdisplay.h"

#include <QElapsedTimer>

#include <wayland-client.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The generated C names an argument "namespace", which C++ cannot take.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "wlr-screencopy-unstable-v1-client-protocol.h"

namespace Module1 {

// A fully transparent overlay on every output, which takes the pointer and the click, and the cross hair
// that the pointer shows over them.
class Overlays {
public:
    struct Events {
        std::function<void()> moved; // to another place over an overlay
        std::function<void()> pressed, released;
    };

    Overlays(WlrDisplay &display, Events events);
    ~Overlays();
    Overlays(const Overlays &) = delete;
    Overlays &operator=(const Overlays &) = delete;

    void cover(WlrDisplay::Output &output);
    void uncover(const WlrDisplay::Output &output); // the output is going
    // Follows the pointer of `seat`, once it has one.
    void follow(wl_seat *seat);

    // The output whose overlay has the pointer, and where the pointer is on it, in its logical coordinates.
    WlrDisplay::Output *over() const { return m_over; }
    wl_fixed_t x() const { return m_x; }
    wl_fixed_t y() const { return m_y; }
    // Where the pointer is, in the compositor's layout; nothing while it is over no overlay.
    std::optional<CursorPoint> pointer() const;

    // See WlrDisplay::End.
    struct End {
        void operator()(wl_pointer *pointer) const;
        void operator()(wl_surface *surface) const;
    };

private:
    struct Overlay;
    struct Listen;

    WlrDisplay &m_display;
    Events m_events;
    std::vector<std::unique_ptr<Overlay>> m_overlays;
    std::unique_ptr<wl_pointer, End> m_pointer;
    std::unique_ptr<Wl::ShmBuffer> m_crossHair;
    std::unique_ptr<wl_surface, End> m_crossHairSurface;
    WlrDisplay::Output *m_over = nullptr;
    wl_fixed_t m_x = 0, m_y = 0;
};

// Reads the pixel under the pointer with screencopy: a small region around it, or the whole output where no
// region is known to reach it. One capture at a time, each on the output's next frame; the buffers of those
// done serve the next ones. Which way this compositor turns regions on an output turned sideways is learnt
// from one check region compared with the whole output captured just before; until then such outputs are
// read whole.
class PixelReader {
public:
    PixelReader(WlrDisplay &display, const Overlays &overlays);
    ~PixelReader();
    PixelReader(const PixelReader &) = delete;
    PixelReader &operator=(const PixelReader &) = delete;

    // Looks under the pointer: at once when it has moved to another pixel (a capture for the one it left is
    // taken back), and again at the tick's pace while it stays.
    void capture();
    // Takes back what is asked of an output that is going.
    void forget(const WlrDisplay::Output &output);
    // The colour of the latest capture, 0x00BBGGRR; NoColor before the first.
    std::int32_t sample() const { return m_sample; }

private:
    struct Capture;
    struct Listen;

    std::unique_ptr<Capture> ask(WlrDisplay::Output &output, const PixelCapture &plan, bool check);
    void done(std::unique_ptr<Capture> finished);
    void compare();

    WlrDisplay &m_display;
    const Overlays &m_overlays;
    CapturePace m_pace { [this] { capture(); } };
    // The one capture of the pixel under the pointer in flight.
    std::unique_ptr<Capture> m_sampling;
    std::int32_t m_sample = NoColor;
    std::vector<std::unique_ptr<Wl::ShmBuffer>> m_spare; // buffers of captures that are done
    std::optional<RegionTurn> m_turn;
    std::unique_ptr<Capture> m_checking;
    std::unique_ptr<Capture> m_whole; // the latest whole capture, while the way is not known
    QElapsedTimer m_sinceCheck;
};

namespace {

    constexpr std::uint32_t Anchored = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
        | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

} // namespace

// Ended in the reverse of their order here: the overlay before its surface.
struct Overlays::Overlay {
    Overlays *overlays = nullptr;
    WlrDisplay::Output *output = nullptr;
    Wl::Owned<wl_surface, wl_surface_destroy> surface;
    Wl::Owned<zwlr_layer_surface_v1, zwlr_layer_surface_v1_destroy> overlay;
    std::unique_ptr<Wl::ShmBuffer> transparent;
};

struct Overlays::Listen {
    static void capabilities(void *data, wl_seat *seat, std::uint32_t caps)
    {
        auto *o = static_cast<Overlays *>(data);
        if ((caps & WL_SEAT_CAPABILITY_POINTER) != 0 && o->m_pointer == nullptr) {
            o->m_pointer.reset(wl_seat_get_pointer(seat));
            wl_pointer_add_listener(o->m_pointer.get(), &pointerListener, o);
        }
    }

    static void enter(void *data, wl_pointer *pointer, std::uint32_t serial, wl_surface *surface,
        wl_fixed_t x, wl_fixed_t y)
    {
        auto *o = static_cast<Overlays *>(data);
        const auto under = std::find_if(o->m_overlays.begin(), o->m_overlays.end(),
            [&](const std::unique_ptr<Overlay> &overlay) { return overlay->surface.get() == surface; });
        o->m_over = under != o->m_overlays.end() ? (*under)->output : nullptr;
        if (o->m_crossHair == nullptr) {
            o->m_crossHair = std::make_unique<Wl::ShmBuffer>(
                o->m_display.shm(), CrossHairSize, CrossHairSize, 4 * CrossHairSize, WL_SHM_FORMAT_ARGB8888);
            if (o->m_crossHair->pixels.data() != nullptr) {
                const auto image = CrossHair();
                std::memcpy(o->m_crossHair->pixels.data(), image.data(), sizeof image);
            }
            o->m_crossHairSurface.reset(wl_compositor_create_surface(o->m_display.compositor()));
            wl_surface_attach(o->m_crossHairSurface.get(), o->m_crossHair->buffer.get(), 0, 0);
            wl_surface_damage(o->m_crossHairSurface.get(), 0, 0, CrossHairSize, CrossHairSize);
            wl_surface_commit(o->m_crossHairSurface.get());
        }
        wl_pointer_set_cursor(
            pointer, serial, o->m_crossHairSurface.get(), CrossHairHotSpot, CrossHairHotSpot);
        motion(data, pointer, 0, x, y);
    }

    static void leave(void *data, wl_pointer *, std::uint32_t, wl_surface *)
    {
        static_cast<Overlays *>(data)->m_over = nullptr;
    }

    static void motion(void *data, wl_pointer *, std::uint32_t, wl_fixed_t x, wl_fixed_t y)
    {
        auto *o = static_cast<Overlays *>(data);
        o->m_x = x;
        o->m_y = y;
        if (o->m_events.moved)
            o->m_events.moved();
    }

    static void button(
        void *data, wl_pointer *, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state)
    {
        auto *o = static_cast<Overlays *>(data);
        const auto &report
            = state == WL_POINTER_BUTTON_STATE_PRESSED ? o->m_events.pressed : o->m_events.released;
        if (report)
            report();
    }

    static void configure(void *data, zwlr_layer_surface_v1 *overlay, std::uint32_t serial,
        std::uint32_t width, std::uint32_t height)
    {
        auto *o = static_cast<Overlay *>(data);
        zwlr_layer_surface_v1_ack_configure(overlay, serial);
        const int w = int(width), h = int(height);
        // Every pixel zero, alpha too: even an alpha of 1 in 255 would change what a capture reads. The pages
        // are never written, so they cost no memory here.
        if (o->transparent == nullptr || !o->transparent->fits(w, h, 4 * w, WL_SHM_FORMAT_ARGB8888))
            o->transparent = std::make_unique<Wl::ShmBuffer>(
                o->overlays->m_display.shm(), w, h, 4 * w, WL_SHM_FORMAT_ARGB8888);
        wl_surface_attach(o->surface.get(), o->transparent->buffer.get(), 0, 0);
        wl_surface_damage(o->surface.get(), 0, 0, w, h);
        wl_surface_commit(o->surface.get());
    }

    static void closed(void *data, zwlr_layer_surface_v1 *)
    {
        // The compositor took the overlay away (its output is going): nothing of it is picked any more.
        auto *o = static_cast<Overlay *>(data);
        if (o->overlays->m_over == o->output)
            o->overlays->m_over = nullptr;
    }

    static constexpr wl_seat_listener seatListener = { capabilities, Wl::ignore };
    static constexpr wl_pointer_listener pointerListener = { enter, leave, motion, button, Wl::ignore,
        Wl::ignore, Wl::ignore, Wl::ignore, Wl::ignore, Wl::ignore };
    static constexpr zwlr_layer_surface_v1_listener overlayListener = { configure, closed };
};

void Overlays::End::operator()(wl_pointer *pointer) const
{
    wl_pointer_destroy(pointer);
}

void Overlays::End::operator()(wl_surface *surface) const
{
    wl_surface_destroy(surface);
}

Overlays::Overlays(WlrDisplay &display, Events events)
    : m_display(display)
    , m_events(std::move(events))
{
}

Overlays::~Overlays() = default;

void Overlays::follow(wl_seat *seat)
{
    wl_seat_add_listener(seat, &Listen::seatListener, this);
}

void Overlays::cover(WlrDisplay::Output &output)
{
    auto overlay = std::make_unique<Overlay>();
    overlay->overlays = this;
    overlay->output = &output;
    overlay->surface.reset(wl_compositor_create_surface(m_display.compositor()));
    // Over everything, on all four edges, moving nothing aside and taking no keyboard, so that Zumeko's
    // keys (Alt+H, Alt+I, Tab) still reach its window.
    overlay->overlay.reset(zwlr_layer_shell_v1_get_layer_surface(m_display.layerShell(),
        overlay->surface.get(), output.output.get(), ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "zumeko-picker"));
    zwlr_layer_surface_v1_add_listener(overlay->overlay.get(), &Listen::overlayListener, overlay.get());
    zwlr_layer_surface_v1_set_anchor(overlay->overlay.get(), Anchored);
    zwlr_layer_surface_v1_set_exclusive_zone(overlay->overlay.get(), -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(overlay->overlay.get(), 0);
    wl_surface_commit(overlay->surface.get());
    m_overlays.push_back(std::move(overlay));
}

void Overlays::uncover(const WlrDisplay::Output &output)
{
    if (m_over == &output)
        m_over = nullptr;
    std::erase_if(
        m_overlays, [&](const std::unique_ptr<Overlay> &overlay) { return overlay->output == &output; });
}

std::optional<CursorPoint> Overlays::pointer() const
{
    if (m_over == nullptr)
        return std::nullopt;
    return CursorPoint { m_over->x + int(std::floor(wl_fixed_to_double(m_x))),
        m_over->y + int(std::floor(wl_fixed_to_double(m_y))) };
}

namespace {

    constexpr qint64 CheckInterval = 500; // milliseconds between checks of the way regions are turned

} // namespace

// A capture on its way, and the buffer it is copied into.
struct PixelReader::Capture {
    PixelReader *reader = nullptr;
    WlrDisplay::Output *output = nullptr;
    PixelCapture plan; // for a check, only its region counts
    OutputShape shape; // the output's, when the plan was made
    bool check = false;
    bool yInverted = false;
    std::unique_ptr<Wl::ShmBuffer> buffer;
    Wl::Owned<zwlr_screencopy_frame_v1, zwlr_screencopy_frame_v1_destroy> frame;

    // What it came back with, as the rules read it.
    Captured captured() const
    {
        return { shape, plan.region, static_cast<const std::uint8_t *>(buffer->pixels.data()), buffer->size,
            buffer->width, buffer->height, buffer->stride, ShmPixelFormat(buffer->format), yInverted };
    }
};

struct PixelReader::Listen {
    static void frameBuffer(void *data, zwlr_screencopy_frame_v1 *frame, std::uint32_t format,
        std::uint32_t width, std::uint32_t height, std::uint32_t stride)
    {
        auto *capture = static_cast<Capture *>(data);
        PixelReader *r = capture->reader;
        const int w = int(width), h = int(height), s = int(stride);
        if (!capture->check && capture->plan.region.width != 0
            && (w != capture->plan.bufferWidth || h != capture->plan.bufferHeight)) {
            // This compositor places regions otherwise than wlroots: the whole output is read instead. Unless
            // the output changed its shape after the capture was asked for, which says nothing of its
            // regions.
            if (capture->shape == capture->output->shape)
                capture->output->regionsFail = true;
            frameFailed(data, frame);
            return;
        }
        const auto fits = std::find_if(r->m_spare.begin(), r->m_spare.end(),
            [&](const std::unique_ptr<Wl::ShmBuffer> &buffer) { return buffer->fits(w, h, s, format); });
        if (fits != r->m_spare.end()) {
            capture->buffer = std::move(*fits);
            r->m_spare.erase(fits);
        } else {
            capture->buffer = std::make_unique<Wl::ShmBuffer>(r->m_display.shm(), w, h, s, format);
        }
        if (capture->buffer->buffer != nullptr)
            zwlr_screencopy_frame_v1_copy(frame, capture->buffer->buffer.get());
        else
            frameFailed(data, frame);
    }

    static void frameFlags(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t flags)
    {
        static_cast<Capture *>(data)->yInverted = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
    }

    static void frameReady(
        void *data, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t)
    {
        auto *capture = static_cast<Capture *>(data);
        PixelReader *r = capture->reader;
        if (capture->check) {
            r->compare();
            r->done(std::move(r->m_checking));
            return;
        }
        r->m_sample = ColourAt(capture->captured(), capture->plan.column, capture->plan.row);
        std::unique_ptr<Capture> finished = std::move(r->m_sampling);
        if (finished->plan.region.width == 0 && !r->m_turn && TurnMatters(finished->output->shape)) {
            // Kept for the check that tells which way regions are turned.
            finished->frame.reset();
            std::swap(finished, r->m_whole);
        }
        r->done(std::move(finished));
        // A moved pointer has been looked under already; a still one is, at the tick's pace.
        r->m_pace.answered();
    }

    static void frameFailed(void *data, zwlr_screencopy_frame_v1 *)
    {
        auto *capture = static_cast<Capture *>(data);
        PixelReader *r = capture->reader;
        if (capture->check) {
            r->done(std::move(r->m_checking));
            return;
        }
        r->done(std::move(r->m_sampling));
        r->m_pace.failed();
    }

    static constexpr zwlr_screencopy_frame_v1_listener frameListener
        = { frameBuffer, frameFlags, frameReady, frameFailed, Wl::ignore, Wl::ignore, Wl::ignore };
};

PixelReader::PixelReader(WlrDisplay &display, const Overlays &overlays)
    : m_display(display)
    , m_overlays(overlays)
{
}

PixelReader::~PixelReader() = default;

void PixelReader::capture()
{
    WlrDisplay::Output *over = m_overlays.over();
    if (over == nullptr || OutputScale(over->shape) <= 0)
        return;
    // Where the way regions are turned matters and is not known, or where regions fail, the whole output.
    std::optional<RegionTurn> way = TurnMatters(over->shape) ? m_turn : RegionTurn::Back;
    if (over->regionsFail)
        way.reset();
    const PixelCapture plan = CapturePixelUnder(over->shape, m_overlays.x(), m_overlays.y(), way);
    if (m_sampling != nullptr && m_sampling->output == over && m_sampling->plan == plan)
        return; // already asked for
    m_pace.asked();
    done(std::move(m_sampling));
    m_sampling = ask(*over, plan, false);
    // On an output turned sideways, which way the compositor turns regions is seen once: a quarter of the
    // output, compared with the whole output captured just before.
    if (!m_turn && TurnMatters(over->shape) && !over->regionsFail && m_whole != nullptr
        && m_whole->output == over && m_checking == nullptr
        && (!m_sinceCheck.isValid() || m_sinceCheck.elapsed() >= CheckInterval)) {
        m_sinceCheck.start();
        m_checking = ask(*over, { TurnCheckRegion(over->shape), 0, 0, 0, 0 }, true);
    }
    m_display.flush(); // from a timer, nothing else would send it
}

void PixelReader::forget(const WlrDisplay::Output &output)
{
    for (auto *capture : { &m_sampling, &m_checking, &m_whole }) {
        if (*capture != nullptr && (*capture)->output == &output)
            capture->reset();
    }
}

std::unique_ptr<PixelReader::Capture> PixelReader::ask(
    WlrDisplay::Output &output, const PixelCapture &plan, bool check)
{
    auto capture = std::make_unique<Capture>();
    capture->reader = this;
    capture->output = &output;
    capture->plan = plan;
    capture->shape = output.shape;
    capture->check = check;
    const Box &r = plan.region;
    zwlr_screencopy_manager_v1 *screencopy = m_display.screencopy();
    capture->frame.reset(r.width == 0
            ? zwlr_screencopy_manager_v1_capture_output(screencopy, 0, output.output.get())
            : zwlr_screencopy_manager_v1_capture_output_region(
                screencopy, 0, output.output.get(), r.x, r.y, r.width, r.height));
    zwlr_screencopy_frame_v1_add_listener(capture->frame.get(), &Listen::frameListener, capture.get());
    return capture;
}

// A capture that is over, or taken back: its buffer serves the next one.
void PixelReader::done(std::unique_ptr<Capture> finished)
{
    if (finished == nullptr)
        return;
    finished->frame.reset();
    // A whole output's buffer is worth keeping only while whole outputs are read.
    constexpr std::size_t Small = 64 * 1024;
    const bool wholeRead = !m_turn || finished->output->regionsFail;
    if (finished->buffer != nullptr && m_spare.size() < 4 && (wholeRead || finished->buffer->size <= Small))
        m_spare.push_back(std::move(finished->buffer));
}

// The check region came back: the way of turning regions whose box of the whole output shows the same
// pixels is this compositor's. A screen that looks the same both ways (one colour all over) tells nothing,
// and the check is made again later.
void PixelReader::compare()
{
    const Capture &check = *m_checking;
    if (m_whole == nullptr || m_whole->output != check.output || m_whole->buffer == nullptr)
        return;
    if (const std::optional<RegionTurn> seen = TurnSeen(check.captured(), m_whole->captured())) {
        m_turn = seen;
        done(std::move(m_whole));
    }
}

// Screen mode's parts on one connection. Members are ended in the reverse of their order here: what is on
// the connection before the connection.
struct WlrScreen::Connection {
    WlrScreen::Events events;
    WlrDisplay display;
    Overlays overlays;
    PixelReader reader;

    explicit Connection(WlrScreen::Events e)
        : events(std::move(e))
        , display({ [this](WlrDisplay::Output &output) { overlays.cover(output); },
              [this](const WlrDisplay::Output &output) {
                  overlays.uncover(output);
                  reader.forget(output);
              },
              [this](wl_seat *seat) { overlays.follow(seat); }, [this] { report(events.lost); } })
        , overlays(display,
              { [this] { reader.capture(); }, [this] { report(events.pressed); },
                  [this] { report(events.released); } })
        , reader(display, overlays)
    {
    }

    static void report(const std::function<void()> &event)
    {
        if (event)
            event();
    }
};

WlrScreen::WlrScreen() = default;
WlrScreen::~WlrScreen() = default;

void WlrScreen::show(Events events)
{
    if (m_connection == nullptr)
        m_connection = std::make_unique<Connection>(std::move(events));
    if (!m_connection->display.connected()) {
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
    return m_connection != nullptr ? m_connection->overlays.pointer() : std::nullopt;
}

std::int32_t WlrScreen::sample() const
{
    return m_connection != nullptr ? m_connection->reader.sample() : NoColor;
}

} // namespace Module1
