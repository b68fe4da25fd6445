// AddrixModel against the scripted camera library: properties, selection, the scan,
// validation and the apply, with the calls and values the cameras receive.
#include "addrixmodel.h"
#include "signalrecorder.h"
#include "testcameras.h"

#include <dns/dns.h>
#include <zelk/cam/gic/ipfeatures.h>
#include <zelk/cam/testing/fakecamerasystem.h>

#include <QMetaMethod>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QTest>

namespace gic = zelk::cam::gic;
using zelk::cam::testing::CFakeCameraSystem;
using zelk::cam::testing::SFakeCamera;
using zelk::cam::testing::SFakeFeature;
using zelk::cam::testing::genicamAddress;

namespace {

const QStringList scanStartSignals { "camerasChanged",        "selectedCameraChanged", "currentIPChanged",
                                     "dhcpEnabledChanged",    "ipAddressChanged",      "subnetMaskChanged",
                                     "defaultGatewayChanged", "settingsValidChanged",  "selectedDetailsChanged",
                                     "addressWarningChanged", "unconfigurableCamerasChanged", "scanningChanged" };
const QStringList selectionSignals { "selectedCameraChanged", "currentIPChanged",     "dhcpEnabledChanged",
                                     "ipAddressChanged",      "subnetMaskChanged",    "defaultGatewayChanged",
                                     "settingsValidChanged",  "selectedDetailsChanged", "addressWarningChanged" };
const QStringList scanEndSignals { "camerasChanged", "unconfigurableCamerasChanged" };

QStringList logLines()
{
    QStringList lines;
    for (const std::string& line : CFakeCameraSystem::instance().log())
        lines.append(QString::fromStdString(line));
    return lines;
}

QStringList linesStartingWith(const QString& prefix)
{
    QStringList lines;
    for (const QString& line : logLines())
        if (line.startsWith(prefix))
            lines.append(line);
    return lines;
}

SFakeCamera camera(const std::string& id, const std::string& currentIP, bool dhcp = false,
                   bool persistentIP = true)
{
    return testcameras::standard(id, currentIP, "192.168.1.10", "255.255.255.0", "192.168.1.1", dhcp, persistentIP);
}

// What reading a standard camera again logs: the six IP features, then the optional details.
QStringList readBackLines(bool dhcp)
{
    return QStringList { "feature GevCurrentIPAddress", "feature GevPersistentIPAddress",
                         "feature GevPersistentSubnetMask", "feature GevPersistentDefaultGateway",
                         "feature GevCurrentIPConfigurationDHCP", "feature GevCurrentIPConfigurationPersistentIP",
                         "get GevCurrentIPAddress", "get GevPersistentIPAddress", "get GevPersistentSubnetMask",
                         "get GevPersistentDefaultGateway", "get GevCurrentIPConfigurationDHCP" }
        + (dhcp ? QStringList { "get GevCurrentIPConfigurationPersistentIP" } : QStringList())
        + QStringList { "feature GevCurrentSubnetMask", "feature GevCurrentDefaultGateway",
                        "feature GevCurrentIPConfigurationLLA" };
}

} // namespace

class TestAddrixModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void freshModelIsEmpty();
    void metaObjectListsMembersInOrder();

    void scanChoosesFirstAvailableTransport_data();
    void scanChoosesFirstAvailableTransport();
    void scanListsCamerasAndSelectsFirst();
    void scanEmptiesModelUntilResultArrives();
    void scanLeavesOutUnreadableCameras_data();
    void scanLeavesOutUnreadableCameras();
    void scanLooksUpAllSixFeatures();
    void scanDerivesDhcpFromBothFlags_data();
    void scanDerivesDhcpFromBothFlags();
    void scanSetsControlProtocolOnlyWhenPresent();
    void scanWhileScanningChangesNothing();
    void rescanSelectsFirstCameraAgain();
    void scanFindingNothingEmitsOnlyItsOwnSignals();

    void selectionIgnoresInvalidIndices_data();
    void selectionIgnoresInvalidIndices();
    void selectionEmitsItsSignalsInOrder();

    void settersIgnoreMissingSelection();
    void settersStoreAndAnnounce_data();
    void settersStoreAndAnnounce();
    void settingsValidity_data();
    void settingsValidity();
    void recommendedMaskComesFromAddressHelpers();

    void applyWritesConfiguration_data();
    void applyWritesConfiguration();
    void applyIsRefused_data();
    void applyIsRefused();
    void applyIgnoredWhileApplying();
    void applyFailures_data();
    void applyFailures();
    void applyWorksOnItsOwnCopy();

