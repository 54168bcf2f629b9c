// SPDX-License-Identifier: MIT
#pragma once

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
