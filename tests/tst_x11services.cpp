// SPDX-License-Identifier: MIT
// The X11 platform's contract against a real X server, where the program's own use cannot show it: points
// off the screen, and contexts handed out and given back.
#include "services_x11.h"

#include <QTest>

#include <climits>

using Module1::Handle;

class TestX11Services : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QCOMPARE(QString::fromStdString(m_services.unavailableReason()), QString()); }

    // Off the screen, and beyond what a request's 16 bits hold (where a cut coordinate would be on it).
    void offScreenGivesNoColour_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        for (const auto &[x, y] : { std::pair { -1, 0 }, { 0, -1 }, { 1280, 0 }, { 0, 1024 }, { 65546, 5 }, { 5, -65526 },
                 { INT_MIN, INT_MAX } })
            QTest::addRow("%d, %d", x, y) << x << y;
    }
    void offScreenGivesNoColour()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        const Handle dc = m_services.windowDC(m_services.desktopWindow());
        QCOMPARE(m_services.pixel(dc, x, y), Module1::NoColor);
        QVERIFY(m_services.pixel(dc, 1279, 1023) >= 0); // the connection survived the error
        QCOMPARE(m_services.releaseDC(m_services.desktopWindow(), dc), 1);
    }

    void contextsAreCountedAndReleasedOnce()
    {
        const Handle desktop = m_services.desktopWindow();
        const Handle a = m_services.windowDC(desktop), b = m_services.windowDC(desktop);
        QVERIFY(a > 0 && b > 0 && a != b);
        QCOMPARE(m_services.liveContexts(), 2u);
        QCOMPARE(m_services.releaseDC(desktop + 1, a), 0); // not the window it was taken for
        QCOMPARE(m_services.releaseDC(desktop, a), 1);
        QCOMPARE(m_services.releaseDC(desktop, a), 0); // already given back
        QCOMPARE(m_services.pixel(a, 0, 0), Module1::NoColor);
        QCOMPARE(m_services.releaseDC(desktop, b), 1);
        QCOMPARE(m_services.liveContexts(), 0u);
        QCOMPARE(m_services.windowDC(0), Handle(0));
        QCOMPARE(m_services.windowDC(Handle(1) << 40), Handle(0)); // no such window on X
    }

private:
    Module1::X11Services m_services;
};

QTEST_GUILESS_MAIN(TestX11Services)
#include "tst_x11services.moc"
