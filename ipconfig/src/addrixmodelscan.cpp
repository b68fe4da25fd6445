// The camera scan: scan() on the GUI thread, DoScan() on a pool thread,
// doneScanning() back on the GUI thread.
#include "addrixmodel.h"
#include "cameraconnection.h"
#include "camerastate.h"
#include "ipaddressvalue.h"

#include <zelk/cam/cam.h>

#include <QException>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

using namespace zelk;
using namespace zelk::cam;

namespace {

const char* const transportNames[] = { "PureGEV", "VskGenTL", "GigE-Vision" };
const char* const cameraFamilies[] = { "KDR-1", "KDR-2", "KDR-3", "KDR-4", "Quorin" };
constexpr int keepCachedInterfaces = 0;
constexpr int discoveryRounds = 1;

// Why a camera is listed apart; the window shows the matching text.
const char* const reasonUnreachable = "unreachable";
const char* const reasonControlled = "controlled";
const char* const reasonNoAnswer = "noAnswer";
const char* const reasonNoIpFeatures = "noIpFeatures";

// On the subnet of the host interface it answered on; assumed so when that is unknown.
bool reachable(const SDeviceInfo& device)
{
    const auto mask = dns::CIPv4Address::FromValue(device.raw.interfaceMask);
    const auto host = dns::CIPv4Address::FromValue(device.raw.interfaceAddress);
    std::optional<dns::CIPv4Address> address = dns::CIPv4Address::FromValue(device.raw.ipAddress);
    if (device.raw.ipAddress == 0)
        address = dns::CIPv4Address::Parse(device.address.c_str());
    if (mask == dns::CIPv4Address() || host == dns::CIPv4Address() || !address)
        return true;
    return address->SameSubnet(host, mask);
}

} // namespace

void AddrixModel::scan()
{
    if (m_scanning)
        return;
    m_settings.clear();
    m_cameras.clear();
    m_unconfigurable.clear();
    m_selectedCamera = -1;
    emit camerasChanged();
    announceSelection();
    emit unconfigurableCamerasChanged();

    m_scanning = true;
    emit scanningChanged();
    m_scanWatcher.setFuture(QtConcurrent::run(QThreadPool::globalInstance(), [this] { return DoScan(); }));
}

AddrixModel::SScanResult AddrixModel::DoScan()
{
    IInterfaces* registry = interfaces();

    TArray<CString> transports;
    for (const char* name : transportNames) {
        if (registry->find(CString(name))) {
            transports.Add(CString(name));
            break;
        }
    }

    TArray<CString> families;
    for (const char* family : cameraFamilies)
        families.Add(CString(family));

    registry->refresh(keepCachedInterfaces);
    TArray<SDeviceInfo> devices;
    registry->discover(devices, transports, discoveryRounds);
    TArray<SCameraInfo> found;
    zelk::cam::cameras()->match(found, devices, families);

    SScanResult scanned;
    scanned.hostInterfaces = dns::HostInterfaces();
    TSharedPtr<IDevice> device;
    for (const SCameraInfo& record : found) {
        SCameraInfo camera = record;
        SIpSettings entry;
        const auto setAside = [&scanned, &camera](const char* reasonCode) {
            scanned.unconfigurable.append({ camera, QString::fromLatin1(reasonCode) });
        };

        // Opening a camera the host cannot route to would only wait out a timeout.
        if (!reachable(camera.deviceInfo)) {
            setAside(reasonUnreachable);
            continue;
        }

        // A transport the library reported but no longer resolves: nothing answers there.
        device = cameraconnection::createDevice(camera.deviceInfo);
        if (!device) {
            setAside(reasonNoAnswer);
            continue;
        }

        cameraconnection::selectGenICamControl(camera.deviceInfo);
        if (!device->open(camera.deviceInfo, cameraconnection::accessMode)) {
            setAside(device->openFailure() == EOpenFailure::ControlledElsewhere ? reasonControlled : reasonNoAnswer);
            continue;
        }
        entry.cameraInfo = camera;
        entry.dhcpEnabled = false;

        TSharedPtr<gic::IGenICam> genICam = device->genICam(cameraconnection::ownFeatureTree);
        if (!genICam) {
            setAside(reasonNoIpFeatures);
            continue;
        }
        switch (camerastate::read(*genICam, entry)) {
        case camerastate::EReadOutcome::Read:
            scanned.cameras.append(entry);
            break;
        case camerastate::EReadOutcome::MissingFeatures:
            setAside(reasonNoIpFeatures);
            break;
        case camerastate::EReadOutcome::ReadFailed:
            setAside(reasonNoAnswer);
            break;
        }
    }
    return scanned;
}

void AddrixModel::doneScanning()
{
    try {
        SScanResult scanned = m_scanWatcher.future().result();
        m_settings = std::move(scanned.cameras);
        m_unconfigurable = std::move(scanned.unconfigurable);
        m_hostInterfaces = std::move(scanned.hostInterfaces);
    } catch (const QException&) {
        // The worker failed outside its guarded reads; QtConcurrent hands whatever it
        // threw over as a QException (QUnhandledException for a standard one). List nothing.
        m_settings.clear();
        m_unconfigurable.clear();
    }
    for (const SIpSettings& entry : std::as_const(m_settings))
        m_cameras.append(QString::fromUtf8(entry.cameraInfo.displayName.c_str()));
    emit camerasChanged();
    emit unconfigurableCamerasChanged();
    setSelectedCamera(0);
    m_scanning = false;
    emit scanningChanged();

    if (m_rescanWanted) {
        // A camera took a temporary address while this scan ran: it may have been missed.
        m_rescanWanted = false;
        scan();
    }
}
