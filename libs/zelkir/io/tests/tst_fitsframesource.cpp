#include "support/fitstestwriter.h"

#include <zelkir/io/framesourcefactory.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

#include <fitsio.h>

using namespace zelkir;

namespace {

constexpr int Width = 5;
constexpr int Height = 4;
constexpr int Frames = 2;

double storedValue(int bitpix, double low, double high, std::size_t k, std::size_t count)
{
    // Weighted, not low + (high - low) * t, which overflows near the largest doubles.
    const double t = double(k) / double(count - 1);
    double v = low * (1.0 - t) + high * t;
    if (bitpix > 0)
        v = std::round(v);
    if (bitpix == -32)
        v = double(float(v));
    return v;
}

/// Distinct values from `low` to `high`, spread over frames so row order and frame order show.
std::vector<double> spreadValues(int bitpix, double low, double high, std::size_t count)
{
    std::vector<double> values(count);
    // A stride coprime with the count scatters the extremes over the picture.
    for (std::size_t i = 0; i < count; ++i)
        values[(i * 7) % count] = storedValue(bitpix, low, high, i, count);
    return values;
}

/// Puts `value` into the header card that starts with `card` (name, padding and "= ")
/// of the file at `path`, as a damaged or hand-edited header would have it.
bool rewriteCard(const QString& path, const QByteArray& card, const QByteArray& value)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    const int at = bytes.indexOf(card);
    if (at < 0)
        return false;
    bytes.replace(at + 10, 20, value.rightJustified(20, ' '));
    return file.seek(0) && file.write(bytes) == bytes.size();
}

} // namespace

class TestFitsFrameSource : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readsEveryBitpix_data();
    void readsEveryBitpix();
    void pixelsWithoutValue_data();
    void pixelsWithoutValue();
    void framesFromAxes_data();
    void framesFromAxes();
    void topDownRowOrder();
    void keywordsForDisplay();
    void longStringsJoinInLinearTime_data();
    void longStringsJoinInLinearTime();
    void imageInExtension();
    void compressedImageMatchesPlain_data();
    void compressedImageMatchesPlain();
    void frameTable();
    void damagedFrameTableIsLeftAlone();
    void frameRateKeyword_data();
    void frameRateKeyword();
    void noTimes();
    void countRangeFromDataRange_data();
    void countRangeFromDataRange();
    void calibrationAndPresets();
    void frameIndexOutOfRange();
    void declaredFramesBeyondTheFile();
    void lastBlockWithoutPadding_data();
    void lastBlockWithoutPadding();
    void shrunkFileFailsEveryTime();

private:
    QString write(const FitsTestCube& cube, const QString& name = QStringLiteral("test.fits"));
    std::unique_ptr<FrameSource> open(const FitsTestCube& cube);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFitsFrameSource::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFitsFrameSource::cleanup()
{
    m_dir.reset();
}

QString TestFitsFrameSource::write(const FitsTestCube& cube, const QString& name)
{
    const QString path = m_dir->filePath(name);
    QString error;
    if (!writeFitsTestFile(path, cube, &error))
        qWarning("%s", qPrintable(error));
    return path;
}

std::unique_ptr<FrameSource> TestFitsFrameSource::open(const FitsTestCube& cube)
{
    QString error;
    auto source = FrameSourceFactory::open(write(cube), &error);
    if (!source)
        qWarning("open failed: %s", qPrintable(error));
    return source;
}

