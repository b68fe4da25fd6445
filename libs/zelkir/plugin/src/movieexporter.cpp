#include "movieexporter.h"

#include "detachedjob.h"
#include "frameexporter.h"
#include "logging.h"
#include "mailbox.h"

#include <zelkir/io/fitsrecordingwriter.h>
#include <zelkir/io/framesourcefactory.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#include <atomic>
#include <cmath>

namespace zelkir {

namespace {

QString tr(const char* text, const char* disambiguation = nullptr, int n = -1)
{
    return QCoreApplication::translate("zelkir::MovieExporter", text, disambiguation, n);
}

struct Outcome
{
    bool ok = false;
    QString message;
};

} // namespace

/// What the thread hands to the exporter.
struct MovieExporter::Results
{
    std::atomic<int> saved { 0 };
    int total = 0;
    Mailbox<Outcome> outcome;
};

namespace {

Outcome exportMovie(DetachedJob& job, const MovieExporter::Job& request, const QString& target,
    std::atomic<int>& saved)
{
    QString error;
    const SourceOpener opener = request.opener ? request.opener : SourceOpener(&FrameSourceFactory::open);
    std::unique_ptr<FrameSource> source = opener(request.sourcePath, &error);
    if (!source)
        return { false, error.isEmpty() ? tr("The file cannot be read.") : error };
    const int last = std::min(request.last, source->frameCount() - 1);
    if (request.first < 0 || request.first > last)
        return { false, tr("There are no frames to save.") };

    FitsRecordingWriter writer;
    Frame frame;
    double firstTime = std::nan("");
    CountScale scale;
    for (int index = request.first; index <= last; ++index) {
        if (job.isCancelled())
            return {};
        if (!source->readFrame(index, frame, &error))
            return { false, tr("Frame %1 cannot be read: %2").arg(index).arg(error) };
        if (index == request.first) {
            RecordingHeader header;
            header.width = frame.width;
            header.height = frame.height;
            header.countRange = source->countRange();
            header.frameRate = source->info().frameRate;
            if (!std::isfinite(header.frameRate))
                header.frameRate = 0.0;
            // Where and with what the original was taken.
            for (const char* name : { "DATE-OBS", "INSTRUME", "SERIALNO" }) {
                for (const FileKeyword& keyword : source->fileKeywords()) {
                    if (keyword.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0
                        && !keyword.value.isEmpty()) {
                        header.keywords.append({ QLatin1String(name), keyword.value, keyword.comment });
                        break;
                    }
                }
            }
            // The presets as the file player reads them back: per frame in the frame table,
            // the cycle in the header.
            const PresetInfo& presets = source->presetInfo();
            header.framePresets = presets.sequencing;
            if (presets.sequencing) {
                header.keywords.append({ QStringLiteral("SEQUENCE"), true, QStringLiteral("presets cycled") });
                header.keywords.append(
                    { QStringLiteral("PRESETS"), int(presets.availablePresets), QStringLiteral("presets used") });
                if (presets.superframing)
                    header.keywords.append({ QStringLiteral("SUPERFRM"), true, QStringLiteral("superframes") });
            } else if (presets.preset != 0) {
                header.keywords.append({ QStringLiteral("PRESET"), presets.preset, QStringLiteral("camera preset") });
            }
            scale = frame.scale;
            header.calibration = FrameExporter::withCountScale(request.calibration, scale);
            if (!writer.create(target, header, &error))
                return { false, error };
            firstTime = frame.time;
        } else if (frame.scale != scale) {
            return { false,
                tr("The frames of this file store their values on different scales, which a movie cannot "
                   "hold.") };
        }
        const double seconds = frame.time - firstTime;
        if (!writer.append(frame.counts, std::isfinite(seconds) ? seconds : std::nan(""), &error, frame.preset))
            return { false, error };
        // A hundred steps of progress at most, however long the movie.
        const int done = index - request.first + 1;
        const int total = last - request.first + 1;
        saved.store(done);
        if (done * 100 / total != (done - 1) * 100 / total)
            job.post();
    }
    const int frames = writer.frameCount();
    if (!writer.finish(&error))
        return { false, error };
    return { true, tr("%n frame(s) saved.", nullptr, frames) };
}

} // namespace

MovieExporter::MovieExporter(JobProvider provider, QObject* parent)
    : QObject(parent)
    , m_provider(std::move(provider))
{
}

MovieExporter::~MovieExporter()
{
    if (m_job)
        m_job->cancel();
}

QString MovieExporter::start(const QVariant& target)
{
    if (m_job)
        return tr("A movie is being saved already.");
    const QString path = FrameExporter::localPath(target);
    if (path.isEmpty())
        return tr("Choose a file to save the movie to.");
    QString error;
    std::optional<Job> request = m_provider ? m_provider(&error) : std::nullopt;
    if (!request)
        return error.isEmpty() ? tr("There is no file to save frames of.") : error;
    const QFileInfo source(request->sourcePath);
    const QFileInfo destination(path);
    if (destination.exists() && source.canonicalFilePath() == destination.canonicalFilePath())
        return tr("A movie cannot replace the file it is made from.");

    auto results = std::make_shared<Results>();
    results->total = qMax(1, request->last - request->first + 1);
    auto work = [results, request = std::move(*request), path](DetachedJob& job) {
        Outcome outcome = exportMovie(job, request, path, results->saved);
        results->outcome.put(std::move(outcome));
        job.post();
    };
    // The worker posts after every frame; the exporter reads the latest figure when it comes.
    m_job = DetachedJob::start(std::move(work), [this] {
        QMetaObject::invokeMethod(this, "onProgress", Qt::QueuedConnection);
        QMetaObject::invokeMethod(this, "onDone", Qt::QueuedConnection);
    });
    if (!m_job)
        return tr("The movie cannot be saved: no thread is available.");
    m_results = std::move(results);
    setProgress(0.0);
    Q_EMIT runningChanged();
    return {};
}

void MovieExporter::cancel()
{
    if (!m_job)
        return;
    m_job->cancel();
    end(false, tr("Saving the movie was cancelled."));
}

void MovieExporter::onProgress()
{
    if (m_results)
        setProgress(double(m_results->saved.load()) / m_results->total);
}

void MovieExporter::onDone()
{
    if (!m_results)
        return;
    std::optional<Outcome> outcome = m_results->outcome.take();
    if (!outcome)
        return;
    if (!outcome->ok)
        qCInfo(lcPlayer) << "movie export failed:" << outcome->message;
    end(outcome->ok, outcome->message);
}

void MovieExporter::setProgress(double progress)
{
    if (progress == m_progress)
        return;
    m_progress = progress;
    Q_EMIT progressChanged();
}

void MovieExporter::end(bool ok, const QString& message)
{
    // The thread may still be posting the news: after cancel() it never touches us again.
    m_job->cancel();
    m_job.reset();
    m_results.reset();
    if (ok)
        setProgress(1.0);
    Q_EMIT runningChanged();
    Q_EMIT finished(ok, message);
}

} // namespace zelkir
