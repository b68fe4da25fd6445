// The camera scan: scan() on the GUI thread, DoScan() on a pool thread,
// doneScanning() back on the GUI thread.
#include "addrixmodel.h"
#include "cameraconnection.h"
#include "ipaddressvalue.h"

#include <zelk/cam/cam.h>
#include <zelk/cam/gic/ipfeatures.h>

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

template <typename Feature> TSharedPtr<Feature> lookUp(gic::IGenICam& genICam, const char* name)
{
    return genICam.feature(name).template dynamicCast<Feature>();
}

} // namespace

void AddrixModel::scan()
{
    if (m_scanning)
        return;
    m_settings.clear();
    m_cameras.clear();
    m_selectedCamera = -1;
    emit camerasChanged();
    announceSelection();

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
    QList<SIpSettings>& result = scanned.cameras;
    TSharedPtr<IDevice> device;
    for (const SCameraInfo& record : found) {
        SCameraInfo camera = record;
        SIpSettings entry;

        // A transport the library reported but no longer resolves leaves the camera out.
        device = cameraconnection::createDevice(camera.deviceInfo);
        if (!device)
            continue;

        cameraconnection::selectGenICamControl(camera.deviceInfo);
        if (!device->open(camera.deviceInfo, cameraconnection::accessMode))
            continue;
        entry.cameraInfo = camera;
        entry.dhcpEnabled = false;

        TSharedPtr<gic::IGenICam> genICam = device->genICam(cameraconnection::ownFeatureTree);
        if (!genICam)
            continue;

        // All six are looked up even when one is missing, as a camera's log shows them together.
        TSharedPtr<gic::IInteger> current = lookUp<gic::IInteger>(*genICam, gic::GevCurrentIPAddress);
        TSharedPtr<gic::IInteger> persistentIP = lookUp<gic::IInteger>(*genICam, gic::GevPersistentIPAddress);
        TSharedPtr<gic::IInteger> mask = lookUp<gic::IInteger>(*genICam, gic::GevPersistentSubnetMask);
        TSharedPtr<gic::IInteger> gateway = lookUp<gic::IInteger>(*genICam, gic::GevPersistentDefaultGateway);
        TSharedPtr<gic::IBoolean> dhcp = lookUp<gic::IBoolean>(*genICam, gic::GevCurrentIPConfigurationDHCP);
        TSharedPtr<gic::IBoolean> persistent
            = lookUp<gic::IBoolean>(*genICam, gic::GevCurrentIPConfigurationPersistentIP);
        if (!current || !persistentIP || !mask || !gateway || !dhcp || !persistent)
            continue;

        try {
            const QString currentText = addressText(current->getValue());
            const QString addressTextValue = addressText(persistentIP->getValue());
            const QString maskText = addressText(mask->getValue());
            const QString gatewayText = addressText(gateway->getValue());
            entry.dhcpEnabled = dhcp->getValue() && !persistent->getValue();
            entry.currentIP = currentText;
            entry.ipAddress = addressTextValue;
            entry.subnetMask = maskText;
            entry.defaultGateway = gatewayText;
            result.append(entry);
        } catch (...) {
            // A camera that cannot be read is simply not listed.
        }
    }
    return scanned;
}

void AddrixModel::doneScanning()
{
    try {
        m_settings = m_scanWatcher.future().result().cameras;
    } catch (const QException&) {
        // The worker failed outside its guarded reads; QtConcurrent hands whatever it
        // threw over as a QException (QUnhandledException for a standard one). List nothing.
        m_settings.clear();
    }
    for (const SIpSettings& entry : std::as_const(m_settings))
        m_cameras.append(QString::fromUtf8(entry.cameraInfo.displayName.c_str()));
    emit camerasChanged();
    setSelectedCamera(0);
    m_scanning = false;
    emit scanningChanged();
}
