#include "manualclock.h"

void ManualClock::start(double framesPerSecond)
{
    m_running = true;
    m_rate = framesPerSecond;
}

void ManualClock::stop()
{
    m_running = false;
}

void ManualClock::advance(int count)
{
    for (int i = 0; i < count; ++i)
        Q_EMIT tick();
}
