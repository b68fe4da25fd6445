#include "cameramodel.h"
#include "documentmodel.h"
#include "fakelivecamera.h"
#include "halvomodel.h"
#include "hostcheckmodel.h"
#include "liveplayer.h"
#include "manualclock.h"
#include "regionlistmodel.h"
#include "regionseries.h"
#include "timerdisplayclock.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <cmath>
#include <memory>
#include <mutex>

using zelk::cam::SHostCheckCamera;
using zelk::cam::gic::FeatureValue;
using zelkir::DocumentModel;
using zelkir::LivePlayer;

namespace {

constexpr int Width = 8;
constexpr int Height = 6;
constexpr double RadGain = 0.01;
constexpr double RadOffset = 2.0;

/// The cameras each host check was asked about.
struct CheckCalls
{
    std::mutex mutex;
    std::vector<SHostCheckCamera> cameras;

    std::vector<SHostCheckCamera> taken()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return cameras;
    }
};

} // namespace

class TestLivePlayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void showsFramesInCameraUnits();
    void cameraWithoutFeaturesShowsCounts();
    void failuresEndInConnectFailedOnce_data();
    void failuresEndInConnectFailedOnce();
    void movedCameraIsFoundBySerial();
    void disconnectNeverWaits_data();
    void disconnectNeverWaits();
    void displayKeepsNewestFrameAndCountsDrops();
    void regionHistoryFollowsShownFrames();
    void timerClockKeepsItsRateOnAverage();
    void displayRateInput_data();
    void displayRateInput();
    void hostCheckRunsOnceWhenFramesComeIncomplete();

private:
    /// A document of the camera saved at `address` with FAKE0002's serial, whose host
    /// checks are only counted.
    DocumentModel* connectTo(const std::string& address);
    bool waitForOpened();
    /// Ticks until a frame is shown; false when none comes.
    bool showNextFrame();

    std::unique_ptr<zelkir::HalvoModel> m_model;
    std::shared_ptr<FakeCameraLibrary> m_library;
    std::shared_ptr<FakeCameraControl> m_camera;
    QPointer<DocumentModel> m_document;
    ManualClock* m_clock = nullptr;
    std::shared_ptr<CheckCalls> m_checks;
};

void TestLivePlayer::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestLivePlayer::init()
{
    m_model = std::make_unique<zelkir::HalvoModel>();
    m_library = std::make_shared<FakeCameraLibrary>();
    m_camera = m_library->add("127.0.0.2", "FAKE0002");
    m_checks = std::make_shared<CheckCalls>();
    m_camera->features = { { "Width", std::int64_t(Width) }, { "Height", std::int64_t(Height) },
        { "AcquisitionFrameRate", 100.0 }, { "DeviceTemperature", 31.5 },
        { "CalibrationRadianceGain", RadGain }, { "CalibrationRadianceOffset", RadOffset },
        { "CalibrationPlanckR", 5685.76 }, { "CalibrationPlanckB", 1404.0 }, { "CalibrationPlanckF", 1.0 },
        { "CalibrationPlanckO", 1.63 } };
}

void TestLivePlayer::cleanup()
{
    m_camera->release();
    m_model.reset();
    m_document.clear();
}

DocumentModel* TestLivePlayer::connectTo(const std::string& address)
{
    m_clock = new ManualClock;
    zelk::cam::SCameraInfo record = FakeCameraLibrary::record(address, "FAKE0002");
    record.deviceInfo.hostInterface = "lo";
    record.deviceInfo.raw.ipAddress = 0x7F000002;
    m_document = m_model->createCameraDocument(record, m_library, m_clock);
    m_document->realtime()->hostCheck()->setCheck([checks = m_checks](const std::vector<SHostCheckCamera>& cameras) {
        std::lock_guard<std::mutex> lock(checks->mutex);
        checks->cameras.insert(checks->cameras.end(), cameras.begin(), cameras.end());
        return zelkir::HostCheckModel::Findings {};
    });
    return m_document;
}

