// A span fixed by the user and the isotherm band: the display map they give in every mode,
// the pixels they paint, and the counts the pipeline reports for colour bars.
#include "testimage.h"

#include <zelkir/pipeline/displaypipeline.h>
#include <zelkir/pipeline/paletteloader.h>

#include <QTest>

#include <algorithm>
#include <cmath>

using namespace zelkir;

Q_DECLARE_METATYPE(zelkir::ScaleMode)

namespace {

constexpr ValidRange FourteenBit { 0, 16383 };

void addModeRows()
{
    QTest::addColumn<ScaleMode>("mode");
    QTest::newRow("linear") << ScaleMode::Linear;
    QTest::newRow("plateau") << ScaleMode::Plateau;
    QTest::newRow("dde") << ScaleMode::Dde;
}

// Counts 800..2200 across, the same in every row, so both ends of a span inside lie in it.
TestImage ramp(int padding = 0)
{
    return TestImage(176, 12, [](int x, int) { return 800 + x * 8; }, padding);
}

} // namespace

class TestSpanIsotherm : public QObject
{
    Q_OBJECT

private slots:
    void fixedSpanIsALinearMap_data()
    {
        QTest::addColumn<ScaleMode>("mode");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        for (const auto& [name, mode] : { std::pair("linear", ScaleMode::Linear),
                 std::pair("plateau", ScaleMode::Plateau), std::pair("dde", ScaleMode::Dde) }) {
            QTest::addRow("%s, whole counts", name) << mode << 1000.0 << 2020.0;
            // Levels (count - 999.5) / 4 never fall halfway between two levels.
            QTest::addRow("%s, between counts", name) << mode << 999.5 << 2019.5;
        }
    }

