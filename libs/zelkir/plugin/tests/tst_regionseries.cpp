#include "fakesource.h"
#include "fileplayer.h"
#include "manualclock.h"
#include "regionlistmodel.h"
#include "regionseries.h"
#include "support/fitstestwriter.h"

#include <zelkir/io/calibration.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using zelkir::Calibration;
using zelkir::DocumentModel;
using zelkir::RegionGeometry;
using zelkir::RegionKind;
using zelkir::RegionSeries;
using zelkir::RegionSeriesSetup;
using zelkir::RegionStatistics;

namespace {

constexpr int Width = 12;
constexpr int Height = 8;
constexpr int Frames = 6;
constexpr double FirstTime = 10.0;
constexpr double FrameStep = 0.5;
constexpr int Blank = -1;

zelkir::CalibrationParameters calibrationParameters()
{
    zelkir::CalibrationParameters parameters;
    parameters.radiance = zelkir::LinearStep { 0.01, 2.0 };
    parameters.planck = zelkir::PlanckCurve { 5685.76, 1404.0, 1.0, 1.63 };
    return parameters;
}

/// The stored value of a pixel (y from the top); one pixel of frame 2 has none.
int storedValue(int x, int y, int frame)
{
    if (frame == 2 && x == 3 && y == 2)
        return Blank;
    return 1000 + 37 * x + 91 * y + 53 * frame + ((x * y + frame) % 7) * 11;
}

FitsTestCube movieCube()
{
    FitsTestCube cube;
    cube.bitpix = 16;
    cube.axes = { Width, Height, Frames };
    cube.stored.resize(std::size_t(Width * Height * Frames));
    for (int frame = 0; frame < Frames; ++frame) {
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x)
                cube.stored[fitsElement(cube, x, y, frame)] = storedValue(x, y, frame);
        }
        cube.times.push_back(FirstTime + FrameStep * frame);
    }
    const zelkir::CalibrationParameters parameters = calibrationParameters();
    cube.cards = { { "BLANK", Blank }, { "RADGAIN", parameters.radiance->gain },
        { "RADOFFS", parameters.radiance->offset }, { "PLANCK_R", parameters.planck->r },
        { "PLANCK_B", parameters.planck->b }, { "PLANCK_F", parameters.planck->f },
        { "PLANCK_O", parameters.planck->o } };
    return cube;
}

double celsius(double physical)
{
    return Calibration(calibrationParameters())
        .convert(physical, zelkir::Unit::TemperatureFactory, zelkir::TemperatureScale::Celsius);
}

/// Figures of the pixels x0..x1-1, y0..y1-1 of a frame, the long way.
RegionStatistics expectedFigures(int frame, int x0, int y0, int x1, int y1)
{
    std::vector<double> values;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (storedValue(x, y, frame) != Blank)
                values.push_back(celsius(storedValue(x, y, frame)));
        }
    }
    RegionStatistics figures;
    figures.pixels = qint64(values.size());
    figures.minimum = *std::min_element(values.begin(), values.end());
    figures.maximum = *std::max_element(values.begin(), values.end());
    double sum = 0.0;
    for (double value : values)
        sum += value;
    figures.mean = sum / double(values.size());
    double squares = 0.0;
    for (double value : values)
        squares += (value - figures.mean) * (value - figures.mean);
    figures.deviation = std::sqrt(squares / double(values.size()));
    return figures;
}

/// A box over pixels 2..5 x 1..3 and a spot on pixel (7, 5), in degrees Celsius.
RegionSeries::SetupProvider provider(const QString& path, int first, int last, zelkir::SourceOpener opener = {})
{
    return [=](QString*) {
        RegionSeriesSetup setup;
        setup.path = path;
        setup.first = first;
        setup.last = last;
        setup.opener = opener;
        setup.regions = { RegionGeometry { RegionKind::Box, { 6.0, 4.0 }, { 2.0, 1.0 } },
            RegionGeometry { RegionKind::Spot, { 7.3, 5.6 }, {} } };
        setup.names = { QStringLiteral("Box 1"), QStringLiteral("Spot 1") };
        const Calibration calibration(calibrationParameters());
        setup.convert = [calibration](double physical, int preset) {
            return calibration.convert(
                physical, zelkir::Unit::TemperatureFactory, zelkir::TemperatureScale::Celsius, preset);
        };
        setup.unit = DocumentModel::TEMPERATURE_FACTORY;
        setup.unitSymbol = QStringLiteral("\u00B0C");
        return std::optional<RegionSeriesSetup>(setup);
    };
}

