#include "regionseries.h"

#include "detachedjob.h"
#include "frameexporter.h"
#include "logging.h"
#include "movieexporter.h"
#include "unitformat.h"

#include <zelkir/io/framesourcefactory.h>

#include <QCoreApplication>
#include <QSaveFile>
#include <QtMath>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>

namespace zelkir {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
/// How often the scan hands over what it found, and the series tells of it.
constexpr int PublishMilliseconds = 100;
/// Unit tables kept by a scan: one per preset for integer files, whose scale never changes.
constexpr std::size_t MaxTables = 8;

QString tr(const char* text)
{
    return QCoreApplication::translate("zelkir::RegionSeries", text);
}

int figureOf(const QString& name)
{
    static const QStringList names { QStringLiteral("minimum"), QStringLiteral("maximum"),
        QStringLiteral("mean"), QStringLiteral("deviation") };
    return int(names.indexOf(name));
}

/// The column titles of one figure, as the frame information names them.
QString figureTitle(int figure)
{
    switch (figure) {
    case RegionSeries::Minimum:
        return tr("Min");
    case RegionSeries::Maximum:
        return tr("Max");
    case RegionSeries::Mean:
        return tr("Mean");
    default:
        return tr("Std Dev");
    }
}

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void putFigures(const RegionStatistics& statistics, float* out)
{
    out[RegionSeries::Minimum] = float(statistics.minimum);
    out[RegionSeries::Maximum] = float(statistics.maximum);
    out[RegionSeries::Mean] = float(statistics.mean);
    out[RegionSeries::Deviation] = float(statistics.deviation);
}

} // namespace

/// What the scan thread hands over: samples not yet taken, and how far it got.
struct RegionSeries::Shared
{
    std::mutex mutex;
    std::vector<int> frames;
    std::vector<double> times;
    /// Sample after sample, each FigureCount values per region.
    std::vector<float> values;
    int scanned = 0;
    int total = 1;
    bool done = false;
    QString error;

    void publish(std::vector<int>& newFrames, std::vector<double>& newTimes, std::vector<float>& newValues,
        int scannedFrames)
    {
        std::lock_guard<std::mutex> lock(mutex);
        frames.insert(frames.end(), newFrames.begin(), newFrames.end());
        times.insert(times.end(), newTimes.begin(), newTimes.end());
        values.insert(values.end(), newValues.begin(), newValues.end());
        scanned = scannedFrames;
        newFrames.clear();
        newTimes.clear();
        newValues.clear();
    }
};

namespace {

struct ScaledTable
{
    CountScale scale;
    int preset = 0;
    std::shared_ptr<UnitTable> table;
};

/// Runs on the scan thread.
void scan(DetachedJob& job, const RegionSeriesSetup& setup, RegionSeries::Shared& shared)
{
    const auto finish = [&](const QString& error) {
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            shared.done = true;
            shared.error = error;
        }
        job.post();
    };
    QString error;
    const SourceOpener opener = setup.opener ? setup.opener : SourceOpener(&FrameSourceFactory::open);
    std::unique_ptr<FrameSource> source = opener(setup.path, &error);
    if (!source)
        return finish(error.isEmpty() ? tr("The file cannot be read.") : error);
    const int last = std::min(setup.last, source->frameCount() - 1);
    if (setup.first < 0 || setup.first > last)
        return finish(tr("There are no frames to scan."));
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        shared.total = last - setup.first + 1;
    }

    const std::size_t regions = setup.regions.size();
    std::vector<ScaledTable> tables;
    std::vector<int> frames;
    std::vector<double> times;
    std::vector<float> values;
    Frame frame;
    double firstTime = NaN;
    auto published = std::chrono::steady_clock::now();
    for (int index = setup.first; index <= last; ++index) {
        if (job.isCancelled())
            return;
        if (!source->readFrame(index, frame, &error)) {
            shared.publish(frames, times, values, index - setup.first);
            return finish(tr("Frame %1 cannot be read: %2").arg(index).arg(error));
        }
        auto found = std::find_if(tables.begin(), tables.end(),
            [&](const ScaledTable& entry) { return entry.scale == frame.scale && entry.preset == frame.preset; });
        if (found == tables.end()) {
            if (tables.size() >= MaxTables)
                tables.erase(tables.begin());
            auto table = std::make_shared<UnitTable>();
            const int preset = frame.preset;
            table->build(frame.scale, [&](double physical) { return setup.convert(physical, preset); });
            tables.push_back({ frame.scale, frame.preset, std::move(table) });
            found = tables.end() - 1;
        }
        if (index == setup.first)
            firstTime = frame.time;
        frames.push_back(index);
        times.push_back(frame.time - firstTime);
        const std::size_t offset = values.size();
        values.resize(offset + regions * RegionSeries::FigureCount);
        for (std::size_t region = 0; region < regions; ++region) {
            putFigures(computeRegionStatistics(frame, setup.regions[region], *found->table),
                values.data() + offset + region * RegionSeries::FigureCount);
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - published >= std::chrono::milliseconds(PublishMilliseconds)) {
            published = now;
            shared.publish(frames, times, values, index - setup.first + 1);
            job.post();
        }
    }
    shared.publish(frames, times, values, last - setup.first + 1);
    finish(QString());
}

} // namespace

