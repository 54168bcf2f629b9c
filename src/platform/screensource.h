// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"
#include "pointergrab.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Module1 {

// How a session's screen is read: the pixels, the pointer where the source knows it better than the
// window's own display does, and the click that fixes the colour. One is chosen when Zumeko starts: the X
// server's own, a compositor's (wlroots), the desktop's picker (the portal), or none.
class ScreenSource {
public:
    virtual ~ScreenSource() = default;

    // Empty when this source can be used; otherwise one line that says why the program cannot start.
    virtual std::string unavailableReason() const { return {}; }
    // Where the pointer is, where this source sees it and the window's display does not (over a native
    // Wayland window); nothing leaves it to the display.
    virtual std::optional<CursorPoint> pointer() const { return std::nullopt; }
    // False where the colour comes without a place (a desktop's own picker).
    virtual bool showsPointerPosition() const { return true; }
    // The pixel at (x, y) of `window` (the desktop), 0x00BBGGRR, or NoColor.
    virtual std::int32_t pixel(Handle window, std::int32_t x, std::int32_t y) = 0;
    // The pixels of a rectangle of `window`, row by row, NoColor where it has none: one by one, unless the
    // source can read them at once.
    virtual std::vector<std::int32_t> pixels(
        Handle window, std::int32_t x, std::int32_t y, int width, int height)
    {
        std::vector<std::int32_t> colours;
        for (int row = 0; row < height; ++row) {
            for (int column = 0; column < width; ++column)
                colours.push_back(pixel(window, x + column, y + row));
        }
        return colours;
    }
    // The means to have the user's next click; `desktop` is what the click reports it was on.
    virtual std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client, Handle desktop) = 0;
};

} // namespace Module1
