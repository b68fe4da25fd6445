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
#include <QRegularExpression>
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

// "neighbour" at 192.168.5.2, answering on eth0's 192.168.5.1 under `interfaceMask`, and
// beside it on the same interface "lost" at 10.9.9.9 with a MAC address: listed apart as
// unreachable, and it takes a temporary address when `answersForceIp`.
void addNeighbourAndLostCamera(const std::string& interfaceMask, bool answersForceIp = true)
{
    SFakeCamera neighbour = camera("neighbour", "192.168.5.2");
    neighbour.interfaceAddress = "192.168.5.1";
    neighbour.interfaceMask = interfaceMask;
    SFakeCamera lost = neighbour;
    lost.id = lost.displayName = "lost";
    lost.address = "10.9.9.9";
    lost.macAddress = "00:11:22:33:44:55";
    lost.answersForceIp = answersForceIp;
    lost.features[gic::GevCurrentIPAddress].value = genicamAddress("10.9.9.9");
    CFakeCameraSystem::instance().addCamera(neighbour);
    CFakeCameraSystem::instance().addCamera(lost);
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
    void unconfigurableCamerasDescribeThemselves_data();
    void unconfigurableCamerasDescribeThemselves();
    void scanLooksUpAllSixFeatures();
    void scanDerivesDhcpFromBothFlags_data();
    void scanDerivesDhcpFromBothFlags();
    void scanSetsControlProtocolOnlyWhenPresent();
    void scanWhileScanningChangesNothing();
    void rescanSelectsFirstCameraAgain();
    void scanFindingNothingEmitsOnlyItsOwnSignals();

    void detailsOfSelectedCamera_data();
    void detailsOfSelectedCamera();

    void selectionIgnoresInvalidIndices_data();
    void selectionIgnoresInvalidIndices();
    void selectionEmitsItsSignalsInOrder();

    void settersIgnoreMissingSelection();
    void settersStoreAndAnnounce_data();
    void settersStoreAndAnnounce();
    void settingsValidity_data();
    void settingsValidity();
    void recommendedMaskComesFromAddressHelpers();
    void addressInUseIsWarned_data();
    void addressInUseIsWarned();

    void applyWritesConfiguration_data();
    void applyWritesConfiguration();
    void applyIsRefused_data();
    void applyIsRefused();
    void applyIgnoredWhileApplying();
    void applyFailures_data();
    void applyFailures();
    void applyWorksOnItsOwnCopy();
    void applyShowsWhatTheCameraHolds_data();
    void applyShowsWhatTheCameraHolds();

    void forceIpProposal_data();
    void forceIpProposal();
    void forceIpOutcome_data();
    void forceIpOutcome();

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
    QTest::addColumn<QString>("reasonCode");
    QTest::addColumn<bool>("opened");

    QTest::newRow("does not answer") << "open" << "noAnswer" << true;
    QTest::newRow("held by another program") << "controlled" << "controlled" << true;
    QTest::newRow("open fails otherwise") << "failed" << "noAnswer" << true;
    QTest::newRow("no feature tree") << "genicam" << "noIpFeatures" << true;
    QTest::newRow("lacks persistent-IP flag") << "missing" << "noIpFeatures" << true;
    QTest::newRow("mask of the wrong kind") << "kind" << "noIpFeatures" << true;
    QTest::newRow("read throws") << "read" << "noAnswer" << true;
    QTest::newRow("other subnet") << "subnet" << "unreachable" << false;
}

