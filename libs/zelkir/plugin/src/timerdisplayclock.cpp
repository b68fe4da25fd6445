#include "timerdisplayclock.h"

#include <QtMath>

namespace zelkir {

TimerDisplayClock::TimerDisplayClock(QObject* parent)
    : DisplayClock(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &DisplayClock::tick);
}

void TimerDisplayClock::start(double framesPerSecond)
{
    if (!(framesPerSecond > 0.0) || !qIsFinite(framesPerSecond))
        return;
    // Whole milliseconds: rates above 1000 per second tick as fast as the timer allows.
    const int interval = qMax(1, qRound(1000.0 / framesPerSecond));
    m_timer.start(interval);
}

void TimerDisplayClock::stop()
{
    m_timer.stop();
}

bool TimerDisplayClock::isRunning() const
{
    return m_timer.isActive();
}

} // namespace zelkir
