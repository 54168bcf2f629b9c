// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"
#include "pointergrab.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace Module1 {

// A scripted pointer and screen for tests, with counters of what was asked of it.
class FakeServices final : public Services {
public:
    static constexpr Handle Desktop = 0x1D0;

    struct ShellCall {
        Handle owner;
        std::string operation, file, directory;
        bool nullParameters;
        int showCommand;
    };

    // What the test scripts; change it at any time.
    bool pointerReadable = true;
    CursorPoint pointer;
    std::function<std::int32_t(std::int32_t x, std::int32_t y)> screen
        = [](std::int32_t, std::int32_t) { return std::int32_t { 0 }; };
    bool contextsAvailable = true;
    std::intptr_t shellResult = 42;
    std::string folder; // where copies see each other
    std::string display = ":9";

    // What the program did.
    int cursorReads = 0;
    int pixelReads = 0;
    int releases = 0;
    std::vector<ShellCall> shellCalls;
    bool grabHeld = false;
    GrabClient *grabClient = nullptr; // whom a scripted click is reported to

    bool cursorPos(CursorPoint &point) override;
    Handle desktopWindow() override { return Desktop; }
    Handle windowDC(Handle window) override;
    std::int32_t pixel(Handle dc, std::int32_t x, std::int32_t y) override;
    int releaseDC(Handle window, Handle dc) override;
    std::intptr_t shellExecute(Handle owner, const char *operation, const char *file, const char *parameters,
        const char *directory, int showCommand) override;
    std::size_t liveContexts() const override { return m_contexts.size(); }
    std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client) override;
    std::string instanceFolder() override { return folder; }
    std::string displayName() override { return display; }

private:
    Handle m_lastContext = 0x4000;
    std::unordered_map<Handle, Handle> m_contexts;
};

// Installs a fresh fake as the current services and returns it; the services own it.
FakeServices &InstallFakeServices();

} // namespace Module1
