// SPDX-License-Identifier: MIT
#include "portal.h"

#include "pixelformat.h"
#include "pointergrab.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

using namespace Qt::Literals::StringLiterals;

namespace Module1 {

namespace {
    const QString Service = u"org.freedesktop.portal.Desktop"_s;
    const QString Request = u"org.freedesktop.portal.Request"_s;
    const QString Answer = u"Response"_s;
    enum PortalResponse : uint { Picked = 0, Cancelled = 1 };
} // namespace

PortalPick::PortalPick(Handle desktop)
    : m_desktop(desktop)
{
}

void PortalPick::start(GrabClient &client)
{
    if (m_client != nullptr)
        return;
    m_client = &client;
    ++m_pick;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        failed();
        return;
    }
    // The answer comes as a signal from a request object whose path the portal derives from our name and
    // the token: listening there before asking, no answer can come unheard.
    const QString token = u"zumeko%1"_s.arg(m_pick);
    listen(u"/org/freedesktop/portal/desktop/request/%1/%2"_s.arg(
        bus.baseService().mid(1).replace(u'.', u'_'), token));
    QDBusMessage call = QDBusMessage::createMethodCall(Service, u"/org/freedesktop/portal/desktop"_s,
        u"org.freedesktop.portal.Screenshot"_s, u"PickColor"_s);
    call << QString() << QVariantMap { { u"handle_token"_s, token } };
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [this, pick = m_pick](QDBusPendingCallWatcher *answered) {
            answered->deleteLater();
            const QDBusPendingReply<QDBusObjectPath> reply = *answered;
            if (pick != m_pick || m_client == nullptr)
                return;
            if (reply.isError())
                failed();
            else if (reply.value().path() != m_request) // an older portal names its request its own way
                listen(reply.value().path());
        });
}

void PortalPick::listen(const QString &request)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!m_request.isEmpty())
        bus.disconnect(Service, m_request, Request, Answer, this, SLOT(Response(uint, QVariantMap)));
    m_request = request;
    if (!m_request.isEmpty())
        bus.connect(Service, m_request, Request, Answer, this, SLOT(Response(uint, QVariantMap)));
}

void PortalPick::end()
{
    listen({});
    m_client = nullptr;
    m_picked.reset();
    ++m_pick;
}

void PortalPick::Response(uint response, const QVariantMap &results)
{
    listen({});
    if (response == Cancelled) {
        report([desktop = m_desktop](GrabClient &client) { client.pointerPressed(desktop); });
        return;
    }
    double rgb[3] = { -1, -1, -1 };
    if (response == Picked && results.value(u"color"_s).canConvert<QDBusArgument>()) {
        const QDBusArgument color = results.value(u"color"_s).value<QDBusArgument>();
        color.beginStructure();
        color >> rgb[0] >> rgb[1] >> rgb[2];
        color.endStructure();
    }
    if (rgb[0] < 0 || rgb[1] < 0 || rgb[2] < 0)
        failed();
    else
        m_picked = Screen::ScreenColorFromUnit(rgb[0], rgb[1], rgb[2]);
}

std::int32_t PortalPick::take()
{
    if (!m_picked)
        return NoColor;
    const std::int32_t color = *m_picked;
    m_picked.reset();
    // Shown by the tick that took it; then the pick ends as a click on the screen ends one.
    report([desktop = m_desktop](GrabClient &client) { client.pointerPressed(desktop); });
    return color;
}

void PortalPick::failed()
{
    listen({});
    report([](GrabClient &client) { client.screenUnreadable(); });
}

// Never from inside the call that learnt it, since the client ends the pick there and then; and never to
// a later pick.
void PortalPick::report(std::function<void(GrabClient &)> what)
{
    QMetaObject::invokeMethod(
        this,
        [this, what = std::move(what), pick = m_pick] {
            if (pick == m_pick && m_client != nullptr)
                what(*m_client);
        },
        Qt::QueuedConnection);
}

} // namespace Module1
