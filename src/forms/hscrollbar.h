// SPDX-License-Identifier: MIT
#pragma once

#include <QScrollBar>

// A horizontal scroll bar that behaves like a native one: it takes the keyboard focus, Left and Up step
// down, Right and Down step up, PageUp/PageDown move one page, Home and End go to the ends. It raises
// Change for every settled change of Value and Scroll while the thumb is dragged (and Change once more
// when the drag ends).
class HScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit HScrollBar(QWidget *parent = nullptr);

Q_SIGNALS:
    void Change();
    void Scroll();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