bool TestLivePlayer::waitForOpened()
{
    return QTest::qWaitFor([this] { return m_document->status() != DocumentModel::Loading; }, 5000)
        && m_document->status() == DocumentModel::Ready;
}

bool TestLivePlayer::showNextFrame()
{
    QSignalSpy shown(m_document, &DocumentModel::imageChanged);
    m_clock->advance();
    return shown.wait(5000);
}

void TestLivePlayer::showsFramesInCameraUnits()
{
    DocumentModel* document = connectTo("127.0.0.2");
    LivePlayer* live = document->realtime();
    QVERIFY(live);
    QCOMPARE(document->producer(), live);
    QCOMPARE(live->cameraModel(), nullptr);
    QCOMPARE(live->controllerQml(), QStringLiteral("zelkcamui/panels/CameraController.qml"));
    QVERIFY(waitForOpened());
    QVERIFY(live->cameraModel() && live->cameraModel()->isConnected());
    // The camera's 100 frames per second, at most 60 shown.
    QCOMPARE(live->targetDisplayRate().toDouble(), 60.0);
    QCOMPARE(m_clock->rate(), 60.0);
    QCOMPARE(document->imageSize(), QSize(Width, Height));
    // Radiance and the Planck curve: factory and user units.
    QCOMPARE(document->availableUnitStrings().size(), 5);
    // The camera's features carry no object parameters: a black body in still air.
    QVERIFY(document->objectParameters()->available());
    QCOMPARE(document->objectParameters()->emissivity(), 1.0);

    QVERIFY(m_camera->send(7, Width, Height, 1000));
    QVERIFY(showNextFrame());
    QCOMPARE(document->image().size(), QSize(Width, Height));
    document->setCursorPos(QPoint(3, 2));
    QCOMPARE(document->cursorValue(), 1203.0);
    document->setUnitIndex(1);
    QCOMPARE(document->unit(), DocumentModel::RADIANCE_FACTORY);
    QCOMPARE(document->cursorValue(), RadOffset + RadGain * 1203.0);
    document->setUnitIndex(2);
    QVERIFY(std::isfinite(document->cursorValue()));

    const zelkir::FrameInfoModel* info = document->frameInfo();
    QCOMPARE(info->value(QStringLiteral("Frame Number")), QStringLiteral("7"));
    QCOMPARE(info->value(QStringLiteral("Time")), QStringLiteral("0.070"));
    QCOMPARE(info->value(QStringLiteral("Pixel Format")), QStringLiteral("Mono14"));
    QCOMPARE(info->value(QStringLiteral("Minimum")), QStringLiteral("1000"));
    QCOMPARE(info->value(QStringLiteral("Maximum")), QStringLiteral("1507"));
    QCOMPARE(info->value(QStringLiteral("Sensor Temperature")), QStringLiteral("31.5 \u00B0C"));
    for (const char* name : { "Size", "Mean", "Received Frame Rate", "Displayed Frame Rate",
             "Incomplete Frames", "Dropped Display Frames" })
        QVERIFY2(!info->value(QString::fromLatin1(name)).isEmpty(), name);

    // Statistics are read on the camera thread about once a second.
    m_camera->failedFrames = 3;
    QTRY_COMPARE_WITH_TIMEOUT(live->incompleteFrames(), 3.0, 3000);

    // A camera's size may change while it streams.
    QVERIFY(m_camera->send(8, 4, 2, 0));
    QVERIFY(showNextFrame());
    QCOMPARE(document->imageSize(), QSize(4, 2));
}