bool scanToEnd(RegionSeries& series)
{
    QSignalSpy running(&series, &RegionSeries::runningChanged);
    if (!series.start().isEmpty())
        return false;
    return series.isRunning() && running.wait(5000) && !series.isRunning();
}

} // namespace

class TestRegionSeries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void scanMatchesIndependentFigures();
    void csvHoldsOneRowPerFrame();
    void unreadableFileGivesError();
    void stoppingNeverWaits_data();
    void stoppingNeverWaits();
    void cameraHistoryKeepsRecentSeconds();
    void documentSeriesFollowsItsRegionsAndUnit();

private:
    QTemporaryDir m_dir;
    QString m_movie;
};

void TestRegionSeries::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_movie = m_dir.filePath(QStringLiteral("movie.fits"));
    QString error;
    QVERIFY2(writeFitsTestFile(m_movie, movieCube(), &error), qPrintable(error));
}

void TestRegionSeries::scanMatchesIndependentFigures()
{
    // Frames 1..4: the bounds, not the whole file.
    RegionSeries series(provider(m_movie, 1, 4), false);
    QSignalSpy changed(&series, &RegionSeries::changed);
    QVERIFY(scanToEnd(series));
    QVERIFY2(series.error().isEmpty(), qPrintable(series.error()));
    QVERIFY(series.isComplete());
    QCOMPARE(series.progress(), 1.0);
    QCOMPARE(series.sampleCount(), 4);
    QVERIFY(changed.wait(5000));

    const char* figures[] = { "minimum", "maximum", "mean", "deviation" };
    double low = INFINITY;
    double high = -INFINITY;
    for (int figure = 0; figure < 4; ++figure) {
        const QVariantList box = series.points(0, QLatin1String(figures[figure]));
        QCOMPARE(box.size(), 4);
        for (int sample = 0; sample < 4; ++sample) {
            const RegionStatistics expected = expectedFigures(sample + 1, 2, 1, 6, 4);
            const double values[] = { expected.minimum, expected.maximum, expected.mean, expected.deviation };
            const QVariantMap point = box[sample].toMap();
            QCOMPARE(point.value(QStringLiteral("t")).toDouble(), FrameStep * sample);
            QVERIFY2(std::abs(point.value(QStringLiteral("v")).toDouble() - values[figure]) < 1e-3,
                qPrintable(QStringLiteral("%1 of frame %2").arg(figures[figure]).arg(sample + 1)));
            if (figure < 3) {
                low = std::min(low, values[figure]);
                high = std::max(high, values[figure]);
            }
        }
    }
    const QVariantList spot = series.points(1, QStringLiteral("mean"));
    QCOMPARE(spot.size(), 4);
    for (int sample = 0; sample < 4; ++sample) {
        const double expected = celsius(storedValue(7, 5, sample + 1));
        QVERIFY(std::abs(spot[sample].toMap().value(QStringLiteral("v")).toDouble() - expected) < 1e-3);
        low = std::min(low, expected);
        high = std::max(high, expected);
    }
    QCOMPARE(series.timeMinimum(), 0.0);
    QCOMPARE(series.timeMaximum(), 3 * FrameStep);
    QVERIFY(!series.timeInFrames());
    QVERIFY(std::abs(series.valueMinimum() - low) < 1e-3);
    QVERIFY(std::abs(series.valueMaximum() - high) < 1e-3);
    QVERIFY(series.points(2, QStringLiteral("mean")).isEmpty());
    QVERIFY(series.points(0, QStringLiteral("median")).isEmpty());

    // The regions or unit changing leaves the figures, marked; a new scan is current.
    series.invalidate();
    QVERIFY(series.isStale());
    QCOMPARE(series.sampleCount(), 4);
    QVERIFY(scanToEnd(series));
    QVERIFY(!series.isStale());
}

