// SPDX-License-Identifier: MIT
#pragma once

#include "contexttable.h"
#include "module1.h"
#include "pointergrab.h"

#include <functional>
#include <string>
#include <vector>

namespace Module1 {

// A scripted pointer and screen for tests, with counters of what was asked of it.
class FakeServices final : public Services {
public:
    static constexpr Handle Desktop = 0x1D0;

    // What the test scripts; change it at any time.
    bool pointerReadable = true;
    CursorPoint pointer;
    std::function<std::int32_t(std::int32_t x, std::int32_t y)> screen
        = [](std::int32_t, std::int32_t) { return std::int32_t { 0 }; };
    std::string folder; // where copies see each other
    std::string display = ":9";
    bool clipboardRefuses = false;

    // What the program did.
    int cursorReads = 0;
    int releases = 0;

    bool cursorPos(CursorPoint &point) override;
    Handle desktopWindow() override { return Desktop; }
    Handle windowDC(Handle window) override;
    std::int32_t pixel(Handle dc, std::int32_t x, std::int32_t y) override;
    int releaseDC(Handle window, Handle dc) override;
    // Opens nothing: help and links are tried on the real platforms.
    std::intptr_t shellExecute(Handle, const char *, const char *, const char *, const char *, int) override
    {
        return 42;
    }
    std::size_t liveContexts() const override { return m_contexts.size(); }
    std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client) override;
    std::string instanceFolder() override { return folder; }
    std::string displayName() override { return display; }
    bool putOnClipboard(const std::function<bool()> &write) override { return !clipboardRefuses && write(); }

private:
    ContextTable m_contexts { 0x4000 };
};

} // namespace Module1