private:
    void scanAndWait();
    void applyAndWait(AddrixModel& model);

    AddrixModel* m_model = nullptr;
};

void TestAddrixModel::init()
{
    CFakeCameraSystem::instance().reset();
    CFakeCameraSystem::instance().setTransports({ "GigE-Vision" });
    m_model = new AddrixModel;
}

void TestAddrixModel::cleanup()
{
    CFakeCameraSystem::instance().setGateClosed(false);
    // A task still running holds the model: let it end before the model goes.
    QTRY_VERIFY(!m_model->scanning() && !m_model->applying());
    delete m_model;
    m_model = nullptr;
}

void TestAddrixModel::scanAndWait()
{
    m_model->scan();
    QTRY_VERIFY(!m_model->scanning());
}

void TestAddrixModel::applyAndWait(AddrixModel& model)
{
    QSignalSpy applying(&model, &AddrixModel::applyingChanged);
    model.apply();
    QVERIFY(model.applying());
    QTRY_COMPARE(applying.count(), 2);
}

void TestAddrixModel::freshModelIsEmpty()
{
    QVERIFY(m_model->cameras().isEmpty());
    QCOMPARE(m_model->selectedCamera(), -1);
    QCOMPARE(m_model->currentIP(), QString());
    QCOMPARE(m_model->ipAddress(), QString());
    QCOMPARE(m_model->subnetMask(), QString());
    QCOMPARE(m_model->defaultGateway(), QString());
    QCOMPARE(m_model->dhcpEnabled(), false);
    QCOMPARE(m_model->scanning(), false);
    QCOMPARE(m_model->applying(), false);
    QCOMPARE(m_model->settingsValid(), false);
    QCOMPARE(m_model->recommendedSubnetMask(), QString());
}

