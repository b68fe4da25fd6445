// Digital detail enhancement through the pipeline, with the grey palette so that a pixel's
// blue channel is its display level: flat stays flat, edges stay sharp without halos,
// detail grows with sharpness, and large-scale brightness keeps its order.
#include "testimage.h"

#include <zelkir/pipeline/displaypipeline.h>

#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace zelkir;

namespace {

constexpr ValidRange FourteenBit { 0, 16383 };

// Deterministic texture in -1..1 that varies from pixel to pixel.
double texture(int x, int y)
{
    return std::sin(x * 2.1 + y * 0.7) * std::cos(y * 1.9 - x * 0.3);
}

TestOutput renderDde(
    const TestImage& image, int sharpness, double plateau = 100.0, ValidRange range = FourteenBit)
{
    EnhancementSettings settings;
    settings.mode = ScaleMode::Dde;
    settings.ddeSharpness = sharpness;
    settings.plateauP = plateau;
    DisplayPipeline pipeline;
    pipeline.setSettings(settings);
    TestOutput out(image.width, image.height);
    if (!pipeline.render(image.frame(), range, out.image()))
        out.pixels.clear();
    return out;
}

} // namespace

class TestDetailEnhancement : public QObject
{
    Q_OBJECT

private slots:
    void flatStaysFlat_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("sharpness");
        for (const int count : { 0, 5000, 16383 }) {
            for (const int sharpness : { 1, 4, 7 })
                QTest::addRow("count %d, sharpness %d", count, sharpness) << count << sharpness;
        }
    }

    void flatStaysFlat()
    {
        QFETCH(int, count);
        QFETCH(int, sharpness);
        // Sizes that are not whole filter cells.
        const TestImage flat(61, 47, [&](int, int) { return count; });
        const TestOutput out = renderDde(flat, sharpness);
        QVERIFY(!out.pixels.empty());
        for (std::uint32_t pixel : out.pixels)
            QCOMPARE(pixel, out.pixels.front());
    }

    // Three wide bands at 3000, 6000 and 9000 counts: the middle band sits mid-scale, so a
    // halo could show on both sides of each edge.
    void edgesStaySharpWithoutHalo_data()
    {
        QTest::addColumn<int>("sharpness");
        QTest::addColumn<int>("bound");
        // What the detail layer keeps of an edge, in levels: it grows with the gain but
        // stays a few percent of the scale even at the top.
        QTest::newRow("sharpness 1") << 1 << 4;
        QTest::newRow("sharpness 4") << 4 << 8;
        QTest::newRow("sharpness 7") << 7 << 16;
    }

    void edgesStaySharpWithoutHalo()
    {
        QFETCH(int, sharpness);
        QFETCH(int, bound);
        const int band = 48;
        const TestImage bands(3 * band, 40, [&](int x, int) { return 3000 + 3000 * (x / band); });
        const TestOutput out = renderDde(bands, sharpness);
        QVERIFY(!out.pixels.empty());
        const int centre[3]
            = { out.level(band / 2, 20), out.level(band + band / 2, 20), out.level(2 * band + band / 2, 20) };
        // The edges keep their full contrast...
        QVERIFY(centre[1] - centre[0] >= 100);
        QVERIFY(centre[2] - centre[1] >= 100);
        int halo = 0;
        for (int y = 0; y < bands.height; ++y) {
            for (int x = 0; x < bands.width; ++x) {
                const int b = x / band;
                const int level = out.level(x, y);
                halo = std::max(halo, std::abs(level - centre[b]));
                // ...and switch within one pixel: each pixel is nearer its own band's level.
                for (int other = 0; other < 3; ++other) {
                    if (other != b)
                        QVERIFY(std::abs(level - centre[b]) < std::abs(level - centre[other]));
                }
            }
        }
        QVERIFY2(halo <= bound, qPrintable(QStringLiteral("halo of %1 levels").arg(halo)));
    }

    void detailGrowsWithSharpness()
    {
        // Two large areas, 3000 counts apart, carrying fine texture of +-20 counts.
        const TestImage image(
            160, 64, [](int x, int y) { return (x < 80 ? 4000 : 7000) + int(20.0 * texture(x, y)); });
        // The fine part of a row around x: the value less the mean of its 7 neighbours.
        const auto fine = [](const auto& value, int x) {
            double mean = 0.0;
            for (int k = -3; k <= 3; ++k)
                mean += value(x + k);
            return value(x) - mean / 7.0;
        };
        std::vector<double> response;
        for (int sharpness = 1; sharpness <= 7; ++sharpness) {
            const TestOutput out = renderDde(image, sharpness);
            QVERIFY(!out.pixels.empty());
            // How strongly the texture shows: the output's fine part projected on the input's.
            double product = 0.0;
            double energy = 0.0;
            for (int y = 10; y < 54; ++y) {
                for (int x = 10; x < 150; ++x) {
                    if (std::abs(x - 80) < 24)
                        continue; // the edge between the areas is no texture
                    const double input = fine([&](int i) { return double(image.at(i, y)); }, x);
                    const double output = fine([&](int i) { return double(out.level(i, y)); }, x);
                    product += input * output;
                    energy += input * input;
                }
            }
            response.push_back(product / energy);
        }
        for (int s = 1; s < 7; ++s) {
            QVERIFY2(response[s] > response[s - 1],
                qPrintable(QStringLiteral("sharpness %1: %2 after %3")
                               .arg(s + 1)
                               .arg(response[s])
                               .arg(response[s - 1])));
        }
        // The response is what fine texture stays in the base (shown alike at every
        // sharpness) plus the detail times the gain, so its steps grow by the gain law's
        // sqrt(2) per sharpness step: 2^2.5 = 5.66 times from the first step to the last.
        const double firstStep = response[1] - response[0];
        const double lastStep = response[6] - response[5];
        QVERIFY2(lastStep / firstStep > 4.5 && lastStep / firstStep < 7.0,
            qPrintable(QStringLiteral("steps %1 and %2").arg(firstStep).arg(lastStep)));
    }

    // Counts beyond the range act as its nearer end, in the filter and in the pixel loops
    // (which skip clamping only when every count lies in the range).
    void countsBeyondTheRangeTakeItsEnds()
    {
        const ValidRange range { 2000, 9000 };
        const auto scene
            = [](int x, int y) { return 1000 + 110 * x + int(300.0 * texture(x, y)) + (y > 20 ? 2500 : 0); };
        const TestImage beyond(83, 37, scene);
        const TestImage clamped(
            83, 37, [&](int x, int y) { return std::clamp(scene(x, y), int(range.low), int(range.high)); });
        QVERIFY(beyond.at(0, 0) < range.low && beyond.at(82, 36) > range.high);
        const TestOutput expected = renderDde(clamped, 4, 100.0, range);
        const TestOutput out = renderDde(beyond, 4, 100.0, range);
        QVERIFY(!out.pixels.empty());
        QVERIFY(out.pixels == expected.pixels);
    }

    void largeScaleBrightnessKeepsItsOrder_data()
    {
        QTest::addColumn<int>("sharpness");
        QTest::addColumn<double>("plateau");
        QTest::newRow("sharpness 1, P 2") << 1 << 2.0;
        QTest::newRow("sharpness 4, P 100") << 4 << 100.0;
        QTest::newRow("sharpness 7, P 200") << 7 << 200.0;
    }

    void largeScaleBrightnessKeepsItsOrder()
    {
        QFETCH(int, sharpness);
        QFETCH(double, plateau);
        // Eight textured bands, each brighter than the one before, by steps of different size.
        const int band = 24;
        const int base[8] = { 2000, 2100, 2600, 2700, 4000, 4050, 6000, 9000 };
        const TestImage image(
            8 * band, 48, [&](int x, int y) { return base[x / band] + int(30.0 * texture(x, y)); });
        const TestOutput out = renderDde(image, sharpness, plateau);
        QVERIFY(!out.pixels.empty());
        double previous = -1.0;
        for (int b = 0; b < 8; ++b) {
            double mean = 0.0;
            int samples = 0;
            for (int y = 8; y < 40; ++y) {
                for (int x = b * band + 6; x < (b + 1) * band - 6; ++x) {
                    mean += out.level(x, y);
                    ++samples;
                }
            }
            mean /= samples;
            QVERIFY2(mean > previous,
                qPrintable(QStringLiteral("band %1: %2 after %3").arg(b).arg(mean).arg(previous)));
            previous = mean;
        }
    }
};

QTEST_GUILESS_MAIN(TestDetailEnhancement)
#include "tst_detailenhancement.moc"
