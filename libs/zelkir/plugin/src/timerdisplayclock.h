#pragma once

#include "displayclock.h"

#include <QTimer>

namespace zelkir {

/// The display clock of the programs: a precise timer on the thread that owns it.
class TimerDisplayClock final : public DisplayClock
{
    Q_OBJECT

public:
    explicit TimerDisplayClock(QObject* parent = nullptr);

    void start(double framesPerSecond) override;
    void stop() override;
    bool isRunning() const override;

private:
    QTimer m_timer;
};

} // namespace zelkir
