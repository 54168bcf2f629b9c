// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"

#include <cstdint>

// What the probe arranges on the screen before it reads it back. Kept apart from the probe's checks so
// that <windows.h> stays out of them: its GetDesktopWindow and friends share their names with Module1's.

// Moves the pointer; false when the system refuses.
bool PlacePointer(std::int32_t x, std::int32_t y);

// A window of the probe's own, filled with one colour (0x00BBGGRR), centred on a point of the screen,
// with a child window filling it, so that what the pointer is over is a child while the application's
// window is its top-level parent. Destroyed with the object.
class PointerWindow {
public:
    PointerWindow(std::int32_t x, std::int32_t y, std::int32_t color);
    ~PointerWindow();
    PointerWindow(const PointerWindow &) = delete;
    PointerWindow &operator=(const PointerWindow &) = delete;

    Module1::Handle top() const { return m_top; }
    Module1::Handle child() const { return m_child; }

    // Handles the window's messages until the process is ended.
    void serve() const;

    // Lets the window paint; returns once `done` holds or after a few seconds.
    template <typename Done> void pumpUntil(Done done) const
    {
        for (int i = 0; i < 500 && !done(); ++i)
            pump();
    }

private:
    void pump() const;
    Module1::Handle m_top = 0;
    Module1::Handle m_child = 0;
};
