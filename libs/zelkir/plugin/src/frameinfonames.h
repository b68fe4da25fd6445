#pragma once

#include <QCoreApplication>
#include <QString>

namespace zelkir {

/// The names of the entries every frame carries, before the file's own keywords, and of
/// those a camera's frames add.
class FrameInfoNames
{
    Q_DECLARE_TR_FUNCTIONS(FrameInfoNames)

public:
    static QString frameNumber() { return tr("Frame Number"); }
    static QString time() { return tr("Time"); }
    static QString size() { return tr("Size"); }
    static QString minimum() { return tr("Minimum"); }
    static QString maximum() { return tr("Maximum"); }
    static QString mean() { return tr("Mean"); }
    static QString preset() { return tr("Preset"); }
    static QString pixelFormat() { return tr("Pixel Format"); }
    static QString receivedFrameRate() { return tr("Received Frame Rate"); }
    static QString displayedFrameRate() { return tr("Displayed Frame Rate"); }
    static QString incompleteFrames() { return tr("Incomplete Frames"); }
    static QString droppedFrames() { return tr("Dropped Display Frames"); }
    static QString sensorTemperature() { return tr("Sensor Temperature"); }
};

} // namespace zelkir
