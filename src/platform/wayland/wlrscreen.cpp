// SPDX-License-Identifier: MIT
#include "wlrscreen.h"

#include "loupe.h"
#include "loupesurface.h"
#include "overlays.h"
#include "pixelreader.h"
#include "wlrdisplay.h"

#include <QDateTime>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace Module1 {

// Screen mode's parts on one connection. Members are ended in the reverse of their order here: what is on
// the connection before the connection.
struct WlrScreen::Connection {
    WlrScreen::Events events;
    WlrDisplay display;
    Overlays overlays;
    PixelReader reader;
    LoupeSurface loupe;
    Wl::Owned<zwlr_virtual_pointer_v1, zwlr_virtual_pointer_v1_destroy> pointer;
    float scale = 1;
    std::optional<std::pair<wl_fixed_t, wl_fixed_t>> aimed; // where the last move sent the pointer

    explicit Connection(WlrScreen::Events e)
        : events(std::move(e))
        , display({ .added = [this](WlrDisplay::Output &output) { overlays.cover(output); },
              .removed =
                  [this](const WlrDisplay::Output &output) {
                      loupe.forget(output);
                      overlays.uncover(output);
                      reader.forget(output);
                  },
              .seat = [this](wl_seat *seat) { overlays.follow(seat); },
              .lost = [this] { report(events.lost); } })
        , overlays(display,
              { .moved =
                      [this] {
                          aimed.reset();
                          reader.capture();
                      },
                  .pressed = [this] { report(events.pressed); },
                  .released = [this] { report(events.released); },
                  .wheel =
                      [this](int notches) {
                          if (events.wheel)
                              events.wheel(notches);
                      },
                  .key =
                      [this](std::uint32_t code, bool shift) {
                          if (events.key)
                              events.key(code, shift);
                      } })
        , reader(display, overlays)
        , loupe(display)
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

void WlrScreen::readAround(int across)
{
    if (m_connection != nullptr)
        m_connection->reader.readAround(across / 2);
}

std::vector<std::int32_t> WlrScreen::square(int across) const
{
    if (m_connection == nullptr)
        return std::vector<std::int32_t>(std::size_t(across) * std::size_t(across), NoColor);
    return m_connection->reader.square(across);
}

double WlrScreen::scale() const
{
    if (m_connection == nullptr || !m_connection->loupe.offered())
        return 0;
    if (const WlrDisplay::Output *over = m_connection->overlays.over(); over != nullptr)
        m_connection->scale = Screen::OutputScale(over->shape);
    return m_connection->scale;
}

bool WlrScreen::showLoupe(const std::uint32_t *image, int side)
{
    if (m_connection == nullptr)
        return true;
    Connection &c = *m_connection;
    if (c.loupe.gone())
        return false;
    WlrDisplay::Output *over = c.overlays.over();
    const float scale = over != nullptr ? Screen::OutputScale(over->shape) : 0;
    if (scale <= 0)
        return true; // shown again where the pointer comes back
    const Screen::Box at = Screen::PixelUnder(over->shape, c.overlays.x(), c.overlays.y());
    const Loupe::Rect place = Loupe::Placement(at.x, at.y, side, { 0, 0, at.width, at.height }, scale);
    c.loupe.show(*over, image, side, place.x, place.y);
    return true;
}

void WlrScreen::hideLoupe()
{
    if (m_connection != nullptr) {
        m_connection->loupe.hide();
        m_connection->reader.readAround(0);
    }
}

void WlrScreen::holdKeys(bool hold)
{
    if (m_connection != nullptr) {
        m_connection->overlays.holdKeys(hold);
        m_connection->display.flush();
    }
}

void WlrScreen::movePointer(int dx, int dy)
{
    if (m_connection == nullptr || m_connection->display.virtualPointers() == nullptr)
        return;
    Connection &c = *m_connection;
    const WlrDisplay::Output *over = c.overlays.over();
    const float scale = over != nullptr ? Screen::OutputScale(over->shape) : 0;
    if (scale <= 0)
        return;
    if (c.pointer == nullptr)
        c.pointer.reset(zwlr_virtual_pointer_manager_v1_create_virtual_pointer(
            c.display.virtualPointers(), c.display.seat()));
    // From where the last move sent it, until the compositor has said where it is now.
    const auto [x, y] = c.aimed.value_or(std::pair { c.overlays.x(), c.overlays.y() });
    const Screen::Box at = Screen::PixelUnder(over->shape, x, y);
    const auto centre = [scale](int pixel, int size) {
        return wl_fixed_from_double((std::clamp(pixel, 0, size - 1) + 0.5) / double(scale));
    };
    c.aimed = std::pair { centre(at.x + dx, at.width), centre(at.y + dy, at.height) };
    const auto time = std::uint32_t(QDateTime::currentMSecsSinceEpoch());
    zwlr_virtual_pointer_v1_motion(c.pointer.get(), time, c.aimed->first - x, c.aimed->second - y);
    zwlr_virtual_pointer_v1_frame(c.pointer.get());
    c.display.flush();
}

} // namespace Module1
