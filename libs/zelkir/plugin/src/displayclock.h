#pragma once

#include <QObject>

namespace zelkir {

/// The beat of playback: tick() once per display frame. Abstract so that tests can drive
/// playback frame by frame without waiting for a timer.
class DisplayClock : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~DisplayClock() override;

    /// Starts ticking `framesPerSecond` times a second (a positive, finite rate), or changes
    /// the rate of a running clock.
    virtual void start(double framesPerSecond) = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
    /// Display periods since the last start(), counted without rounding (a clock that
    /// ticks by hand counts its ticks). Any thread may ask.
    virtual double position() const = 0;

Q_SIGNALS:
    void tick();
};

} // namespace zelkir
