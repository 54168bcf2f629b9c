// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"

#include <cstdint>

// A window of the probe's own under a point of the screen, with a child window filling it, so that what
// the pointer is over is a child while the application's window is its top-level parent. Destroyed with
// the object. Kept apart from the probe's checks so that <windows.h> stays out of them: its
// GetDesktopWindow and friends share their names with Module1's.
class PointerWindow {
public:
    PointerWindow(std::int32_t x, std::int32_t y);
    ~PointerWindow();
    PointerWindow(const PointerWindow &) = delete;
    PointerWindow &operator=(const PointerWindow &) = delete;

    Module1::Handle top() const { return m_top; }
    Module1::Handle child() const { return m_child; }

private:
    Module1::Handle m_top = 0;
    Module1::Handle m_child = 0;
};
