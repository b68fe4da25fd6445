// Plateau equalisation: spreading a bimodal scene over the levels, the plateau limit at
// both ends of P, and a map that never decreases.
#include "testimage.h"

#include <zelkir/pipeline/histogram.h>
#include <zelkir/pipeline/levelmap.h>
#include <zelkir/pipeline/linearscale.h>
#include <zelkir/pipeline/plateauequalisation.h>

#include <QTest>

#include <cmath>
#include <set>

using namespace zelkir;

namespace {

// Two tight clusters far apart: a cold background of 900 pixels over counts 1000..1010 and
// a warm object of 100 pixels over 5000..5010.
TestImage bimodal()
{
    return TestImage(100, 10, [](int x, int y) {
        const int spread = (x * 7 + y * 3) % 11;
        return x < 90 ? 1000 + spread : 5000 + spread;
    });
}

// Occupied counts 100, 101, 102, 103 with very different pixel numbers.
TestImage uneven()
{
    return TestImage(111, 1, [](int x, int) { return x < 1 ? 100 : x < 101 ? 101 : x < 110 ? 102 : 103; });
}

} // namespace

class TestPlateauEqualisation : public QObject
{
    Q_OBJECT

private slots:
    void spreadsABimodalScene_data()
    {
        QTest::addColumn<double>("plateau");
        QTest::newRow("P 2") << 2.0;
        QTest::newRow("P 100") << 100.0;
        QTest::newRow("P 200") << 200.0;
    }

    void spreadsABimodalScene()
    {
        QFETCH(double, plateau);
        const TestImage image = bimodal();
        Histogram histogram;
        QVERIFY(histogram.compute(image.frame(), { 0, 16383 }));
        LevelMap equalised;
        PlateauEqualisation::levels(histogram, plateau, equalised);
        LevelMap linear;
        LinearScale::levels(histogram, 0.0, linear);

        std::set<int> equalisedLevels;
        std::set<int> linearLevels;
        for (int count = histogram.minimum(); count <= histogram.maximum(); ++count) {
            if (histogram.count(count) == 0)
                continue;
            equalisedLevels.insert(int(equalised.level(count) + 0.5f));
            linearLevels.insert(int(linear.level(count) + 0.5f));
        }
        // Linear squeezes each cluster into a few levels; equalisation gives each occupied
        // count a level of its own, the clusters spread over the whole scale.
        QVERIFY(linearLevels.size() <= 6);
        QCOMPARE(equalisedLevels.size(), std::size_t(22));
        QCOMPARE(equalised.level(1000), 0.0f);
        QCOMPARE(equalised.level(5010), 255.0f);
        QVERIFY(equalised.level(1010) - equalised.level(1000) > 20.0f);
        QVERIFY(equalised.level(5010) - equalised.level(5000) > 20.0f);
        QVERIFY(linear.level(1010) - linear.level(1000) < 2.0f);
        for (int count = histogram.minimum(); count < histogram.maximum(); ++count)
            QVERIFY(equalised.level(count) <= equalised.level(count + 1));
    }

    void smallPlateauGivesEveryOccupiedCountTheSameShare()
    {
        const TestImage image = uneven();
        Histogram histogram;
        QVERIFY(histogram.compute(image.frame(), { 0, 16383 }));
        QCOMPARE(PlateauEqualisation::plateauLimit(histogram, 2.0), 1u);
        LevelMap levels;
        PlateauEqualisation::levels(histogram, 2.0, levels);
        for (int k = 0; k < 4; ++k)
            QCOMPARE(levels.level(100 + k), float(255.0 * k / 3.0));
    }

    void largePlateauIsFullEqualisation()
    {
        const TestImage image = uneven();
        Histogram histogram;
        QVERIFY(histogram.compute(image.frame(), { 0, 16383 }));
        QCOMPARE(PlateauEqualisation::plateauLimit(histogram, 200.0), 100u);
        LevelMap levels;
        PlateauEqualisation::levels(histogram, 200.0, levels);
        // Bins 1, 100, 9, 1: each count sits at the middle of its share of the pixels,
        // the first share's middle at 0 and the last's at 255.
        const double bins[] = { 1, 100, 9, 1 };
        const double span = 2 * 111 - bins[0] - bins[3];
        double below = 0;
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(levels.level(100 + k), float(255.0 * (2 * below + bins[k] - bins[0]) / span));
            below += bins[k];
        }
    }

    void plateauLimitGrowsWithP()
    {
        const TestImage image = bimodal();
        Histogram histogram;
        QVERIFY(histogram.compute(image.frame(), { 0, 16383 }));
        std::uint32_t previous = 0;
        for (double p = 2.0; p <= 200.0; p += 9.0) {
            const std::uint32_t limit = PlateauEqualisation::plateauLimit(histogram, p);
            QVERIFY(limit >= previous);
            previous = limit;
        }
        QCOMPARE(PlateauEqualisation::plateauLimit(histogram, 1.0), 1u);
        std::uint32_t fullest = 0;
        for (int count = 0; count < 16384; ++count)
            fullest = std::max(fullest, histogram.count(count));
        QCOMPARE(PlateauEqualisation::plateauLimit(histogram, 500.0), fullest);
        QCOMPARE(PlateauEqualisation::plateauLimit(histogram, std::nan("")), fullest);
        // Halfway in P is halfway on the logarithmic scale.
        QCOMPARE(PlateauEqualisation::plateauLimit(histogram, 101.0),
            std::uint32_t(std::floor(std::sqrt(double(fullest)))));
    }

    void capShiftsLevelsTowardsSparseCounts()
    {
        // The warm object holds a tenth of the pixels: full equalisation gives it about a
        // tenth of the scale, a low plateau about half (it has half the occupied counts).
        const TestImage image = bimodal();
        Histogram histogram;
        QVERIFY(histogram.compute(image.frame(), { 0, 16383 }));
        LevelMap full;
        LevelMap capped;
        PlateauEqualisation::levels(histogram, 200.0, full);
        PlateauEqualisation::levels(histogram, 2.0, capped);
        const float fullObject = full.level(5010) - full.level(5000);
        const float cappedObject = capped.level(5010) - capped.level(5000);
        QVERIFY(fullObject < 40.0f);
        QVERIFY(cappedObject > 100.0f);
    }

    void singleCountAndSaturation()
    {
        // Everything at one count, plus saturated pixels that the mapping ignores.
        const TestImage image(10, 10, [](int x, int y) { return x == 0 ? 0 : y == 0 ? 255 : 128; });
        Histogram histogram;
        QVERIFY(histogram.compute(image.frame(), { 0, 255 }));
        LevelMap levels;
        PlateauEqualisation::levels(histogram, 50.0, levels);
        QCOMPARE(levels.level(128), 127.5f);
        QCOMPARE(levels.level(0), 0.0f);
        QCOMPARE(levels.level(255), 255.0f);
    }
};

QTEST_GUILESS_MAIN(TestPlateauEqualisation)
#include "tst_plateauequalisation.moc"
