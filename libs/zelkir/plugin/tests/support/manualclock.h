#pragma once

#include "displayclock.h"

#include <atomic>

/// A display clock that ticks only when the test says so.
class ManualClock final : public zelkir::DisplayClock
{
    Q_OBJECT

public:
    using DisplayClock::DisplayClock;

    void start(double framesPerSecond) override;
    void stop() override;
    bool isRunning() const override { return m_running; }
    double position() const override { return m_ticks; }
    double rate() const { return m_rate; }

    /// Ticks `count` times in a row, without returning to the event loop in between.
    void advance(int count = 1);

private:
    bool m_running = false;
    double m_rate = 0.0;
    std::atomic<int> m_ticks { 0 };
};
