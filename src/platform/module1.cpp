// SPDX-License-Identifier: MIT
#include "module1.h"

namespace Module1 {

int Platform::GetCursorPos(CursorPoint &point)
{
    CursorPoint read;
    if (!m_services->cursorPos(read))
        return 0;
    point = read;
    return 1;
}

Handle Platform::GetDesktopWindow()
{
    return m_services->desktopWindow();
}
Handle Platform::GetWindowDC(Handle window)
{
    return m_services->windowDC(window);
}
std::vector<std::int32_t> Services::pixels(std::int32_t x, std::int32_t y, int width, int height)
{
    std::vector<std::int32_t> colours;
    const Handle desktop = desktopWindow();
    const Handle dc = desktop != 0 ? windowDC(desktop) : 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column)
            colours.push_back(dc != 0 ? pixel(dc, x + column, y + row) : NoColor);
    }
    if (dc != 0)
        releaseDC(desktop, dc);
    return colours;
}

std::int32_t Platform::GetPixel(Handle dc, std::int32_t x, std::int32_t y)
{
    return m_services->pixel(dc, x, y);
}
int Platform::ReleaseDC(Handle window, Handle dc)
{
    return m_services->releaseDC(window, dc);
}

std::intptr_t Platform::ShellExecuteA(Handle owner, const char *operation, const char *file,
    const char *parameters, const char *directory, int showCommand)
{
    return m_services->shellExecute(owner, operation, file, parameters, directory, showCommand);
}

int Platform::ReadMousePos()
{
    return GetCursorPos(MousePos);
}

bool Platform::MousePosShown() const
{
    return m_services->showsPointerPosition();
}

Handle Platform::StoreDesktopWindow()
{
    hWndDesk = GetDesktopWindow();
    return *hWndDesk;
}

std::int32_t Platform::SampleAtMousePos()
{
    const Handle desktop = StoreDesktopWindow();
    if (ToHandle(hDCDesk) != 0)
        ReleaseDC(desktop, ToHandle(hDCDesk));
    hDCDesk = GetWindowDC(desktop);
    if (LoupeAcross <= 0)
        return GetPixel(ToHandle(hDCDesk), MousePos.x, MousePos.y);
    const int half = LoupeAcross / 2;
    LoupePixels = m_services->pixels(MousePos.x - half, MousePos.y - half, LoupeAcross, LoupeAcross);
    return LoupePixels[std::size_t(half * LoupeAcross + half)];
}

void Platform::ReleaseDesktopDC()
{
    ReleaseDC(ToHandle(hWndDesk), ToHandle(hDCDesk));
    hDCDesk.reset();
}

} // namespace Module1
