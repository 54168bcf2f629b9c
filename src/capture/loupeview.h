// SPDX-License-Identifier: MIT
#pragma once

#include "loupe.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <vector>

// The loupe's window: the pixels around the one under the pointer, each a sharp square block, the middle
// one framed in black or white, whichever stands out from it. It takes no input and no focus; nothing is
// painted again while what it shows stays the same.
class LoupeView : public QWidget {
public:
    LoupeView();

    // `colours`, `across` square as Services::pixels reads them, in blocks of `block` screen pixels, at
    // `place` (screen pixels) on a screen whose top-left is `origin` and whose logical pixel is `ratio` of
    // its pixels.
    void showPixels(std::vector<std::int32_t> colours, int across, int block, const Loupe::Rect &place,
        QPoint origin, qreal ratio);
    // What it shows of `colours`, one pixel a screen pixel.
    static QImage draw(const std::vector<std::int32_t> &colours, int across, int block);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<std::int32_t> m_colours;
    int m_block = 0;
    QImage m_image; // one pixel a screen pixel
};
