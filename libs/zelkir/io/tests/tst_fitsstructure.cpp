#include "fitsstructure.h"
#include "support/fitstestwriter.h"

#include <zelkir/io/framesourcefactory.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zelkir;

namespace {

constexpr int Block = 2880;

/// Rewrites the value of the `occurrence`-th card called `name`.
bool patchCard(QByteArray& bytes, const QByteArray& name, const QByteArray& value, int occurrence = 1)
{
    const QByteArray key = name.leftJustified(8, ' ');
    for (int card = 0; card + 80 <= bytes.size(); card += 80) {
        if (bytes.mid(card, 8) == key && --occurrence == 0) {
            bytes.replace(card + 10, 20, value.rightJustified(20, ' '));
            return true;
        }
    }
    return false;
}

FitsByteReader reader(const QByteArray& bytes)
{
    return [bytes](qint64 offset, qint64 length) { return bytes.mid(offset, length); };
}

} // namespace

class TestFitsStructure : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void validFile();
    void stopsAtBrokenHeaders_data();
    void stopsAtBrokenHeaders();
    void truncatedHeader();
    void stopsAtMisplacedOrDamagedNames_data();
    void stopsAtMisplacedOrDamagedNames();
    void damagedTileTable_data();
    void damagedTileTable();
    void compressedCubeCutShort();

private:
    QTemporaryDir m_dir;
    QByteArray m_file;
    /// 16 x 8 x 3 with one tile per row (24 rows of one 'P' descriptor), by cfitsio's
    /// compression type.
    QByteArray compressedFile(int compression);

    QByteArray m_compressed;
};