RegionSeries::RegionSeries(SetupProvider provider, bool live, QObject* parent)
    : QObject(parent)
    , m_provider(std::move(provider))
    , m_live(live)
{
    m_changedTimer.setSingleShot(true);
    m_changedTimer.setInterval(PublishMilliseconds);
    connect(&m_changedTimer, &QTimer::timeout, this, &RegionSeries::changed);
}

RegionSeries::~RegionSeries()
{
    if (m_job)
        m_job->cancel();
}

QString RegionSeries::start()
{
    if (m_live)
        return tr("A camera's history fills by itself.");
    QString error;
    std::optional<RegionSeriesSetup> setup = m_provider ? m_provider(&error) : std::nullopt;
    if (!setup)
        return error.isEmpty() ? tr("There is no file to scan.") : error;
    if (setup->regions.empty())
        return tr("Add a region first.");
    if (m_job) {
        m_job->cancel();
        m_job.reset();
    }
    clear();
    m_setup = std::move(*setup);
    m_values.assign(m_setup.regions.size() * FigureCount, {});
    setStale(false);
    setError(QString());
    setProgress(0.0);

    auto shared = std::make_shared<Shared>();
    m_job = DetachedJob::start([shared, setup = m_setup](DetachedJob& job) { scan(job, setup, *shared); },
        [this] { QMetaObject::invokeMethod(this, "onScanned", Qt::QueuedConnection); });
    if (!m_job)
        return tr("The frames cannot be scanned: no thread is available.");
    m_shared = std::move(shared);
    Q_EMIT runningChanged();
    return {};
}

void RegionSeries::cancel()
{
    if (!m_job)
        return;
    m_job->cancel();
    // What the scan had handed over stays.
    onScanned();
    if (!m_job)
        return;
    m_job.reset();
    m_shared.reset();
    Q_EMIT runningChanged();
}

void RegionSeries::onScanned()
{
    if (!m_shared)
        return;
    std::vector<int> frames;
    std::vector<double> times;
    std::vector<float> values;
    int scanned = 0;
    int total = 1;
    bool done = false;
    QString error;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        frames.swap(m_shared->frames);
        times.swap(m_shared->times);
        values.swap(m_shared->values);
        scanned = m_shared->scanned;
        total = m_shared->total;
        done = m_shared->done;
        error = m_shared->error;
    }
    const std::size_t width = m_setup.regions.size() * FigureCount;
    for (std::size_t sample = 0; sample < frames.size(); ++sample)
        append(frames[sample], times[sample], values.data() + sample * width);
    setProgress(double(scanned) / qMax(1, total));
    if (!frames.empty())
        scheduleChanged();
    if (done) {
        // The thread may still be posting the news: after cancel() it never touches us again.
        m_job->cancel();
        m_job.reset();
        m_shared.reset();
        m_complete = error.isEmpty();
        if (!error.isEmpty())
            qCInfo(lcPlayer) << "region series of" << m_setup.path << ":" << error;
        setError(error);
        Q_EMIT runningChanged();
        scheduleChanged();
    }
}

