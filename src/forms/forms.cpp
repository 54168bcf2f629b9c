// SPDX-License-Identifier: MIT
#include "forms.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace Forms {

QString AppTitle()
{
    return u"Zumeko"_s;
}

namespace {

    MessageHook &messageHook()
    {
        static MessageHook hook;
        return hook;
    }

    std::unique_ptr<QLockFile> &instanceLock()
    {
        static std::unique_ptr<QLockFile> lock;
        return lock;
    }

    bool clipboardRefuses = false;

} // namespace

void MsgBox(const QString &text, QWidget *parent)
{
    if (const auto &hook = messageHook()) {
        hook(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, AppTitle(), text, QMessageBox::Ok, parent);
    box.setWindowIcon(ProgramIcon());
    box.exec();
}

void SetMessageHook(MessageHook hook)
{
    messageHook() = std::move(hook);
}

bool PrevInstance(const QString &folder, const QString &display)
{
    auto &held = instanceLock();
    if (held)
        return false; // the lock is ours: this is the first copy
    const QString base
        = folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) : folder;
    // Without a lock the rule is off: the start goes on, and says so rather than letting a second copy
    // slip by unnoticed.
    const auto noLock = [&base] {
        std::fprintf(stderr,
            "zumeko: no lock can be had in \"%s\", so another copy on this display goes unseen\n",
            qUtf8Printable(base));
        return false;
    };
    if (base.isEmpty() || !QDir().mkpath(base))
        return noLock();
    // One lock a display, and a name that is a plain file name whatever the display is called.
    const QString name = QString::fromLatin1(display.toUtf8().toPercentEncoding().replace('%', '_'));
    auto lock = std::make_unique<QLockFile>(base + u"/zumeko-"_s + name + u".lock"_s);
    // A lock is stale only when the copy that took it is gone, never because it is old: then a copy that
    // was killed frees the way at once, and a long-running one is never taken for dead. A lock that names
    // this very process was left by another that had its number before (process numbers come round).
    lock->setStaleLockTime(0);
    qint64 pid = 0;
    if (lock->getLockInfo(&pid, nullptr, nullptr) && pid == QCoreApplication::applicationPid())
        lock->removeStaleLockFile();
    if (lock->tryLock(0)) {
        held = std::move(lock);
        return false;
    }
    if (lock->error() != QLockFile::LockFailedError)
        return noLock();
    return true;
}

void ReleaseInstanceLock()
{
    instanceLock().reset();
}

QString Dir(const QString &pattern)
{
    const QStringList names = QDir::current().entryList(
        { pattern }, QDir::Files | QDir::Readable | QDir::NoDotAndDotDot | QDir::CaseSensitive, QDir::Name);
    return names.isEmpty() ? QString() : names.first();
}

void DoEvents()
{
    QCoreApplication::processEvents();
}

QFont Typeface(qreal pointSize)
{
    // Chosen once, by name: every font asked for a missing family would walk the substitutes again, and
    // that walk was most of what starting took.
    static const QString family = [] {
        for (const QString &name : { u"ＭＳ Ｐゴシック"_s, u"MS PGothic"_s, u"Yu Gothic UI"_s, u"Meiryo UI"_s,
                 u"Meiryo"_s, u"MS UI Gothic"_s, u"IPAPGothic"_s, u"IPAexGothic"_s, u"Noto Sans CJK JP"_s,
                 u"Source Han Sans JP"_s, u"VL PGothic"_s, u"TakaoPGothic"_s }) {
            if (QFontDatabase::hasFamily(name))
                return name;
        }
        return QString(); // the system's own font, which has Japanese where it is used
    }();
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Bold);
    return font;
}

namespace {

    // The caption of a label, button or frame; none for any other control.
    std::optional<QString> captionOf(const QWidget *control)
    {
        if (const auto *label = qobject_cast<const QLabel *>(control))
            return label->text();
        if (const auto *button = qobject_cast<const QAbstractButton *>(control))
            return button->text();
        if (const auto *frame = qobject_cast<const QGroupBox *>(control))
            return frame->title();
        return std::nullopt;
    }

