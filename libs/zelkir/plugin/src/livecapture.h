#pragma once

#include "cameraaccess.h"
#include "frametap.h"
#include "serialexecutor.h"

#include <QImage>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <qqmlregistration.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace zelkir {

/// Snapshots and recordings of a live camera, as FITS files the file player opens.
///
/// `folder` arguments take a QStandardPaths location (a number, or its digits as text), a
/// path or a file URL. Files are named after the camera's serial number and the local
/// time (SERIAL_yyyyMMdd-HHmmss, then -2, -3, ... when taken), never replacing a file.
/// The camera's calibration, frame rate, model and serial number are read on the camera
/// thread when a snapshot or a recording begins; files are written on threads of their
/// own, never on the GUI thread.
///
/// A recording takes every frame the camera sends (FrameTap), not only those shown. Its
/// writer thread has a queue of at most MaxQueuedBytes: frames that would exceed it are
/// dropped and counted, so a slow disk never slows the stream or fills the memory.
class LiveCapture final : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the live document")
    /// True from startRecording() until stopRecording(), or until the camera is lost.
    Q_PROPERTY(bool recording READ isRecording NOTIFY recordingChanged)
    /// Where the recording under way is saved once stopped; empty when not recording.
    Q_PROPERTY(QString recordingFile READ recordingFile NOTIFY recordingChanged)
    /// Frames of the current (or last) recording written, and dropped because the disk
    /// fell behind. Updated a few times a second.
    Q_PROPERTY(double recordedFrames READ recordedFrames NOTIFY recordedFramesChanged)
    Q_PROPERTY(double recordingDroppedFrames READ recordingDroppedFrames NOTIFY recordedFramesChanged)
    /// The FITS file of the last snapshot or recording saved.
    Q_PROPERTY(QString lastSavedFile READ lastSavedFile NOTIFY lastSavedFileChanged)
    /// A sentence for the user about the last snapshot or recording that failed; cleared
    /// when another begins.
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged)

public:
    /// The most frame data waiting for the recording's disk writes.
    static constexpr std::size_t MaxQueuedBytes = std::size_t(64) << 20;

    /// `cameraName` names the files when the camera does not give its serial number.
    LiveCapture(std::shared_ptr<CameraAccess> access, std::shared_ptr<FrameTap> tap, QString cameraName,
        QObject* parent = nullptr);
    /// A recording under way is finished with the frames written so far, on its thread.
    ~LiveCapture() override;

    bool isRecording() const { return m_recording; }
    QString recordingFile() const { return m_recording ? m_recordingFile : QString(); }
    double recordedFrames() const { return double(m_recordedFrames); }
    double recordingDroppedFrames() const { return double(m_recordingDropped); }
    QString lastSavedFile() const { return m_lastSavedFile; }
    QString lastError() const { return m_lastError; }

    /// The image the document shows, saved as PNG beside a snapshot.
    void setShownImage(const QImage& image) { m_shownImage = image; }

    /// Saves the newest frame received as SERIAL_TIME.fits and the image shown as
    /// SERIAL_TIME.png in `folder`; snapshotSaved() or failed() follows.
    Q_INVOKABLE void saveSnapshot(const QVariant& folder);
    /// Records every frame from now on into SERIAL_TIME.fits in `folder`, with each
    /// frame's camera time since the first frame. Ignored while recording.
    Q_INVOKABLE void startRecording(const QVariant& folder);
    /// Finishes the file (it appears under its name only then); recordingSaved() or
    /// failed() follows. Also called when the camera is lost or disconnected.
    Q_INVOKABLE void stopRecording();

    /// The folder `folder` names, or an empty string when it names none.
    static QString folderPath(const QVariant& folder);

Q_SIGNALS:
    void recordingChanged();
    void recordedFramesChanged();
    void lastSavedFileChanged();
    void lastErrorChanged();
    void snapshotSaved(const QString& fitsFile, const QString& pngFile);
    void recordingSaved(const QString& file, int frames);
    void failed(const QString& message);

private:
    struct CameraDetails;
    struct Counters
    {
        std::atomic<std::size_t> queuedBytes { 0 };
        std::atomic<std::uint64_t> written { 0 };
        std::atomic<std::uint64_t> dropped { 0 };
    };
    struct SnapshotWriter
    {
    };
    struct RecordingWriter;

    QString writableFolder(const QVariant& folder);
    /// A base path in `folder` that no file, and no file written here, uses yet.
    QString freeBasePath(const QString& folder, const QString& serial);
    void readDetails(std::function<void(const CameraDetails&)> done);
    void beginRecording(quint64 generation, const QString& folder, const CameraDetails& details);
    void updateCounters();
    void succeed(const QString& file);
    void setError(const QString& message);

    const std::shared_ptr<CameraAccess> m_access;
    const std::shared_ptr<FrameTap> m_tap;
    const QString m_cameraName;
    std::unique_ptr<SerialExecutor<SnapshotWriter>> m_snapshots;
    std::unique_ptr<SerialExecutor<RecordingWriter>> m_recorder;
    std::shared_ptr<Counters> m_counters;
    QTimer m_counterTimer;
    QImage m_shownImage;
    QSet<QString> m_takenPaths;

    bool m_recording = false;
    /// Counts recordings, so that a late reply of an earlier one changes nothing.
    quint64 m_generation = 0;
    QString m_recordingFile;
    std::uint64_t m_recordedFrames = 0;
    std::uint64_t m_recordingDropped = 0;
    QString m_lastSavedFile;
    QString m_lastError;
};

} // namespace zelkir
