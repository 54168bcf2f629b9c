// SPDX-License-Identifier: MIT
// Layer 3: the X11 backend against a real X server (a private Xvfb, at depth 24 and at depth 16).
#include "colorcode.h"
#include "services_x11.h"

#include <QTest>

#include <xcb/xcb.h>

#include <climits>
#include <memory>

using Module1::Handle;

class TestX11Services : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        m_services = std::make_unique<Module1::X11Services>();
        QCOMPARE(QString::fromStdString(m_services->unavailableReason()), QString());
        m_c = xcb_connect(nullptr, nullptr);
        m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        QCOMPARE(m_services->desktopWindow(), Handle(m_screen->root));
    }
    void cleanupTestCase() { xcb_disconnect(m_c); }

    void pointerAndPixel_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("rgb");
        QTest::newRow("origin, black") << 0 << 0 << 0x000000;
        QTest::newRow("middle, white") << 640 << 512 << 0xFFFFFF;
        QTest::newRow("last pixel, every channel different") << 1279 << 1023 << 0x129AEF;
        QTest::newRow("orange") << 7 << 9 << 0xFF8000;
    }
    void pointerAndPixel()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, rgb);
        xcb_warp_pointer(m_c, XCB_NONE, m_screen->root, 0, 0, 0, 0, std::int16_t(x), std::int16_t(y));
        // The server's own word on what this colour becomes on its screen (exact at depth 24, the nearest
        // 5-6-5 value at depth 16).
        auto *color = xcb_alloc_color_reply(m_c,
            xcb_alloc_color(m_c, m_screen->default_colormap, std::uint16_t((rgb >> 16) * 257),
                std::uint16_t((rgb >> 8 & 0xFF) * 257), std::uint16_t((rgb & 0xFF) * 257)),
            nullptr);
        QVERIFY(color);
        const colorcode::Channels shown { color->red >> 8, color->green >> 8, color->blue >> 8 };
        xcb_change_window_attributes(m_c, m_screen->root, XCB_CW_BACK_PIXEL, &color->pixel);
        std::free(color);
        xcb_clear_area(m_c, 0, m_screen->root, 0, 0, 0, 0);
        sync();

        Module1::CursorPoint p;
        QVERIFY(m_services->cursorPos(p));
        QCOMPARE(QPoint(p.x, p.y), QPoint(x, y)); // physical pixels
        const Handle dc = m_services->windowDC(m_services->desktopWindow());
        const colorcode::Channels read = colorcode::ChannelsOf(m_services->pixel(dc, x, y));
        QCOMPARE(m_services->releaseDC(m_services->desktopWindow(), dc), 1);
        for (const auto &[got, want] :
            { std::pair { read.red, shown.red }, { read.green, shown.green }, { read.blue, shown.blue } })
            QVERIFY2(std::abs(got - want) <= 1,
                qPrintable(QStringLiteral("read %1, the server shows %2").arg(got).arg(want)));
        if (m_screen->root_depth == 24)
            QCOMPARE(colorcode::ScreenColor(read.red, read.green, read.blue),
                colorcode::ScreenColor(rgb >> 16, rgb >> 8, rgb));
    }

    // Off the screen, and beyond what a request's 16 bits hold (where a cut coordinate would be on it).
    void offScreenGivesNoColour()
    {
        const Handle dc = m_services->windowDC(m_services->desktopWindow());
        for (const auto &[x, y] : { std::pair { -1, 0 }, { 0, -1 }, { 1280, 0 }, { 0, 1024 }, { 65546, 5 },
                 { 5, -65526 }, { INT_MIN, INT_MAX } }) {
            QCOMPARE(m_services->pixel(dc, x, y), Module1::NoColor);
            QVERIFY(m_services->pixel(dc, 0, 0) >= 0); // the connection survived the error
        }
        m_services->releaseDC(m_services->desktopWindow(), dc);
    }

    void contextsAreCountedAndReleasedOnce()
    {
        const Handle desktop = m_services->desktopWindow();
        const Handle a = m_services->windowDC(desktop), b = m_services->windowDC(desktop);
        QVERIFY(a > 0 && b > 0 && a != b);
        QCOMPARE(m_services->liveContexts(), 2u);
        QCOMPARE(m_services->releaseDC(desktop + 1, a), 0); // not the window it was taken for
        QCOMPARE(m_services->releaseDC(desktop, a), 1);
        QCOMPARE(m_services->releaseDC(desktop, a), 0); // already given back
        QCOMPARE(m_services->pixel(a, 0, 0), Module1::NoColor);
        QCOMPARE(m_services->releaseDC(desktop, b), 1);
        QCOMPARE(m_services->liveContexts(), 0u);
        QCOMPARE(m_services->windowDC(0), Handle(0));
        QCOMPARE(m_services->windowDC(Handle(1) << 40), Handle(0)); // no such window on X
    }

private:
    void sync() { std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); }
    void warp(int x, int y)
    {
        xcb_warp_pointer(m_c, XCB_NONE, m_screen->root, 0, 0, 0, 0, std::int16_t(x), std::int16_t(y));
        sync();
    }
    xcb_window_t window(xcb_window_t parent, int x, int y, int w, int h)
    {
        const xcb_window_t id = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, id, parent, std::int16_t(x), std::int16_t(y),
            std::uint16_t(w), std::uint16_t(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual, 0,
            nullptr);
        xcb_map_window(m_c, id);
        sync();
        return id;
    }

    std::unique_ptr<Module1::Services> m_services;
    xcb_connection_t *m_c = nullptr;
    xcb_screen_t *m_screen = nullptr;
};

QTEST_GUILESS_MAIN(TestX11Services)
#include "tst_x11services.moc"
