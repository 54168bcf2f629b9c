// SPDX-License-Identifier: MIT
// The Windows backend: the real user32, gdi32 and shell32 calls.
#include "module1.h"
#include "win32/grab.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// shellapi.h builds on the types windows.h declares, so it must come second.
#include <shellapi.h>

namespace Module1 {

namespace {

    HWND toWindow(Handle h)
    {
        return reinterpret_cast<HWND>(h);
    }
    HDC toDC(Handle h)
    {
        return reinterpret_cast<HDC>(h);
    }

    class Win32Services final : public Services {
    public:
        bool cursorPos(CursorPoint &point) override
        {
            POINT p {};
            if (!::GetCursorPos(&p))
                return false;
            point = { static_cast<std::int32_t>(p.x), static_cast<std::int32_t>(p.y) };
            return true;
        }

        Handle desktopWindow() override { return reinterpret_cast<Handle>(::GetDesktopWindow()); }

        Handle windowDC(Handle window) override
        {
            const auto dc = reinterpret_cast<Handle>(::GetWindowDC(toWindow(window)));
            if (dc != 0)
                ++m_contexts[dc];
            return dc;
        }

        std::int32_t pixel(Handle dc, std::int32_t x, std::int32_t y) override
        {
            const COLORREF color = ::GetPixel(toDC(dc), x, y);
            return color == CLR_INVALID ? NoColor : static_cast<std::int32_t>(color & 0xFFFFFFu);
        }

        // One copy of the rectangle from the screen; what lies beyond the virtual screen stays NoColor.
        std::vector<std::int32_t> pixels(std::int32_t x, std::int32_t y, int width, int height) override
        {
            std::vector<std::int32_t> colours(std::size_t(width) * std::size_t(height), NoColor);
            const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
            const int right = left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
            const int bottom = top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
            BITMAPINFO info {};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = width;
            info.bmiHeader.biHeight = -height; // the top row first
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            info.bmiHeader.biCompression = BI_RGB;
            HDC screen = ::GetDC(nullptr);
            HDC copy = ::CreateCompatibleDC(screen);
            void *bits = nullptr;
            HBITMAP bitmap = ::CreateDIBSection(copy, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
            const HGDIOBJ before = bitmap != nullptr ? ::SelectObject(copy, bitmap) : nullptr;
            if (before != nullptr && ::BitBlt(copy, 0, 0, width, height, screen, x, y, SRCCOPY)) {
                ::GdiFlush();
                const auto *bgrx = static_cast<const std::uint8_t *>(bits);
                for (int row = std::max(0, top - y); row < std::min(height, bottom - y); ++row) {
                    for (int column = std::max(0, left - x); column < std::min(width, right - x); ++column) {
                        const std::size_t at = std::size_t(row) * std::size_t(width) + std::size_t(column);
                        const std::uint8_t *p = bgrx + at * 4;
                        colours[at] = std::int32_t(p[0]) << 16 | std::int32_t(p[1]) << 8 | std::int32_t(p[2]);
                    }
                }
            }
            if (before != nullptr)
                ::SelectObject(copy, before);
            if (bitmap != nullptr)
                ::DeleteObject(bitmap);
            ::DeleteDC(copy);
            ::ReleaseDC(nullptr, screen);
            return colours;
        }

        int releaseDC(Handle window, Handle dc) override
        {
            const int released = ::ReleaseDC(toWindow(window), toDC(dc));
            if (released != 0) {
                if (auto it = m_contexts.find(dc); it != m_contexts.end() && --it->second == 0)
                    m_contexts.erase(it);
            }
            return released;
        }

        std::intptr_t shellExecute(Handle owner, const char *operation, const char *file,
            const char *parameters, const char *directory, int showCommand) override
        {
            return reinterpret_cast<std::intptr_t>(
                ::ShellExecuteA(toWindow(owner), operation, file, parameters, directory, showCommand));
        }

        // A user may be signed in to several sessions at once, each with its own desktop.
        std::string displayName() override
        {
            DWORD session = 0;
            return ::ProcessIdToSessionId(::GetCurrentProcessId(), &session)
                ? "session " + std::to_string(session)
                : std::string();
        }

        std::size_t liveContexts() const override
        {
            std::size_t count = 0;
            for (const auto &[dc, held] : m_contexts)
                count += static_cast<std::size_t>(held);
            return count;
        }

        std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client) override
        {
            return std::make_unique<Win32PointerGrab>(client);
        }

    private:
        // Windows may hand the same common DC out twice; count each handing-out.
        std::unordered_map<Handle, int> m_contexts;
    };

} // namespace

std::unique_ptr<Services> LoadPlatform()
{
    return std::make_unique<Win32Services>();
}

} // namespace Module1