void RegionSeries::appendLive(int frame, double seconds, const std::vector<RegionStatistics>& statistics)
{
    if (!m_live)
        return;
    if (m_setup.names.isEmpty() || statistics.size() != m_setup.regions.size()) {
        QString error;
        std::optional<RegionSeriesSetup> setup = m_provider ? m_provider(&error) : std::nullopt;
        clear();
        m_setup = setup ? std::move(*setup) : RegionSeriesSetup();
        m_values.assign(m_setup.regions.size() * FigureCount, {});
        if (statistics.size() != m_setup.regions.size() || statistics.empty()) {
            m_setup = RegionSeriesSetup();
            m_values.clear();
            return;
        }
    }
    std::vector<float> values(statistics.size() * FigureCount);
    for (std::size_t region = 0; region < statistics.size(); ++region)
        putFigures(statistics[region], values.data() + region * FigureCount);
    append(frame, seconds, values.data());
    trimHistory();
    scheduleChanged();
}

void RegionSeries::invalidate()
{
    if (m_live) {
        // The next frame fetches the new regions and unit.
        clear();
        m_setup = RegionSeriesSetup();
        m_values.clear();
        scheduleChanged();
    } else if (isRunning() || !m_frames.empty()) {
        setStale(true);
    }
}

void RegionSeries::setHistorySeconds(double seconds)
{
    if (!qIsFinite(seconds))
        return;
    seconds = qBound(1.0, seconds, 3600.0);
    if (seconds == m_historySeconds)
        return;
    m_historySeconds = seconds;
    Q_EMIT historySecondsChanged();
    trimHistory();
    scheduleChanged();
}

void RegionSeries::clear()
{
    m_frames.clear();
    m_times.clear();
    for (auto& column : m_values)
        column.clear();
    m_complete = false;
    m_ranges.valid = false;
}

void RegionSeries::append(int frame, double seconds, const float* values)
{
    m_frames.push_back(frame);
    m_times.push_back(seconds);
    for (std::size_t column = 0; column < m_values.size(); ++column)
        m_values[column].push_back(values[column]);
    m_ranges.valid = false;
}

void RegionSeries::trimHistory()
{
    if (!m_live)
        return;
    while (!m_times.empty() && m_times.back() - m_times.front() > m_historySeconds) {
        m_frames.pop_front();
        m_times.pop_front();
        for (auto& column : m_values)
            column.pop_front();
        m_ranges.valid = false;
    }
}

bool RegionSeries::timeInFrames() const
{
    updateRanges();
    return m_ranges.timeInFrames;
}

double RegionSeries::timeMinimum() const
{
    updateRanges();
    return m_ranges.time[0];
}

double RegionSeries::timeMaximum() const
{
    updateRanges();
    return m_ranges.time[1];
}

double RegionSeries::valueMinimum() const
{
    updateRanges();
    return m_ranges.value[0];
}

double RegionSeries::valueMaximum() const
{
    updateRanges();
    return m_ranges.value[1];
}

void RegionSeries::updateRanges() const
{
    if (m_ranges.valid)
        return;
    m_ranges = Ranges();
    m_ranges.valid = true;
    m_ranges.timeInFrames = !m_live && std::any_of(m_times.begin(), m_times.end(), [](double t) { return !qIsFinite(t); });
    if (!m_frames.empty()) {
        m_ranges.time[0] = sampleTime(0);
        m_ranges.time[1] = sampleTime(m_frames.size() - 1);
    }
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (std::size_t region = 0; region < m_setup.regions.size(); ++region) {
        for (int figure : { Minimum, Maximum, Mean }) {
            for (float value : column(int(region), figure)) {
                if (std::isfinite(value)) {
                    low = std::min(low, double(value));
                    high = std::max(high, double(value));
                }
            }
        }
    }
    if (low <= high) {
        m_ranges.value[0] = low;
        m_ranges.value[1] = high;
    }
}

double RegionSeries::sampleTime(std::size_t sample) const
{
    // Cameras: seconds since the history began; files: since the first frame, or frames.
    if (m_live)
        return m_times[sample] - m_times.front();
    if (m_ranges.timeInFrames)
        return double(m_frames[sample] - m_frames.front());
    return m_times[sample];
}

