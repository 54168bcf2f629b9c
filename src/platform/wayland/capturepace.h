// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace Module1 {

// When the pixel under the pointer is captured again. A moved pointer is looked under at once, by the
// caller; a still one at the sampling tick's pace, and a frame later after a capture that failed.
class CapturePace {
public:
    template <typename Capture> explicit CapturePace(Capture capture)
    {
        m_next.setSingleShot(true);
        QObject::connect(&m_next, &QTimer::timeout, &m_next, std::move(capture));
    }

    // A capture has been asked for: the next one is counted from now.
    void asked()
    {
        m_next.stop();
        m_sinceAsked.start();
    }
    void answered() { m_next.start(int(std::max<qint64>(Pace - m_sinceAsked.elapsed(), 0))); }
    void failed() { m_next.start(RetryInterval); }

private:
    // The sampling tick shows at most a hundred samples a second: under a still pointer, faster outputs
    // are not read much more often than that. A capture waits for the next frame after it is asked for,
    // so it is asked for a little before the tick's 10 ms are up.
    static constexpr qint64 Pace = 8; // milliseconds
    static constexpr int RetryInterval = 16; // milliseconds: a frame at 60 Hz

    QTimer m_next;
    QElapsedTimer m_sinceAsked;
};

} // namespace Module1
