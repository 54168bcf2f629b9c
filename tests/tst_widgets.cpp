// SPDX-License-Identifier: MIT
// Layer 2: the windows on the offscreen platform, with a scripted screen in place of the real one.
#include "capturecontrol.h"
#include "colorcode.h"
#include "forms.h"
#include "frminfo.h"
#include "frmmain.h"
#include "label.h"
#include "services_fake.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLockFile>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using colorcode::ScreenColor;
using Module1::FakeServices;

namespace {
constexpr std::int32_t Sampled = ScreenColor(0xFF, 0x80, 0x20); // what the scripted pointer is over
QString q(const std::u16string &s)
{
    return QString::fromStdU16String(s);
}
template <typename W = QLabel> W *find(const QObject *window, const QString &name)
{
    W *w = window->findChild<W *>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}
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
        m_fake = &Module1::InstallFakeServices();
        m_fake->pointer = { 120, 45 };
        m_fake->folder = m_runtime.path().toStdString();
        m_fake->screen = [](std::int32_t, std::int32_t) { return Sampled; };
        Module1::hWndDesk.reset();
        Module1::hDCDesk.reset();
        m_messages.clear();
        m_duringMessage = {};
        m_window = std::make_unique<FrmMain>();
        QVERIFY(code().isEmpty()); // nothing is shown before the window loads
        QVERIFY(m_window->Form_Load());
    }
    void cleanup()
    {
        m_window.reset();
        Forms::ReleaseInstanceLock();
        Forms::SetClipboardRefuses(false);
    }

    void startsOnceForEachUserAndDisplay()
    {
        QCOMPARE(channelLabels(), QStringList({ dec(0), u"00"_s, dec(0), u"00"_s, dec(0), u"00"_s }));
        QCOMPARE(code(), u"#000000"_s);
        QCOMPARE(swatch(), 0);
        Forms::ReleaseInstanceLock();
        const QString lockFile = m_runtime.filePath(u"zumeko-_3A9.lock"_s); // the display ":9"
        QLockFile running(lockFile);
        QVERIFY(running.tryLock(0));
        FrmMain second;
        QVERIFY(!second.Form_Load());
        QCOMPARE(m_messages, QStringList { u"既に起動しています。二重起動はできません"_s });
        QVERIFY(find(&second, u"LblColorcode"_s)->text().isEmpty()); // nothing was initialised
        m_fake->display = ":10";
        QVERIFY(second.Form_Load()); // on another display, another copy
        QVERIFY(!Forms::PrevInstance(m_runtime.path(), u":9"_s)); // asked again, this copy holds its own
        Forms::ReleaseInstanceLock();
        running.unlock();

        // A copy that was killed leaves its lock file behind: the next start is not refused for it, nor
        // for a lock that names this very process, which a copy long gone had when numbers came round.
        const pid_t child = fork();
        if (child == 0)
            _exit(QLockFile(lockFile).tryLock(0) ? 0 : 1); // no destructor runs
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(!Forms::PrevInstance(m_runtime.path(), u":9"_s));
        Forms::ReleaseInstanceLock();
        QFile leftover(lockFile);
        QVERIFY(leftover.open(QFile::WriteOnly));
        leftover.write(QByteArray::number(QCoreApplication::applicationPid()) + "\ntst_widgets\n"
            + QSysInfo::machineHostName().toUtf8() + '\n');
        leftover.close();
        QVERIFY(!Forms::PrevInstance(m_runtime.path(), u":9"_s));
    }

    void windowAndCaptions()
    {
        showActive();
        QVERIFY(m_window->minimumSize() == m_window->maximumSize()); // the window manager offers no resizing
        // A font shrinks only where its text would not fit: the row captions keep 12 points, 16 pixels.
        QCOMPARE(QFontInfo(find(m_window.get(), u"Label1(0)"_s)->font()).pixelSize(), 16);
        for (const QString &name : { u"LblGetcolor"_s, u"LblColorcode"_s }) // fixed borders, sunken
            QCOMPARE(find(m_window.get(), name)->frameStyle(), QFrame::WinPanel | QFrame::Sunken);
        const QSize fixed = m_window->size();
        m_window->setMinimumSize(0, 0);
        m_window->setMaximumSize(2000, 2000);
        m_window->resize(100, 100); // as if the system changed the size
        QCOMPARE(m_window->size(), fixed);
        for (const auto &[name, color] :
            { std::pair { "Label1(0)", Qt::red }, { "Label1(1)", Qt::green }, { "Label1(2)", Qt::blue } })
            QCOMPARE(find(m_window.get(), QLatin1String(name))->palette().color(QPalette::WindowText),
                QColor(color));
        QCOMPARE(find<QPushButton>(m_window.get(), u"CmdCopy"_s)->toolTip()
                + find<QPushButton>(m_window.get(), u"CmdQuit"_s)->toolTip(),
            u"クリップボードに色情報をコピーしますZumekoを終了します"_s);
        // Fifteen two-pixel stripes in a one-pixel black frame, from the standard 16-colour palette.
        const QImage icon = Forms::ProgramIconImage();
        QCOMPARE(m_window->windowIcon().pixmap(32).toImage().convertToFormat(icon.format()), icon);
        const char *stripes[] = { "red", "olive", "yellow", "green", "cyan", "blue", "magenta", "purple",
            "magenta", "blue", "silver", "green", "yellow", "grey", "red" };
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const bool frame = x == 0 || y == 0 || x == 31 || y == 31;
                QCOMPARE(icon.pixelColor(x, y), QColor::fromString(frame ? "black" : stripes[(y - 1) / 2]));
            }
        }
    }

    void keysMoveTheFocusedBar()
    {
        bar('G')->setValue(0x80);
        bar('B')->setValue(0x20);
        showActive();
        for (const auto &[start, key, value] : std::initializer_list<std::tuple<int, Qt::Key, int>> {
                 { 0, Qt::Key_End, 255 }, { 200, Qt::Key_Home, 0 }, { 0, Qt::Key_Right, 1 },
                 { 5, Qt::Key_Left, 4 }, { 0, Qt::Key_Left, 0 }, { 5, Qt::Key_Down, 6 }, { 5, Qt::Key_Up, 4 },
                 { 5, Qt::Key_PageDown, 6 }, { 5, Qt::Key_PageUp, 4 } }) {
            bar('R')->setValue(start);
            QTest::keyClick(QApplication::focusWidget(), key);
            QCOMPARE(QList<int>({ start, key, bar('R')->value() }), QList<int>({ start, key, value }));
            QCOMPARE(channelLabels().mid(0, 2), QStringList({ dec(value), hex(value) }));
            QCOMPARE(code(), u"#"_s + hex(value) + u"8020"_s);
            QCOMPARE(swatch(), ScreenColor(value, 0x80, 0x20));
        }
    }

    void mouseOnTheBars()
    {
        showActive();
        QScrollBar *g = bar('G');
        for (const auto &[button, where] :
            std::initializer_list<std::pair<Qt::MouseButton, QStyle::SubControl>> {
                { Qt::LeftButton, QStyle::SC_ScrollBarAddLine },
                { Qt::LeftButton, QStyle::SC_ScrollBarAddPage },
                { Qt::LeftButton, QStyle::SC_ScrollBarSubLine },
                { Qt::MiddleButton, QStyle::SC_ScrollBarAddPage },
                { Qt::RightButton, QStyle::SC_ScrollBarAddPage } })
            QTest::mouseClick(g, button, {}, part(g, where));
        // Each left click a step of one; Qt's middle click in the trough would jump to the pointer.
        QCOMPARE(code(), u"#000100"_s);
        QCOMPARE(QApplication::focusWidget(), g); // a click gives the bar the keyboard, as natively
        const QImage drawn = g->grab().toImage();
        QVERIFY(drawn.pixel(g->width() / 2, 3) != drawn.pixel(3, 3));
        for (const char c : { 'R', 'G', 'B' }) {
            QScrollBar *b = bar(c);
            const QPoint thumb = part(b, QStyle::SC_ScrollBarSlider),
                         dragged = thumb + QPoint(b->width() / 2, 0);
            QTest::mousePress(b, Qt::LeftButton, {}, thumb);
            QTest::mouseMove(b, dragged);
            QVERIFY(b->isSliderDown() && b->value() > 100);
            QCOMPARE(code().mid(c == 'R' ? 1 : c == 'G' ? 3 : 5, 2), hex(b->value())); // before the release
            QTest::mouseRelease(b, Qt::LeftButton, {}, dragged);
        }
        // The code is read off the hexadecimal labels, while the swatch follows the bars.
        find(m_window.get(), u"Lbl_R(1)"_s)->setText(u"7F"_s);
        bar('G')->setValue(2);
        QCOMPARE(code(), u"#7F02"_s + hex(bar('B')->value()));
        QCOMPARE(swatch(), ScreenColor(bar('R')->value(), 2, bar('B')->value()));
    }

    // Fixed fault: Enter did nothing on a focused button, which natively it presses.
    void keyboardOnly()
    {
        showActive();
        QStringList visited { QApplication::focusWidget()->objectName() };
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // does nothing but on a button
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited,
            QStringList({ u"HScroll_R"_s, u"HScroll_G"_s, u"HScroll_B"_s, u"Option1"_s, u"CmdCopy"_s,
                u"ChkFonttag"_s, u"CmdQuit"_s }));
        QCOMPARE(QGuiApplication::clipboard()->text(), u"#000000"_s); // Enter on Copy
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(find<QPushButton>(m_window.get(), u"CmdCopy"_s), Qt::Key_Space); // and Space, as ever
        QCOMPARE(QGuiApplication::clipboard()->text(), u"#000000"_s);
        QVERIFY(m_window->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QVERIFY(!m_window->isVisible()); // Enter on Quit
    }

    // Fixed fault: texts were clipped; the decimal labels lost their colon from 100 up. Every text each
    // control can show fits it whole (run again at scale 1.5, as on a 144 dpi screen).
    void textsAreShownWhole()
    {
        FrmInfo about;
        for (QWidget *control : m_window->findChildren<QWidget *>() + about.findChildren<QWidget *>()) {
            const QString name = control->objectName();
            QStringList texts { control->property("text").toString(), control->property("title").toString() };
            for (int v = 0; v < 256; ++v)
                texts << (name.endsWith(u"(0)"_s) ? dec(v).chopped(1)
                        : name.endsWith(u"(1)"_s) ? hex(v)
                                                  : QString());
            for (const char16_t digit : u"0123456789ABCDEF")
                texts << (name == u"LblColorcode"_s ? u"#"_s + QString(6, digit) : QString());
            texts << (name == u"LblCurposition"_s ? q(colorcode::CursorPositionText(-1920, -1080))
                                                  : QString());
            for (const QString &text : texts) {
                if (text.isEmpty())
                    continue;
                const QFontMetricsF metrics(control->font());
                QRect room = qobject_cast<QLabel *>(control) ? control->contentsRect() : control->rect();
                QSizeF needed(metrics.horizontalAdvance(text), metrics.height());
                if (auto *push = qobject_cast<QPushButton *>(control)) {
                    QStyleOptionButton option;
                    option.initFrom(push);
                    room = push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push);
                } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
                    button->setText(text);
                    needed = button->sizeHint();
                } else if (qobject_cast<QGroupBox *>(control)) {
                    needed = QSizeF(control->minimumSizeHint().width(), 0);
                }
                QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                    qPrintable(u"%1 needs %2x%3 for %4"_s.arg(name)
                                   .arg(needed.width())
                                   .arg(needed.height())
                                   .arg(text)));
            }
        }
    }

    void copy()
    {
        bar('R')->setValue(255);
        for (const auto &[tag, writable, copied] :
            std::initializer_list<std::tuple<bool, bool, QString>> { { false, true, u"#FF0000"_s },
                { true, true, u"<font color=\"#FF0000\">"_s }, { false, false, u"old"_s } }) {
            auto *other = new QMimeData; // what another program left there, in other formats too
            other->setText(u"old"_s);
            other->setHtml(u"<b>old</b>"_s);
            QGuiApplication::clipboard()->setMimeData(other);
            if (!writable)
                Forms::SetClipboardRefuses(true);
            find<QAbstractButton>(m_window.get(), u"ChkFonttag"_s)->setChecked(tag);
            find<QPushButton>(m_window.get(), u"CmdCopy"_s)->click();
            const QMimeData *data = QGuiApplication::clipboard()->mimeData();
            QCOMPARE(data->text(), copied);
            QCOMPARE(data->hasHtml(), !writable); // everything else is replaced
        }
        QCOMPARE(m_messages, QStringList { u"クリップボードにコピーできませんでした。"_s });
    }

    // Looked up in the current folder, as a plain file, by its exact name.
    void help()
    {
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        for (const QString &entry : { u".help.html"_s, u"HELP.HTML"_s })
            QVERIFY(QFile(entry).open(QFile::WriteOnly));
        QVERIFY(QDir().mkdir(u"help.html"_s));
        m_window->MenuHelp_Click();
        QVERIFY(QDir().rmdir(u"help.html"_s) && QFile(u"help.html"_s).open(QFile::WriteOnly));
        m_window->MenuHelp_Click();
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(
            m_messages, QStringList { u"ヘルプファイルが見つかりません。ヘルプを起動できませんでした。"_s });
        checkShellCalls("help.html");
    }

    void screenModeSamplesUntilTheClick()
    {
        for (const char c : { 'R', 'G', 'B' })
            bar(c)->setValue(c * 2); // 0xA4, 0x8E, 0x84: each channel its own
        const QStringList labels = channelLabels();
        m_window->Option2_Click();
        QVERIFY(option(2)->isChecked() && !option(1)->isChecked());
        QVERIFY(!bar('R')->isEnabled() && !bar('G')->isEnabled() && !bar('B')->isEnabled());
        QVERIFY(timer()->isActive() && capture()->isArmed());
        QCOMPARE(text(u"LblCurposition"_s), q(colorcode::CursorPositionText(120, 45))); // at once
        QCOMPARE(code(), u"#A48E84"_s); // but no colour before the first tick
        QCOMPARE(Module1::ToHandle(Module1::hWndDesk), FakeServices::Desktop);

        m_window->Timer1_Timer();
        QCOMPARE(code(), u"#FF8020"_s);
        QCOMPARE(swatch(), Sampled);
        QCOMPARE(channelLabels(), labels); // ticks leave the bars' labels alone

        Q_EMIT capture()->Capture(FakeServices::Desktop); // the user's click on the screen
        QVERIFY(!timer()->isActive() && option(2)->isChecked() && !bar('R')->isEnabled());
        QTest::mouseClick(option(2), Qt::LeftButton, {}, QPoint(8, 11)); // choosing it again picks again
        QVERIFY(timer()->isActive() && capture()->isArmed());

        m_window->Option1_Click();
        QVERIFY(option(1)->isChecked() && !option(2)->isChecked());
        QVERIFY(bar('R')->isEnabled() && bar('G')->isEnabled() && bar('B')->isEnabled());
        QVERIFY(!timer()->isActive() && !capture()->isArmed()); // an armed grab would take the next click
        QVERIFY(text(u"LblCurposition"_s).isEmpty());
        QCOMPARE(code(), u"#A48E84"_s); // the bars' colour again
        QCOMPARE(swatch(), ScreenColor(0xA4, 0x8E, 0x84));
        m_window->Timer1_Timer();
        QCOMPARE(m_fake->cursorReads, 3); // a tick in slider mode reads nothing

        m_fake->pointerReadable = false;
        m_window->Option2_Click(); // an unreadable pointer: sampling starts, silently, unarmed
        QVERIFY(timer()->isActive() && !capture()->isArmed() && text(u"LblCurposition"_s).isEmpty());
        QVERIFY(m_messages.isEmpty());
    }

    void pointReArmsOnlyOverTheDesktopOrTheMainWindow()
    {
        Module1::hWndDesk = FakeServices::Desktop;
        Q_EMIT capture()->Point(0x5EED); // another application
        QVERIFY(!capture()->isArmed());
        Q_EMIT capture()->Point(FakeServices::Desktop);
        QVERIFY(capture()->isArmed());
        capture()->CancelCapture();
        Q_EMIT capture()->Point(Module1::Handle(m_window->winId()));
        QVERIFY(capture()->isArmed());
    }

    void tick()
    {
        option(2)->setChecked(true);
        for (const auto &[x, y, color, code] : std::initializer_list<std::tuple<int, int, int, QString>> {
                 { 120, 45, Sampled, u"#FF8020"_s }, { 0, 0, 0xFFFFFF, u"#FFFFFF"_s },
                 { -3, -7, -1, u"#FFFFFF"_s } }) { // off the screen: only the position changes
            m_fake->pointer = { x, y };
            // The colour is only at the pointer: a read anywhere else would show another.
            m_fake->screen
                = [=](std::int32_t px, std::int32_t py) { return px == x && py == y ? color : 0x123456; };
            m_window->Timer1_Timer();
            QCOMPARE(text(u"LblCurposition"_s), q(colorcode::CursorPositionText(x, y)));
            QCOMPARE(this->code(), code);
            QCOMPARE(swatch(), color == -1 ? 0xFFFFFF : color);
        }
    }

    void atMostOneContextIsHeldAndTheLastGoesBack()
    {
        showActive();
        QVERIFY(m_window->close()); // never sampled: ReleaseDC(0, 0) passes in silence
        QCOMPARE(m_fake->releases, 1);
        option(2)->setChecked(true);
        for (int i = 0; i < 1000; ++i) {
            m_window->Timer1_Timer();
            QCOMPARE(m_fake->liveContexts(), 1u);
        }
        showActive();
        QTest::mouseClick(find<QPushButton>(m_window.get(), u"CmdQuit"_s), Qt::LeftButton);
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_fake->liveContexts(), 0u);
        QCOMPARE(m_fake->releases, 1001);
        QVERIFY(m_messages.isEmpty());
    }

    // Fixed fault: every tick of a failing pointer read used to open another message on top of the last,
    // so the user could neither leave screen mode nor quit.
    void pointerFailureIsToldOncePerRunAndNeverStacked()
    {
        m_window->Option2_Click();
        m_fake->pointerReadable = false;
        int readsUnderMessage = -1;
        m_duringMessage = [this, &readsUnderMessage] {
            const int reads = m_fake->cursorReads;
            m_window->Timer1_Timer(); // ticks keep falling due while the message is open
            readsUnderMessage = m_fake->cursorReads - reads;
        };
        for (int i = 0; i < 5; ++i)
            m_window->Timer1_Timer();
        QCOMPARE(m_messages, QStringList { u"マウス位置取得に失敗しました。"_s }); // told once for the run
        QCOMPARE(readsUnderMessage, 0);
        QVERIFY(capture()->isArmed() && timer()->isActive());

        m_fake->pointerReadable = true;
        m_window->Timer1_Timer();
        m_fake->pointerReadable = false;
        m_duringMessage = [] { throw std::runtime_error("the message box failed"); };
        m_window->Timer1_Timer();
        QCOMPARE(m_messages.size(), 2); // a new run after a read that worked
        // Whatever became of the message, sampling goes on.
        m_fake->pointerReadable = true;
        m_fake->screen = [](std::int32_t, std::int32_t) { return 0x123456; };
        m_window->Timer1_Timer();
        QCOMPARE(code(), u"#563412"_s);
        // A tick that fails further on ends quietly, with the position already shown.
        m_fake->pointer = { 7, 8 };
        m_fake->screen
            = [](std::int32_t, std::int32_t) -> std::int32_t { throw std::runtime_error("device lost"); };
        m_window->Timer1_Timer();
        QCOMPARE(text(u"LblCurposition"_s), q(colorcode::CursorPositionText(7, 8)));
        QCOMPARE(code(), u"#563412"_s);
        QCOMPARE(m_messages.size(), 2);
    }

    void aboutBox()
    {
        showActive();
        QTimer::singleShot(0, this, [this] {
            auto *box = qobject_cast<FrmInfo *>(QApplication::activeModalWidget());
            QVERIFY(box);
            const auto close = qScopeGuard([box] { box->close(); }); // also when a check fails
            QCOMPARE(box->geometry().center(), m_window->geometry().center());
            QCOMPARE(box->size(), QSize(333, 132));
            const QImage shown = box->grab().toImage();
            // Green climbs about two steps a pixel row from top to bottom; red and blue never change.
            for (const auto &[y, green] : { std::pair { 0, 1 }, { 66, 129 }, { 131, 255 } })
                QCOMPARE(shown.pixelColor(2, y), QColor(20, green, 10));
            QCOMPARE(shown.pixelColor(54, 68), QColor(20, 133, 10)); // beside the text of a transparent label
            QCOMPARE(find(box, u"Label1"_s)->text(), u"Zumeko Version 1.00"_s);
            QVERIFY(find(box, u"Label1"_s)->alignment() & Qt::AlignHCenter);
            QLabel *url = find(box, u"LblUrl"_s);
            QVERIFY(url->font().underline() && url->font().bold());
            QCOMPARE(url->palette().color(QPalette::WindowText), QColor(192, 192, 255));
            // The hand: black outline, white finger, grey shade, dark-blue cuff; its fingertip the hot spot.
            QCOMPARE(url->cursor().hotSpot(), QPoint(12, 1));
            const QImage hand = url->cursor().pixmap().toImage();
            QCOMPARE(hand.size(), QSize(32, 32));
            for (const auto &[x, y, rgb] : { std::tuple { 12, 1, 0xFF000000u }, { 12, 2, 0xFFFFFFFFu },
                     { 22, 15, 0xFF808080u }, { 13, 20, 0xFF000080u }, { 0, 0, 0u } })
                QCOMPARE(hand.pixel(x, y), QRgb(rgb));
            for (const auto button : { Qt::RightButton, Qt::MiddleButton, Qt::LeftButton })
                QTest::mousePress(url, button, {}, QPoint(10, 6));
            checkShellCalls("https://zumeko.example/"); // the left button only, on the press
            QVERIFY(box->isVisible()); // the box stays open behind the browser
            find<QPushButton>(box, u"CmdOK"_s)->click();
            QVERIFY(!box->isVisible());
        });
        m_window->MenuInfo_Click();
        QVERIFY(!QApplication::activeModalWidget());
    }

    void formsStandIns()
    {
        // Whatever stands in for the typeface must draw Japanese, not a Latin fallback.
        const QFont font = Forms::Typeface(14.25);
        QVERIFY(font.bold() && font.pointSizeF() == 14.25);
        QVERIFY2(QFontInfo(font).family().startsWith(u"IPA"_s), qPrintable(QFontInfo(font).family()));

        // A text too long for its control shrinks no further than Japanese stays legible, then is clipped.
        Label cramped(u"既に起動しています。"_s);
        cramped.resize(10, 10);
        cramped.setFont(Forms::Typeface(12));
        Forms::FitFont(&cramped);
        QCOMPARE(QFontInfo(cramped.font()).pixelSize(), 8);
        QCOMPARE(cramped.text(), u"既に起動しています。"_s);

        Label swatch;
        swatch.resize(20, 10);
        swatch.setBackColor(Sampled);
        QCOMPARE(swatch.BackColor(), Sampled);
        QCOMPARE(swatch.grab().toImage().pixelColor(0, 0), QColor(0xFF, 0x80, 0x20));

        // The capture control's face: a red dot in the middle of a dark ring and cross-hair, whose arms
        // stop short of the dot.
        const QImage face = capture()->grab().toImage();
        QCOMPARE(face.pixelColor(17, 17), QColor(Qt::red));
        for (const auto &[x, y, dark] :
            { std::tuple { 12, 11, true }, { 21, 22, true }, { 16, 5, true }, { 5, 16, true },
                { 28, 17, true }, { 17, 28, true }, { 16, 15, false }, { 16, 19, false }, { 14, 17, false } })
            QVERIFY2((qGray(face.pixel(x, y)) < 100) == dark, qPrintable(u"%1, %2"_s.arg(x).arg(y)));
    }

