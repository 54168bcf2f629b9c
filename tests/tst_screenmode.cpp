// SPDX-License-Identifier: MIT
#include "capturecontrol.h"
#include "forms.h"
#include "fixture.h"
#include "frmmain.h"
#include "label.h"
#include "module1_fake.h"

#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;
using Module1::FakeServices;

class TestScreenMode : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_fixture.isolate()); }

    void init()
    {
        m_fake = &Module1::InstallFakeServices();
        m_fake->pointer = { 120, 45 };
        m_fake->screen = [](std::int32_t, std::int32_t) { return 0x0080FF; };
        Module1::MousePos = {};
        Module1::hWndDesk.reset();
        Module1::hDCDesk.reset();
        m_fixture.messages.clear();
        m_fixture.duringMessage = {};
        m_window = std::make_unique<FrmMain>();
        QVERIFY(m_window->Form_Load());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        Forms::ReleaseInstanceLock();
    }

    void modes()
    {
        m_window->Option2_Click();
        QVERIFY(option(2)->isChecked() && !option(1)->isChecked());
        QVERIFY(!bar(u"R"_s)->isEnabled() && !bar(u"G"_s)->isEnabled() && !bar(u"B"_s)->isEnabled());
        QVERIFY(timer()->isActive());
        QCOMPARE(label(u"LblCurposition"_s), u"X\uFF1A120\u3000\u3000Y\uFF1A45"_s); // at once, before a tick
        QCOMPARE(code(), u"#000000"_s); // but no colour yet
        QCOMPARE(Module1::ToHandle(Module1::hWndDesk), FakeServices::Desktop);
        QVERIFY(capture()->isArmed());

        Q_EMIT capture()->Capture(FakeServices::Desktop); // the user's click on the screen
        QVERIFY(!timer()->isActive());
        QVERIFY(option(2)->isChecked());
        QVERIFY(!bar(u"R"_s)->isEnabled());

        m_window->Option1_Click();
        QVERIFY(option(1)->isChecked() && !option(2)->isChecked());
        QVERIFY(bar(u"R"_s)->isEnabled() && bar(u"G"_s)->isEnabled() && bar(u"B"_s)->isEnabled());
        QVERIFY(!timer()->isActive());
        QVERIFY(label(u"LblCurposition"_s).isEmpty());
        QVERIFY(!capture()->isArmed());
    }

    void choosingTheSelectedOptionRunsItAgain()
    {
        QTest::mouseClick(option(2), Qt::LeftButton, {}, QPoint(8, 11));
        QCOMPARE(m_fake->cursorReads, 1);
        Q_EMIT capture()->Capture(FakeServices::Desktop); // the capture's grab would take the next click
        QTest::mouseClick(option(2), Qt::LeftButton, {}, QPoint(8, 11));
        QCOMPARE(m_fake->cursorReads, 2);
        QVERIFY(timer()->isActive());
        QVERIFY(capture()->isArmed());
    }

    void unreadablePointerWhenScreenModeStarts()
    {
        m_fake->pointerReadable = false;
        m_window->Option2_Click();
        QVERIFY(timer()->isActive());
        QVERIFY(label(u"LblCurposition"_s).isEmpty());
        QVERIFY(!Module1::hWndDesk.has_value());
        QVERIFY(!capture()->isArmed());
        QVERIFY(m_fixture.messages.isEmpty());
    }

    void pointReArmsOnlyForDesktopOrMainWindow_data()
    {
        QTest::addColumn<int>("pointed");
        QTest::addColumn<bool>("armed");
        QTest::newRow("desktop") << 0 << true;
        QTest::newRow("main window") << 1 << true;
        QTest::newRow("another application") << 2 << false;
    }
    void pointReArmsOnlyForDesktopOrMainWindow()
    {
        QFETCH(int, pointed);
        QFETCH(bool, armed);
        Module1::hWndDesk = FakeServices::Desktop;
        const Module1::Handle handles[]
            = { FakeServices::Desktop, static_cast<Module1::Handle>(m_window->winId()), 0x5EED };
        m_window->Capture1_Point(handles[pointed]);
        QCOMPARE(capture()->isArmed(), armed);
        m_window->Capture1_Point(handles[pointed]); // starting while armed does no harm
        QCOMPARE(capture()->isArmed(), armed);
    }

    void tickShowsPositionAndColour_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("color");
        QTest::addColumn<QString>("position");
        QTest::addColumn<QString>("code");
        QTest::newRow("orange") << 120 << 45 << 0x0080FF << u"X\uFF1A120\u3000\u3000Y\uFF1A45"_s
                                << u"#FF8000"_s;
        QTest::newRow("white in the corner")
            << 0 << 0 << 0xFFFFFF << u"X\uFF1A0\u3000\u3000Y\uFF1A0"_s << u"#FFFFFF"_s;
        QTest::newRow("off the screen: only the position")
            << -3 << -7 << -1 << u"X\uFF1A-3\u3000\u3000Y\uFF1A-7"_s << u"#000000"_s;
    }
    void tickShowsPositionAndColour()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, color);
        QFETCH(QString, position);
        QFETCH(QString, code);
        option(2)->setChecked(true); // sampling without the rest of the mode switch
        m_fake->pointer = { x, y };
        // The colour is only at the pointer: a read anywhere else would show another.
        m_fake->screen
            = [=](std::int32_t px, std::int32_t py) { return px == x && py == y ? color : 0x123456; };
        m_window->Timer1_Timer();
        QCOMPARE(label(u"LblCurposition"_s), position);
        QCOMPARE(this->code(), code);
        QCOMPARE(swatch(), color == -1 ? 0 : color);
    }

    void tickInSliderModeChangesNothing()
    {
        timer()->start(); // even with the timer running
        m_window->Timer1_Timer();
        QCOMPARE(m_fake->cursorReads, 0);
        QCOMPARE(m_fake->pixelReads, 0);
        QVERIFY(label(u"LblCurposition"_s).isEmpty());
        QCOMPARE(code(), u"#000000"_s);
    }

    void ticksNeverTouchTheBarsOrTheirLabels()
    {
        bar(u"R"_s)->setValue(18);
        bar(u"G"_s)->setValue(52);
        bar(u"B"_s)->setValue(86);
        const QStringList before = channelLabels();
        m_window->Option2_Click();
        int next = 0;
        m_fake->screen = [&next](std::int32_t, std::int32_t) { return next++ * 0x010203; };
        for (int i = 0; i < 50; ++i)
            m_window->Timer1_Timer();
        QCOMPARE(channelLabels(), before);
        QCOMPARE(bar(u"R"_s)->value(), 18);
        QCOMPARE(bar(u"G"_s)->value(), 52);
        QCOMPARE(bar(u"B"_s)->value(), 86);

        Q_EMIT capture()->Capture(FakeServices::Desktop);
        QCOMPARE(code(), u"#936231"_s); // the last of 50 samples: 49 * 0x010203 = 0x316293
        m_window->Option1_Click();
        QCOMPARE(code(), u"#123456"_s); // the bars' colour is shown again
        QCOMPARE(swatch(), 0x563412);
    }

    void atMostOneContextIsHeld()
    {
        option(2)->setChecked(true);
        for (int i = 0; i < 10000; ++i) {
            m_window->Timer1_Timer();
            QVERIFY(m_fake->liveContexts() <= 1);
        }
        QCOMPARE(m_fake->liveContexts(), 1u);
        m_window->close(); // and the last one goes back when the window unloads
        QCOMPARE(m_fake->liveContexts(), 0u);
    }

    // Fixed fault: every tick of a failing pointer read used to open another message on top of the last,
    // so the user could neither leave screen mode nor quit.
    void pointerFailureMessageOncePerRunAndNeverStacked()
    {
        m_window->Option2_Click();
        m_fake->pointerReadable = false;
        int readsUnderMessage = -1;
        m_fixture.duringMessage = [this, &readsUnderMessage] {
            const int reads = m_fake->cursorReads;
            QTest::qWait(60); // the 10 ms timer keeps falling due while the message is open
            m_window->Timer1_Timer();
            readsUnderMessage = m_fake->cursorReads - reads;
        };
        m_window->Timer1_Timer();
        QCOMPARE(m_fixture.messages, QStringList { u"マウス位置取得に失敗しました。"_s });
        QCOMPARE(readsUnderMessage, 0);
        QVERIFY(capture()->isArmed()); // re-armed once the message is gone
        m_fixture.duringMessage = {};
        for (int i = 0; i < 20; ++i)
            m_window->Timer1_Timer();
        QCOMPARE(m_fixture.messages.size(), 1); // the same run of failures: told once
        QVERIFY(timer()->isActive()); // the timer goes on

        m_fake->pointerReadable = true;
        m_window->Timer1_Timer();
        m_fake->pointerReadable = false;
        m_window->Timer1_Timer();
        QCOMPARE(m_fixture.messages.size(), 2); // a new run after a read that succeeded
    }

    void failingTickEndsQuietly()
    {
        option(2)->setChecked(true);
        m_fake->screen
            = [](std::int32_t, std::int32_t) -> std::int32_t { throw std::runtime_error("device lost"); };
        m_window->Timer1_Timer();
        QCOMPARE(label(u"LblCurposition"_s), u"X\uFF1A120\u3000\u3000Y\uFF1A45"_s);
        QCOMPARE(code(), u"#000000"_s);
        QVERIFY(m_fixture.messages.isEmpty());
    }

private:
    template <typename W> W *control(const QString &name) const { return ::control<W>(m_window.get(), name); }
    QRadioButton *option(int n) const { return control<QRadioButton>(u"Option%1"_s.arg(n)); }
    QScrollBar *bar(const QString &channel) const { return control<QScrollBar>(u"HScroll_"_s + channel); }
    QTimer *timer() const { return control<QTimer>(u"Timer1"_s); }
    CaptureControl *capture() const { return control<CaptureControl>(u"Capture1"_s); }
    QString label(const QString &name) const { return labelText(m_window.get(), name); }
    QString code() const { return codeText(m_window.get()); }
    std::int32_t swatch() const { return swatchColor(m_window.get()); }
    QStringList channelLabels() const
    {
        QStringList texts;
        for (const char *name : { "Lbl_R(0)", "Lbl_R(1)", "Lbl_G(0)", "Lbl_G(1)", "Lbl_B(0)", "Lbl_B(1)" })
            texts << label(QString::fromLatin1(name));
        return texts;
    }

    WidgetFixture m_fixture;
    std::unique_ptr<FrmMain> m_window;
    FakeServices *m_fake = nullptr;
};

QTEST_MAIN(TestScreenMode)
#include "tst_screenmode.moc"
