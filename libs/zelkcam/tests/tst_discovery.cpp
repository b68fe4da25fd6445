// Discovery, camera matching and the transport registry of the real library,
// against the fake cameras of scripts/with-fake-cameras.sh.
#include "cfakecameras.h"

#include <zelk/cam/cam.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace zelk;
using namespace zelk::cam;

namespace {

TArray<CString> Names(std::initializer_list<const char*> names)
{
    TArray<CString> result;
    for (const char* name : names)
        result.Add(CString(name));
    return result;
}

QString Text(const CString& text)
{
    return QString::fromUtf8(text.c_str());
}

} // namespace

class TestDiscovery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void listsEveryCameraWithItsAddress();
    void recordsCarryWhatOpeningNeeds();
    void keepsWhatTheArrayHeld();
    void matchGivesOneCameraPerDevice();
    void matchRecordsFamily_data();
    void matchRecordsFamily();
    void displayName_data();
    void displayName();
    void findOffersTransports_data();
    void findOffersTransports();
    void emptyNameListDiscoversNothing();
    void unofferedTransportDiscoversNothing();
    void refreshSucceeds();
    void usb3VisionFindsNoneQuickly();

private:
    CFakeCameras m_fakes;
    TArray<SDeviceInfo> m_devices;
    qint64 m_discoveryMs = 0;
};

void TestDiscovery::initTestCase()
{
    QCOMPARE(m_fakes.count(), 3);
    // One discovery serves the whole test: each costs about a second.
    SDeviceInfo sentinel;
    sentinel.deviceId = "sentinel";
    m_devices.Add(sentinel);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(interfaces()->discover(m_devices, Names({ "GigE-Vision" }), 1));
    m_discoveryMs = timer.elapsed();
    qInfo("one discovery round took %lld ms", m_discoveryMs);
}

void TestDiscovery::listsEveryCameraWithItsAddress()
{
    QCOMPARE(m_devices.Count(), std::size_t(1 + 3));
    QStringList addresses;
    QStringList serials;
    for (std::size_t i = 1; i < m_devices.Count(); ++i) {
        addresses.append(Text(m_devices[i].address));
        serials.append(Text(m_devices[i].serialNumber));
    }
    // Ordered by address, as the script numbered them.
    QCOMPARE(addresses, m_fakes.addresses());
    QCOMPARE(serials, m_fakes.serials());
    QVERIFY2(m_discoveryMs < 2500, "one round should take about one second");
}

void TestDiscovery::recordsCarryWhatOpeningNeeds()
{
    static const QRegularExpression mac(QStringLiteral("^[0-9a-f]{2}(:[0-9a-f]{2}){5}$"));
    for (std::size_t i = 1; i < m_devices.Count(); ++i) {
        const SDeviceInfo& device = m_devices[i];
        QCOMPARE(Text(device.interfaceName), QStringLiteral("GigE-Vision"));
        QVERIFY(!device.deviceId.empty());
        QVERIFY(!device.vendorName.empty());
        QVERIFY(!device.modelName.empty());
        QVERIFY2(mac.match(Text(device.macAddress)).hasMatch(), device.macAddress.c_str());
        QCOMPARE(device.raw.ipAddress, CFakeCameras::toIPv4(Text(device.address)));
        // All fake cameras live on loopback, so they answer there, on its 127.0.0.0/8.
        QCOMPARE(Text(device.hostInterface), QStringLiteral("lo"));
        QCOMPARE(device.raw.interfaceAddress >> 24, 127u);
        QCOMPARE(CFakeCameras::ipv4Text(device.raw.interfaceMask), QStringLiteral("255.0.0.0"));
        QCOMPARE(device.raw.discoveryRound, 1u);
        QVERIFY(device.parameters.Exists("Control"));
        QCOMPARE(Text(device.parameters.Find("Control")->value.toString()), QStringLiteral("GenICam"));
        QVERIFY(!device.parameters.Exists("IP"));
    }
    QSet<QString> ids;
    for (std::size_t i = 1; i < m_devices.Count(); ++i)
        ids.insert(Text(m_devices[i].deviceId));
    QCOMPARE(ids.size(), 3);
}

void TestDiscovery::keepsWhatTheArrayHeld()
{
    QCOMPARE(Text(m_devices[0].deviceId), QStringLiteral("sentinel"));
}

void TestDiscovery::matchGivesOneCameraPerDevice()
{
    TArray<SCameraInfo> matched;
    QVERIFY(cameras()->match(matched, m_devices, Names({ "KDR-1", "KDR-2", "KDR-3", "KDR-4", "Quorin" })));
    QCOMPARE(matched.Count(), m_devices.Count());
    QSet<QString> displayNames;
    for (std::size_t i = 0; i < matched.Count(); ++i) {
        const SCameraInfo& camera = matched[i];
        const SDeviceInfo& device = m_devices[i];
        displayNames.insert(Text(camera.displayName));
        QCOMPARE(Text(camera.deviceInfo.deviceId), Text(device.deviceId));
        QCOMPARE(Text(camera.deviceInfo.address), Text(device.address));
        QCOMPARE(Text(camera.address), Text(device.address));
        QCOMPARE(Text(camera.serialNumber), Text(device.serialNumber));
        QCOMPARE(Text(camera.modelName), Text(device.modelName));
        QCOMPARE(Text(camera.macAddress), Text(device.macAddress));
        // The fake cameras belong to none of the families and are listed all the same.
        QVERIFY(camera.family.empty());
        if (i > 0) {
            QVERIFY(Text(camera.displayName).contains(Text(device.modelName)));
            QVERIFY(Text(camera.displayName).contains(Text(device.serialNumber)));
        }
    }
    QCOMPARE(displayNames.size(), int(matched.Count()));
}

