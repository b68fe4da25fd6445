#include "support/fitstestwriter.h"
#include "support/tifftestwriter.h"

#include <zelkir/io/filekind.h>
#include <zelkir/io/framesourcefactory.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace zelkir;

namespace {

constexpr int FitsBlock = 2880;
constexpr int CubeWidth = 64;
constexpr int CubeHeight = 48;
constexpr int CubeFrames = 3;
constexpr int CubeFrameBytes = CubeWidth * CubeHeight * 2;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

/// Rewrites the value of the first header card called `name` in a FITS file's bytes.
bool patchCard(QByteArray& bytes, const QByteArray& name, const QByteArray& value)
{
    const QByteArray key = name.leftJustified(8, ' ') + "= ";
    for (int card = 0; card + 80 <= bytes.size() && card < 10 * FitsBlock; card += 80) {
        if (bytes.mid(card, 10) == key) {
            bytes.replace(card + 10, 70, value.rightJustified(20, ' ').leftJustified(70, ' '));
            return true;
        }
    }
    return false;
}

/// Opens and reads every frame; whatever happens, failures must come with a message.
/// Returns the number of frames read, or -1 when the file did not open.
int openAndReadAll(const QString& path)
{
    QString error;
    const auto source = FrameSourceFactory::open(path, &error);
    if (!source) {
        if (error.isEmpty())
            qWarning("open failed without a message: %s", qPrintable(path));
        return error.isEmpty() ? -2 : -1;
    }
    int read = 0;
    Frame frame;
    for (int f = 0; f < source->frameCount() && f < 16; ++f) {
        error.clear();
        if (source->readFrame(f, frame, &error))
            ++read;
        else if (error.isEmpty())
            return -3;
        source->frameTime(f);
        source->framePreset(f);
    }
    return read;
}

} // namespace

class TestFrameSourceFactory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void detectsKinds_data();
    void detectsKinds();
    void opensByContentWhateverTheName_data();
    void opensByContentWhateverTheName();
    void refusesWhatItCannotOpen_data();
    void refusesWhatItCannotOpen();
    void truncatedCube_data();
    void truncatedCube();
    void corruptFitsHeader_data();
    void corruptFitsHeader();
    void truncatedFilesOfEveryKind_data();
    void truncatedFilesOfEveryKind();
    void cutShortAfterOpening_data();
    void cutShortAfterOpening();
    void openDataMatchesOpen();
    void seedCorpusOpens_data();
    void seedCorpusOpens();

private:
    QString writeCube();
    QString writeSample(const QString& kind);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFrameSourceFactory::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFrameSourceFactory::cleanup()
{
    m_dir.reset();
}

QString TestFrameSourceFactory::writeCube()
{
    FitsTestCube cube;
    cube.axes = { CubeWidth, CubeHeight, CubeFrames };
    cube.cards = { { "BSCALE", 1.0 }, { "BZERO", 32768.0 } };
    for (int i = 0; i < CubeWidth * CubeHeight * CubeFrames; ++i)
        cube.stored.push_back(i % 20000 - 10000);
    cube.times = { 0.0, 0.1, 0.2 };
    const QString path = m_dir->filePath(QStringLiteral("cube.fits"));
    QString error;
    if (!writeFitsTestFile(path, cube, &error))
        qWarning("%s", qPrintable(error));
    return path;
}

QString TestFrameSourceFactory::writeSample(const QString& kind)
{
    if (kind == QLatin1String("fits"))
        return writeCube();
    if (kind == QLatin1String("fitsz")) {
        FitsTestCube cube;
        cube.axes = { CubeWidth, CubeHeight, CubeFrames };
        for (int i = 0; i < CubeWidth * CubeHeight * CubeFrames; ++i)
            cube.stored.push_back((i * 7919) % 30000);
        cube.compression = 11; // RICE_1
        const QString path = m_dir->filePath(QStringLiteral("cube.fz"));
        writeFitsTestFile(path, cube, nullptr);
        return path;
    }
    const QString path = m_dir->filePath(QStringLiteral("sample.") + kind);
    if (kind == QLatin1String("multitiff")) {
        QList<TiffTestPage> pages;
        for (int page = 0; page < 3; ++page)
            pages.append(TiffTestPage { 40, 30, 16, std::vector<quint16>(1200, quint16(page * 1000)) });
        writeTiffTestFile(path, pages, nullptr);
        return path;
    }
    QImage image(40, 30, kind == QLatin1String("png") ? QImage::Format_Grayscale16 : QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor(x * 6, y * 8, (x * y) % 256));
    }
    QImageWriter(path, kind.toLatin1()).write(image);
    return path;
}

