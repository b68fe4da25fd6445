#include "documentmodel.h"
#include "fileplayer.h"
#include "manualclock.h"
#include "movieexporter.h"
#include "samplefiles.h"
#include "support/fitstestwriter.h"

#include <zelkir/io/calibration.h>
#include <zelkir/io/framesourcefactory.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

using zelkir::DocumentModel;
using zelkir::MovieExporter;

namespace {

constexpr int Width = 6;
constexpr int Height = 4;
constexpr int Frames = 7;

/// Signed 16-bit data: counts and physical values differ by 32768, so the movie must carry
/// the step over into its calibration.
FitsTestCube movieCube()
{
    FitsTestCube cube;
    cube.bitpix = 16;
    cube.axes = { Width, Height, Frames };
    for (int i = 0; i < Width * Height * Frames; ++i)
        cube.stored.push_back(900.0 + 13.0 * (i % 97) + 5.0 * (i / 24));
    for (int frame = 0; frame < Frames; ++frame)
        cube.times.push_back(3.0 + 0.04 * frame * frame);
    cube.cards = { { "RADGAIN", 0.01 }, { "RADOFFS", 2.0 }, { "PLANCK_R", 5685.76 }, { "PLANCK_B", 1404.0 },
        { "PLANCK_F", 1.0 }, { "PLANCK_O", 1.63 }, { "INSTRUME", QStringLiteral("IRCAM-7") } };
    return cube;
}

double kelvin(zelkir::FrameSource& source, const zelkir::Frame& frame, int pixel)
{
    return zelkir::Calibration(source.calibration())
        .convert(frame.scale.toPhysical(frame.counts[std::size_t(pixel)]), zelkir::Unit::TemperatureFactory);
}

/// Frames of 4 x 3 pixels; reading frame 5 waits at a gate the test opens.
struct Gate
{
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    bool waiting = false;
    std::atomic<bool> destroyed { false };
};

class GatedSource final : public zelkir::FrameSource
{
public:
    explicit GatedSource(std::shared_ptr<Gate> gate)
        : FrameSource(info())
        , m_gate(std::move(gate))
    {
    }
    ~GatedSource() override { m_gate->destroyed = true; }

protected:
    bool doReadFrame(int index, zelkir::Frame& out, QString*) override
    {
        if (index == 5) {
            std::unique_lock<std::mutex> lock(m_gate->mutex);
            m_gate->waiting = true;
            m_gate->changed.notify_all();
            m_gate->changed.wait(lock, [this] { return m_gate->open; });
        }
        out.counts.assign(12, quint16(index));
        return true;
    }

private:
    static zelkir::SourceInfo info()
    {
        zelkir::SourceInfo info;
        info.width = 4;
        info.height = 3;
        info.frameCount = 100;
        return info;
    }

    const std::shared_ptr<Gate> m_gate;
};

} // namespace

class TestMovieExporter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void savedMovieReadsBack();
    void presetsAreKept();
    void refusals_data();
    void refusals();
    void cancelDeletesUnfinishedFile_data();
    void cancelDeletesUnfinishedFile();

private:
    std::unique_ptr<DocumentModel> openDocument();

    QTemporaryDir m_dir;
    QString m_movie;
};

void TestMovieExporter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_movie = m_dir.filePath(QStringLiteral("source.fits"));
    QString error;
    QVERIFY2(writeFitsTestFile(m_movie, movieCube(), &error), qPrintable(error));
}

std::unique_ptr<DocumentModel> TestMovieExporter::openDocument()
{
    auto document = std::make_unique<DocumentModel>(new zelkir::FilePlayer(m_movie, new ManualClock), nullptr);
    QSignalSpy opened(document.get(), &DocumentModel::opened);
    if (!opened.wait(5000))
        return nullptr;
    return document;
}

void TestMovieExporter::savedMovieReadsBack()
{
    std::unique_ptr<DocumentModel> document = openDocument();
    QVERIFY(document);
    document->filePlayer()->setBoundStart(2);
    document->filePlayer()->setBoundEnd(5);
    const QString path = m_dir.filePath(QStringLiteral("saved.fits"));
    MovieExporter* exporter = document->movieExporter();
    QSignalSpy finished(exporter, &MovieExporter::finished);
    QCOMPARE(document->exportMovieFits(QUrl::fromLocalFile(path)), QString());
    QVERIFY(exporter->isRunning());
    QVERIFY(!document->exportMovieFits(path).isEmpty());
    QVERIFY(finished.wait(5000));
    QVERIFY2(finished.first().at(0).toBool(), qPrintable(finished.first().at(1).toString()));
    QVERIFY(!exporter->isRunning());
    QCOMPARE(exporter->progress(), 1.0);

    QString error;
    std::unique_ptr<zelkir::FrameSource> source = zelkir::FrameSourceFactory::open(m_movie, &error);
    std::unique_ptr<zelkir::FrameSource> saved = zelkir::FrameSourceFactory::open(path, &error);
    QVERIFY2(source && saved, qPrintable(error));
    QCOMPARE(saved->frameCount(), 4);
    QCOMPARE(saved->width(), Width);
    QCOMPARE(saved->height(), Height);
    const auto instrument = std::find_if(saved->fileKeywords().begin(), saved->fileKeywords().end(),
        [](const zelkir::FileKeyword& keyword) { return keyword.name == QLatin1String("INSTRUME"); });
    QVERIFY(instrument != saved->fileKeywords().end());
    QCOMPARE(instrument->value, QStringLiteral("IRCAM-7"));
    zelkir::Frame original;
    zelkir::Frame copy;
    for (int frame = 0; frame < 4; ++frame) {
        QVERIFY(source->readFrame(frame + 2, original, &error));
        QVERIFY(saved->readFrame(frame, copy, &error));
        QCOMPARE(copy.counts, original.counts);
        QVERIFY(std::abs(copy.time - (original.time - source->frameTime(2))) < 1e-9);
        for (int pixel : { 0, 7, Width * Height - 1 })
            QVERIFY(std::abs(kelvin(*saved, copy, pixel) - kelvin(*source, original, pixel)) < 1e-9);
    }
}

