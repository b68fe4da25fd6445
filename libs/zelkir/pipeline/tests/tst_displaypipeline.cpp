// The whole pipeline: palette lookup, saturation colours, input and output strides, bad
// arguments, statistics, and reuse of one pipeline across frame sizes and modes.
#include "testimage.h"

#include <zelkir/pipeline/displaypipeline.h>
#include <zelkir/pipeline/paletteloader.h>

#include <QTest>

using namespace zelkir;

Q_DECLARE_METATYPE(zelkir::ScaleMode)

namespace {

constexpr ValidRange FourteenBit { 0, 16383 };

EnhancementSettings settingsFor(ScaleMode mode, bool saturation = false)
{
    EnhancementSettings settings;
    settings.mode = mode;
    settings.linearIgnore = 0.0;
    settings.showSaturationColors = saturation;
    return settings;
}

void addModeRows()
{
    QTest::addColumn<ScaleMode>("mode");
    QTest::newRow("linear") << ScaleMode::Linear;
    QTest::newRow("plateau") << ScaleMode::Plateau;
    QTest::newRow("dde") << ScaleMode::Dde;
}

Palette ironbow()
{
    const auto palette = PaletteLoader::loadFile(QStringLiteral(PALETTE_DIR "/Ironbow.rpal"));
    return palette ? *palette : Palette();
}

// A scene with large areas at two counts and a smooth ramp between them; the areas reach
// further than the detail filter's support (20 pixels) from the ramp.
TestImage twoAreas()
{
    return TestImage(96, 40, [](int x, int) {
        return x < 40 ? 2000 : x >= 56 ? 6000 : 2000 + (x - 40) * 250;
    });
}

} // namespace

class TestDisplayPipeline : public QObject
{
    Q_OBJECT

private slots:
    void lowestAndHighestCountsTakeThePaletteEnds_data() { addModeRows(); }

    void lowestAndHighestCountsTakeThePaletteEnds()
    {
        QFETCH(ScaleMode, mode);
        const Palette palette = ironbow();
        QVERIFY(palette.colours().front() != palette.colours().back());
        DisplayPipeline pipeline;
        pipeline.setPalette(palette);
        pipeline.setSettings(settingsFor(mode));
        const TestImage image = twoAreas();
        TestOutput out(image.width, image.height);
        QVERIFY(pipeline.render(image.frame(), FourteenBit, out.image()));
        // Deep inside the areas, away from any edge.
        QCOMPARE(out.at(2, 20), palette.colours().front());
        QCOMPARE(out.at(93, 20), palette.colours().back());
    }

    void linearRampMatchesTheFormula()
    {
        const Palette palette = ironbow();
        DisplayPipeline pipeline;
        pipeline.setPalette(palette);
        pipeline.setSettings(settingsFor(ScaleMode::Linear));
        const TestImage ramp(100, 30, [](int x, int y) { return 3000 + 4 * (y * 100 + x); });
        TestOutput out(ramp.width, ramp.height);
        QVERIFY(pipeline.render(ramp.frame(), FourteenBit, out.image()));
        const double low = 3000;
        const double high = 3000 + 4 * 2999;
        QCOMPARE(int(pipeline.linearClip().low), int(low));
        QCOMPARE(int(pipeline.linearClip().high), int(high));
        for (int y = 0; y < ramp.height; ++y) {
            for (int x = 0; x < ramp.width; ++x) {
                const int level = int(std::floor((ramp.at(x, y) - low) * 255.0 / (high - low) + 0.5));
                QCOMPARE(out.at(x, y), palette.colour(level));
            }
        }
    }

    void saturationColours_data()
    {
        QTest::addColumn<ScaleMode>("mode");
        QTest::addColumn<bool>("show");
        for (const bool show : { false, true }) {
            const char* state = show ? "shown" : "hidden";
            QTest::addRow("linear, %s", state) << ScaleMode::Linear << show;
            QTest::addRow("plateau, %s", state) << ScaleMode::Plateau << show;
            QTest::addRow("dde, %s", state) << ScaleMode::Dde << show;
        }
    }