void TestFrameSourceFactory::detectsKinds_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<FileKind>("kind");
    QTest::newRow("FITS") << QByteArray("SIMPLE  =                    T") << FileKind::Fits;
    QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << FileKind::Png;
    QTest::newRow("TIFF little-endian") << QByteArray("II*\0\x08\0\0\0", 8) << FileKind::Tiff;
    QTest::newRow("TIFF big-endian") << QByteArray("MM\0*\0\0\0\x08", 8) << FileKind::Tiff;
    QTest::newRow("BigTIFF") << QByteArray("II+\0\x08\0\0\0", 8) << FileKind::Tiff;
    QTest::newRow("JPEG") << QByteArray("\xff\xd8\xff\xe0\0\x10JFIF", 10) << FileKind::Jpeg;
    QTest::newRow("BMP") << QByteArray("BM\x36\x10\0\0\0\0\0\0\x36\0\0\0", 14) << FileKind::Bmp;
    QTest::newRow("BM text") << QByteArray("BMW drove by today") << FileKind::Unknown;
    QTest::newRow("BMP too short") << QByteArray("BM\x36\x10\0\0", 6) << FileKind::Unknown;
    QTest::newRow("FITS extension alone") << QByteArray("XTENSION= 'IMAGE   '") << FileKind::Unknown;
    QTest::newRow("short FITS") << QByteArray("SIMPLE") << FileKind::Unknown;
    QTest::newRow("GIF") << QByteArray("GIF89a\x01\0\x01\0", 10) << FileKind::Unknown;
    QTest::newRow("PNG without its line ends") << QByteArray("\x89PNG\n\n\x1a\n", 8) << FileKind::Unknown;
    QTest::newRow("empty") << QByteArray() << FileKind::Unknown;
}

void TestFrameSourceFactory::detectsKinds()
{
    QFETCH(QByteArray, head);
    QFETCH(FileKind, kind);
    QCOMPARE(detectFileKind(head), kind);
}

void TestFrameSourceFactory::opensByContentWhateverTheName_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("format");
    for (const char* name : { "movie.sfmov", "image.sfimg", "take.seq", "frame.img", "record.ats", "cal.fcf",
             "no-extension", "looks-like.png" })
        QTest::addRow("FITS as %s", name) << "fits" << QString::fromLatin1(name) << "FITS";
    QTest::newRow("PNG as .fts") << "png"
                                 << "picture.fts"
                                 << "PNG";
    QTest::newRow("TIFF as .sfmov") << "multitiff"
                                    << "pages.sfmov"
                                    << "TIFF";
    QTest::newRow("JPEG as .seq") << "jpeg"
                                  << "photo.seq"
                                  << "JPEG";
    QTest::newRow("BMP as .img") << "bmp"
                                 << "bitmap.img"
                                 << "BMP";
}

void TestFrameSourceFactory::opensByContentWhateverTheName()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QString, format);
    const QString renamed = m_dir->filePath(name);
    QVERIFY(QFile::rename(writeSample(kind), renamed));
    QString error;
    const auto source = FrameSourceFactory::open(renamed, &error);
    QVERIFY2(source, qPrintable(error));
    QCOMPARE(source->info().format, format);
    Frame frame;
    QVERIFY2(source->readFrame(source->frameCount() - 1, frame, &error), qPrintable(error));
}

void TestFrameSourceFactory::refusesWhatItCannotOpen_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("text under a movie's name") << "notes.sfmov" << QByteArray("these are not frames\n");
    QTest::newRow("GIF") << "anim.gif" << QByteArray("GIF89a\x01\0\x01\0\x80\0\0", 13);
    QTest::newRow("zeros") << "zeros.fts" << QByteArray(4096, '\0');
    QTest::newRow("empty") << "empty.fits" << QByteArray();
    QTest::newRow("missing") << "missing.fits" << QByteArray("<none>");
    QTest::newRow("folder") << "folder.fits" << QByteArray("<folder>");
}

