// SPDX-License-Identifier: MIT
#pragma once

#include "twips.h"

#include <QLabel>

#include <cstdint>

// A label with a BackColor of its own. Painting it directly is far cheaper than a palette change, which
// Qt resolves and propagates every time: the swatch changes its colour up to a hundred times a second.
class Label : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // 0x00BBGGRR. Until one is set, the label is transparent and this reads the window's background.
    std::int32_t BackColor() const;
    void setBackColor(std::int32_t color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_backColor;
};

namespace Forms {
// A label as the layouts have them: named, placed in twips, in the given font, aligned to its top left,
// with its caption, and in its own text colour when one is given.
Label *AddLabel(QWidget *parent, const QString &name, const Twips::Place &place, const QFont &font,
    const QString &caption = {}, const QColor &textColor = {});
} // namespace Forms
