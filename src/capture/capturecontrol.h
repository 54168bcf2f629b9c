// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"

#include <QWidget>

// The pointer capture control. StartCapture arms it: from then on it has the pointer to itself, reports
// the top-level window under the pointer on every move (Point), and ends on the user's next press
// anywhere on the screen (Capture), which then reaches no other window. At its place it shows a picker
// glyph; it never takes the keyboard focus.
class CaptureControl : public QWidget {
    Q_OBJECT
public:
    explicit CaptureControl(QWidget *parent = nullptr);

    void StartCapture(); // harmless while armed
    void CancelCapture(); // disarms without raising Capture
    bool isArmed() const { return m_armed; }

Q_SIGNALS:
    void Capture(Module1::Handle hwndCaptured);
    void Point(Module1::Handle hwndPointed);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_armed = false;
};
