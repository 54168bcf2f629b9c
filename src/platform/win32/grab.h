// SPDX-License-Identifier: MIT
#pragma once

#include "pointergrab.h"

namespace Module1 {

// Through a low-level mouse hook: a pointer grab on Windows stops at the process, the hook does not. The
// GUI thread installs it, so it needs no DLL and runs on this thread's message loop; it reports every
// move, and swallows the next press and its release so that no window underneath sees them.
class Win32PointerGrab final : public PointerGrab {
public:
    explicit Win32PointerGrab(GrabClient &client);
    ~Win32PointerGrab() override;

    void take() override;
    void release() override;
    bool holdKeys(bool hold) override;
    void movePointer(int dx, int dy) override;

private:
    Handle m_mailbox = 0; // a message-only window: what the hook reports reaches the client through it
};

} // namespace Module1