void TestFitsStructure::initTestCase()
{
    QVERIFY(m_dir.isValid());
    FitsTestCube cube;
    cube.inExtension = true;
    cube.axes = { 7, 5, 3 };
    cube.cards = { { "EXTNAME", QStringLiteral("SCIENCE") } };
    cube.times = { 0.0, 0.1, 0.2 };
    const QString path = m_dir.filePath(QStringLiteral("three.fits"));
    QString error;
    QVERIFY2(writeFitsTestFile(path, cube, &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    m_file = file.readAll();

    m_compressed = compressedFile(11); // RICE_1
}

QByteArray TestFitsStructure::compressedFile(int compression)
{
    FitsTestCube cube;
    cube.axes = { 16, 8, 3 };
    for (int i = 0; i < 16 * 8 * 3; ++i)
        cube.stored.push_back((i * 37) % 4000);
    cube.compression = compression;
    const QString path = m_dir.filePath(QStringLiteral("%1.fz").arg(compression));
    QString error;
    if (!writeFitsTestFile(path, cube, &error))
        qWarning("%s", qPrintable(error));
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestFitsStructure::validFile()
{
    const std::vector<FitsHduSummary> hdus = FitsStructure::scan(reader(m_file));
    QCOMPARE(hdus.size(), std::size_t(3));
    QCOMPARE(hdus[0].number, 1);
    QCOMPARE(hdus[0].axes, 0);
    QCOMPARE(hdus[1].kind, FitsHduSummary::Kind::Image);
    QCOMPARE(hdus[1].axes, 3);
    QCOMPARE(hdus[1].extname, QStringLiteral("SCIENCE"));
    QCOMPARE(hdus[2].kind, FitsHduSummary::Kind::Table);
    QCOMPARE(hdus[2].extname, QStringLiteral("FRAMES"));
    QCOMPARE(hdus[2].number, 3);
}

void TestFitsStructure::stopsAtBrokenHeaders_data()
{
    QTest::addColumn<QByteArray>("card");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("usable");
    QTest::newRow("table with 10 million fields")
        << QByteArray("TFIELDS") << 1 << QByteArray("10000000") << 2;
    QTest::newRow("table with 1000 fields") << QByteArray("TFIELDS") << 1 << QByteArray("1000") << 2;
    QTest::newRow("negative PCOUNT") << QByteArray("PCOUNT") << 2 << QByteArray("-5") << 2;
    QTest::newRow("huge GCOUNT") << QByteArray("GCOUNT") << 1 << QByteArray("99999999999") << 1;
    QTest::newRow("unknown extension") << QByteArray("XTENSION") << 1 << QByteArray("'FOREIGN '") << 1;
    QTest::newRow("image of 1000 axes") << QByteArray("NAXIS") << 2 << QByteArray("1000") << 1;
    QTest::newRow("huge image") << QByteArray("NAXIS1") << 1 << QByteArray("9223372036854775807") << 1;
    QTest::newRow("primary BITPIX 12") << QByteArray("BITPIX") << 1 << QByteArray("12") << 0;
    QTest::newRow("SIMPLE false") << QByteArray("SIMPLE") << 1 << QByteArray("F") << 0;
}

void TestFitsStructure::stopsAtBrokenHeaders()
{
    QFETCH(QByteArray, card);
    QFETCH(int, occurrence);
    QFETCH(QByteArray, value);
    QFETCH(int, usable);
    QByteArray bytes = m_file;
    QVERIFY(patchCard(bytes, card, value, occurrence));
    QCOMPARE(int(FitsStructure::scan(reader(bytes)).size()), usable);
}

void TestFitsStructure::truncatedHeader()
{
    for (int length : { 0, 80, Block - 1 })
        QVERIFY(FitsStructure::scan(reader(m_file.left(length))).empty());
    // A cut inside the image's data leaves the headers before it usable.
    QCOMPARE(FitsStructure::scan(reader(m_file.left(3 * Block))).size(), std::size_t(2));
    QByteArray noEnd = m_file.left(Block);
    noEnd.replace(noEnd.indexOf("END     "), 3, "   ");
    QVERIFY(FitsStructure::scan(reader(noEnd)).empty());
}

void TestFitsStructure::stopsAtMisplacedOrDamagedNames_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<int>("usable");
    // cfitsio reads these cards by position: one out of place must stop the walk there.
    QTest::newRow("table without TFIELDS in place") << QByteArray("TFIELDS ") << QByteArray("TFIELDX ") << 2;
    QTest::newRow("binary in a name") << QByteArray("EXTNAME ") << QByteArray("EXT\x8bNAME", 8) << 1;
    // cfitsio reads on past it, into cards this check never saw.
    QTest::newRow("END not in the first column") << QByteArray("END     ") << QByteArray("  END   ") << 0;
}

void TestFitsStructure::stopsAtMisplacedOrDamagedNames()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(int, usable);
    QByteArray bytes = m_file;
    const int at = bytes.indexOf(from);
    QVERIFY(at > 0 && at % 80 == 0);
    bytes.replace(at, 8, to);
    QCOMPARE(int(FitsStructure::scan(reader(bytes)).size()), usable);
}

void TestFitsStructure::damagedTileTable_data()
{
    QTest::addColumn<QByteArray>("card");
    QTest::addColumn<QByteArray>("value");
    // Without a card: the first descriptor's two fields, count and heap offset.
    QTest::addColumn<qint32>("count");
    QTest::addColumn<qint32>("offset");
    // cfitsio's compression type of the file damaged.
    QTest::addColumn<int>("compression");
    QTest::newRow("tile of zero width") << QByteArray("ZTILE1") << QByteArray("0") << 0 << 0 << 11;
    QTest::newRow("tile wider than the image") << QByteArray("ZTILE1") << QByteArray("17") << 0 << 0 << 11;
    QTest::newRow("rows for other tiles") << QByteArray("ZNAXIS2") << QByteArray("9") << 0 << 0 << 11;
    QTest::newRow("seven axes") << QByteArray("ZNAXIS") << QByteArray("7") << 0 << 0 << 11;
    QTest::newRow("H-compress scale not a number") << QByteArray("ZVAL1") << QByteArray("'x'") << 0 << 0 << 41;
    QTest::newRow("Rice block after a carriage return") << QByteArray("ZVAL1") << QByteArray("\r  32") << 0 << 0 << 11;
    QTest::newRow("Rice block of zero") << QByteArray("ZVAL1") << QByteArray("0") << 0 << 0 << 11;
    QTest::newRow("unknown coder") << QByteArray("ZCMPTYPE") << QByteArray("'BZIP9   '") << 0 << 0 << 11;
    QTest::newRow("descriptor not first") << QByteArray("TFORM1") << QByteArray("' 1PB    '") << 0 << 0 << 11;
    QTest::newRow("row width") << QByteArray("NAXIS1") << QByteArray("16") << 0 << 0 << 11;
    QTest::newRow("huge tile") << QByteArray() << QByteArray() << 0x7fffffff << 0 << 11;
    QTest::newRow("negative count") << QByteArray() << QByteArray() << -5 << 0 << 11;
    QTest::newRow("offset past the heap") << QByteArray() << QByteArray() << 10 << 0x100000 << 11;
    QTest::newRow("negative offset") << QByteArray() << QByteArray() << 10 << -100 << 11;
    QTest::newRow("empty tile") << QByteArray() << QByteArray() << 0 << 0 << 11;
    // A Rice block whose code runs on past the end of the tile.
    QTest::newRow("Rice code past its tile") << QByteArray("heap") << QByteArray() << 0 << 0 << 11;
    // cfitsio would wait for the rest of the stream for ever.
    QTest::newRow("gzip stream cut short") << QByteArray("gzip") << QByteArray() << 0 << 0 << 21;
    // PLIO's decoder reads as many words as the list's header says.
    QTest::newRow("PLIO list longer than its tile") << QByteArray("plio") << QByteArray() << 0 << 0 << 31;
    // H-compress's decoder writes as many pixels as the tile's own header says, and reads
    // on past a tile cut short.
    QTest::newRow("H-compress tile larger than said") << QByteArray("hcompress") << QByteArray() << 0 << 0 << 41;
    QTest::newRow("H-compress code past its tile") << QByteArray("hcompress") << QByteArray() << -1 << 0 << 41;
}

void TestFitsStructure::damagedTileTable()
{
    QFETCH(QByteArray, card);
    QFETCH(QByteArray, value);
    QFETCH(qint32, count);
    QFETCH(qint32, offset);
    QFETCH(int, compression);
    QByteArray bytes = compression == 11 ? m_compressed : compressedFile(compression);
    const std::vector<FitsHduSummary> hdus = FitsStructure::scan(reader(bytes));
    QVERIFY(hdus.size() == 2 && hdus[1].tiles);
    if (card == "hcompress" && count == 0) {
        // The high byte of the tile's height, from its header after the two magic bytes.
        bytes[hdus[1].tiles->heapStart + 2] = 0x10;
    } else if (card == "hcompress") {
        // The first tile's count, the low byte of a big-endian word, loses six bytes.
        const qint64 at = hdus[1].tiles->dataStart + 3;
        QVERIFY(uchar(bytes[at]) > 6);
        bytes[at] = char(uchar(bytes[at]) - 6);
    } else if (card == "plio") {
        // cfitsio writes the list's length into words 4 and 5 (word 3 negative): word 5
        // counts units of 32768 words.
        const qint64 at = hdus[1].tiles->heapStart;
        QVERIFY(bytes[at + 4] < 0);
        bytes[at + 8] = 0x01;
    } else if (card == "gzip") {
        // The first tile's count, a big-endian 32-bit word, loses its last ten bytes.
        const qint64 at = hdus[1].tiles->dataStart + 3;
        QVERIFY(uchar(bytes[at]) > 10);
        bytes[at] = char(uchar(bytes[at]) - 10);
    } else if (card == "heap") {
        // The first tile: two bytes of its first pixel, then a block of Rice code 0 whose
        // leading zeros never end.
        const qint64 at = hdus[1].tiles->heapStart;
        bytes[at + 2] = 0x10;
        for (qint64 i = at + 3; i < hdus[1].tiles->heapStart + hdus[1].tiles->heapBytes; ++i)
            bytes[i] = 0;
    } else if (!card.isEmpty()) {
        QVERIFY(patchCard(bytes, card, value));
    } else {
        const qint64 at = hdus[1].tiles->dataStart;
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = char(quint32(count) >> (24 - 8 * i));
            bytes[at + 4 + i] = char(quint32(offset) >> (24 - 8 * i));
        }
    }
    // Refused at open, with a reason, before cfitsio decompresses anything.
    QString error;
    QVERIFY(!FrameSourceFactory::openData(bytes, &error));
    QVERIFY2(error.contains(QLatin1String("compressed")), qPrintable(error));
}

