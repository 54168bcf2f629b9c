// SPDX-License-Identifier: MIT
#include "loupesurface.h"

#include "shmbuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "layershell.h"
#include "viewporter-client-protocol.h"

namespace Module1 {

namespace {

    constexpr std::uint32_t Beyond = 0xFF808080; // what the buffer holds past the image: a plain grey

} // namespace

// Ended in the reverse of their order here: the viewport and the layer before their surface.
struct LoupeSurface::Shown {
    struct Frame {
        std::unique_ptr<Wl::ShmBuffer> buffer;
        bool busy = false; // the compositor has not released it yet
    };

    WlrDisplay::Output *output = nullptr;
    Wl::Owned<wl_surface, wl_surface_destroy> surface;
    Wl::Owned<zwlr_layer_surface_v1, zwlr_layer_surface_v1_destroy> layer;
    Wl::Owned<wp_viewport, wp_viewport_destroy> viewport;
    bool configured = false;
    std::vector<std::unique_ptr<Frame>> frames;
    // What is shown: its place and logical side, its side in the output's pixels, then the image.
    std::vector<std::uint32_t> content;
    int left = 0, top = 0, logical = 0, physical = 0, side = 0;

    void draw(wl_shm *shm);
};

struct LoupeSurface::Listen {
    static void configure(
        void *data, zwlr_layer_surface_v1 *layer, std::uint32_t serial, std::uint32_t, std::uint32_t)
    {
        auto *l = static_cast<LoupeSurface *>(data);
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        // The compositor configures it again whenever it arranges its layers (each time the loupe moves, on
        // sway): what is attached still shows what is to be shown, and the answer is a commit alone.
        if (std::exchange(l->m_shown->configured, true))
            wl_surface_commit(l->m_shown->surface.get());
        else
            l->m_shown->draw(l->m_display.shm());
    }
    static void closed(void *data, zwlr_layer_surface_v1 *)
    {
        auto *l = static_cast<LoupeSurface *>(data);
        l->m_shown.reset(); // its output is going
        l->m_gone = true;
    }
    static void released(void *data, wl_buffer *) { static_cast<Shown::Frame *>(data)->busy = false; }

    static constexpr zwlr_layer_surface_v1_listener layerListener = { configure, closed };
    static constexpr wl_buffer_listener bufferListener = { released };
};

// Into a buffer the compositor is done with, the image at its top-left and grey in what the rounding of the
// output's scale adds.
void LoupeSurface::Shown::draw(wl_shm *shm)
{
    if (!configured)
        return;
    const int p = physical;
    auto free = std::find_if(frames.begin(), frames.end(), [&](const std::unique_ptr<Frame> &frame) {
        return !frame->busy && frame->buffer->fits(p, p, 4 * p, WL_SHM_FORMAT_XRGB8888);
    });
    if (free == frames.end()) {
        std::erase_if(frames, [](const std::unique_ptr<Frame> &frame) { return !frame->busy; });
        auto frame = std::make_unique<Frame>();
        frame->buffer = std::make_unique<Wl::ShmBuffer>(shm, p, p, 4 * p, WL_SHM_FORMAT_XRGB8888);
        if (frame->buffer->buffer == nullptr)
            return;
        wl_buffer_add_listener(frame->buffer->buffer.get(), &Listen::bufferListener, frame.get());
        frames.push_back(std::move(frame));
        free = frames.end() - 1;
    }
    std::uint32_t *pixels = (*free)->buffer->words();
    const std::uint32_t *image = content.data() + 4;
    for (int row = 0; row < p; ++row) {
        std::fill_n(pixels + row * p, p, Beyond);
        if (row < side)
            std::memcpy(pixels + row * p, image + row * side, std::size_t(std::min(side, p)) * 4);
    }
    (*free)->busy = true;
    wl_surface_attach(surface.get(), (*free)->buffer->buffer.get(), 0, 0);
    wl_surface_damage(surface.get(), 0, 0, logical, logical);
    wl_surface_commit(surface.get());
}

LoupeSurface::LoupeSurface(WlrDisplay &display)
    : m_display(display)
{
}

LoupeSurface::~LoupeSurface() = default;

bool LoupeSurface::offered() const
{
    return m_display.viewporter() != nullptr;
}

void LoupeSurface::show(WlrDisplay::Output &output, const std::uint32_t *image, int side, int x, int y)
{
    const double scale = Screen::OutputScale(output.shape);
    if (!offered() || scale <= 0)
        return;
    if (m_shown != nullptr && m_shown->output != &output)
        hide();
    // In logical units, where the compositor places surfaces; as many of the output's pixels as it then
    // covers, which it rounds from the place and the far edge alike.
    const int left = int(std::lround(x / scale)), top = int(std::lround(y / scale));
    const int logical = int(std::ceil(side / scale));
    const auto pixels = [scale](int from, int length) {
        return int(std::lround((from + length) * scale) - std::lround(from * scale));
    };
    const int physical = std::max(pixels(left, logical), pixels(top, logical));
    std::vector<std::uint32_t> content { std::uint32_t(left), std::uint32_t(top), std::uint32_t(logical),
        std::uint32_t(physical) };
    content.insert(content.end(), image, image + std::size_t(side) * std::size_t(side));
    if (m_shown != nullptr && m_shown->content == content)
        return;

    const bool resized = m_shown == nullptr || m_shown->logical != logical;
    if (m_shown == nullptr) {
        m_shown = std::make_unique<Shown>();
        m_shown->output = &output;
        m_shown->surface.reset(wl_compositor_create_surface(m_display.compositor()));
        m_shown->layer.reset(zwlr_layer_shell_v1_get_layer_surface(m_display.layerShell(),
            m_shown->surface.get(), output.output.get(), ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "zumeko-loupe"));
        zwlr_layer_surface_v1_add_listener(m_shown->layer.get(), &Listen::layerListener, this);
        zwlr_layer_surface_v1_set_anchor(
            m_shown->layer.get(), ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
        zwlr_layer_surface_v1_set_exclusive_zone(m_shown->layer.get(), -1); // placed from the output's edge
        wl_region *none = wl_compositor_create_region(m_display.compositor());
        wl_surface_set_input_region(m_shown->surface.get(), none);
        wl_region_destroy(none);
        m_shown->viewport.reset(wp_viewporter_get_viewport(m_display.viewporter(), m_shown->surface.get()));
    }
    Shown &s = *m_shown;
    s.content = std::move(content);
    s.left = left, s.top = top, s.logical = logical, s.physical = physical, s.side = side;
    zwlr_layer_surface_v1_set_margin(s.layer.get(), top, 0, 0, left);
    if (resized) {
        zwlr_layer_surface_v1_set_size(s.layer.get(), std::uint32_t(logical), std::uint32_t(logical));
        wp_viewport_set_destination(s.viewport.get(), logical, logical);
    }
    if (s.configured)
        s.draw(m_display.shm());
    else
        wl_surface_commit(s.surface.get());
    m_display.flush();
}

void LoupeSurface::hide()
{
    m_shown.reset();
    m_gone = false;
}

void LoupeSurface::forget(const WlrDisplay::Output &output)
{
    if (m_shown == nullptr || m_shown->output != &output)
        return;
    m_shown.reset();
    m_gone = true;
}

} // namespace Module1