void TestFitsFrameSource::readsEveryBitpix_data()
{
    QTest::addColumn<int>("bitpix");
    QTest::addColumn<double>("bscale");
    QTest::addColumn<double>("bzero");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<bool>("exact");

    QTest::newRow("8-bit") << 8 << 1.0 << 0.0 << 0.0 << 255.0 << true;
    QTest::newRow("8-bit, signed by BZERO") << 8 << 1.0 << -128.0 << 0.0 << 255.0 << true;
    QTest::newRow("16-bit signed") << 16 << 1.0 << 0.0 << -32768.0 << 32767.0 << true;
    QTest::newRow("16-bit unsigned by BZERO") << 16 << 1.0 << 32768.0 << -32768.0 << 32767.0 << true;
    QTest::newRow("16-bit scaled") << 16 << 0.25 << 100.0 << -1000.0 << 1000.0 << true;
    QTest::newRow("32-bit within 16 bits") << 32 << 1.0 << 0.0 << 0.0 << 16383.0 << true;
    QTest::newRow("32-bit narrow span") << 32 << 1.0 << 0.0 << 100000.0 << 150000.0 << true;
    QTest::newRow("32-bit full") << 32 << 1.0 << 0.0 << -2.0e9 << 2.0e9 << false;
    QTest::newRow("32-bit scaled") << 32 << 0.001 << 5.0 << -1.0e6 << 1.0e6 << false;
    QTest::newRow("64-bit") << 64 << 1.0 << 0.0 << -1.0e15 << 1.0e15 << false;
    QTest::newRow("float") << -32 << 1.0 << 0.0 << -40.5 << 150.25 << false;
    QTest::newRow("float holding counts") << -32 << 1.0 << 0.0 << 0.0 << 4095.0 << true;
    QTest::newRow("double tiny") << -64 << 1.0 << 0.0 << 1.0e-3 << 2.0e-3 << false;
    QTest::newRow("double scaled") << -64 << 2.0 << 10.0 << -1.0 << 1.0 << false;
    // Legal values whose span exceeds the largest double.
    QTest::newRow("double near the largest") << -64 << 1.0 << 0.0 << -1.7e308 << 1.7e308 << false;
    QTest::newRow("double, BSCALE 1e308") << -64 << 1e308 << 0.0 << -1.0 << 1.0 << false;
    QTest::newRow("16-bit, BSCALE 1e308") << 16 << 1e308 << 0.0 << -1.0 << 1.0 << false;
}

void TestFitsFrameSource::readsEveryBitpix()
{
    QFETCH(int, bitpix);
    QFETCH(double, bscale);
    QFETCH(double, bzero);
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(bool, exact);

    FitsTestCube cube;
    cube.bitpix = bitpix;
    cube.axes = { Width, Height, Frames };
    cube.stored = spreadValues(bitpix, low, high, Width * Height * Frames);
    cube.cards = { { "BSCALE", bscale }, { "BZERO", bzero } };
    const auto source = open(cube);
    QVERIFY(source);
    QCOMPARE(source->info().format, QStringLiteral("FITS"));
    QCOMPARE(source->width(), Width);
    QCOMPARE(source->height(), Height);
    QCOMPARE(source->frameCount(), Frames);

    for (int f = Frames - 1; f >= 0; --f) {
        Frame frame;
        QString error;
        QVERIFY2(source->readFrame(f, frame, &error), qPrintable(error));
        QCOMPARE(frame.index, f);
        QCOMPARE(frame.width, Width);
        QCOMPARE(frame.height, Height);
        QCOMPARE(frame.counts.size(), std::size_t(Width * Height));
        QVERIFY(frame.noValue.empty());
        if (exact)
            QCOMPARE(std::abs(frame.scale.scale), std::abs(bscale));
        const double tolerance = exact ? 0.0 : std::abs(frame.scale.scale) / 2.0;
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                const double expected = bzero + bscale * cube.stored[fitsElement(cube, x, y, f)];
                const double got = frame.scale.toPhysical(frame.at(x, y));
                const double slack = tolerance + 1e-9 * std::max(1.0, std::abs(expected));
                if (std::abs(got - expected) > slack)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) of frame %3: %4, expected %5")
                                         .arg(x)
                                         .arg(y)
                                         .arg(f)
                                         .arg(got, 0, 'g', 17)
                                         .arg(expected, 0, 'g', 17)));
            }
        }
    }
}

