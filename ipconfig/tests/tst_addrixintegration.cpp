// AddrixModel on the real camera library, among simulated GigE Vision cameras in a
// private network namespace (see scripts/with-fake-cameras.sh).
#include "addrixmodel.h"

#include <cforceipresponder.h>

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QTest>

#include <csignal>

namespace {

QStringList fakeCameraAddresses()
{
    return qEnvironmentVariable("QELT_FAKE_CAMERAS").split(' ', Qt::SkipEmptyParts);
}

bool runTc(const QStringList& arguments)
{
    QProcess tc;
    tc.start(QStringLiteral("tc"), arguments);
    return tc.waitForFinished(5000) && tc.exitStatus() == QProcess::NormalExit && tc.exitCode() == 0;
}

// While it lives, loopback drops every GVCP register write to the persistent IP address
// (0x064C): from the controller's side the camera stops answering just there, after the
// two flags of its IP configuration were written. Only inside the test namespace.
class CPersistentAddressWritesLost
{
public:
    CPersistentAddressWritesLost()
    {
        const QString classRate = QStringLiteral("10gbit");
        m_installed = runTc({ "qdisc", "add", "dev", "lo", "root", "handle", "1:", "htb", "default", "20" })
            && runTc({ "class", "add", "dev", "lo", "parent", "1:", "classid", "1:10", "htb", "rate", classRate })
            && runTc({ "class", "add", "dev", "lo", "parent", "1:", "classid", "1:20", "htb", "rate", classRate })
            // A queue that holds nothing loses whatever the filter sends to it.
            && runTc({ "qdisc", "add", "dev", "lo", "parent", "1:10", "handle", "10:", "pfifo", "limit", "0" })
            // UDP to port 3956; GVCP WRITEREG or WRITEMEM (0x0082, 0x0086); first register 0x064C.
            && runTc({ "filter", "add", "dev", "lo", "parent", "1:", "protocol", "ip", "prio", "1", "u32",
                       "match", "ip", "dport", "3956", "0xffff", "match", "u32", "0x00000082", "0x0000fffb", "at",
                       "28", "match", "u32", "0x0000064c", "0xffffffff", "at", "36", "flowid", "1:10" });
    }
    ~CPersistentAddressWritesLost() { runTc({ "qdisc", "del", "dev", "lo", "root" }); }

    bool installed() const { return m_installed; }

private:
    bool m_installed = false;
};

} // namespace

class TestAddrixIntegration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void scanListsEveryCameraWithItsAddress();
    void fixedConfigurationIsWrittenAndReadBack();
    void dhcpConfigurationIsWrittenAndReadBack();
    void cameraStoppingMidApplyShowsWhatItHolds();
    void cameraStoppedAfterScanFailsTheApply();
    void cameraOnAnotherSubnetIsForcedFoundAndConfigured();

private:
    void scanAndWait();
    bool selectCameraAt(const QString& address);
    bool applyAndWait();

    AddrixModel m_model;
};

void TestAddrixIntegration::initTestCase()
{
    if (fakeCameraAddresses().size() != 3)
        QSKIP("needs three simulated cameras: run through scripts/with-fake-cameras.sh 3 --");
}

void TestAddrixIntegration::scanAndWait()
{
    m_model.scan();
    QTRY_VERIFY_WITH_TIMEOUT(!m_model.scanning(), 20000);
}

bool TestAddrixIntegration::selectCameraAt(const QString& address)
{
    for (int i = 0; i < m_model.cameras().size(); ++i) {
        m_model.setSelectedCamera(i);
        if (m_model.currentIP() == address)
            return true;
    }
    return false;
}

bool TestAddrixIntegration::applyAndWait()
{
    QSignalSpy failed(&m_model, &AddrixModel::applyFailed);
    m_model.apply();
    if (!m_model.applying())
        return false;
    if (!QTest::qWaitFor([this] { return !m_model.applying(); }, 20000))
        return false;
    QCoreApplication::processEvents();
    return failed.isEmpty();
}

void TestAddrixIntegration::scanListsEveryCameraWithItsAddress()
{
    scanAndWait();
    QCOMPARE(m_model.cameras().size(), 3);
    QCOMPARE(m_model.selectedCamera(), 0);
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        m_model.setSelectedCamera(i);
        seen.append(m_model.currentIP());
    }
    seen.sort();
    QStringList expected = fakeCameraAddresses();
    expected.sort();
    QCOMPARE(seen, expected);
    const QStringList names = m_model.cameras();
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 3);
    for (const QString& serial : qEnvironmentVariable("QELT_FAKE_CAMERA_SERIALS").split(' '))
        QVERIFY2(names.filter(serial).size() == 1, qPrintable(serial));
}

