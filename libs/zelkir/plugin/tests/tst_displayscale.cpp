// The document's display scale: locking and typing the span, the isotherm band, and the
// colour bar and histogram figures, in the units of a calibrated file.
#include "documentmodel.h"
#include "fileplayer.h"
#include "manualclock.h"
#include "support/fitstestwriter.h"
#include "unitchoice.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using zelkir::DocumentModel;

namespace {

constexpr double RadGain = 0.01;
constexpr double RadOffset = 2.0;
constexpr double PlanckR = 5685.76;
constexpr double PlanckB = 1404.0;
constexpr double PlanckF = 1.0;
constexpr double PlanckO = 1.63;
constexpr int Width = 4;
constexpr int Height = 3;

// Pixel i (row by row from the top) holds 1000 + 250 i.
double physicalAt(int x, int y)
{
    return 1000.0 + 250.0 * (y * Width + x);
}

double celsius(double physical)
{
    const double radiance = RadOffset + RadGain * physical;
    return PlanckB / std::log(PlanckR / (radiance - PlanckO) + PlanckF) - 273.15;
}

double physicalOfCelsius(double value)
{
    const double radiance = PlanckR / (std::exp(PlanckB / (value + 273.15)) - PlanckF) + PlanckO;
    return (radiance - RadOffset) / RadGain;
}

FitsTestCube calibratedCube()
{
    FitsTestCube cube;
    cube.bitpix = 16;
    cube.axes = { Width, Height };
    cube.stored.resize(Width * Height);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x)
            cube.stored[fitsElement(cube, x, y, 0)] = physicalAt(x, y);
    }
    cube.cards = { { "RADGAIN", RadGain }, { "RADOFFS", RadOffset }, { "PLANCK_R", PlanckR },
        { "PLANCK_B", PlanckB }, { "PLANCK_F", PlanckF }, { "PLANCK_O", PlanckO } };
    return cube;
}

bool near(double actual, double expected, double tolerance = 1e-6)
{
    return std::abs(actual - expected) <= tolerance * std::max(1.0, std::abs(expected));
}

} // namespace

class TestDisplayScale : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void lockAndTypeTheSpan();
    void refusedSpans_data();
    void refusedSpans();
    void isothermBand();
    void colourBarAndHistogram();

private:
    /// Waits for the image rendered with the settings of the moment.
    bool rendered();
    QRgb pixel(int x, int y) const { return m_document->image().pixel(x, y); }

    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<DocumentModel> m_document;
};

void TestDisplayScale::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("calibrated.fits"));
    QString error;
    QVERIFY2(writeFitsTestFile(m_path, calibratedCube(), &error), qPrintable(error));
}

void TestDisplayScale::init()
{
    m_document = std::make_unique<DocumentModel>(new zelkir::FilePlayer(m_path, new ManualClock), nullptr);
    QVERIFY(rendered());
    QCOMPARE(m_document->status(), DocumentModel::Ready);
    QVERIFY(selectUnit(*m_document, DocumentModel::TEMPERATURE_FACTORY));
    QCOMPARE(m_document->tempTypeIndex(), 0);
}

void TestDisplayScale::cleanup()
{
    m_document.reset();
}

bool TestDisplayScale::rendered()
{
    QSignalSpy image(m_document.get(), &DocumentModel::imageChanged);
    return image.wait(5000);
}

void TestDisplayScale::lockAndTypeTheSpan()
{
    // Unlocked, the span is the linear mode's: the whole scene.
    QVERIFY(!m_document->spanLocked());
    QVERIFY(near(m_document->spanMinimum(), celsius(1000)));
    QVERIFY(near(m_document->spanMaximum(), celsius(3750)));
    QSignalSpy locked(m_document.get(), &DocumentModel::spanLockedChanged);
    m_document->setSpanLocked(true);
    QCOMPARE(locked.count(), 1);
    QVERIFY(m_document->spanLocked());
    QVERIFY(near(m_document->spanMinimum(), celsius(1000)));

    QVERIFY(m_document->setSpan(-40, 0));
    QCOMPARE(locked.count(), 1);
    QVERIFY(rendered());
    QVERIFY(near(m_document->spanMinimum(), -40));
    QVERIFY(near(m_document->spanMaximum(), 0));
    QVERIFY(near(m_document->displayMinimum(), -40));
    const QVariantList ticks = m_document->colorBarTicks();
    QCOMPARE(ticks.size(), 9);
    QCOMPARE(ticks.first().toMap().value("text").toString(), QStringLiteral("-40.00"));
    QCOMPARE(ticks.last().toMap().value("text").toString(), QStringLiteral("0.00"));
    // Grey ramp: at or below -40 C black, at or above 0 C white, between a level between.
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const double value = celsius(physicalAt(x, y));
            const QRgb colour = pixel(x, y);
            QCOMPARE(colour == black, value <= -40);
            QCOMPARE(colour == white, value >= 0);
        }
    }

    // Other units show the same span.
    m_document->setTempTypeIndex(2);
    QVERIFY(near(m_document->spanMinimum(), 233.15));
    QVERIFY(selectUnit(*m_document, DocumentModel::COUNTS));
    QVERIFY(near(m_document->spanMinimum(), physicalOfCelsius(-40)));
    QVERIFY(near(m_document->spanMaximum(), physicalOfCelsius(0)));
    QVERIFY(m_document->spanLocked());

    m_document->setSpanLocked(false);
    QCOMPARE(locked.count(), 2);
    QVERIFY(rendered());
    QCOMPARE(m_document->spanMinimum(), 1000.0);
    QCOMPARE(m_document->spanMaximum(), 3750.0);
    QCOMPARE(pixel(0, 0), black);
}

