#include "camerafinder.h"
#include "camerainfo.h"
#include "cameralist.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using zelkir::CameraFinder;
using zelkir::CameraInfo;
using zelkir::CameraList;

namespace {

// 192.168.10.5/24 on eth0 and loopback.
std::vector<dns::SHostInterface> sampleHost()
{
    return { { "lo", 1, dns::CIPv4Address(127, 0, 0, 1), dns::CIPv4Address(255, 0, 0, 0) },
        { "eth0", 2, dns::CIPv4Address(192, 168, 10, 5), dns::CIPv4Address(255, 255, 255, 0) } };
}

zelk::cam::SCameraInfo sampleCamera(const char* address = "192.168.10.77")
{
    zelk::cam::SCameraInfo camera;
    camera.vendorName = "QELT";
    camera.modelName = "KDR-3 <LWIR> & co";
    camera.serialNumber = "SN-0042";
    camera.macAddress = "00:11:22:33:44:55";
    camera.address = address;
    camera.displayName = "KDR-3 (SN-0042)";
    zelk::cam::SDeviceInfo& device = camera.deviceInfo;
    device.interfaceName = "GigE-Vision";
    device.deviceId = "QELT-SN-0042";
    device.vendorName = camera.vendorName;
    device.modelName = camera.modelName;
    device.serialNumber = camera.serialNumber;
    device.macAddress = camera.macAddress;
    device.address = address;
    device.raw.interfaceAddress = 0xC0A80A05;
    device.parameters["Control"].setValue(zelk::CVariant("GenICam"));
    return camera;
}

} // namespace

class TestCameraFinder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void reachable_data();
    void reachable();
    void saveAndLoad();
    void loadRefuses_data();
    void loadRefuses();
    void scanInBackground();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CameraFinder> m_finder;
    QString m_path;
};

void TestCameraFinder::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("lastCamera.xml"));
    m_finder = std::make_unique<CameraFinder>();
}

void TestCameraFinder::cleanup()
{
    m_finder.reset();
    m_dir.reset();
}

void TestCameraFinder::reachable_data()
{
    QTest::addColumn<QString>("transport");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("reachable");

    QTest::newRow("same subnet") << "GigE-Vision"
                                 << "192.168.10.77" << true;
    QTest::newRow("loopback") << "GigE-Vision"
                              << "127.0.0.3" << true;
    QTest::newRow("other subnet") << "GigE-Vision"
                                  << "192.168.11.77" << false;
    QTest::newRow("link-local") << "GigE-Vision"
                                << "169.254.3.4" << false;
    QTest::newRow("bad address") << "GigE-Vision"
                                 << "192.168.10" << false;
    QTest::newRow("no address") << "USB3-Vision"
                                << "" << true;
}

void TestCameraFinder::reachable()
{
    QFETCH(QString, transport);
    QFETCH(QString, address);
    QFETCH(bool, reachable);

    zelk::cam::SCameraInfo record = sampleCamera(address.toUtf8().constData());
    record.deviceInfo.interfaceName = transport.toUtf8().constData();
    const CameraInfo camera(record, sampleHost());
    QCOMPARE(camera.reachable(), reachable);
    QCOMPARE(camera.interfaceName(), QStringLiteral("eth0"));
}

void TestCameraFinder::saveAndLoad()
{
    const CameraInfo saved(sampleCamera(), sampleHost());
    QVERIFY(saved.save(m_path));

    CameraInfo* loaded = m_finder->loadCameraInfo(m_path);
    QVERIFY(loaded);
    QCOMPARE(loaded->parent(), m_finder.get());
    for (const char* property : { "displayName", "model", "vendor", "serial", "address", "macAddress",
             "interfaceAddress", "transport" })
        QCOMPARE(loaded->property(property), saved.property(property));
    QCOMPARE(loaded->interfaceAddress(), QStringLiteral("192.168.10.5"));
    const zelk::cam::SDeviceInfo device = loaded->cameraInfo().deviceInfo;
    QCOMPARE(device.deviceId, zelk::CString("QELT-SN-0042"));
    QCOMPARE(device.serialNumber, zelk::CString("SN-0042"));
    QCOMPARE(device.raw.ipAddress, 0xC0A80A4Du);
    QCOMPARE(device.raw.interfaceAddress, 0xC0A80A05u);
    QVERIFY(device.parameters.Find("Control"));
    QCOMPARE(device.parameters.Find("Control")->value, zelk::CVariant("GenICam"));

    // An unchanged file gives the same object; a changed one a new object, the old one
    // going once the event loop runs.
    QCOMPARE(m_finder->loadCameraInfo(m_path), loaded);
    QVERIFY(CameraInfo(sampleCamera("192.168.10.78"), sampleHost()).save(m_path));
    QPointer<CameraInfo> previous = loaded;
    loaded = m_finder->loadCameraInfo(m_path);
    QVERIFY(loaded && loaded != previous);
    QCOMPARE(loaded->address(), QStringLiteral("192.168.10.78"));
    QVERIFY(previous);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!previous);

    // Other files are kept apart, and only the latest few are kept at all.
    const QPointer<CameraInfo> oldest = loaded;
    QList<QPointer<CameraInfo>> others;
    for (int i = 0; i < CameraFinder::MaxRememberedFiles; ++i) {
        const QString path = m_dir->filePath(QStringLiteral("other%1.xml").arg(i));
        QVERIFY(saved.save(path));
        others.append(m_finder->loadCameraInfo(path));
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!oldest);
    QVERIFY(std::all_of(others.begin(), others.end(), [](const QPointer<CameraInfo>& c) { return c; }));
}

