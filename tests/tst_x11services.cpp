// SPDX-License-Identifier: MIT
// The X11 backend against a real X server (run on a private Xvfb, at depth 24 and at depth 16).
#include "module1.h"

#include <QTest>

#include <xcb/xcb.h>

#include <climits>
#include <cstdlib>
#include <memory>

using Module1::Handle;

class TestX11Services : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        m_services = Module1::CreatePlatformServices();
        QCOMPARE(QString::fromStdString(m_services->unavailableReason()), QString());
        m_c = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(m_c));
        m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        QCOMPARE(m_services->desktopWindow(), Handle(m_screen->root));
    }
    void cleanupTestCase() { xcb_disconnect(m_c); }

    void cursorIsInPhysicalPixels_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::newRow("origin") << 0 << 0;
        QTest::newRow("middle") << 640 << 512;
        QTest::newRow("last pixel") << int(m_screen->width_in_pixels) - 1
                                    << int(m_screen->height_in_pixels) - 1;
    }
    void cursorIsInPhysicalPixels()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        warp(x, y);
        Module1::CursorPoint p;
        QVERIFY(m_services->cursorPos(p));
        QCOMPARE(p.x, x);
        QCOMPARE(p.y, y);
    }

    void pixelHasTrueChannels_data()
    {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::newRow("black") << 0 << 0 << 0;
        QTest::newRow("white") << 255 << 255 << 255;
        QTest::newRow("red") << 255 << 0 << 0;
        QTest::newRow("green") << 0 << 255 << 0;
        QTest::newRow("blue") << 0 << 0 << 255;
        QTest::newRow("orange") << 255 << 128 << 0;
        QTest::newRow("all channels differ") << 0x12 << 0x9A << 0xEF;
    }
    void pixelHasTrueChannels()
    {
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        // The server's own word on what this colour becomes on its screen (exact at depth 24, the
        // nearest 5-6-5 value at depth 16).
        auto *color = xcb_alloc_color_reply(m_c,
            xcb_alloc_color(m_c, m_screen->default_colormap, static_cast<std::uint16_t>(r * 257),
                static_cast<std::uint16_t>(g * 257), static_cast<std::uint16_t>(b * 257)),
            nullptr);
        QVERIFY(color);
        const int shown[] = { color->red >> 8, color->green >> 8, color->blue >> 8 };
        setRoot(color->pixel);
        std::free(color);

        const Handle dc = m_services->windowDC(m_services->desktopWindow());
        QVERIFY(dc != 0);
        const std::int32_t read = m_services->pixel(dc, 100, 100);
        QCOMPARE(m_services->releaseDC(m_services->desktopWindow(), dc), 1);
        QVERIFY(read >= 0);
        const int channels[] = { read & 0xFF, (read >> 8) & 0xFF, (read >> 16) & 0xFF };
        for (int i = 0; i < 3; ++i)
            QVERIFY2(std::abs(channels[i] - shown[i]) <= 1,
                qPrintable(QStringLiteral("channel %1: read %2, the server shows %3")
                               .arg(i)
                               .arg(channels[i])
                               .arg(shown[i])));
        if (m_screen->root_depth >= 24)
            QCOMPARE(read, r | g << 8 | b << 16);
    }

    void offScreenGivesNoColour_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::newRow("left") << -1 << 0;
        QTest::newRow("above") << 0 << -1;
        QTest::newRow("right") << int(m_screen->width_in_pixels) << 0;
        QTest::newRow("below") << 0 << int(m_screen->height_in_pixels);
        QTest::newRow("beyond 16 bits") << 40000 << 5;
        QTest::newRow("most negative") << INT_MIN << INT_MAX;
    }
    void offScreenGivesNoColour()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        const Handle desktop = m_services->desktopWindow();
        const Handle dc = m_services->windowDC(desktop);
        QCOMPARE(m_services->pixel(dc, x, y), Module1::NoColor);
        QVERIFY(m_services->pixel(dc, 0, 0) >= 0); // the connection survived the error
        m_services->releaseDC(desktop, dc);
    }

    void contextsAreCountedAndReleasedOnce()
    {
        const Handle desktop = m_services->desktopWindow();
        const std::size_t before = m_services->liveContexts();
        const Handle a = m_services->windowDC(desktop);
        const Handle b = m_services->windowDC(desktop);
        QVERIFY(a != 0 && b != 0 && a != b);
        QCOMPARE(m_services->liveContexts(), before + 2);
        QCOMPARE(m_services->releaseDC(desktop + 1, a), 0); // not the window it was taken for
        QCOMPARE(m_services->releaseDC(desktop, a), 1);
        QCOMPARE(m_services->releaseDC(desktop, a), 0); // already given back
        QCOMPARE(m_services->pixel(a, 0, 0), Module1::NoColor);
        QCOMPARE(m_services->releaseDC(desktop, b), 1);
        QCOMPARE(m_services->liveContexts(), before);
        QCOMPARE(m_services->releaseDC(0, 0), 0);
        QCOMPARE(m_services->windowDC(0), Handle(0));
    }

    void pointedWindowIsTheApplicationsOwn()
    {
        warp(5, 5);
        QCOMPARE(m_services->pointedWindow(), Handle(m_screen->root)); // bare root: the desktop

        // Without a window manager the top-level window is the root's child itself.
        const xcb_window_t plain = window(m_screen->root, 100, 100, 100, 100);
        warp(150, 150);
        QCOMPARE(m_services->pointedWindow(), Handle(plain));

        // Under a window manager the root's child is a frame; the application's window carries WM_STATE.
        const xcb_window_t frame = window(m_screen->root, 300, 300, 200, 200);
        const xcb_window_t decoration = window(frame, 0, 0, 200, 20);
        const xcb_window_t client = window(frame, 0, 20, 200, 180);
        auto *atom = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, 8, "WM_STATE"), nullptr);
        QVERIFY(atom);
        const std::uint32_t state[] = { 1, XCB_NONE };
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, client, atom->atom, atom->atom, 32, 2, state);
        std::free(atom);
        warp(400, 305); // over the decoration, still the client's frame
        QCOMPARE(m_services->pointedWindow(), Handle(client));
        warp(400, 400);
        QCOMPARE(m_services->pointedWindow(), Handle(client));
        Q_UNUSED(decoration);
        xcb_destroy_window(m_c, frame);
        xcb_destroy_window(m_c, plain);
        sync();
    }

private:
    void sync() { std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); }
    void warp(int x, int y)
    {
        xcb_warp_pointer(m_c, XCB_NONE, m_screen->root, 0, 0, 0, 0, static_cast<std::int16_t>(x),
            static_cast<std::int16_t>(y));
        sync();
    }
    void setRoot(std::uint32_t pixel)
    {
        xcb_change_window_attributes(m_c, m_screen->root, XCB_CW_BACK_PIXEL, &pixel);
        xcb_clear_area(m_c, 0, m_screen->root, 0, 0, 0, 0);
        sync();
    }
    xcb_window_t window(xcb_window_t parent, int x, int y, int w, int h)
    {
        const xcb_window_t id = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, id, parent, static_cast<std::int16_t>(x),
            static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h), 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual, 0, nullptr);
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