void TestAddrixModel::scanLeavesOutUnreadableCameras()
{
    QFETCH(QString, fault);
    QFETCH(QString, reasonCode);
    QFETCH(bool, opened);
    SFakeCamera faulty = camera("faulty", "192.168.1.50");
    faulty.opens = !QStringList { "open", "controlled", "failed" }.contains(fault);
    if (fault == "controlled")
        faulty.openFailure = zelk::cam::EOpenFailure::ControlledElsewhere;
    else if (fault == "failed")
        faulty.openFailure = zelk::cam::EOpenFailure::Failed;
    else if (fault == "genicam")
        faulty.hasGenICam = false;
    else if (fault == "missing")
        faulty.features.erase(gic::GevCurrentIPConfigurationPersistentIP);
    else if (fault == "kind")
        faulty.features[gic::GevPersistentSubnetMask].kind = SFakeFeature::Boolean;
    else if (fault == "read")
        faulty.features[gic::GevPersistentDefaultGateway].throwOnRead = true;
    else if (fault == "subnet")
        faulty.interfaceAddress = "192.168.7.1";

    CFakeCameraSystem::instance().addCamera(camera("before", "192.168.1.40"));
    CFakeCameraSystem::instance().addCamera(faulty);
    CFakeCameraSystem::instance().addCamera(camera("after", "192.168.1.60"));
    scanAndWait();

    QCOMPARE(m_model->cameras(), (QStringList { "before", "after" }));
    m_model->setSelectedCamera(1);
    QCOMPARE(m_model->currentIP(), QString("192.168.1.60"));

    const QVariantList apart = m_model->unconfigurableCameras();
    QCOMPARE(apart.size(), 1);
    QCOMPARE(apart.at(0).toMap().value("displayName").toString(), QString("faulty"));
    QCOMPARE(apart.at(0).toMap().value("reasonCode").toString(), reasonCode);
    QCOMPARE(m_model->unconfigurableSummary(), QString("1 more camera cannot be configured"));
    // A camera on another subnet is not opened: that would only wait out a timeout.
    QCOMPARE(linesStartingWith("open faulty").size(), opened ? 1 : 0);
}

void TestAddrixModel::unconfigurableCamerasDescribeThemselves_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("interfaceMask");
    QTest::addColumn<bool>("listedApart");
    QTest::addColumn<QString>("hostSubnet");
    QTest::addColumn<bool>("canForceIp");

    QTest::newRow("unreachable") << "00:11:22:33:44:55" << "255.255.255.0" << true << "192.168.7.0/24" << true;
    QTest::newRow("unreachable, wide mask") << "00:11:22:33:44:55" << "255.255.255.128" << true
                                            << "192.168.7.0/25" << true;
    QTest::newRow("unreachable without MAC") << "" << "255.255.255.0" << true << "192.168.7.0/24" << false;
    // With the host's mask unknown the camera is given the benefit of the doubt.
    QTest::newRow("host mask unknown") << "00:11:22:33:44:55" << "0.0.0.0" << false << "" << false;
}