void TestCameraFinder::loadRefuses_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("exists");

    const QByteArray valid = CameraInfo(sampleCamera(), sampleHost()).toXml();
    QByteArray future = valid;
    future.replace("version=\"1\"", "version=\"2\"");
    QVERIFY(future != valid);
    QByteArray unversioned = valid;
    unversioned.replace(" version=\"1\"", "");

    QByteArray oversized = valid;
    oversized.replace("<transport>", QByteArray(CameraFinder::MaxFileSize, ' ') + "<transport>");

    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("oversized") << oversized << true;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("blank") << QByteArray("  \n") << true;
    QTest::newRow("truncated") << valid.left(valid.size() / 2) << true;
    QTest::newRow("not xml") << QByteArray("SIMPLE  = T") << true;
    QTest::newRow("foreign") << QByteArray(
        "<?xml version=\"1.0\"?><palette version=\"1\"><serial>1</serial></palette>")
                             << true;
    QTest::newRow("future version") << future << true;
    QTest::newRow("no version") << unversioned << true;
    QTest::newRow("no camera") << QByteArray(
        "<camera version=\"1\"><transport>GigE-Vision</transport></camera>")
                               << true;
}

void TestCameraFinder::loadRefuses()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, exists);

    // A good file first: a bad one in its place must not give back the old object.
    QVERIFY(CameraInfo(sampleCamera(), sampleHost()).save(m_path));
    QPointer<CameraInfo> before = m_finder->loadCameraInfo(m_path);
    QVERIFY(before);
    QFile::remove(m_path);
    if (exists) {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(text), text.size());
    }
    QCOMPARE(m_finder->loadCameraInfo(m_path), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!before);
}

void TestCameraFinder::scanInBackground()
{
    // Discovery broadcasts: only among the simulated cameras of the private namespace.
    const QStringList addresses = qEnvironmentVariable("QELT_FAKE_CAMERAS").split(u' ', Qt::SkipEmptyParts);
    const QStringList serials
        = qEnvironmentVariable("QELT_FAKE_CAMERA_SERIALS").split(u' ', Qt::SkipEmptyParts);
    if (addresses.isEmpty())
        QSKIP("needs scripts/with-fake-cameras.sh");

    CameraList* list = m_finder->cameras();
    QAbstractItemModelTester tester(list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy scanning(m_finder.get(), &CameraFinder::scanningChanged);
    QSignalSpy size(list, &CameraList::sizeChanged);
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);

    m_finder->scan();
    QVERIFY(m_finder->scanning());
    m_finder->scan();
    QCOMPARE(scanning.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!m_finder->scanning(), 20000);
    QCOMPARE(scanning.size(), 2);
    // Discovery waits about a second for answers; the GUI thread ticked all along.
    QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));

    QCOMPARE(size.size(), 1);
    QCOMPARE(list->size(), addresses.size());
    QCOMPARE(list->property("size").toInt(), addresses.size());
    for (int i = 0; i < list->size(); ++i) {
        const QModelIndex index = list->index(i);
        CameraInfo* camera = list->get(i);
        QVERIFY(camera);
        QCOMPARE(index.data(CameraList::CameraRole).value<CameraInfo*>(), camera);
        QCOMPARE(index.data(CameraList::AddressRole).toString(), addresses.at(i));
        QCOMPARE(index.data(CameraList::SerialRole).toString(), serials.at(i));
        QVERIFY(!index.data(CameraList::ModelRole).toString().isEmpty());
        QVERIFY(!index.data(CameraList::MacAddressRole).toString().isEmpty());
        QVERIFY(index.data(CameraList::ReachableRole).toBool());
        QCOMPARE(camera->interfaceAddress(), QStringLiteral("127.0.0.1"));
        QCOMPARE(camera->interfaceName(), QStringLiteral("lo"));
        QCOMPARE(
            camera->cameraInfo().deviceInfo.address, zelk::CString(addresses.at(i).toUtf8().constData()));
        // A camera named on the command line, by address or serial number as typed.
        QCOMPARE(list->find(addresses.at(i)), camera);
        QCOMPARE(list->find(QLatin1Char(' ') + serials.at(i).toLower() + QLatin1Char(' ')), camera);
    }
    QCOMPARE(list->get(list->size()), nullptr);
    QCOMPARE(list->find(QString()), nullptr);
    QCOMPARE(list->find(QStringLiteral("127.0.0.254")), nullptr);
}

QTEST_GUILESS_MAIN(TestCameraFinder)

#include "tst_camerafinder.moc"