    void saturationColours()
    {
        QFETCH(ScaleMode, mode);
        QFETCH(bool, show);
        const Palette palette = ironbow();
        const ValidRange range { 100, 9000 };
        // Counts below, at, inside, at and above the range, with one wide mid-range area.
        const TestImage image(40, 20, [](int x, int y) {
            if (y == 10 && x == 5)
                return 20;
            if (y == 10 && x == 10)
                return 100;
            if (y == 10 && x == 30)
                return 9000;
            if (y == 10 && x == 35)
                return 40000;
            return 4000 + x * 10;
        });
        DisplayPipeline pipeline;
        pipeline.setPalette(palette);
        pipeline.setSettings(settingsFor(mode, show));
        TestOutput out(image.width, image.height);
        QVERIFY(pipeline.render(image.frame(), range, out.image()));
        const std::uint32_t under = palette.underflowColour();
        const std::uint32_t over = palette.overflowColour();
        for (const int x : { 5, 10 })
            QCOMPARE(out.at(x, 10) == under, show);
        for (const int x : { 30, 35 })
            QCOMPARE(out.at(x, 10) == over, show);
        if (!show && mode != ScaleMode::Dde) {
            QCOMPARE(out.at(5, 10), palette.colours().front());
            QCOMPARE(out.at(35, 10), palette.colours().back());
        }
        // Unsaturated pixels never take a saturation colour.
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                if (y != 10 || (x != 5 && x != 10 && x != 30 && x != 35))
                    QVERIFY(out.at(x, y) != under && out.at(x, y) != over);
            }
        }
    }

    void pixelsWithoutValue_data() { addModeRows(); }

    void pixelsWithoutValue()
    {
        QFETCH(ScaleMode, mode);
        const Palette palette = ironbow();
        const auto missing = [](int x, int y) { return x >= 10 && x < 14 && y >= 5 && y < 9; };
        // Under the pixels without value: a neutral count, or spikes that must change nothing.
        TestImage neutral(40, 20, [&](int x, int) { return 4000 + x * 10; });
        TestImage spikes(40, 20, [&](int x, int y) { return missing(x, y) ? (x % 2) * 65535 : 4000 + x * 10; });
        neutral.markNoValue(missing);
        spikes.markNoValue(missing);
        DisplayPipeline pipeline;
        pipeline.setPalette(palette);
        pipeline.setSettings(settingsFor(mode, true));
        TestOutput spikesOut(40, 20);
        QVERIFY(pipeline.render(spikes.frame(), FourteenBit, spikesOut.image()));
        const FrameStatistics statistics = pipeline.statistics();
        const LevelMap spikeLevels = pipeline.levelMap();
        TestOutput neutralOut(40, 20);
        QVERIFY(pipeline.render(neutral.frame(), FourteenBit, neutralOut.image()));

        QCOMPARE(statistics.pixels, std::uint64_t(800 - 16));
        QCOMPARE(statistics.noValuePixels, std::uint64_t(16));
        QCOMPARE(int(statistics.minimum), 4000);
        QCOMPARE(int(statistics.maximum), 4390);
        QCOMPARE(statistics.underflowPixels + statistics.overflowPixels, std::uint64_t(0));
        QCOMPARE(spikeLevels.first(), pipeline.levelMap().first());
        QCOMPARE(spikeLevels.last(), pipeline.levelMap().last());
        for (int count = spikeLevels.first(); count <= spikeLevels.last(); ++count)
            QCOMPARE(spikeLevels.level(count), pipeline.levelMap().level(count));
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 40; ++x) {
                QCOMPARE(spikesOut.at(x, y) == palette.noValueColour(), missing(x, y));
                QCOMPARE(neutralOut.at(x, y) == palette.noValueColour(), missing(x, y));
            }
        }
        // The detail filter sees the counts under the mask; the other modes do not.
        if (mode != ScaleMode::Dde)
            QVERIFY(spikesOut.pixels == neutralOut.pixels);
    }

    void frameWithoutAnyValue_data() { addModeRows(); }

    void frameWithoutAnyValue()
    {
        QFETCH(ScaleMode, mode);
        TestImage image(7, 5, [](int x, int y) { return x * 1000 + y; }, 2);
        image.markNoValue([](int, int) { return true; });
        DisplayPipeline pipeline;
        pipeline.setSettings(settingsFor(mode));
        TestOutput out(7, 5);
        QVERIFY(pipeline.render(image.frame(), FourteenBit, out.image()));
        for (std::uint32_t pixel : out.pixels)
            QCOMPARE(pixel, pipeline.palette().noValueColour());
        QCOMPARE(pipeline.statistics().pixels, std::uint64_t(0));
        QCOMPARE(pipeline.statistics().noValuePixels, std::uint64_t(35));
    }

    void stridesInAndOut_data() { addModeRows(); }

    void stridesInAndOut()
    {
        QFETCH(ScaleMode, mode);
        DisplayPipeline pipeline;
        pipeline.setSettings(settingsFor(mode));
        const auto scene = [](int x, int y) { return 3000 + 40 * ((x / 5 + y / 7) % 9) + 3 * x; };
        const TestImage packed(37, 29, scene);
        const TestImage padded(37, 29, scene, 11);
        TestOutput packedOut(37, 29);
        TestOutput paddedOut(37, 29, 6);
        QVERIFY(pipeline.render(packed.frame(), FourteenBit, packedOut.image()));
        QVERIFY(pipeline.render(padded.frame(), FourteenBit, paddedOut.image()));
        for (int y = 0; y < 29; ++y) {
            for (int x = 0; x < 37; ++x)
                QCOMPARE(paddedOut.at(x, y), packedOut.at(x, y));
            for (int x = 37; x < paddedOut.stride; ++x)
                QCOMPARE(paddedOut.pixels[std::size_t(y) * paddedOut.stride + x], TestOutput::Untouched);
        }
    }

    void refusesBadArguments_data()
    {
        QTest::addColumn<int>("outWidth");
        QTest::addColumn<int>("outHeight");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::newRow("output narrower") << 15 << 8 << 0 << 16383;
        QTest::newRow("output taller") << 16 << 9 << 0 << 16383;
        QTest::newRow("empty range") << 16 << 8 << 500 << 500;
        QTest::newRow("reversed range") << 16 << 8 << 600 << 500;
    }

    void refusesBadArguments()
    {
        QFETCH(int, outWidth);
        QFETCH(int, outHeight);
        QFETCH(int, low);
        QFETCH(int, high);
        const TestImage image(16, 8, [](int x, int) { return 1000 + x; });
        TestOutput out(outWidth, outHeight);
        DisplayPipeline pipeline;
        QVERIFY(!pipeline.render(image.frame(), { std::uint16_t(low), std::uint16_t(high) }, out.image()));
        for (std::uint32_t pixel : out.pixels)
            QCOMPARE(pixel, TestOutput::Untouched);
    }

    void refusesMissingBuffers()
    {
        const TestImage image(16, 8, [](int x, int) { return 1000 + x; });
        TestOutput out(16, 8);
        DisplayPipeline pipeline;
        QVERIFY(!pipeline.render({ nullptr, 16, 8, 16 }, FourteenBit, out.image()));
        QVERIFY(!pipeline.render(image.frame(), FourteenBit, { nullptr, 16, 8, 16 }));
        QVERIFY(!pipeline.render(image.frame(), FourteenBit, { out.pixels.data(), 16, 8, 15 }));
    }

    void statistics()
    {
        const TestImage image(10, 10, [](int x, int y) { return 1000 + x + 10 * y; });
        DisplayPipeline pipeline;
        TestOutput out(10, 10);
        QCOMPARE(pipeline.statistics().pixels, std::uint64_t(0));
        QVERIFY(pipeline.render(image.frame(), FourteenBit, out.image()));
        const FrameStatistics statistics = pipeline.statistics();
        QCOMPARE(statistics.pixels, std::uint64_t(100));
        QCOMPARE(int(statistics.minimum), 1000);
        QCOMPARE(int(statistics.maximum), 1099);
        QCOMPARE(statistics.mean, 1049.5);
    }

    void settingsAreClamped()
    {
        DisplayPipeline pipeline;
        EnhancementSettings settings;
        settings.linearIgnore = 180.0;
        settings.plateauP = 0.5;
        settings.ddeSharpness = 12;
        pipeline.setSettings(settings);
        QCOMPARE(pipeline.settings().linearIgnore, 100.0);
        QCOMPARE(pipeline.settings().plateauP, 2.0);
        QCOMPARE(pipeline.settings().ddeSharpness, 7);
        settings.linearIgnore = std::nan("");
        settings.plateauP = std::nan("");
        settings.ddeSharpness = -3;
        pipeline.setSettings(settings);
        QCOMPARE(pipeline.settings().linearIgnore, EnhancementSettings().linearIgnore);
        QCOMPARE(pipeline.settings().plateauP, EnhancementSettings().plateauP);
        QCOMPARE(pipeline.settings().ddeSharpness, 1);
    }

    void reuseAcrossSizesAndModes_data() { addModeRows(); }

    void reuseAcrossSizesAndModes()
    {
        QFETCH(ScaleMode, mode);
        const auto scene
            = [](int x, int y) { return 2500 + 13 * ((x * x + 3 * y) % 300) + (x > 20 ? 900 : 0); };
        const TestImage large(70, 45, scene);
        const TestImage small(9, 5, [](int x, int y) { return 8000 + 100 * x + y; });
        DisplayPipeline fresh;
        fresh.setSettings(settingsFor(mode));
        TestOutput expected(70, 45);
        QVERIFY(fresh.render(large.frame(), FourteenBit, expected.image()));

        DisplayPipeline reused;
        TestOutput out(70, 45);
        TestOutput smallOut(9, 5);
        for (const ScaleMode other : { ScaleMode::Dde, ScaleMode::Linear, ScaleMode::Plateau }) {
            reused.setSettings(settingsFor(other));
            QVERIFY(reused.render(small.frame(), { 0, 65535 }, smallOut.image()));
            QVERIFY(reused.render(large.frame(), FourteenBit, out.image()));
        }
        reused.setSettings(settingsFor(mode));
        QVERIFY(reused.render(small.frame(), { 0, 65535 }, smallOut.image()));
        QVERIFY(reused.render(large.frame(), FourteenBit, out.image()));
        QVERIFY(out.pixels == expected.pixels);
    }

    void extremeCounts_data() { addModeRows(); }

    void extremeCounts()
    {
        QFETCH(ScaleMode, mode);
        // Counts at both ends of 16 bits, inside a full and beyond a 14-bit range.
        const TestImage image(37, 19, [](int x, int y) {
            return (x + y) % 3 == 0 ? 0 : (x * y) % 2 ? 65535 : 30000;
        });
        for (const ValidRange range :
            { ValidRange { 0, 65535 }, ValidRange { 0, 16383 }, ValidRange { 40000, 65535 } }) {
            for (const bool saturation : { false, true }) {
                DisplayPipeline pipeline;
                pipeline.setSettings(settingsFor(mode, saturation));
                TestOutput out(image.width, image.height);
                QVERIFY(pipeline.render(image.frame(), range, out.image()));
                for (std::uint32_t pixel : out.pixels)
                    QCOMPARE(pixel >> 24, 0xFFu);
            }
        }
    }

    void tinyFrames_data() { addModeRows(); }

    void tinyFrames()
    {
        QFETCH(ScaleMode, mode);
        DisplayPipeline pipeline;
        pipeline.setSettings(settingsFor(mode));
        for (const auto& [w, h] :
            { std::pair { 1, 1 }, std::pair { 1, 9 }, std::pair { 9, 1 }, std::pair { 5, 6 } }) {
            const TestImage image(w, h, [](int x, int y) { return 4000 + 50 * x + 7 * y; });
            TestOutput out(w, h);
            QVERIFY(pipeline.render(image.frame(), FourteenBit, out.image()));
            for (std::uint32_t pixel : out.pixels)
                QCOMPARE(pixel >> 24, 0xFFu);
        }
    }
};

QTEST_GUILESS_MAIN(TestDisplayPipeline)
#include "tst_displaypipeline.moc"
