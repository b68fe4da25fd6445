// The bad-pixel picker against cameras in scripts/with-fake-cameras.sh: a simulated IR
// camera in its test-pattern mode (64 x 48), or, for `plainCameraUnsupported`, Aravis's
// plain fake camera.
#include "serialexecutor.h"
#include "camerabadpixelpickermodel.h"
#include "cfakecameras.h"
#include "halvomodel.h"
#include "manualclock.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using zelkir::CameraBadPixelPickerModel;
using zelkir::DocumentModel;

namespace {

constexpr int Width = 64;
constexpr int Height = 48;

// The ramp the camera sends before its correction.
int ramp(int x, int y, int id)
{
    return (x + 3 * y + 7 * id) % 16384;
}

// What the camera sends for listed pixel (x, y): the mean of its unlisted neighbours,
// rounded halves up.
int corrected(QPoint p, const QList<QPoint>& listed, int id)
{
    int sum = 0;
    int n = 0;
    for (int y = qMax(p.y() - 1, 0); y <= qMin(p.y() + 1, Height - 1); ++y) {
        for (int x = qMax(p.x() - 1, 0); x <= qMin(p.x() + 1, Width - 1); ++x) {
            if (!listed.contains(QPoint(x, y))) {
                sum += ramp(x, y, id);
                ++n;
            }
        }
    }
    return (sum + n / 2) / n;
}

} // namespace

class TestCameraBadPixelPicker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void cleanupTestCase();
    void picksAndUploads();
    void cameraLostBeforeUploadKeepsEdits_data();
    void cameraLostBeforeUploadKeepsEdits();
    void plainCameraUnsupported();

private:
    zelk::cam::SCameraInfo record() const;
    /// Connects the picker to a new document of the camera; false when it does not connect.
    bool connectCamera();

    std::unique_ptr<CFakeCameras> m_fakes;
    std::unique_ptr<zelkir::HalvoModel> m_halvo;
    std::unique_ptr<zelkir::RoiImageView> m_view;
    std::unique_ptr<CameraBadPixelPickerModel> m_picker;
    DocumentModel* m_document = nullptr;
    ManualClock* m_clock = nullptr;
    /// The fake camera connected to.
    int m_camera = 0;
};

void TestCameraBadPixelPicker::init()
{
    QStandardPaths::setTestModeEnabled(true);
    m_fakes = std::make_unique<CFakeCameras>();
    QVERIFY(m_fakes->count() > m_camera);
    m_halvo = std::make_unique<zelkir::HalvoModel>();
    m_view = std::make_unique<zelkir::RoiImageView>();
    m_picker = std::make_unique<CameraBadPixelPickerModel>();
    m_picker->setRoiImageView(m_view.get());
}

void TestCameraBadPixelPicker::cleanup()
{
    m_camera = 0;
    m_picker.reset();
    m_view.reset();
    m_halvo.reset();
    m_fakes.reset();
    m_document = nullptr;
}

zelk::cam::SCameraInfo TestCameraBadPixelPicker::record() const
{
    zelk::cam::SCameraInfo info;
    info.deviceInfo = m_fakes->deviceRecord(m_camera);
    return info;
}

bool TestCameraBadPixelPicker::connectCamera()
{
    // A connection closed just before lets go of the camera on its own thread, soon.
    for (int attempt = 0; attempt < 20; ++attempt) {
        m_clock = new ManualClock;
        m_document = m_halvo->createCameraDocument(record(), {}, m_clock);
        m_picker->setDocumentModel(m_document);
        if (!QTest::qWaitFor([this] { return m_document->status() != DocumentModel::Loading; }, 15000))
            return false;
        if (m_document->status() == DocumentModel::Ready)
            return QTest::qWaitFor([this] { return !m_picker->isBusy(); }, 10000);
        m_halvo->deleteDocument(m_document);
        QTest::qWait(250);
    }
    return false;
}

void TestCameraBadPixelPicker::cleanupTestCase()
{
    // Cameras that stopped answering are let go of by their own threads, through the camera
    // library's timeouts; the process ends after them.
    QTRY_COMPARE_WITH_TIMEOUT(zelkir::runningExecutorThreads().load(), 0, 30000);
}

