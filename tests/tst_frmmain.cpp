// SPDX-License-Identifier: MIT
#include "forms.h"
#include "fixture.h"
#include "frmmain.h"
#include "label.h"
#include "module1_fake.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLockFile>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString Sep = u"\u3000\uFF1A\u3000"_s;
}

class TestFrmMain : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_fixture.isolate()); }

    void init()
    {
        m_fake = &Module1::InstallFakeServices();
        Module1::hWndDesk.reset();
        Module1::hDCDesk.reset();
        m_fixture.messages.clear();
        m_window = std::make_unique<FrmMain>();
    }

    void cleanup()
    {
        m_window.reset();
        Forms::ReleaseInstanceLock();
        Forms::SetClipboardWriter({});
    }

    void layoutInTwips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        const auto row = [](const char *name, int l, int t, int w, int h) {
            QTest::newRow(name) << QString::fromLatin1(name) << QRect(l, t, w, h);
        };
        row("Label1(0)", 90, 405, 825, 330);
        row("HScroll_R", 855, 360, 6180, 330);
        row("Lbl_R(0)", 7110, 360, 735, 330);
        row("Lbl_R(1)", 8010, 360, 510, 330);
        row("Label1(1)", 90, 990, 825, 330);
        row("HScroll_G", 855, 945, 6180, 330);
        row("Lbl_G(0)", 7110, 945, 735, 330);
        row("Lbl_G(1)", 8010, 945, 510, 330);
        row("Label1(2)", 90, 1575, 825, 330);
        row("HScroll_B", 855, 1530, 6180, 330);
        row("Lbl_B(0)", 7110, 1530, 735, 330);
        row("Lbl_B(1)", 8010, 1530, 510, 330);
        row("Frame1", 405, 2160, 4695, 1905);
        row("Option1", 270, 495, 3615, 330);
        row("Option2", 270, 1035, 4335, 330);
        row("Label2", 675, 1485, 1320, 285);
        row("LblCurposition", 2115, 1485, 2445, 285);
        row("LblGetcolor", 5310, 2295, 3030, 1320);
        row("LblColorcode", 5310, 3690, 3030, 375);
        row("Frame2", 405, 4095, 4695, 780);
        row("ChkFonttag", 270, 270, 4065, 465);
        row("CmdCopy", 5355, 4320, 1245, 465);
        row("Capture1", 6570, 4275, 510, 510);
        row("CmdQuit", 7110, 4320, 1245, 465);
        row("ClientArea", 0, 0, 8520, 5025);
    }
    void layoutInTwips()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        const QWidget *w = control<QWidget>(name);
        const QRect g = w->geometry();
        QCOMPARE(QRect(g.x() * 15, g.y() * 15, g.width() * 15, g.height() * 15), twips);
    }

    void windowFrame()
    {
        FrmMain &w = *m_window;
        QCOMPARE(w.windowTitle(), u"Zumeko"_s);
        QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        showActive();
        const QWidget *client = control<QWidget>(u"ClientArea"_s);
        QCOMPARE(client->size(), QSize(568, 335));
        QCOMPARE(client->mapTo(&w, QPoint(0, 0)), QPoint(0, w.menuBar()->height())); // below the menu bar
        QCOMPARE(w.size(), QSize(568, 335 + w.menuBar()->height()));
        QCOMPARE(w.windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_RGB32),
            Forms::ProgramIconImage().convertToFormat(QImage::Format_RGB32));
    }

    void captionsAndTooltips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("red row") << u"Label1(0)"_s << u"R (赤)"_s << QString();
        QTest::newRow("green row") << u"Label1(1)"_s << u"G (緑)"_s << QString();
        QTest::newRow("blue row") << u"Label1(2)"_s << u"B (青)"_s << QString();
        QTest::newRow("mode frame") << u"Frame1"_s << u"色情報取得方法"_s << QString();
        QTest::newRow("slider option") << u"Option1"_s << u"スクロールバーを用いて取得"_s << QString();
        QTest::newRow("screen option")
            << u"Option2"_s << u"画面上でマウスクリックを用いて取得"_s << QString();
        QTest::newRow("position caption") << u"Label2"_s << u"マウス位置"_s << QString();
        QTest::newRow("copy frame") << u"Frame2"_s << u"コピー方法"_s << QString();
        QTest::newRow("tag box") << u"ChkFonttag"_s << u"<font color> タグを含めてコピー"_s << QString();
        QTest::newRow("copy") << u"CmdCopy"_s << u"コピー"_s << u"クリップボードに色情報をコピーします"_s;
        QTest::newRow("quit") << u"CmdQuit"_s << u"終了"_s << u"Zumekoを終了します"_s;
    }
    void captionsAndTooltips()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, tooltip);
        const QWidget *w = control<QWidget>(name);
        QString text;
        if (auto *l = qobject_cast<const QLabel *>(w))
            text = l->text();
        else if (auto *b = qobject_cast<const QAbstractButton *>(w))
            text = b->text();
        else if (auto *g = qobject_cast<const QGroupBox *>(w))
            text = g->title();
        QCOMPARE(text, caption);
        QCOMPARE(w->toolTip(), tooltip);
        QCOMPARE(w->font().family(), u"ＭＳ Ｐゴシック"_s);
        QCOMPARE(w->font().pointSizeF(), 12.0);
        QCOMPARE(w->font().weight(), QFont::Bold);
    }

    void onlyTheButtonsHaveTooltips()
    {
        for (const QWidget *w : m_window->findChildren<QWidget *>()) {
            if (w->objectName() != u"CmdCopy"_s && w->objectName() != u"CmdQuit"_s)
                QVERIFY2(w->toolTip().isEmpty(), qPrintable(w->objectName()));
        }
    }

    void colours()
    {
        QCOMPARE(control<QLabel>(u"Label1(0)"_s)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(control<QLabel>(u"Label1(1)"_s)->palette().color(QPalette::WindowText), QColor(0, 255, 0));
        QCOMPARE(control<QLabel>(u"Label1(2)"_s)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        const Label *code = control<Label>(u"LblColorcode"_s);
        QCOMPARE(code->BackColor(), 0xFFFFFF);
        QCOMPARE(code->font().pointSizeF(), 14.25);
        QVERIFY(code->alignment() & Qt::AlignHCenter);
        QCOMPARE(code->frameShadow(), QFrame::Sunken);
        QCOMPARE(control<QLabel>(u"LblGetcolor"_s)->frameShadow(), QFrame::Sunken);
    }

    void startingValues()
    {
        // As laid out, before the load procedure fills anything in.
        for (const char *name : { "Lbl_R(0)", "Lbl_G(0)", "Lbl_B(0)", "Lbl_R(1)", "Lbl_G(1)", "Lbl_B(1)",
                 "LblCurposition", "LblColorcode" })
            QVERIFY2(control<QLabel>(QString::fromLatin1(name))->text().isEmpty(), name);
        QVERIFY(control<QRadioButton>(u"Option1"_s)->isChecked());
        QVERIFY(!control<QRadioButton>(u"Option2"_s)->isChecked());
        QVERIFY(!control<QCheckBox>(u"ChkFonttag"_s)->isChecked());
        const auto *timer = m_window->findChild<QTimer *>(u"Timer1"_s);
        QVERIFY(timer && !timer->isActive());
        QCOMPARE(timer->interval(), 10);
        QCOMPARE(timer->timerType(), Qt::PreciseTimer);
        for (const char *name : { "HScroll_R", "HScroll_G", "HScroll_B" }) {
            const auto *bar = control<QScrollBar>(QString::fromLatin1(name));
            QCOMPARE(bar->value(), 0);
            QCOMPARE(bar->minimum(), 0);
            QCOMPARE(bar->maximum(), 255);
        }

        QVERIFY(m_window->Form_Load());
        for (const char *name : { "Lbl_R(0)", "Lbl_G(0)", "Lbl_B(0)" })
            QCOMPARE(control<QLabel>(QString::fromLatin1(name))->text(), u"0"_s + Sep);
        for (const char *name : { "Lbl_R(1)", "Lbl_G(1)", "Lbl_B(1)" })
            QCOMPARE(control<QLabel>(QString::fromLatin1(name))->text(), u"00"_s);
        QCOMPARE(code(), u"#000000"_s);
        QCOMPARE(swatch(), 0);
        QVERIFY(control<QLabel>(u"LblCurposition"_s)->text().isEmpty());
        QVERIFY(m_fixture.messages.isEmpty());
    }

    void secondCopyIsRefused()
    {
        QLockFile running(m_fixture.runtimeFile(u"zumeko.lock"_s));
        QVERIFY(running.tryLock(0));
        QVERIFY(!m_window->Form_Load());
        QCOMPARE(m_fixture.messages, QStringList { u"既に起動しています。二重起動はできません"_s });
        QVERIFY(control<QLabel>(u"LblColorcode"_s)->text().isEmpty()); // nothing was initialised
    }

    void menuBarRunsCommandsWithoutDropDowns()
    {
        const QList<QAction *> actions = m_window->menuBar()->actions();
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions[0]->text(), u"ヘルプ(&H)"_s);
        QCOMPARE(actions[1]->text(), u"Zumekoについて(&I)"_s);
        QVERIFY(!actions[0]->menu() && !actions[1]->menu());
        showActive();
        QSignalSpy help(actions[0], &QAction::triggered);
        QSignalSpy info(actions[1], &QAction::triggered);
        QTest::keyClick(m_window.get(), Qt::Key_H, Qt::AltModifier);
        QTRY_COMPARE(help.size(), 1);
        // The About box is modal: close it as soon as it shows.
        QTimer::singleShot(0, this, [] {
            if (QWidget *box = QApplication::activeModalWidget())
                box->close();
        });
        QTest::keyClick(m_window.get(), Qt::Key_I, Qt::AltModifier);
        QTRY_COMPARE(info.size(), 1);
        QCOMPARE(help.size(), 1);
    }

    void tabOrder()
    {
        showActive();
        QCOMPARE(QApplication::focusWidget(), control<QWidget>(u"HScroll_R"_s));
        const QStringList expected = { u"HScroll_G"_s, u"HScroll_B"_s, u"Option1"_s, u"CmdCopy"_s,
            u"ChkFonttag"_s, u"CmdQuit"_s, u"HScroll_R"_s };
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
        QCOMPARE(control<QWidget>(u"Capture1"_s)->focusPolicy(), Qt::NoFocus);
    }

    void keysMoveTheFocusedBar_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("value");
        QTest::newRow("End") << 0 << int(Qt::Key_End) << 255;
        QTest::newRow("Home") << 200 << int(Qt::Key_Home) << 0;
        QTest::newRow("Right") << 0 << int(Qt::Key_Right) << 1;
        QTest::newRow("Left") << 5 << int(Qt::Key_Left) << 4;
        QTest::newRow("Left stops at 0") << 0 << int(Qt::Key_Left) << 0;
        QTest::newRow("Right stops at 255") << 255 << int(Qt::Key_Right) << 255;
        QTest::newRow("Down") << 5 << int(Qt::Key_Down) << 6;
        QTest::newRow("Up") << 5 << int(Qt::Key_Up) << 4;
        QTest::newRow("PageDown") << 5 << int(Qt::Key_PageDown) << 6;
        QTest::newRow("PageUp") << 5 << int(Qt::Key_PageUp) << 4;
    }
    void keysMoveTheFocusedBar()
    {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, value);
        QVERIFY(m_window->Form_Load());
        showActive();
        auto *bar = control<QScrollBar>(u"HScroll_R"_s);
        bar->setValue(start);
        QCOMPARE(QApplication::focusWidget(), bar);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QCOMPARE(bar->value(), value);
        QCOMPARE(control<QLabel>(u"Lbl_R(1)"_s)->text(), u"%1"_s.arg(value, 2, 16, QChar(u'0')).toUpper());
    }

    void channelChangesRebuildCodeAndSwatch()
    {
        QVERIFY(m_window->Form_Load());
        showActive();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QCOMPARE(label(u"Lbl_R(0)"_s), u"255"_s + Sep);
        QCOMPARE(label(u"Lbl_R(1)"_s), u"FF"_s);
        QCOMPARE(code(), u"#FF0000"_s);
        QCOMPARE(swatch(), 0x0000FF);

        control<QScrollBar>(u"HScroll_G"_s)->setValue(128);
        QCOMPARE(label(u"Lbl_G(0)"_s), u"128"_s + Sep);
        QCOMPARE(label(u"Lbl_G(1)"_s), u"80"_s);
        QCOMPARE(code(), u"#FF8000"_s);
        QCOMPARE(swatch(), 0x0080FF);
        QCOMPARE(label(u"Lbl_R(1)"_s), u"FF"_s);
        QCOMPARE(label(u"Lbl_B(1)"_s), u"00"_s);

        control<QScrollBar>(u"HScroll_B"_s)->setValue(10);
        QCOMPARE(label(u"Lbl_B(1)"_s), u"0A"_s);
        QCOMPARE(code(), u"#FF800A"_s);
        QCOMPARE(swatch(), 0x0A80FF);
    }

    void mouseOnArrowAndTroughStepsByOne()
    {
        QVERIFY(m_window->Form_Load());
        showActive();
        auto *bar = control<QScrollBar>(u"HScroll_G"_s);
        QTest::mouseClick(bar, Qt::LeftButton, {}, subControl(bar, QStyle::SC_ScrollBarAddLine).center());
        QCOMPARE(bar->value(), 1);
        QTest::mouseClick(bar, Qt::LeftButton, {}, subControl(bar, QStyle::SC_ScrollBarAddPage).center());
        QCOMPARE(bar->value(), 2);
        QTest::mouseClick(bar, Qt::LeftButton, {}, subControl(bar, QStyle::SC_ScrollBarSubLine).center());
        QCOMPARE(bar->value(), 1);
        QCOMPARE(code(), u"#000100"_s);
        QCOMPARE(QApplication::focusWidget(), bar); // a click gives the bar the keyboard, as natively
    }

    void draggingTheThumbUpdatesAsItMoves()
    {
        QVERIFY(m_window->Form_Load());
        showActive();
        auto *bar = control<QScrollBar>(u"HScroll_B"_s);
        const QRect thumb = subControl(bar, QStyle::SC_ScrollBarSlider);
        QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
        QTest::mouseMove(bar, thumb.center() + QPoint(bar->width() / 2, 0));
        QVERIFY(bar->isSliderDown());
        QVERIFY(bar->value() > 100);
        const QString midDrag = u"%1"_s.arg(bar->value(), 2, 16, QChar(u'0')).toUpper();
        QCOMPARE(label(u"Lbl_B(1)"_s), midDrag); // before the button is released
        QCOMPARE(code(), u"#0000"_s + midDrag);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, thumb.center() + QPoint(bar->width() / 2, 0));
        QCOMPARE(label(u"Lbl_B(0)"_s), u"%1"_s.arg(bar->value()) + Sep);
    }

    // The code text is read off the hexadecimal labels, not recomputed from the bars.
    void codeComesFromTheLabels()
    {
        QVERIFY(m_window->Form_Load());
        control<QLabel>(u"Lbl_R(1)"_s)->setText(u"7F"_s);
        control<QScrollBar>(u"HScroll_G"_s)->setValue(1);
        QCOMPARE(code(), u"#7F0100"_s);
        QCOMPARE(swatch(), 0x000100); // while the swatch follows the bars
    }

    void copy_data()
    {
        QTest::addColumn<bool>("tag");
        QTest::addColumn<QString>("copied");
        QTest::newRow("bare") << false << u"#000000"_s;
        QTest::newRow("font tag") << true << u"<font color=\"#000000\">"_s;
    }
    void copy()
    {
        QFETCH(bool, tag);
        QFETCH(QString, copied);
        QVERIFY(m_window->Form_Load());
        showActive();
        auto *other = new QMimeData; // what another program left there, in other formats
        other->setHtml(u"<b>old</b>"_s);
        other->setImageData(QImage(4, 4, QImage::Format_RGB32));
        QGuiApplication::clipboard()->setMimeData(other);
        if (tag)
            QTest::mouseClick(control<QCheckBox>(u"ChkFonttag"_s), Qt::LeftButton, {}, QPoint(8, 15));
        QTest::mouseClick(control<QPushButton>(u"CmdCopy"_s), Qt::LeftButton);
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(data->text(), copied);
        QCOMPARE(data->formats(), QStringList { u"text/plain"_s });
        QVERIFY(m_fixture.messages.isEmpty());
    }

    void copyThatCannotBeWrittenIsReported()
    {
        QVERIFY(m_window->Form_Load());
        Forms::SetClipboardWriter([](const QString &) { return false; });
        QTest::mouseClick(control<QPushButton>(u"CmdCopy"_s), Qt::LeftButton);
        QCOMPARE(m_fixture.messages, QStringList { u"クリップボードにコピーできませんでした。"_s });
    }

    void unloadReleasesTheHeldContext_data()
    {
        QTest::addColumn<bool>("sampled");
        QTest::newRow("Quit after sampling") << true;
        QTest::newRow("close box, never sampled") << false;
    }
    void unloadReleasesTheHeldContext()
    {
        QFETCH(bool, sampled);
        QVERIFY(m_window->Form_Load());
        if (sampled) {
            Module1::hWndDesk = Module1::GetDesktopWindow();
            Module1::hDCDesk = Module1::GetWindowDC(*Module1::hWndDesk);
            QCOMPARE(m_fake->liveContexts(), 1u);
        }
        showActive();
        if (sampled)
            QTest::mouseClick(control<QPushButton>(u"CmdQuit"_s), Qt::LeftButton);
        else
            QVERIFY(m_window->close()); // the close box takes this path
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_fake->releases, 1); // with nothing held, releasing (0, 0) passes in silence
        QCOMPARE(m_fake->liveContexts(), 0u);
        QVERIFY(m_fixture.messages.isEmpty());
    }

private:
    template <typename W> W *control(const QString &name) const { return ::control<W>(m_window.get(), name); }
    QString label(const QString &name) const { return labelText(m_window.get(), name); }
    QString code() const { return codeText(m_window.get()); }
    std::int32_t swatch() const { return swatchColor(m_window.get()); }
    void showActive()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    static QRect subControl(QScrollBar *bar, QStyle::SubControl which)
    {
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = bar->orientation();
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = bar->sliderPosition();
        option.sliderValue = bar->value();
        option.singleStep = bar->singleStep();
        option.pageStep = bar->pageStep();
        option.subControls = QStyle::SC_All;
        return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, which, bar);
    }

    WidgetFixture m_fixture;
    std::unique_ptr<FrmMain> m_window;
    Module1::FakeServices *m_fake = nullptr;
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
