// Discovery of a camera on another subnet and FORCEIP, against a responder of the
// tests' own (the simulated cameras take no FORCEIP), inside the private namespace of
// scripts/with-fake-cameras.sh.
#include "cfakecameras.h"
#include "cforceipresponder.h"
#include "cipfeatures.h"

#include <zelk/cam/cam.h>

#include <QStandardPaths>
#include <QTest>

#include <memory>
#include <optional>

using namespace zelk;
using namespace zelk::cam;

Q_DECLARE_METATYPE(EForceIpResult)

namespace {

quint32 IPv4(const char* text)
{
    return CFakeCameras::toIPv4(QString::fromLatin1(text));
}

QString Text(const CString& text)
{
    return QString::fromUtf8(text.c_str());
}

QString MacText(const CForceIpResponder::SMac& mac)
{
    return QString::asprintf("%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

// The record discovery gives for a responder answering on loopback.
SDeviceInfo Record(const CForceIpResponder::SSettings& settings)
{
    SDeviceInfo device;
    device.interfaceName = "GigE-Vision";
    device.macAddress = MacText(settings.mac).toUtf8().constData();
    device.address = CFakeCameras::ipv4Text(settings.address).toUtf8().constData();
    device.hostInterface = "lo";
    device.raw.ipAddress = settings.address;
    device.raw.interfaceAddress = IPv4("127.0.0.1");
    device.raw.interfaceMask = IPv4("255.0.0.0");
    return device;
}

TArray<SDeviceInfo> Discover()
{
    TArray<SDeviceInfo> devices;
    TArray<CString> names;
    names.Add("GigE-Vision");
    if (!interfaces()->discover(devices, names, 1))
        qWarning("discovery failed");
    return devices;
}

std::optional<SDeviceInfo> WithSerial(const TArray<SDeviceInfo>& devices, const QByteArray& serial)
{
    for (const SDeviceInfo& device : devices) {
        if (device.serialNumber == CString(serial.constData()))
            return device;
    }
    return std::nullopt;
}

} // namespace

class TestForceIp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void foundOnAnotherSubnetAndForcedByTheLayout();
    void unansweredCommands_data();
    void unansweredCommands();
    void lateAcknowledgementIsNotTakenForTheNext();
    void invalidRequestsSendNothing_data();
    void invalidRequestsSendNothing();
    void forcedCameraIsFoundAndOpensAtItsNewAddress();

private:
    CForceIpResponder& start(const CForceIpResponder::SSettings& settings);

    std::unique_ptr<CForceIpResponder> m_responder;
};

CForceIpResponder& TestForceIp::start(const CForceIpResponder::SSettings& settings)
{
    m_responder = std::make_unique<CForceIpResponder>(settings);
    if (!m_responder->isListening())
        qFatal("the responder cannot listen: not inside the test namespace?");
    return *m_responder;
}

void TestForceIp::init()
{
    m_responder.reset();
}

void TestForceIp::cleanup()
{
    m_responder.reset();
}

void TestForceIp::foundOnAnotherSubnetAndForcedByTheLayout()
{
    const CForceIpResponder::SSettings settings;
    CForceIpResponder& responder = start(settings);

    // It answers only a discovery that allows a broadcast acknowledgement.
    const TArray<SDeviceInfo> devices = Discover();
    const std::optional<SDeviceInfo> found = WithSerial(devices, settings.serial);
    QVERIFY(found);
    QVERIFY(responder.discoveryFlags().contains(std::uint8_t(0x11)));
    QCOMPARE(Text(found->address), QStringLiteral("192.168.77.5"));
    QCOMPARE(Text(found->macAddress), MacText(settings.mac));
    QCOMPARE(Text(found->deviceId), QStringLiteral("Aravis-Fake-FAKE0077"));
    QCOMPARE(Text(found->hostInterface), QStringLiteral("lo"));
    QCOMPARE(found->raw.interfaceAddress, IPv4("127.0.0.1"));
    QCOMPARE(found->raw.interfaceMask, IPv4("255.0.0.0"));

    QCOMPARE(interfaces()->forceIp(*found, IPv4("127.0.0.61"), IPv4("255.0.0.0"), IPv4("127.0.0.1"), 2000),
        EForceIpResult::Acknowledged);
    QCOMPARE(responder.address(), IPv4("127.0.0.61"));
    const QList<CForceIpResponder::SForceIp> commands = responder.forceIpCommands();
    QCOMPARE(commands.size(), 1);
    const CForceIpResponder::SForceIp& command = commands.first();
    QCOMPARE(command.packet.size(), 8 + 56);
    QCOMPARE(quint8(command.packet[0]), quint8(0x42));
    QCOMPARE(command.flags, std::uint8_t(0x11)); // acknowledge, broadcast acknowledgement allowed
    QCOMPARE(command.command, std::uint16_t(0x0004));
    QCOMPARE(command.length, std::uint16_t(56));
    QVERIFY(command.requestId != 0);
    QCOMPARE(MacText(command.mac), MacText(settings.mac));
    QCOMPARE(command.address, IPv4("127.0.0.61"));
    QCOMPARE(command.subnetMask, IPv4("255.0.0.0"));
    QCOMPARE(command.defaultGateway, IPv4("127.0.0.1"));
    QVERIFY(command.reservedAreZero);
}

void TestForceIp::unansweredCommands_data()
{
    QTest::addColumn<bool>("acknowledges");
    QTest::addColumn<bool>("otherMac");

    QTest::newRow("no acknowledgement") << false << false;
    QTest::newRow("another camera's MAC") << true << true;
}

void TestForceIp::unansweredCommands()
{
    QFETCH(bool, acknowledges);
    QFETCH(bool, otherMac);

    CForceIpResponder::SSettings settings;
    CForceIpResponder& responder = start(settings);
    responder.setAcknowledgesForceIp(acknowledges);
    if (otherMac)
        settings.mac[5] ^= 0x01;
    QCOMPARE(interfaces()->forceIp(Record(settings), IPv4("127.0.0.62"), IPv4("255.0.0.0"), 0, 600),
        EForceIpResult::NoAcknowledgement);
    // It was sent, and sent again with the same request id; the camera kept its address.
    const QList<CForceIpResponder::SForceIp> commands = responder.forceIpCommands();
    QVERIFY(commands.size() >= 2);
    QCOMPARE(commands.last().requestId, commands.first().requestId);
    QCOMPARE(responder.address(), CForceIpResponder::SSettings().address);
}

void TestForceIp::lateAcknowledgementIsNotTakenForTheNext()
{
    const CForceIpResponder::SSettings settings;
    CForceIpResponder& responder = start(settings);
    responder.setForceIpDelayMs(700);
    QCOMPARE(interfaces()->forceIp(Record(settings), IPv4("127.0.0.63"), IPv4("255.0.0.0"), 0, 300),
        EForceIpResult::NoAcknowledgement);
    const qsizetype firstCommands = responder.forceIpCommands().size();

    // The first call's acknowledgements arrive while the next one waits for its own.
    responder.setAcknowledgesForceIp(false);
    QCOMPARE(interfaces()->forceIp(Record(settings), IPv4("127.0.0.64"), IPv4("255.0.0.0"), 0, 1200),
        EForceIpResult::NoAcknowledgement);
    const QList<CForceIpResponder::SForceIp> commands = responder.forceIpCommands();
    QVERIFY(commands.size() > firstCommands);
    QVERIFY(commands.last().requestId != commands.first().requestId);

    responder.setAcknowledgesForceIp(true);
    responder.setForceIpDelayMs(0);
    QCOMPARE(interfaces()->forceIp(Record(settings), IPv4("127.0.0.65"), IPv4("255.0.0.0"), 0, 1000),
        EForceIpResult::Acknowledged);
    QCOMPARE(responder.address(), IPv4("127.0.0.65"));
}

void TestForceIp::invalidRequestsSendNothing_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("hostInterface");
    QTest::addColumn<quint32>("interfaceAddress");
    QTest::addColumn<quint32>("address");

