#pragma once

#include "platform/Desktop.h"

#include <QElapsedTimer>

namespace platform {

// Yields to the window system once a time slice has passed, instead of once per step: a loop over millions
// of lines keeps the windows repainting and clickable without paying an event-loop round trip per line.
class TimeSlice
{
public:
    explicit TimeSlice(EventLoop& loop, qint64 sliceMs = 20) : m_loop(loop), m_sliceMs(sliceMs) { m_clock.start(); }

    // Called once per step of the loop; true when it yielded, so that inputs the user may have changed
    // meanwhile are read again.
    bool step()
    {
        // The clock is read every 256 steps only; a step may be as cheap as one line.
        if ((++m_steps & 0xFF) != 0 || m_clock.elapsed() < m_sliceMs)
            return false;
        yieldNow();
        return true;
    }

    void yieldNow()
    {
        m_loop.yieldOnce();
        m_clock.restart();
    }

private:
    EventLoop& m_loop;
    qint64 m_sliceMs;
    QElapsedTimer m_clock;
    quint32 m_steps = 0;
};

} // namespace platform
