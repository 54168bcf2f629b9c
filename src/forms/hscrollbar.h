// SPDX-License-Identifier: MIT
#pragma once

#include <QScrollBar>

// A horizontal scroll bar that behaves like a native one: it takes the keyboard focus, Left and Up step
// down, Right and Down step up, PageUp/PageDown move one page, Home and End go to the ends. It raises
// Change for every settled change of Value and Scroll while the thumb is dragged (and Change once more
// when the drag ends). Only the left button moves it: a native bar has no use for the others, where Qt's
// would jump to the pointer on a middle click in the trough.
class HScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit HScrollBar(QWidget *parent = nullptr);

Q_SIGNALS:
    void Change();
    void Scroll();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
