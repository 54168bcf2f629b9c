// SPDX-License-Identifier: MIT
#include "fitfont.h"

#include <QAbstractButton>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

#include <algorithm>
#include <optional>

namespace Forms {

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

} // namespace

// A push button's size hint holds a minimum width of the style's besides, so its text area is asked.
qreal Overflow(const QWidget *control)
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
    // Hundreds of texts share a score of characters, and each character's advance is a glyph to look up.
    QHash<QChar, qreal> advances;
    const auto advance = [&metrics, &advances](const QString &text) {
        qreal sum = 0;
        for (const QChar c : text) {
            auto known = advances.constFind(c);
            if (known == advances.cend())
                known = advances.insert(c, metrics.horizontalAdvance(c));
            sum += *known;
        }
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
    for (qreal over = Overflow(control); over > 1 && font.pixelSize() > SmallestPixels;
         over = Overflow(control)) {
        font.setPixelSize(
            std::max(SmallestPixels, std::min(font.pixelSize() - 1, int(font.pixelSize() / over))));
        control->setFont(font);
    }
    setCaption(control, *own);
}

} // namespace Forms
