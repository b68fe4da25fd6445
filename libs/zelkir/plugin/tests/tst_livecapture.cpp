// Snapshots and recordings of a simulated IR camera (zelkir-fake-ir-camera in its
// test-pattern mode, inside scripts/with-fake-cameras.sh), read back by the file reader.
#include "serialexecutor.h"
#include "cameramodel.h"
#include "cfakecameras.h"
#include "documentmodel.h"
#include "halvomodel.h"
#include "livecapture.h"
#include "liveplayer.h"
#include "manualclock.h"

#include <zelkir/io/framesource.h>
#include <zelkir/io/framesourcefactory.h>

#include <QImage>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using zelkir::DocumentModel;
using zelkir::LiveCapture;

namespace {

constexpr int Mask14 = 16383;
constexpr int Width = 64;
constexpr int Height = 48;

/// The frame id a test-pattern frame was sent with, modulo 2^14, or -1 when its pixels
/// do not follow the ramp (x + 3 y + 7 id) mod 2^14.
int patternId(const zelkir::Frame& frame)
{
    const int origin = frame.at(0, 0);
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
            if (frame.at(x, y) != ((origin + x + 3 * y) & Mask14))
                return -1;
    // 7 * 11703 = 1 mod 2^14.
    return int((qint64(origin) * 11703) & Mask14);
}

std::unique_ptr<zelkir::FrameSource> openFile(const QString& path)
{
    QString error;
    std::unique_ptr<zelkir::FrameSource> source = zelkir::FrameSourceFactory::open(path, &error);
    if (!source)
        qWarning("%s: %s", qPrintable(path), qPrintable(error));
    return source;
}

} // namespace

class TestLiveCapture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void folderArguments_data();
    void folderArguments();
    void snapshotReadsBackInTheSameUnits();
    void recordingHoldsEveryFrameWithItsTime();
    void cameraKilledWhileRecordingLeavesAReadableFile();
    void cleanupTestCase();

private:
    zelkir::Frame readFrame(zelkir::FrameSource& source, int index);

    CFakeCameras m_fakes;
    zelkir::HalvoModel m_model;
    QTemporaryDir m_dir;
    DocumentModel* m_live = nullptr;
    ManualClock* m_clock = nullptr;
    LiveCapture* m_capture = nullptr;
};

zelkir::Frame TestLiveCapture::readFrame(zelkir::FrameSource& source, int index)
{
    zelkir::Frame frame;
    QString error;
    if (!source.readFrame(index, frame, &error))
        qWarning("frame %d: %s", index, qPrintable(error));
    return frame;
}

void TestLiveCapture::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    QCOMPARE(m_fakes.count(), 1);
    zelk::cam::SCameraInfo record;
    record.deviceInfo = m_fakes.deviceRecord(0);
    m_clock = new ManualClock;
    m_live = m_model.createCameraDocument(record, {}, m_clock);
    QTRY_VERIFY_WITH_TIMEOUT(m_live->status() != DocumentModel::Loading, 15000);
    QCOMPARE(m_live->status(), DocumentModel::Ready);
    zelkir::CameraModel* camera = m_live->realtime()->cameraModel();
    QVERIFY(camera && camera->capture());
    m_capture = camera->capture();
    QVERIFY(QTest::qWaitFor(
        [this] {
            m_clock->advance();
            return !m_live->image().isNull();
        },
        10000));
}

void TestLiveCapture::folderArguments_data()
{
    QTest::addColumn<QVariant>("folder");
    QTest::addColumn<QString>("path");
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QTest::newRow("location") << QVariant(int(QStandardPaths::PicturesLocation)) << pictures;
    QTest::newRow("location from QML") << QVariant(double(QStandardPaths::PicturesLocation)) << pictures;
    QTest::newRow("location as text")
        << QVariant(QString::number(QStandardPaths::PicturesLocation)) << pictures;
    QTest::newRow("path") << QVariant(QStringLiteral("/tmp/a/../b/")) << QStringLiteral("/tmp/b");
    QTest::newRow("url") << QVariant(QUrl(QStringLiteral("file:///tmp/a%20b"))) << QStringLiteral("/tmp/a b");
    QTest::newRow("url text") << QVariant(QStringLiteral("file:///tmp/a%20b")) << QStringLiteral("/tmp/a b");
    QTest::newRow("remote url") << QVariant(QUrl(QStringLiteral("https://example.org/x"))) << QString();
    QTest::newRow("no location") << QVariant(99999) << QString();
    QTest::newRow("nothing") << QVariant() << QString();
}

void TestLiveCapture::folderArguments()
{
    QFETCH(QVariant, folder);
    QFETCH(QString, path);
    QCOMPARE(LiveCapture::folderPath(folder), path);
}

