// Opening cameras and reading and writing their GenICam features with the real
// library, against the fake cameras of scripts/with-fake-cameras.sh.
#include "cfakecameras.h"
#include "cipfeatures.h"

#include <zelk/cam/cam.h>
#include <zelk/cam/gic/ipfeatures.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using namespace zelk;
using namespace zelk::cam;

Q_DECLARE_METATYPE(EOpenFailure)

class TestDevice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void opensAndReadsTheSixFeatures();
    void writtenSettingsPersist_data();
    void writtenSettingsPersist();
    void registersFollowTheStandard_data();
    void registersFollowTheStandard();
    void featureKinds_data();
    void featureKinds();
    void unknownFeatureIsNull_data();
    void unknownFeatureIsNull();
    void refusedWritesAreFalse();
    void onlyTreeZeroExists();
    void secondControllerIsRefused();
    void readOnlyOpenLeavesControlFree();
    void closedDeviceFailsCleanly();
    void opensByAddressNotByIpParameter();
    void addressLeadingZerosAreDecimal();
    void badRecordsDoNotOpen_data();
    void badRecordsDoNotOpen();

private:
    TSharedPtr<IDevice> newDevice() const;
    static bool readRegister(const QString& address, quint32 offset, quint32& value);

    CFakeCameras m_fakes;
    TArray<SDeviceInfo> m_discovered;
    TSharedPtr<IDevice> m_device;
    TSharedPtr<IDevice> m_other;
};

namespace {

QString Text(const CString& text)
{
    return QString::fromUtf8(text.c_str());
}

quint32 IPv4(const char* text)
{
    return CFakeCameras::toIPv4(QString::fromLatin1(text));
}

QString IPv4Text(quint32 address)
{
    return CFakeCameras::ipv4Text(address);
}

} // namespace

TSharedPtr<IDevice> TestDevice::newDevice() const
{
    const TSharedPtr<IInterface> transport = interfaces()->find("GigE-Vision");
    return transport ? transport->createDevice() : nullptr;
}

void TestDevice::initTestCase()
{
    QCOMPARE(m_fakes.count(), 3);
    TArray<CString> names;
    names.Add("GigE-Vision");
    QVERIFY(interfaces()->discover(m_discovered, names, 1));
    QCOMPARE(m_discovered.Count(), std::size_t(3));
}

void TestDevice::init()
{
    m_device = newDevice();
    m_other = newDevice();
    QVERIFY(m_device);
    QVERIFY(m_other);
}

void TestDevice::cleanup()
{
    // Closing hands each camera's control channel back for the next test.
    m_other.reset();
    m_device.reset();
}

void TestDevice::opensAndReadsTheSixFeatures()
{
    for (std::size_t i = 0; i < m_discovered.Count(); ++i) {
        const SDeviceInfo& info = m_discovered[i];
        QElapsedTimer timer;
        timer.start();
        QVERIFY2(m_device->open(info, AccessReadControl), info.address.c_str());
        const CIpFeatures features(*m_device);
        QVERIFY(features.isComplete());
        const SIpValues values = features.read();
        qInfo("%s: open and read in %lld ms", info.address.c_str(), timer.elapsed());
        QCOMPARE(IPv4Text(values.currentIP), Text(info.address));
        // Reading twice gives the same: reads have no side effects.
        const SIpValues again = features.read();
        QCOMPARE(again.persistentIP, values.persistentIP);
        QCOMPARE(again.subnetMask, values.subnetMask);
        QCOMPARE(again.dhcp, values.dhcp);
        m_device->close();
    }
}

void TestDevice::writtenSettingsPersist_data()
{
    QTest::addColumn<int>("camera");
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<quint32>("gateway");

    QTest::newRow("fixed address") << 0 << false << IPv4("192.168.1.100") << IPv4("255.255.255.0")
                                   << IPv4("192.168.1.1");
    QTest::newRow("DHCP") << 1 << true << IPv4("10.0.0.5") << IPv4("255.0.0.0") << IPv4("0.0.0.0");
    QTest::newRow("back to fixed") << 1 << false << IPv4("172.16.4.20") << IPv4("255.255.0.0")
                                   << IPv4("172.16.0.1");
    QTest::newRow("top addresses") << 2 << false << IPv4("223.255.255.254") << IPv4("255.255.255.252")
                                   << IPv4("223.255.255.253");
}

