#include "fitsstructure.h"
#include "support/fitstestwriter.h"

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

private:
    QTemporaryDir m_dir;
    QByteArray m_file;
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

QTEST_GUILESS_MAIN(TestFitsStructure)
#include "tst_fitsstructure.moc"
