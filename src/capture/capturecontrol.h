// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class PointerGrab;

// The pointer capture control. StartCapture arms it: from then on it has the pointer to itself, reports
// the top-level window under the pointer on every move (Point), and ends on the user's next press
// anywhere on the screen (Capture), which then reaches no other window. While a modal box of ours is
// open it lets go of the pointer, so that the box can be used, and takes it again when the box closes;
// a pointer it loses otherwise (its window unmapped, another program's grab) it takes again as soon as
// it can. At its place it shows a picker glyph; it never takes the keyboard focus.
class CaptureControl : public QWidget {
    Q_OBJECT
public:
    explicit CaptureControl(QWidget *parent = nullptr);
    ~CaptureControl() override;

    void StartCapture(); // harmless while armed
    void CancelCapture(); // disarms without raising Capture
    bool isArmed() const { return m_armed; }

    // What the platform's grab reports.
    void pointerMoved();
    void pointerPressed();

Q_SIGNALS:
    void Capture(Module1::Handle hwndCaptured);
    void Point(Module1::Handle hwndPointed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void holdPointer();

    bool m_armed = false;
    std::unique_ptr<PointerGrab> m_grab;
    QTimer m_recheck; // a grab can be lost without a word: ask again now and then while armed
};