    const QString mac = MacText(CForceIpResponder::SSettings().mac);
    const quint32 loopback = IPv4("127.0.0.1");
    const quint32 address = IPv4("127.0.0.66");
    QTest::newRow("no MAC") << ""
                            << "lo" << loopback << address;
    QTest::newRow("MAC not in hex") << "02:00:5e:10:00:zz"
                                    << "lo" << loopback << address;
    // Read as numbers, these would pass for 02:00:5e:10:00:01 and 02:...:42.
    QTest::newRow("MAC with a sign") << "02:00:5e:10:00:+1"
                                     << "lo" << loopback << address;
    QTest::newRow("MAC with a blank") << " 2:00:5e:10:00:42"
                                      << "lo" << loopback << address;
    QTest::newRow("zero MAC") << "00:00:00:00:00:00"
                              << "lo" << loopback << address;
    QTest::newRow("group MAC") << "ff:ff:ff:ff:ff:ff"
                               << "lo" << loopback << address;
    QTest::newRow("no interface") << mac << "" << 0u << address;
    QTest::newRow("unknown interface") << mac << "nosuch0" << IPv4("10.9.9.9") << address;
    QTest::newRow("address 0") << mac << "lo" << loopback << 0u;
}

void TestForceIp::invalidRequestsSendNothing()
{
    QFETCH(QString, mac);
    QFETCH(QString, hostInterface);
    QFETCH(quint32, interfaceAddress);
    QFETCH(quint32, address);

    const CForceIpResponder::SSettings settings;
    CForceIpResponder& responder = start(settings);
    SDeviceInfo device = Record(settings);
    device.macAddress = mac.toUtf8().constData();
    device.hostInterface = hostInterface.toUtf8().constData();
    device.raw.interfaceAddress = interfaceAddress;
    QCOMPARE(
        interfaces()->forceIp(device, address, IPv4("255.0.0.0"), 0, 300), EForceIpResult::InvalidRequest);
    // Anything sent would have arrived by now: loopback delivers at once.
    QTest::qWait(50);
    QVERIFY(responder.forceIpCommands().isEmpty());
}