void TestFitsFrameSource::pixelsWithoutValue_data()
{
    QTest::addColumn<int>("bitpix");
    QTest::addColumn<QList<FitsTestCard>>("cards");
    QTest::addColumn<double>("missing");
    QTest::newRow("float NaN") << -32 << QList<FitsTestCard> {} << std::nan("");
    QTest::newRow("double infinity") << -64 << QList<FitsTestCard> {} << HUGE_VAL;
    QTest::newRow("double minus infinity") << -64 << QList<FitsTestCard> {} << -HUGE_VAL;
    QTest::newRow("8-bit BLANK") << 8 << QList<FitsTestCard> { { "BLANK", 255 } } << 255.0;
    QTest::newRow("16-bit BLANK") << 16 << QList<FitsTestCard> { { "BLANK", -32768 } } << -32768.0;
    QTest::newRow("32-bit BLANK") << 32 << QList<FitsTestCard> { { "BLANK", 7 } } << 7.0;
}

void TestFitsFrameSource::pixelsWithoutValue()
{
    QFETCH(int, bitpix);
    QFETCH(QList<FitsTestCard>, cards);
    QFETCH(double, missing);
    FitsTestCube cube;
    cube.bitpix = bitpix;
    cube.cards = cards;
    cube.stored = std::vector<double>(12, 20.0);
    cube.stored[fitsElement(cube, 1, 0, 0)] = missing;
    cube.stored[fitsElement(cube, 3, 2, 0)] = missing;
    cube.stored[fitsElement(cube, 2, 0, 0)] = 30.0;
    const auto source = open(cube);
    QVERIFY(source);
    Frame frame;
    QString error;
    QVERIFY2(source->readFrame(0, frame, &error), qPrintable(error));
    QCOMPARE(frame.noValue.size(), frame.counts.size());
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x)
            QCOMPARE(frame.hasValue(x, y), !((x == 1 && y == 0) || (x == 3 && y == 2)));
    }
    QCOMPARE(frame.scale.toPhysical(frame.at(0, 0)), 20.0);
    QVERIFY(std::abs(frame.scale.toPhysical(frame.at(2, 0)) - 30.0) <= frame.scale.scale / 2);
    // Neutral counts, within the others', so smoothing sees no spike.
    QVERIFY(frame.at(1, 0) >= frame.at(0, 0) && frame.at(1, 0) <= frame.at(2, 0));
}

void TestFitsFrameSource::framesFromAxes_data()
{
    QTest::addColumn<QList<long long>>("axes");
    QTest::addColumn<int>("frames");
    QTest::newRow("image") << QList<long long> { 6, 3 } << 1;
    QTest::newRow("cube of one") << QList<long long> { 6, 3, 1 } << 1;
    QTest::newRow("cube") << QList<long long> { 6, 3, 5 } << 5;
    QTest::newRow("four axes") << QList<long long> { 6, 3, 2, 3 } << 6;
}

void TestFitsFrameSource::framesFromAxes()
{
    QFETCH(QList<long long>, axes);
    QFETCH(int, frames);
    FitsTestCube cube;
    cube.axes = axes;
    for (int i = 0; i < 18 * frames; ++i)
        cube.stored.push_back(i);
    const auto source = open(cube);
    QVERIFY(source);
    QCOMPARE(source->frameCount(), frames);
    Frame frame;
    for (int f : { frames - 1, 0, frames / 2 }) {
        QVERIFY(source->readFrame(f, frame, nullptr));
        // The bottom-left pixel is the plane's first element.
        QCOMPARE(frame.scale.toPhysical(frame.at(0, 2)), double(18 * f));
        QCOMPARE(frame.scale.toPhysical(frame.at(5, 0)), double(18 * f + 17));
    }
}