void TestAddrixIntegration::fixedConfigurationIsWrittenAndReadBack()
{
    const QString address = fakeCameraAddresses().at(1);
    scanAndWait();
    QVERIFY(selectCameraAt(address));
    m_model.setDhcpEnabled(false);
    m_model.setIpAddress("192.168.50.23");
    m_model.setSubnetMask("255.255.255.0");
    m_model.setDefaultGateway("192.168.50.1");
    QVERIFY(applyAndWait());

    scanAndWait();
    QVERIFY(selectCameraAt(address));
    QCOMPARE(m_model.ipAddress(), QString("192.168.50.23"));
    QCOMPARE(m_model.subnetMask(), QString("255.255.255.0"));
    QCOMPARE(m_model.defaultGateway(), QString("192.168.50.1"));
    QCOMPARE(m_model.dhcpEnabled(), false);
    // Only the persistent configuration changes; the camera keeps its current address.
    QCOMPARE(m_model.currentIP(), address);
}

void TestAddrixIntegration::dhcpConfigurationIsWrittenAndReadBack()
{
    const QString address = fakeCameraAddresses().at(0);
    scanAndWait();
    QVERIFY(selectCameraAt(address));
    m_model.setDhcpEnabled(true);
    m_model.setIpAddress("10.20.30.40");
    m_model.setSubnetMask("255.0.0.0");
    m_model.setDefaultGateway("10.0.0.1");
    QVERIFY(applyAndWait());

    scanAndWait();
    QVERIFY(selectCameraAt(address));
    QCOMPARE(m_model.dhcpEnabled(), true);
    QCOMPARE(m_model.ipAddress(), QString("10.20.30.40"));
    QCOMPARE(m_model.subnetMask(), QString("255.0.0.0"));
    QCOMPARE(m_model.defaultGateway(), QString("10.0.0.1"));

    // And back to a fixed address, which clears the DHCP choice again.
    m_model.setDhcpEnabled(false);
    QVERIFY(applyAndWait());
    scanAndWait();
    QVERIFY(selectCameraAt(address));
    QCOMPARE(m_model.dhcpEnabled(), false);
}

void TestAddrixIntegration::cameraStoppingMidApplyShowsWhatItHolds()
{
    const QString address = fakeCameraAddresses().at(1);
    scanAndWait();
    QVERIFY(selectCameraAt(address));
    m_model.setDhcpEnabled(true);
    m_model.setIpAddress("192.168.50.30");
    m_model.setSubnetMask("255.255.255.0");
    m_model.setDefaultGateway("0.0.0.0");
    QVERIFY(applyAndWait());
    QVERIFY(m_model.dhcpEnabled());

    m_model.setDhcpEnabled(false);
    m_model.setIpAddress("192.168.50.31");
    m_model.setSubnetMask("255.255.0.0");
    {
        const CPersistentAddressWritesLost lost;
        QVERIFY2(lost.installed(), "tc could not set up the loss on lo");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("apply to .* failed: "));
        QVERIFY(!applyAndWait());
    }
    // The flags were taken, the address was not: DHCP is off, the old address stays.
    QCOMPARE(m_model.dhcpEnabled(), false);
    QCOMPARE(m_model.ipAddress(), QString("192.168.50.30"));
    QCOMPARE(m_model.subnetMask(), QString("255.255.255.0"));
    QCOMPARE(m_model.selectedDetails().value("applyOutcome").toString(),
             QString("Applying failed part-way; changed on the camera: DHCP off."));

    // As a fresh scan confirms.
    scanAndWait();
    QVERIFY(selectCameraAt(address));
    QCOMPARE(m_model.dhcpEnabled(), false);
    QCOMPARE(m_model.ipAddress(), QString("192.168.50.30"));
}

