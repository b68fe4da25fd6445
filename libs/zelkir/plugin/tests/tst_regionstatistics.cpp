#include "regionstatistics.h"
#include "unitformat.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using zelkir::DocumentModel;
using zelkir::Frame;
using zelkir::RegionGeometry;
using zelkir::RegionKind;
using zelkir::RegionStatistics;
using zelkir::UnitTable;

Q_DECLARE_METATYPE(RegionKind)

namespace {

constexpr int width = 40;
constexpr int height = 30;
const double noValue = std::nan("");

/// The display unit of the tests: linear in the physical value, none above 60000.
double displayValue(double physical)
{
    return physical > 60000.0 * 0.5 + 100.0 ? noValue : 0.001 * physical - 7.0;
}

/// Counts spread over the table's range (some beyond its values) with a few pixels without
/// a value.
Frame makeFrame()
{
    QRandomGenerator random(11);
    Frame frame;
    frame.width = width;
    frame.height = height;
    frame.scale.offset = 100.0;
    frame.scale.scale = 0.5;
    frame.counts.resize(width * height);
    frame.noValue.assign(width * height, 0);
    for (std::size_t i = 0; i < frame.counts.size(); ++i) {
        frame.counts[i] = quint16(random.bounded(65536));
        if (random.bounded(17) == 0)
            frame.noValue[i] = 1;
    }
    return frame;
}

double pixelValue(const Frame& frame, int x, int y)
{
    if (x < 0 || y < 0 || x >= frame.width || y >= frame.height || !frame.hasValue(x, y))
        return noValue;
    return double(float(displayValue(frame.scale.toPhysical(frame.at(x, y)))));
}

bool centreInside(RegionKind kind, const QRectF& rect, int x, int y)
{
    const QPointF centre(x + 0.5, y + 0.5);
    if (kind == RegionKind::Box)
        return rect.left() <= centre.x() && centre.x() <= rect.right() && rect.top() <= centre.y()
            && centre.y() <= rect.bottom();
    const double a = rect.width() / 2;
    const double b = rect.height() / 2;
    if (a <= 0 || b <= 0)
        return false;
    const double u = (centre.x() - rect.center().x()) / a;
    const double v = (centre.y() - rect.center().y()) / b;
    return u * u + v * v <= 1.0;
}

/// Two passes over every pixel of the image, by the definitions.
RegionStatistics bruteForce(const Frame& frame, RegionKind kind, const QRectF& rect)
{
    std::vector<double> values;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const double value = pixelValue(frame, x, y);
            if (centreInside(kind, rect, x, y) && !std::isnan(value))
                values.push_back(value);
        }
    }
    RegionStatistics expected;
    expected.pixels = qint64(values.size());
    if (values.empty())
        return expected;
    double sum = 0;
    expected.minimum = values.front();
    expected.maximum = values.front();
    for (double value : values) {
        sum += value;
        expected.minimum = std::min(expected.minimum, value);
        expected.maximum = std::max(expected.maximum, value);
    }
    expected.mean = sum / values.size();
    double squares = 0;
    for (double value : values)
        squares += (value - expected.mean) * (value - expected.mean);
    expected.deviation = std::sqrt(squares / values.size());
    return expected;
}

bool close(double actual, double expected)
{
    if (std::isnan(expected))
        return std::isnan(actual);
    return std::abs(actual - expected) <= 1e-9 * std::max(1.0, std::abs(expected));
}

} // namespace

class TestRegionStatistics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void area_data();
    void area();
    void line_data();
    void line();
    void spot_data();
    void spot();
    void emptyTable();
    void format_data();
    void format();

private:
    Frame m_frame;
    UnitTable m_table;
};

void TestRegionStatistics::initTestCase()
{
    m_frame = makeFrame();
    m_table.build(m_frame.scale, displayValue);
    QCOMPARE(m_table.isEmpty(), false);
}

