// SPDX-License-Identifier: MIT
#include "module1.h"

namespace Module1 {

CursorPoint MousePos;
HandleVar hWndDesk;
HandleVar hDCDesk;

namespace {
    std::unique_ptr<Services> &installed()
    {
        static std::unique_ptr<Services> services;
        return services;
    }
} // namespace

void SetServices(std::unique_ptr<Services> services)
{
    installed() = std::move(services);
}

Services &CurrentServices()
{
    auto &services = installed();
    if (!services)
        services = LoadPlatform();
    return *services;
}

int GetCursorPos(CursorPoint &point)
{
    CursorPoint read;
    if (!CurrentServices().cursorPos(read))
        return 0;
    point = read;
    return 1;
}

Handle GetDesktopWindow()
{
    return CurrentServices().desktopWindow();
}
Handle GetWindowDC(Handle window)
{
    return CurrentServices().windowDC(window);
}
std::int32_t GetPixel(Handle dc, std::int32_t x, std::int32_t y)
{
    return CurrentServices().pixel(dc, x, y);
}
int ReleaseDC(Handle window, Handle dc)
{
    return CurrentServices().releaseDC(window, dc);
}

std::intptr_t ShellExecuteA(Handle owner, const char *operation, const char *file, const char *parameters,
    const char *directory, int showCommand)
{
    return CurrentServices().shellExecute(owner, operation, file, parameters, directory, showCommand);
}

int ReadMousePos()
{
    return GetCursorPos(MousePos);
}

bool MousePosShown()
{
    return CurrentServices().showsPointerPosition();
}

Handle StoreDesktopWindow()
{
    hWndDesk = GetDesktopWindow();
    return *hWndDesk;
}

std::int32_t SampleAtMousePos()
{
    const Handle desktop = StoreDesktopWindow();
    if (ToHandle(hDCDesk) != 0)
        ReleaseDC(desktop, ToHandle(hDCDesk));
    hDCDesk = GetWindowDC(desktop);
    return GetPixel(ToHandle(hDCDesk), MousePos.x, MousePos.y);
}

void ReleaseDesktopDC()
{
    ReleaseDC(ToHandle(hWndDesk), ToHandle(hDCDesk));
    hDCDesk.reset();
}

} // namespace Module1
