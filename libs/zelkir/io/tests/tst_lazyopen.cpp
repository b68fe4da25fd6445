#include "support/fitstestwriter.h"

#include <zelkir/io/framesourcefactory.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zelkir;

namespace {

constexpr int Width = 640;
constexpr int Height = 512;
constexpr qint64 FrameBytes = qint64(Width) * Height * 2;
// 6400 frames of 640 x 512 x 16 bits: a 4.2 GB movie, sparse on disk.
constexpr int Frames = 6400;
constexpr int FitsBlock = 2880;
constexpr quint16 Marker = 1234;

/// A counter of this process from /proc/self/io or /proc/self/status; -1 when unknown.
qint64 procValue(const char* file, const QByteArray& key)
{
    QFile proc(QString::fromLatin1(file));
    if (!proc.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = proc.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').constFirst().toLongLong();
    }
    return -1;
}

qint64 bytesRead()
{
    return procValue("/proc/self/io", "rchar");
}

qint64 residentKiB()
{
    return procValue("/proc/self/status", "VmRSS");
}

} // namespace

/// Opening must read the header only, and reading a frame only that frame, whatever the
/// length of the movie. Checked by the bytes this process reads, not by timing.
class TestLazyOpen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void openReadsOnlyTheHeader();
    void frameReadReadsOnlyThatFrame();

private:
    QTemporaryDir m_dir;
    QString m_path;
    qint64 m_dataStart = 0;
};

void TestLazyOpen::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (bytesRead() < 0)
        QSKIP("this kernel does not count the bytes a process reads");

    // cfitsio writes a one-frame cube; the header is then told there are 6400 frames and
    // the file is stretched to match without writing the zeros.
    FitsTestCube cube;
    cube.axes = { Width, Height, 1 };
    cube.cards = { { "BZERO", 32768.0 }, { "INSTRUME", QStringLiteral("lazy test") } };
    const QString small = m_dir.filePath(QStringLiteral("small.fits"));
    QString error;
    QVERIFY2(writeFitsTestFile(small, cube, &error), qPrintable(error));
    QFile smallFile(small);
    QVERIFY(smallFile.open(QIODevice::ReadOnly));
    QByteArray header = smallFile.read(4 * FitsBlock);
    const int end = header.indexOf("END" + QByteArray(77, ' '));
    QVERIFY(end > 0 && end % 80 == 0);
    header.truncate((end / FitsBlock + 1) * FitsBlock);
    const int card = header.indexOf("NAXIS3  = ");
    QVERIFY(card > 0);
    header.replace(card + 10, 20, QByteArray::number(Frames).rightJustified(20, ' '));
    m_dataStart = header.size();

    m_path = m_dir.filePath(QStringLiteral("long.sfmov"));
    QFile big(m_path);
    QVERIFY(big.open(QIODevice::WriteOnly));
    QCOMPARE(big.write(header), qint64(header.size()));
    const qint64 dataBytes = FrameBytes * Frames;
    QVERIFY(big.resize(m_dataStart + (dataBytes + FitsBlock - 1) / FitsBlock * FitsBlock));
    // The last frame's first stored row (the picture's bottom row) holds a marker.
    QByteArray row;
    const quint16 stored = quint16(Marker - 32768);
    for (int x = 0; x < Width; ++x)
        row.append(char(stored >> 8)).append(char(stored & 0xff));
    QVERIFY(big.seek(m_dataStart + FrameBytes * (Frames - 1)));
    QCOMPARE(big.write(row), qint64(row.size()));
}

void TestLazyOpen::cleanupTestCase()
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
}

void TestLazyOpen::openReadsOnlyTheHeader()
{
    const qint64 readBefore = bytesRead();
    const qint64 residentBefore = residentKiB();
    QString error;
    const auto source = FrameSourceFactory::open(m_path, &error);
    const qint64 readByOpen = bytesRead() - readBefore;
    const qint64 residentGrowth = residentKiB() - residentBefore;
    QVERIFY2(source, qPrintable(error));
    QCOMPARE(source->frameCount(), Frames);
    QVERIFY2(readByOpen < 256 * 1024, qPrintable(QStringLiteral("open read %1 bytes").arg(readByOpen)));
    QVERIFY2(
        residentGrowth < 16 * 1024, qPrintable(QStringLiteral("open grew by %1 KiB").arg(residentGrowth)));
}

void TestLazyOpen::frameReadReadsOnlyThatFrame()
{
    QString error;
    const auto source = FrameSourceFactory::open(m_path, &error);
    QVERIFY2(source, qPrintable(error));
    Frame frame;
    for (int index : { Frames - 1, Frames / 2, 0 }) {
        const qint64 before = bytesRead();
        QVERIFY2(source->readFrame(index, frame, &error), qPrintable(error));
        const qint64 read = bytesRead() - before;
        QVERIFY2(read >= FrameBytes && read < FrameBytes + 256 * 1024,
            qPrintable(QStringLiteral("frame %1 read %2 bytes").arg(index).arg(read)));
        const quint16 expected = index == Frames - 1 ? Marker : 32768;
        QCOMPARE(frame.scale.toPhysical(frame.at(Width - 1, Height - 1)), double(expected));
        QCOMPARE(frame.scale.toPhysical(frame.at(0, 0)), 32768.0);
    }
}

QTEST_GUILESS_MAIN(TestLazyOpen)
#include "tst_lazyopen.moc"
