// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"

#include <functional>
#include <memory>
#include <optional>

namespace Module1 {

// Screen mode on a wlroots compositor, on a Wayland connection of its own that Qt's event loop drives: a
// fully transparent overlay on every output takes the pointer and the click, and screencopy reads the one
// pixel under the pointer, one capture at a time, each on the output's next frame.
class WlrScreen {
public:
    struct Events {
        std::function<void()> pressed, released, lost;
    };

    WlrScreen();
    ~WlrScreen();
    WlrScreen(const WlrScreen &) = delete;
    WlrScreen &operator=(const WlrScreen &) = delete;

    // Connects and puts the overlays up; the events come from then on. Harmless while shown.
    void show(Events events);
    // Takes the overlays down and closes the connection.
    void hide();

    // Where the pointer is, in the compositor's layout; nothing until it is over an overlay.
    std::optional<CursorPoint> pointer() const;
    // The colour of the latest capture under the pointer, 0x00BBGGRR; NoColor while hidden and before the
    // first capture.
    std::int32_t sample() const;

    struct Connection;

private:
    std::unique_ptr<Connection> m_connection;
};

} // namespace Module1