void TestLivePlayer::cameraWithoutFeaturesShowsCounts()
{
    m_camera->features.clear();
    DocumentModel* document = connectTo("127.0.0.2");
    QVERIFY(waitForOpened());
    QCOMPARE(document->availableUnitStrings(), QStringList { QStringLiteral("Counts") });
    QVERIFY(!document->objectParameters()->available());
    QCOMPARE(document->realtime()->targetDisplayRate().toDouble(), LivePlayer::FallbackDisplayRate);
    QVERIFY(m_camera->send(1, Width, Height, 40, zelk::cam::EPixelFormat::Mono8));
    QVERIFY(showNextFrame());
    QCOMPARE(document->frameInfo()->value(QStringLiteral("Sensor Temperature")), QString());
    QCOMPARE(document->frameInfo()->value(QStringLiteral("Pixel Format")), QStringLiteral("Mono8"));
}

void TestLivePlayer::failuresEndInConnectFailedOnce_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("no camera at the address or serial") << "absent";
    QTest::newRow("acquisition refused") << "refuse";
    QTest::newRow("lost while connecting") << "lose on start";
    QTest::newRow("lost while streaming") << "lose";
}

void TestLivePlayer::failuresEndInConnectFailedOnce()
{
    QFETCH(QString, failure);
    m_camera->refuseStart = failure == QLatin1String("refuse");
    m_camera->loseOnStart = failure == QLatin1String("lose on start");
    if (failure == QLatin1String("absent")) {
        m_camera->address = "127.0.0.9";
        m_camera->serial = "OTHER";
    }
    DocumentModel* document = connectTo("127.0.0.2");
    LivePlayer* live = document->realtime();
    QSignalSpy failed(live, &LivePlayer::connectFailed);
    // The window ends the document from within the signal.
    connect(live, &LivePlayer::connectFailed, m_model.get(), [this] { m_model->deleteDocument(m_document); });
    if (failure == QLatin1String("lose")) {
        QVERIFY(waitForOpened());
        QVERIFY(m_camera->lose("cable pulled"));
        m_camera->lose("cable pulled again");
    }
    QCOMPARE(failed.count(), 0);
    QVERIFY(failed.wait(5000));
    QTRY_VERIFY(m_document.isNull());
    QTest::qWait(50);
    QCOMPARE(failed.count(), 1);
    QVERIFY(!failed.first().first().toString().isEmpty());
    QCOMPARE(m_model->documentCount(), 0);
    if (failure != QLatin1String("absent"))
        QVERIFY(m_camera->waitForDestroyed(5000));
}

void TestLivePlayer::movedCameraIsFoundBySerial()
{
    m_camera->address = "127.0.0.3";
    DocumentModel* document = connectTo("127.0.0.2");
    QVERIFY(waitForOpened());
    QCOMPARE(m_camera->opened.load(), 1);
    QVERIFY(document->realtime()->cameraModel()->isConnected());
}

void TestLivePlayer::disconnectNeverWaits_data()
{
    QTest::addColumn<bool>("connected");
    QTest::newRow("camera hanging while opening") << false;
    QTest::newRow("camera hanging while stopping") << true;
}

void TestLivePlayer::disconnectNeverWaits()
{
    QFETCH(bool, connected);
    if (!connected)
        m_camera->hold();
    DocumentModel* document = connectTo("127.0.0.2");
    LivePlayer* live = document->realtime();
    QSignalSpy failed(live, &LivePlayer::connectFailed);
    if (connected)
        QVERIFY(waitForOpened());
    else
        QVERIFY(m_camera->waitForBlocked(5000));
    m_camera->hold();
    QElapsedTimer timer;
    timer.start();
    live->disconnect();
    m_model->deleteDocument(document);
    QVERIFY(timer.elapsed() < 100);
    QVERIFY(live->isClosed());
    if (connected)
        QVERIFY(!live->cameraModel()->isConnected());
    QTRY_VERIFY(m_document.isNull());
    m_camera->release();
    QVERIFY(m_camera->waitForDestroyed(5000));
    QVERIFY(!m_camera->isStreaming());
    QTest::qWait(50);
    QCOMPARE(failed.count(), 0);
}

