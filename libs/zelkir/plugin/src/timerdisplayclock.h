#pragma once

#include "displayclock.h"

#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <cstdint>

namespace zelkir {

/// The display clock of the programs: a precise timer on the thread that owns it. Ticks
/// follow a schedule of their own, so the rate holds on average although the timer counts
/// whole milliseconds (60 per second is not 17 ms apart, which would lose a camera frame
/// every second).
class TimerDisplayClock final : public DisplayClock
{
    Q_OBJECT

public:
    explicit TimerDisplayClock(QObject* parent = nullptr);

    void start(double framesPerSecond) override;
    void stop() override;
    bool isRunning() const override;
    double position() const override;

private:
    void onTimeout();
    void scheduleNext();

    QTimer m_timer;
    QElapsedTimer m_since;
    double m_periodNs = 0.0;
    qint64 m_ticks = 0;
    // What position() reads from other threads; a steady clock, as frames are stamped.
    std::atomic<std::int64_t> m_startedNs { 0 };
    std::atomic<double> m_rate { 0.0 };
};

} // namespace zelkir
