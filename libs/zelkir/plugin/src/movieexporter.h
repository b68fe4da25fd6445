#pragma once

#include "frameworker.h"

#include <zelkir/io/calibrationparameters.h>

#include <QObject>
#include <QString>
#include <QVariant>
#include <qqmlregistration.h>

#include <functional>
#include <memory>
#include <optional>

namespace zelkir {

class DetachedJob;

/// Saves a stretch of a file's frames as a FITS movie, on a thread of its own that reads the
/// file through a source of its own, so playback goes on meanwhile. Frame times count from
/// the first frame saved; presets are kept.
///
/// The exporter never waits for its thread: cancel() and destruction return at once, and the
/// thread then deletes its unfinished file and lets go of the source itself.
class MovieExporter final : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by DocumentModel")
    Q_PROPERTY(bool running READ isRunning NOTIFY runningChanged)
    /// 0..1 of the frames saved.
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)

public:
    /// What to save: frames first..last (inclusive) of the file at `sourcePath`.
    struct Job
    {
        QString sourcePath;
        int first = 0;
        int last = -1;
        /// Written into the movie in place of the file's own.
        CalibrationParameters calibration;
        /// Null: by the file's content.
        SourceOpener opener;
    };
    /// The job of the moment, or a sentence for the user why there is none.
    using JobProvider = std::function<std::optional<Job>(QString* error)>;

    explicit MovieExporter(JobProvider provider, QObject* parent = nullptr);
    ~MovieExporter() override;

    bool isRunning() const { return m_job != nullptr; }
    double progress() const { return m_progress; }

    /// Starts saving to `target` (a path or a file URL). Empty when started, else a sentence
    /// for the user; finished() follows a start.
    Q_INVOKABLE QString start(const QVariant& target);
    /// Stops at once; the unfinished file is deleted and finished(false, ...) is emitted.
    Q_INVOKABLE void cancel();

Q_SIGNALS:
    void runningChanged();
    void progressChanged();
    void finished(bool ok, const QString& message);

private Q_SLOTS:
    // Queued by name from the worker thread.
    void onProgress();
    void onDone();

private:
    struct Results;
    void setProgress(double progress);
    void end(bool ok, const QString& message);

    const JobProvider m_provider;
    std::shared_ptr<DetachedJob> m_job;
    std::shared_ptr<Results> m_results;
    double m_progress = 0.0;
};

} // namespace zelkir