void TestFitsFrameSource::topDownRowOrder()
{
    FitsTestCube cube;
    cube.axes = { 2, 3 };
    cube.stored = { 1, 2, 3, 4, 5, 6 };
    cube.cards = { { "ROWORDER", QStringLiteral("TOP-DOWN") } };
    const auto source = open(cube);
    QVERIFY(source);
    Frame frame;
    QVERIFY(source->readFrame(0, frame, nullptr));
    QCOMPARE(frame.scale.toPhysical(frame.at(0, 0)), 1.0);
    QCOMPARE(frame.scale.toPhysical(frame.at(1, 2)), 6.0);
}

void TestFitsFrameSource::keywordsForDisplay()
{
    FitsTestCube cube;
    cube.cards = {
        { "INSTRUME", QStringLiteral("Test camera") },
        { "OBSERVER", QStringLiteral("O'Neil") },
        { "EXPTIME", 0.0125 },
        { "FRAMENO", 42 },
        { "SHUTTER", true },
    };
    cube.longString = QString(100, QLatin1Char('x')) + QStringLiteral("END");
    const auto source = open(cube);
    QVERIFY(source);
    const FileKeywords& keywords = source->fileKeywords();
    auto value = [&](const char* name) {
        const FileKeyword* k = findKeyword(keywords, QLatin1String(name));
        return k ? k->value : QStringLiteral("<missing>");
    };
    QCOMPARE(value("INSTRUME"), QStringLiteral("Test camera"));
    QCOMPARE(value("OBSERVER"), QStringLiteral("O'Neil"));
    QCOMPARE(value("EXPTIME").toDouble(), 0.0125);
    QCOMPARE(value("FRAMENO"), QStringLiteral("42"));
    QCOMPARE(value("SHUTTER"), QStringLiteral("T"));
    QCOMPARE(value("LONGSTR"), cube.longString);
    for (const char* structural : { "SIMPLE", "BITPIX", "NAXIS", "NAXIS1", "NAXIS2", "EXTEND", "COMMENT",
             "HISTORY", "CONTINUE", "END" })
        QVERIFY2(!findKeyword(keywords, QLatin1String(structural)), structural);
    for (const FileKeyword& k : keywords)
        QVERIFY2(!k.name.isEmpty(), "blank keyword offered");
}

void TestFitsFrameSource::longStringsJoinInLinearTime_data()
{
    QTest::addColumn<int>("keywords");
    QTest::addColumn<int>("continuations");
    QTest::newRow("one value of 17000 cards") << 1 << 17000;
    QTest::newRow("8000 values of two cards") << 8000 << 1;
}

void TestFitsFrameSource::longStringsJoinInLinearTime()
{
    QFETCH(int, keywords);
    QFETCH(int, continuations);
    const auto card = [](const QByteArray& text) { return text.leftJustified(80, ' ', true); };
    QByteArray fits = card("SIMPLE  =                    T") + card("BITPIX  =                    8")
        + card("NAXIS   =                    2") + card("NAXIS1  =                    1")
        + card("NAXIS2  =                    1");
    for (int k = 0; k < keywords; ++k) {
        fits += card("L" + QByteArray::number(k).rightJustified(7, '0') + "= 'ab&'");
        for (int c = 0; c < continuations; ++c)
            fits += card(c + 1 < continuations ? "CONTINUE  'ab&'" : "CONTINUE  'cd'");
    }
    fits += card("END");
    fits = fits.leftJustified((fits.size() + 2879) / 2880 * 2880, ' ') + QByteArray(2880, '\0');

    QElapsedTimer timer;
    timer.start();
    QString error;
    const auto source = FrameSourceFactory::openData(fits, &error);
    // Joining each card by searching the header again took seconds here.
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    QVERIFY2(source, qPrintable(error));
    const QString name = QStringLiteral("L%1").arg(keywords - 1, 7, 10, QLatin1Char('0'));
    const FileKeyword* last = findKeyword(source->fileKeywords(), name);
    QVERIFY(last);
    // Joined, and cut at the longest text shown.
    QCOMPARE(last->value, continuations == 1 ? QStringLiteral("abcd") : QStringLiteral("ab").repeated(2048));
}

