// SPDX-License-Identifier: MIT
#include "wlrscreen.h"

#include "overlays.h"
#include "pixelreader.h"
#include "wlrdisplay.h"

namespace Module1 {

// Screen mode's parts on one connection. Members are ended in the reverse of their order here: what is on
// the connection before the connection.
struct WlrScreen::Connection {
    WlrScreen::Events events;
    WlrDisplay display;
    Overlays overlays;
    PixelReader reader;

    explicit Connection(WlrScreen::Events e)
        : events(std::move(e))
        , display({ .added = [this](WlrDisplay::Output &output) { overlays.cover(output); },
              .removed =
                  [this](const WlrDisplay::Output &output) {
                      overlays.uncover(output);
                      reader.forget(output);
                  },
              .seat = [this](wl_seat *seat) { overlays.follow(seat); },
              .lost = [this] { report(events.lost); } })
        , overlays(display,
              { .moved = [this] { reader.capture(); },
                  .pressed = [this] { report(events.pressed); },
                  .released = [this] { report(events.released); } })
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