void TestDiscovery::matchRecordsFamily_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("family");

    QTest::newRow("exact") << "KDR-2"
                           << "KDR-2";
    QTest::newRow("inside a longer model name") << "QELT KDR-3 640"
                                                << "KDR-3";
    QTest::newRow("other case") << "quorin mk2"
                                << "Quorin";
    QTest::newRow("longest wins") << "KDR-10 LWIR"
                                  << "KDR-10";
    QTest::newRow("none") << "Fake"
                          << "";
    QTest::newRow("empty model") << ""
                                 << "";
}

void TestDiscovery::matchRecordsFamily()
{
    QFETCH(QString, model);
    QFETCH(QString, family);

    TArray<SDeviceInfo> devices;
    SDeviceInfo device;
    device.interfaceName = "GigE-Vision";
    device.modelName = model.toUtf8().constData();
    device.serialNumber = "S1";
    devices.Add(device);
    TArray<SCameraInfo> matched;
    QVERIFY(cameras()->match(
        matched, devices, Names({ "KDR-1", "KDR-2", "KDR-3", "KDR-4", "Quorin", "KDR-10" })));
    QCOMPARE(matched.Count(), std::size_t(1));
    QCOMPARE(Text(matched[0].family), family);
    QCOMPARE(Text(matched[0].modelName), model);
}

void TestDiscovery::displayName_data()
{
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");

    QTest::newRow("model and serial") << "V"
                                      << "KDR-1"
                                      << "123"
                                      << "00:11:22:33:44:55"
                                      << "10.0.0.2"
                                      << "KDR-1 (123)";
    QTest::newRow("no serial: MAC") << "V"
                                    << "KDR-1"
                                    << ""
                                    << "00:11:22:33:44:55"
                                    << "10.0.0.2"
                                    << "KDR-1 (00:11:22:33:44:55)";
    QTest::newRow("no serial, no MAC: address") << "V"
                                                << "KDR-1"
                                                << ""
                                                << ""
                                                << "10.0.0.2"
                                                << "KDR-1 (10.0.0.2)";
    QTest::newRow("no model: vendor") << "V"
                                      << ""
                                      << "123"
                                      << ""
                                      << ""
                                      << "V (123)";
    QTest::newRow("nothing at all") << ""
                                    << ""
                                    << ""
                                    << ""
                                    << ""
                                    << "Camera";
}

void TestDiscovery::displayName()
{
    QFETCH(QString, vendor);
    QFETCH(QString, model);
    QFETCH(QString, serial);
    QFETCH(QString, mac);
    QFETCH(QString, address);
    QFETCH(QString, expected);

    TArray<SDeviceInfo> devices;
    SDeviceInfo device;
    device.vendorName = vendor.toUtf8().constData();
    device.modelName = model.toUtf8().constData();
    device.serialNumber = serial.toUtf8().constData();
    device.macAddress = mac.toUtf8().constData();
    device.address = address.toUtf8().constData();
    devices.Add(device);
    TArray<SCameraInfo> matched;
    QVERIFY(cameras()->match(matched, devices, TArray<CString>()));
    QCOMPARE(Text(matched[0].displayName), expected);
}

void TestDiscovery::findOffersTransports_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("offered");

    QTest::newRow("GigE-Vision") << "GigE-Vision" << true;
    QTest::newRow("PureGEV") << "PureGEV" << false;
    QTest::newRow("VskGenTL") << "VskGenTL" << false;
    QTest::newRow("other case") << "gige-vision" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("USB3 Vision") << "USB3-Vision" << true;
}

void TestDiscovery::findOffersTransports()
{
    QFETCH(QString, name);
    QFETCH(bool, offered);

    const TSharedPtr<IInterface> transport = interfaces()->find(CString(name.toUtf8().constData()));
    QCOMPARE(bool(transport), offered);
    if (transport) {
        QCOMPARE(Text(transport->name()), name);
        QVERIFY(transport->createDevice());
    }
}

void TestDiscovery::emptyNameListDiscoversNothing()
{
    TArray<SDeviceInfo> devices;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(interfaces()->discover(devices, TArray<CString>(), 1));
    QCOMPARE(devices.Count(), std::size_t(0));
    QVERIFY2(timer.elapsed() < 200, "nothing to search should cost no discovery round");
}

void TestDiscovery::unofferedTransportDiscoversNothing()
{
    TArray<SDeviceInfo> devices;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!interfaces()->discover(devices, Names({ "PureGEV", "VskGenTL" }), 1));
    QCOMPARE(devices.Count(), std::size_t(0));
    QVERIFY(timer.elapsed() < 200);
}

void TestDiscovery::refreshSucceeds()
{
    QVERIFY(interfaces()->refresh(0));
    QVERIFY(interfaces()->refresh(1));
    QVERIFY(interfaces()->find("GigE-Vision"));
}

// No USB3 Vision camera here: listing them must neither fail nor hold up a search.
void TestDiscovery::usb3VisionFindsNoneQuickly()
{
    TArray<SDeviceInfo> devices;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(interfaces()->discover(devices, Names({ "USB3-Vision" }), 1));
    QCOMPARE(devices.Count(), std::size_t(0));
    QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
}

QTEST_GUILESS_MAIN(TestDiscovery)
#include "tst_discovery.moc"