void TestFitsStructure::compressedCubeCutShort()
{
    // The last frame's tiles lie at the end of the heap: a cut there leaves the rest readable.
    const std::vector<FitsHduSummary> hdus = FitsStructure::scan(reader(m_compressed));
    QVERIFY(hdus.size() == 2 && hdus[1].tiles);
    const FitsTileTable& tiles = *hdus[1].tiles;
    QCOMPARE(tiles.frameRows(2), std::make_pair(qint64(16), qint64(8)));
    QVERIFY(tiles.checkFrame(reader(m_compressed), 2, m_compressed.size()).isEmpty());
    QVERIFY(!tiles.checkFrame(reader(m_compressed), 2, tiles.heapStart + tiles.heapBytes - 1).isEmpty());
    QVERIFY(tiles.checkFrame(reader(m_compressed), 0, tiles.heapStart + tiles.heapBytes - 1).isEmpty());

    const QByteArray cut = m_compressed.left(tiles.heapStart + tiles.heapBytes - 1);
    QString error;
    const auto source = FrameSourceFactory::openData(cut, &error);
    QVERIFY2(source, qPrintable(error));
    Frame frame;
    QVERIFY2(source->readFrame(0, frame, &error), qPrintable(error));
    QVERIFY(!source->readFrame(2, frame, &error));
    QVERIFY(error.contains(QLatin1String("missing")));
}

QTEST_GUILESS_MAIN(TestFitsStructure)
#include "tst_fitsstructure.moc"
