// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"

#include <QWidget>

// The pointer capture control: armed by StartCapture, it reports the window under the pointer (Point)
// and ends on the user's click anywhere on the screen (Capture). At its place it shows a picker glyph;
// it never takes the keyboard focus.
class CaptureControl : public QWidget {
    Q_OBJECT
public:
    explicit CaptureControl(QWidget *parent = nullptr);

Q_SIGNALS:
    void Capture(Module1::Handle hwndCaptured);
    void Point(Module1::Handle hwndPointed);

protected:
    void paintEvent(QPaintEvent *event) override;
};