void TestAddrixModel::metaObjectListsMembersInOrder()
{
    const QMetaObject& meta = AddrixModel::staticMetaObject;
    const QStringList properties { "cameras",    "selectedCamera", "currentIP", "dhcpEnabled",
                                   "ipAddress",  "subnetMask",     "defaultGateway", "scanning",
                                   "applying",   "recommendedSubnetMask", "settingsValid",
                                   "unconfigurableCameras", "unconfigurableSummary", "selectedDetails",
                                   "addressWarning", "forcing" };
    QCOMPARE(meta.propertyCount() - meta.propertyOffset(), properties.size());
    for (int i = 0; i < properties.size(); ++i) {
        const QMetaProperty property = meta.property(meta.propertyOffset() + i);
        QCOMPARE(QString::fromLatin1(property.name()), properties.at(i));
        const bool writable = QStringList { "selectedCamera", "dhcpEnabled", "ipAddress", "subnetMask",
                                            "defaultGateway" }
                                  .contains(properties.at(i));
        QCOMPARE(property.isWritable(), writable);
        QVERIFY(property.hasNotifySignal());
    }
    QCOMPARE(meta.property(meta.propertyOffset() + 9).notifySignal().name(), QByteArray("ipAddressChanged"));

    struct Method
    {
        const char* signature;
        QMetaMethod::MethodType type;
        QMetaMethod::Access access;
    };
    const Method methods[] = {
        { "camerasChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "selectedCameraChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "currentIPChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "dhcpEnabledChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "ipAddressChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "subnetMaskChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "defaultGatewayChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "scanningChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "applyingChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "applyFailed()", QMetaMethod::Signal, QMetaMethod::Public },
        { "settingsValidChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "unconfigurableCamerasChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "selectedDetailsChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "addressWarningChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "forcingChanged()", QMetaMethod::Signal, QMetaMethod::Public },
        { "forceIpSucceeded()", QMetaMethod::Signal, QMetaMethod::Public },
        { "forceIpFailed(QString)", QMetaMethod::Signal, QMetaMethod::Public },
        { "doneScanning()", QMetaMethod::Slot, QMetaMethod::Private },
        { "doneApplying()", QMetaMethod::Slot, QMetaMethod::Private },
        { "doneForcing()", QMetaMethod::Slot, QMetaMethod::Private },
        { "apply()", QMetaMethod::Method, QMetaMethod::Public },
        { "scan()", QMetaMethod::Method, QMetaMethod::Public },
        { "proposeForceIpAddress(int)", QMetaMethod::Method, QMetaMethod::Public },
        { "proposeForceIpSubnetMask(int)", QMetaMethod::Method, QMetaMethod::Public },
        { "forceIp(int,QString,QString,QString)", QMetaMethod::Method, QMetaMethod::Public },
    };
    QCOMPARE(meta.methodCount() - meta.methodOffset(), int(std::size(methods)));
    for (int i = 0; i < int(std::size(methods)); ++i) {
        const QMetaMethod method = meta.method(meta.methodOffset() + i);
        QCOMPARE(method.methodSignature(), QByteArray(methods[i].signature));
        QCOMPARE(method.methodType(), methods[i].type);
        QCOMPARE(method.access(), methods[i].access);
    }
}

void TestAddrixModel::scanChoosesFirstAvailableTransport_data()
{
    QTest::addColumn<QStringList>("available");
    QTest::addColumn<QStringList>("lookups");
    QTest::addColumn<QString>("discovery");

    QTest::newRow("all three") << QStringList { "PureGEV", "VskGenTL", "GigE-Vision" }
                               << QStringList { "find PureGEV" } << "discover [PureGEV] 1";
    QTest::newRow("second and third") << QStringList { "VskGenTL", "GigE-Vision" }
                                      << QStringList { "find PureGEV", "find VskGenTL" }
                                      << "discover [VskGenTL] 1";
    QTest::newRow("GigE Vision only") << QStringList { "GigE-Vision" }
                                      << QStringList { "find PureGEV", "find VskGenTL", "find GigE-Vision" }
                                      << "discover [GigE-Vision] 1";
    QTest::newRow("none") << QStringList {}
                          << QStringList { "find PureGEV", "find VskGenTL", "find GigE-Vision" }
                          << "discover [] 1";
}

void TestAddrixModel::scanChoosesFirstAvailableTransport()
{
    QFETCH(QStringList, available);
    QFETCH(QStringList, lookups);
    QFETCH(QString, discovery);

    std::vector<std::string> names;
    for (const QString& name : available)
        names.push_back(name.toStdString());
    CFakeCameraSystem::instance().setTransports(names);
    scanAndWait();

    const QStringList expected = lookups + QStringList { "refresh 0", discovery,
                                                         "match [KDR-1,KDR-2,KDR-3,KDR-4,Quorin]" };
    QCOMPARE(logLines(), expected);
}

void TestAddrixModel::scanListsCamerasAndSelectsFirst()
{
    CFakeCameraSystem::instance().addCamera(camera("Camera A (0001)", "192.168.1.100", false));
    SFakeCamera second = testcameras::standard("Camera B (0002)", "10.0.0.7", "10.0.0.8", "255.0.0.0", "10.0.0.1",
                                               true, false);
    CFakeCameraSystem::instance().addCamera(second);

    SignalRecorder recorder(m_model);
    scanAndWait();

    QCOMPARE(m_model->cameras(), (QStringList { "Camera A (0001)", "Camera B (0002)" }));
    QCOMPARE(recorder.names(),
             scanStartSignals + scanEndSignals + selectionSignals + QStringList { "scanningChanged" });
    QCOMPARE(m_model->selectedCamera(), 0);
    QCOMPARE(m_model->currentIP(), QString("192.168.1.100"));
    QCOMPARE(m_model->ipAddress(), QString("192.168.1.10"));
    QCOMPARE(m_model->subnetMask(), QString("255.255.255.0"));
    QCOMPARE(m_model->defaultGateway(), QString("192.168.1.1"));
    QCOMPARE(m_model->dhcpEnabled(), false);
    QVERIFY(m_model->settingsValid());

    m_model->setSelectedCamera(1);
    QCOMPARE(m_model->currentIP(), QString("10.0.0.7"));
    QCOMPARE(m_model->ipAddress(), QString("10.0.0.8"));
    QCOMPARE(m_model->subnetMask(), QString("255.0.0.0"));
    QCOMPARE(m_model->defaultGateway(), QString("10.0.0.1"));
    QCOMPARE(m_model->dhcpEnabled(), true);
}

void TestAddrixModel::scanEmptiesModelUntilResultArrives()
{
    CFakeCameraSystem::instance().addCamera(camera("one", "192.168.1.100"));
    scanAndWait();
    QCOMPARE(m_model->selectedCamera(), 0);

    CFakeCameraSystem::instance().setGateClosed(true);
    m_model->scan();
    QVERIFY(m_model->scanning());
    QVERIFY(m_model->cameras().isEmpty());
    QCOMPARE(m_model->selectedCamera(), -1);
    QCOMPARE(m_model->currentIP(), QString());
    QCOMPARE(m_model->ipAddress(), QString());
    QCOMPARE(m_model->settingsValid(), false);
    CFakeCameraSystem::instance().setGateClosed(false);
    QTRY_VERIFY(!m_model->scanning());
    QCOMPARE(m_model->cameras().size(), 1);
}

void TestAddrixModel::scanLeavesOutUnreadableCameras_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("does not open") << "open";
    QTest::newRow("no feature tree") << "genicam";
    QTest::newRow("lacks persistent-IP flag") << "missing";
    QTest::newRow("mask of the wrong kind") << "kind";
    QTest::newRow("read throws") << "read";
}