void TestFitsFrameSource::imageInExtension()
{
    FitsTestCube cube;
    cube.inExtension = true;
    cube.axes = { 3, 2, 2 };
    cube.stored = { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 };
    cube.cards = { { "EXTNAME", QStringLiteral("SCIENCE") } };
    const auto source = open(cube);
    QVERIFY(source);
    QCOMPARE(source->frameCount(), 2);
    QVERIFY(findKeyword(source->fileKeywords(), QStringLiteral("EXTNAME")));
    Frame frame;
    QVERIFY(source->readFrame(1, frame, nullptr));
    QCOMPARE(frame.scale.toPhysical(frame.at(0, 1)), 6.0);
}

void TestFitsFrameSource::compressedImageMatchesPlain_data()
{
    QTest::addColumn<int>("bitpix");
    QTest::addColumn<int>("compression");
    QTest::addColumn<QList<long>>("tile");
    const QList<long> rows;
    QTest::newRow("rice 16") << 16 << RICE_1 << rows;
    QTest::newRow("rice 16, blank pixel") << 16 << RICE_1 << rows;
    QTest::newRow("rice 8, odd tiles") << 8 << RICE_1 << QList<long> { 5, 3, 1 };
    QTest::newRow("gzip 1") << 16 << GZIP_1 << rows;
    QTest::newRow("gzip 2, 32-bit, planes") << 32 << GZIP_2 << QList<long> { 16, 8, 1 };
    QTest::newRow("gzip float") << -32 << GZIP_1 << rows;
    QTest::newRow("gzip float, nan pixel") << -32 << GZIP_1 << rows;
    QTest::newRow("hcompress") << 16 << HCOMPRESS_1 << QList<long> { 16, 8, 1 };
    QTest::newRow("hcompress 32, odd tiles") << 32 << HCOMPRESS_1 << QList<long> { 7, 5, 1 };
    QTest::newRow("plio") << 16 << PLIO_1 << rows;
    QTest::newRow("tiles span frames") << 16 << RICE_1 << QList<long> { 16, 4, 2 };
}

void TestFitsFrameSource::compressedImageMatchesPlain()
{
    QFETCH(int, bitpix);
    QFETCH(int, compression);
    QFETCH(QList<long>, tile);
    FitsTestCube cube;
    cube.bitpix = bitpix;
    cube.axes = { 16, 8, 3 };
    // Non-negative, as PLIO wants, and within a byte for 8-bit images.
    for (int i = 0; i < 16 * 8 * 3; ++i)
        cube.stored.push_back((i * 37) % (bitpix == 8 ? 256 : 4000) + (bitpix < 0 ? 0.25 : 0.0));
    // A pixel without a value stays one, in its place, through the tiles.
    if (QByteArray(QTest::currentDataTag()).contains("pixel")) {
        if (bitpix > 0)
            cube.cards.append({ "BLANK", 3999 });
        cube.stored[fitsElement(cube, 3, 1, 2)] = bitpix > 0 ? 3999.0 : std::nan("");
    }
    const auto plain = open(cube);
    cube.compression = compression;
    cube.tile = tile;
    QString error;
    const auto compressed = FrameSourceFactory::open(write(cube, QStringLiteral("z.fits")), &error);
    QVERIFY2(plain && compressed, qPrintable(error));
    QCOMPARE(compressed->frameCount(), 3);
    Frame expected;
    Frame frame;
    // Out of order, so tiles are not only met in file order.
    for (int index : { 2, 0, 1 }) {
        QVERIFY(plain->readFrame(index, expected, nullptr));
        QVERIFY2(compressed->readFrame(index, frame, &error), qPrintable(error));
        QCOMPARE(frame.counts, expected.counts);
        QCOMPARE(frame.scale, expected.scale);
        QCOMPARE(frame.noValue, expected.noValue);
        QCOMPARE(frame.hasValue(3, 1), index != 2 || !QByteArray(QTest::currentDataTag()).contains("pixel"));
    }
}

