// The histogram of a frame: bins, clamping into the valid range, statistics, the
// population the display mapping uses, ranks, and reuse from frame to frame.
#include "testimage.h"

#include <zelkir/pipeline/histogram.h>

#include <QTest>

#include <map>
#include <random>

using namespace zelkir;

class TestHistogram : public QObject
{
    Q_OBJECT

private slots:
    void countsEveryPixel_data()
    {
        QTest::addColumn<int>("padding");
        QTest::newRow("packed rows") << 0;
        QTest::newRow("padded rows") << 5;
    }

    void countsEveryPixel()
    {
        QFETCH(int, padding);
        std::mt19937 random(3);
        const TestImage image(
            37, 23, [&](int, int) { return 1000 + int(random() % 50); }, padding);
        std::map<int, std::uint32_t> expected;
        double sum = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                ++expected[image.at(x, y)];
                sum += image.at(x, y);
            }
        }
        Histogram histogram;
        QVERIFY(histogram.compute(image.frame(), { 0, 16383 }));
        QCOMPARE(histogram.total(), std::uint64_t(37 * 23));
        for (int count = 990; count < 1060; ++count)
            QCOMPARE(histogram.count(count), expected.count(count) ? expected[count] : 0u);
        QCOMPARE(int(histogram.minimum()), expected.begin()->first);
        QCOMPARE(int(histogram.maximum()), expected.rbegin()->first);
        QCOMPARE(histogram.mean(), sum / (37 * 23));
    }

    void clampsIntoRange()
    {
        // Two pixels below the range, three above, the rest inside.
        const TestImage image(10, 1, [](int x, int) { return x < 2 ? 5 + x : x >= 7 ? 20000 + x : 500 + x; });
        Histogram histogram;
        QVERIFY(histogram.compute(image.frame(), { 100, 16383 }));
        QCOMPARE(histogram.count(100), 2u);
        QCOMPARE(histogram.count(16383), 3u);
        QCOMPARE(histogram.count(5), 0u);
        QCOMPARE(histogram.count(20007), 0u);
        QCOMPARE(int(histogram.minimum()), 100);
        QCOMPARE(int(histogram.maximum()), 16383);
        QCOMPARE(int(histogram.rawMinimum()), 5);
        QCOMPARE(int(histogram.rawMaximum()), 20009);
        const FrameStatistics statistics = histogram.statistics();
        QCOMPARE(statistics.underflowPixels, std::uint64_t(2));
        QCOMPARE(statistics.overflowPixels, std::uint64_t(3));
        QCOMPARE(statistics.mean, (2 * 100.0 + 502 + 503 + 504 + 505 + 506 + 3 * 16383.0) / 10);
    }

    void populationLeavesOutSaturatedPixels()
    {
        const TestImage image(6, 1, [](int x, int) { return std::array { 0, 0, 40, 41, 43, 255 }[x]; });
        Histogram histogram;
        QVERIFY(histogram.compute(image.frame(), { 0, 255 }));
        const Histogram::Population population = histogram.mappingPopulation();
        QCOMPARE(int(population.first), 40);
        QCOMPARE(int(population.last), 43);
        QCOMPARE(population.total, std::uint64_t(3));
        QCOMPARE(int(histogram.countAtRank(0)), 40);
        QCOMPARE(int(histogram.countAtRank(1)), 41);
        QCOMPARE(int(histogram.countAtRank(2)), 43);
        QCOMPARE(int(histogram.countAtRank(99)), 43);
        QCOMPARE(int(histogram.countAtRankFromTop(0)), 43);
        QCOMPARE(int(histogram.countAtRankFromTop(1)), 41);
        QCOMPARE(int(histogram.countAtRankFromTop(99)), 40);
    }

    void populationOfAllSaturatedFrame()
    {
        const TestImage image(4, 4, [](int x, int) { return x < 2 ? 0 : 255; });
        Histogram histogram;
        QVERIFY(histogram.compute(image.frame(), { 0, 255 }));
        const Histogram::Population population = histogram.mappingPopulation();
        QCOMPARE(int(population.first), 0);
        QCOMPARE(int(population.last), 255);
        QCOMPARE(population.total, std::uint64_t(16));
    }

    void reuseForgetsThePreviousFrame()
    {
        Histogram histogram;
        const TestImage first(8, 8, [](int x, int y) { return 3000 + x * 8 + y; });
        const TestImage second(4, 2, [](int x, int) { return 7000 + x; });
        QVERIFY(histogram.compute(first.frame(), { 0, 16383 }));
        QVERIFY(histogram.compute(second.frame(), { 0, 16383 }));
        QCOMPARE(histogram.total(), std::uint64_t(8));
        for (int count = 3000; count < 3064; ++count)
            QCOMPARE(histogram.count(count), 0u);
        QCOMPARE(histogram.count(7003), 2u);
        QCOMPARE(int(histogram.minimum()), 7000);
    }

    void leavesOutPixelsWithoutValue_data()
    {
        QTest::addColumn<bool>("anyValue");
        QTest::newRow("some pixels without value") << true;
        QTest::newRow("no pixel with a value") << false;
    }

    void leavesOutPixelsWithoutValue()
    {
        QFETCH(bool, anyValue);
        // The pixels without value hold the extremes, which must not show anywhere.
        TestImage image(
            10, 3, [](int x, int) { return x < 2 ? 0 : x >= 8 ? 16383 : 1000 + x; }, 3);
        image.markNoValue([&](int x, int) { return !anyValue || x < 2 || x >= 8; });
        Histogram histogram;
        QVERIFY(histogram.compute(image.frame(), { 0, 16383 }));
        const FrameStatistics statistics = histogram.statistics();
        QCOMPARE(statistics.noValuePixels, std::uint64_t(anyValue ? 12 : 30));
        QCOMPARE(statistics.pixels, std::uint64_t(anyValue ? 18 : 0));
        QCOMPARE(histogram.isEmpty(), !anyValue);
        QCOMPARE(int(statistics.minimum), anyValue ? 1002 : 0);
        QCOMPARE(int(statistics.maximum), anyValue ? 1007 : 0);
        QCOMPARE(statistics.mean, anyValue ? 1004.5 : 0.0);
        QCOMPARE(histogram.count(0), 0u);
        QCOMPARE(histogram.count(16383), 0u);
        // And the next frame starts clean.
        const TestImage next(2, 2, [](int, int) { return 5; });
        QVERIFY(histogram.compute(next.frame(), { 0, 16383 }));
        QCOMPARE(histogram.total(), std::uint64_t(4));
        QCOMPARE(histogram.noValuePixels(), std::uint64_t(0));
        QCOMPARE(histogram.count(1004), 0u);
    }

    void refusesInvalidInput_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("stride");
        QTest::addColumn<bool>("data");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::newRow("no data") << 4 << 4 << 4 << false << 0 << 255;
        QTest::newRow("zero width") << 0 << 4 << 4 << true << 0 << 255;
        QTest::newRow("negative height") << 4 << -1 << 4 << true << 0 << 255;
        QTest::newRow("stride below width") << 4 << 4 << 3 << true << 0 << 255;
        QTest::newRow("empty range") << 4 << 4 << 4 << true << 255 << 255;
        QTest::newRow("reversed range") << 4 << 4 << 4 << true << 300 << 200;
        QTest::newRow("2^31 pixels") << 65536 << 32768 << 65536 << true << 0 << 255;
    }

    void refusesInvalidInput()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, stride);
        QFETCH(bool, data);
        QFETCH(int, low);
        QFETCH(int, high);
        const std::uint16_t pixels[16] = {};
        Histogram histogram;
        const TestImage earlier(2, 2, [](int, int) { return 9; });
        QVERIFY(histogram.compute(earlier.frame(), { 0, 255 }));
        const CountFrame frame { data ? pixels : nullptr, width, height, stride };
        QVERIFY(!histogram.compute(frame, { std::uint16_t(low), std::uint16_t(high) }));
        QVERIFY(histogram.isEmpty());
        QCOMPARE(histogram.count(9), 0u);
    }
};

QTEST_GUILESS_MAIN(TestHistogram)
#include "tst_histogram.moc"