void TestCameraBadPixelPicker::picksAndUploads()
{
    QSignalSpy failed(m_picker.get(), &CameraBadPixelPickerModel::bplUploadFailed);
    QSignalSpy downloadFailed(m_picker.get(), &CameraBadPixelPickerModel::bplDownloadFailed);
    QVERIFY(connectCamera());
    QVERIFY(m_picker->isSupported());
    QVERIFY(m_picker->badPixels().isEmpty());

    // Clicks count only while picking; a second click on a pixel unmarks it.
    const QList<QPoint> listed { QPoint(0, 0), QPoint(Width - 1, Height - 1) };
    Q_EMIT m_view->pixelClicked(listed[0]);
    QVERIFY(m_picker->badPixels().isEmpty());
    m_picker->setEnabled(true);
    for (const QPoint& pixel : { listed[0], QPoint(5, 5), listed[1], QPoint(5, 5) })
        Q_EMIT m_view->pixelClicked(pixel);
    QCOMPARE(m_picker->badPixels(), listed);
    QCOMPARE(m_document->rois().size(), 2);
    QVERIFY(!m_picker->isBusy());

    m_picker->setEnabled(false);
    QVERIFY(m_picker->isBusy());
    QVERIFY(m_document->rois().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!m_picker->isBusy(), 10000);
    QCOMPARE(failed.count(), 0);
    QCOMPARE(downloadFailed.count(), 0);
    QVERIFY(!m_picker->hasUnsentEdits());

    // Frames sent from now on carry the neighbours' means in the listed pixels.
    const auto correctedFrame = [&] {
        m_clock->advance();
        const int id = m_document->frameInfo()->value(QStringLiteral("Frame Number")).toInt();
        for (const QPoint& pixel : listed) {
            m_document->setCursorPos(pixel);
            if (id == 0 || m_document->cursorValue() != corrected(pixel, listed, id))
                return false;
        }
        return true;
    };
    QVERIFY(QTest::qWaitFor(correctedFrame, 10000));

    // A new connection reads the list back from the camera.
    m_picker->setDocumentModel(nullptr);
    QVERIFY(m_picker->badPixels().isEmpty());
    m_halvo->deleteDocument(m_document);
    QVERIFY(connectCamera());
    QCOMPARE(m_picker->badPixels(), listed);

    // In real time each click goes at once. Closing the document mid-transfer ends it
    // quietly: the user disconnected, nothing failed.
    m_picker->setApplyInRealTime(true);
    m_picker->setEnabled(true);
    Q_EMIT m_view->pixelClicked(QPoint(7, 7));
    QVERIFY(m_picker->isBusy());
    m_halvo->deleteDocument(m_document);
    QVERIFY(!m_picker->isBusy());
    QVERIFY(!m_picker->isEnabled());
    QTRY_VERIFY(!m_picker->documentModel());
    QVERIFY(!m_picker->isSupported());
    QCOMPARE(failed.count(), 0);
    QCOMPARE(downloadFailed.count(), 0);
}

void TestCameraBadPixelPicker::cameraLostBeforeUploadKeepsEdits_data()
{
    QTest::addColumn<int>("camera");
    QTest::addColumn<bool>("lossSeenFirst");
    QTest::newRow("upload to a camera gone") << 0 << false;
    QTest::newRow("camera lost with edits unsent") << 1 << true;
}

void TestCameraBadPixelPicker::cameraLostBeforeUploadKeepsEdits()
{
    QFETCH(int, camera);
    QFETCH(bool, lossSeenFirst);
    m_camera = camera;
    QVERIFY(connectCamera());
    QSignalSpy failed(m_picker.get(), &CameraBadPixelPickerModel::bplUploadFailed);
    QSignalSpy lost(m_document->realtime(), &zelkir::LivePlayer::connectFailed);
    m_picker->setEnabled(true);
    Q_EMIT m_view->pixelClicked(QPoint(3, 4));
    QVERIFY(m_fakes->stop(camera));
    if (lossSeenFirst) {
        QVERIFY(lost.wait(30000));
        QVERIFY(!m_picker->isEnabled());
    }
    m_picker->setEnabled(false);
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 30000);
    QVERIFY(!m_picker->isBusy());
    QCOMPARE(m_picker->badPixels().last(), QPoint(3, 4));
    QVERIFY(m_picker->hasUnsentEdits());
    // Reported once, however the loss shows.
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 30000);
    QCOMPARE(failed.count(), 1);
    m_halvo->deleteDocument(m_document);
    QVERIFY(!m_picker->isSupported());
    QTRY_VERIFY(!m_picker->documentModel());
}

void TestCameraBadPixelPicker::plainCameraUnsupported()
{
    if (qEnvironmentVariableIsSet("QELT_FAKE_IR_CAMERA"))
        QSKIP("runs among plain fake cameras");
    QSignalSpy downloadFailed(m_picker.get(), &CameraBadPixelPickerModel::bplDownloadFailed);
    QVERIFY(connectCamera());
    QVERIFY(!m_picker->isSupported());
    m_picker->setEnabled(true);
    QVERIFY(!m_picker->isEnabled());
    QCOMPARE(downloadFailed.count(), 0);
}

QTEST_MAIN(TestCameraBadPixelPicker)
#include "tst_camerabadpixelpicker.moc"
