// SPDX-License-Identifier: MIT
#pragma once

#include "loupe.h"
#include "module1.h"
#include "pointergrab.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class LoupeView;

// The pointer capture control. StartCapture arms it: from then on it has the pointer to itself, reports
// the window under the pointer on every move (Point), and ends on the user's next press anywhere on the
// screen (Capture), which then reaches no other window. While a modal box of ours is open it lets go of
// the pointer, so that the box can be used, and takes it again when the box closes; a pointer it loses
// otherwise (its window unmapped, another program's grab) it takes again as soon as it can. Where the
// desktop lets no program read the screen it says so (Unavailable) and disarms. At its place it shows a
// picker glyph; it never takes the keyboard focus.
// While armed, a turn of the wheel away from the user opens a loupe beside the pointer, and each further turn
// zooms it in; turns towards the user zoom out and at last close it. It follows the pointer at the pace of
// the sampling tick, and closes with the capture, under a box of ours, and where the screen goes away.
class CaptureControl : public QWidget, public Module1::GrabClient {
    Q_OBJECT
public:
    explicit CaptureControl(Module1::Platform &platform, QWidget *parent = nullptr);
    ~CaptureControl() override;

    void StartCapture(); // harmless while armed
    void CancelCapture(); // disarms without raising Capture
    bool isArmed() const { return m_armed; }
    // After each sampling tick: the loupe shows what the tick read around the pointer.
    void ShowLoupe();

    void pointerMoved(Module1::Handle pointed) override;
    void pointerPressed(Module1::Handle pressed) override;
    void screenUnreadable() override;
    void pointerWheel(int notches) override;
    void keyPressed(Module1::LoupeKey key, bool shift) override;

Q_SIGNALS:
    void Capture(Module1::Handle hwndCaptured);
    void Point(Module1::Handle hwndPointed);
    void Unavailable();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void holdPointer();
    void closeLoupe();
    double scaleUnder() const;

    bool m_armed = false;
    std::unique_ptr<Module1::PointerGrab> m_grab;
    QTimer m_recheck; // a grab can be lost without a word: ask again now and then while armed
    Module1::Platform &m_platform;
    int m_zoom = Loupe::Closed;
    std::unique_ptr<LoupeView> m_loupe;
    // Where the grab shows the loupe: the image last drawn for it, and of what.
    QImage m_drawn;
    std::vector<std::int32_t> m_drawnColours;
};