void TestMovieExporter::presetsAreKept()
{
    const QString sample = SampleFiles::sequencingPath();
    MovieExporter exporter([sample](QString*) {
        MovieExporter::Job job;
        job.sourcePath = sample;
        job.first = 1;
        job.last = 6;
        return std::optional<MovieExporter::Job>(job);
    });
    QSignalSpy finished(&exporter, &MovieExporter::finished);
    const QString path = m_dir.filePath(QStringLiteral("presets.fits"));
    QCOMPARE(exporter.start(path), QString());
    QVERIFY(finished.wait(5000));
    QVERIFY2(finished.first().at(0).toBool(), qPrintable(finished.first().at(1).toString()));

    QString error;
    std::unique_ptr<zelkir::FrameSource> source = zelkir::FrameSourceFactory::open(sample, &error);
    std::unique_ptr<zelkir::FrameSource> saved = zelkir::FrameSourceFactory::open(path, &error);
    QVERIFY2(source && saved, qPrintable(error));
    QCOMPARE(saved->frameCount(), 6);
    QCOMPARE(saved->presetInfo(), source->presetInfo());
    for (int frame = 0; frame < 6; ++frame)
        QCOMPARE(saved->framePreset(frame), source->framePreset(frame + 1));
}

void TestMovieExporter::refusals_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("started");
    QTest::newRow("no path") << QString() << false;
    QTest::newRow("the file itself") << QStringLiteral("source.fits") << false;
    QTest::newRow("missing folder") << QStringLiteral("missing/saved.fits") << true;
}

void TestMovieExporter::refusals()
{
    QFETCH(QString, target);
    QFETCH(bool, started);
    std::unique_ptr<DocumentModel> document = openDocument();
    QVERIFY(document);
    QSignalSpy finished(document->movieExporter(), &MovieExporter::finished);
    const QString path = target.isEmpty() ? target : m_dir.filePath(target);
    const QString message = document->exportMovieFits(path);
    QCOMPARE(message.isEmpty(), started);
    if (started) {
        QVERIFY(finished.wait(5000));
        QVERIFY(!finished.first().at(0).toBool());
        QVERIFY(!finished.first().at(1).toString().isEmpty());
    }
    QVERIFY(!document->movieExporter()->isRunning());
    QVERIFY(QFile::exists(m_movie));
}

void TestMovieExporter::cancelDeletesUnfinishedFile_data()
{
    QTest::addColumn<bool>("destroy");
    QTest::newRow("cancel") << false;
    QTest::newRow("destruction") << true;
}

void TestMovieExporter::cancelDeletesUnfinishedFile()
{
    QFETCH(bool, destroy);
    QTemporaryDir folder;
    auto gate = std::make_shared<Gate>();
    auto exporter = std::make_unique<MovieExporter>([gate](QString*) {
        MovieExporter::Job job;
        job.first = 0;
        job.last = 99;
        job.opener = [gate](const QString&, QString*) { return std::make_unique<GatedSource>(gate); };
        return std::optional<MovieExporter::Job>(job);
    });
    QSignalSpy finished(exporter.get(), &MovieExporter::finished);
    QCOMPARE(exporter->start(folder.filePath(QStringLiteral("movie.fits"))), QString());
    {
        std::unique_lock<std::mutex> lock(gate->mutex);
        QVERIFY(gate->changed.wait_for(lock, std::chrono::seconds(5), [&] { return gate->waiting; }));
    }
    // Five frames are in the temporary file.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    if (destroy) {
        exporter.reset();
    } else {
        exporter->cancel();
        QCOMPARE(finished.size(), 1);
        QVERIFY(!finished.first().at(0).toBool());
        QVERIFY(!exporter->isRunning());
    }
    {
        std::lock_guard<std::mutex> lock(gate->mutex);
        gate->open = true;
    }
    gate->changed.notify_all();
    // The export ends on its own, without reading on.
    QTRY_VERIFY_WITH_TIMEOUT(gate->destroyed.load(), 5000);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCoreApplication::processEvents();
    QCOMPARE(finished.size(), destroy ? 0 : 1);
}

QTEST_GUILESS_MAIN(TestMovieExporter)
#include "tst_movieexporter.moc"
