// SPDX-License-Identifier: MIT
#include "forms.h"
#include "label.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

class TestForms : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Never the user's own runtime folder: a Zumeko they run must not see us, nor we it.
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }
    void cleanup() { Forms::ReleaseInstanceLock(); }

    void firstCopyTakesTheLock()
    {
        QVERIFY(!Forms::PrevInstance());
        QVERIFY(QFile::exists(lockPath()));
        QVERIFY(!Forms::PrevInstance()); // asking again in the same copy still finds no other
        Forms::ReleaseInstanceLock();
        QVERIFY(!QFile::exists(lockPath()));
    }

    void runningCopyIsSeen()
    {
        QLockFile other(lockPath());
        QVERIFY(other.tryLock(0));
        QVERIFY(Forms::PrevInstance());
        other.unlock();
        QVERIFY(!Forms::PrevInstance());
    }

    // A copy that was killed leaves its lock file behind; the next start must not be refused for it.
    void killedCopyDoesNotBlock()
    {
        const QString path = lockPath();
        const pid_t child = fork();
        if (child == 0) {
            QLockFile lock(path);
            _exit(lock.tryLock(0) ? 0 : 1); // no destructor runs: the file stays, its owner dies
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(QFile::exists(path));
        QVERIFY(!Forms::PrevInstance());
    }

    void dirLookup_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("isDirectory");
        QTest::addColumn<int>("attributes");
        QTest::addColumn<bool>("found");
        QTest::newRow("plain file") << u"help.html"_s << false << 0 << true;
        QTest::newRow("directory is missing") << u"help.html"_s << true << 0 << false;
        QTest::newRow("directory asked for") << u"help.html"_s << true << int(Forms::Directory) << true;
        QTest::newRow("hidden file is missing") << u".help.html"_s << false << 0 << false;
        QTest::newRow("hidden file asked for") << u".help.html"_s << false << int(Forms::Hidden) << true;
    }
    void dirLookup()
    {
        QFETCH(QString, entry);
        QFETCH(bool, isDirectory);
        QFETCH(int, attributes);
        QFETCH(bool, found);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(entry);
        if (isDirectory)
            QVERIFY(QDir().mkdir(path));
        else
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const QString name = Forms::Dir(entry, attributes);
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(name, found ? entry : QString());
        // The lookup is by exact name: a different case is a different file here.
        QVERIFY(QDir::setCurrent(folder.path()));
        QCOMPARE(Forms::Dir(entry.toUpper(), attributes), QString());
        QVERIFY(QDir::setCurrent(previous));
    }

    void unreadableFileIsMissing()
    {
        if (geteuid() == 0)
            QSKIP("root reads every file");
        QTemporaryDir folder;
        QFile file(folder.filePath(u"help.html"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(file.setPermissions(QFileDevice::WriteOwner));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const QString name = Forms::Dir(u"help.html"_s, 0);
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(name, QString());
    }

    void typefaceIsJapaneseBold()
    {
        const QFont font = Forms::Typeface(14.25);
        QCOMPARE(font.family(), u"ＭＳ Ｐゴシック"_s);
        QCOMPARE(font.pointSizeF(), 14.25);
        QCOMPARE(font.weight(), QFont::Bold);
        // Whatever stands in for the typeface must draw Japanese, not a Latin fallback.
        const QFontInfo resolved(font);
        QVERIFY2(!resolved.family().startsWith(u"DejaVu"_s), qPrintable(resolved.family()));
    }

    void programIconStripes_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QRgb>("color");
        QTest::newRow("top frame") << 0 << QRgb(0x000000);
        QTest::newRow("red") << 1 << QRgb(0xFF0000);
        QTest::newRow("red, second row") << 2 << QRgb(0xFF0000);
        QTest::newRow("olive") << 3 << QRgb(0x808000);
        QTest::newRow("green") << 7 << QRgb(0x008000);
        QTest::newRow("purple") << 16 << QRgb(0x800080);
        QTest::newRow("silver") << 21 << QRgb(0xC0C0C0);
        QTest::newRow("grey") << 27 << QRgb(0x808080);
        QTest::newRow("last red") << 30 << QRgb(0xFF0000);
        QTest::newRow("bottom frame") << 31 << QRgb(0x000000);
    }
    void programIconStripes()
    {
        QFETCH(int, row);
        QFETCH(QRgb, color);
        const QImage icon = Forms::ProgramIconImage();
        QCOMPARE(icon.size(), QSize(32, 32));
        QVERIFY(!icon.hasAlphaChannel());
        QCOMPARE(icon.pixel(0, row) & 0xFFFFFF, QRgb(0)); // the frame, left
        QCOMPARE(icon.pixel(31, row) & 0xFFFFFF, QRgb(0)); // and right
        for (int x = 1; x < 31; ++x)
            QCOMPARE(icon.pixel(x, row) & 0xFFFFFF, color);
    }

    void labelPaintsItsBackColor()
    {
        Label label;
        label.resize(20, 10);
        const QColor window = label.palette().color(QPalette::Window); // transparent until a colour is set
        QCOMPARE(label.BackColor(), window.red() | window.green() << 8 | window.blue() << 16);
        label.setBackColor(0x0080FF); // 0x00BBGGRR: orange
        QCOMPARE(label.BackColor(), 0x0080FF);
        const QImage shown = label.grab().toImage();
        QCOMPARE(shown.pixelColor(10, 5), QColor(255, 128, 0));
        QCOMPARE(shown.pixelColor(0, 0), QColor(255, 128, 0));
    }

private:
    QString lockPath() const { return m_runtime.filePath(u"zumeko.lock"_s); }
    QTemporaryDir m_runtime;
};

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
