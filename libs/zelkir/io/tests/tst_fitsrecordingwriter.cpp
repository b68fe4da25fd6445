#include <zelkir/io/calibration.h>
#include <zelkir/io/fitsrecordingwriter.h>
#include <zelkir/io/framesourcefactory.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace zelkir;

namespace {

constexpr int Width = 5;
constexpr int Height = 4;

/// Distinct counts per pixel and frame, top row first, so row and frame order show.
std::vector<quint16> frameCounts(int frame)
{
    std::vector<quint16> counts(std::size_t(Width * Height));
    for (std::size_t i = 0; i < counts.size(); ++i)
        counts[i] = quint16(16383 - frame * 100 - int(i));
    return counts;
}

RecordingHeader header(bool framePresets)
{
    RecordingHeader header;
    header.width = Width;
    header.height = Height;
    header.countRange = { 0, 16383 };
    header.frameRate = 60.0;
    header.framePresets = framePresets;
    header.calibration.radiance = LinearStep { 0.01323, 10.6 };
    header.calibration.planck = PlanckCurve { 5685.76, 1404.0, 1.0, 1.63 };
    header.calibration.emissivity = 0.95;
    header.calibration.atmosphereTransmission = 0.98;
    header.calibration.atmosphereKelvin = 288.15;
    if (framePresets)
        header.calibration.presetRadiance[1] = LinearStep { 0.02646, 10.6 };
    header.keywords = {
        { QStringLiteral("DATE-OBS"), QStringLiteral("2026-12-08T06:01:02.345"),
            QStringLiteral("start (UTC)") },
        { QStringLiteral("INSTRUME"), QStringLiteral("Kamera \u00b5 3\tIR"), QString() },
        { QStringLiteral("SERIAL"), 1234567, QString() },
        { QStringLiteral("SEQUENCE"), framePresets, QString() },
    };
    return header;
}

/// Restores the file size limit that stands in for a full disk.
struct FileSizeLimit
{
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
    rlimit saved {};
};

} // namespace

class TestFitsRecordingWriter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void playsBack_data();
    void playsBack();
    void unfinishedLeavesNoFile();
    void refusesBadInput_data();
    void refusesBadInput();
    void writeFailureLeavesNoFile();

private:
    QStringList files() const { return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFitsRecordingWriter::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFitsRecordingWriter::cleanup()
{
    m_dir.reset();
}

void TestFitsRecordingWriter::playsBack_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<bool>("framePresets");
    QTest::newRow("snapshot") << 1 << false;
    QTest::newRow("movie") << 7 << false;
    QTest::newRow("presets") << 4 << true;
}

void TestFitsRecordingWriter::playsBack()
{
    QFETCH(int, frames);
    QFETCH(bool, framePresets);
    const QString path = m_dir->filePath(QStringLiteral("rec.fits"));
    QString error;
    if (frames == 1) {
        QVERIFY2(FitsRecordingWriter::writeSnapshot(path, header(false), frameCounts(0), &error),
            qPrintable(error));
    } else {
        FitsRecordingWriter writer;
        QVERIFY2(writer.create(path, header(framePresets), &error), qPrintable(error));
        for (int f = 0; f < frames; ++f)
            QVERIFY2(writer.append(frameCounts(f), f * 0.0166, &error, f % 2), qPrintable(error));
        QCOMPARE(writer.frameCount(), frames);
        QVERIFY2(writer.finish(&error), qPrintable(error));
        QVERIFY(!writer.isRecording());
    }
    QCOMPARE(files(), QStringList { QStringLiteral("rec.fits") });

    const auto source = FrameSourceFactory::open(path, &error);
    QVERIFY2(source, qPrintable(error));
    QCOMPARE(source->width(), Width);
    QCOMPARE(source->height(), Height);
    QCOMPARE(source->frameCount(), frames);
    QCOMPARE(source->countRange().bitDepth(), 14);
    QCOMPARE(source->info().frameRate, 60.0);
    QCOMPARE(source->calibration(), header(framePresets).calibration);
    QCOMPARE(Calibration(source->calibration()).availableUnits(),
        (QList<Unit> { Unit::Counts, Unit::RadianceFactory, Unit::RadianceUser, Unit::TemperatureFactory,
            Unit::TemperatureUser }));
    QCOMPARE(findKeyword(source->fileKeywords(), QStringLiteral("INSTRUME"))->value,
        QStringLiteral("Kamera ? 3?IR"));
    QCOMPARE(findKeyword(source->fileKeywords(), QStringLiteral("SERIAL"))->value, QStringLiteral("1234567"));
    QCOMPARE(findKeyword(source->fileKeywords(), QStringLiteral("SEQUENCE"))->value,
        QLatin1String(framePresets ? "T" : "F"));

    Frame frame;
    for (int f = 0; f < frames; ++f) {
        QVERIFY2(source->readFrame(f, frame, &error), qPrintable(error));
        QCOMPARE(frame.counts, frameCounts(f));
        QCOMPARE(frame.scale.toPhysical(frame.counts[0]), double(frameCounts(f)[0]));
        QCOMPARE(source->frameTime(f), f * 0.0166);
        QCOMPARE(source->framePreset(f), framePresets ? f % 2 : 0);
    }
}

