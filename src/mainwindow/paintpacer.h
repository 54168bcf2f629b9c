// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QObject>

class QTimer;
class QWidget;

// Paints a window no more often than its screen shows frames. A screen shows some sixty frames a second
// (some 240), and screen mode may change the colour a hundred times: a repaint waits for the screen's next
// frame, and the changes in between are painted at once.
class PaintPacer : public QObject {
    Q_OBJECT
public:
    // Paces `window`'s repaints from now on; the window owns the pacer.
    explicit PaintPacer(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    qint64 frameInterval() const; // milliseconds

    QWidget *m_window;
    QElapsedTimer m_sinceFrame; // since the window was last painted
    QTimer *m_nextFrame;
};
