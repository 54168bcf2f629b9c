// SPDX-License-Identifier: MIT
#include "fake/services.h"

namespace Module1 {

bool FakeServices::cursorPos(CursorPoint &point)
{
    ++cursorReads;
    if (!pointerReadable)
        return false;
    point = pointer;
    return true;
}

Handle FakeServices::windowDC(Handle window)
{
    if (window == 0)
        return 0;
    return m_contexts.open(window);
}

std::int32_t FakeServices::pixel(Handle dc, std::int32_t x, std::int32_t y)
{
    return m_contexts.window(dc) != 0 ? screen(x, y) : NoColor;
}

int FakeServices::releaseDC(Handle window, Handle dc)
{
    ++releases;
    return m_contexts.close(window, dc);
}

namespace {

    // Nothing to take: what the capture does is tried on the real platforms.
    class FakeGrab final : public PointerGrab {
    public:
        void take() override { }
        void release() override { }
    };

} // namespace

std::unique_ptr<PointerGrab> FakeServices::createPointerGrab(GrabClient &)
{
    return std::make_unique<FakeGrab>();
}

} // namespace Module1