    void setCaption(QWidget *control, const QString &text)
    {
        if (auto *label = qobject_cast<QLabel *>(control))
            label->setText(text);
        else if (auto *button = qobject_cast<QAbstractButton *>(control))
            button->setText(text);
        else if (auto *frame = qobject_cast<QGroupBox *>(control))
            frame->setTitle(text);
    }

    // How much larger than its room a control's caption is (a frame's: its title); 1 or less when it fits.
    // A push button's size hint holds a minimum width of the style's besides, so its text area is asked.
    qreal overflow(const QWidget *control)
    {
        QSizeF needed
            = qobject_cast<const QGroupBox *>(control) ? control->minimumSizeHint() : control->sizeHint();
        QRectF room = control->rect();
        if (const auto *button = qobject_cast<const QPushButton *>(control)) {
            QStyleOptionButton option;
            option.initFrom(button);
            room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            const QFontMetricsF metrics(button->font());
            needed = QSizeF(metrics.horizontalAdvance(button->text()), metrics.height());
        }
        return room.isEmpty() ? 1 : std::max(needed.width() / room.width(), needed.height() / room.height());
    }

} // namespace

void FitFont(QWidget *control, const QStringList &texts)
{
    constexpr int SmallestPixels = 8; // below this Japanese is no longer legible: clipped is better
    const std::optional<QString> own = captionOf(control);
    if (!own)
        return;
    QFont font = control->font();
    font.setPixelSize(QFontInfo(font).pixelSize());
    const QFontMetricsF metrics(font);
    // The widest text in one size is the widest in every other. Summing the characters' advances finds it
    // without laying out each of hundreds of texts; the fit itself is measured on the real layout.
    const auto advance = [&metrics](const QString &text) {
        qreal sum = 0;
        for (const QChar c : text)
            sum += metrics.horizontalAdvance(c);
        return sum;
    };
    QString widest = *own;
    qreal widestAdvance = -1;
    for (const QString &text : texts) {
        if (const qreal width = advance(text); width > widestAdvance) {
            widest = text;
            widestAdvance = width;
        }
    }
    setCaption(control, widest);
    // Widths scale with the size, nearly: one step to the size that should fit, then a pixel at a time where
    // hinting or the margins keep it from fitting yet. Every size tried is a font to load.
    for (qreal over = overflow(control); over > 1 && font.pixelSize() > SmallestPixels;
         over = overflow(control)) {
        font.setPixelSize(
            std::max(SmallestPixels, std::min(font.pixelSize() - 1, int(font.pixelSize() / over))));
        control->setFont(font);
    }
    setCaption(control, *own);
}

QImage ProgramIconImage()
{
    // From the top: red, olive, yellow, green, cyan, blue, magenta, purple, magenta, blue, silver, green,
    // yellow, grey, red, in the standard 16-colour palette.
    static constexpr std::array<QRgb, 15> Stripes = { 0xFF0000, 0x808000, 0xFFFF00, 0x008000, 0x00FFFF,
        0x0000FF, 0xFF00FF, 0x800080, 0xFF00FF, 0x0000FF, 0xC0C0C0, 0x008000, 0xFFFF00, 0x808080, 0xFF0000 };
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::black);
    for (std::size_t stripe = 0; stripe < Stripes.size(); ++stripe) {
        for (int y = 1 + 2 * int(stripe); y < 3 + 2 * int(stripe); ++y) {
            for (int x = 1; x < 31; ++x)
                image.setPixel(x, y, 0xFF000000 | Stripes[stripe]);
        }
    }
    return image;
}

QIcon ProgramIcon()
{
    static const QIcon icon(QPixmap::fromImage(ProgramIconImage()));
    return icon;
}

void ClipboardClear()
{
    if (!clipboardRefuses)
        QGuiApplication::clipboard()->clear();
}

bool ClipboardSetText(const QString &text)
{
    if (clipboardRefuses)
        return false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(text);
    // Qt reports no failure of its own; reading back catches a clipboard that refuses outright. Whether the
    // system really holds the text for us is the platform's to say (Module1::Services::putOnClipboard).
    return clipboard->text() == text;
}

void SetClipboardRefuses(bool refuses)
{
    clipboardRefuses = refuses;
}

} // namespace Forms
