// SPDX-License-Identifier: MIT
#include "linux/nullsource.h"
#include "module1.h"
#include "wayland/sources.h"
#include "wayland/wlglobals.h"
#include "x11/session.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace Module1 {

namespace {

    std::string environment(const char *name)
    {
        const char *value = std::getenv(name);
        return value != nullptr ? value : "";
    }

    // The Wayland compositor that WAYLAND_DISPLAY names: none that answers, one that offers what live
    // picking needs (the wlroots layer shell and screencopy, and the outputs' places in its layout), or
    // another. Only the names of its globals are asked for, so that nothing is bound on a compositor that
    // is then not used.
    enum class Compositor { None, Wlroots, Other };
    Compositor ProbeWayland()
    {
        const Wl::Globals globals;
        if (!globals.answered())
            return Compositor::None;
        for (const char *needed :
            { "zwlr_layer_shell_v1", "zwlr_screencopy_manager_v1", "zxdg_output_manager_v1" }) {
            if (!globals.offers(needed))
                return Compositor::Other;
        }
        return Compositor::Wlroots;
    }

    using ScreenMaker = X11Session::ScreenMaker;

    ScreenMaker x11Screen()
    {
        return {}; // the session's own
    }
    ScreenMaker wlrootsScreen()
    {
        return [](X11Session &) { return std::make_unique<WlrootsSource>(); };
    }
    ScreenMaker portalScreen()
    {
        return [](X11Session &session) { return std::make_unique<PortalSource>(session.desktopWindow()); };
    }
    ScreenMaker nullScreen(std::string reason = {})
    {
        return [reason](X11Session &) { return std::make_unique<NullSource>(reason); };
    }

    // The Wayland session's own way to read the screen; nothing where no compositor answers.
    std::optional<ScreenMaker> waylandScreen()
    {
        switch (ProbeWayland()) {
        case Compositor::Wlroots:
            return wlrootsScreen();
        case Compositor::Other:
            // Without a session bus there is no portal to ask.
            if (!environment("DBUS_SESSION_BUS_ADDRESS").empty())
                return portalScreen();
            return nullScreen();
        case Compositor::None:
            break;
        }
        return std::nullopt;
    }

    // The screen ZUMEKO_PLATFORM names, taken at its word: where it cannot read the screen, it says so.
    ScreenMaker forcedScreen(const std::string &name)
    {
        if (name == "x11")
            return x11Screen();
        if (name == "portal")
            return portalScreen();
        if (name != "wayland")
            return nullScreen("ZUMEKO_PLATFORM is \"" + name + "\"; it can be x11, wayland or portal");
        return waylandScreen().value_or(nullScreen());
    }

    // A Wayland session is one whose WAYLAND_DISPLAY names a compositor that answers: where none answers, it
    // is an X session with a stale variable.
    ScreenMaker detectedScreen()
    {
        if (!environment("WAYLAND_DISPLAY").empty()) {
            if (auto wayland = waylandScreen())
                return *wayland;
        }
        return x11Screen();
    }

} // namespace

// The window is always an X window (on XWayland in a Wayland session); what differs is how the screen is
// read.
std::unique_ptr<Services> LoadPlatform()
{
    const std::string forced = environment("ZUMEKO_PLATFORM");
    const auto desktop
        = environment("WAYLAND_DISPLAY").empty() ? X11Session::Desktop::X11 : X11Session::Desktop::Wayland;
    return std::make_unique<X11Session>(desktop, forced.empty() ? detectedScreen() : forcedScreen(forced));
}

} // namespace Module1