void TestFitsFrameSource::frameTable()
{
    FitsTestCube cube;
    cube.axes = { 2, 2, 4 };
    cube.times = { 0.0, 0.04, 0.08, 0.12 };
    cube.presets = { 0, 1, 0, 1 };
    cube.cards = { { "SEQUENCE", true }, { "PRESETS", 3 }, { "BZERO", 32768.0 } };
    for (int i = 0; i < 16; ++i)
        cube.stored.push_back(i * 1000 - 8000);
    const auto source = open(cube);
    QVERIFY(source);
    QCOMPARE(source->frameTime(2), 0.08);
    QCOMPARE(source->frameTime(0), 0.0);
    QVERIFY(std::isnan(source->frameTime(4)));
    QCOMPARE(source->framePreset(1), 1);
    QCOMPARE(source->framePreset(2), 0);
    QCOMPARE(source->framePreset(-1), -1);
    QVERIFY(std::abs(source->info().frameRate - 25.0) < 1e-9);
    Frame frame;
    QVERIFY(source->readFrame(3, frame, nullptr));
    QCOMPARE(frame.time, 0.12);
    QCOMPARE(frame.preset, 1);
    // Reading the table between frames must not disturb how pixels are scaled.
    QCOMPARE(frame.scale.toPhysical(frame.at(1, 1)), 32768.0 + cube.stored[fitsElement(cube, 1, 1, 3)]);
    QCOMPARE(int(frame.at(1, 1)), int(32768 + cube.stored[fitsElement(cube, 1, 1, 3)]));
}

void TestFitsFrameSource::damagedFrameTableIsLeftAlone()
{
    FitsTestCube cube;
    cube.axes = { 2, 2, 3 };
    cube.times = { 0.0, 0.5, 1.0 };
    const QString path = write(cube);
    // cfitsio would size its column list from this and fill gigabytes before failing.
    QVERIFY(rewriteCard(path, "TFIELDS =", "100000000"));
    QString error;
    const auto source = FrameSourceFactory::open(path, &error);
    QVERIFY2(source, qPrintable(error));
    QVERIFY(std::isnan(source->frameTime(1)));
    Frame frame;
    QVERIFY(source->readFrame(2, frame, &error));
}

void TestFitsFrameSource::frameRateKeyword_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("FRMRATE") << QByteArray("FRMRATE");
    QTest::newRow("FRAMERATE, a HIERARCH card") << QByteArray("FRAMERATE");
}

void TestFitsFrameSource::frameRateKeyword()
{
    QFETCH(QByteArray, name);
    FitsTestCube cube;
    cube.axes = { 2, 2, 3 };
    cube.cards = { { name, 50.0 } };
    const auto source = open(cube);
    QVERIFY(source);
    QCOMPARE(source->info().frameRate, 50.0);
    QCOMPARE(source->frameTime(2), 0.04);
}

void TestFitsFrameSource::noTimes()
{
    FitsTestCube cube;
    cube.axes = { 2, 2, 3 };
    const auto source = open(cube);
    QVERIFY(source);
    QVERIFY(std::isnan(source->info().frameRate));
    QVERIFY(std::isnan(source->frameTime(1)));
    QCOMPARE(source->framePreset(1), 0);
    QVERIFY(!source->presetInfo().sequencing);
}

