// A camera that stops answering, between the scan and the apply or while it is
// open: the library must fail within seconds, never hang or crash.
#include "cfakecameras.h"
#include "cipfeatures.h"

#include <zelk/cam/cam.h>

#include <QElapsedTimer>
#include <QTest>

using namespace zelk;
using namespace zelk::cam;

class TestStoppedCamera : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void openFailsOnceTheCameraStopped();
    void readsThrowOnceTheCameraStopped();

private:
    TSharedPtr<IDevice> newDevice() const { return interfaces()->find("GigE-Vision")->createDevice(); }

    CFakeCameras m_fakes;
    TArray<SDeviceInfo> m_discovered;
};

void TestStoppedCamera::initTestCase()
{
    QCOMPARE(m_fakes.count(), 2);
    TArray<CString> names;
    names.Add("GigE-Vision");
    QVERIFY(interfaces()->discover(m_discovered, names, 1));
    QCOMPARE(m_discovered.Count(), std::size_t(2));
}

void TestStoppedCamera::openFailsOnceTheCameraStopped()
{
    // Found by the scan, gone before the apply.
    QVERIFY(m_fakes.stop(0));
    const TSharedPtr<IDevice> device = newDevice();
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!device->open(m_discovered[0], AccessReadControl));
    qInfo("open of a stopped camera failed after %lld ms", timer.elapsed());
    QVERIFY2(timer.elapsed() < 3000, "must fail within seconds");
    QVERIFY(!device->genICam(0));
    QCOMPARE(device->openFailure(), EOpenFailure::NoAnswer);

    // The camera beside it is not affected.
    QVERIFY(device->open(m_discovered[1], AccessReadControl));
    QVERIFY(CIpFeatures(*device).isComplete());
}

void TestStoppedCamera::readsThrowOnceTheCameraStopped()
{
    TSharedPtr<IDevice> device = newDevice();
    QVERIFY(device->open(m_discovered[1], AccessReadControl));
    const CIpFeatures features(*device);
    QVERIFY(features.isComplete());
    QCOMPARE(CFakeCameras::ipv4Text(features.read().currentIP), m_fakes.addresses().at(1));

    QVERIFY(m_fakes.stop(1));
    QElapsedTimer timer;
    timer.start();
    QVERIFY_THROWS_EXCEPTION(gic::CFeatureException, features.currentIP->getValue());
    qInfo("read of a stopped camera threw after %lld ms", timer.elapsed());
    QVERIFY2(timer.elapsed() < 4000, "must fail within seconds");

    // Releasing waits for Aravis to give up handing the control channel back.
    timer.restart();
    device.reset();
    qInfo("releasing the device took %lld ms", timer.elapsed());
    QVERIFY(timer.elapsed() < 7000);
}

QTEST_GUILESS_MAIN(TestStoppedCamera)
#include "tst_stoppedcamera.moc"
