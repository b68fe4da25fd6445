// zelkir-fake-ir-camera: a simulated thermal-IR GigE Vision camera for tests and trials.

#include "csimulatedircamera.h"
#include "simulatorsettings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <glib-unix.h>

#include <csignal>
#include <optional>

namespace {

std::optional<SimulatorSettings> parse(const QCoreApplication& app, QString* error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated thermal-IR GigE Vision camera: streams a moving office scene (or a test pattern) as\n"
        "Mono14 or Mono16 counts, with integration time, gain, sensor temperature, calibration\n"
        "constants and a bad-pixel list among its GenICam features. Runs until SIGINT or SIGTERM.\n"
        "Start it only on loopback or inside scripts/with-fake-cameras.sh."));
    parser.addHelpOption();
    const QCommandLineOption interfaceName({ QStringLiteral("i"), QStringLiteral("interface") },
        QStringLiteral("Interface name or IPv4 address to answer on."), QStringLiteral("interface"),
        QStringLiteral("127.0.0.1"));
    const QCommandLineOption serial({ QStringLiteral("s"), QStringLiteral("serial") },
        QStringLiteral("Serial number (1-15 characters)."), QStringLiteral("serial"),
        QStringLiteral("IR0001"));
    const QCommandLineOption width({ QStringLiteral("W"), QStringLiteral("width") },
        QStringLiteral("Sensor width in pixels (16-2048)."), QStringLiteral("pixels"), QStringLiteral("640"));
    const QCommandLineOption height({ QStringLiteral("H"), QStringLiteral("height") },
        QStringLiteral("Sensor height in pixels (16-2048)."), QStringLiteral("pixels"),
        QStringLiteral("512"));
    const QCommandLineOption rate({ QStringLiteral("r"), QStringLiteral("rate") },
        QStringLiteral("Frames per second (1-200)."), QStringLiteral("fps"), QStringLiteral("30"));
    const QCommandLineOption format({ QStringLiteral("f"), QStringLiteral("pixel-format") },
        QStringLiteral("Mono14 or Mono16."), QStringLiteral("format"), QStringLiteral("Mono14"));
    const QCommandLineOption loss({ QStringLiteral("l"), QStringLiteral("packet-loss") },
        QStringLiteral("Stream packets to drop at random, per thousand (0-1000)."),
        QStringLiteral("permille"), QStringLiteral("0"));
    const QCommandLineOption pattern(QStringLiteral("test-pattern"),
        QStringLiteral("Send the ramp (x + 3y + 7 * frame id) mod 2^bits instead of the scene."));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the scene and its noise."),
        QStringLiteral("number"), QStringLiteral("1"));
    parser.addOptions({ interfaceName, serial, width, height, rate, format, loss, pattern, seed });
    parser.process(app);

    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().constFirst());
        return std::nullopt;
    }
    SimulatorSettings settings;
    settings.interfaceName = parser.value(interfaceName);
    settings.serial = parser.value(serial);
    bool ok[5] = {};
    settings.width = parser.value(width).toInt(&ok[0]);
    settings.height = parser.value(height).toInt(&ok[1]);
    settings.rate = parser.value(rate).toDouble(&ok[2]);
    settings.packetLossPerThousand = parser.value(loss).toDouble(&ok[3]);
    settings.seed = parser.value(seed).toULongLong(&ok[4]);
    settings.testPattern = parser.isSet(pattern);
    const QString formatName = parser.value(format);
    if (settings.serial.isEmpty() || settings.serial.toUtf8().size() > 15) {
        *error = QStringLiteral("The serial number must have 1 to 15 characters.");
    } else if (!ok[0] || !ok[1] || settings.width < 16 || settings.width > 2048 || settings.height < 16
        || settings.height > 2048) {
        *error = QStringLiteral("The width and height must be whole numbers from 16 to 2048.");
    } else if (!ok[2] || !(settings.rate >= 1.0) || settings.rate > 200.0) {
        *error = QStringLiteral("The rate must be from 1 to 200 frames per second.");
    } else if (formatName.compare(QStringLiteral("Mono14"), Qt::CaseInsensitive) != 0
        && formatName.compare(QStringLiteral("Mono16"), Qt::CaseInsensitive) != 0) {
        *error = QStringLiteral("The pixel format must be Mono14 or Mono16.");
    } else if (!ok[3] || !(settings.packetLossPerThousand >= 0.0)
        || settings.packetLossPerThousand > 1000.0) {
        *error = QStringLiteral("The packet loss must be from 0 to 1000 per thousand.");
    } else if (!ok[4]) {
        *error = QStringLiteral("The seed must be a whole number.");
    } else {
        settings.mono16 = formatName.compare(QStringLiteral("Mono16"), Qt::CaseInsensitive) == 0;
        return settings;
    }
    return std::nullopt;
}

gboolean quitLoop(gpointer loop)
{
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_CONTINUE;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelkir-fake-ir-camera"));
    QTextStream err(stderr);
    QString error;
    const std::optional<SimulatorSettings> settings = parse(app, &error);
    if (!settings) {
        err << error << Qt::endl;
        return 2;
    }
    std::unique_ptr<CSimulatedIrCamera> camera = CSimulatedIrCamera::Create(*settings, &error);
    if (!camera) {
        err << "zelkir-fake-ir-camera: " << error << Qt::endl;
        return 1;
    }
    // Aravis's thread does the work; this one only waits for the signal to stop.
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    const guint interrupt = g_unix_signal_add(SIGINT, quitLoop, loop);
    const guint terminate = g_unix_signal_add(SIGTERM, quitLoop, loop);
    QTextStream(stdout) << "Camera " << settings->serial << " answers on " << settings->interfaceName
                        << Qt::endl;
    g_main_loop_run(loop);
    g_source_remove(interrupt);
    g_source_remove(terminate);
    g_main_loop_unref(loop);
    camera.reset();
    return 0;
}
