// SPDX-License-Identifier: MIT
#include "forms.h"
#include "frminfo.h"
#include "fixture.h"
#include "frmmain.h"
#include "module1_fake.h"
#include "placement.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

class TestAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_fixture.isolate()); }
    void init()
    {
        m_fake = &Module1::InstallFakeServices();
        m_fixture.messages.clear();
    }
    void cleanup() { Forms::ReleaseInstanceLock(); }

    void centring_data()
    {
        QTest::addColumn<float>("mainExtent");
        QTest::addColumn<float>("mainOrigin");
        QTest::addColumn<float>("boxExtent");
        QTest::addColumn<int>("position");
        QTest::newRow("2672.5 rounds down to even") << 5745.f << 1000.f << 2400.f << 2672;
        QTest::newRow("2673.5 rounds up to even") << 5745.f << 1001.f << 2400.f << 2674;
        QTest::newRow("box larger than the window") << 2000.f << 100.f << 6000.f << -1900;
        QTest::newRow("far right: clamped") << 8640.f << 32000.f << 1000.f << 32767;
        QTest::newRow("far left: clamped") << 8640.f << -40000.f << 1000.f << -32768;
        QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << 0.f << 0.f << 0;
    }
    void centring()
    {
        QFETCH(float, mainExtent);
        QFETCH(float, mainOrigin);
        QFETCH(float, boxExtent);
        QFETCH(int, position);
        QCOMPARE(int(FrmInfoPlacement::Centre(mainExtent, mainOrigin, boxExtent)), position);
    }

    void boxLayout()
    {
        FrmInfo box;
        QCOMPARE(box.windowTitle(), u"Zumeko"_s);
        QCOMPARE(box.size(), QSize(333, 132));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        QVERIFY(!(box.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        const struct {
            const char *name;
            QRect twips;
            QString text;
        } labels[] = {
            { "Label1", { 45, 180, 4920, 285 }, u"Zumeko Version 1.00"_s },
            { "Label2", { 225, 675, 2715, 195 }, u"作者       Zumeko Project"_s },
            { "Label6", { 225, 945, 600, 195 }, u"URL"_s },
            { "LblUrl", { 1170, 945, 3615, 195 }, u"https://zumeko.example/"_s },
            { "Label7", { 225, 1260, 2580, 195 }, u"最終更新日\u30002000/06/28"_s },
        };
        for (const auto &expected : labels) {
            const auto *label = box.findChild<QLabel *>(QString::fromLatin1(expected.name));
            QVERIFY2(label, expected.name);
            const QRect g = label->geometry();
            QCOMPARE(QRect(g.x() * 15, g.y() * 15, g.width() * 15, g.height() * 15), expected.twips);
            QCOMPARE(label->text(), expected.text);
            QVERIFY(label->font().bold());
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
            QVERIFY(!label->autoFillBackground());
        }
        const auto *url = box.findChild<QLabel *>(u"LblUrl"_s);
        QVERIFY(url->font().underline());
        QCOMPARE(url->palette().color(QPalette::WindowText), QColor(192, 192, 255));
        QCOMPARE(url->cursor().hotSpot(), QPoint(12, 1));
        QCOMPARE(LinkCursorImage().pixelColor(12, 1), QColor(Qt::black)); // the fingertip
        const auto *ok = box.findChild<QPushButton *>(u"CmdOK"_s);
        const QRect g = ok->geometry();
        QCOMPARE(
            QRect(g.x() * 15, g.y() * 15, g.width() * 15, g.height() * 15), QRect(1935, 1575, 1050, 330));
        QVERIFY(!ok->isDefault() && !ok->autoDefault());
    }

    // Green climbs about two steps a pixel row from top to bottom; red and blue never change.
    void gradient()
    {
        FrmInfo box;
        box.Form_Load();
        const QImage shown = box.grab().toImage();
        int previousGreen = -1;
        for (int y = 0; y < shown.height(); ++y) {
            const QColor c = shown.pixelColor(2, y); // a column no label reaches
            QCOMPARE(c.red(), 20);
            QCOMPARE(c.blue(), 10);
            QVERIFY2(c.green() >= previousGreen, qPrintable(QString::number(y)));
            previousGreen = c.green();
        }
        QVERIFY(shown.pixelColor(2, 0).green() <= 2);
        QCOMPARE(shown.pixelColor(2, shown.height() - 1).green(), 255);
        QCOMPARE(shown.pixelColor(2, 66).green(), 129);
        // Beside the text of a transparent label the gradient shows through.
        const QColor behind = shown.pixelColor(54, 68); // inside the "URL" label, right of its text
        QCOMPARE(behind.red(), 20);
        QCOMPARE(behind.blue(), 10);
    }

    void onlyTheLeftButtonOpensTheAddress_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("opens");
        QTest::newRow("left") << int(Qt::LeftButton) << true;
        QTest::newRow("right") << int(Qt::RightButton) << false;
        QTest::newRow("middle") << int(Qt::MiddleButton) << false;
    }
    void onlyTheLeftButtonOpensTheAddress()
    {
        QFETCH(int, button);
        QFETCH(bool, opens);
        FrmInfo box;
        box.Form_Load();
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::mousePress(box.findChild<QLabel *>(u"LblUrl"_s), Qt::MouseButton(button), {}, QPoint(10, 6));
        QCOMPARE(m_fake->shellCalls.size(), opens ? 1u : 0u);
        if (opens) {
            const auto &call = m_fake->shellCalls.front();
            QCOMPARE(call.owner, Module1::FakeServices::Desktop);
            QCOMPARE(call.operation, std::string("open"));
            QCOMPARE(call.file, std::string("https://zumeko.example/"));
            QVERIFY(call.nullParameters);
            QCOMPARE(call.directory, std::string());
            QCOMPARE(call.showCommand, 5);
        }
        QVERIFY(box.isVisible()); // the box stays open behind the browser
    }

    void help_data()
    {
        QTest::addColumn<QString>("entry"); // what lies in the current folder
        QTest::addColumn<bool>("opens");
        QTest::newRow("present") << u"file"_s << true;
        QTest::newRow("missing") << QString() << false;
        QTest::newRow("a directory of that name") << u"directory"_s << false;
    }
    void help()
    {
        QFETCH(QString, entry);
        QFETCH(bool, opens);
        QTemporaryDir folder;
        if (entry == u"file"_s)
            QVERIFY(QFile(folder.filePath(u"help.html"_s)).open(QIODevice::WriteOnly));
        else if (entry == u"directory"_s)
            QVERIFY(QDir(folder.path()).mkdir(u"help.html"_s));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        FrmMain window;
        QVERIFY(window.Form_Load());
        window.MenuHelp_Click();
        QVERIFY(QDir::setCurrent(previous));
        if (opens) {
            QVERIFY(m_fixture.messages.isEmpty());
            QCOMPARE(m_fake->shellCalls.size(), 1u);
            const auto &call = m_fake->shellCalls.front();
            QCOMPARE(call.operation, std::string("open"));
            QCOMPARE(call.file, std::string("help.html"));
            QVERIFY(call.nullParameters);
            QCOMPARE(call.directory, std::string());
            QCOMPARE(call.showCommand, 5);
        } else {
            QCOMPARE(m_fixture.messages,
                QStringList { u"ヘルプファイルが見つかりません。ヘルプを起動できませんでした。"_s });
            QVERIFY(m_fake->shellCalls.empty());
        }
    }

private:
    WidgetFixture m_fixture;
    Module1::FakeServices *m_fake = nullptr;
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
