#pragma once

#include "platform/Desktop.h"

namespace core {

// Yields to the window system once a time slice has passed, instead of once per step: a loop over millions
// of lines keeps the windows repainting and clickable without paying an event-loop round trip per line.
class TimeSlice
{
public:
    // The clock is read every checkEvery steps: often for costly steps, seldom for steps as cheap as a line.
    explicit TimeSlice(platform::EventLoop& loop, qint64 sliceMs = 20, quint32 checkEvery = 256)
        : m_loop(loop), m_sliceMs(sliceMs), m_checkEvery(checkEvery), m_sliceStart(loop.clockMs())
    {
    }

    // Called once per step of the loop; true when it yielded, so that inputs the user may have changed
    // meanwhile are read again. Throws RunCancelled when the user cancelled the run at the yield.
    bool step()
    {
        if (++m_steps % m_checkEvery != 0 || m_loop.clockMs() - m_sliceStart < m_sliceMs)
            return false;
        m_loop.yieldWithinRun();
        m_sliceStart = m_loop.clockMs();
        return true;
    }

private:
    platform::EventLoop& m_loop;
    qint64 m_sliceMs;
    quint32 m_checkEvery;
    qint64 m_sliceStart;
    quint32 m_steps = 0;
};

} // namespace core