void TestFitsRecordingWriter::unfinishedLeavesNoFile()
{
    const QString path = m_dir->filePath(QStringLiteral("rec.fits"));
    QString error;
    {
        FitsRecordingWriter writer;
        QVERIFY2(writer.create(path, header(false), &error), qPrintable(error));
        QVERIFY(writer.append(frameCounts(0), 0.0, &error));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(files().size(), 1);
    }
    QVERIFY(files().isEmpty());

    // Nothing to save is refused and leaves nothing behind either.
    FitsRecordingWriter writer;
    QVERIFY(writer.create(path, header(false), &error));
    QVERIFY(!writer.finish(&error));
    QVERIFY(error.contains(QLatin1String("no frames")));
    QVERIFY(files().isEmpty());
}

void TestFitsRecordingWriter::refusesBadInput_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing folder") << "missing"
                                    << "OBJECT" << Width << "does not exist";
    QTest::newRow("file for a folder") << "file"
                                       << "OBJECT" << Width << "is not a folder";
    QTest::newRow("read-only folder") << "read-only"
                                      << "OBJECT" << Width << "is not writable";
    QTest::newRow("system folder") << "/sys"
                                   << "OBJECT" << Width << "is not writable";
    QTest::newRow("lower-case name") << ""
                                     << "object" << Width << "not a FITS keyword name";
    QTest::newRow("long name") << ""
                               << "OBJECTIVE" << Width << "not a FITS keyword name";
    QTest::newRow("layout name") << ""
                                 << "NAXIS3" << Width << "written by the recording itself";
    QTest::newRow("calibration name") << ""
                                      << "RADGAIN" << Width << "written by the recording itself";
    QTest::newRow("no width") << ""
                              << "OBJECT" << 0 << "cannot be recorded";
}

void TestFitsRecordingWriter::refusesBadInput()
{
    QFETCH(QString, folder);
    QFETCH(QString, keyword);
    QFETCH(int, width);
    QFETCH(QString, message);
    QVERIFY(QFile(m_dir->filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("read-only")));
    QVERIFY(QFile::setPermissions(
        m_dir->filePath(QStringLiteral("read-only")), QFile::ReadOwner | QFile::ExeOwner));
    if (folder == QLatin1String("read-only") && geteuid() == 0)
        QSKIP("root writes into any folder");
    if (folder.startsWith(QLatin1Char('/')) && !QFileInfo(folder).isDir())
        QSKIP("no such folder here");

    RecordingHeader bad = header(false);
    bad.width = width;
    bad.keywords.append({ keyword, QStringLiteral("office"), QString() });
    const QString path = QDir(m_dir->path()).filePath(folder + QStringLiteral("/rec.fits"));
    FitsRecordingWriter writer;
    QString error;
    QVERIFY(!writer.create(path, bad, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(!writer.isRecording());
    QVERIFY(!QFile::exists(path));
}

void TestFitsRecordingWriter::writeFailureLeavesNoFile()
{
    const QString path = m_dir->filePath(QStringLiteral("rec.fits"));
    RecordingHeader big = header(false);
    big.width = 256;
    big.height = 64;
    const std::vector<quint16> counts(std::size_t(big.width * big.height), 1000);
    FitsRecordingWriter writer;
    QString error;
    bool written = writer.create(path, big, &error);
    QVERIFY2(written, qPrintable(error));
    {
        const FileSizeLimit limit(256 * 1024);
        for (int f = 0; f < 16 && written; ++f)
            written = writer.append(counts, f, &error);
        if (written)
            written = writer.finish(&error);
    }
    QVERIFY(!written);
    QVERIFY2(error.contains(QLatin1String("as large as a file on this disk can be")), qPrintable(error));
    QVERIFY(!writer.isRecording());
    QVERIFY(!writer.append(counts, 16.0, &error));
    QVERIFY(files().isEmpty());
}

QTEST_GUILESS_MAIN(TestFitsRecordingWriter)
#include "tst_fitsrecordingwriter.moc"
