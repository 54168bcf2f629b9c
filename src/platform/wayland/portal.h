// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <optional>

namespace Module1 {

class GrabClient;

// A pick handed to the desktop's own colour picker through the desktop portal
// (org.freedesktop.portal.Screenshot.PickColor), for the Wayland desktops that let no program read the
// screen itself. The answer comes when the user has picked, without a preview: the colour goes to the
// next sampling tick, which shows it, and then the pick is reported as the click that fixed it. A cancel
// is a click that fixes nothing new; a desktop that cannot pick says so through screenUnreadable.
class PortalPick : public QObject {
    Q_OBJECT
public:
    explicit PortalPick(Handle desktop);

    void start(GrabClient &client); // asks the portal, unless this pick is already under way
    void end(); // the pick is over: an answer that comes later counts for nothing
    std::int32_t take(); // the picked colour, once; NoColor before the answer and after

private Q_SLOTS:
    void Response(uint response, const QVariantMap &results);

private:
    void listen(const QString &request);
    void report(std::function<void(GrabClient &)> what);
    void failed();

    Handle m_desktop;
    GrabClient *m_client = nullptr; // while a pick is under way
    QString m_request; // the request object the answer comes from
    std::optional<std::int32_t> m_picked;
    unsigned m_pick = 0; // counts the picks, so that nothing of an earlier one reaches a later one
};

} // namespace Module1