QVariantList RegionSeries::points(int regionRow, const QString& figureName, int maximumPoints) const
{
    const int figure = figureOf(figureName);
    if (figure < 0 || regionRow < 0 || std::size_t(regionRow) >= m_setup.regions.size())
        return {};
    updateRanges();
    const std::deque<float>& values = column(regionRow, figure);
    const auto point = [&](std::size_t sample) {
        return QVariantMap { { QStringLiteral("t"), sampleTime(sample) },
            { QStringLiteral("v"), double(values[sample]) } };
    };
    QVariantList points;
    // Stretches of samples give their lowest and highest value, in time order.
    const std::size_t stretches = maximumPoints > 1 ? std::size_t(maximumPoints / 2) : 0;
    const std::size_t stretch = stretches > 0 ? (values.size() + stretches - 1) / stretches : 1;
    points.reserve(int(std::min(values.size(), 2 * values.size() / stretch + 2)));
    for (std::size_t begin = 0; begin < values.size(); begin += stretch) {
        const std::size_t end = std::min(values.size(), begin + stretch);
        if (stretch == 1) {
            if (std::isfinite(values[begin]))
                points.append(point(begin));
            continue;
        }
        std::size_t low = end;
        std::size_t high = end;
        for (std::size_t sample = begin; sample < end; ++sample) {
            if (!std::isfinite(values[sample]))
                continue;
            if (low == end || values[sample] < values[low])
                low = sample;
            if (high == end || values[sample] > values[high])
                high = sample;
        }
        if (low == end)
            continue;
        points.append(point(std::min(low, high)));
        if (low != high)
            points.append(point(std::max(low, high)));
    }
    return points;
}

QVariantMap RegionSeries::range(const QString& figureName) const
{
    const int figure = figureOf(figureName);
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (std::size_t region = 0; figure >= 0 && region < m_setup.regions.size(); ++region) {
        for (float value : column(int(region), figure)) {
            if (std::isfinite(value)) {
                low = std::min(low, double(value));
                high = std::max(high, double(value));
            }
        }
    }
    if (low > high)
        low = high = NaN;
    return { { QStringLiteral("minimum"), low }, { QStringLiteral("maximum"), high } };
}

QString RegionSeries::exportCsv(const QVariant& target) const
{
    const QString path = FrameExporter::localPath(target);
    if (path.isEmpty())
        return tr("Choose a file to save the series to.");
    if (!m_live && (isRunning() || !m_complete))
        return tr("The series is not complete: let its scan run to the end first.");
    if (m_frames.empty())
        return tr("The series holds no values yet.");
    updateRanges();

    // A spot has one value, its mean; other regions every figure.
    const QString unit = m_setup.unitSymbol.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(m_setup.unitSymbol);
    QStringList header { QStringLiteral("frame"), QStringLiteral("time") };
    std::vector<int> columns;
    for (std::size_t region = 0; region < m_setup.regions.size(); ++region) {
        const QString name = m_setup.names.value(int(region));
        if (m_setup.regions[region].kind == RegionKind::Spot) {
            header.append(csvField(name + unit));
            columns.push_back(int(region) * FigureCount + Mean);
            continue;
        }
        for (int figure = 0; figure < FigureCount; ++figure) {
            header.append(csvField(name + QLatin1Char(' ') + figureTitle(figure) + unit));
            columns.push_back(int(region) * FigureCount + figure);
        }
    }
    QByteArray text = header.join(QLatin1Char(',')).toUtf8() + '\n';
    for (std::size_t sample = 0; sample < m_frames.size(); ++sample) {
        QStringList row { QString::number(m_frames[sample]) };
        const double seconds = m_live ? sampleTime(sample) : m_times[sample];
        row.append(qIsFinite(seconds) ? QString::number(seconds, 'f', 3) : QString());
        for (int column : columns)
            row.append(formatUnitValue(double(m_values[std::size_t(column)][sample]), m_setup.unit));
        text += row.join(QLatin1Char(',')).toUtf8() + '\n';
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return tr("The series cannot be saved: %1").arg(file.errorString());
    return {};
}

void RegionSeries::setProgress(double progress)
{
    if (progress == m_progress)
        return;
    m_progress = progress;
    Q_EMIT progressChanged();
}

void RegionSeries::setError(const QString& error)
{
    if (error == m_error)
        return;
    m_error = error;
    Q_EMIT errorChanged();
}

void RegionSeries::setStale(bool stale)
{
    if (stale == m_stale)
        return;
    m_stale = stale;
    Q_EMIT staleChanged();
}

void RegionSeries::scheduleChanged()
{
    if (!m_changedTimer.isActive())
        m_changedTimer.start();
}

} // namespace zelkir