void TestLivePlayer::displayKeepsNewestFrameAndCountsDrops()
{
    DocumentModel* document = connectTo("127.0.0.2");
    LivePlayer* live = document->realtime();
    QVERIFY(waitForOpened());
    QSignalSpy shown(document, &DocumentModel::imageChanged);
    const auto frameNumber = [document] { return document->frameInfo()->value(QStringLiteral("Frame Number")); };
    // Nothing shown yet, so the display has room for two frames without a tick: the first
    // is rendered as it comes, and the newest of those arriving meanwhile right after it.
    for (int id = 1; id <= 10; ++id)
        QVERIFY(m_camera->send(std::uint64_t(id), Width, Height, id));
    QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 2, 5000);
    QCOMPARE(frameNumber(), QStringLiteral("10"));
    QCOMPARE(live->droppedFrames(), 8.0);
    // The room is used up: frames wait for a tick, and only the newest is shown.
    for (int id = 11; id <= 15; ++id)
        QVERIFY(m_camera->send(std::uint64_t(id), Width, Height, id));
    QVERIFY(!shown.wait(100));
    m_clock->advance();
    QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 3, 5000);
    QCOMPARE(frameNumber(), QStringLiteral("15"));
    QCOMPARE(live->droppedFrames(), 12.0);
    // New settings render the shown frame again once a tick allows it.
    document->setShowSaturationColors(!document->showSaturationColors());
    QVERIFY(!shown.wait(100));
    m_clock->advance();
    QVERIFY(shown.wait(5000));
    QCOMPARE(frameNumber(), QStringLiteral("15"));
    // Ticks bank two frames at most, each shown as soon as it arrives.
    m_clock->advance(3);
    for (int id = 16; id <= 18; ++id) {
        QVERIFY(m_camera->send(std::uint64_t(id), Width, Height, id));
        QCOMPARE(shown.wait(id < 18 ? 5000 : 100), id < 18);
    }
    QCOMPARE(frameNumber(), QStringLiteral("17"));
}

void TestLivePlayer::regionHistoryFollowsShownFrames()
{
    DocumentModel* document = connectTo("127.0.0.2");
    QVERIFY(waitForOpened());
    zelkir::RegionSeries* series = document->regionSeries();
    QVERIFY(series->isLive());
    // Kept nowhere: the test's regions stay out of the configuration folder.
    document->setRegionStorePath(QString());
    document->regions()->clear();
    QCOMPARE(document->regions()->add(QStringLiteral("box"), 1, 1, 5, 4), 0);
    const auto lastMean = [series] {
        return series->points(0, QStringLiteral("mean")).last().toMap().value(QStringLiteral("v")).toDouble();
    };
    for (int id = 1; id <= 3; ++id) {
        QVERIFY(m_camera->send(std::uint64_t(id), Width, Height, 100 * id));
        QVERIFY(showNextFrame());
        QCOMPARE(series->sampleCount(), id);
        QCOMPARE(lastMean(), document->regions()->statistics(0).value(QStringLiteral("mean")).toDouble());
    }
    QVERIFY(series->timeMaximum() >= 0.0);
    // Other regions: a history of their own.
    QVERIFY(document->regions()->add(QStringLiteral("spot"), 2, 2, 2, 2) >= 0);
    QCOMPARE(series->sampleCount(), 0);
    QVERIFY(m_camera->send(4, Width, Height, 400));
    QVERIFY(showNextFrame());
    QCOMPARE(series->sampleCount(), 1);
    QCOMPARE(series->regionNames(), QStringList({ QStringLiteral("Box 1"), QStringLiteral("Spot 1") }));
}

void TestLivePlayer::timerClockKeepsItsRateOnAverage()
{
    // 60 per second in whole milliseconds would be 17 ms apart, 117 ticks in 2 s.
    zelkir::TimerDisplayClock clock;
    QSignalSpy ticks(&clock, &zelkir::DisplayClock::tick);
    QElapsedTimer timer;
    clock.start(60.0);
    timer.start();
    QTest::qWait(2000);
    const double expected = double(timer.elapsed()) * 60.0 / 1000.0;
    QVERIFY2(qAbs(double(ticks.count()) - expected) <= 1.5,
        qPrintable(QStringLiteral("%1 ticks, %2 expected").arg(ticks.count()).arg(expected)));
    // Its position, which the live display's allowance follows, counts periods unrounded.
    const double position = clock.position();
    const double periods = double(timer.elapsed()) * 60.0 / 1000.0;
    QVERIFY2(position >= expected && position <= periods + 0.5,
        qPrintable(QStringLiteral("position %1 after %2 periods").arg(position).arg(periods)));
}