void TestAddrixModel::scanLeavesOutUnreadableCameras()
{
    QFETCH(QString, fault);
    SFakeCamera faulty = camera("faulty", "192.168.1.50");
    if (fault == "open")
        faulty.opens = false;
    else if (fault == "genicam")
        faulty.hasGenICam = false;
    else if (fault == "missing")
        faulty.features.erase(gic::GevCurrentIPConfigurationPersistentIP);
    else if (fault == "kind")
        faulty.features[gic::GevPersistentSubnetMask].kind = SFakeFeature::Boolean;
    else if (fault == "read")
        faulty.features[gic::GevPersistentDefaultGateway].throwOnRead = true;

    CFakeCameraSystem::instance().addCamera(camera("before", "192.168.1.40"));
    CFakeCameraSystem::instance().addCamera(faulty);
    CFakeCameraSystem::instance().addCamera(camera("after", "192.168.1.60"));
    scanAndWait();

    QCOMPARE(m_model->cameras(), (QStringList { "before", "after" }));
    m_model->setSelectedCamera(1);
    QCOMPARE(m_model->currentIP(), QString("192.168.1.60"));
}

void TestAddrixModel::scanLooksUpAllSixFeatures()
{
    SFakeCamera partial = camera("partial", "192.168.1.50");
    partial.features.erase(gic::GevCurrentIPAddress);
    CFakeCameraSystem::instance().addCamera(partial);
    scanAndWait();

    QCOMPARE(linesStartingWith("feature "),
             (QStringList { "feature GevCurrentIPAddress", "feature GevPersistentIPAddress",
                            "feature GevPersistentSubnetMask", "feature GevPersistentDefaultGateway",
                            "feature GevCurrentIPConfigurationDHCP",
                            "feature GevCurrentIPConfigurationPersistentIP" }));
    QVERIFY(linesStartingWith("get ").isEmpty());
    QVERIFY(m_model->cameras().isEmpty());
}

void TestAddrixModel::scanDerivesDhcpFromBothFlags_data()
{
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<bool>("persistentIP");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<bool>("persistentRead");

    QTest::newRow("DHCP only") << true << false << true << true;
    QTest::newRow("DHCP and persistent") << true << true << false << true;
    QTest::newRow("persistent only") << false << true << false << false;
    QTest::newRow("neither") << false << false << false << false;
}

void TestAddrixModel::scanDerivesDhcpFromBothFlags()
{
    QFETCH(bool, dhcp);
    QFETCH(bool, persistentIP);
    QFETCH(bool, expected);
    QFETCH(bool, persistentRead);

    CFakeCameraSystem::instance().addCamera(camera("cam", "192.168.1.100", dhcp, persistentIP));
    scanAndWait();

    QCOMPARE(m_model->dhcpEnabled(), expected);
    QCOMPARE(logLines().contains("get GevCurrentIPConfigurationPersistentIP"), persistentRead);
    QCOMPARE(linesStartingWith("get "),
             (QStringList { "get GevCurrentIPAddress", "get GevPersistentIPAddress", "get GevPersistentSubnetMask",
                            "get GevPersistentDefaultGateway", "get GevCurrentIPConfigurationDHCP" })
                 + (persistentRead ? QStringList { "get GevCurrentIPConfigurationPersistentIP" } : QStringList()));
}

void TestAddrixModel::scanSetsControlProtocolOnlyWhenPresent()
{
    SFakeCamera withoutControl = camera("plain", "192.168.1.51");
    withoutControl.hasControlParameter = false;
    CFakeCameraSystem::instance().addCamera(camera("controlled", "192.168.1.50"));
    CFakeCameraSystem::instance().addCamera(withoutControl);
    scanAndWait();

    QCOMPARE(linesStartingWith("open "),
             (QStringList { "open controlled mode=17 Control=Gen<i>cam IP=-", "open plain mode=17 Control=- IP=-" }));
    QCOMPARE(linesStartingWith("createDevice "), (QStringList { "createDevice GigE-Vision", "createDevice GigE-Vision" }));
    QCOMPARE(linesStartingWith("genICam "), (QStringList { "genICam 0", "genICam 0" }));
    QCOMPARE(m_model->cameras().size(), 2);
}

