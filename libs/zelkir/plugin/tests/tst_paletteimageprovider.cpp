#include "paletteimageprovider.h"
#include "palettelist.h"

#include <QTemporaryDir>
#include <QTest>

using zelkir::PaletteCatalog;
using zelkir::PaletteImageProvider;

class TestPaletteImageProvider : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rampHasHotAtTheTop_data();
    void rampHasHotAtTheTop();
    void unknownNamesGiveNothing_data();
    void unknownNamesGiveNothing();
    void grayscaleAlwaysPresent();
};

void TestPaletteImageProvider::rampHasHotAtTheTop_data()
{
    QTest::addColumn<QString>("name");
    const auto catalog = PaletteCatalog::load(QStringLiteral(ZELKIR_TEST_PALETTES_DIR));
    QVERIFY(catalog->count() > 1);
    for (const QString& name : catalog->names())
        QTest::newRow(qPrintable(name)) << name;
}

void TestPaletteImageProvider::rampHasHotAtTheTop()
{
    QFETCH(QString, name);
    const auto catalog = PaletteCatalog::load(QStringLiteral(ZELKIR_TEST_PALETTES_DIR));
    PaletteImageProvider provider(catalog);
    QSize size;
    const QImage image = provider.requestImage(name, &size, QSize());
    QCOMPARE(image.size(), QSize(1, 256));
    QCOMPARE(size, QSize(1, 256));
    const auto palette = catalog->palette(catalog->indexOf(name));
    QVERIFY(palette);
    for (int level = 0; level < zelkir::Palette::Levels; ++level)
        QCOMPARE(image.pixel(0, 255 - level), palette->colour(level));
}

void TestPaletteImageProvider::unknownNamesGiveNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("unknown") << QStringLiteral("NoSuchPalette");
    QTest::newRow("empty") << QString();
    QTest::newRow("path") << QStringLiteral("../../etc/passwd");
    QTest::newRow("wrong case") << QStringLiteral("grayscale");
}

void TestPaletteImageProvider::unknownNamesGiveNothing()
{
    QFETCH(QString, name);
    PaletteImageProvider provider(PaletteCatalog::load(QStringLiteral(ZELKIR_TEST_PALETTES_DIR)));
    QSize size(7, 7);
    QVERIFY(provider.requestImage(name, &size, QSize(10, 10)).isNull());
    QVERIFY(size.isEmpty());
}

void TestPaletteImageProvider::grayscaleAlwaysPresent()
{
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    const auto catalog = PaletteCatalog::load(empty.path());
    QCOMPARE(catalog->names(), QStringList { PaletteCatalog::grayscaleName() });
    QCOMPARE(PaletteCatalog::load(QString())->names(), QStringList { PaletteCatalog::grayscaleName() });
    zelkir::PaletteList list(catalog);
    QCOMPARE(list.paletteNames(), QStringList { PaletteCatalog::grayscaleName() });
    PaletteImageProvider provider(catalog);
    const QImage image = provider.requestImage(PaletteCatalog::grayscaleName(), nullptr, QSize());
    QCOMPARE(image.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(0, 255), qRgb(0, 0, 0));

    // A directory that has it keeps one, in its sorted place.
    const auto full = PaletteCatalog::load(QStringLiteral(ZELKIR_TEST_PALETTES_DIR));
    QCOMPARE(full->names().count(PaletteCatalog::grayscaleName()), 1);
    QVERIFY(full->names().size() >= 11);
}

QTEST_GUILESS_MAIN(TestPaletteImageProvider)
#include "tst_paletteimageprovider.moc"