void TestDevice::writtenSettingsPersist()
{
    QFETCH(int, camera);
    QFETCH(bool, dhcp);
    QFETCH(quint32, address);
    QFETCH(quint32, mask);
    QFETCH(quint32, gateway);

    const SDeviceInfo& info = m_discovered[std::size_t(camera)];
    SIpValues wanted;
    wanted.dhcp = dhcp;
    wanted.persistentIPEnabled = !dhcp;
    wanted.persistentIP = address;
    wanted.subnetMask = mask;
    wanted.defaultGateway = gateway;
    {
        QVERIFY(m_device->open(info, AccessReadControl));
        const CIpFeatures features(*m_device);
        QVERIFY(features.isComplete());
        QVERIFY(features.write(wanted));
        m_device->close();
    }
    QVERIFY(m_other->open(info, AccessReadControl));
    const CIpFeatures features(*m_other);
    QVERIFY(features.isComplete());
    const SIpValues stored = features.read();
    QCOMPARE(IPv4Text(stored.persistentIP), IPv4Text(address));
    QCOMPARE(IPv4Text(stored.subnetMask), IPv4Text(mask));
    QCOMPARE(IPv4Text(stored.defaultGateway), IPv4Text(gateway));
    QCOMPARE(stored.dhcp, dhcp);
    QCOMPARE(stored.persistentIPEnabled, !dhcp);
    // The persistent settings apply at the next start; the current address stays.
    QCOMPARE(IPv4Text(stored.currentIP), Text(info.address));
}

// Asks Aravis's own command-line tool, so that the check does not go through the
// code under test.
bool TestDevice::readRegister(const QString& address, quint32 offset, quint32& value)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("arv-tool-0.8"));
    if (tool.isEmpty())
        return false;
    QProcess process;
    const QString reg = QStringLiteral("R[0x%1]").arg(offset, 0, 16);
    process.start(tool, { QStringLiteral("-a"), address, QStringLiteral("control"), reg });
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return false;
    static const QRegularExpression answer(QStringLiteral(R"(R\[0x[0-9a-f]+\] = 0x([0-9a-f]{1,8}))"));
    const QRegularExpressionMatch match = answer.match(QString::fromUtf8(process.readAllStandardOutput()));
    bool ok = false;
    value = match.captured(1).toUInt(&ok, 16);
    return match.hasMatch() && ok;
}

void TestDevice::registersFollowTheStandard_data()
{
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<bool>("persistent");
    QTest::addColumn<quint32>("configuration");

    // Bits 31, 30 and 29 of the GigE Vision register (numbered from the most
    // significant end): persistent IP, DHCP, link-local, which must stay set.
    QTest::newRow("persistent IP") << false << true << 0x5u;
    QTest::newRow("DHCP") << true << false << 0x6u;
    QTest::newRow("both") << true << true << 0x7u;
    QTest::newRow("link-local only") << false << false << 0x4u;
}

void TestDevice::registersFollowTheStandard()
{
    QFETCH(bool, dhcp);
    QFETCH(bool, persistent);
    QFETCH(quint32, configuration);

    const SDeviceInfo& info = m_discovered[2];
    SIpValues wanted;
    wanted.dhcp = dhcp;
    wanted.persistentIPEnabled = persistent;
    wanted.persistentIP = IPv4("192.168.7.21");
    wanted.subnetMask = IPv4("255.255.252.0");
    wanted.defaultGateway = IPv4("192.168.4.1");
    QVERIFY(m_device->open(info, AccessReadControl));
    QVERIFY(CIpFeatures(*m_device).write(wanted));
    m_device->close();

    // The standard's register addresses are written out here, not taken from the
    // library: read at the library's own addresses, a wrong one would go unnoticed.
    const QString address = Text(info.address);
    quint32 value = 0;
    QVERIFY2(readRegister(address, 0x14, value), "arv-tool-0.8 cannot read the camera");
    QCOMPARE(value & 0x7u, configuration);
    QVERIFY(readRegister(address, 0x64c, value));
    QCOMPARE(value, 0xc0a80715u);
    QVERIFY(readRegister(address, 0x65c, value));
    QCOMPARE(value, 0xfffffc00u);
    QVERIFY(readRegister(address, 0x66c, value));
    QCOMPARE(value, 0xc0a80401u);
}

void TestDevice::featureKinds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isInteger");
    QTest::addColumn<bool>("isBoolean");

    QTest::newRow("address from bootstrap registers") << "GevCurrentIPAddress" << true << false;
    QTest::newRow("persistent address") << "GevPersistentIPAddress" << true << false;
    QTest::newRow("flag from bootstrap registers") << "GevCurrentIPConfigurationDHCP" << false << true;
    QTest::newRow("persistent flag") << "GevCurrentIPConfigurationPersistentIP" << false << true;
    QTest::newRow("integer of the description") << "Width" << true << false;
    QTest::newRow("enumeration") << "PixelFormat" << false << false;
    QTest::newRow("float") << "ExposureTimeAbs" << false << false;
    QTest::newRow("string") << "DeviceVendorName" << false << false;
    QTest::newRow("command") << "AcquisitionStart" << false << false;
    QTest::newRow("category") << "Root" << false << false;
}

