#include "imagecounts.h"
#include "widecountmapper.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace zelkir;

class TestCountMapping : public QObject
{
    Q_OBJECT

private slots:
    void wideValues_data();
    void wideValues();
    void extremeRangesStayFinite_data();
    void extremeRangesStayFinite();
    void declaredRangeClamps();
    void luma_data();
    void luma();
    void greyKeepsItsValues();
};

void TestCountMapping::wideValues_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QList<int>>("counts");
    QTest::addColumn<QList<int>>("noValue");
    const double nan = std::nan("");
    const double inf = HUGE_VAL;
    const QList<int> allValued;
    QTest::newRow("counts stay counts")
        << QList<double> { 0, 7, 16383 } << 0.0 << 1.0 << QList<int> { 0, 7, 16383 } << allValued;
    QTest::newRow("shifted span") << QList<double> { 100000, 100001, 165535 } << 100000.0 << 1.0
                                  << QList<int> { 0, 1, 65535 } << allValued;
    QTest::newRow("negative whole numbers")
        << QList<double> { -5, 0, 5 } << -5.0 << 1.0 << QList<int> { 0, 5, 10 } << allValued;
    QTest::newRow("spread") << QList<double> { -1.0, 0.5, 1.0 } << -1.0 << 2.0 / 65535
                            << QList<int> { 0, 49151, 65535 } << allValued;
    QTest::newRow("wide integers") << QList<double> { 0, 131070, 65535 } << 0.0 << 2.0
                                   << QList<int> { 0, 65535, 32768 } << allValued;
    const double least = std::numeric_limits<double>::denorm_min();
    QTest::newRow("denormal steps") << QList<double> { least, 1000 * least } << least << least
                                    << QList<int> { 0, 999 } << allValued;
    QTest::newRow("flat") << QList<double> { 2.5, 2.5 } << 2.5 << 1.0 << QList<int> { 0, 0 } << allValued;
    // Pixels without a value get the mean count of the others.
    QTest::newRow("NaN has no value") << QList<double> { nan, 10.5, 20.5 } << 10.5 << 10.0 / 65535
                                      << QList<int> { 32768, 0, 65535 } << QList<int> { 1, 0, 0 };
    QTest::newRow("infinities have no value")
        << QList<double> { 4, inf, 8, -inf } << 0.0 << 1.0 << QList<int> { 4, 6, 8, 6 }
        << QList<int> { 0, 1, 0, 1 };
    QTest::newRow("all NaN") << QList<double> { nan, nan } << 0.0 << 1.0 << QList<int> { 0, 0 }
                             << QList<int> { 1, 1 };
}

void TestCountMapping::wideValues()
{
    QFETCH(QList<double>, values);
    QFETCH(double, offset);
    QFETCH(double, scale);
    QFETCH(QList<int>, counts);
    QFETCH(QList<int>, noValue);
    std::vector<double> input(values.begin(), values.end());
    std::vector<quint16> output(input.size());
    std::vector<quint8> mask { 1 }; // stale: must be replaced
    const CountScale got = mapWideValues(input.data(), input.size(), std::nullopt, output.data(), mask);
    QCOMPARE(got.offset, offset);
    QVERIFY(std::abs(got.scale - scale) <= 1e-12 * scale);
    QCOMPARE(QList<int>(output.begin(), output.end()), counts);
    QCOMPARE(QList<int>(mask.begin(), mask.end()), noValue);
}

void TestCountMapping::extremeRangesStayFinite_data()
{
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    const double most = std::numeric_limits<double>::max();
    const double least = std::numeric_limits<double>::denorm_min();
    QTest::newRow("whole double range") << -most << most;
    QTest::newRow("span beyond the double range") << -1e308 << 1e308;
    QTest::newRow("near the largest") << 0.5 * most << most;
    QTest::newRow("near the most negative") << -most << -0.5 * most;
    QTest::newRow("denormals") << least << 1e-310;
    QTest::newRow("around zero, denormal") << -1e-310 << 1e-310;
}

