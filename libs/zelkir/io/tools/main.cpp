// zelkir-make-sample: writes a synthetic 14-bit radiometric FITS movie of an office scene.

#include "samplecamera.h"
#include "sampleheader.h"
#include "samplerandom.h"
#include "samplescene.h"
#include "samplesettings.h"

#include <zelkir/io/fitsrecordingwriter.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cmath>
#include <optional>

namespace {

std::optional<SampleSettings> parse(const QCoreApplication& app, QString* error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a synthetic radiometric IR movie: a 14-bit FITS "
                                                    "cube with calibration keywords and frame times."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("output"), QStringLiteral("The FITS file to write."));
    const QCommandLineOption width({ QStringLiteral("W"), QStringLiteral("width") },
        QStringLiteral("Frame width in pixels (16-4096)."), QStringLiteral("pixels"), QStringLiteral("640"));
    const QCommandLineOption height({ QStringLiteral("H"), QStringLiteral("height") },
        QStringLiteral("Frame height in pixels (16-4096)."), QStringLiteral("pixels"), QStringLiteral("512"));
    const QCommandLineOption frames({ QStringLiteral("n"), QStringLiteral("frames") },
        QStringLiteral("Number of frames (1-1000000)."), QStringLiteral("count"), QStringLiteral("150"));
    const QCommandLineOption rate({ QStringLiteral("r"), QStringLiteral("rate") },
        QStringLiteral("Frames per second."), QStringLiteral("fps"), QStringLiteral("30"));
    const QCommandLineOption seed({ QStringLiteral("s"), QStringLiteral("seed") },
        QStringLiteral("Seed of the noise and the scene."), QStringLiteral("number"), QStringLiteral("1"));
    const QCommandLineOption sequencing(QStringLiteral("sequencing"),
        QStringLiteral("Cycle through presets 0 to 3 frame by frame, each with half the integration time."));
    const QCommandLineOption superframing(QStringLiteral("superframe"),
        QStringLiteral("Like --sequencing, with every cycle of four presets marked as one superframe."));
    const QCommandLineOption date(QStringLiteral("date"),
        QStringLiteral("Start of the recording (DATE-OBS)."), QStringLiteral("yyyy-mm-ddThh:mm:ss"),
        QStringLiteral("2024-03-14T09:26:53.000"));
    parser.addOptions({ width, height, frames, rate, seed, sequencing, superframing, date });
    parser.process(app);

    if (parser.positionalArguments().size() != 1) {
        *error = QStringLiteral("Give one output file.");
        return std::nullopt;
    }
    SampleSettings settings;
    settings.path = parser.positionalArguments().constFirst();
    bool ok[5] = {};
    settings.width = parser.value(width).toInt(&ok[0]);
    settings.height = parser.value(height).toInt(&ok[1]);
    settings.frames = parser.value(frames).toInt(&ok[2]);
    settings.rate = parser.value(rate).toDouble(&ok[3]);
    settings.seed = parser.value(seed).toULongLong(&ok[4]);
    settings.superframing = parser.isSet(superframing);
    settings.sequencing = parser.isSet(sequencing) || settings.superframing;
    settings.dateObs = parser.value(date);
    if (!ok[0] || !ok[1] || settings.width < 16 || settings.width > 4096 || settings.height < 16
        || settings.height > 4096) {
        *error = QStringLiteral("The width and height must be whole numbers from 16 to 4096.");
        return std::nullopt;
    }
    if (!ok[2] || settings.frames < 1 || settings.frames > 1000000) {
        *error = QStringLiteral("The number of frames must be from 1 to 1000000.");
        return std::nullopt;
    }
    if (!ok[3] || !(settings.rate > 0.0) || settings.rate > 100000.0) {
        *error = QStringLiteral("The rate must be a positive number of frames per second.");
        return std::nullopt;
    }
    if (!ok[4]) {
        *error = QStringLiteral("The seed must be a whole number.");
        return std::nullopt;
    }
    return settings;
}

bool generate(const SampleSettings& settings, QString* error)
{
    const double duration = settings.frames / settings.rate;
    const SampleScene scene(settings.width, settings.height, duration, settings.seed);
    const SampleCamera camera(settings.width, settings.height, settings.seed);
    SampleRandom noise(settings.seed);
    zelkir::FitsRecordingWriter writer;
    if (!writer.create(settings.path, sampleHeader(settings), error))
        return false;

    std::vector<float> kelvin;
    std::vector<quint16> counts;
    const int cycle = settings.sequencing ? SampleCamera::PresetCount : 1;
    for (int frame = 0; frame < settings.frames; ++frame) {
        // The camera's clock stamps frames with a little jitter around the nominal rate.
        const double jitter = frame == 0 ? 0.0 : noise.uniform(-40e-6, 40e-6);
        const double time = frame / settings.rate + jitter;
        const int preset = frame % cycle;
        scene.render(time, kelvin);
        camera.expose(kelvin, preset, time, noise, counts);
        if (!writer.append(counts, std::round(time * 1e7) / 1e7, error, preset))
            return false;
    }
    return writer.finish(error);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelkir-make-sample"));
    QTextStream err(stderr);
    QString error;
    const std::optional<SampleSettings> settings = parse(app, &error);
    if (!settings) {
        err << error << Qt::endl;
        return 2;
    }
    if (!generate(*settings, &error)) {
        err << settings->path << ": " << error << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << "Wrote " << settings->path << ": " << settings->width << " x " << settings->height
                        << " pixels, " << settings->frames << " frames at " << settings->rate << " fps"
                        << (settings->sequencing ? ", presets 0-3 in sequence" : "") << Qt::endl;
    return 0;
}