void TestAddrixModel::unconfigurableCamerasDescribeThemselves()
{
    QFETCH(QString, mac);
    QFETCH(QString, interfaceMask);
    QFETCH(bool, listedApart);
    QFETCH(QString, hostSubnet);
    QFETCH(bool, canForceIp);

    SFakeCamera elsewhere = camera("KDR-2 (SN1234)", "10.9.9.9");
    elsewhere.macAddress = mac.toStdString();
    elsewhere.hostInterface = "eth1";
    elsewhere.interfaceAddress = "192.168.7.1";
    elsewhere.interfaceMask = interfaceMask.toStdString();
    SFakeCamera silent = camera("silent", "192.168.1.51");
    silent.opens = false;
    CFakeCameraSystem::instance().addCamera(silent);
    CFakeCameraSystem::instance().addCamera(elsewhere);
    SignalRecorder recorder(m_model);
    scanAndWait();

    QCOMPARE(recorder.names().count("unconfigurableCamerasChanged"), 2);
    QCOMPARE(m_model->cameras(), listedApart ? QStringList() : QStringList { "KDR-2 (SN1234)" });
    QCOMPARE(m_model->unconfigurableSummary(), listedApart ? QString("2 more cameras cannot be configured")
                                                           : QString("1 more camera cannot be configured"));
    const QVariantList apart = m_model->unconfigurableCameras();
    QCOMPARE(apart.at(0).toMap().value("reason").toString(), QString("Does not answer"));
    if (!listedApart)
        return;
    const QVariantMap entry = apart.at(1).toMap();
    const QVariantMap expected { { "displayName", "KDR-2 (SN1234)" },
                                 { "model", "" },
                                 { "serial", "" },
                                 { "macAddress", mac },
                                 { "address", "10.9.9.9" },
                                 { "hostInterface", "eth1" },
                                 { "hostSubnet", hostSubnet },
                                 { "reason", "Not on the subnet of any of this computer's network interfaces" },
                                 { "reasonCode", "unreachable" },
                                 { "canForceIp", canForceIp } };
    QCOMPARE(entry, expected);
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

void TestAddrixModel::detailsOfSelectedCamera_data()
{
    QTest::addColumn<QString>("offers"); // "all", "none" or "failing"
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<bool>("linkLocal");

    QTest::newRow("all details") << "all" << "255.255.255.0" << "192.168.1.1" << true;
    QTest::newRow("no details") << "none" << "" << "" << false;
    QTest::newRow("details fail to read") << "failing" << "" << "" << false;
}

void TestAddrixModel::detailsOfSelectedCamera()
{
    QFETCH(QString, offers);
    QFETCH(QString, mask);
    QFETCH(QString, gateway);
    QFETCH(bool, linkLocal);

    SFakeCamera described = camera("cam", "192.168.1.100");
    described.macAddress = "00:11:22:33:44:55";
    if (offers != "none") {
        SFakeFeature currentMask { SFakeFeature::Integer, genicamAddress("255.255.255.0") };
        SFakeFeature currentGateway { SFakeFeature::Integer, genicamAddress("192.168.1.1") };
        SFakeFeature lla { SFakeFeature::Boolean, 1 };
        currentMask.throwOnRead = currentGateway.throwOnRead = lla.throwOnRead = offers == "failing";
        described.features["GevCurrentSubnetMask"] = currentMask;
        described.features["GevCurrentDefaultGateway"] = currentGateway;
        described.features["GevCurrentIPConfigurationLLA"] = lla;
    }
    CFakeCameraSystem::instance().addCamera(described);
    QVERIFY(m_model->selectedDetails().isEmpty());
    scanAndWait();

    const QVariantMap expected { { "macAddress", "00:11:22:33:44:55" },
                                 { "currentIP", "192.168.1.100" },
                                 { "currentSubnetMask", mask },
                                 { "currentDefaultGateway", gateway },
                                 { "hostInterface", "eth0" },
                                 { "hostSubnet", "192.168.1.0/24" },
                                 { "linkLocal", linkLocal },
                                 { "note", "Persistent settings take effect when the camera restarts." },
                                 { "applyOutcome", "" } };
    QCOMPARE(m_model->selectedDetails(), expected);
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

void TestAddrixModel::addressInUseIsWarned_data()
{
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("warning");

    QTest::newRow("free") << false << "192.168.1.77" << "";
    QTest::newRow("its own current address") << false << "192.168.1.100" << "";
    QTest::newRow("another listed camera's") << false << "192.168.1.101"
                                            << "192.168.1.101 is already used by KDR-2 (SN1234).";
    QTest::newRow("a camera listed apart") << false << "192.168.1.102"
                                           << "192.168.1.102 is already used by silent.";
    QTest::newRow("the host interface's") << false << "192.168.1.250"
                                          << "192.168.1.250 is already used by this computer (eth0).";
    QTest::newRow("DHCP chosen") << true << "192.168.1.101" << "";
}

void TestAddrixModel::addressInUseIsWarned()
{
    QFETCH(bool, dhcp);
    QFETCH(QString, address);
    QFETCH(QString, warning);

    SFakeCamera silent = camera("silent", "192.168.1.102");
    silent.opens = false;
    CFakeCameraSystem::instance().addCamera(camera("cam", "192.168.1.100"));
    CFakeCameraSystem::instance().addCamera(camera("KDR-2 (SN1234)", "192.168.1.101"));
    CFakeCameraSystem::instance().addCamera(silent);
    scanAndWait();
    m_model->setDhcpEnabled(dhcp);

    QSignalSpy changed(m_model, &AddrixModel::addressWarningChanged);
    m_model->setIpAddress(address);
    QCOMPARE(m_model->addressWarning(), warning);
    QCOMPARE(changed.count(), warning.isEmpty() ? 0 : 1);
    // A warning, not a refusal: the user may know better.
    QVERIFY(m_model->settingsValid());
    m_model->setIpAddress("192.168.1.78");
    QCOMPARE(m_model->addressWarning(), QString());
    QCOMPARE(changed.count(), warning.isEmpty() ? 0 : 2);
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

void TestAddrixModel::applyShowsWhatTheCameraHolds_data()
{
    QTest::addColumn<bool>("readable");  // the camera can still be read after the failed write
    QTest::addColumn<QStringList>("readBackSignals");
    QTest::addColumn<QString>("outcome");

    // The camera used DHCP; the fixed address is refused after both flags were written.
    // The edits give way to what the camera holds; DHCP was already off among them.
    const QStringList changes { "ipAddressChanged", "subnetMaskChanged", "defaultGatewayChanged",
                                "settingsValidChanged", "selectedDetailsChanged" };
    QTest::newRow("read back") << true << changes
                               << "Applying failed part-way; changed on the camera: DHCP off.";
    QTest::newRow("camera silent after the flags") << false << changes
                                                   << "Applying failed part-way; changed on the camera: DHCP off.";
}

void TestAddrixModel::applyShowsWhatTheCameraHolds()
{
    QFETCH(bool, readable);
    QFETCH(QStringList, readBackSignals);
    QFETCH(QString, outcome);

    CFakeCameraSystem& cameras = CFakeCameraSystem::instance();
    cameras.addCamera(camera("cam", "192.168.1.100", true, false));
    scanAndWait();
    QVERIFY(m_model->dhcpEnabled());
    m_model->setDhcpEnabled(false);
    m_model->setIpAddress("192.168.1.77");
    m_model->setSubnetMask("255.255.0.0");
    m_model->setDefaultGateway("0.0.0.0");
    SFakeFeature address { SFakeFeature::Integer, genicamAddress("192.168.1.10") };
    address.throwOnWrite = true;
    cameras.setFeature("cam", gic::GevPersistentIPAddress, address);
    if (!readable) {
        SFakeFeature current { SFakeFeature::Integer, genicamAddress("192.168.1.100") };
        current.throwOnRead = true;
        cameras.setFeature("cam", gic::GevCurrentIPAddress, current);
    }

    SignalRecorder recorder(m_model);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("apply to cam failed: " + QRegularExpression::escape(outcome)));
    applyAndWait(*m_model);
    const QStringList expected = QStringList { "applyingChanged", "applyingChanged" } + readBackSignals
        + QStringList { "applyFailed" };
    QCOMPARE(recorder.names(), expected);
    QCOMPARE(cameras.featureValue("cam", gic::GevCurrentIPConfigurationDHCP), 0);
    QCOMPARE(m_model->dhcpEnabled(), false);
    QCOMPARE(m_model->ipAddress(), QString("192.168.1.10"));
    QCOMPARE(m_model->subnetMask(), QString("255.255.255.0"));
    QCOMPARE(m_model->defaultGateway(), QString("192.168.1.1"));
    QCOMPARE(m_model->selectedDetails().value("applyOutcome").toString(), outcome);

    // A later apply that succeeds clears the note.
    cameras.setFeature("cam", gic::GevPersistentIPAddress, { SFakeFeature::Integer, genicamAddress("192.168.1.10") });
    cameras.setFeature("cam", gic::GevCurrentIPAddress, { SFakeFeature::Integer, genicamAddress("192.168.1.100") });
    applyAndWait(*m_model);
    QCOMPARE(m_model->selectedDetails().value("applyOutcome").toString(), QString());
}

void TestAddrixModel::forceIpProposal_data()
{
    QTest::addColumn<QString>("interfaceMask");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mask");

    // The host is 192.168.5.1 and another camera sits at 192.168.5.2 (off the /31 too).
    QTest::newRow("/24") << "255.255.255.0" << 0 << "192.168.5.3" << "255.255.255.0";
    QTest::newRow("/30: host and camera fill it") << "255.255.255.252" << 0 << "" << "255.255.255.252";
    QTest::newRow("/31: both ends usable") << "255.255.255.254" << 0 << "192.168.5.0" << "255.255.255.254";
    QTest::newRow("index beyond the list") << "255.255.255.0" << 1 << "" << "";
    QTest::newRow("negative index") << "255.255.255.0" << -1 << "" << "";
}

void TestAddrixModel::forceIpProposal()
{
    QFETCH(QString, interfaceMask);
    QFETCH(int, index);
    QFETCH(QString, address);
    QFETCH(QString, mask);

    addNeighbourAndLostCamera(interfaceMask.toStdString());
    scanAndWait();

    QCOMPARE(m_model->proposeForceIpAddress(index), address);
    QCOMPARE(m_model->proposeForceIpSubnetMask(index), mask);
}

void TestAddrixModel::forceIpOutcome_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<QString>("message"); // empty: acknowledged
    QTest::addColumn<bool>("sent");

    QTest::newRow("taken") << "192.168.5.3" << "255.255.255.0" << "0.0.0.0" << true << "" << true;
    QTest::newRow("with a gateway") << "192.168.5.3" << "255.255.255.0" << "192.168.5.1" << true << "" << true;
    QTest::newRow("no acknowledgement") << "192.168.5.3" << "255.255.255.0" << "0.0.0.0" << false
                                        << "The camera did not answer." << true;
    QTest::newRow("the host's address") << "192.168.5.1" << "255.255.255.0" << "0.0.0.0" << true
                                        << "192.168.5.1 is already in use." << false;
    QTest::newRow("another camera's") << "192.168.5.2" << "255.255.255.0" << "0.0.0.0" << true
                                      << "192.168.5.2 is already in use." << false;
    QTest::newRow("not an address") << "192.168.5" << "255.255.255.0" << "0.0.0.0" << true
                                    << "192.168.5 is not a valid address." << false;
    QTest::newRow("broadcast") << "192.168.5.255" << "255.255.255.0" << "0.0.0.0" << true
                               << "192.168.5.255 is the network or broadcast address of its subnet." << false;
    QTest::newRow("odd mask") << "192.168.5.3" << "255.0.255.0" << "0.0.0.0" << true
                              << "255.0.255.0 is not a valid subnet mask." << false;
    QTest::newRow("another subnet") << "192.168.6.3" << "255.255.255.0" << "0.0.0.0" << true
                                    << "192.168.6.3 is not on the subnet of this computer's interface eth0 "
                                       "(192.168.5.0/24)."
                                    << false;
}

void TestAddrixModel::forceIpOutcome()
{
    QFETCH(QString, address);
    QFETCH(QString, mask);
    QFETCH(QString, gateway);
    QFETCH(bool, answers);
    QFETCH(QString, message);
    QFETCH(bool, sent);

    addNeighbourAndLostCamera("255.255.255.0", answers);
    scanAndWait();
    QCOMPARE(m_model->cameras(), QStringList { "neighbour" });

    QSignalSpy succeeded(m_model, &AddrixModel::forceIpSucceeded);
    QSignalSpy failed(m_model, &AddrixModel::forceIpFailed);
    QSignalSpy forcing(m_model, &AddrixModel::forcingChanged);
    m_model->forceIp(0, address, mask, gateway);
    QCOMPARE(m_model->forcing(), sent);
    QTRY_COMPARE(succeeded.count() + failed.count(), 1);
    QCOMPARE(forcing.count(), sent ? 2 : 0);
    QCOMPARE(linesStartingWith("forceip "),
             sent ? QStringList { QString("forceip lost %1 %2 %3").arg(address, mask, gateway) } : QStringList());
    if (!message.isEmpty()) {
        QCOMPARE(failed.at(0).at(0).toString(), message);
        QCOMPARE(m_model->unconfigurableCameras().size(), 1);
        return;
    }
    // Acknowledged: the rescan finds the camera where it can be configured.
    QTRY_VERIFY(!m_model->scanning());
    QCOMPARE(linesStartingWith("discover ").size(), 2);
    QCOMPARE(m_model->cameras(), (QStringList { "neighbour", "lost" }));
    QVERIFY(m_model->unconfigurableCameras().isEmpty());
    m_model->setSelectedCamera(1);
    QCOMPARE(m_model->currentIP(), address);
}

QTEST_GUILESS_MAIN(TestAddrixModel)
#include "tst_addrixmodel.moc"
