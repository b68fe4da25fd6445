#pragma once

#include "documentmodel.h"
#include "frameworker.h"
#include "regionstatistics.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <qqmlregistration.h>

#include <cmath>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zelkir {

class DetachedJob;

/// What a series takes from its document when it starts: the regions and the unit of that
/// moment, fixed for the whole series.
struct RegionSeriesSetup
{
    /// Files: the file and the frames (inclusive) to scan. Unused for cameras.
    QString path;
    int first = 0;
    int last = -1;
    /// Null: by the file's content.
    SourceOpener opener;

    std::vector<RegionGeometry> regions;
    /// One per region: "Box 1".
    QStringList names;
    /// A physical value (frame.scale.toPhysical(count)) and the frame's preset to the unit
    /// of the series. Called on the worker thread: it must hold copies, not the document.
    std::function<double(double physical, int preset)> convert;
    DocumentModel::Unit unit = DocumentModel::COUNTS;
    /// For the CSV header: "°C", "counts", "W/(m² sr)".
    QString unitSymbol;
};

/// Region statistics over time, for plots and CSV.
///
/// Files: start() scans the frames between the bounds with a source of its own on a thread
/// of its own, which nobody waits for (cancel() and destruction return at once). Cameras:
/// the document hands over each frame's statistics (appendLive()) and the series keeps the
/// last historySeconds of them.
///
/// A series holds the regions and the unit it started with; when the document's change, a
/// file's series becomes `stale` and a camera's history starts afresh.
class RegionSeries final : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by DocumentModel")
    /// Camera history rather than a file scan.
    Q_PROPERTY(bool live READ isLive CONSTANT)
    Q_PROPERTY(bool running READ isRunning NOTIFY runningChanged)
    /// 0..1 of the frames scanned.
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    /// Why the last scan stopped short, for the user; empty otherwise.
    Q_PROPERTY(QString error READ error NOTIFY errorChanged)
    /// The regions or the unit changed since the series started.
    Q_PROPERTY(bool stale READ isStale NOTIFY staleChanged)
    /// Every frame between the bounds is in.
    Q_PROPERTY(bool complete READ isComplete NOTIFY changed)
    /// The names of the regions the series follows, in row order.
    Q_PROPERTY(QStringList regionNames READ regionNames NOTIFY changed)
    /// Camera history length, 1 to 3600 seconds.
    Q_PROPERTY(double historySeconds READ historySeconds WRITE setHistorySeconds NOTIFY historySecondsChanged)
    /// t of points() counts frames from the first rather than seconds: the file gives no times.
    Q_PROPERTY(bool timeInFrames READ timeInFrames NOTIFY changed)
    Q_PROPERTY(double timeMinimum READ timeMinimum NOTIFY changed)
    Q_PROPERTY(double timeMaximum READ timeMaximum NOTIFY changed)
    /// Over the minimum, maximum and mean of every region (range() gives one figure's);
    /// NaN without values.
    Q_PROPERTY(double valueMinimum READ valueMinimum NOTIFY changed)
    Q_PROPERTY(double valueMaximum READ valueMaximum NOTIFY changed)

public:
    enum Figure { Minimum, Maximum, Mean, Deviation, FigureCount };

    /// The setup of the moment, or a sentence for the user why there is none.
    using SetupProvider = std::function<std::optional<RegionSeriesSetup>(QString* error)>;

    RegionSeries(SetupProvider provider, bool live, QObject* parent = nullptr);
    ~RegionSeries() override;

    bool isLive() const { return m_live; }
    bool isRunning() const { return m_job != nullptr; }
    double progress() const { return m_progress; }
    QString error() const { return m_error; }
    bool isStale() const { return m_stale; }
    bool isComplete() const { return m_complete; }
    QStringList regionNames() const { return m_setup.names; }
    double historySeconds() const { return m_historySeconds; }
    void setHistorySeconds(double seconds);
    bool timeInFrames() const;
    double timeMinimum() const;
    double timeMaximum() const;
    double valueMinimum() const;
    double valueMaximum() const;
    /// Samples held.
    int sampleCount() const { return int(m_frames.size()); }

    /// Files: scans the frames between the bounds anew. Empty when started, else a sentence.
    Q_INVOKABLE QString start();
    /// Stops a scan at once, keeping what it found.
    Q_INVOKABLE void cancel();
    /// One figure ("minimum", "maximum", "mean", "deviation") of region `regionRow`: maps
    /// {t, v}, samples without a value left out. A positive `maximumPoints` thins long series
    /// to about that many, keeping the lowest and highest value of each stretch.
    Q_INVOKABLE QVariantList points(int regionRow, const QString& figure, int maximumPoints = 0) const;
    /// {minimum, maximum} of one figure over every region; NaN without values.
    Q_INVOKABLE QVariantMap range(const QString& figure) const;
    /// Saves the series as CSV to a path or file URL: one row per frame. Empty on success,
    /// else a sentence for the user. A file's series must be complete.
    Q_INVOKABLE QString exportCsv(const QVariant& target) const;

    /// Cameras: the statistics of one frame, one per region in the document's order, at
    /// `seconds` on a steady clock. A different number of regions than before starts afresh.
    void appendLive(int frame, double seconds, const std::vector<RegionStatistics>& statistics);
    /// The document's regions, unit or calibration changed.
    void invalidate();

Q_SIGNALS:
    void runningChanged();
    void progressChanged();
    void errorChanged();
    void staleChanged();
    void historySecondsChanged();
    /// New values, at most ten times a second.
    void changed();

private Q_SLOTS:
    // Queued by name from the worker thread.
    void onScanned();

public:
    /// What a scan and its series share (internal).
    struct Shared;

private:
    void clear();
    void append(int frame, double seconds, const float* values);
    void trimHistory();
    void setProgress(double progress);
    void setError(const QString& error);
    void setStale(bool stale);
    void finishScan();
    void scheduleChanged();
    void updateRanges() const;
    /// t of a sample in points().
    double sampleTime(std::size_t sample) const;
    /// The column of `figure` of `region`.
    const std::deque<float>& column(int region, int figure) const
    {
        return m_values[std::size_t(region * FigureCount + figure)];
    }

    const SetupProvider m_provider;
    const bool m_live;
    std::shared_ptr<DetachedJob> m_job;
    std::shared_ptr<Shared> m_shared;
    RegionSeriesSetup m_setup;
    double m_progress = 0.0;
    QString m_error;
    bool m_stale = false;
    bool m_complete = false;
    double m_historySeconds = 60.0;
    /// One entry per sample.
    std::deque<int> m_frames;
    std::deque<double> m_times;
    /// One column per region and figure; floats suffice for figures on screen and in CSV.
    std::vector<std::deque<float>> m_values;
    QTimer m_changedTimer;

    struct Ranges
    {
        bool valid = false;
        bool timeInFrames = false;
        double time[2] { std::nan(""), std::nan("") };
        double value[2] { std::nan(""), std::nan("") };
    };
    mutable Ranges m_ranges;
};

} // namespace zelkir
