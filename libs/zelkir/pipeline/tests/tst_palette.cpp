// Palette lookups and the saturation colours a palette gets when its file names none.
#include <zelkir/pipeline/paletteloader.h>

#include <QDir>
#include <QTest>

#include <algorithm>

using namespace zelkir;

namespace {

int distance(std::uint32_t a, std::uint32_t b)
{
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        sum += d * d;
    }
    return sum;
}

int nearestRampDistance(const Palette& palette, std::uint32_t colour)
{
    int best = 1 << 30;
    for (std::uint32_t entry : palette.colours())
        best = std::min(best, distance(entry, colour));
    return best;
}

} // namespace

class TestPalette : public QObject
{
    Q_OBJECT

private slots:
    void greyByDefault()
    {
        const Palette palette;
        for (int level = 0; level < 256; ++level)
            QCOMPARE(palette.colour(level), argb(level, level, level));
        QVERIFY(!palette.isExtended());
    }

    void lookup_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& file : QDir(QStringLiteral(PALETTE_DIR)).entryList({ "*.rpal" }, QDir::Files))
            QTest::newRow(qPrintable(file)) << QStringLiteral(PALETTE_DIR "/") + file;
    }

    void lookup()
    {
        QFETCH(QString, name);
        const auto palette = PaletteLoader::loadFile(name);
        QVERIFY(palette);
        QCOMPARE(palette->colour(0), palette->colours().front());
        QCOMPARE(palette->colour(255), palette->colours().back());
        QCOMPARE(palette->colour(-7), palette->colours().front());
        QCOMPARE(palette->colour(300), palette->colours().back());
        for (std::uint32_t colour : palette->colours())
            QCOMPARE(colour >> 24, 0xFFu);
    }

    void defaultMarkColoursStandApart_data() { lookup_data(); }

    void defaultMarkColoursStandApart()
    {
        QFETCH(QString, name);
        const auto loaded = PaletteLoader::loadFile(name);
        QVERIFY(loaded);
        // Only the table: the defaults apply to every palette without named colours.
        const Palette palette(loaded->colours());
        QVERIFY(palette.underflowColour() != palette.overflowColour());
        QCOMPARE(palette.underflowColour() >> 24, 0xFFu);
        QVERIFY2(nearestRampDistance(palette, palette.underflowColour()) >= 96 * 96, qPrintable(name));
        QVERIFY2(nearestRampDistance(palette, palette.overflowColour()) >= 96 * 96, qPrintable(name));
        QVERIFY(palette.noValueColour() != palette.underflowColour());
        QVERIFY(palette.noValueColour() != palette.overflowColour());
        QVERIFY2(nearestRampDistance(palette, palette.noValueColour()) >= 96 * 96, qPrintable(name));
    }

    void namedColoursReplaceDefaults()
    {
        Palette palette;
        const std::uint32_t defaultOverflow = palette.overflowColour();
        palette.setExtension({}, { { "underflow", argb(1, 2, 3) }, { "novalue", argb(4, 5, 6) } }, {}, {});
        QCOMPARE(palette.underflowColour(), argb(1, 2, 3));
        QCOMPARE(palette.noValueColour(), argb(4, 5, 6));
        QCOMPARE(palette.overflowColour(), defaultOverflow);
    }
};

QTEST_GUILESS_MAIN(TestPalette)
#include "tst_palette.moc"