void TestCountMapping::extremeRangesStayFinite()
{
    QFETCH(double, low);
    QFETCH(double, high);
    const std::vector<double> input { low, low / 2 + high / 2, high };
    std::vector<quint16> output(input.size());
    std::vector<quint8> mask;
    const CountScale scale = mapWideValues(input.data(), input.size(), std::nullopt, output.data(), mask);
    QVERIFY(std::isfinite(scale.offset) && std::isfinite(scale.scale) && scale.scale > 0.0);
    QCOMPARE(output.front(), quint16(0));
    QVERIFY(std::abs(output[1] - 32768) <= 1);
    QCOMPARE(output.back(), quint16(65535));
    QVERIFY(mask.empty());
    for (std::size_t i = 0; i < input.size(); ++i) {
        const double physical = scale.toPhysical(output[i]);
        QVERIFY2(std::isfinite(physical), qPrintable(QString::number(i)));
        QVERIFY2(std::abs(physical / 2 - input[i] / 2) <= scale.scale / 2, qPrintable(QString::number(i)));
        QVERIFY(std::abs(scale.toCount(input[i]) - output[i]) <= 0.5 + 1e-9);
    }
    // The same range declared maps the same way.
    const CountScale declared
        = mapWideValues(input.data(), input.size(), ValueRange { low, high }, output.data(), mask);
    QCOMPARE(declared, scale);
}

void TestCountMapping::declaredRangeClamps()
{
    const std::vector<double> input { -50.0, 0.0, 50.0, 100.0, 150.0 };
    std::vector<quint16> output(input.size());
    std::vector<quint8> mask;
    const CountScale scale
        = mapWideValues(input.data(), input.size(), ValueRange { 0.0, 100.0 }, output.data(), mask);
    QCOMPARE(scale.offset, 0.0);
    QCOMPARE(scale.scale, 1.0);
    QCOMPARE(QList<int>(output.begin(), output.end()), (QList<int> { 0, 0, 50, 100, 150 }));
    const std::vector<double> fractions { -1.0, 0.5, 2.0 };
    const CountScale spread
        = mapWideValues(fractions.data(), fractions.size(), ValueRange { 0.0, 1.0 }, output.data(), mask);
    QCOMPARE(spread.offset, 0.0);
    QCOMPARE(QList<int>(output.begin(), output.begin() + 3), (QList<int> { 0, 32768, 65535 }));
    // An inverted declaration is ignored.
    const CountScale own
        = mapWideValues(fractions.data(), fractions.size(), ValueRange { 1.0, 0.0 }, output.data(), mask);
    QCOMPARE(own.offset, -1.0);
}

void TestCountMapping::luma_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("count");
    QTest::newRow("white") << QColor(255, 255, 255) << 255;
    QTest::newRow("black") << QColor(0, 0, 0) << 0;
    QTest::newRow("red") << QColor(255, 0, 0) << 76;
    QTest::newRow("green") << QColor(0, 255, 0) << 150;
    QTest::newRow("blue") << QColor(0, 0, 255) << 29;
    QTest::newRow("grey") << QColor(77, 77, 77) << 77;
    QTest::newRow("mixed") << QColor(10, 200, 30) << 124;
}

void TestCountMapping::luma()
{
    QFETCH(QColor, colour);
    QFETCH(int, count);
    for (QImage::Format format :
        { QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888, QImage::Format_RGB16 }) {
        QImage image(1, 1, format);
        image.setPixelColor(0, 0, colour);
        std::vector<quint16> counts;
        QCOMPARE(ImageCounts::convert(image, counts), 8);
        // RGB16 keeps fewer bits of each channel: the luma of what it holds.
        const QColor held = image.pixelColor(0, 0);
        const int expected = format == QImage::Format_RGB16
            ? int(std::lround(0.299 * held.red() + 0.587 * held.green() + 0.114 * held.blue()))
            : count;
        QCOMPARE(int(counts.at(0)), expected);
    }
}

void TestCountMapping::greyKeepsItsValues()
{
    QImage grey16(3, 2, QImage::Format_Grayscale16);
    QImage indexed(3, 2, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(qRgb(i, i, i));
    indexed.setColorTable(table);
    for (int i = 0; i < 6; ++i) {
        reinterpret_cast<quint16*>(grey16.scanLine(i / 3))[i % 3] = quint16(i * 13000 + 1);
        indexed.scanLine(i / 3)[i % 3] = uchar(i * 50);
    }
    std::vector<quint16> counts;
    QCOMPARE(ImageCounts::convert(grey16, counts), 16);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(int(counts[std::size_t(i)]), i * 13000 + 1);
    QCOMPARE(ImageCounts::convert(indexed, counts), 8);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(int(counts[std::size_t(i)]), i * 50);
}

QTEST_GUILESS_MAIN(TestCountMapping)
#include "tst_countmapping.moc"