void TestRegionSeries::csvHoldsOneRowPerFrame()
{
    RegionSeries series(provider(m_movie, 0, Frames - 1), false);
    const QString path = m_dir.filePath(QStringLiteral("series.csv"));
    QVERIFY(!series.exportCsv(path).isEmpty());
    QVERIFY(!QFile::exists(path));
    QVERIFY(scanToEnd(series));
    QCOMPARE(series.exportCsv(QUrl::fromLocalFile(path)), QString());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), Frames + 1);
    QCOMPARE(lines[0],
        QStringLiteral("frame,time,Box 1 Min [\u00B0C],Box 1 Max [\u00B0C],Box 1 Mean [\u00B0C],"
                       "Box 1 Std Dev [\u00B0C],Spot 1 [\u00B0C]"));
    for (int frame = 0; frame < Frames; ++frame) {
        const QStringList fields = lines[frame + 1].split(QLatin1Char(','));
        QCOMPARE(fields.size(), 7);
        QCOMPARE(fields[0], QString::number(frame));
        QCOMPARE(fields[1], QString::number(FrameStep * frame, 'f', 3));
        const RegionStatistics box = expectedFigures(frame, 2, 1, 6, 4);
        const double expected[] = { box.minimum, box.maximum, box.mean, box.deviation,
            celsius(storedValue(7, 5, frame)) };
        for (int column = 0; column < 5; ++column) {
            // Two decimals, as the spot meter shows temperatures.
            QCOMPARE(fields[column + 2].section(QLatin1Char('.'), 1).size(), 2);
            QVERIFY(std::abs(fields[column + 2].toDouble() - expected[column]) <= 0.0051);
        }
    }
}

void TestRegionSeries::unreadableFileGivesError()
{
    RegionSeries series(provider(m_dir.filePath(QStringLiteral("missing.fits")), 0, 3), false);
    QVERIFY(scanToEnd(series));
    QVERIFY(!series.error().isEmpty());
    QVERIFY(!series.isComplete());
    QCOMPARE(series.sampleCount(), 0);

    RegionSeries none([](QString* error) {
        *error = QStringLiteral("No file.");
        return std::optional<RegionSeriesSetup>();
    }, false);
    QCOMPARE(none.start(), QStringLiteral("No file."));
    QVERIFY(!none.isRunning());
}

void TestRegionSeries::stoppingNeverWaits_data()
{
    QTest::addColumn<bool>("destroy");
    QTest::newRow("cancel") << false;
    QTest::newRow("destruction") << true;
}

void TestRegionSeries::stoppingNeverWaits()
{
    QFETCH(bool, destroy);
    auto control = std::make_shared<FakeSourceControl>();
    control->hold();
    auto series = std::make_unique<RegionSeries>(provider(QString(), 0, 49, fakeSourceOpener(control, 50)), false);
    QSignalSpy changed(series.get(), &RegionSeries::changed);
    QCOMPARE(series->start(), QString());
    QVERIFY(control->waitForBlocked(5000));
    if (destroy) {
        series.reset();
    } else {
        series->cancel();
        QVERIFY(!series->isRunning());
        QVERIFY(!series->isComplete());
    }
    QVERIFY(!control->destroyed);
    // The scan ends on its own, reading nothing more and telling nobody.
    control->release();
    QVERIFY(control->waitForDestroyed(5000));
    QCOMPARE(control->reads.load(), 0);
    QCoreApplication::processEvents();
    if (!destroy) {
        QCOMPARE(series->sampleCount(), 0);
        QVERIFY(series->exportCsv(m_dir.filePath(QStringLiteral("cancelled.csv"))).size() > 0);
        series.reset();
    }
    QTRY_COMPARE_WITH_TIMEOUT(control.use_count(), 1L, 5000);
}

