// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Module1 {

// Screen mode on a wlroots compositor, on a Wayland connection of its own that Qt's event loop drives: a
// fully transparent overlay on every output takes the pointer and the click, and screencopy reads the one
// pixel under the pointer, one capture at a time, each on the output's next frame.
class WlrScreen {
public:
    struct Events {
        std::function<void()> pressed, released, lost;
        std::function<void(int)> wheel; // notches turned, away from the user when positive
        // A keysym, while the keys are held, and whether Shift was down.
        std::function<void(std::uint32_t, bool)> key;
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

    // The loupe. From the next capture on, the pixels `across` square around the pointer's too; the
    // latest capture's, as PixelReader::square reads them.
    void readAround(int across);
    std::vector<std::int32_t> square(int across) const;
    // The scale of the output under the pointer (the last one it was over); 0 where this compositor cannot
    // show the loupe.
    double scale() const;
    // Shows `image` (XRGB8888, `side` physical pixels square) beside the pointer on its output. False when
    // the output that showed it went away.
    bool showLoupe(const std::uint32_t *image, int side);
    void hideLoupe();
    // Takes the keyboard, or gives it back: the loupe's keys are reported only while it is held.
    void holdKeys(bool hold);
    // Moves the pointer by whole physical pixels of its output, where the compositor offers a virtual
    // pointer: onto the middle of the pixel, so that no rounding of its place reads another.
    void movePointer(int dx, int dy);

    struct Connection;

private:
    std::unique_ptr<Connection> m_connection;
};

} // namespace Module1
