// SPDX-License-Identifier: MIT
#include "pixelreader.h"

#include "overlays.h"
#include "pixelformat.h"

#include <algorithm>
#include <utility>

#include "wlr-screencopy-unstable-v1-client-protocol.h"

namespace Module1 {

namespace {

    constexpr qint64 CheckInterval = 500; // milliseconds between checks of the way regions are turned

} // namespace

// A capture on its way, and the buffer it is copied into.
struct PixelReader::Capture {
    PixelReader *reader = nullptr;
    WlrDisplay::Output *output = nullptr;
    Screen::PixelCapture plan; // for a check, only its region counts
    Screen::OutputShape shape; // the output's, when the plan was made
    bool check = false;
    bool yInverted = false;
    std::unique_ptr<Wl::ShmBuffer> buffer;
    Wl::Owned<zwlr_screencopy_frame_v1, zwlr_screencopy_frame_v1_destroy> frame;

    // What it came back with, as the rules read it.
    Screen::Captured captured() const
    {
        return { shape, plan.region, static_cast<const std::uint8_t *>(buffer->pixels.data()), buffer->size,
            buffer->width, buffer->height, buffer->stride, Screen::ShmPixelFormat(buffer->format),
            yInverted };
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
        const Screen::Captured captured = capture->captured();
        r->m_sample = Screen::ColourAt(captured, capture->plan.column, capture->plan.row);
        const int radius = r->m_squareRadius = r->m_radius;
        r->m_square.clear();
        for (int dy = -radius; dy <= radius && radius > 0; ++dy) {
            for (int dx = -radius; dx <= radius; ++dx) {
                const auto at = Screen::PixelBeside(capture->shape, capture->plan, dx, dy);
                r->m_square.push_back(at ? Screen::ColourAt(captured, at->first, at->second) : NoColor);
            }
        }
        std::unique_ptr<Capture> finished = std::move(r->m_sampling);
        if (finished->plan.region.width == 0 && !r->m_turn && Screen::TurnMatters(finished->output->shape)) {
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
    if (over == nullptr || Screen::OutputScale(over->shape) <= 0)
        return;
    // Where the way regions are turned matters and is not known, or where regions fail, the whole output.
    std::optional<Screen::RegionTurn> way
        = Screen::TurnMatters(over->shape) ? m_turn : Screen::RegionTurn::Back;
    if (over->regionsFail)
        way.reset();
    const Screen::PixelCapture plan
        = Screen::CapturePixelUnder(over->shape, m_overlays.x(), m_overlays.y(), way, m_radius);
    if (m_sampling != nullptr && m_sampling->output == over && m_sampling->plan == plan)
        return; // already asked for
    m_pace.asked();
    done(std::move(m_sampling));
    m_sampling = ask(*over, plan, false);
    // On an output turned sideways, which way the compositor turns regions is seen once: a quarter of the
    // output, compared with the whole output captured just before.
    if (!m_turn && Screen::TurnMatters(over->shape) && !over->regionsFail && m_whole != nullptr
        && m_whole->output == over && m_checking == nullptr
        && (!m_sinceCheck.isValid() || m_sinceCheck.elapsed() >= CheckInterval)) {
        m_sinceCheck.start();
        m_checking = ask(*over, { Screen::TurnCheckRegion(over->shape), 0, 0, 0, 0 }, true);
    }
    m_display.flush(); // from a timer, nothing else would send it
}

std::vector<std::int32_t> PixelReader::square(int across) const
{
    if (across <= 0)
        return {};
    const int half = across / 2, radius = m_squareRadius;
    const int reach = m_square.empty() ? -1 : std::min(half, radius);
    std::vector<std::int32_t> colours(std::size_t(across) * std::size_t(across), NoColor);
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx)
            colours[std::size_t((half + dy) * across + half + dx)]
                = m_square[std::size_t((radius + dy) * (2 * radius + 1) + radius + dx)];
    }
    colours[std::size_t(half * across + half)] = m_sample;
    return colours;
}

void PixelReader::forget(const WlrDisplay::Output &output)
{
    for (auto *capture : { &m_sampling, &m_checking, &m_whole }) {
        if (*capture != nullptr && (*capture)->output == &output)
            capture->reset();
    }
}

std::unique_ptr<PixelReader::Capture> PixelReader::ask(
    WlrDisplay::Output &output, const Screen::PixelCapture &plan, bool check)
{
    auto capture = std::make_unique<Capture>();
    capture->reader = this;
    capture->output = &output;
    capture->plan = plan;
    capture->shape = output.shape;
    capture->check = check;
    const Screen::Box &r = plan.region;
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
    if (const std::optional<Screen::RegionTurn> seen
        = Screen::TurnSeen(check.captured(), m_whole->captured())) {
        m_turn = seen;
        done(std::move(m_whole));
    }
}

} // namespace Module1
