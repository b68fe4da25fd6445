// Streams a simulated IR camera into a bare Aravis receiver and into the live document, one
// after the other in one run, and prints the two side by side: frames completed, CPU time
// per frame, frames lost at 60 per second with every frame rendered, the latency from a
// buffer's completion to its image on the GUI thread, and the time from connecting a
// remembered camera to its first image beside arv-camera-test-0.8's first buffer.
//
// Run it next to the camera: scripts/benchmark-live.sh (see there for the options).

#include "documentmodel.h"
#include "framerenderer.h"
#include "halvomodel.h"
#include "imageenhancementmodel.h"
#include "liveplayer.h"
#include "palettelist.h"

#include <zelk/cam/records.h>

#include <arv.h>

#include <QCommandLineParser>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <vector>

using namespace zelkir;

namespace {

double cpuSeconds(clockid_t clock)
{
    timespec ts {};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

long minorFaults()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

std::uint64_t steadyNs()
{
    return std::uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
                             .count());
}

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    const std::size_t rank = std::size_t(std::ceil(share * double(values.size())));
    return values[std::min(values.size() - 1, rank > 0 ? rank - 1 : 0)];
}

double median(std::vector<double> values)
{
    return percentile(std::move(values), 0.5);
}

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(200);
    }
    return true;
}

/// Sets Mono16 and the frame rate. A camera just released by a document is let go on
/// that document's own thread, so this retries until the camera takes the writes.
bool configureCamera(const QByteArray& address, double rate)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 15000) {
        GError* error = nullptr;
        ArvCamera* camera = arv_camera_new(address.constData(), &error);
        if (camera) {
            arv_camera_set_pixel_format_from_string(camera, "Mono16", &error);
            if (!error)
                arv_camera_set_float(camera, "AcquisitionFrameRate", rate, &error);
            g_object_unref(camera);
        }
        if (!error)
            return true;
        g_clear_error(&error);
        wait(100);
    }
    std::fprintf(stderr, "bench_live: cannot configure the camera at %s\n", address.constData());
    return false;
}

struct Figures
{
    double seconds = 0.0;
    std::uint64_t completed = 0;
    std::uint64_t incomplete = 0;
    std::uint64_t displayed = 0;
    /// Frames that arrived and were never shown (by frame id, between the first and the last shown).
    std::uint64_t notShown = 0;
    double cpuSeconds = 0.0;
    long pageFaults = 0;
    /// Frames the camera sent in the window, from its block ids (wrapping at 65535).
    std::uint64_t sent = 0;
    std::vector<double> latencyMs;
    /// The renders of the frames displayed, in the render thread's CPU time.
    double renderCpuSeconds = 0.0;

    double faultsPerFrame() const { return completed ? double(pageFaults) / double(completed) : std::nan(""); }
    double cpuPerFrameUs() const { return completed ? cpuSeconds * 1e6 / double(completed) : std::nan(""); }
    double rate() const { return seconds > 0.0 ? double(completed) / seconds : 0.0; }
    double renderPerDisplayedUs() const
    {
        return displayed ? renderCpuSeconds * 1e6 / double(displayed) : std::nan("");
    }
    double displayedShare() const { return completed ? double(displayed) / double(completed) : 0.0; }
};