void TestDevice::featureKinds()
{
    QFETCH(QString, name);
    QFETCH(bool, isInteger);
    QFETCH(bool, isBoolean);

    QVERIFY(m_device->open(m_discovered[0], AccessReadControl));
    const TSharedPtr<gic::IGenICam> tree = m_device->genICam(0);
    QVERIFY(tree);
    const TSharedPtr<gic::IFeature> feature = tree->feature(name.toUtf8().constData());
    QVERIFY(feature);
    QCOMPARE(Text(feature->name()), name);
    QCOMPARE(bool(feature.dynamicCast<gic::IInteger>()), isInteger);
    QCOMPARE(bool(feature.dynamicCast<gic::IBoolean>()), isBoolean);
    if (const auto integer = feature.dynamicCast<gic::IInteger>())
        QVERIFY(integer->getValue() >= 0);
}

void TestDevice::unknownFeatureIsNull_data()
{
    QTest::addColumn<QByteArray>("name");

    QTest::newRow("unknown") << QByteArray("NoSuchFeature");
    QTest::newRow("other case") << QByteArray("gevcurrentipaddress");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("leading space") << QByteArray(" Width");
}

void TestDevice::unknownFeatureIsNull()
{
    QFETCH(QByteArray, name);

    QVERIFY(m_device->open(m_discovered[0], AccessReadControl));
    const TSharedPtr<gic::IGenICam> tree = m_device->genICam(0);
    QVERIFY(tree);
    QVERIFY(!tree->feature(name.constData()));
    QVERIFY(!tree->feature(nullptr));
}

void TestDevice::refusedWritesAreFalse()
{
    QVERIFY(m_device->open(m_discovered[2], AccessReadControl));
    const CIpFeatures features(*m_device);
    QVERIFY(features.isComplete());
    const SIpValues before = features.read();

    QVERIFY(!features.currentIP->setValue(IPv4("10.1.1.1")));
    QVERIFY(!features.persistentIP->setValue(-1));
    QVERIFY(!features.persistentIP->setValue(std::int64_t(1) << 32));
    const SIpValues after = features.read();
    QCOMPARE(after.currentIP, before.currentIP);
    QCOMPARE(after.persistentIP, before.persistentIP);

    const auto width = m_device->genICam(0)->feature("Width").dynamicCast<gic::IInteger>();
    QVERIFY(width);
    const std::int64_t original = width->getValue();
    QVERIFY(!width->setValue(1 << 30));
    QCOMPARE(width->getValue(), original);
    QVERIFY(width->setValue(original));
}

void TestDevice::onlyTreeZeroExists()
{
    QVERIFY(!m_device->genICam(0));
    QVERIFY(m_device->open(m_discovered[0], AccessReadControl));
    QVERIFY(m_device->genICam(0));
    QVERIFY(!m_device->genICam(1));
    QVERIFY(!m_device->genICam(-1));
}

void TestDevice::secondControllerIsRefused()
{
    QCOMPARE(m_other->openFailure(), EOpenFailure::None);
    QVERIFY(m_device->open(m_discovered[1], AccessReadControl));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!m_other->open(m_discovered[1], AccessReadControl));
    QVERIFY2(timer.elapsed() < 1000, "a controlled camera should be refused at once");
    QCOMPARE(m_other->openFailure(), EOpenFailure::ControlledElsewhere);
    m_device->close();
    QVERIFY(m_other->open(m_discovered[1], AccessReadControl));
    QCOMPARE(m_other->openFailure(), EOpenFailure::None);
    QVERIFY(CIpFeatures(*m_other).isComplete());
}

void TestDevice::readOnlyOpenLeavesControlFree()
{
    QVERIFY(m_device->open(m_discovered[1], AccessRead));
    const CIpFeatures reader(*m_device);
    QVERIFY(reader.isComplete());
    QCOMPARE(IPv4Text(reader.read().currentIP), Text(m_discovered[1].address));
    QVERIFY(m_other->open(m_discovered[1], AccessReadControl));
    QVERIFY(CIpFeatures(*m_other).isComplete());
}

