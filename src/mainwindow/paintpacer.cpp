// SPDX-License-Identifier: MIT
#include "paintpacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

PaintPacer::PaintPacer(QWidget *window)
    : QObject(window)
    , m_window(window)
    , m_nextFrame(new QTimer(this))
{
    m_nextFrame->setSingleShot(true);
    connect(m_nextFrame, &QTimer::timeout, this, [this] {
        QEvent paint(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(m_window, &paint);
    });
    window->installEventFilter(this);
}

qint64 PaintPacer::frameInterval() const
{
    // Asked at each paint rather than kept: the window may have moved to another screen since.
    const QScreen *screen = m_window->screen();
    const qreal refresh = screen != nullptr && screen->refreshRate() >= 30 ? screen->refreshRate() : 60;
    return qint64(1000 / refresh);
}

bool PaintPacer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window || event->type() != QEvent::UpdateRequest)
        return false;
    const qint64 interval = frameInterval();
    const qint64 since = m_sinceFrame.isValid() ? m_sinceFrame.elapsed() : interval;
    if (since < interval) {
        if (!m_nextFrame->isActive())
            m_nextFrame->start(int(interval - since));
        return true;
    }
    m_sinceFrame.start();
    return false;
}