/// The bare receiver: an Aravis camera and stream, buffers popped and pushed back, nothing
/// else. Keeps a few frames' counts in `keep` for timing the renderer.
bool bareRun(const QByteArray& address, double rate, double seconds, Figures& out,
    std::vector<std::vector<std::uint16_t>>* keep = nullptr)
{
    if (!configureCamera(address, rate))
        return false;
    GError* error = nullptr;
    ArvCamera* camera = arv_camera_new(address.constData(), &error);
    if (!camera) {
        std::fprintf(stderr, "bench_live: %s\n", error ? error->message : "no camera");
        g_clear_error(&error);
        return false;
    }
    const guint payload = arv_camera_get_payload(camera, &error);
    ArvStream* stream = error ? nullptr : arv_camera_create_stream(camera, nullptr, nullptr, &error);
    if (!stream) {
        std::fprintf(stderr, "bench_live: %s\n", error ? error->message : "no stream");
        g_clear_error(&error);
        g_object_unref(camera);
        return false;
    }
    for (int i = 0; i < 16; ++i)
        arv_stream_push_buffer(stream, arv_buffer_new(payload, nullptr));
    arv_camera_start_acquisition(camera, &error);
    g_clear_error(&error);

    // The first buffer starts the window, as for the document.
    bool counting = false;
    double cpu0 = 0.0;
    std::uint64_t firstId = 0;
    std::uint64_t lastId = 0;
    QElapsedTimer window;
    while (!counting || window.elapsed() < qint64(seconds * 1000.0)) {
        ArvBuffer* buffer = arv_stream_timeout_pop_buffer(stream, 3000000);
        if (!buffer) {
            std::fprintf(stderr, "bench_live: the bare receiver got no frame for 3 s\n");
            break;
        }
        lastId = arv_buffer_get_frame_id(buffer);
        if (!counting) {
            firstId = lastId;
            counting = true;
            cpu0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
            out.pageFaults = -minorFaults();
            window.start();
        } else if (arv_buffer_get_status(buffer) == ARV_BUFFER_STATUS_SUCCESS) {
            ++out.completed;
            if (keep && keep->size() < 8) {
                size_t size = 0;
                const auto* data = static_cast<const std::uint16_t*>(arv_buffer_get_data(buffer, &size));
                keep->emplace_back(data, data + size / 2);
            }
        } else {
            ++out.incomplete;
        }
        arv_stream_push_buffer(stream, buffer);
    }
    out.cpuSeconds = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
    out.pageFaults += minorFaults();
    out.sent = (lastId >= firstId ? lastId - firstId : lastId + 65535 - firstId);
    out.seconds = double(window.elapsed()) / 1000.0;
    arv_camera_stop_acquisition(camera, &error);
    g_clear_error(&error);
    g_object_unref(stream);
    g_object_unref(camera);
    return counting;
}

/// The live document as the window opens it; frames counted from one second after the first.
bool liveRun(HalvoModel& model, const zelk::cam::SCameraInfo& record, const QByteArray& address, double rate,
    double seconds, Figures& out, EnhancementSettings* settings = nullptr,
    std::shared_ptr<const Palette>* palette = nullptr)
{
    if (!configureCamera(address, rate))
        return false;
    DocumentModel* document = model.createCameraDocument(record);
    if (!waitFor([document] { return document->status() != DocumentModel::Loading; }, 15000)
        || document->status() != DocumentModel::Ready) {
        std::fprintf(stderr, "bench_live: the live document did not open: %s\n",
            qPrintable(document->errorString()));
        model.deleteDocument(document);
        return false;
    }
    if (settings) {
        *settings = document->imageEnhancement()->settings();
        settings->showSaturationColors = document->showSaturationColors();
        *palette = document->palettes()->catalog()->palette(document->paletteIndex());
    }
    LivePlayer* player = document->realtime();
    bool counting = false;
    std::uint64_t firstId = 0;
    std::uint64_t lastId = 0;
    QObject::connect(player, &FrameProducer::frameReady, player, [&](const RenderedFramePtr& frame) {
        if (!counting || !frame->ok)
            return;
        out.latencyMs.push_back(double(steadyNs() - frame->receivedNs) * 1e-6);
        out.renderCpuSeconds += double(frame->renderCpuNs) * 1e-9;
        // Block ids count 1 to 65535 on this camera and wrap to 1.
        const std::uint64_t id = std::uint64_t(frame->index);
        if (out.displayed > 0) {
            const std::uint64_t step = id > lastId ? id - lastId : id + 65535 - lastId;
            out.notShown += step - 1;
        } else {
            firstId = id;
        }
        lastId = id;
        ++out.displayed;
    });
    waitFor([player] { return player->receivedFrames() > 0; }, 5000);
    wait(1000);
    const double incomplete0 = player->incompleteFrames();
    const std::uint64_t received0 = player->receivedFrames();
    const double cpu0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    out.pageFaults = -minorFaults();
    QElapsedTimer window;
    window.start();
    counting = true;
    wait(int(seconds * 1000.0));
    counting = false;
    out.seconds = double(window.elapsed()) / 1000.0;
    out.cpuSeconds = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
    out.pageFaults += minorFaults();
    const std::uint64_t received = player->receivedFrames() - received0;
    // The incomplete count is read from the camera about once a second.
    wait(1200);
    out.incomplete = std::uint64_t(player->incompleteFrames() - incomplete0);
    out.completed = received - std::min(received, out.incomplete);
    out.sent = out.displayed ? (lastId >= firstId ? lastId - firstId : lastId + 65535 - firstId) + 1 : 0;
    model.deleteDocument(document);
    QCoreApplication::processEvents();
    return true;
}