void TestAddrixModel::scanWhileScanningChangesNothing()
{
    CFakeCameraSystem::instance().addCamera(camera("cam", "192.168.1.100"));
    CFakeCameraSystem::instance().setGateClosed(true);
    m_model->scan();
    SignalRecorder recorder(m_model);
    m_model->scan();
    QVERIFY(recorder.names().isEmpty());
    CFakeCameraSystem::instance().setGateClosed(false);
    QTRY_VERIFY(!m_model->scanning());
    QCOMPARE(linesStartingWith("discover ").size(), 1);
    QCOMPARE(m_model->cameras().size(), 1);
}

void TestAddrixModel::rescanSelectsFirstCameraAgain()
{
    for (const char* id : { "first", "second", "third" })
        CFakeCameraSystem::instance().addCamera(camera(id, "192.168.1.100"));
    scanAndWait();
    m_model->setSelectedCamera(2);
    QCOMPARE(m_model->selectedCamera(), 2);
    scanAndWait();
    QCOMPARE(m_model->selectedCamera(), 0);
}

void TestAddrixModel::scanFindingNothingEmitsOnlyItsOwnSignals()
{
    SignalRecorder recorder(m_model);
    scanAndWait();
    QCOMPARE(recorder.names(), scanStartSignals + scanEndSignals + QStringList { "scanningChanged" });
    QCOMPARE(m_model->selectedCamera(), -1);
}

void TestAddrixModel::selectionIgnoresInvalidIndices_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("minus one") << -1;
    QTest::newRow("count") << 2;
    QTest::newRow("far beyond") << 1000;
    QTest::newRow("already selected") << 0;
}

void TestAddrixModel::selectionIgnoresInvalidIndices()
{
    QFETCH(int, index);
    CFakeCameraSystem::instance().addCamera(camera("a", "192.168.1.100"));
    CFakeCameraSystem::instance().addCamera(camera("b", "192.168.1.101"));
    scanAndWait();

    SignalRecorder recorder(m_model);
    m_model->setSelectedCamera(index);
    QVERIFY(recorder.names().isEmpty());
    QCOMPARE(m_model->selectedCamera(), 0);
}

void TestAddrixModel::selectionEmitsItsSignalsInOrder()
{
    CFakeCameraSystem::instance().addCamera(camera("a", "192.168.1.100"));
    CFakeCameraSystem::instance().addCamera(camera("b", "192.168.1.101"));
    scanAndWait();

    SignalRecorder recorder(m_model);
    m_model->setSelectedCamera(1);
    QCOMPARE(recorder.names(), selectionSignals);
    QCOMPARE(m_model->currentIP(), QString("192.168.1.101"));
}

void TestAddrixModel::settersIgnoreMissingSelection()
{
    SignalRecorder recorder(m_model);
    m_model->setDhcpEnabled(true);
    m_model->setIpAddress("10.0.0.1");
    m_model->setSubnetMask("255.0.0.0");
    m_model->setDefaultGateway("10.0.0.254");
    QVERIFY(recorder.names().isEmpty());
    QCOMPARE(m_model->ipAddress(), QString());
    QCOMPARE(m_model->dhcpEnabled(), false);
}

void TestAddrixModel::settersStoreAndAnnounce_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("signals_");

    const QStringList none;
    QTest::newRow("address changed") << "ipAddress" << "192.168.1.20"
                                     << QStringList { "ipAddressChanged", "settingsValidChanged" };
    QTest::newRow("address unchanged") << "ipAddress" << "192.168.1.10" << none;
    QTest::newRow("mask changed") << "subnetMask" << "255.255.0.0"
                                  << QStringList { "subnetMaskChanged", "settingsValidChanged" };
    QTest::newRow("gateway changed") << "defaultGateway" << "192.168.1.254"
                                     << QStringList { "defaultGatewayChanged", "settingsValidChanged" };
    QTest::newRow("gateway unchanged") << "defaultGateway" << "192.168.1.1" << none;
    QTest::newRow("text stored untrimmed") << "ipAddress" << " 192.168.1.10 "
                                           << QStringList { "ipAddressChanged", "settingsValidChanged" };
    QTest::newRow("dhcp on") << "dhcpEnabled" << "true"
                             << QStringList { "dhcpEnabledChanged", "settingsValidChanged" };
    QTest::newRow("dhcp unchanged") << "dhcpEnabled" << "false" << none;
}