void TestRegionSeries::cameraHistoryKeepsRecentSeconds()
{
    int regions = 2;
    RegionSeries series(
        [&regions](QString*) {
            RegionSeriesSetup setup;
            for (int region = 0; region < regions; ++region) {
                setup.regions.push_back(RegionGeometry { RegionKind::Box, { 0, 0 }, { 2, 2 } });
                setup.names.append(QStringLiteral("Box %1").arg(region + 1));
            }
            setup.unit = DocumentModel::COUNTS;
            return std::optional<RegionSeriesSetup>(setup);
        },
        true);
    QVERIFY(!series.start().isEmpty());
    const auto statistics = [](int count, double value) {
        RegionStatistics figures;
        figures.pixels = 4;
        figures.minimum = value - 1.0;
        figures.maximum = value + 1.0;
        figures.mean = value;
        figures.deviation = 0.5;
        return std::vector<RegionStatistics>(std::size_t(count), figures);
    };
    // Two minutes at a frame a second, on a clock that does not start at zero.
    for (int frame = 0; frame <= 120; ++frame)
        series.appendLive(frame, 500.0 + frame, statistics(2, frame));
    QCOMPARE(series.sampleCount(), 61);
    QCOMPARE(series.timeMinimum(), 0.0);
    QCOMPARE(series.timeMaximum(), 60.0);
    QCOMPARE(series.valueMinimum(), 59.0);
    QCOMPARE(series.valueMaximum(), 121.0);
    QCOMPARE(series.points(1, QStringLiteral("mean")).first().toMap().value(QStringLiteral("v")).toDouble(), 60.0);
    // Thinned for a plot: each stretch's extremes, so the ends stay.
    const QVariantList thin = series.points(0, QStringLiteral("mean"), 10);
    QVERIFY(thin.size() > 5 && thin.size() <= 10);
    QCOMPARE(thin.first().toMap().value(QStringLiteral("v")).toDouble(), 60.0);
    QCOMPARE(thin.last().toMap().value(QStringLiteral("v")).toDouble(), 120.0);
    QCOMPARE(thin.last().toMap().value(QStringLiteral("t")).toDouble(), 60.0);
    QCOMPARE(series.exportCsv(m_dir.filePath(QStringLiteral("live.csv"))), QString());

    series.setHistorySeconds(10.0);
    QCOMPARE(series.sampleCount(), 11);

    // New regions: the history starts afresh, and frames that do not match them are left out.
    regions = 3;
    series.invalidate();
    QCOMPARE(series.sampleCount(), 0);
    series.appendLive(121, 621.0, statistics(2, 1.0));
    QCOMPARE(series.sampleCount(), 0);
    series.appendLive(122, 622.0, statistics(3, 1.0));
    QCOMPARE(series.sampleCount(), 1);
    QCOMPARE(series.regionNames().size(), 3);
}

void TestRegionSeries::documentSeriesFollowsItsRegionsAndUnit()
{
    DocumentModel document(new zelkir::FilePlayer(m_movie, new ManualClock), nullptr);
    QSignalSpy image(&document, &DocumentModel::imageChanged);
    QVERIFY(image.wait(5000));
    RegionSeries* series = document.regionSeries();
    QVERIFY(!series->isLive());
    QVERIFY(!series->start().isEmpty());
    bool chosen = false;
    for (int index = 0; index < document.availableUnitStrings().size() && !chosen; ++index) {
        document.setUnitIndex(index);
        chosen = document.unit() == DocumentModel::TEMPERATURE_FACTORY;
    }
    QVERIFY(chosen);
    QCOMPARE(document.regions()->add(QStringLiteral("box"), 2, 1, 6, 4), 0);

    QVERIFY(scanToEnd(*series));
    QCOMPARE(series->sampleCount(), Frames);
    QCOMPARE(series->regionNames(), QStringList { QStringLiteral("Box 1") });
    const auto firstMean = [series] {
        return series->points(0, QStringLiteral("mean")).first().toMap().value(QStringLiteral("v")).toDouble();
    };
    // The document shows frame 0: the series agrees with its own figures.
    QVERIFY(std::abs(firstMean() - expectedFigures(0, 2, 1, 6, 4).mean) < 1e-3);
    QVERIFY(std::abs(firstMean() - document.regions()->statistics(0).value(QStringLiteral("mean")).toDouble()) < 1e-3);

    document.setTempTypeIndex(2);
    QVERIFY(series->isStale());
    QVERIFY(scanToEnd(*series));
    QVERIFY(!series->isStale());
    QVERIFY(std::abs(firstMean() - (expectedFigures(0, 2, 1, 6, 4).mean + 273.15)) < 1e-3);

    QVERIFY(document.regions()->add(QStringLiteral("spot"), 7.5, 5.5, 7.5, 5.5) >= 0);
    QVERIFY(series->isStale());
}

QTEST_GUILESS_MAIN(TestRegionSeries)
#include "tst_regionseries.moc"
