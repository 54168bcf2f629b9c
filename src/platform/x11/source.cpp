// SPDX-License-Identifier: MIT
#include "x11/source.h"

#include "x11/atom.h"
#include "x11/grab.h"
#include "x11/session.h"

#include <algorithm>
#include <limits>

namespace Module1 {

namespace {

    bool fitsInt16(std::int32_t v)
    {
        return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
    }

    // The root visual's channel masks, its bits a pixel and the server's byte order.
    Screen::PixelFormat screenFormat(xcb_connection_t *c, xcb_window_t root)
    {
        Screen::PixelFormat format;
        const xcb_setup_t *setup = xcb_get_setup(c);
        format.mostSignificantByteFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
        auto roots = xcb_setup_roots_iterator(setup);
        while (roots.rem > 0 && roots.data->root != root)
            xcb_screen_next(&roots);
        if (roots.rem == 0)
            return format;
        const xcb_screen_t *screen = roots.data;
        for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem > 0;
             xcb_depth_next(&depths)) {
            for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
                 xcb_visualtype_next(&visuals)) {
                if (visuals.data->visual_id == screen->root_visual) {
                    format.redMask = visuals.data->red_mask;
                    format.greenMask = visuals.data->green_mask;
                    format.blueMask = visuals.data->blue_mask;
                }
            }
        }
        for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem > 0;
             xcb_format_next(&formats)) {
            if (formats.data->depth == screen->root_depth)
                format.bitsPerPixel = formats.data->bits_per_pixel;
        }
        return format;
    }

} // namespace

X11Source::X11Source(X11Session &session)
    : m_session(session)
{
    if (xcb_connection_t *c = session.connection())
        m_format = screenFormat(c, xcb_window_t(session.desktopWindow()));
}

std::int32_t X11Source::pixel(Handle window, std::int32_t x, std::int32_t y)
{
    xcb_connection_t *c = m_session.connection();
    if (c == nullptr || !fitsInt16(x) || !fitsInt16(y))
        return NoColor;
    // Off the screen the server answers with a BadMatch error; the connection stays usable.
    xcb_generic_error_t *error = nullptr;
    const XcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_window_t(window), static_cast<std::int16_t>(x),
            static_cast<std::int16_t>(y), 1, 1, ~0u),
        &error));
    std::free(error);
    if (reply == nullptr)
        return NoColor;
    return Screen::ToScreenColor(xcb_get_image_data(reply.get()),
        static_cast<std::size_t>(xcb_get_image_data_length(reply.get())), m_format);
}

// One image of the part that lies on the window, in one round trip: the window's size is asked again only
// when the server refuses the image (the screen was resized). What lies beyond its edge stays NoColor.
std::vector<std::int32_t> X11Source::pixels(
    Handle window, std::int32_t x, std::int32_t y, int width, int height)
{
    std::vector<std::int32_t> colours(std::size_t(width) * std::size_t(height), NoColor);
    xcb_connection_t *c = m_session.connection();
    if (c == nullptr)
        return colours;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (m_size.window != xcb_window_t(window)) {
            const XcbReply<xcb_get_geometry_reply_t> size(
                xcb_get_geometry_reply(c, xcb_get_geometry(c, xcb_window_t(window)), nullptr));
            if (size == nullptr)
                return colours;
            m_size = { xcb_window_t(window), size->width, size->height };
        }
        const int left = std::max(x, 0), top = std::max(y, 0);
        const int right = std::min(x + width, int(m_size.width)),
                  bottom = std::min(y + height, int(m_size.height));
        if (left >= right || top >= bottom)
            return colours;
        const XcbReply<xcb_get_image_reply_t> image(xcb_get_image_reply(c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_window_t(window), std::int16_t(left),
                std::int16_t(top), std::uint16_t(right - left), std::uint16_t(bottom - top), ~0u),
            nullptr));
        if (image == nullptr) { // the size kept is no longer the window's: asked afresh, once
            m_size.window = XCB_NONE;
            continue;
        }
        const std::uint8_t *data = xcb_get_image_data(image.get());
        const auto length = std::size_t(xcb_get_image_data_length(image.get()));
        const std::size_t stride = length / std::size_t(bottom - top); // rows padded as the server pads them
        const auto bytes = std::size_t(m_format.bitsPerPixel + 7) / 8;
        for (int row = top; row < bottom; ++row) {
            for (int column = left; column < right; ++column) {
                const std::size_t offset
                    = std::size_t(row - top) * stride + std::size_t(column - left) * bytes;
                colours[std::size_t(row - y) * std::size_t(width) + std::size_t(column - x)]
                    = Screen::ToScreenColor(data + offset, length - offset, m_format);
            }
        }
        break;
    }
    return colours;
}

std::unique_ptr<PointerGrab> X11Source::createPointerGrab(GrabClient &client, Handle)
{
    return std::make_unique<X11PointerGrab>(client);
}

} // namespace Module1