void TestAddrixIntegration::cameraStoppedAfterScanFailsTheApply()
{
    const QString address = fakeCameraAddresses().at(2);
    const pid_t pid = qEnvironmentVariable("QELT_FAKE_CAMERA_PIDS").split(' ').at(2).toInt();
    scanAndWait();
    QVERIFY(selectCameraAt(address));
    const struct
    {
        QString ipAddress, subnetMask, defaultGateway;
        bool dhcp;
    } held { m_model.ipAddress(), m_model.subnetMask(), m_model.defaultGateway(), m_model.dhcpEnabled() };
    m_model.setDhcpEnabled(false);
    m_model.setIpAddress("192.168.77.2");
    m_model.setSubnetMask("255.255.255.0");
    m_model.setDefaultGateway("192.168.77.1");

    QVERIFY(::kill(pid, SIGKILL) == 0);
    QSignalSpy failed(&m_model, &AddrixModel::applyFailed);
    m_model.apply();
    QVERIFY(m_model.applying());
    // Never a hang: the camera library gives up within seconds.
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 15000);
    QVERIFY(!m_model.applying());
    // Nothing reached the camera: the edits give way to what it was last read to hold.
    QCOMPARE(m_model.ipAddress(), held.ipAddress);
    QCOMPARE(m_model.subnetMask(), held.subnetMask);
    QCOMPARE(m_model.defaultGateway(), held.defaultGateway);
    QCOMPARE(m_model.dhcpEnabled(), held.dhcp);
    QCOMPARE(m_model.selectedDetails().value("applyOutcome").toString(), QString());
}

void TestAddrixIntegration::cameraOnAnotherSubnetIsForcedFoundAndConfigured()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("arv-fake-gv-camera-0.8"));
    QVERIFY2(!program.isEmpty(), "arv-fake-gv-camera-0.8 is needed (aravis-tools)");
    // A camera at 192.168.77.9 that answers on lo (127.0.0.1/8) only by broadcast; told
    // to take another address, it comes back there as a simulated camera.
    CForceIpResponder::SSettings settings;
    settings.address = 0xC0A84D09;
    settings.serial = "FAKE0079";
    settings.cameraProgram = program;
    CForceIpResponder responder(settings);
    QVERIFY2(responder.isListening(), "the responder cannot listen: not inside the test namespace?");

    scanAndWait();
    const qsizetype listed = m_model.cameras().size();
    QCOMPARE(m_model.unconfigurableSummary(), QString("1 more camera cannot be configured"));
    const QVariantMap lost = m_model.unconfigurableCameras().at(0).toMap();
    QCOMPARE(lost.value("address").toString(), QString("192.168.77.9"));
    QCOMPARE(lost.value("reasonCode").toString(), QString("unreachable"));
    QCOMPARE(lost.value("hostInterface").toString(), QString("lo"));
    QCOMPARE(lost.value("hostSubnet").toString(), QString("127.0.0.0/8"));
    QVERIFY(lost.value("canForceIp").toBool());

    // The host holds 127.0.0.1 and the simulated cameras' addresses: the next one is free.
    const QString address = m_model.proposeForceIpAddress(0);
    QCOMPARE(address, QString("127.0.0.%1").arg(fakeCameraAddresses().size() + 2));
    QCOMPARE(m_model.proposeForceIpSubnetMask(0), QString("255.0.0.0"));
    QSignalSpy succeeded(&m_model, &AddrixModel::forceIpSucceeded);
    QSignalSpy failed(&m_model, &AddrixModel::forceIpFailed);
    m_model.forceIp(0, address, "255.0.0.0", "0.0.0.0");
    QTRY_COMPARE_WITH_TIMEOUT(succeeded.count() + failed.count(), 1, 15000);
    QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed.at(0).at(0).toString()));
    QVERIFY(responder.handedOver());
    QTRY_VERIFY_WITH_TIMEOUT(!m_model.forcing() && !m_model.scanning(), 20000);

    QVERIFY(m_model.unconfigurableCameras().isEmpty());
    QCOMPARE(m_model.cameras().size(), listed + 1);
    QVERIFY(selectCameraAt(address));
    m_model.setDhcpEnabled(false);
    m_model.setIpAddress("192.168.50.24");
    m_model.setSubnetMask("255.255.255.0");
    m_model.setDefaultGateway("0.0.0.0");
    QVERIFY(applyAndWait());
    // Read back at once: the camera holds the new persistent configuration.
    QCOMPARE(m_model.ipAddress(), QString("192.168.50.24"));
    QCOMPARE(m_model.subnetMask(), QString("255.255.255.0"));
    QCOMPARE(m_model.currentIP(), address);
}

QTEST_GUILESS_MAIN(TestAddrixIntegration)
#include "tst_addrixintegration.moc"