private:
    QString text(const QString &name) const { return find(m_window.get(), name)->text(); }
    QString code() const { return text(u"LblColorcode"_s); }
    std::int32_t swatch() const { return find<Label>(m_window.get(), u"LblGetcolor"_s)->BackColor(); }
    QScrollBar *bar(char c) const { return find<QScrollBar>(m_window.get(), u"HScroll_"_s + QLatin1Char(c)); }
    QRadioButton *option(int n) const { return find<QRadioButton>(m_window.get(), u"Option%1"_s.arg(n)); }
    QTimer *timer() const { return find<QTimer>(m_window.get(), u"Timer1"_s); }
    CaptureControl *capture() const { return find<CaptureControl>(m_window.get(), u"Capture1"_s); }
    static QString dec(int v) { return q(colorcode::ChannelDecimalText(v)); }
    static QString hex(int v) { return q(colorcode::ChannelHexText(v)); }
    QStringList channelLabels() const
    {
        QStringList texts;
        for (const QString &c : { u"R"_s, u"G"_s, u"B"_s })
            texts << text(u"Lbl_%1(0)"_s.arg(c)) << text(u"Lbl_%1(1)"_s.arg(c));
        return texts;
    }
    void showActive()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    static QPoint part(QScrollBar *bar, QStyle::SubControl which)
    {
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = bar->orientation();
        option.maximum = bar->maximum();
        option.sliderPosition = option.sliderValue = bar->value();
        option.pageStep = bar->pageStep();
        return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, which, bar).center();
    }
    void checkShellCalls(const std::string &file) const
    {
        QCOMPARE(m_fake->shellCalls.size(), 1u);
        const auto &call = m_fake->shellCalls.front();
        QCOMPARE(call.owner, FakeServices::Desktop);
        QCOMPARE(call.operation + call.file, "open" + file);
        QVERIFY(call.nullParameters && call.directory.empty());
        QCOMPARE(call.showCommand, 5);
    }

    QTemporaryDir m_runtime;
    QStringList m_messages;
    std::function<void()> m_duringMessage; // runs while a message is "open"
    std::unique_ptr<FrmMain> m_window;
    FakeServices *m_fake = nullptr;
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
