// SPDX-License-Identifier: MIT
// clickwindow X Y WIDTH HEIGHT RRGGBB: another Windows application for Zumeko to pick from: a window of
// one colour that says "ready" once painted and "press" for every button press that reaches it.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        static bool ready = false;
        if (!ready && (ready = true))
            std::printf("ready\n");
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        std::printf("press\n");
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    default:
        return DefWindowProcW(window, message, w, l);
    }
    std::fflush(stdout); // the test reads the output while this runs
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 6)
        return 2;
    const unsigned long rgb = std::strtoul(argv[5], nullptr, 16);
    WNDCLASSW wc {};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF));
    wc.lpszClassName = L"ZumekoClickWindow";
    RegisterClassW(&wc);
    CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"clickwindow", WS_POPUP | WS_VISIBLE,
        std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), nullptr, nullptr,
        wc.hInstance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
