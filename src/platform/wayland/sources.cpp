// SPDX-License-Identifier: MIT
#include "wayland/sources.h"

#include "pointergrab.h"

#include <QObject>

#include <utility>

#include <xkbcommon/xkbcommon-keysyms.h>

namespace Module1 {

namespace {

    // The overlays come and go with the grab; a press is reported when the connection has finished with
    // the event, and the overlays stay until its release, so that no window underneath sees that either.
    class WlrPointerGrab final : public PointerGrab {
    public:
        WlrPointerGrab(WlrScreen &screen, GrabClient &client, Handle desktop)
            : m_screen(screen)
            , m_client(client)
            , m_desktop(desktop)
        {
        }
        ~WlrPointerGrab() override { m_screen.hide(); }

        void take() override
        {
            m_held = true;
            m_screen.show({ .pressed = [this] { later([this] { pressed(); }); },
                .released = [this] { later([this] { released(); }); },
                .lost = [this] { later([this] { lost(); }); },
                .wheel = [this](int notches) { later([this, notches] { m_client.pointerWheel(notches); }); },
                .key = [this](std::uint32_t code,
                           bool shift) { later([this, code, shift] { key(code, shift); }); } });
        }
        void release() override
        {
            m_held = false;
            if (!m_pressed)
                m_screen.hide();
        }

        bool holdKeys(bool hold) override
        {
            m_screen.holdKeys(hold);
            return true;
        }
        void movePointer(int dx, int dy) override { m_screen.movePointer(dx, dy); }
        double loupeScale() const override { return m_screen.scale(); }
        bool showLoupe(const std::uint32_t *image, int side) override
        {
            return m_screen.showLoupe(image, side);
        }
        void hideLoupe() override { m_screen.hideLoupe(); }

    private:
        template <typename F> void later(F f)
        {
            QMetaObject::invokeMethod(&m_context, f, Qt::QueuedConnection);
        }
        void pressed()
        {
            if (m_pressed || !m_held)
                return;
            m_pressed = true;
            m_client.pointerPressed(m_desktop);
        }
        void released()
        {
            if (!m_pressed)
                return;
            m_pressed = false;
            if (!m_held)
                m_screen.hide();
        }
        // Enter, on the main keyboard or the keypad, is taken as the click.
        void key(std::uint32_t keysym, bool shift)
        {
            if (keysym == XKB_KEY_Return || keysym == XKB_KEY_KP_Enter) {
                pressed();
                released();
                return;
            }
            static constexpr std::pair<std::uint32_t, LoupeKey> Keys[] = { { XKB_KEY_Left, LoupeKey::Left },
                { XKB_KEY_Right, LoupeKey::Right }, { XKB_KEY_Up, LoupeKey::Up },
                { XKB_KEY_Down, LoupeKey::Down }, { XKB_KEY_Escape, LoupeKey::Escape } };
            for (const auto &[sym, loupeKey] : Keys) {
                if (sym == keysym)
                    m_client.keyPressed(loupeKey, shift);
            }
        }
        void lost()
        {
            m_pressed = false;
            m_screen.hide();
            m_client.screenUnreadable();
        }

        WlrScreen &m_screen;
        GrabClient &m_client;
        Handle m_desktop;
        QObject m_context; // what is still on its way when the grab goes is dropped with it
        bool m_held = false;
        bool m_pressed = false;
    };

    class PortalGrab final : public PointerGrab {
    public:
        PortalGrab(PortalPick &pick, GrabClient &client)
            : m_pick(pick)
            , m_client(client)
        {
        }
        ~PortalGrab() override { m_pick.end(); }
        void take() override { m_pick.start(m_client); }
        // The desktop's picker has the pointer until the user picks; there is nothing to let go.
        void release() override { }
        void end() override { m_pick.end(); }

    private:
        PortalPick &m_pick;
        GrabClient &m_client;
    };

} // namespace

std::int32_t WlrootsSource::pixel(Handle, std::int32_t, std::int32_t)
{
    return m_screen.sample();
}

std::vector<std::int32_t> WlrootsSource::pixels(Handle, std::int32_t, std::int32_t, int width, int)
{
    m_screen.readAround(width);
    return m_screen.square(width);
}

std::unique_ptr<PointerGrab> WlrootsSource::createPointerGrab(GrabClient &client, Handle desktop)
{
    return std::make_unique<WlrPointerGrab>(m_screen, client, desktop);
}

PortalSource::PortalSource(Handle desktop)
    : m_pick(desktop)
{
}

std::int32_t PortalSource::pixel(Handle, std::int32_t, std::int32_t)
{
    return m_pick.take();
}

std::unique_ptr<PointerGrab> PortalSource::createPointerGrab(GrabClient &client, Handle)
{
    return std::make_unique<PortalGrab>(m_pick, client);
}

} // namespace Module1
