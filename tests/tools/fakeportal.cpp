// SPDX-License-Identifier: MIT
// fakeportal ANSWER...: a desktop portal on the session bus whose Screenshot.PickColor gives, call by
// call, the answers named: "R,G,B" (sRGB from 0 to 1) picked, "cancel", "refuse" (response 2, as a
// desktop that cannot pick), or "error" (an error reply). It says "ready" once it has its name and
// "pick N" for each call.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QTimer>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

class Portal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
public:
    explicit Portal(QStringList answers)
        : m_answers(std::move(answers))
    {
    }

public Q_SLOTS:
    QDBusObjectPath PickColor(const QString &, const QVariantMap &options)
    {
        std::printf("pick %lld\n", ++m_calls);
        std::fflush(stdout);
        const QString answer = m_answers.isEmpty() ? u"error"_s : m_answers.takeFirst();
        if (answer == u"error"_s) {
            sendErrorReply(u"org.freedesktop.portal.Error.Failed"_s, u"no picker here"_s);
            return {};
        }
        const QString path = u"/org/freedesktop/portal/desktop/request/%1/%2"_s.arg(
            message().service().mid(1).replace(u'.', u'_'), options.value(u"handle_token"_s).toString());
        // The answer comes later, from the request object, as a real portal's does when the user has picked.
        QTimer::singleShot(50, this, [answer, path] {
            QDBusMessage response
                = QDBusMessage::createSignal(path, u"org.freedesktop.portal.Request"_s, u"Response"_s);
            const QStringList rgb = answer.split(u',');
            QVariantMap results;
            if (rgb.size() == 3) {
                QDBusArgument color;
                color.beginStructure();
                color << rgb[0].toDouble() << rgb[1].toDouble() << rgb[2].toDouble();
                color.endStructure();
                results[u"color"_s] = QVariant::fromValue(color);
            }
            response << uint(rgb.size() == 3 ? 0 : answer == u"cancel"_s ? 1 : 2) << results;
            QDBusConnection::sessionBus().send(response);
        });
        return QDBusObjectPath(path);
    }

private:
    QStringList m_answers;
    long long m_calls = 0;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Portal portal(app.arguments().mid(1));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(u"/org/freedesktop/portal/desktop"_s, &portal, QDBusConnection::ExportAllSlots)
        || !bus.registerService(u"org.freedesktop.portal.Desktop"_s))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}

#include "fakeportal.moc"
