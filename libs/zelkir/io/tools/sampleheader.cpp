#include "sampleheader.h"

#include "samplecamera.h"

zelkir::RecordingHeader sampleHeader(const SampleSettings& s)
{
    const bool sequencing = s.sequencing || s.superframing;
    zelkir::RecordingHeader header;
    header.width = s.width;
    header.height = s.height;
    header.countRange = { 0, SampleCamera::MaxCount };
    header.calibration = SampleCamera::calibration(sequencing);
    header.frameRate = s.rate;
    header.framePresets = sequencing;
    header.keywords = {
        { QStringLiteral("DATE-OBS"), s.dateObs, QStringLiteral("start of the recording (UTC)") },
        { QStringLiteral("ORIGIN"), QStringLiteral("zelkir-make-sample"),
            QStringLiteral("synthetic recording") },
        { QStringLiteral("INSTRUME"), QStringLiteral("QELT sample camera"), QString() },
        { QStringLiteral("DETECTOR"), QStringLiteral("uncooled microbolometer, 8-14 um"), QString() },
        { QStringLiteral("OBJECT"), QStringLiteral("office"), QString() },
        { QStringLiteral("BUNIT"), QStringLiteral("counts"), QString() },
        { QStringLiteral("FPATEMP"), 31.4, QStringLiteral("[C] focal plane temperature") },
        { QStringLiteral("LENS"), QStringLiteral("25 mm f/1.0"), QString() },
        { QStringLiteral("SEED"), qint64(s.seed & 0x7fffffffffffffffULL), QStringLiteral("generator seed") },
    };
    if (sequencing) {
        header.keywords.append(
            { QStringLiteral("SEQUENCE"), true, QStringLiteral("presets cycle frame by frame") });
        header.keywords.append({ QStringLiteral("PRESETS"), (1 << SampleCamera::PresetCount) - 1,
            QStringLiteral("bit n: preset n in use") });
        header.keywords.append({ QStringLiteral("SUPERFRM"), s.superframing,
            QStringLiteral("each preset cycle is one superframe") });
    } else {
        header.keywords.append({ QStringLiteral("PRESET"), 0, QStringLiteral("preset of every frame") });
    }
    return header;
}