void TestDevice::closedDeviceFailsCleanly()
{
    QVERIFY(m_device->open(m_discovered[0], AccessReadControl));
    const TSharedPtr<gic::IGenICam> tree = m_device->genICam(0);
    const CIpFeatures features(*m_device);
    QVERIFY(features.isComplete());
    m_device->close();

    QVERIFY(!m_device->genICam(0));
    QVERIFY(!tree->feature(gic::GevCurrentIPAddress));
    QVERIFY_THROWS_EXCEPTION(gic::CFeatureException, features.currentIP->getValue());
    QVERIFY_THROWS_EXCEPTION(gic::CFeatureException, features.persistentIP->setValue(1));
    QVERIFY_THROWS_EXCEPTION(gic::CFeatureException, features.dhcp->getValue());
    QVERIFY_THROWS_EXCEPTION(gic::CFeatureException, features.dhcp->setValue(true));
    m_device->close();

    // The same object opens again.
    QVERIFY(m_device->open(m_discovered[0], AccessReadControl));
    QVERIFY(CIpFeatures(*m_device).isComplete());
}

void TestDevice::opensByAddressNotByIpParameter()
{
    // The IP tool stores the new address under "IP" before it reopens the camera;
    // the camera still lives at its discovered address until it restarts.
    SDeviceInfo info = m_discovered[0];
    info.parameters["IP"].setValue(CVariant(m_discovered[1].address));
    info.parameters["Control"].setValue(CVariant("Gen<i>cam"));
    QVERIFY(m_device->open(info, AccessReadControl));
    const CIpFeatures features(*m_device);
    QVERIFY(features.isComplete());
    QCOMPARE(IPv4Text(features.read().currentIP), Text(m_discovered[0].address));

    // A hand-made record with just the transport and the address opens as well.
    QVERIFY(m_other->open(m_fakes.deviceRecord(2), AccessReadControl));
    QCOMPARE(IPv4Text(CIpFeatures(*m_other).read().currentIP), m_fakes.addresses().at(2));
}

// Record addresses parse by the same rule as the IP tool's address texts.
void TestDevice::addressLeadingZerosAreDecimal()
{
    QStringList octets = m_fakes.addresses().at(1).split(u'.');
    for (QString& octet : octets)
        octet = octet.rightJustified(3, u'0');
    SDeviceInfo info = m_fakes.deviceRecord(1);
    info.address = octets.join(u'.').toUtf8().constData();
    QVERIFY2(m_device->open(info, AccessReadControl), info.address.c_str());
    QCOMPARE(IPv4Text(CIpFeatures(*m_device).read().currentIP), m_fakes.addresses().at(1));
}

void TestDevice::badRecordsDoNotOpen_data()
{
    QTest::addColumn<QString>("interfaceName");
    QTest::addColumn<QString>("address");
    QTest::addColumn<EOpenFailure>("failure");

    const EOpenFailure failed = EOpenFailure::Failed;
    QTest::newRow("unoffered transport") << "PureGEV"
                                         << "127.0.0.2" << failed;
    QTest::newRow("no transport") << ""
                                  << "127.0.0.2" << failed;
    QTest::newRow("no address") << "GigE-Vision"
                                << "" << failed;
    QTest::newRow("not an address") << "GigE-Vision"
                                    << "camera.local" << failed;
    QTest::newRow("octet too big") << "GigE-Vision"
                                   << "127.0.0.256" << failed;
    QTest::newRow("trailing text") << "GigE-Vision"
                                   << "127.0.0.2 " << failed;
    QTest::newRow("unspecified") << "GigE-Vision"
                                 << "0.0.0.0" << failed;
    QTest::newRow("broadcast") << "GigE-Vision"
                               << "255.255.255.255" << failed;
    QTest::newRow("multicast") << "GigE-Vision"
                               << "239.1.2.3" << failed;
    QTest::newRow("no camera there") << "GigE-Vision"
                                     << "127.0.0.99" << EOpenFailure::NoAnswer;
}

void TestDevice::badRecordsDoNotOpen()
{
    QFETCH(QString, interfaceName);
    QFETCH(QString, address);
    QFETCH(EOpenFailure, failure);

    SDeviceInfo info;
    info.interfaceName = interfaceName.toUtf8().constData();
    info.address = address.toUtf8().constData();
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!m_device->open(info, AccessReadControl));
    QVERIFY2(timer.elapsed() < 2000, "a failed open must not hang");
    QVERIFY(!m_device->genICam(0));
    QCOMPARE(m_device->openFailure(), failure);
}

QTEST_GUILESS_MAIN(TestDevice)
#include "tst_device.moc"
