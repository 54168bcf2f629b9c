// SPDX-License-Identifier: MIT
// The windows on the offscreen platform with a scripted screen, for what no outside view reaches: faults
// made to order, texts measured against their controls, the keyboard, and locks left behind.
#include "capturecontrol.h"
#include "colorcode.h"
#include "fake/services.h"
#include "fitfont.h"
#include "formstesting.h"
#include "frminfo.h"
#include "frmmain.h"
#include "label.h"
#include "linkcursor.h"
#include "loupeview.h"
#include "programicon.h"
#include "typeface.h"

#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QFontInfo>
#include <QGroupBox>
#include <QLockFile>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using Module1::FakeServices;

namespace {
constexpr std::int32_t Sampled
    = colorcode::ScreenColor(0xFF, 0x80, 0x20); // what the scripted pointer is over
QString q(const std::u16string &s)
{
    return QString::fromStdU16String(s);
}
const QString PointerMessage = u"マウス位置取得に失敗しました。"_s;
} // namespace

class TestWidgets : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid()); // never the user's own folder, so never their Zumeko's lock
        Forms::SetMessageHook([this](const QString &text) {
            m_messages << text;
            if (m_duringMessage)
                m_duringMessage();
        });
    }
    void init()
    {
        auto fake = std::make_unique<FakeServices>();
        m_fake = fake.get();
        m_fake->pointer = { 120, 45 };
        m_fake->folder = m_runtime.path().toStdString();
        m_fake->screen = [](std::int32_t, std::int32_t) { return Sampled; };
        m_messages.clear();
        m_duringMessage = {};
        m_platform = std::make_unique<Module1::Platform>(std::move(fake));
        m_window = std::make_unique<FrmMain>(*m_platform);
        QVERIFY(m_window->Form_Load());
    }
    void cleanup()
    {
        m_window.reset();
        Forms::ReleaseInstanceLock();
    }

    // A native scroll bar's keys; every change shows in the labels, the code and the swatch at once.
    void keys_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("value");
        QTest::newRow("End to 255") << 0 << int(Qt::Key_End) << 255;
        QTest::newRow("Home to 0") << 200 << int(Qt::Key_Home) << 0;
        QTest::newRow("Right steps up") << 0 << int(Qt::Key_Right) << 1;
        QTest::newRow("Left steps down") << 5 << int(Qt::Key_Left) << 4;
        QTest::newRow("Down steps up") << 5 << int(Qt::Key_Down) << 6;
        QTest::newRow("Up steps down") << 5 << int(Qt::Key_Up) << 4;
        QTest::newRow("PageDown a page of one") << 5 << int(Qt::Key_PageDown) << 6;
        QTest::newRow("PageUp a page of one") << 5 << int(Qt::Key_PageUp) << 4;
    }
    void keys()
    {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, value);
        bar('G')->setValue(0x80);
        bar('B')->setValue(0x20);
        bar('R')->setValue(start);
        showActive();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key)); // the red bar has the focus at start
        QCOMPARE(bar('R')->value(), value);
        QCOMPARE(text(u"Lbl_R(0)"_s) + text(u"Lbl_R(1)"_s),
            q(colorcode::ChannelDecimalText(value)) + q(colorcode::ChannelHexText(value)));
        QCOMPARE(code(), u"#"_s + q(colorcode::ChannelHexText(value)) + u"8020"_s);
        QCOMPARE(swatch(), colorcode::ScreenColor(value, 0x80, 0x20));
    }

    // Tab from the red bar; Enter does nothing but on a button, where it presses it, as natively.
    void tabOrder_data()
    {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<QString>("focused");
        const QStringList order
            = { u"HScroll_G"_s, u"HScroll_B"_s, u"Option1"_s, u"CmdCopy"_s, u"ChkFonttag"_s, u"CmdQuit"_s };
        for (int i = 0; i < order.size(); ++i)
            QTest::addRow("%d Tab to %s", i + 1, qPrintable(order[i])) << i + 1 << order[i];
    }
    void tabOrder()
    {
        QFETCH(int, tabs);
        QFETCH(QString, focused);
        showActive();
        QGuiApplication::clipboard()->setText(u"before"_s);
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), focused);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QGuiApplication::clipboard()->text(), focused == u"CmdCopy"_s ? u"#000000"_s : u"before"_s);
        QCOMPARE(m_window->isVisible(), focused != u"CmdQuit"_s);
        QCOMPARE(code(), u"#000000"_s);
    }

    // Fixed fault: texts were clipped; the decimal labels lost their colon from 100 up. Every text a control
    // shows fits it whole, in whatever face stands in for the typeface (run again at scale 1.5). The texts
    // are the ones the window itself shows as it is driven, so a fitting that was given the wrong texts to
    // fit shows here too.
    void textsFit_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("driven"); // what changes its text: "bars", "pointer", or nothing
        for (const char *name : { "Lbl_R(0)", "Lbl_G(0)", "Lbl_B(0)", "Lbl_R(1)", "Lbl_G(1)", "Lbl_B(1)" })
            QTest::newRow(name) << QString::fromLatin1(name) << u"bars"_s;
        QTest::newRow("LblColorcode") << u"LblColorcode"_s << u"bars"_s;
        QTest::newRow("LblCurposition, far left of a wide desktop") << u"LblCurposition"_s << u"pointer"_s;
        for (const char *name :
            { "Label1(0)", "Label2", "Frame1", "Frame2", "Option1", "Option2", "ChkFonttag", "CmdCopy",
                "CmdQuit", "FrmInfo/Label1", "FrmInfo/Label2", "FrmInfo/LblUrl", "FrmInfo/Label7" })
            QTest::newRow(name) << QString::fromLatin1(name) << QString(); // its own caption
    }
    void textsFit()
    {
        QFETCH(QString, control);
        QFETCH(QString, driven);
        FrmInfo about(*m_platform);
        auto *widget = (control.startsWith(u"FrmInfo/"_s) ? static_cast<QObject *>(&about) : m_window.get())
                           ->findChild<QWidget *>(control.section(u'/', -1));
        const char *caption = qobject_cast<QGroupBox *>(widget) ? "title" : "text";
        // A blank at the end of a text shows nothing, so it may be cut.
        const auto shownNow = [&] {
            QString shown = widget->property(caption).toString();
            while (shown.endsWith(u' ') || shown.endsWith(QChar(0x3000)))
                shown.chop(1);
            return shown;
        };
        QStringList texts;
        if (driven == u"bars"_s) {
            for (int value = 0; value < 256; ++value) { // every channel's every value, and every code's digit
                for (const char c : { 'R', 'G', 'B' })
                    bar(c)->setValue(value);
                texts << shownNow();
            }
        } else if (driven == u"pointer"_s) {
            m_fake->pointer = { -32768, -32768 };
            m_window->Option2_Click();
            texts << shownNow();
        } else {
            texts << shownNow();
        }
        QVERIFY(!texts.contains(QString())); // a control that shows nothing would pass for nothing
        for (const QString &shown : texts) {
            widget->setProperty(caption, shown);
            const qreal over = Forms::Overflow(widget);
            QVERIFY2(over <= 1,
                qPrintable(u"%1 is %2 times too small for %3"_s.arg(control).arg(over).arg(shown)));
        }
    }

    // A text too long for its control shrinks no further than Japanese stays legible, then is clipped; a
    // button's caption is fitted as a label's is.
    void smallestLegibleFont()
    {
        Label cramped(u"既に起動しています。"_s);
        cramped.resize(10, 10);
        cramped.setFont(Forms::Typeface(12));
        Forms::FitFont(&cramped);
        QCOMPARE(QFontInfo(cramped.font()).pixelSize(), 8);
        // And only where its text would not fit: the row captions keep their 12 points, 16 pixels.
        QCOMPARE(QFontInfo(m_window->findChild<QLabel *>(u"Label1(0)"_s)->font()).pixelSize(), 16);
        QVERIFY(cramped.font().bold());
        QCOMPARE(cramped.text(), u"既に起動しています。"_s);
        QVERIFY2(QFontInfo(cramped.font()).family().startsWith(u"IPA"_s),
            qPrintable(QFontInfo(cramped.font()).family()));
        // A button is fitted to the widest caption it will show, not to the one it shows now.
        QPushButton button(u"OK"_s);
        button.setFont(Forms::Typeface(12));
        button.resize(90, 30);
        Forms::FitFont(&button, { u"OK"_s, u"取得してコピー"_s });
        button.setText(u"取得してコピー"_s);
        QVERIFY2(Forms::Overflow(&button) <= 1, qPrintable(QString::number(Forms::Overflow(&button))));
    }

    // A lock left behind never blocks a start; a live copy's lock does, on its display only; where no lock
    // can be had at all, the start goes on.
    void locks_data()
    {
        QTest::addColumn<QString>("holder"); // who wrote the lock file
        QTest::addColumn<QString>("display");
        QTest::addColumn<bool>("refused");
        QTest::newRow("a copy that was killed") << u"killed"_s << u":9"_s << false;
        QTest::newRow("this very process, its number come round") << u"self"_s << u":9"_s << false;
        QTest::newRow("a running copy") << u"running"_s << u":9"_s << true;
        QTest::newRow("a running copy on another display") << u"running"_s << u":10"_s << false;
        QTest::newRow("no folder to lock in") << u"nobody"_s << u":9"_s << false;
    }
    void locks()
    {
        QFETCH(QString, holder);
        QFETCH(QString, display);
        QFETCH(bool, refused);
        m_window.reset();
        Forms::ReleaseInstanceLock();
        const QString lockFile = m_runtime.filePath(u"zumeko-_3A9.lock"_s); // the display ":9"
        QLockFile running(lockFile);
        if (holder == u"nobody"_s) {
            m_fake->folder = "/proc/zumeko"; // no folder can be made there, not even by root
            QTest::ignoreMessage(QtWarningMsg,
                "zumeko: no lock can be had in \"/proc/zumeko\", so another copy on this display goes "
                "unseen");
        } else if (holder == u"running"_s) {
            QVERIFY(running.tryLock(0));
        } else if (holder == u"killed"_s) {
            const pid_t child = fork();
            if (child == 0)
                _exit(QLockFile(lockFile).tryLock(0) ? 0 : 1); // no destructor runs
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QCOMPARE(WEXITSTATUS(status), 0);
        } else {
            QFile leftover(lockFile);
            QVERIFY(leftover.open(QFile::WriteOnly));
            leftover.write(QByteArray::number(QCoreApplication::applicationPid()) + "\ntst_widgets\n"
                + QSysInfo::machineHostName().toUtf8() + '\n');
        }
        QVERIFY(QFile::exists(lockFile) != (holder == u"nobody"_s));
        m_fake->display = display.toStdString();
        FrmMain second(*m_platform);
        QCOMPARE(second.Form_Load(), !refused);
        QCOMPARE(m_messages,
            refused ? QStringList { u"既に起動しています。二重起動はできません"_s } : QStringList {});
        QCOMPARE(second.findChild<QLabel *>(u"LblColorcode"_s)->text(), refused ? QString() : u"#000000"_s);
    }

    // Fixed fault: every tick of a failing pointer read opened another message on top of the last, so the
    // user could neither leave screen mode nor quit. Now it is told once a run, and sampling goes on.
    void pointerFailure_data()
    {
        QTest::addColumn<bool>("messageThrows");
        QTest::newRow("the message is closed") << false;
        QTest::newRow("the message box fails") << true;
    }
    void pointerFailure()
    {
        QFETCH(bool, messageThrows);
        m_fake->pointerReadable = false;
        m_window->Option2_Click(); // unreadable from the start: screen mode starts, silently, unarmed
        QVERIFY(timer()->isActive() && !capture()->isArmed() && text(u"LblCurposition"_s).isEmpty());
        QVERIFY(m_messages.isEmpty());
        int readsUnderMessage = -1;
        m_duringMessage = [this, &readsUnderMessage, messageThrows] {
            const int reads = m_fake->cursorReads;
            m_window->Timer1_Timer(); // ticks keep falling due while the message is open
            readsUnderMessage = m_fake->cursorReads - reads;
            if (messageThrows)
                throw std::runtime_error("the message box failed");
        };
        for (int i = 0; i < 3; ++i)
            m_window->Timer1_Timer();
        QCOMPARE(m_messages, QStringList { PointerMessage });
        QCOMPARE(readsUnderMessage, 0);
        m_fake->pointerReadable = true;
        m_window->Timer1_Timer();
        QCOMPARE(code(), u"#FF8020"_s); // sampling goes on
        m_fake->pointerReadable = false;
        m_window->Timer1_Timer();
        QCOMPARE(m_messages, QStringList({ PointerMessage, PointerMessage })); // a new run is told again
    }

    // A desktop that lets no program read the screen: said once, by then with the pointer let go, and the
    // scroll bars given back.
    void screenUnreadable()
    {
        m_window->Option2_Click();
        QVERIFY(capture()->isArmed());
        bool armedUnderMessage = true;
        m_duringMessage = [&] { armedUnderMessage = capture()->isArmed(); };
        capture()->screenUnreadable();
        QCOMPARE(m_messages,
            QStringList {
                u"このデスクトップでは画面の色を読み取れません。スクロールバーを用いて取得してください。"_s });
        QVERIFY(!armedUnderMessage);
        QVERIFY(!capture()->isArmed() && !timer()->isActive() && bar('R')->isEnabled()
            && m_window->findChild<QRadioButton *>(u"Option1"_s)->isChecked());
        capture()->screenUnreadable(); // once
        QCOMPARE(m_messages.size(), 1);
    }

    // A tick that fails past the pointer ends quietly: the position is shown, the colour stays. With the
    // loupe open, the tick reads its whole square and the colour is the square's middle.
    void tickFailure_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("throws");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("across"); // the loupe's pixels, read in one square (0: closed)
        QTest::newRow("a colour at the pointer") << 7 << 8 << false << u"#123456"_s << 0;
        QTest::newRow("the top-left corner") << 0 << 0 << false << u"#123456"_s << 0;
        QTest::newRow("off the screen: no colour") << -3 << -7 << false << u"#FF8020"_s << 0;
        QTest::newRow("the screen throws") << 7 << 8 << true << u"#FF8020"_s << 0;
        QTest::newRow("the loupe's middle pixel") << 7 << 8 << false << u"#123456"_s << 5;
    }
    void tickFailure()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(bool, throws);
        QFETCH(QString, code);
        QFETCH(int, across);
        m_platform->LoupeAcross = across;
        m_window->Option2_Click();
        QVERIFY(!bar('R')->isEnabled()); // the colour is the screen's now
        m_window->Timer1_Timer(); // shows the scripted #FF8020
        m_fake->pointer = { x, y };
        // The colour is only at the pointer, and only on the screen: a read anywhere else would show another.
        m_fake->screen = [=](std::int32_t px, std::int32_t py) -> std::int32_t {
            if (throws)
                throw std::runtime_error("the screen went away");
            return px == x && py == y && x >= 0 ? 0x563412 : Module1::NoColor;
        };
        m_window->Timer1_Timer();
        QCOMPARE(text(u"LblCurposition"_s), q(colorcode::CursorPositionText(x, y)));
        QCOMPARE(this->code(), code);
        QVERIFY(m_messages.isEmpty() && timer()->isActive());
        m_window->Option1_Click(); // the bars' colour again, and no position
        QVERIFY(text(u"LblCurposition"_s).isEmpty() && !timer()->isActive() && bar('R')->isEnabled());
        QCOMPARE(this->code(), u"#000000"_s);
    }

    // While a thumb is dragged its channel's texts follow it, before the button is let go.
    void dragFollows_data()
    {
        QTest::addColumn<char>("channel");
        QTest::newRow("red") << 'R';
        QTest::newRow("green") << 'G';
        QTest::newRow("blue") << 'B';
    }
    void dragFollows()
    {
        QFETCH(char, channel);
        QScrollBar *dragged = bar(channel);
        dragged->setSliderDown(true);
        dragged->setValue(0xAB);
        QCOMPARE(text(u"Lbl_%1(1)"_s.arg(QLatin1Char(channel))), q(colorcode::ChannelHexText(0xAB)));
        dragged->setSliderDown(false);
    }

    // The look as approved, pixel for pixel: the main window with a colour on its bars and the focus on the
    // green one, the About box, the About link's hand cursor (the icon: windowIcons and the install test) and
    // the loupe at the screen's top-left corner, its first row and column beyond the screen.
    // Every change shows here; where one is meant, the failure says where the new picture is (in the folder
    // the test ran in), to look at and approve by its fingerprint.
    void looks_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("approved");
        QTest::newRow("main window") << u"main"_s << u"66e78c95f7bf0a6a"_s;
        QTest::newRow("About box") << u"about"_s << u"eb5358bcdfc79aba"_s;
        QTest::newRow("link cursor") << u"cursor"_s << u"670e4ca20a674c8f"_s;
        QTest::newRow("loupe") << u"loupe"_s << u"4681b0b755281008"_s;
    }
    void looks()
    {
        QFETCH(QString, what);
        QFETCH(QString, approved);
        bar('R')->setValue(0xFF);
        bar('G')->setValue(0x80);
        bar('B')->setValue(0x20);
        FrmInfo about(*m_platform);
        about.Form_Load();
        if (what == u"main"_s) {
            showActive();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // the focus mark shows after a key
        }
        std::vector<std::int32_t> corner(25, Module1::NoColor); // the loupe's first row and column beyond
        for (int at = 6; at < 25; ++at)
            corner[std::size_t(at)] = at % 5 == 0 ? Module1::NoColor : 0x102030 * at;
        const QImage image = (what == u"main"_s ? m_window->grab().toImage()
                : what == u"about"_s            ? about.grab().toImage()
                : what == u"cursor"_s           ? LinkCursorImage()
                                                : LoupeView::draw(corner, 5, 6))
                                 .convertToFormat(QImage::Format_RGB32);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (int y = 0; y < image.height(); ++y)
            hash.addData(QByteArrayView(image.constScanLine(y), 4 * image.width()));
        const QString seen = QString::fromLatin1(hash.result().toHex().left(16));
        const QString file = QDir::current().absoluteFilePath(u"looks-"_s + what + u".png"_s);
        if (seen != approved) {
            QVERIFY2(image.save(file),
                qPrintable(u"%1 looks otherwise (%2), and %3 cannot be written"_s.arg(what, seen, file)));
            QFAIL(qPrintable(u"%1 looks otherwise (%2, in %3)"_s.arg(what, seen, file)));
        }
    }

    // Each window shows the program's icon in its title bar and on the task bar.
    void windowIcons_data()
    {
        QTest::addColumn<bool>("about");
        QTest::newRow("main window") << false;
        QTest::newRow("About box") << true;
    }
    void windowIcons()
    {
        QFETCH(bool, about);
        FrmInfo box(*m_platform);
        const QWidget *window = about ? static_cast<QWidget *>(&box) : m_window.get();
        const QImage shown = window->windowIcon().pixmap(32, 32).toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), Forms::ProgramIconImage());
    }

    // Fixed fault: a clipboard that could not be written failed in silence. Copy asks the platform, which
    // knows when the system refuses what the toolkit took for written.
    void clipboardRefuses()
    {
        m_fake->clipboardRefuses = true;
        m_window->findChild<QPushButton *>(u"CmdCopy"_s)->click();
        QCOMPARE(m_messages, QStringList { u"クリップボードにコピーできませんでした。"_s });
    }

    // Changes come faster than the screen's frames and are painted a frame later; once nothing changes,
    // nothing waits (a timer left running would wake Zumeko sixty times a second for nothing).
    void pacedPaints()
    {
        showActive();
        bar('R')->setValue(1);
        QCoreApplication::processEvents();
        bar('R')->setValue(2); // at once: it waits for the next frame
        const QList<QTimer *> timers = m_window->findChildren<QTimer *>();
        QTRY_VERIFY(
            std::none_of(timers.begin(), timers.end(), [](const QTimer *t) { return t->isActive(); }));
    }

    // However long screen mode runs, one desktop context is held at most, and the last goes back at the end.
    void contextsGoBack()
    {
        showActive();
        QVERIFY(m_window->close()); // never sampled: ReleaseDC(0, 0) passes in silence
        QCOMPARE(m_fake->releases, 1);
        m_window->Option2_Click();
        for (int i = 0; i < 1000; ++i)
            m_window->Timer1_Timer();
        QCOMPARE(m_fake->liveContexts(), 1u);
        QVERIFY(m_window->close());
        QCOMPARE(m_fake->liveContexts(), 0u);
        QCOMPARE(m_fake->releases, 1001);
    }

private:
    QString text(const QString &name) const { return m_window->findChild<QLabel *>(name)->text(); }
    QString code() const { return text(u"LblColorcode"_s); }
    std::int32_t swatch() const { return m_window->findChild<Label *>(u"LblGetcolor"_s)->BackColor(); }
    QScrollBar *bar(char c) const
    {
        return m_window->findChild<QScrollBar *>(u"HScroll_"_s + QLatin1Char(c));
    }
    QTimer *timer() const { return m_window->findChild<QTimer *>(u"Timer1"_s); }
    CaptureControl *capture() const { return m_window->findChild<CaptureControl *>(u"Capture1"_s); }
    void showActive()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    QTemporaryDir m_runtime;
    QStringList m_messages;
    std::function<void()> m_duringMessage; // runs while a message is "open"
    std::unique_ptr<Module1::Platform> m_platform; // made anew for each case, with a fake of its own
    std::unique_ptr<FrmMain> m_window;
    FakeServices *m_fake = nullptr;
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
