// SPDX-License-Identifier: MIT
#include "screencentre.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace Forms {

namespace {

    void centre(QWidget *window)
    {
        if (const QScreen *screen = window->screen()) {
            const QRect area = screen->availableGeometry(), outer = window->frameGeometry();
            const QPoint place(area.x() + (area.width() - outer.width()) / 2,
                area.y() + (area.height() - outer.height()) / 2);
            // A frame-inclusive move: the window manager puts the frame's corner there.
            window->move(place);
        }
    }

    // Waits for the first move after which the window has a frame, centres the window again and goes.
    class WhenFramed : public QObject {
    public:
        explicit WhenFramed(QWidget *window)
            : QObject(window)
            , m_window(window)
        {
            window->installEventFilter(this);
        }

    protected:
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (watched == m_window && event->type() == QEvent::Move
                && m_window->frameGeometry() != m_window->geometry()) {
                m_window->removeEventFilter(this);
                deleteLater();
                centre(m_window);
            }
            return false;
        }

    private:
        QWidget *m_window;
    };

} // namespace

void CentreOnScreen(QWidget *window)
{
    centre(window);
    new WhenFramed(window);
}

} // namespace Forms
