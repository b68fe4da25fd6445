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

// On the subnet of the host interface it answered on; assumed so when that is unknown.
bool reachable(const SDeviceInfo& device)
{
    const std::optional<dns::SHostInterface> host = answeredOn(device);
    const std::optional<dns::CIPv4Address> address = deviceAddress(device);
    return !host || !address || host->Holds(*address);
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
    m_scanWatcher.setFuture(QtConcurrent::run(QThreadPool::globalInstance(), &AddrixModel::DoScan));
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
        const auto setAside = [&scanned, &camera](EUnconfigurable reason) {
            scanned.unconfigurable.append({ camera, reason });
        };

        // Opening a camera the host cannot route to would only wait out a timeout.
        if (!reachable(camera.deviceInfo)) {
            setAside(EUnconfigurable::Unreachable);
            continue;
        }

        // A transport the library reported but no longer resolves: nothing answers there.
        device = cameraconnection::createDevice(camera.deviceInfo);
        if (!device) {
            setAside(EUnconfigurable::NoAnswer);
            continue;
        }

        cameraconnection::selectGenICamControl(camera.deviceInfo);
        if (!device->open(camera.deviceInfo, cameraconnection::accessMode)) {
            setAside(device->openFailure() == EOpenFailure::ControlledElsewhere ? EUnconfigurable::Controlled
                                                                                : EUnconfigurable::NoAnswer);
            continue;
        }
        entry.cameraInfo = camera;
        entry.dhcpEnabled = false;

        TSharedPtr<gic::IGenICam> genICam = device->genICam(cameraconnection::ownFeatureTree);
        if (!genICam) {
            setAside(EUnconfigurable::NoIpFeatures);
            continue;
        }
        switch (camerastate::read(*genICam, entry)) {
        case camerastate::EReadOutcome::Read:
            scanned.cameras.append(entry);
            break;
        case camerastate::EReadOutcome::MissingFeatures:
            setAside(EUnconfigurable::NoIpFeatures);
            break;
        case camerastate::EReadOutcome::ReadFailed:
            setAside(EUnconfigurable::NoAnswer);
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
