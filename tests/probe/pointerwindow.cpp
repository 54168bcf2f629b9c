// SPDX-License-Identifier: MIT
#include "pointerwindow.h"

#include <cstdio>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

constexpr int Size = 40;
constexpr char ClassName[] = "ZumekoProbeWindow";

HINSTANCE instance()
{
    return ::GetModuleHandleA(nullptr);
}

// Every press that reaches the window is told, for a test that must know whether one did.
LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
        std::puts("press");
        std::fflush(stdout);
    }
    return ::DefWindowProcA(window, message, w, l);
}

bool registerClass(COLORREF color)
{
    WNDCLASSEXA wc {};
    wc.cbSize = sizeof wc;
    // DefWindowProc answers every hit test with "client area", so the window is not see-through
    // to WindowFromPoint the way a static control would be; it erases with the class's brush.
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance();
    wc.hbrBackground = ::CreateSolidBrush(color);
    wc.lpszClassName = ClassName;
    return ::RegisterClassExA(&wc) != 0;
}

} // namespace

bool PlacePointer(std::int32_t x, std::int32_t y)
{
    return ::SetCursorPos(x, y) != 0;
}

PointerWindow::PointerWindow(std::int32_t x, std::int32_t y, std::int32_t color)
{
    // A COLORREF is 0x00BBGGRR, the layout of a screen colour.
    if (!registerClass(static_cast<COLORREF>(color)))
        return;
    HWND top = ::CreateWindowExA(WS_EX_TOPMOST, ClassName, "zumeko-probe", WS_POPUP | WS_VISIBLE,
        x - Size / 2, y - Size / 2, Size, Size, nullptr, nullptr, instance(), nullptr);
    if (top == nullptr)
        return;
    m_top = reinterpret_cast<Module1::Handle>(top);
    HWND child = ::CreateWindowExA(
        0, ClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, Size, Size, top, nullptr, instance(), nullptr);
    m_child = reinterpret_cast<Module1::Handle>(child);
}

PointerWindow::~PointerWindow()
{
    if (m_top != 0)
        ::DestroyWindow(reinterpret_cast<HWND>(m_top));
    ::UnregisterClassA(ClassName, instance());
}

void PointerWindow::serve() const
{
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&message);
}

void PointerWindow::pump() const
{
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    ::Sleep(10);
}
