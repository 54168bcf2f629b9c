// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

class CaptureControl;

// The platform's means for the capture control to have every pointer move and the next press anywhere on
// the screen, reported back through CaptureControl::pointerMoved and pointerPressed. One file a platform.
class PointerGrab {
public:
    explicit PointerGrab(CaptureControl &control);
    ~PointerGrab();
    PointerGrab(const PointerGrab &) = delete;
    PointerGrab &operator=(const PointerGrab &) = delete;

    bool take(); // true when the pointer is ours; asking again while held confirms it (or takes it back)
    void release();
    bool held() const { return m_held; }

private:
    struct Platform;
    void dispatch();

    CaptureControl &m_control;
    std::unique_ptr<Platform> m_platform;
    bool m_held = false;
};