void TestLiveCapture::snapshotReadsBackInTheSameUnits()
{
    QSignalSpy saved(m_capture, &LiveCapture::snapshotSaved);
    QSignalSpy failed(m_capture, &LiveCapture::failed);
    m_live->realtime()->cameraModel()->saveSnapshot(m_dir.filePath(QStringLiteral("missing")));
    QCOMPARE(failed.count(), 1);
    QVERIFY(m_capture->lastError().contains(QLatin1String("missing")));

    // Twice in the same second: two files, neither replacing the other.
    m_live->realtime()->cameraModel()->saveSnapshot(m_dir.path());
    m_live->realtime()->cameraModel()->saveSnapshot(QUrl::fromLocalFile(m_dir.path()));
    QTRY_COMPARE_WITH_TIMEOUT(saved.count(), 2, 10000);
    QCOMPARE(failed.count(), 1);
    QVERIFY(m_capture->lastError().isEmpty());
    const QString fits = saved.at(0).at(0).toString();
    QVERIFY2(QFileInfo(fits).fileName().startsWith(m_fakes.serials().first() + QLatin1Char('_')),
        qPrintable(fits));
    QVERIFY(fits != saved.at(1).at(0).toString());
    QCOMPARE(m_capture->lastSavedFile(), saved.at(1).at(0).toString());
    QCOMPARE(QImage(saved.at(0).at(1).toString()).size(), QSize(Width, Height));

    std::unique_ptr<zelkir::FrameSource> source = openFile(fits);
    QVERIFY(source);
    QCOMPARE(source->frameCount(), 1);
    QCOMPARE(source->countRange().maximum, quint16(Mask14));
    const zelkir::Frame frame = readFrame(*source, 0);
    QVERIFY(patternId(frame) >= 0);

    // The file's calibration gives what the camera's gives, in every unit.
    DocumentModel* file = m_model.createDocument(fits);
    QVERIFY(file);
    QTRY_COMPARE_WITH_TIMEOUT(file->status(), DocumentModel::Ready, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!file->image().isNull(), 10000);
    QCOMPARE(file->availableUnitStrings(), m_live->availableUnitStrings());
    const QPoint point(10, 20);
    file->setCursorPos(point);
    for (int unit = 0; unit < file->availableUnitStrings().size(); ++unit) {
        file->setUnitIndex(unit);
        QVERIFY(qFuzzyCompare(
            file->cursorValue(), m_live->convert(frame.at(point.x(), point.y()), file->unit(), 0)));
    }
    m_model.deleteDocument(file);
}

void TestLiveCapture::recordingHoldsEveryFrameWithItsTime()
{
    QSignalSpy saved(m_capture, &LiveCapture::recordingSaved);
    zelkir::CameraModel* camera = m_live->realtime()->cameraModel();
    camera->startRecording(m_dir.path());
    QVERIFY(camera->isRecording());
    // The display takes nothing meanwhile: every frame is recorded all the same.
    QTest::qWait(1000);
    camera->stopRecording();
    QVERIFY(!camera->isRecording());
    QVERIFY(saved.wait(10000));
    const QString path = saved.first().at(0).toString();
    const int frames = saved.first().at(1).toInt();
    QCOMPARE(m_capture->lastSavedFile(), path);
    QCOMPARE(m_capture->recordedFrames(), double(frames));
    QCOMPARE(m_capture->recordingDroppedFrames(), 0.0);
    QVERIFY2(frames >= 15 && frames <= 45, qPrintable(QString::number(frames)));

    std::unique_ptr<zelkir::FrameSource> source = openFile(path);
    QVERIFY(source);
    QCOMPARE(source->frameCount(), frames);
    QCOMPARE(source->frameTime(0), 0.0);
    int previousId = patternId(readFrame(*source, 0));
    int idsSpanned = 0;
    for (int i = 1; i < frames; ++i) {
        const int id = patternId(readFrame(*source, i));
        QVERIFY2(id >= 0, qPrintable(QStringLiteral("frame %1").arg(i)));
        const int sent = (id - previousId) & Mask14;
        const double step = source->frameTime(i) - source->frameTime(i - 1);
        QVERIFY2(sent >= 1 && step > 0.0,
            qPrintable(QStringLiteral("frame %1: %2 ids, %3 s").arg(i).arg(sent).arg(step)));
        idsSpanned += sent;
        previousId = id;
    }
    // At 30 frames per second the times follow the ids; a loaded machine may send a single
    // frame late, so the span as a whole is compared.
    const double span = source->frameTime(frames - 1) - source->frameTime(0);
    QVERIFY2(qAbs(span - idsSpanned / 30.0) < 0.1,
        qPrintable(QStringLiteral("%1 ids in %2 s").arg(idsSpanned).arg(span)));
}

void TestLiveCapture::cameraKilledWhileRecordingLeavesAReadableFile()
{
    QSignalSpy saved(m_capture, &LiveCapture::recordingSaved);
    m_capture->startRecording(m_dir.path());
    QTRY_VERIFY_WITH_TIMEOUT(m_capture->recordedFrames() >= 5, 5000);
    QVERIFY(m_fakes.stop(0));
    QVERIFY(saved.wait(20000));
    QVERIFY(!m_capture->isRecording());
    std::unique_ptr<zelkir::FrameSource> source = openFile(saved.first().at(0).toString());
    QVERIFY(source);
    QCOMPARE(source->frameCount(), saved.first().at(1).toInt());
    QVERIFY(patternId(readFrame(*source, source->frameCount() - 1)) >= 0);
}

void TestLiveCapture::cleanupTestCase()
{
    m_model.deleteDocument(m_live);
    // Cameras that stopped answering are let go of by their own threads, through the camera
    // library's timeouts; the process ends after them.
    QTRY_COMPARE_WITH_TIMEOUT(zelkir::runningExecutorThreads().load(), 0, 30000);
}

QTEST_MAIN(TestLiveCapture)
#include "tst_livecapture.moc"
