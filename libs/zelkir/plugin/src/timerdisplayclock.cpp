#include "timerdisplayclock.h"

#include <QtMath>

#include <chrono>

namespace zelkir {

namespace {

std::int64_t steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

TimerDisplayClock::TimerDisplayClock(QObject* parent)
    : DisplayClock(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &TimerDisplayClock::onTimeout);
}

void TimerDisplayClock::start(double framesPerSecond)
{
    if (!(framesPerSecond > 0.0) || !qIsFinite(framesPerSecond))
        return;
    // Rates above 1000 per second tick as fast as the timer allows.
    m_periodNs = qMax(1e6, 1e9 / framesPerSecond);
    m_since.start();
    m_ticks = 0;
    m_rate = 1e9 / m_periodNs;
    m_startedNs = steadyNs();
    scheduleNext();
}

void TimerDisplayClock::onTimeout()
{
    ++m_ticks;
    // After a long stall, carry on from now rather than catch up with a burst.
    if (double(m_since.nsecsElapsed()) > (double(m_ticks) + 3.0) * m_periodNs) {
        m_since.start();
        m_ticks = 0;
    }
    scheduleNext();
    Q_EMIT tick();
}

void TimerDisplayClock::scheduleNext()
{
    const double due = (double(m_ticks) + 1.0) * m_periodNs - double(m_since.nsecsElapsed());
    m_timer.start(qMax(0, qRound(due / 1e6)));
}

void TimerDisplayClock::stop()
{
    m_timer.stop();
}

bool TimerDisplayClock::isRunning() const
{
    return m_timer.isActive();
}

double TimerDisplayClock::position() const
{
    return double(steadyNs() - m_startedNs) * 1e-9 * m_rate;
}

} // namespace zelkir
