#include "fuzzexercise.h"

#include <zelkir/io/calibration.h>

#include <QtGlobal>

namespace zelkir {

void exerciseSource(FrameSource& source, qint64 maxPixels)
{
    const SourceInfo& info = source.info();
    if (info.width < 1 || info.height < 1 || info.frameCount < 1)
        __builtin_trap();
    qint64 total = 0;
    for (const FileKeyword& keyword : info.keywords)
        total += keyword.name.size() + keyword.value.size();
    (void)total;
    (void)info.countRange.bitDepth();

    const Calibration calibration(info.calibration);
    Frame frame;
    const bool small = qint64(info.width) * info.height <= maxPixels;
    for (int index : { 0, info.frameCount - 1, info.frameCount / 2, info.frameCount, -1 }) {
        source.frameTime(index);
        source.framePreset(index);
        if (!small)
            continue;
        QString error;
        if (source.readFrame(index, frame, &error)) {
            if (frame.counts.size() != std::size_t(info.width) * std::size_t(info.height))
                __builtin_trap();
            for (Unit unit : calibration.availableUnits())
                calibration.convert(frame.scale.toPhysical(frame.counts.front()), unit,
                    TemperatureScale::Celsius, frame.preset);
        } else if (error.isEmpty()) {
            __builtin_trap();
        }
    }
}

void silenceQtMessages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

} // namespace zelkir