/// The live document's renderer on the same frames: the counts copied into the frame as the
/// player does, then rendered. Microseconds of thread CPU per frame, the median of many.
double renderTimeUs(const std::vector<std::vector<std::uint16_t>>& frames, int width, int height,
    const EnhancementSettings& settings, const std::shared_ptr<const Palette>& palette)
{
    FrameRenderer renderer;
    std::vector<double> times;
    for (int round = 0; round < 40; ++round) {
        for (const std::vector<std::uint16_t>& counts : frames) {
            const double t0 = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
            RenderedFrame out;
            out.frame.width = width;
            out.frame.height = height;
            out.frame.counts.assign(counts.begin(), counts.end());
            renderer.render(settings, palette, CountRange { 0, 65535 }, out);
            times.push_back((cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - t0) * 1e6);
        }
    }
    return median(times);
}

/// arv-camera-test-0.8 from its start to the completion of its first buffer, taken from the
/// time Aravis logs on the stream's first trailer packet (milliseconds). NaN when none came.
double peerFirstBufferMs(const QByteArray& address)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ARV_DEBUG"), QStringLiteral("sp:3"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    const QDateTime started = QDateTime::currentDateTime();
    process.start(QStringLiteral("arv-camera-test-0.8"), { QStringLiteral("-n"), QString::fromLatin1(address) });
    static const QRegularExpression stamp(QStringLiteral("^\\[(\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d)\\]"));
    QString lastStamp;
    double result = std::nan("");
    QElapsedTimer timer;
    timer.start();
    QByteArray pending;
    while (std::isnan(result) && timer.elapsed() < 10000 && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(100);
        pending += process.readAll();
        int end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
            const QRegularExpressionMatch match = stamp.match(line);
            if (match.hasMatch())
                lastStamp = match.captured(1);
            if (line.contains(QStringLiteral("content_type")) && line.contains(QStringLiteral("trailer"))) {
                const QDateTime at(started.date(), QTime::fromString(lastStamp, QStringLiteral("hh:mm:ss.zzz")));
                result = double(started.msecsTo(at));
                break;
            }
        }
    }
    ::kill(pid_t(process.processId()), SIGINT);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
    }
    return result;
}

double documentFirstImageMs(HalvoModel& model, const zelk::cam::SCameraInfo& record)
{
    QElapsedTimer timer;
    timer.start();
    DocumentModel* document = model.createCameraDocument(record);
    bool shown = false;
    QObject::connect(document, &DocumentModel::imageChanged, document, [&] { shown = true; });
    const bool ok = waitFor([&] { return shown || document->status() == DocumentModel::Failed; }, 10000);
    const double ms = double(timer.nsecsElapsed()) * 1e-6;
    model.deleteDocument(document);
    QCoreApplication::processEvents();
    return ok && shown ? ms : std::nan("");
}

void printRow(const char* what, const QString& bare, const QString& live, const QString& note)
{
    std::printf("%-46s %16s %16s   %s\n", what, qPrintable(bare), qPrintable(live), qPrintable(note));
}