void TestAddrixModel::settersStoreAndAnnounce()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QStringList, signals_);

    CFakeCameraSystem::instance().addCamera(camera("cam", "192.168.1.100"));
    scanAndWait();

    SignalRecorder recorder(m_model);
    QVERIFY(m_model->setProperty(field.toLatin1(), field == "dhcpEnabled" ? QVariant(value == "true") : QVariant(value)));
    QCOMPARE(recorder.names(), signals_);
    QCOMPARE(m_model->property(field.toLatin1()).toString(), value);
}

void TestAddrixModel::settingsValidity_data()
{
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<bool>("valid");

    QTest::newRow("fixed, all set") << false << "192.168.1.10" << "255.255.255.0" << "192.168.1.1" << true;
    QTest::newRow("fixed, zero gateway") << false << "192.168.1.10" << "255.255.255.0" << "0.0.0.0" << true;
    QTest::newRow("fixed, zero address") << false << "0.0.0.0" << "255.255.255.0" << "192.168.1.1" << false;
    QTest::newRow("fixed, zero mask") << false << "192.168.1.10" << "0.0.0.0" << "192.168.1.1" << false;
    // A camera given these could not be reached again.
    QTest::newRow("fixed, odd mask") << false << "192.168.1.10" << "255.0.255.0" << "192.168.1.1" << false;
    QTest::newRow("fixed, gateway elsewhere") << false << "192.168.1.10" << "255.255.255.0" << "10.9.8.7" << false;
    QTest::newRow("multicast, lowest") << false << "224.0.0.1" << "255.255.255.0" << "0.0.0.0" << false;
    QTest::newRow("multicast, highest") << false << "239.255.255.254" << "255.255.255.0" << "0.0.0.0" << false;
    QTest::newRow("just above multicast") << false << "240.0.0.1" << "255.0.0.0" << "0.0.0.0" << true;
    QTest::newRow("limited broadcast") << false << "255.255.255.255" << "255.255.255.255" << "0.0.0.0" << false;
    QTest::newRow("network address") << false << "192.168.1.0" << "255.255.255.0" << "192.168.1.1" << false;
    QTest::newRow("broadcast address") << false << "192.168.1.255" << "255.255.255.0" << "192.168.1.1" << false;
    QTest::newRow("broadcast of a /22") << false << "192.168.3.255" << "255.255.252.0" << "0.0.0.0" << false;
    QTest::newRow("inside a /22") << false << "192.168.1.255" << "255.255.252.0" << "0.0.0.0" << true;
    QTest::newRow("/31 network end") << false << "192.168.1.0" << "255.255.255.254" << "0.0.0.0" << true;
    QTest::newRow("/32") << false << "192.168.1.255" << "255.255.255.255" << "0.0.0.0" << true;
    QTest::newRow("mask with a hole") << false << "192.168.1.10" << "255.255.254.255" << "0.0.0.0" << false;
    QTest::newRow("loopback") << false << "127.0.0.5" << "255.0.0.0" << "127.0.0.1" << true;
    QTest::newRow("dhcp, odd mask") << true << "192.168.1.10" << "255.0.255.0" << "10.9.8.7" << true;
    QTest::newRow("dhcp, all zero") << true << "0.0.0.0" << "0.0.0.0" << "0.0.0.0" << true;
    QTest::newRow("dhcp, empty gateway") << true << "192.168.1.10" << "255.255.255.0" << "" << false;
    QTest::newRow("dhcp, malformed gateway") << true << "192.168.1.10" << "255.255.255.0" << "192.168.1" << false;
    QTest::newRow("empty address") << false << "" << "255.255.255.0" << "192.168.1.1" << false;
    QTest::newRow("octet too large") << false << "192.168.1.256" << "255.255.255.0" << "192.168.1.1" << false;
    QTest::newRow("blanks") << false << " 192.168.1.10" << "255.255.255.0" << "192.168.1.1" << false;
    QTest::newRow("letters") << false << "camera.local" << "255.255.255.0" << "192.168.1.1" << false;
    QTest::newRow("five octets") << false << "1.2.3.4.5" << "255.255.255.0" << "192.168.1.1" << false;
    QTest::newRow("over-long") << false << QString(100000, QLatin1Char('1')) << "255.255.255.0" << "192.168.1.1"
                               << false;
    QTest::newRow("non-ASCII digits") << false << QString::fromUtf8("١٩٢.١٦٨.١.١") << "255.255.255.0"
                                      << "192.168.1.1" << false;
    QTest::newRow("embedded NUL") << false << QString::fromLatin1("192.168.1.10\0garbage", 20) << "255.255.255.0"
                                  << "192.168.1.1" << false;
}

