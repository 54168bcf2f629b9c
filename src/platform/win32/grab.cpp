// SPDX-License-Identifier: MIT
#include "win32/grab.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <optional>

namespace Module1 {

namespace {

    HHOOK hook = nullptr;
    HWND owner = nullptr; // the mailbox of the grab the hook reports to; one at a time
    WPARAM releaseToSwallow = 0; // after a swallowed press, its release goes too
    constexpr UINT Report = WM_APP;
    constexpr WPARAM Moved = 0, Pressed = 1, Wheel = 2, Key = 3;
    HHOOK keyHook = nullptr; // while the loupe is open
    constexpr LPARAM Shifted = 0x100;

    WPARAM releaseOf(WPARAM press)
    {
        switch (press) {
        case WM_LBUTTONDOWN:
            return WM_LBUTTONUP;
        case WM_RBUTTONDOWN:
            return WM_RBUTTONUP;
        case WM_MBUTTONDOWN:
            return WM_MBUTTONUP;
        case WM_XBUTTONDOWN:
            return WM_XBUTTONUP;
        default:
            return 0;
        }
    }

    void unhook()
    {
        if (hook != nullptr)
            UnhookWindowsHookEx(hook);
        hook = nullptr;
    }

    // The application window under a point: over no window, or over the shell's window behind the desktop
    // icons, the desktop itself.
    LPARAM windowAt(POINT p)
    {
        HWND desktop = ::GetDesktopWindow();
        HWND under = ::WindowFromPoint(p);
        HWND root = under != nullptr && under != desktop ? ::GetAncestor(under, GA_ROOT) : nullptr;
        return reinterpret_cast<LPARAM>(root != nullptr && root != ::GetShellWindow() ? root : desktop);
    }

    // A hook must answer quickly: the client hears of it once the hook has returned, and a report still
    // on its way when the grab goes is dropped with its mailbox.
    LRESULT CALLBACK lowLevelMouse(int code, WPARAM message, LPARAM data)
    {
        if (code != HC_ACTION)
            return CallNextHookEx(nullptr, code, message, data);
        if (message == releaseToSwallow) {
            releaseToSwallow = 0;
            if (owner == nullptr)
                unhook();
            return 1;
        }
        if (owner == nullptr)
            return CallNextHookEx(nullptr, code, message, data);
        const POINT at = reinterpret_cast<const MSLLHOOKSTRUCT *>(data)->pt;
        if (message == WM_MOUSEWHEEL) {
            const auto delta
                = static_cast<short>(HIWORD(reinterpret_cast<const MSLLHOOKSTRUCT *>(data)->mouseData));
            if (delta != 0)
                PostMessageW(owner, Report, Wheel, delta > 0 ? 1 : -1);
            return 1; // no click, and the window underneath gets no turn either
        } else if (message == WM_MOUSEHWHEEL) {
            return 1;
        } else if (message == WM_MOUSEMOVE) {
            PostMessageW(owner, Report, Moved, windowAt(at));
        } else if (const WPARAM release = releaseOf(message); release != 0) {
            releaseToSwallow = release;
            PostMessageW(owner, Report, Pressed, windowAt(at));
            owner = nullptr;
            return 1;
        }
        return CallNextHookEx(nullptr, code, message, data);
    }

    std::optional<LoupeKey> loupeKey(DWORD key)
    {
        switch (key) {
        case VK_LEFT:
            return LoupeKey::Left;
        case VK_RIGHT:
            return LoupeKey::Right;
        case VK_UP:
            return LoupeKey::Up;
        case VK_DOWN:
            return LoupeKey::Down;
        case VK_ESCAPE:
            return LoupeKey::Escape;
        default:
            return std::nullopt;
        }
    }

    // The loupe's keys, and Enter as the click, go to the grab and to no window; the others pass.
    LRESULT CALLBACK lowLevelKeyboard(int code, WPARAM message, LPARAM data)
    {
        const DWORD key = reinterpret_cast<const KBDLLHOOKSTRUCT *>(data)->vkCode;
        const std::optional<LoupeKey> loupe = loupeKey(key);
        if (code != HC_ACTION || owner == nullptr || (!loupe && key != VK_RETURN))
            return CallNextHookEx(nullptr, code, message, data);
        if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
            if (loupe) {
                const bool shift = (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
                PostMessageW(owner, Report, Key, LPARAM(*loupe) | (shift ? Shifted : 0));
            } else {
                POINT at {};
                GetCursorPos(&at);
                PostMessageW(owner, Report, Pressed, windowAt(at));
                owner = nullptr;
            }
        }
        return 1;
    }

    LRESULT CALLBACK mailbox(HWND window, UINT message, WPARAM what, LPARAM pointed)
    {
        auto *client = reinterpret_cast<GrabClient *>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message != Report || client == nullptr)
            return DefWindowProcW(window, message, what, pointed);
        if (what == Pressed)
            client->pointerPressed(Handle(pointed));
        else if (what == Wheel)
            client->pointerWheel(int(pointed));
        else if (what == Key)
            client->keyPressed(LoupeKey(pointed & ~Shifted), (pointed & Shifted) != 0);
        else
            client->pointerMoved(Handle(pointed));
        return 0;
    }

} // namespace

Win32PointerGrab::Win32PointerGrab(GrabClient &client)
{
    constexpr wchar_t ClassName[] = L"ZumekoPointerGrab";
    static const bool registered = [&] {
        WNDCLASSW c {};
        c.lpfnWndProc = mailbox;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = ClassName;
        return RegisterClassW(&c) != 0;
    }();
    HWND window = registered ? CreateWindowExW(0, ClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                      GetModuleHandleW(nullptr), nullptr)
                             : nullptr;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&client));
    m_mailbox = reinterpret_cast<Handle>(window);
}

Win32PointerGrab::~Win32PointerGrab()
{
    holdKeys(false);
    release();
    DestroyWindow(reinterpret_cast<HWND>(m_mailbox));
}

void Win32PointerGrab::take()
{
    if (hook == nullptr)
        hook = SetWindowsHookExW(WH_MOUSE_LL, lowLevelMouse, GetModuleHandleW(nullptr), 0);
    owner = hook != nullptr ? reinterpret_cast<HWND>(m_mailbox) : nullptr;
}

bool Win32PointerGrab::holdKeys(bool hold)
{
    if (hold && keyHook == nullptr)
        keyHook = SetWindowsHookExW(WH_KEYBOARD_LL, lowLevelKeyboard, GetModuleHandleW(nullptr), 0);
    if (!hold && keyHook != nullptr) {
        UnhookWindowsHookEx(keyHook);
        keyHook = nullptr;
    }
    return !hold || keyHook != nullptr;
}

// In physical pixels: the process is aware of each monitor's scale.
void Win32PointerGrab::movePointer(int dx, int dy)
{
    POINT at {};
    if (GetCursorPos(&at))
        SetCursorPos(at.x + dx, at.y + dy);
}

void Win32PointerGrab::release()
{
    if (owner == reinterpret_cast<HWND>(m_mailbox))
        owner = nullptr;
    // A press already swallowed keeps the hook until its release has gone the same way.
    if (releaseToSwallow == 0)
        unhook();
}

} // namespace Module1
