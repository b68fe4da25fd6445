#include "support/fitstestwriter.h"
#include "support/tifftestwriter.h"

#include <zelkir/io/framesourcefactory.h>

#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>

using namespace zelkir;

namespace {

constexpr int Width = 32;
constexpr int Height = 24;
constexpr int Frames = 40;

quint16 valueAt(int x, int y, int frame)
{
    return quint16((x * 31 + y * 1013 + frame * 977) % 60000);
}

/// Reads every frame in the given direction, checking each; returns the number of bad ones.
int readAll(FrameSource& source, bool forward)
{
    int bad = 0;
    Frame frame;
    for (int n = 0; n < Frames; ++n) {
        const int index = forward ? n : Frames - 1 - n;
        QString error;
        if (!source.readFrame(index, frame, &error) || frame.index != index) {
            ++bad;
            continue;
        }
        for (int y = 0; y < Height; y += 5) {
            for (int x = 0; x < Width; x += 3) {
                if (frame.scale.toPhysical(frame.at(x, y)) != valueAt(x, y, index))
                    ++bad;
            }
        }
    }
    return bad;
}

} // namespace

/// A source is shared by a frame-reading worker, a second reader and the GUI thread asking
/// for metadata and times; the ThreadSanitizer build runs this test.
class TestConcurrentReads : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void readersAndMetadataAtOnce_data();
    void readersAndMetadataAtOnce();

private:
    QString writeFits();
    QString writeTiff();

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestConcurrentReads::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestConcurrentReads::cleanup()
{
    m_dir.reset();
}

QString TestConcurrentReads::writeFits()
{
    FitsTestCube cube;
    cube.axes = { Width, Height, Frames };
    cube.cards = { { "BZERO", 32768.0 } };
    cube.stored.resize(std::size_t(Width * Height * Frames));
    for (int f = 0; f < Frames; ++f) {
        cube.times.push_back(f * 0.02);
        cube.presets.push_back(f % 2);
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x)
                cube.stored[fitsElement(cube, x, y, f)] = valueAt(x, y, f) - 32768.0;
        }
    }
    const QString path = m_dir->filePath(QStringLiteral("movie.fits"));
    writeFitsTestFile(path, cube, nullptr);
    return path;
}

QString TestConcurrentReads::writeTiff()
{
    QList<TiffTestPage> pages;
    for (int f = 0; f < Frames; ++f) {
        TiffTestPage page { Width, Height, 16, {} };
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x)
                page.values.push_back(valueAt(x, y, f));
        }
        pages.append(page);
    }
    const QString path = m_dir->filePath(QStringLiteral("movie.tif"));
    writeTiffTestFile(path, pages, nullptr);
    return path;
}

void TestConcurrentReads::readersAndMetadataAtOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FITS") << "fits";
    QTest::newRow("TIFF") << "tiff";
}

void TestConcurrentReads::readersAndMetadataAtOnce()
{
    QFETCH(QString, kind);
    QString error;
    const auto source
        = FrameSourceFactory::open(kind == QLatin1String("fits") ? writeFits() : writeTiff(), &error);
    QVERIFY2(source, qPrintable(error));
    QCOMPARE(source->frameCount(), Frames);

    std::atomic<int> badForward { -1 };
    std::atomic<int> badBackward { -1 };
    std::atomic<int> running { 2 };
    std::thread forward([&] {
        badForward = readAll(*source, true) + readAll(*source, true);
        --running;
    });
    std::thread backward([&] {
        badBackward = readAll(*source, false);
        --running;
    });
    // Failures are counted, not asserted, so the threads are always joined.
    int metadataChecks = 0;
    int badMetadata = 0;
    const bool fits = kind == QLatin1String("fits");
    // At least one pass, however fast the readers finish on a busy machine.
    do {
        for (int f = 0; f < Frames; ++f) {
            const double time = source->frameTime(f);
            if (fits ? time != f * 0.02 || source->framePreset(f) != f % 2 : !std::isnan(time))
                ++badMetadata;
        }
        if (source->width() != Width || source->fileKeywords().size() != source->info().keywords.size())
            ++badMetadata;
        ++metadataChecks;
    } while (running > 0);
    forward.join();
    backward.join();
    QCOMPARE(badForward.load(), 0);
    QCOMPARE(badBackward.load(), 0);
    QVERIFY(metadataChecks > 0);
    QCOMPARE(badMetadata, 0);
}

QTEST_GUILESS_MAIN(TestConcurrentReads)
#include "tst_concurrentreads.moc"
