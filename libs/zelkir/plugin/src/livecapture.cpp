#include "livecapture.h"

#include "camerafeatures.h"

#include <zelkir/io/fitsrecordingwriter.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <chrono>
#include <cmath>

namespace zelkir {

namespace {

using FramePtr = FrameTap::FramePtr;

constexpr int CounterIntervalMs = 250;

bool isWellFormed(const zelk::cam::SStreamFrame& frame)
{
    return frame.width > 0 && frame.height > 0 && frame.width <= 65535 && frame.height <= 65535
        && frame.pixels.size() == std::size_t(frame.width) * std::size_t(frame.height);
}

/// When the host received `frame`, on the wall clock.
QDateTime arrivalUtc(const zelk::cam::SStreamFrame& frame)
{
    const auto now = std::uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
                                       .count());
    const qint64 ageMs
        = frame.receivedNs != 0 && now > frame.receivedNs ? qint64((now - frame.receivedNs) / 1000000u) : 0;
    return QDateTime::currentDateTimeUtc().addMSecs(-ageMs);
}

QString fileNamePart(const QString& text)
{
    QString name = text;
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]+")), QStringLiteral("_"));
    return name.isEmpty() ? QStringLiteral("camera") : name;
}

struct SnapshotOutcome
{
    bool ok = false;
    QString error;
    QString fitsFile;
    QString pngFile;
};

struct RecordingOutcome
{
    bool ok = false;
    QString error;
    int frames = 0;
};

} // namespace

/// What a file says about the camera besides its frames, read on the camera thread.
struct LiveCapture::CameraDetails
{
    bool ok = false;
    CalibrationParameters calibration;
    double frameRate = 0.0;
    QString model;
    QString serial;

    RecordingHeader header(const zelk::cam::SStreamFrame& frame) const
    {
        RecordingHeader header;
        header.width = frame.width;
        header.height = frame.height;
        const int bits = zelk::cam::PixelFormatBits(frame.pixelFormat);
        if (bits > 0 && bits < 16)
            header.countRange.maximum = quint16((1u << bits) - 1u);
        header.calibration = calibration;
        header.frameRate = frameRate;
        header.keywords.append({ QStringLiteral("DATE-OBS"),
            arrivalUtc(frame).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")),
            QStringLiteral("UTC when the first frame arrived") });
        if (!model.isEmpty())
            header.keywords.append({ QStringLiteral("INSTRUME"), model, QStringLiteral("camera model") });
        if (!serial.isEmpty())
            header.keywords.append(
                { QStringLiteral("SERIALNO"), serial, QStringLiteral("camera serial number") });
        return header;
    }
};

/// The recording thread's state: one recording at a time, created at its first frame,
/// which gives the size and the count range.
struct LiveCapture::RecordingWriter
{
    RecordingWriter() = default;
    /// The document went away while recording: keep what was written.
    ~RecordingWriter()
    {
        if (writer.isRecording())
            writer.finish(nullptr);
    }
    RecordingWriter(const RecordingWriter&) = delete;
    RecordingWriter& operator=(const RecordingWriter&) = delete;

    FitsRecordingWriter writer;
    quint64 generation = 0;
    QString path;
    CameraDetails details;
    bool failed = false;
    QString error;
    int width = 0;
    int height = 0;
    /// Frame times count from the first frame, on the camera's clock; on the host's when
    /// the camera gives no timestamps.
    bool hostClock = false;
    std::uint64_t firstNs = 0;
};

LiveCapture::LiveCapture(
    std::shared_ptr<CameraAccess> access, std::shared_ptr<FrameTap> tap, QString cameraName, QObject* parent)
    : QObject(parent)
    , m_access(std::move(access))
    , m_tap(std::move(tap))
    , m_cameraName(std::move(cameraName))
    , m_snapshots(std::make_unique<SerialExecutor<SnapshotWriter>>())
    , m_recorder(std::make_unique<SerialExecutor<RecordingWriter>>())
    , m_counters(std::make_shared<Counters>())
{
    m_counterTimer.setInterval(CounterIntervalMs);
    connect(&m_counterTimer, &QTimer::timeout, this, &LiveCapture::updateCounters);
}

LiveCapture::~LiveCapture()
{
    // The sink points at the recorder, which goes next.
    m_tap->setSink({});
}