void TestFrameSourceFactory::refusesWhatItCannotOpen()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString path = m_dir->filePath(name);
    if (content == "<folder>")
        QVERIFY(QDir(m_dir->path()).mkdir(name));
    else if (content != "<none>")
        QVERIFY(writeAll(path, content));
    QString error;
    QVERIFY(!FrameSourceFactory::open(path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(FrameSourceFactory::open(path, nullptr) == nullptr);
}

void TestFrameSourceFactory::truncatedCube_data()
{
    QTest::addColumn<int>("completeFrames");
    QTest::addColumn<int>("extraBytes");
    // Cuts fall well inside a frame, so no block of the file straddles a complete frame's end.
    QTest::newRow("inside the header") << -1 << 1000;
    QTest::newRow("after the header") << 0 << 0;
    QTest::newRow("inside frame 1") << 0 << CubeFrameBytes / 2;
    QTest::newRow("inside frame 2") << 1 << CubeFrameBytes / 2;
    QTest::newRow("inside frame 3") << 2 << CubeFrameBytes / 2;
}

void TestFrameSourceFactory::truncatedCube()
{
    QFETCH(int, completeFrames);
    QFETCH(int, extraBytes);
    const QByteArray whole = readAll(writeCube());
    int end = whole.indexOf("END" + QByteArray(77, ' '));
    while (end >= 0 && end % 80 != 0)
        end = whole.indexOf("END" + QByteArray(77, ' '), end + 1);
    QVERIFY(end > 0);
    const int headerBytes = (end / FitsBlock + 1) * FitsBlock;
    const int length
        = completeFrames < 0 ? extraBytes : headerBytes + completeFrames * CubeFrameBytes + extraBytes;
    const QString path = m_dir->filePath(QStringLiteral("cut.fits"));
    QVERIFY(writeAll(path, whole.left(length)));

    QString error;
    const auto source = FrameSourceFactory::open(path, &error);
    if (completeFrames < 1) {
        QVERIFY(!source);
        QVERIFY(!error.isEmpty());
        return;
    }
    QVERIFY2(source, qPrintable(error));
    // The frames the file holds, the cut one included: it is missing, not absent.
    QCOMPARE(source->frameCount(), std::min(CubeFrames, completeFrames + 1));
    Frame frame;
    for (int f = CubeFrames - 1; f >= 0; --f) {
        error.clear();
        const bool read = source->readFrame(f, frame, &error);
        QCOMPARE(read, f < completeFrames);
        QCOMPARE(error.isEmpty(), read);
    }
}

void TestFrameSourceFactory::corruptFitsHeader_data()
{
    QTest::addColumn<QByteArray>("card");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("BITPIX 12") << QByteArray("BITPIX") << QByteArray("12");
    QTest::newRow("NAXIS1 0") << QByteArray("NAXIS1") << QByteArray("0");
    QTest::newRow("NAXIS1 negative") << QByteArray("NAXIS1") << QByteArray("-64");
    QTest::newRow("NAXIS1 huge") << QByteArray("NAXIS1") << QByteArray("100000");
    QTest::newRow("NAXIS 1") << QByteArray("NAXIS") << QByteArray("1");
    QTest::newRow("NAXIS 0") << QByteArray("NAXIS") << QByteArray("0");
    QTest::newRow("NAXIS 999") << QByteArray("NAXIS") << QByteArray("999");
    QTest::newRow("BSCALE 0") << QByteArray("BSCALE") << QByteArray("0");
    QTest::newRow("BSCALE text") << QByteArray("BSCALE") << QByteArray("'one'");
    QTest::newRow("BITPIX text") << QByteArray("BITPIX") << QByteArray("'sixteen'");
    QTest::newRow("no END") << QByteArray("END") << QByteArray();
}

void TestFrameSourceFactory::corruptFitsHeader()
{
    QFETCH(QByteArray, card);
    QFETCH(QByteArray, value);
    QByteArray bytes = readAll(writeCube());
    if (card == "END") {
        const int end = bytes.indexOf("END" + QByteArray(77, ' '));
        QVERIFY(end > 0);
        bytes.replace(end, 3, "   ");
    } else {
        QVERIFY(patchCard(bytes, card, value));
    }
    const QString path = m_dir->filePath(QStringLiteral("corrupt.fits"));
    QVERIFY(writeAll(path, bytes));
    QString error;
    QVERIFY(!FrameSourceFactory::open(path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!FrameSourceFactory::openData(bytes, &error));
}

void TestFrameSourceFactory::truncatedFilesOfEveryKind_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("fraction");
    for (const char* kind : { "fits", "png", "bmp", "jpeg", "tiff", "multitiff" }) {
        for (double fraction : { 0.001, 0.01, 0.05, 0.25, 0.5, 0.9, 0.999 })
            QTest::addRow("%s cut at %g", kind, fraction) << QString::fromLatin1(kind) << fraction;
    }
}

void TestFrameSourceFactory::truncatedFilesOfEveryKind()
{
    QFETCH(QString, kind);
    QFETCH(double, fraction);
    const QByteArray whole = readAll(writeSample(kind));
    QVERIFY(whole.size() > 100);
    const QString path = m_dir->filePath(QStringLiteral("cut.") + kind);
    const int length = std::max(1, int(whole.size() * fraction));
    QVERIFY(writeAll(path, whole.left(length)));
    // No crash, and every failure explains itself; a lossy decoder may fill in what is missing.
    const int read = openAndReadAll(path);
    QVERIFY2(read >= -1, "a failure came without a message");
    QVERIFY(FrameSourceFactory::openData(whole.left(length), nullptr) || true);
}

void TestFrameSourceFactory::cutShortAfterOpening_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("fraction");
    for (const char* kind : { "fits", "fitsz", "multitiff", "tiff", "png" }) {
        for (double fraction : { 0.2, 0.6 })
            QTest::addRow("%s cut to %g", kind, fraction) << QString::fromLatin1(kind) << fraction;
    }
}

