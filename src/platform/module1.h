// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The operating-system services Zumeko calls directly, with the shapes of the Windows API they come
// from, and the three program-wide variables the sampling code shares.
namespace Module1 {

using Handle = std::intptr_t; // a window or device-context handle; 0 means none

struct CursorPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// A handle variable starts empty; passed as an argument it converts to an integer, empty giving 0.
using HandleVar = std::optional<Handle>;
inline Handle ToHandle(const HandleVar &var)
{
    return var.value_or(0);
}

inline constexpr std::int32_t NoColor = -1;
inline constexpr int SW_SHOW = 5;

class PointerGrab;
class GrabClient;

// One implementation per platform, chosen when the program starts (LoadPlatform), plus a scriptable fake
// for tests.
class Services {
public:
    virtual ~Services() = default;

    // Empty when the services can be used; otherwise one line that says why not (no display, ...).
    virtual std::string unavailableReason() { return {}; }
    // The Qt platform plugin these services read the screen through; nullptr for Qt's own choice.
    virtual const char *guiPlatform() const { return nullptr; }

    virtual bool cursorPos(CursorPoint &point) = 0; // false when the pointer cannot be read
    // False where the screen is read without a pointer position to show (a desktop's own picker): the
    // position read then is only where the pointer was, not where the colour came from.
    virtual bool showsPointerPosition() const { return true; }
    virtual Handle desktopWindow() = 0; // 0 when there is no desktop
    virtual Handle windowDC(Handle window) = 0; // 0 on failure
    virtual std::int32_t pixel(Handle dc, std::int32_t x, std::int32_t y) = 0; // 0x00BBGGRR, or NoColor
    virtual int releaseDC(Handle window, Handle dc) = 0; // 1 when released, 0 otherwise
    // Opens a file or address with the program the desktop associates with it; > 32 on success.
    virtual std::intptr_t shellExecute(Handle owner, const char *operation, const char *file,
        const char *parameters, const char *directory, int showCommand)
        = 0;
    virtual std::size_t liveContexts() const = 0; // device contexts handed out and not yet released
    // The desktop's pixels in a rectangle at (x, y), row by row, each as pixel() reads it: NoColor beyond
    // the screen's edge. The loupe's view; here read one by one, where a platform has no faster way.
    virtual std::vector<std::int32_t> pixels(std::int32_t x, std::int32_t y, int width, int height);

    // Where this user's copies of Zumeko see each other: a folder that only this user can write to, found
    // without asking the environment (empty: the forms runtime's own choice), and the display or session
    // this copy shows on (empty when it cannot be told).
    virtual std::string instanceFolder() { return {}; }
    virtual std::string displayName() { return {}; }

    // Called as the program ends with the text it last put on the clipboard and still owns: keeps it there
    // where the system would drop it with the program (X11 without a clipboard manager; a Wayland session
    // whose X bridge keeps nothing, where data control lets the Wayland selection be kept).
    virtual void keepClipboard(const std::string &) { }
    // Puts a text on the clipboard with `write`, the program's own clipboard call, which tells whether the
    // text reads back; true when the text can be pasted. Where the system can refuse the program behind its
    // toolkit's back (X11), the platform asks the system who holds the clipboard, and tries once more.
    virtual bool putOnClipboard(const std::function<bool()> &write) { return write(); }
    // True when the display the program showed on has gone away (the X server ended).
    virtual bool displayLost() { return false; }

    // The means for the pointer capture control to have the user's next click anywhere on the screen.
    virtual std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client) = 0;
};

// The platform this program runs on, chosen when it starts: on Windows, Windows; on Linux, the Wayland
// session's compositor where WAYLAND_DISPLAY names one, else the X server; ZUMEKO_PLATFORM (x11,
// wayland, portal) forces one. Where nothing can read the screen, a platform that says so.
std::unique_ptr<Services> LoadPlatform();

// The program's platform, made once by main() and handed to what uses it: the services, the calls the
// program makes of them, in the shapes of the Windows API, and the three variables screen sampling shares.
// Tests and the Windows probe make their own, around a fake or the real services.
class Platform {
public:
    explicit Platform(std::unique_ptr<Services> services)
        : m_services(std::move(services))
    {
    }
    Services &services() const { return *m_services; }

    int GetCursorPos(CursorPoint &point); // non-zero on success; point is untouched on failure
    Handle GetDesktopWindow();
    Handle GetWindowDC(Handle window);
    std::int32_t GetPixel(Handle dc, std::int32_t x, std::int32_t y);
    int ReleaseDC(Handle window, Handle dc);
    std::intptr_t ShellExecuteA(Handle owner, const char *operation, const char *file, const char *parameters,
        const char *directory, int showCommand);

    CursorPoint MousePos;
    HandleVar hWndDesk;
    HandleVar hDCDesk;
    // While the loupe is open, the pixels it shows across (0 while it is closed): each sample then reads
    // that square around MousePos at once, in LoupePixels, and takes its middle pixel as the colour.
    int LoupeAcross = 0;
    std::vector<std::int32_t> LoupePixels;

    // The steps of screen sampling, each the only writer of the shared variable it names, so that the tick,
    // the Windows probe and the benchmark run the very same code.
    int ReadMousePos(); // GetCursorPos into MousePos; 0 when the pointer cannot be read
    bool MousePosShown() const; // whether MousePos is where the colour comes from, to be shown
    Handle StoreDesktopWindow(); // GetDesktopWindow into hWndDesk
    // The pixel under MousePos, 0x00BBGGRR or NoColor: stores the desktop window, gives back the context
    // the last sample held and keeps a new one in hDCDesk, so that at most one is ever held. With the
    // loupe open, the loupe's view is read with it, in the same read.
    std::int32_t SampleAtMousePos();
    void ReleaseDesktopDC(); // gives back the context in hDCDesk, if any; for the end of the program

private:
    std::unique_ptr<Services> m_services;
};

} // namespace Module1