void TestForceIp::forcedCameraIsFoundAndOpensAtItsNewAddress()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("arv-fake-gv-camera-0.8"));
    QVERIFY2(!program.isEmpty(), "arv-fake-gv-camera-0.8 is needed (aravis-tools)");
    CForceIpResponder::SSettings settings;
    settings.address = IPv4("192.168.77.8");
    settings.serial = "FAKE0078";
    settings.cameraProgram = program;
    CForceIpResponder& responder = start(settings);

    const std::optional<SDeviceInfo> before = WithSerial(Discover(), settings.serial);
    QVERIFY(before);
    QCOMPARE(Text(before->address), QStringLiteral("192.168.77.8"));
    QCOMPARE(interfaces()->forceIp(*before, IPv4("127.0.0.78"), IPv4("255.0.0.0"), 0, 5000),
        EForceIpResult::Acknowledged);
    QVERIFY(responder.handedOver());

    const TArray<SDeviceInfo> devices = Discover();
    QCOMPARE(devices.Count(), std::size_t(1));
    const SDeviceInfo& after = devices[0];
    QCOMPARE(Text(after.serialNumber), QStringLiteral("FAKE0078"));
    QCOMPARE(Text(after.address), QStringLiteral("127.0.0.78"));
    QCOMPARE(Text(after.hostInterface), QStringLiteral("lo"));
    const TSharedPtr<IDevice> device = interfaces()->find("GigE-Vision")->createDevice();
    QVERIFY(device->open(after, AccessReadControl));
    QCOMPARE(device->openFailure(), EOpenFailure::None);
    const CIpFeatures features(*device);
    QVERIFY(features.isComplete());
    QCOMPARE(features.read().currentIP, IPv4("127.0.0.78"));
}

QTEST_GUILESS_MAIN(TestForceIp)
#include "tst_forceip.moc"
