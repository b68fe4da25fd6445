// Linear scaling: where the clip points fall for known histograms, and the level map
// between and beyond them.
#include "testimage.h"

#include <zelkir/pipeline/histogram.h>
#include <zelkir/pipeline/levelmap.h>
#include <zelkir/pipeline/linearscale.h>

#include <QTest>

#include <cmath>
#include <limits>

using namespace zelkir;

class TestLinearScale : public QObject
{
    Q_OBJECT

private slots:
    // A ramp holds every count from start to start + n - 1 once, so cutting `tail` pixels
    // from each end moves each clip point by exactly `tail` counts.
    void rampClipPoints_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<double>("ignore");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        const int n = 128 * 128;
        for (const double ignore : { 0.0, 0.5, 10.0, 33.3, 99.0 }) {
            const int tail = int(std::floor(n * ignore / 200.0));
            QTest::newRow(qPrintable(QStringLiteral("ignore %1").arg(ignore)))
                << 1000 << ignore << 1000 + tail << 1000 + n - 1 - tail;
        }
        // All cut: both points meet at the median.
        QTest::newRow("ignore 100") << 1000 << 100.0 << 1000 + n / 2 << 1000 + n / 2;
        QTest::newRow("beyond 100 clamps") << 1000 << 250.0 << 1000 + n / 2 << 1000 + n / 2;
        QTest::newRow("negative clamps") << 1000 << -5.0 << 1000 << 1000 + n - 1;
        QTest::newRow("NaN counts as 0")
            << 1000 << std::numeric_limits<double>::quiet_NaN() << 1000 << 1000 + n - 1;
    }

    void rampClipPoints()
    {
        QFETCH(int, start);
        QFETCH(double, ignore);
        QFETCH(int, low);
        QFETCH(int, high);
        const TestImage ramp(128, 128, [&](int x, int y) { return start + y * 128 + x; });
        Histogram histogram;
        QVERIFY(histogram.compute(ramp.frame(), { 0, 65535 }));
        const LinearClip clip = LinearScale::clipPoints(histogram, ignore);
        QCOMPARE(int(clip.low), low);
        QCOMPARE(int(clip.high), high);
    }

    void knownHistogram_data()
    {
        QTest::addColumn<double>("ignore");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        // 10 pixels at 100, 80 at 200, 10 at 300: a 10-pixel tail is still inside the
        // outer bins at 19 %, the 20 % tail of 10 pixels takes them whole.
        QTest::newRow("0 %") << 0.0 << 100 << 300;
        QTest::newRow("19 %") << 19.0 << 100 << 300;
        QTest::newRow("20 %") << 20.0 << 200 << 200;
        QTest::newRow("60 %") << 60.0 << 200 << 200;
    }

    void knownHistogram()
    {
        QFETCH(double, ignore);
        QFETCH(int, low);
        QFETCH(int, high);
        const TestImage image(100, 1, [](int x, int) { return x < 10 ? 100 : x < 90 ? 200 : 300; });
        Histogram histogram;
        QVERIFY(histogram.compute(image.frame(), { 0, 16383 }));
        const LinearClip clip = LinearScale::clipPoints(histogram, ignore);
        QCOMPARE(int(clip.low), low);
        QCOMPARE(int(clip.high), high);
    }

    void saturatedPixelsDoNotStretchTheRange()
    {
        // A ramp 5000..5099 plus a dead and a hot pixel at the ends of the 14-bit range.
        const TestImage image(102, 1, [](int x, int) { return x == 0 ? 0 : x == 101 ? 16383 : 4999 + x; });
        Histogram histogram;
        QVERIFY(histogram.compute(image.frame(), { 0, 16383 }));
        const LinearClip clip = LinearScale::clipPoints(histogram, 0.0);
        QCOMPARE(int(clip.low), 5000);
        QCOMPARE(int(clip.high), 5099);
    }

    void levelMap()
    {
        const TestImage ramp(256, 4, [](int x, int) { return 2000 + 4 * x; });
        Histogram histogram;
        QVERIFY(histogram.compute(ramp.frame(), { 0, 16383 }));
        LevelMap levels;
        const LinearClip clip { 2100, 2900 };
        LinearScale::levels(histogram, clip, levels);
        QCOMPARE(levels.level(2000), 0.0f);
        QCOMPARE(levels.level(2100), 0.0f);
        QCOMPARE(levels.level(2500), 127.5f);
        QCOMPARE(levels.level(2900), 255.0f);
        QCOMPARE(levels.level(3020), 255.0f);
        for (int count = 2000; count < 3020; ++count)
            QVERIFY(levels.level(count) <= levels.level(count + 1));
        QCOMPARE(levels.level(2300), float((2300 - 2100) * 255.0 / 800.0));
    }

    void flatImage_data()
    {
        QTest::addColumn<double>("ignore");
        QTest::newRow("0 %") << 0.0;
        QTest::newRow("50 %") << 50.0;
        QTest::newRow("100 %") << 100.0;
    }

    void flatImage()
    {
        QFETCH(double, ignore);
        const TestImage flat(16, 16, [](int, int) { return 7777; });
        Histogram histogram;
        QVERIFY(histogram.compute(flat.frame(), { 0, 16383 }));
        const LinearClip clip = LinearScale::clipPoints(histogram, ignore);
        QCOMPARE(int(clip.low), 7777);
        QCOMPARE(int(clip.high), 7777);
        LevelMap levels;
        LinearScale::levels(histogram, ignore, levels);
        QCOMPARE(levels.level(7777), 127.5f);
    }

    void emptyHistogram()
    {
        const Histogram histogram;
        const LinearClip clip = LinearScale::clipPoints(histogram, 10.0);
        QCOMPARE(int(clip.low), 0);
        QCOMPARE(int(clip.high), 0);
    }
};

QTEST_GUILESS_MAIN(TestLinearScale)
#include "tst_linearscale.moc"