QString number(double value, int decimals)
{
    return std::isnan(value) ? QStringLiteral("-") : QString::number(value, 'f', decimals);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Live streaming: bare Aravis receiver against the live document."));
    parser.addHelpOption();
    const QCommandLineOption rateOption(QStringLiteral("rate"), QStringLiteral("Maximum frame rate to test."),
        QStringLiteral("fps"), QStringLiteral("200"));
    const QCommandLineOption maxSecondsOption(QStringLiteral("max-seconds"),
        QStringLiteral("Seconds at the maximum rate, each receiver."), QStringLiteral("s"), QStringLiteral("20"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
        QStringLiteral("Seconds at 60 frames per second (the recorded figure is 60)."), QStringLiteral("s"),
        QStringLiteral("60"));
    const QCommandLineOption connectOption(QStringLiteral("connect-runs"),
        QStringLiteral("Connections timed, each program."), QStringLiteral("n"), QStringLiteral("5"));
    parser.addOptions({ rateOption, maxSecondsOption, secondsOption, connectOption });
    parser.process(app);
    const double maxRate = parser.value(rateOption).toDouble();
    const double maxSeconds = parser.value(maxSecondsOption).toDouble();
    const double seconds = parser.value(secondsOption).toDouble();
    const int connectRuns = parser.value(connectOption).toInt();
    if (!(maxRate >= 1.0) || !(maxSeconds > 0.0) || !(seconds > 0.0) || connectRuns < 0) {
        std::fprintf(stderr, "bench_live: bad option value\n");
        return 2;
    }

    const QStringList addresses = qEnvironmentVariable("QELT_FAKE_CAMERAS").split(u' ', Qt::SkipEmptyParts);
    const QStringList serials = qEnvironmentVariable("QELT_FAKE_CAMERA_SERIALS").split(u' ', Qt::SkipEmptyParts);
    if (addresses.isEmpty()) {
        std::fprintf(stderr, "bench_live: no camera; run it through scripts/benchmark-live.sh\n");
        return 2;
    }
    const QByteArray address = addresses.first().toLatin1();
    // What a saved camera file holds: the address and the serial number.
    zelk::cam::SCameraInfo record;
    const QByteArray serial = serials.value(0).toLatin1();
    record.serialNumber = serial.constData();
    record.deviceInfo.interfaceName = "GigE-Vision";
    record.deviceInfo.address = address.constData();
    record.deviceInfo.serialNumber = record.serialNumber;
    const QStringList octets = addresses.first().split(u'.');
    for (const QString& octet : octets)
        record.deviceInfo.raw.ipAddress = (record.deviceInfo.raw.ipAddress << 8) | octet.toUInt();
    record.deviceInfo.parameters["Control"].setValue(zelk::CVariant("GenICam"));

    HalvoModel model;
    std::printf("camera %s, 640 x 512 Mono16; load average at start: ", address.constData());
    std::fflush(stdout);
    QProcess::execute(QStringLiteral("cat"), { QStringLiteral("/proc/loadavg") });

    // 1. The maximum rate, bare receiver then document.
    Figures bareMax, liveMax;
    std::vector<std::vector<std::uint16_t>> kept;
    EnhancementSettings settings;
    std::shared_ptr<const Palette> palette;
    if (!bareRun(address, maxRate, maxSeconds, bareMax, &kept)
        || !liveRun(model, record, address, maxRate, maxSeconds, liveMax, &settings, &palette))
        return 1;
    const double renderUs = kept.empty() ? std::nan("") : renderTimeUs(kept, 640, 512, settings, palette);

    // 2. 60 per second, every frame rendered.
    Figures bare60, live60;
    if (!bareRun(address, 60.0, std::min(seconds, 20.0), bare60) || !liveRun(model, record, address, 60.0, seconds, live60))
        return 1;

    // 3. Connecting to the first image, alternately with the peer's first buffer.
    std::vector<double> peerMs, ourMs;
    for (int run = 0; run < connectRuns; ++run) {
        if (!configureCamera(address, 60.0))
            return 1;
        peerMs.push_back(peerFirstBufferMs(address));
        if (!configureCamera(address, 60.0))
            return 1;
        ourMs.push_back(documentFirstImageMs(model, record));
    }

    std::printf("\n%-46s %16s %16s   %s\n", "", "bare Aravis (a)", "live doc (b)", "ratio / goal");
    std::printf("-- at the maximum rate (%.0f/s asked), %.0f s each\n", maxRate, maxSeconds);
    printRow("frames completed", QString::number(bareMax.completed), QString::number(liveMax.completed),
        QStringLiteral("%1 % of (a) (goal >= 99.9 %)")
            .arg(100.0 * double(liveMax.completed) / double(std::max<std::uint64_t>(bareMax.completed, 1)), 0, 'f', 2));
    printRow("frames per second", number(bareMax.rate(), 1), number(liveMax.rate(), 1), QString());
    printRow("frames the camera sent (block id span)", QString::number(bareMax.sent), QString::number(liveMax.sent),
        QStringLiteral("(b): from its first to its last displayed frame"));
    printRow("incomplete frames", QString::number(bareMax.incomplete), QString::number(liveMax.incomplete), QString());
    printRow("frames displayed", QString(), QString::number(liveMax.displayed), QString());
    // The goal allows (b) the bare receiver's CPU and 30 % more, plus its renders: as they
    // cost in the run, and as they cost alone on the same frames.
    const auto printCpu = [renderUs](const Figures& bare, const Figures& live) {
        const double share = live.displayedShare();
        printRow("CPU per received frame (us)", number(bare.cpuPerFrameUs(), 1), number(live.cpuPerFrameUs(), 1),
            QStringLiteral("%1x (a); goal <= %2 us = 1.3 (a) + render x %3 displayed/received")
                .arg(live.cpuPerFrameUs() / bare.cpuPerFrameUs(), 0, 'f', 2)
                .arg(1.3 * bare.cpuPerFrameUs() + live.renderPerDisplayedUs() * share, 0, 'f', 1)
                .arg(share, 0, 'f', 3));
        printRow("render per displayed frame (us, thread CPU)", QString(), number(live.renderPerDisplayedUs(), 1),
            QStringLiteral("counts copied in + FrameRenderer::render, in the run"));
        printRow("... the same renders alone (us)", QString(), number(renderUs, 1),
            QStringLiteral("goal with it: <= %1 us").arg(1.3 * bare.cpuPerFrameUs() + renderUs * share, 0, 'f', 1));
    };
    printCpu(bareMax, liveMax);
    printRow("minor page faults per received frame", number(bareMax.faultsPerFrame(), 1),
        number(liveMax.faultsPerFrame(), 1), QString());
    printRow("latency p50 / p99 (ms)", QString(),
        QStringLiteral("%1 / %2").arg(number(percentile(liveMax.latencyMs, 0.5), 2), number(percentile(liveMax.latencyMs, 0.99), 2)),
        QStringLiteral("goal p99 <= 2 ms"));

    std::printf("-- at 60 per second: (a) %.0f s, (b) %.0f s, every frame rendered\n", bare60.seconds, live60.seconds);
    printRow("frames completed", QString::number(bare60.completed), QString::number(live60.completed), QString());
    printRow("frames the camera sent (block id span)", QString::number(bare60.sent), QString::number(live60.sent), QString());
    printRow("frames displayed", QString(), QString::number(live60.displayed), QString());
    printRow("frames lost (incomplete + never shown)", QString::number(bare60.incomplete),
        QString::number(live60.incomplete + live60.notShown), QStringLiteral("goal 0"));
    printCpu(bare60, live60);
    printRow("minor page faults per received frame", number(bare60.faultsPerFrame(), 1),
        number(live60.faultsPerFrame(), 1), QString());
    printRow("latency p50 / p99 (ms)", QString(),
        QStringLiteral("%1 / %2").arg(number(percentile(live60.latencyMs, 0.5), 2), number(percentile(live60.latencyMs, 0.99), 2)),
        QStringLiteral("goal p99 <= 2 ms"));

    std::printf("-- connect to the first image, %d runs each, alternately\n", connectRuns);
    QStringList peerText, ourText;
    for (double ms : peerMs)
        peerText << number(ms, 0);
    for (double ms : ourMs)
        ourText << number(ms, 0);
    printRow("median (ms): arv-camera-test-0.8 / document", number(median(peerMs), 1), number(median(ourMs), 1),
        QStringLiteral("goal < 300 ms; runs %1 / %2").arg(peerText.join(u' '), ourText.join(u' ')));
    std::printf("load average at the end: ");
    std::fflush(stdout);
    QProcess::execute(QStringLiteral("cat"), { QStringLiteral("/proc/loadavg") });
    return 0;
}
