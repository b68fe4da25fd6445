#include "manualclock.h"

void ManualClock::start(double framesPerSecond)
{
    m_running = true;
    m_rate = framesPerSecond;
    m_ticks = 0;
}

void ManualClock::stop()
{
    m_running = false;
}

void ManualClock::advance(int count)
{
    for (int i = 0; i < count; ++i) {
        ++m_ticks;
        Q_EMIT tick();
    }
}