    void fixedSpanIsALinearMap()
    {
        QFETCH(ScaleMode, mode);
        QFETCH(double, low);
        QFETCH(double, high);
        EnhancementSettings settings;
        settings.mode = mode;
        settings.fixedSpan = true;
        settings.spanLow = low;
        settings.spanHigh = high;
        DisplayPipeline pipeline;
        pipeline.setSettings(settings);
        const TestImage image = ramp(3);
        TestOutput out(image.width, image.height, 3);
        QVERIFY(pipeline.render(image.frame(), FourteenBit, out.image()));
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const double exact = (image.at(x, y) - low) * 255.0 / (high - low);
                const int level = std::clamp(int(std::floor(exact + 0.5)), 0, 255);
                QCOMPARE(out.level(x, y), level);
            }
        }
        QCOMPARE(int(pipeline.linearClip().low), int(std::lround(low)));
        QCOMPARE(int(pipeline.linearClip().high), int(std::lround(high)));
        QCOMPARE(pipeline.countAtLevel(0), low);
        QCOMPARE(pipeline.countAtLevel(255), high);
        QCOMPARE(pipeline.countAtLevel(51), low + (high - low) * 0.2);
    }

    void fixedSpanKeepsSaturationColours()
    {
        const ValidRange range { 900, 2000 };
        EnhancementSettings settings;
        settings.mode = ScaleMode::Dde;
        settings.showSaturationColors = true;
        settings.fixedSpan = true;
        settings.spanLow = 1200;
        settings.spanHigh = 1600;
        DisplayPipeline pipeline;
        pipeline.setSettings(settings);
        const TestImage image = ramp();
        TestOutput out(image.width, image.height);
        QVERIFY(pipeline.render(image.frame(), range, out.image()));
        const Palette& palette = pipeline.palette();
        for (int x = 0; x < image.width; ++x) {
            const int count = image.at(x, 5);
            const int level = std::clamp(int(std::floor((count - 1200) * 255.0 / 400.0 + 0.5)), 0, 255);
            const std::uint32_t expected = count <= range.low ? palette.underflowColour()
                : count >= range.high                      ? palette.overflowColour()
                                                           : palette.colour(level);
            QCOMPARE(out.at(x, 5), expected);
        }
    }

    void levelCountsFollowTheMap_data() { addModeRows(); }

    void levelCountsFollowTheMap()
    {
        QFETCH(ScaleMode, mode);
        EnhancementSettings settings;
        settings.mode = mode;
        settings.linearIgnore = 0.0;
        DisplayPipeline pipeline;
        pipeline.setSettings(settings);
        QVERIFY(std::isnan(pipeline.countAtLevel(0)));
        const TestImage image = ramp();
        TestOutput out(image.width, image.height);
        QVERIFY(pipeline.render(image.frame(), FourteenBit, out.image()));
        // The ramp's ends are the first and last level in every mode.
        QCOMPARE(pipeline.countAtLevel(0), 800.0);
        QCOMPARE(pipeline.countAtLevel(255), 800.0 + 175 * 8);
        double previous = pipeline.countAtLevel(0);
        for (int level = 32; level <= 255; level += 32) {
            const double count = pipeline.countAtLevel(level);
            QVERIFY(count >= previous);
            // No other count's level lies nearer.
            const LevelMap& map = pipeline.levelMap();
            const float distance = std::abs(map.level(int(count)) - float(level));
            for (int other = map.first(); other <= map.last(); ++other)
                QVERIFY(std::abs(map.level(other) - float(level)) >= distance);
            previous = count;
        }
    }

    void isothermPaintsExactlyTheBand_data()
    {
        QTest::addColumn<ScaleMode>("mode");
        QTest::addColumn<bool>("fixedSpan");
        QTest::addColumn<bool>("saturation");
        for (const auto& [name, mode] : { std::pair("linear", ScaleMode::Linear),
                 std::pair("plateau", ScaleMode::Plateau), std::pair("dde", ScaleMode::Dde) }) {
            QTest::addRow("%s", name) << mode << false << false;
            QTest::addRow("%s, fixed span", name) << mode << true << false;
            QTest::addRow("%s, saturation shown", name) << mode << false << true;
        }
    }

    void isothermPaintsExactlyTheBand()
    {
        QFETCH(ScaleMode, mode);
        QFETCH(bool, fixedSpan);
        QFETCH(bool, saturation);
        // The band reaches past the range's low end (1000), where saturation colours win.
        const ValidRange range { 1000, 16383 };
        const double low = 980.5;
        const double high = 1200.0;
        EnhancementSettings settings;
        settings.mode = mode;
        settings.showSaturationColors = saturation;
        settings.fixedSpan = fixedSpan;
        settings.spanLow = 1100;
        settings.spanHigh = 1900;
        settings.isotherm = true;
        settings.isothermLow = low;
        settings.isothermHigh = high;
        const auto missing = [](int x, int y) { return y == 4 && x >= 20 && x < 40; };
        TestImage image = ramp(2);
        image.markNoValue(missing);
        DisplayPipeline pipeline;
        pipeline.setSettings(settings);
        TestOutput out(image.width, image.height, 2);
        QVERIFY(pipeline.render(image.frame(), range, out.image()));

        const Palette& palette = pipeline.palette();
        const std::uint32_t isotherm = palette.isothermColour();
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const int count = image.at(x, y);
                const bool saturated = saturation && count <= range.low;
                const bool inBand = count >= low && count <= high && !saturated;
                if (missing(x, y))
                    QCOMPARE(out.at(x, y), palette.noValueColour());
                else if (saturated)
                    QCOMPARE(out.at(x, y), palette.underflowColour());
                else
                    QCOMPARE(out.at(x, y) == isotherm, inBand);
            }
        }
        // The band is painted, not mapped: the histogram holds the same as without it.
        const Histogram& histogram = pipeline.histogram();
        QCOMPARE(int(histogram.minimum()), int(range.low));
        QCOMPARE(histogram.total(), std::uint64_t(image.width * image.height - 20));
    }

    void settingsWithoutMeaningAreSwitchedOff_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<bool>("span");
        QTest::addColumn<bool>("isotherm");
        QTest::newRow("ordered") << 1.0 << 2.0 << true << true;
        QTest::newRow("one value") << 2.0 << 2.0 << false << true;
        QTest::newRow("reversed") << 2.0 << 1.0 << false << false;
        QTest::newRow("nan") << std::nan("") << 2.0 << false << false;
        QTest::newRow("infinite") << 1.0 << HUGE_VAL << false << false;
    }

    void settingsWithoutMeaningAreSwitchedOff()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(bool, span);
        QFETCH(bool, isotherm);
        EnhancementSettings settings;
        settings.fixedSpan = settings.isotherm = true;
        settings.spanLow = settings.isothermLow = low;
        settings.spanHigh = settings.isothermHigh = high;
        const EnhancementSettings clamped = settings.clamped();
        QCOMPARE(clamped.fixedSpan, span);
        QCOMPARE(clamped.isotherm, isotherm);
        // Unused values never make two settings differ.
        QVERIFY(clamped == clamped.clamped());
    }

    void isothermColourOfPalettes()
    {
        const auto fusion = PaletteLoader::loadFile(QStringLiteral(PALETTE_DIR "/Fusion.rpal"));
        QVERIFY(fusion);
        QCOMPARE(fusion->isothermColour(), argb(229, 160, 22));
        // Without a named colour: none of the grey ramp and none of the other marks.
        const Palette grey;
        const std::uint32_t colour = grey.isothermColour();
        QVERIFY(std::find(grey.colours().begin(), grey.colours().end(), colour) == grey.colours().end());
        for (const std::uint32_t mark : { grey.underflowColour(), grey.overflowColour(), grey.noValueColour() })
            QVERIFY(colour != mark);
    }
};

QTEST_APPLESS_MAIN(TestSpanIsotherm)
#include "tst_spanisotherm.moc"