void TestFitsFrameSource::countRangeFromDataRange_data()
{
    QTest::addColumn<int>("bitpix");
    QTest::addColumn<QList<FitsTestCard>>("cards");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("bits");
    const QList<FitsTestCard> unsigned16 { { "BZERO", 32768.0 } };
    QTest::newRow("8-bit") << 8 << QList<FitsTestCard> {} << 0 << 255 << 8;
    QTest::newRow("16-bit") << 16 << QList<FitsTestCard> {} << 0 << 65535 << 16;
    QTest::newRow("14-bit camera")
        << 16 << (unsigned16 + QList<FitsTestCard> { { "DATAMIN", 0.0 }, { "DATAMAX", 16383.0 } }) << 0
        << 16383 << 14;
    QTest::newRow("signed, declared")
        << 16 << QList<FitsTestCard> { { "DATAMIN", -100.0 }, { "DATAMAX", 100.0 } } << 32668 << 32868 << 16;
    QTest::newRow("inverted range ignored")
        << 16 << (unsigned16 + QList<FitsTestCard> { { "DATAMIN", 9.0 }, { "DATAMAX", 1.0 } }) << 0 << 65535
        << 16;
    QTest::newRow("float maps onto 16 bits") << -32 << QList<FitsTestCard> {} << 0 << 65535 << 16;
}

void TestFitsFrameSource::countRangeFromDataRange()
{
    QFETCH(int, bitpix);
    QFETCH(QList<FitsTestCard>, cards);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, bits);
    FitsTestCube cube;
    cube.bitpix = bitpix;
    cube.cards = cards;
    const auto source = open(cube);
    QVERIFY(source);
    QCOMPARE(int(source->countRange().minimum), minimum);
    QCOMPARE(int(source->countRange().maximum), maximum);
    QCOMPARE(source->countRange().bitDepth(), bits);
}

void TestFitsFrameSource::calibrationAndPresets()
{
    FitsTestCube cube;
    cube.axes = { 2, 2, 6 };
    cube.cards = {
        { "RADGAIN", 0.0125 },
        { "RADOFFS", 10.5 },
        { "PLANCK_R", 5685.8 },
        { "PLANCK_B", 1404.0 },
        { "PLANCK_F", 1.0 },
        { "PLANCK_O", 1.63 },
        { "EMISSIV", 0.95 },
        { "SEQUENCE", true },
        { "PRESETS", 0x0D },
    };
    const auto source = open(cube);
    QVERIFY(source);
    const CalibrationParameters& calibration = source->calibration();
    QVERIFY(calibration.radiance);
    QCOMPARE(calibration.radiance->gain, 0.0125);
    QCOMPARE(calibration.radiance->offset, 10.5);
    QVERIFY(calibration.planck);
    QCOMPARE(calibration.planck->o, 1.63);
    QCOMPARE(calibration.emissivity.value_or(0.0), 0.95);
    QVERIFY(source->presetInfo().sequencing);
    QCOMPARE(int(source->presetInfo().availablePresets), 0x0D);
    // Without a PRESET column the frames cycle through presets 0, 2 and 3.
    const QList<int> expected { 0, 2, 3, 0, 2, 3 };
    for (int f = 0; f < 6; ++f)
        QCOMPARE(source->framePreset(f), expected.at(f));
}

void TestFitsFrameSource::frameIndexOutOfRange()
{
    FitsTestCube cube;
    cube.axes = { 2, 2, 2 };
    const auto source = open(cube);
    QVERIFY(source);
    Frame frame;
    for (int index : { -1, 2, 1000 }) {
        QString error;
        QVERIFY(!source->readFrame(index, frame, &error));
        QVERIFY(!error.isEmpty());
    }
}

void TestFitsFrameSource::declaredFramesBeyondTheFile()
{
    FitsTestCube cube;
    cube.axes = { 2, 2, 3 };
    cube.cards = { { "SEQUENCE", true }, { "PRESETS", 15 } };
    cube.stored = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 };
    const QString path = write(cube);
    QVERIFY(rewriteCard(path, "NAXIS3  = ", "2147483647"));
    QString error;
    const auto source = FrameSourceFactory::open(path, &error);
    QVERIFY2(source, qPrintable(error));
    // One 2880-byte data block holds 360 frames of 2 x 2 x 16 bits.
    QCOMPARE(source->frameCount(), 360);
    QCOMPARE(source->framePreset(359), 3);
    Frame frame;
    QVERIFY2(source->readFrame(2, frame, &error), qPrintable(error));
    QCOMPARE(frame.scale.toPhysical(frame.at(1, 0)), 12.0);
}

