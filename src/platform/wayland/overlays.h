// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"
#include "shmbuffer.h"
#include "wlrdisplay.h"

#include <QTimer>

#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Module1 {

// A fully transparent overlay on every output, which takes the pointer and the click, and the cross hair
// that the pointer shows over them.
class Overlays {
public:
    struct Events {
        std::function<void()> moved; // to another place over an overlay
        std::function<void()> pressed, released;
        std::function<void(int)> wheel; // notches turned, away from the user when positive
        std::function<void(std::uint32_t, bool)>
            key; // the keysym of a key pressed, and whether Shift was down
    };

    Overlays(WlrDisplay &display, Events events);
    ~Overlays();
    Overlays(const Overlays &) = delete;
    Overlays &operator=(const Overlays &) = delete;

    void cover(WlrDisplay::Output &output);
    void uncover(const WlrDisplay::Output &output); // the output is going
    // Follows the pointer and the keyboard of `seat`, once it has them.
    void follow(wl_seat *seat);
    // Takes the keyboard from every window, or gives it back: keys are reported only while it is held.
    void holdKeys(bool hold);

    // The output whose overlay has the pointer, and where the pointer is on it, in its logical coordinates.
    WlrDisplay::Output *over() const { return m_over; }
    wl_fixed_t x() const { return m_x; }
    wl_fixed_t y() const { return m_y; }
    // Where the pointer is, in the compositor's layout; nothing while it is over no overlay.
    std::optional<CursorPoint> pointer() const;

    // See WlrDisplay::End.
    struct End {
        void operator()(wl_pointer *pointer) const;
        void operator()(wl_keyboard *keyboard) const;
        void operator()(wl_surface *surface) const;
    };

private:
    void pressKey();

    struct Overlay;
    struct Listen;

    WlrDisplay &m_display;
    Events m_events;
    std::vector<std::unique_ptr<Overlay>> m_overlays;
    std::unique_ptr<wl_pointer, End> m_pointer;
    std::unique_ptr<wl_keyboard, End> m_keyboard;
    bool m_holdKeys = false;
    struct Keymap;
    std::unique_ptr<Keymap> m_keymap; // the keyboard's, which says what its keys are
    QTimer m_repeat; // while a key is held
    std::uint32_t m_repeating = 0;
    int m_repeatRate = 25, m_repeatDelay = 600; // a second's keys, and milliseconds before the first
    std::unique_ptr<Wl::ShmBuffer> m_crossHair;
    std::unique_ptr<wl_surface, End> m_crossHairSurface;
    WlrDisplay::Output *m_over = nullptr;
    wl_fixed_t m_x = 0, m_y = 0;
};

} // namespace Module1