QString LiveCapture::folderPath(const QVariant& folder)
{
    if (folder.typeId() == QMetaType::QUrl) {
        const QUrl url = folder.toUrl();
        return url.isLocalFile() ? QDir::cleanPath(url.toLocalFile()) : QString();
    }
    const QString text = folder.toString().trimmed();
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (digits.match(text).hasMatch()) {
        bool ok = false;
        const int location = text.toInt(&ok);
        if (!ok || location > int(QStandardPaths::TemplatesLocation))
            return {};
        return QStandardPaths::writableLocation(QStandardPaths::StandardLocation(location));
    }
    if (text.startsWith(QLatin1String("file:"))) {
        const QUrl url(text);
        return url.isLocalFile() ? QDir::cleanPath(url.toLocalFile()) : QString();
    }
    return text.isEmpty() ? QString() : QDir::cleanPath(text);
}

QString LiveCapture::writableFolder(const QVariant& folder)
{
    const QString path = folderPath(folder);
    if (path.isEmpty()) {
        setError(tr("Choose a folder to save in."));
        return {};
    }
    const QFileInfo info(path);
    if (!info.isDir() || !info.isWritable()) {
        setError(
            tr("The folder %1 does not exist or cannot be written to.").arg(QDir::toNativeSeparators(path)));
        return {};
    }
    return info.absoluteFilePath();
}