void TestRegionStatistics::area_data()
{
    QTest::addColumn<RegionKind>("kind");
    QTest::addColumn<QPointF>("p1");
    QTest::addColumn<QPointF>("p2");

    for (RegionKind kind : { RegionKind::Box, RegionKind::Ellipse }) {
        const char* name = kind == RegionKind::Box ? "box" : "ellipse";
        const auto row = [&](const char* what) -> QTestData& { return QTest::addRow("%s %s", name, what); };
        row("pixel-aligned") << kind << QPointF(2, 3) << QPointF(12, 9);
        row("corners swapped") << kind << QPointF(12, 9) << QPointF(2, 3);
        row("centres on the edge") << kind << QPointF(2.5, 3.5) << QPointF(12.5, 9.5);
        row("fractional") << kind << QPointF(1.37, 4.91) << QPointF(27.13, 21.66);
        row("circle") << kind << QPointF(5, 5) << QPointF(25, 25);
        row("thin") << kind << QPointF(3.2, 10) << QPointF(30.7, 11);
        row("partly outside top left") << kind << QPointF(-7.3, -4.1) << QPointF(9.6, 8.2);
        row("partly outside bottom right") << kind << QPointF(31.4, 22.7) << QPointF(55.5, 41.2);
        row("larger than the image") << kind << QPointF(-20, -20) << QPointF(60, 50);
        row("wholly outside") << kind << QPointF(50, 5) << QPointF(60, 10);
        row("no centre inside") << kind << QPointF(3.6, 3.6) << QPointF(4.4, 4.4);
        row("zero width") << kind << QPointF(4.5, 2) << QPointF(4.5, 9);
    }
}

void TestRegionStatistics::area()
{
    QFETCH(RegionKind, kind);
    QFETCH(QPointF, p1);
    QFETCH(QPointF, p2);
    const RegionStatistics actual = computeRegionStatistics(m_frame, { kind, p1, p2 }, m_table);
    const RegionStatistics expected = bruteForce(m_frame, kind, QRectF(p1, p2).normalized());
    QCOMPARE(actual.pixels, expected.pixels);
    QVERIFY2(close(actual.minimum, expected.minimum), qPrintable(QString::number(actual.minimum)));
    QVERIFY2(close(actual.maximum, expected.maximum), qPrintable(QString::number(actual.maximum)));
    QVERIFY2(close(actual.mean, expected.mean), qPrintable(QString::number(actual.mean - expected.mean)));
    QVERIFY2(close(actual.deviation, expected.deviation),
        qPrintable(QString::number(actual.deviation - expected.deviation)));
    QVERIFY(actual.profile.empty());
}

void TestRegionStatistics::line_data()
{
    QTest::addColumn<QPointF>("p1");
    QTest::addColumn<QPointF>("p2");
    QTest::addColumn<QList<QPoint>>("pixels");

    QTest::newRow("horizontal") << QPointF(0.5, 2.5) << QPointF(5.5, 2.5)
                                << QList<QPoint> { { 0, 2 }, { 1, 2 }, { 2, 2 }, { 3, 2 }, { 4, 2 },
                                       { 5, 2 } };
    QTest::newRow("backwards vertical")
        << QPointF(7.2, 9.9) << QPointF(7.2, 6.9) << QList<QPoint> { { 7, 9 }, { 7, 8 }, { 7, 7 }, { 7, 6 } };
    QTest::newRow("diagonal") << QPointF(1.5, 1.5) << QPointF(4.5, 4.5)
                              << QList<QPoint> { { 1, 1 }, { 2, 2 }, { 3, 3 }, { 4, 4 } };
    QTest::newRow("shallow") << QPointF(0.5, 0.5) << QPointF(4.5, 2.5)
                             << QList<QPoint> { { 0, 0 }, { 1, 1 }, { 2, 1 }, { 3, 2 }, { 4, 2 } };
    QTest::newRow("one point") << QPointF(3.3, 4.4) << QPointF(3.3, 4.4) << QList<QPoint> { { 3, 4 } };
    QTest::newRow("partly outside") << QPointF(-2.5, 1.5) << QPointF(1.5, 1.5)
                                    << QList<QPoint> { { -3, 1 }, { -2, 1 }, { -1, 1 }, { 0, 1 }, { 1, 1 } };
    QTest::newRow("off the bottom") << QPointF(38.5, 28.5) << QPointF(40.5, 30.5)
                                    << QList<QPoint> { { 38, 28 }, { 39, 29 }, { 40, 30 } };
}

