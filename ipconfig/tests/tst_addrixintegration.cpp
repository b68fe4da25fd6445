// AddrixModel on the real camera library, among simulated GigE Vision cameras in a
// private network namespace (see scripts/with-fake-cameras.sh).
#include "addrixmodel.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

namespace {

QStringList fakeCameraAddresses()
{
    return qEnvironmentVariable("QELT_FAKE_CAMERAS").split(' ', Qt::SkipEmptyParts);
}

} // namespace

class TestAddrixIntegration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void scanListsEveryCameraWithItsAddress();
    void fixedConfigurationIsWrittenAndReadBack();
    void dhcpConfigurationIsWrittenAndReadBack();
    void cameraStoppedAfterScanFailsTheApply();

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

void TestAddrixIntegration::cameraStoppedAfterScanFailsTheApply()
{
    const QString address = fakeCameraAddresses().at(2);
    const pid_t pid = qEnvironmentVariable("QELT_FAKE_CAMERA_PIDS").split(' ').at(2).toInt();
    scanAndWait();
    QVERIFY(selectCameraAt(address));
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
}

QTEST_GUILESS_MAIN(TestAddrixIntegration)
#include "tst_addrixintegration.moc"