QString LiveCapture::freeBasePath(const QString& folder, const QString& serial)
{
    const QString stem = QDir(folder).filePath(fileNamePart(serial.isEmpty() ? m_cameraName : serial)
        + QLatin1Char('_') + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    for (int n = 1;; ++n) {
        const QString base = n == 1 ? stem : stem + QLatin1Char('-') + QString::number(n);
        // Files still being written do not exist yet: remember what was handed out.
        if (!m_takenPaths.contains(base) && !QFileInfo::exists(base + QLatin1String(".fits"))
            && !QFileInfo::exists(base + QLatin1String(".png"))) {
            m_takenPaths.insert(base);
            return base;
        }
    }
}

void LiveCapture::readDetails(std::function<void(const CameraDetails&)> done)
{
    if (m_access->isClosed()) {
        setError(tr("The camera is not connected."));
        return;
    }
    m_access->call(
        [](CameraSession& session) {
            CameraDetails details;
            if (!session.camera)
                return details;
            zelk::cam::gic::IFeatureTree& features = session.camera->features();
            details.ok = true;
            details.calibration = readCalibration(features);
            details.frameRate = readNumber(features, "AcquisitionFrameRate").value_or(0.0);
            details.model = readText(features, "DeviceModelName");
            details.serial = readText(features, "DeviceSerialNumber");
            if (details.serial.isEmpty())
                details.serial = readText(features, "DeviceID");
            return details;
        },
        this,
        [this, done = std::move(done)](const CameraDetails& details) {
            if (details.ok)
                done(details);
            else
                setError(tr("The camera is not connected."));
        });
}

void LiveCapture::saveSnapshot(const QVariant& folder)
{
    setError({});
    const QString path = writableFolder(folder);
    if (path.isEmpty())
        return;
    const FramePtr frame = m_tap->newest();
    if (!frame || !isWellFormed(*frame)) {
        setError(tr("No frame has arrived from the camera yet."));
        return;
    }
    const QImage image = m_shownImage;
    readDetails([this, path, frame, image](const CameraDetails& details) {
        const QString base = freeBasePath(path, details.serial);
        const RecordingHeader header = details.header(*frame);
        m_snapshots->call(
            [base, header, frame, image](SnapshotWriter&) {
                SnapshotOutcome outcome;
                outcome.fitsFile = base + QLatin1String(".fits");
                if (!FitsRecordingWriter::writeSnapshot(
                        outcome.fitsFile, header, frame->pixels, &outcome.error))
                    return outcome;
                if (!image.isNull()) {
                    outcome.pngFile = base + QLatin1String(".png");
                    if (!image.save(outcome.pngFile, "PNG")) {
                        outcome.error = tr("The image could not be saved as %1.")
                                            .arg(QDir::toNativeSeparators(outcome.pngFile));
                        return outcome;
                    }
                }
                outcome.ok = true;
                return outcome;
            },
            this,
            [this](const SnapshotOutcome& outcome) {
                if (!outcome.ok) {
                    setError(outcome.error);
                    return;
                }
                succeed(outcome.fitsFile);
                Q_EMIT snapshotSaved(outcome.fitsFile, outcome.pngFile);
            });
    });
}

void LiveCapture::startRecording(const QVariant& folder)
{
    if (m_recording)
        return;
    setError({});
    const QString path = writableFolder(folder);
    if (path.isEmpty())
        return;
    if (m_access->isClosed()) {
        setError(tr("The camera is not connected."));
        return;
    }
    const quint64 generation = ++m_generation;
    m_counters = std::make_shared<Counters>();
    m_recording = true;
    m_recordingFile.clear();
    updateCounters();
    m_counterTimer.start();
    Q_EMIT recordingChanged();
    readDetails([this, generation, path](const CameraDetails& details) {
        if (m_recording && generation == m_generation)
            beginRecording(generation, path, details);
    });
}

void LiveCapture::beginRecording(quint64 generation, const QString& folder, const CameraDetails& details)
{
    m_recordingFile = freeBasePath(folder, details.serial) + QLatin1String(".fits");
    m_recorder->post([generation, details, file = m_recordingFile](RecordingWriter& state) {
        if (state.writer.isRecording())
            state.writer.finish(nullptr);
        state.generation = generation;
        state.path = file;
        state.details = details;
        state.failed = false;
        state.error.clear();
        return SerialExecutor<RecordingWriter>::Reply();
    });

    // On the receive thread: decide at once, never wait for the disk.
    SerialExecutor<RecordingWriter>* recorder = m_recorder.get();
    m_tap->setSink([this, recorder, counters = m_counters, generation](const FramePtr& frame) {
        const std::size_t bytes = sizeof(*frame) + frame->pixels.size() * sizeof(std::uint16_t);
        if (counters->queuedBytes.load() + bytes > MaxQueuedBytes) {
            ++counters->dropped;
            return;
        }
        counters->queuedBytes += bytes;
        recorder->post([this, frame, bytes, counters, generation](
                           RecordingWriter& state) -> SerialExecutor<RecordingWriter>::Reply {
            counters->queuedBytes -= bytes;
            if (state.generation != generation || state.failed)
                return {};
            if (!isWellFormed(*frame)
                || (state.writer.isRecording()
                    && (frame->width != state.width || frame->height != state.height))) {
                ++counters->dropped;
                return {};
            }
            if (!state.writer.isRecording()) {
                if (!state.writer.create(state.path, state.details.header(*frame), &state.error)) {
                    state.failed = true;
                } else {
                    state.width = frame->width;
                    state.height = frame->height;
                    state.hostClock = frame->timestampNs == 0;
                    state.firstNs = state.hostClock ? frame->receivedNs : frame->timestampNs;
                }
            }
            if (!state.failed) {
                const std::uint64_t ns = state.hostClock ? frame->receivedNs : frame->timestampNs;
                const double seconds = double(std::int64_t(ns - state.firstNs)) * 1e-9;
                state.failed = !state.writer.append(frame->pixels, seconds, &state.error);
            }
            if (!state.failed) {
                ++counters->written;
                return {};
            }
            // The disk refused: end the recording, which reports why.
            return [this, generation] {
                if (m_recording && generation == m_generation)
                    stopRecording();
            };
        });
    });
    Q_EMIT recordingChanged();
}

void LiveCapture::stopRecording()
{
    if (!m_recording)
        return;
    m_tap->setSink({});
    m_recording = false;
    m_counterTimer.stop();
    const quint64 generation = m_generation;
    const QString file = m_recordingFile;
    m_recorder->call(
        [generation](RecordingWriter& state) {
            RecordingOutcome outcome;
            outcome.frames = state.writer.frameCount();
            if (state.generation != generation)
                outcome.error = tr("No frame arrived from the camera; nothing was recorded.");
            else if (state.failed)
                outcome.error = state.error;
            else if (!state.writer.isRecording())
                outcome.error = tr("No frame arrived from the camera; nothing was recorded.");
            else
                outcome.ok = state.writer.finish(&outcome.error);
            state.generation = 0;
            return outcome;
        },
        this,
        [this, file](const RecordingOutcome& outcome) {
            updateCounters();
            if (!outcome.ok) {
                setError(outcome.error);
                return;
            }
            succeed(file);
            Q_EMIT recordingSaved(file, outcome.frames);
        });
    Q_EMIT recordingChanged();
}

void LiveCapture::updateCounters()
{
    const std::uint64_t written = m_counters->written.load();
    const std::uint64_t dropped = m_counters->dropped.load();
    if (written == m_recordedFrames && dropped == m_recordingDropped)
        return;
    m_recordedFrames = written;
    m_recordingDropped = dropped;
    Q_EMIT recordedFramesChanged();
}

void LiveCapture::succeed(const QString& file)
{
    m_lastSavedFile = file;
    Q_EMIT lastSavedFileChanged();
}

void LiveCapture::setError(const QString& message)
{
    if (message != m_lastError) {
        m_lastError = message;
        Q_EMIT lastErrorChanged();
    }
    if (!message.isEmpty())
        Q_EMIT failed(message);
}

} // namespace zelkir