void TestAddrixModel::settingsValidity()
{
    QFETCH(bool, dhcp);
    QFETCH(QString, address);
    QFETCH(QString, mask);
    QFETCH(QString, gateway);
    QFETCH(bool, valid);

    CFakeCameraSystem::instance().addCamera(camera("cam", "192.168.1.100"));
    scanAndWait();
    m_model->setDhcpEnabled(dhcp);
    m_model->setIpAddress(address);
    m_model->setSubnetMask(mask);
    m_model->setDefaultGateway(gateway);
    QCOMPARE(m_model->settingsValid(), valid);

    // An invalid configuration never reaches the camera.
    CFakeCameraSystem::instance().clearLog();
    m_model->apply();
    QCOMPARE(m_model->applying(), valid);
    QTRY_VERIFY(!m_model->applying());
}

void TestAddrixModel::recommendedMaskComesFromAddressHelpers()
{
    CFakeCameraSystem::instance().addCamera(camera("cam", "192.168.1.100"));
    scanAndWait();

    QSignalSpy addressChanged(m_model, &AddrixModel::ipAddressChanged);
    m_model->setIpAddress("169.254.10.20");
    QCOMPARE(addressChanged.count(), 1);
    QCOMPARE(m_model->recommendedSubnetMask(), QString::fromUtf8(GetSubnetMask("169.254.10.20")));
    QVERIFY(!m_model->recommendedSubnetMask().isEmpty());

    m_model->setIpAddress("not an address");
    QCOMPARE(m_model->recommendedSubnetMask(), QString());
}

void TestAddrixModel::applyWritesConfiguration_data()
{
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<QString>("openLine");

    QTest::newRow("fixed address") << false << "open cam mode=17 Control=Gen<i>cam IP=10.1.2.3";
    QTest::newRow("DHCP") << true << "open cam mode=17 Control=Gen<i>cam IP=-";
}

void TestAddrixModel::applyWritesConfiguration()
{
    QFETCH(bool, dhcp);
    QFETCH(QString, openLine);

    CFakeCameraSystem& cameras = CFakeCameraSystem::instance();
    cameras.addCamera(camera("cam", "192.168.1.100"));
    scanAndWait();
    m_model->setDhcpEnabled(dhcp);
    m_model->setIpAddress("10.1.2.3");
    m_model->setSubnetMask("255.255.0.0");
    m_model->setDefaultGateway("10.1.0.1");
    cameras.clearLog();

    SignalRecorder recorder(m_model);
    applyAndWait(*m_model);
    QCOMPARE(recorder.names(), (QStringList { "applyingChanged", "applyingChanged" }));

    const QString address = QString::number(genicamAddress("10.1.2.3"));
    QCOMPARE(logLines(),
             (QStringList { "find GigE-Vision", "createDevice GigE-Vision", openLine, "genICam 0",
                            "feature GevPersistentIPAddress", "feature GevPersistentSubnetMask",
                            "feature GevPersistentDefaultGateway", "feature GevCurrentIPConfigurationDHCP",
                            "feature GevCurrentIPConfigurationPersistentIP",
                            QString("set GevCurrentIPConfigurationDHCP %1").arg(dhcp ? 1 : 0),
                            QString("set GevCurrentIPConfigurationPersistentIP %1").arg(dhcp ? 0 : 1),
                            "set GevPersistentIPAddress " + address,
                            "set GevPersistentSubnetMask 4294901760", "set GevPersistentDefaultGateway 167837697" })
                 + readBackLines(dhcp));
    QCOMPARE(cameras.featureValue("cam", gic::GevPersistentIPAddress), 0x0A010203);
    // The model shows what it read back, the values written; it does not rescan.
    QCOMPARE(m_model->ipAddress(), QString("10.1.2.3"));
    QCOMPARE(m_model->dhcpEnabled(), dhcp);
    QCOMPARE(m_model->currentIP(), QString("192.168.1.100"));
}

void TestAddrixModel::applyIsRefused_data()
{
    QTest::addColumn<bool>("select");
    QTest::addColumn<QString>("address");
    QTest::newRow("no selection") << false << "10.1.2.3";
    QTest::newRow("invalid settings") << true << "10.1.2";
}

void TestAddrixModel::applyIsRefused()
{
    QFETCH(bool, select);
    QFETCH(QString, address);
    if (select) {
        CFakeCameraSystem::instance().addCamera(camera("cam", "192.168.1.100"));
        scanAndWait();
        m_model->setIpAddress(address);
    }
    CFakeCameraSystem::instance().clearLog();
    SignalRecorder recorder(m_model);
    m_model->apply();
    QVERIFY(recorder.names().isEmpty());
    QVERIFY(!m_model->applying());
    QTest::qWait(20);
    QVERIFY(logLines().isEmpty());
}

