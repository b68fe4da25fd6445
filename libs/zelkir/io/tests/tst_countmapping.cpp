#include "imagecounts.h"
#include "widecountmapper.h"

#include <QTest>

#include <cmath>

using namespace zelkir;

class TestCountMapping : public QObject
{
    Q_OBJECT

private slots:
    void wideValues_data();
    void wideValues();
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
    const double nan = std::nan("");
    QTest::newRow("counts stay counts")
        << QList<double> { 0, 7, 16383 } << 0.0 << 1.0 << QList<int> { 0, 7, 16383 };
    QTest::newRow("shifted span") << QList<double> { 100000, 100001, 165535 } << 100000.0 << 1.0
                                  << QList<int> { 0, 1, 65535 };
    QTest::newRow("negative whole numbers")
        << QList<double> { -5, 0, 5 } << -5.0 << 1.0 << QList<int> { 0, 5, 10 };
    QTest::newRow("spread") << QList<double> { -1.0, 0.5, 1.0 } << -1.0 << 2.0 / 65535
                            << QList<int> { 0, 49151, 65535 };
    QTest::newRow("wide integers") << QList<double> { 0, 131070, 65535 } << 0.0 << 2.0
                                   << QList<int> { 0, 65535, 32768 };
    QTest::newRow("flat") << QList<double> { 2.5, 2.5 } << 2.5 << 1.0 << QList<int> { 0, 0 };
    QTest::newRow("NaN is zero") << QList<double> { nan, 10.5, 20.5 } << 10.5 << 10.0 / 65535
                                 << QList<int> { 0, 0, 65535 };
    QTest::newRow("all NaN") << QList<double> { nan, nan } << 0.0 << 1.0 << QList<int> { 0, 0 };
}

void TestCountMapping::wideValues()
{
    QFETCH(QList<double>, values);
    QFETCH(double, offset);
    QFETCH(double, scale);
    QFETCH(QList<int>, counts);
    std::vector<double> input(values.begin(), values.end());
    std::vector<quint16> output(input.size());
    const CountScale got = mapWideValues(input.data(), input.size(), std::nullopt, output.data());
    QCOMPARE(got.offset, offset);
    QVERIFY(std::abs(got.scale - scale) <= 1e-12 * scale);
    QCOMPARE(QList<int>(output.begin(), output.end()), counts);
}

void TestCountMapping::declaredRangeClamps()
{
    const std::vector<double> input { -50.0, 0.0, 50.0, 100.0, 150.0 };
    std::vector<quint16> output(input.size());
    const CountScale scale
        = mapWideValues(input.data(), input.size(), ValueRange { 0.0, 100.0 }, output.data());
    QCOMPARE(scale.offset, 0.0);
    QCOMPARE(scale.scale, 1.0);
    QCOMPARE(QList<int>(output.begin(), output.end()), (QList<int> { 0, 0, 50, 100, 150 }));
    const std::vector<double> fractions { -1.0, 0.5, 2.0 };
    const CountScale spread
        = mapWideValues(fractions.data(), fractions.size(), ValueRange { 0.0, 1.0 }, output.data());
    QCOMPARE(spread.offset, 0.0);
    QCOMPARE(QList<int>(output.begin(), output.begin() + 3), (QList<int> { 0, 32768, 65535 }));
    // An inverted declaration is ignored.
    const CountScale own
        = mapWideValues(fractions.data(), fractions.size(), ValueRange { 1.0, 0.0 }, output.data());
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
