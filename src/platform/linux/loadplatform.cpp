// SPDX-License-Identifier: MIT
#include "module1.h"
#include "pointergrab.h"
#include "wayland/services.h"
#include "wayland/wlglobals.h"
#include "x11/services.h"

#include <cstdlib>
#include <string>

namespace Module1 {

namespace {

    // ZUMEKO_PLATFORM names no platform we have: rather than guess, say which there are. Nothing is
    // opened, since nothing is read: the program ends on the message.
    class UnknownPlatform final : public Services {
    public:
        explicit UnknownPlatform(std::string name)
            : m_name(std::move(name))
        {
        }
        std::string unavailableReason() override
        {
            return "ZUMEKO_PLATFORM is \"" + m_name + "\"; it can be x11, wayland or portal";
        }

        bool cursorPos(CursorPoint &) override { return false; }
        Handle desktopWindow() override { return 0; }
        Handle windowDC(Handle) override { return 0; }
        std::int32_t pixel(Handle, std::int32_t, std::int32_t) override { return NoColor; }
        int releaseDC(Handle, Handle) override { return 0; }
        std::intptr_t shellExecute(
            Handle, const char *, const char *, const char *, const char *, int) override
        {
            return NoAssociation;
        }
        std::size_t liveContexts() const override { return 0; }
        std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &) override
        {
            return std::make_unique<NoGrab>();
        }

    private:
        static constexpr std::intptr_t NoAssociation = 31; // ShellExecute's SE_ERR_NOASSOC
        class NoGrab final : public PointerGrab {
        public:
            void take() override { }
            void release() override { }
        };

        std::string m_name;
    };

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

    // The Wayland session's own way to read the screen; nothing where no compositor answers.
    std::unique_ptr<Services> waylandPlatform()
    {
        switch (ProbeWayland()) {
        case Compositor::Wlroots:
            return std::make_unique<WlrootsServices>();
        case Compositor::Other:
            // Without a session bus there is no portal to ask.
            if (!environment("DBUS_SESSION_BUS_ADDRESS").empty())
                return std::make_unique<PortalServices>();
            return std::make_unique<UnreadableServices>();
        case Compositor::None:
            break;
        }
        return nullptr;
    }

    // The platform ZUMEKO_PLATFORM names, taken at its word: where it cannot read the screen, it says so.
    std::unique_ptr<Services> forcedPlatform(const std::string &name)
    {
        if (name == "x11")
            return std::make_unique<X11Services>();
        if (name == "portal")
            return std::make_unique<PortalServices>();
        if (name != "wayland")
            return std::make_unique<UnknownPlatform>(name);
        if (auto wayland = waylandPlatform())
            return wayland;
        return std::make_unique<UnreadableServices>();
    }

    // The window is always an X window (on XWayland in a Wayland session); what differs is how the screen
    // is read. A Wayland session is one whose WAYLAND_DISPLAY names a compositor that answers: where none
    // answers, it is an X session with a stale variable.
    std::unique_ptr<Services> detectedPlatform()
    {
        if (!environment("WAYLAND_DISPLAY").empty()) {
            if (auto wayland = waylandPlatform())
                return wayland;
        }
        return std::make_unique<X11Services>();
    }

} // namespace

std::unique_ptr<Services> LoadPlatform()
{
    const std::string forced = environment("ZUMEKO_PLATFORM");
    return forced.empty() ? detectedPlatform() : forcedPlatform(forced);
}

} // namespace Module1