void TestLivePlayer::displayRateInput_data()
{
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<double>("rate");
    QTest::newRow("number") << QVariant(25) << 25.0;
    QTest::newRow("text") << QVariant(QStringLiteral(" 12.5 ")) << 12.5;
    QTest::newRow("above the camera's rate") << QVariant(500.0) << 500.0;
    QTest::newRow("zero") << QVariant(0) << 60.0;
    QTest::newRow("negative text") << QVariant(QStringLiteral("-3")) << 60.0;
    QTest::newRow("words") << QVariant(QStringLiteral("fast")) << 60.0;
}

void TestLivePlayer::displayRateInput()
{
    QFETCH(QVariant, input);
    QFETCH(double, rate);
    DocumentModel* document = connectTo("127.0.0.2");
    QVERIFY(waitForOpened());
    // The window's rate field reads the document's filePlayer and writes its realtime.
    QObject* player = document->property("filePlayer").value<QObject*>();
    QObject* realtime = document->property("realtime").value<QObject*>();
    QCOMPARE(player, realtime);
    QVERIFY(realtime->setProperty("targetDisplayRate", input));
    QCOMPARE(player->property("targetDisplayRate").toDouble(), rate);
    QCOMPARE(m_clock->rate(), rate);
}

void TestLivePlayer::hostCheckRunsOnceWhenFramesComeIncomplete()
{
    m_camera->features.emplace("GevSCPSPacketSize", std::int64_t(1400));
    DocumentModel* document = connectTo("127.0.0.2");
    LivePlayer* live = document->realtime();
    zelkir::HostCheckModel* check = live->hostCheck();
    QVERIFY(waitForOpened());
    // Packed 12-bit pixels: one and a half bytes each.
    QVERIFY(m_camera->send(1, Width, Height, 0, zelk::cam::EPixelFormat::Mono12Packed));
    QVERIFY(showNextFrame());

    m_camera->failedFrames = 2;
    QTRY_COMPARE_WITH_TIMEOUT(m_checks->taken().size(), std::size_t(1), 3000);
    QVERIFY(check->checkedAfterLoss());
    const SHostCheckCamera camera = m_checks->taken().front();
    QCOMPARE(camera.name, std::string("FAKE0002 at 127.0.0.2"));
    QCOMPARE(camera.hostInterface, std::string("lo"));
    QCOMPARE(camera.address, 0x7F000002u);
    QCOMPARE(camera.frameBytes, std::uint64_t(Width * Height * 12 / 8));
    QCOMPARE(camera.packetBytes, 1400u);
    QTRY_VERIFY(!check->isRunning());

    // More frames lost in the same connection: no second check by itself.
    m_camera->failedFrames = 9;
    QTRY_COMPARE_WITH_TIMEOUT(live->incompleteFrames(), 9.0, 3000);
    QCOMPARE(m_checks->taken().size(), std::size_t(1));
    // The user's check: the same camera, with the size of the frames now coming.
    QVERIFY(m_camera->send(2, Width, Height, 0, zelk::cam::EPixelFormat::Mono16));
    QVERIFY(showNextFrame());
    check->run();
    QTRY_COMPARE(m_checks->taken().size(), std::size_t(2));
    QVERIFY(!check->checkedAfterLoss());
    QCOMPARE(m_checks->taken().back().frameBytes, std::uint64_t(Width * Height * 2));
}

QTEST_MAIN(TestLivePlayer)
#include "tst_liveplayer.moc"