void TestRegionStatistics::line()
{
    QFETCH(QPointF, p1);
    QFETCH(QPointF, p2);
    QFETCH(QList<QPoint>, pixels);
    const RegionStatistics actual = computeRegionStatistics(m_frame, { RegionKind::Line, p1, p2 }, m_table);
    QCOMPARE(actual.profile.size(), std::size_t(pixels.size()));
    std::vector<double> values;
    for (int i = 0; i < pixels.size(); ++i) {
        const double expected = pixelValue(m_frame, pixels[i].x(), pixels[i].y());
        QVERIFY2(close(actual.profile[i], expected), qPrintable(QString::number(i)));
        if (!std::isnan(expected))
            values.push_back(expected);
    }
    QCOMPARE(actual.pixels, qint64(values.size()));
    if (!values.empty()) {
        QCOMPARE(actual.minimum, *std::min_element(values.begin(), values.end()));
        QCOMPARE(actual.maximum, *std::max_element(values.begin(), values.end()));
    }
}

void TestRegionStatistics::spot_data()
{
    QTest::addColumn<QPointF>("p1");
    QTest::addColumn<QPoint>("pixel");

    QTest::newRow("inside") << QPointF(6.99, 3.0) << QPoint(6, 3);
    QTest::newRow("last pixel") << QPointF(39.5, 29.5) << QPoint(39, 29);
    QTest::newRow("right of the image") << QPointF(40.0, 3.0) << QPoint(40, 3);
    QTest::newRow("above the image") << QPointF(3.0, -0.01) << QPoint(3, -1);
    QTest::newRow("huge") << QPointF(1e300, 3.0) << QPoint(-1, -1);
    QTest::newRow("not a number") << QPointF(noValue, 3.0) << QPoint(-1, -1);
}

void TestRegionStatistics::spot()
{
    QFETCH(QPointF, p1);
    QFETCH(QPoint, pixel);
    const RegionStatistics actual = computeRegionStatistics(m_frame, { RegionKind::Spot, p1, p1 }, m_table);
    const double expected = pixelValue(m_frame, pixel.x(), pixel.y());
    QCOMPARE(actual.pixels, std::isnan(expected) ? 0 : 1);
    QVERIFY(close(actual.mean, expected));
    QVERIFY(close(actual.minimum, expected));
    QVERIFY(close(actual.deviation, std::isnan(expected) ? noValue : 0.0));
}

void TestRegionStatistics::emptyTable()
{
    const RegionStatistics actual
        = computeRegionStatistics(m_frame, { RegionKind::Box, QPointF(0, 0), QPointF(10, 10) }, UnitTable());
    QCOMPARE(actual.pixels, 0);
    QVERIFY(std::isnan(actual.mean));
}

void TestRegionStatistics::format_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<DocumentModel::Unit>("unit");
    QTest::addColumn<QString>("text");

    QTest::newRow("radiance") << 1.23456e-4 << DocumentModel::RADIANCE_FACTORY << "1.2346e-4";
    QTest::newRow("radiance large") << 2000.0 << DocumentModel::RADIANCE_USER << "2.0000e+3";
    QTest::newRow("radiance exponent 12") << -3.5e-12 << DocumentModel::RADIANCE_USER << "-3.5000e-12";
    QTest::newRow("radiance zero") << 0.0 << DocumentModel::RADIANCE_FACTORY << "0.0000e+0";
    QTest::newRow("temperature") << 23.456 << DocumentModel::TEMPERATURE_FACTORY << "23.46";
    QTest::newRow("temperature negative") << -40.0 << DocumentModel::TEMPERATURE_USER << "-40.00";
    QTest::newRow("counts") << 1234.6 << DocumentModel::COUNTS << "1235";
    QTest::newRow("no value") << noValue << DocumentModel::TEMPERATURE_USER << "";
    QTest::newRow("infinite") << HUGE_VAL << DocumentModel::COUNTS << "";
}

void TestRegionStatistics::format()
{
    QFETCH(double, value);
    QFETCH(DocumentModel::Unit, unit);
    QFETCH(QString, text);
    QCOMPARE(zelkir::formatUnitValue(value, unit), text);
}

QTEST_GUILESS_MAIN(TestRegionStatistics)
#include "tst_regionstatistics.moc"