void TestDisplayScale::refusedSpans_data()
{
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::newRow("not a number") << std::nan("") << 0.0;
    QTest::newRow("infinite") << -40.0 << HUGE_VAL;
    QTest::newRow("reversed") << 0.0 << -40.0;
    QTest::newRow("one value") << 0.0 << 0.0;
    QTest::newRow("below absolute zero") << -300.0 << 0.0;
    // The 16-bit file's highest count is near 209 C.
    QTest::newRow("beyond the source") << -40.0 << 5000.0;
}

void TestDisplayScale::refusedSpans()
{
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    const double before = m_document->spanMinimum();
    QSignalSpy locked(m_document.get(), &DocumentModel::spanLockedChanged);
    QVERIFY(!m_document->setSpan(minimum, maximum));
    QVERIFY(!m_document->spanLocked());
    QCOMPARE(locked.count(), 0);
    QCOMPARE(m_document->spanMinimum(), before);
}

void TestDisplayScale::isothermBand()
{
    QVERIFY(!m_document->isothermEnabled());
    QVERIFY(qIsNaN(m_document->isothermMinimum()));
    QSignalSpy changed(m_document.get(), &DocumentModel::isothermChanged);
    m_document->setIsothermEnabled(true);
    QCOMPARE(changed.count(), 1);
    // The upper tenth of the span shown: 3475 to 3750.
    QVERIFY(near(m_document->isothermMinimum(), celsius(3475)));
    QVERIFY(near(m_document->isothermMaximum(), celsius(3750)));
    QVERIFY(rendered());
    const QRgb isotherm = m_document->isothermColor().rgb();
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x)
            QCOMPARE(pixel(x, y) == isotherm, physicalAt(x, y) >= 3475);
    }

    m_document->setTempTypeIndex(2);
    QVERIFY(near(m_document->isothermMinimum(), celsius(3475) + 273.15));
    QVERIFY(m_document->setIsothermBand(celsius(900) + 273.15, celsius(1300) + 273.15));
    QVERIFY(rendered());
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x)
            QCOMPARE(pixel(x, y) == isotherm, physicalAt(x, y) <= 1250);
    }
    // One end written past the other takes it along; refused values change nothing.
    m_document->setIsothermMinimum(celsius(2000) + 273.15);
    QVERIFY(near(m_document->isothermMaximum(), celsius(2000) + 273.15));
    QVERIFY(!m_document->setIsothermBand(0, 10));
    QVERIFY(near(m_document->isothermMinimum(), celsius(2000) + 273.15));

    m_document->setIsothermEnabled(false);
    QVERIFY(rendered());
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x)
            QVERIFY(pixel(x, y) != isotherm);
    }
}

void TestDisplayScale::colourBarAndHistogram()
{
    QSignalSpy scale(m_document.get(), &DocumentModel::displayScaleChanged);
    QVERIFY(selectUnit(*m_document, DocumentModel::COUNTS));
    QCOMPARE(scale.count(), 1);
    const QVariantList ticks = m_document->colorBarTicks();
    QCOMPARE(ticks.size(), 9);
    double position = -1;
    double value = -1;
    for (const QVariant& tick : ticks) {
        const QVariantMap map = tick.toMap();
        QVERIFY(map.value("position").toDouble() > position);
        QVERIFY(map.value("value").toDouble() >= value);
        position = map.value("position").toDouble();
        value = map.value("value").toDouble();
        QCOMPARE(map.value("text").toString(), QString::number(value, 'f', 0));
    }
    QCOMPARE(ticks.first().toMap().value("position").toDouble(), 0.0);
    QCOMPARE(ticks.last().toMap().value("position").toDouble(), 1.0);
    QCOMPARE(m_document->displayMinimum(), 1000.0);
    QCOMPARE(m_document->displayMaximum(), 3750.0);

    const QVariantList bins = m_document->histogram();
    QVERIFY(bins.size() > 1 && bins.size() <= 128);
    double pixels = 0;
    double previous = 0;
    for (const QVariant& bin : bins) {
        const QVariantMap map = bin.toMap();
        pixels += map.value("pixels").toDouble();
        QVERIFY(map.value("value").toDouble() > previous);
        previous = map.value("value").toDouble();
    }
    QCOMPARE(pixels, double(Width * Height));
    // Values 250 apart never share a bin.
    QCOMPARE(m_document->histogramMaximumPixels(), 1.0);
    const double binWidth = (3750.0 - 1000.0 + 1) / bins.size();
    QVERIFY(bins.first().toMap().value("value").toDouble() - 1000 < binWidth);
    QVERIFY(3750 - bins.last().toMap().value("value").toDouble() < binWidth);

    // The same figures in another unit.
    scale.clear();
    m_document->setUnitIndex(m_document->availableUnitStrings().indexOf(QStringLiteral("Temperature (factory)")));
    QCOMPARE(m_document->unit(), DocumentModel::TEMPERATURE_FACTORY);
    QCOMPARE(scale.count(), 1);
    QVERIFY(near(m_document->displayMaximum(), celsius(3750)));
    QCOMPARE(m_document->colorBarTicks().last().toMap().value("text").toString(),
        QString::number(celsius(3750), 'f', 2));
}

QTEST_GUILESS_MAIN(TestDisplayScale)
#include "tst_displayscale.moc"
