// The live document over the camera library, among simulated GigE Vision cameras that
// scripts/with-fake-cameras.sh starts: the fake's test pattern on screen, a camera found
// by serial after it moved, a camera connected to again at once, and cameras that die while
// connecting or streaming.
#include "serialexecutor.h"
#include "camerainfo.h"
#include "cameramodel.h"
#include "cfakecameras.h"
#include "documentmodel.h"
#include "halvomodel.h"
#include "liveplayer.h"
#include "manualclock.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using zelkir::DocumentModel;
using zelkir::LivePlayer;

class TestLiveCamera : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void showsTheFakesPattern();
    void movedCameraIsFoundBySerial();
    void reconnectsAtOnce();
    void deadCameraEndsInConnectFailedOnce_data();
    void deadCameraEndsInConnectFailedOnce();
    void disconnectFromDeadCameraReturnsAtOnce();

private:
    DocumentModel* connectTo(int camera);
    bool waitForOpened();
    /// Ticks the display until a frame numbered above `after` is shown.
    bool showFrameAfter(int after);
    int shownFrame() const;

    CFakeCameras m_fakes;
    std::unique_ptr<zelkir::HalvoModel> m_model;
    QPointer<DocumentModel> m_document;
    ManualClock* m_clock = nullptr;
};

void TestLiveCamera::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCOMPARE(m_fakes.count(), 5);
}

void TestLiveCamera::init()
{
    m_model = std::make_unique<zelkir::HalvoModel>();
}

void TestLiveCamera::cleanup()
{
    m_model.reset();
}

void TestLiveCamera::cleanupTestCase()
{
    // Cameras that stopped answering are let go of by their own threads, through the camera
    // library's timeouts; the process ends after them.
    QTRY_COMPARE_WITH_TIMEOUT(zelkir::runningExecutorThreads().load(), 0, 30000);
}

DocumentModel* TestLiveCamera::connectTo(int camera)
{
    zelk::cam::SCameraInfo record;
    record.deviceInfo = m_fakes.deviceRecord(camera);
    record.serialNumber = m_fakes.serials().value(camera).toLatin1().constData();
    m_clock = new ManualClock;
    m_document = m_model->createCameraDocument(record, {}, m_clock);
    return m_document;
}

bool TestLiveCamera::waitForOpened()
{
    return QTest::qWaitFor([this] { return m_document->status() != DocumentModel::Loading; }, 15000)
        && m_document->status() == DocumentModel::Ready;
}

int TestLiveCamera::shownFrame() const
{
    const QString number = m_document->frameInfo()->value(QStringLiteral("Frame Number"));
    return number.isEmpty() ? -1 : number.toInt();
}

bool TestLiveCamera::showFrameAfter(int after)
{
    return QTest::qWaitFor(
        [this, after] {
            m_clock->advance();
            return shownFrame() > after;
        },
        10000);
}

void TestLiveCamera::showsTheFakesPattern()
{
    DocumentModel* document = connectTo(0);
    QVERIFY(waitForOpened());
    LivePlayer* live = document->realtime();
    QVERIFY(live->cameraModel()->isConnected());
    QCOMPARE(document->availableUnitStrings(), QStringList { QStringLiteral("Counts") });
    QVERIFY(live->targetDisplayRate().toDouble() > 0.0);
    QVERIFY(live->targetDisplayRate().toDouble() <= LivePlayer::MaxDefaultDisplayRate);

    // Gain and exposure that leave the pattern unscaled, through the camera's own thread.
    bool written = false;
    live->cameraModel()->access()->call(
        [](zelkir::CameraSession& session) {
            std::string error;
            auto& features = session.camera->features();
            return features.write("GainRaw", std::int64_t(0), error)
                && features.write("ExposureTimeAbs", 10000.0, error);
        },
        this, [&written](bool ok) { written = ok; });
    QTRY_VERIFY(written);
    QVERIFY(showFrameAfter(-1));
    QVERIFY(showFrameAfter(shownFrame() + 1));

    // Mono8: pixel (x, y) of frame n is (x + y + n) mod 255.
    const int frame = shownFrame();
    QCOMPARE(document->frameInfo()->value(QStringLiteral("Pixel Format")), QStringLiteral("Mono8"));
    QVERIFY(!document->image().isNull());
    for (const QPoint& point : { QPoint(0, 0), QPoint(10, 20), QPoint(200, 100) }) {
        document->setCursorPos(point);
        QCOMPARE(document->cursorValue(), double((point.x() + point.y() + frame) % 255));
    }
    QTRY_VERIFY_WITH_TIMEOUT(live->receivedFrameRate() > 0.0, 5000);
}