void TestAddrixModel::applyIgnoredWhileApplying()
{
    CFakeCameraSystem::instance().addCamera(camera("cam", "192.168.1.100"));
    scanAndWait();
    CFakeCameraSystem::instance().clearLog();
    CFakeCameraSystem::instance().setGateClosed(true);
    m_model->apply();
    SignalRecorder recorder(m_model);
    m_model->apply();
    QVERIFY(recorder.names().isEmpty());
    CFakeCameraSystem::instance().setGateClosed(false);
    QTRY_VERIFY(!m_model->applying());
    QCOMPARE(linesStartingWith("open ").size(), 1);
    QCOMPARE(recorder.names(), QStringList { "applyingChanged" });
}

void TestAddrixModel::applyFailures_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("writes");

    const QStringList none;
    QTest::newRow("camera gone") << "open" << none;
    QTest::newRow("no feature tree") << "genicam" << none;
    QTest::newRow("lacks persistent-IP flag") << "missing" << none;
    QTest::newRow("gateway of the wrong kind") << "kind" << none;
    QTest::newRow("third write throws")
        << "throw" << QStringList { "set GevCurrentIPConfigurationDHCP 0", "set GevCurrentIPConfigurationPersistentIP 1",
                                    "set GevPersistentIPAddress 3232235786" };
    QTest::newRow("camera refuses the mask")
        << "reject" << QStringList { "set GevCurrentIPConfigurationDHCP 0",
                                     "set GevCurrentIPConfigurationPersistentIP 1",
                                     "set GevPersistentIPAddress 3232235786", "set GevPersistentSubnetMask 4294967040" };
}

void TestAddrixModel::applyFailures()
{
    QFETCH(QString, fault);
    QFETCH(QStringList, writes);

    CFakeCameraSystem& cameras = CFakeCameraSystem::instance();
    cameras.addCamera(camera("cam", "192.168.1.100"));
    scanAndWait();
    cameras.clearLog();
    if (fault == "open") {
        cameras.setCameraOpens("cam", false);
    } else if (fault == "genicam") {
        SFakeCamera changed;
        QVERIFY(cameras.findCamera("cam", changed));
        cameras.reset();
        cameras.setTransports({ "GigE-Vision" });
        changed.hasGenICam = false;
        cameras.addCamera(changed);
    } else if (fault == "missing") {
        cameras.removeFeature("cam", gic::GevCurrentIPConfigurationPersistentIP);
    } else if (fault == "kind") {
        cameras.setFeature("cam", gic::GevPersistentDefaultGateway, { SFakeFeature::Other, 0 });
    } else if (fault == "throw") {
        SFakeFeature address { SFakeFeature::Integer, genicamAddress("192.168.1.10") };
        address.throwOnWrite = true;
        cameras.setFeature("cam", gic::GevPersistentIPAddress, address);
    } else if (fault == "reject") {
        SFakeFeature mask { SFakeFeature::Integer, genicamAddress("255.255.255.0") };
        mask.rejectWrite = true;
        cameras.setFeature("cam", gic::GevPersistentSubnetMask, mask);
    }

    SignalRecorder recorder(m_model);
    applyAndWait(*m_model);
    QTRY_COMPARE(recorder.names(), (QStringList { "applyingChanged", "applyingChanged", "applyFailed" }));
    QCOMPARE(linesStartingWith("set "), writes);
    if (fault == "throw")
        QCOMPARE(cameras.featureValue("cam", gic::GevCurrentIPConfigurationPersistentIP), 1);
}

void TestAddrixModel::applyWorksOnItsOwnCopy()
{
    CFakeCameraSystem& cameras = CFakeCameraSystem::instance();
    cameras.addCamera(camera("first", "192.168.1.100"));
    cameras.addCamera(camera("second", "192.168.1.101"));
    scanAndWait();
    m_model->setIpAddress("192.168.1.77");
    cameras.setGateClosed(true);
    m_model->apply();
    m_model->setSelectedCamera(1);
    m_model->setIpAddress("192.168.1.88");
    QCOMPARE(m_model->currentIP(), QString("192.168.1.101"));
    cameras.setGateClosed(false);
    QTRY_VERIFY(!m_model->applying());

    QCOMPARE(cameras.featureValue("first", gic::GevPersistentIPAddress), genicamAddress("192.168.1.77"));
    QCOMPARE(cameras.featureValue("second", gic::GevPersistentIPAddress), genicamAddress("192.168.1.10"));
}

QTEST_GUILESS_MAIN(TestAddrixModel)
#include "tst_addrixmodel.moc"