void TestFrameSourceFactory::cutShortAfterOpening()
{
    // A frame read after the file shrank must be the same as before, or fail.
    QFETCH(QString, kind);
    QFETCH(double, fraction);
    const QString path = writeSample(kind);
    QString error;
    const auto source = FrameSourceFactory::open(path, &error);
    QVERIFY2(source, qPrintable(error));
    std::vector<Frame> before(std::size_t(source->frameCount()));
    for (int index = 0; index < source->frameCount(); ++index)
        QVERIFY2(source->readFrame(index, before[std::size_t(index)], &error), qPrintable(error));
    QVERIFY(QFile::resize(path, qint64(QFileInfo(path).size() * fraction)));
    for (int index = source->frameCount() - 1; index >= 0; --index) {
        Frame frame;
        error.clear();
        if (source->readFrame(index, frame, &error))
            QCOMPARE(frame.counts, before[std::size_t(index)].counts);
        else
            QVERIFY(!error.isEmpty());
    }
}

void TestFrameSourceFactory::openDataMatchesOpen()
{
    const QString path = writeCube();
    QString error;
    const auto fromFile = FrameSourceFactory::open(path, &error);
    const auto fromMemory = FrameSourceFactory::openData(readAll(path), &error);
    QVERIFY2(fromFile && fromMemory, qPrintable(error));
    QCOMPARE(fromMemory->frameCount(), fromFile->frameCount());
    QCOMPARE(fromMemory->frameTime(2), fromFile->frameTime(2));
    Frame a;
    Frame b;
    QVERIFY(fromFile->readFrame(1, a, nullptr));
    QVERIFY(fromMemory->readFrame(1, b, nullptr));
    QCOMPARE(b.counts, a.counts);
    QCOMPARE(b.scale, a.scale);
}

void TestFrameSourceFactory::seedCorpusOpens_data()
{
    QTest::addColumn<QString>("path");
    const QDir corpus(QStringLiteral(ZELKIR_IO_FUZZ_CORPUS_DIR));
    const QStringList folders = corpus.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    int rows = 0;
    for (const QString& folder : folders) {
        const QDir dir(corpus.filePath(folder));
        for (const QString& file : dir.entryList(QDir::Files)) {
            QTest::newRow(qPrintable(folder + QLatin1Char('/') + file)) << dir.filePath(file);
            ++rows;
        }
    }
    if (rows == 0)
        QTest::newRow("no seed corpus") << corpus.filePath(QStringLiteral("missing"));
}

void TestFrameSourceFactory::seedCorpusOpens()
{
    QFETCH(QString, path);
    QString error;
    const auto source = FrameSourceFactory::open(path, &error);
    QVERIFY2(source, qPrintable(error));
    Frame frame;
    QVERIFY2(source->readFrame(source->frameCount() - 1, frame, &error), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestFrameSourceFactory)
#include "tst_framesourcefactory.moc"