void TestLiveCamera::movedCameraIsFoundBySerial()
{
    // As the window connects: a CameraInfo of the finder, the display on its own timer.
    // Nothing answers at the saved address; camera 1 has the saved serial.
    zelk::cam::SCameraInfo record;
    record.deviceInfo = m_fakes.deviceRecord(1);
    record.deviceInfo.address = "127.0.0.250";
    record.deviceInfo.raw.ipAddress = CFakeCameras::toIPv4(QStringLiteral("127.0.0.250"));
    record.serialNumber = m_fakes.serials().value(1).toLatin1().constData();
    zelkir::CameraInfo saved(record, {});
    m_document = m_model->createDocument(QVariant::fromValue(&saved));
    QVERIFY(m_document && m_document->realtime());
    QVERIFY2(waitForOpened(), qPrintable(m_document->errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(!m_document->image().isNull(), 10000);
}

void TestLiveCamera::reconnectsAtOnce()
{
    // A camera takes one controller: each connection waits for the one before to let go.
    for (int round = 0; round < 3; ++round) {
        DocumentModel* document = connectTo(0);
        QVERIFY2(waitForOpened(), qPrintable(document->errorString()));
        document->realtime()->disconnect();
        m_model->deleteDocument(document);
    }
}

void TestLiveCamera::deadCameraEndsInConnectFailedOnce_data()
{
    QTest::addColumn<int>("camera");
    QTest::addColumn<bool>("streaming");
    QTest::newRow("killed while streaming") << 2 << true;
    QTest::newRow("killed while connecting") << 3 << false;
}

void TestLiveCamera::deadCameraEndsInConnectFailedOnce()
{
    QFETCH(int, camera);
    QFETCH(bool, streaming);
    DocumentModel* document = connectTo(camera);
    QSignalSpy failed(document->realtime(), &LivePlayer::connectFailed);
    connect(document->realtime(), &LivePlayer::connectFailed, m_model.get(),
        [this] { m_model->deleteDocument(m_document); });
    if (streaming) {
        QVERIFY(waitForOpened());
        QVERIFY(showFrameAfter(-1));
    }
    QVERIFY(m_fakes.stop(camera));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(failed.wait(20000));
    qInfo("connectFailed after %lld ms: %s", timer.elapsed(), qPrintable(failed.first().first().toString()));
    QTRY_VERIFY(m_document.isNull());
    QTest::qWait(500);
    QCOMPARE(failed.count(), 1);
}

void TestLiveCamera::disconnectFromDeadCameraReturnsAtOnce()
{
    DocumentModel* document = connectTo(4);
    QVERIFY(waitForOpened());
    QVERIFY(m_fakes.stop(4));
    LivePlayer* live = document->realtime();
    QSignalSpy failed(live, &LivePlayer::connectFailed);
    QElapsedTimer timer;
    timer.start();
    live->disconnect();
    m_model->deleteDocument(document);
    QVERIFY2(timer.elapsed() < 100, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    QTRY_VERIFY(m_document.isNull());
    QCOMPARE(failed.count(), 0);
}

QTEST_MAIN(TestLiveCamera)
#include "tst_livecamera.moc"