void TestFitsFrameSource::lastBlockWithoutPadding_data()
{
    QTest::addColumn<bool>("inMemory");
    QTest::addColumn<bool>("withTable");
    QTest::newRow("file") << false << false;
    QTest::newRow("memory") << true << false;
    QTest::newRow("file with frame table") << false << true;
}

void TestFitsFrameSource::lastBlockWithoutPadding()
{
    QFETCH(bool, inMemory);
    QFETCH(bool, withTable);
    FitsTestCube cube;
    cube.axes = { 5, 4, 3 };
    for (int i = 0; i < 60; ++i)
        cube.stored.push_back(i);
    // The last stored bytes must not be zeros, which the padding is told apart from.
    if (withTable)
        cube.times = { 0.0, 0.3, 0.7 };
    QFile file(write(cube));
    QVERIFY(file.open(QIODevice::ReadWrite));
    // Some writers stop at the last byte of data instead of filling the block.
    const QByteArray bytes = file.readAll();
    qint64 end = bytes.size();
    while (end > 0 && bytes.at(end - 1) == 0)
        --end;
    QVERIFY(end % 2880 != 0);
    QVERIFY(file.resize(end));
    file.close();
    QString error;
    const auto source = inMemory ? FrameSourceFactory::openData(bytes.left(end), &error)
                                 : FrameSourceFactory::open(file.fileName(), &error);
    QVERIFY2(source, qPrintable(error));
    QCOMPARE(source->frameCount(), 3);
    Frame frame;
    for (int attempt = 0; attempt < 2; ++attempt) {
        for (int f : { 2, 0 }) {
            QVERIFY2(source->readFrame(f, frame, &error), qPrintable(error));
            QCOMPARE(frame.scale.toPhysical(frame.at(4, 0)), double(cube.stored[fitsElement(cube, 4, 0, f)]));
        }
        // The table's last rows lie in the short block.
        if (withTable)
            QCOMPARE(source->frameTime(2), 0.7);
    }
}

void TestFitsFrameSource::shrunkFileFailsEveryTime()
{
    FitsTestCube cube;
    cube.axes = { 40, 30, 4 };
    for (int i = 0; i < 40 * 30 * 4; ++i)
        cube.stored.push_back(i % 30000);
    QFile file(write(cube));
    QString error;
    const auto source = FrameSourceFactory::open(file.fileName(), &error);
    QVERIFY2(source, qPrintable(error));
    Frame frame;
    for (int f : { 3, 2, 1, 0 })
        QVERIFY2(source->readFrame(f, frame, &error), qPrintable(error));
    // Cut inside frame 2 (1-based), after the file was opened.
    const qint64 frameBytes = 40 * 30 * 2;
    QVERIFY(file.resize(file.size() - 2880 * ((4 * frameBytes + 2879) / 2880) + frameBytes * 3 / 2));
    for (int attempt = 0; attempt < 2; ++attempt) {
        for (int f : { 3, 2, 1 }) {
            error.clear();
            QVERIFY(!source->readFrame(f, frame, &error));
            QVERIFY(!error.isEmpty());
        }
        QVERIFY2(source->readFrame(0, frame, &error), qPrintable(error));
        for (int x = 0; x < 40; ++x)
            QCOMPARE(frame.scale.toPhysical(frame.at(x, 29)), cube.stored[fitsElement(cube, x, 29, 0)]);
    }
}

QTEST_GUILESS_MAIN(TestFitsFrameSource)
#include "tst_fitsframesource.moc"
