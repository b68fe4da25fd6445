// Writing the selected camera's IP configuration: apply() on the GUI thread,
// DoApply() on a pool thread, doneApplying() back on the GUI thread.
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

const char* const addressParameter = "IP";

// The texts passed settingsValid() before the copy was taken.
std::int64_t genicamValue(const QString& text)
{
    return parseAddress(text).value_or(dns::CIPv4Address()).Value();
}

} // namespace

void AddrixModel::apply()
{
    if (m_applying || !hasSelection() || !settingsValid())
        return;
    m_applying = true;
    emit applyingChanged();
    const SIpSettings settings = m_settings.at(m_selectedCamera);
    m_applyWatcher.setFuture(
        QtConcurrent::run(QThreadPool::globalInstance(), [this, settings] { return DoApply(settings); }));
}

AddrixModel::SApplyResult AddrixModel::DoApply(SIpSettings settings)
{
    SApplyResult outcome;
    SDeviceInfo& deviceInfo = settings.cameraInfo.deviceInfo;
    if (!settings.dhcpEnabled)
        deviceInfo.parameters[CString(addressParameter)].setValue(CVariant(settings.ipAddress.toUtf8().constData()));

    TSharedPtr<IDevice> device = cameraconnection::createDevice(deviceInfo);
    if (!device)
        return outcome;

    cameraconnection::selectGenICamControl(deviceInfo);
    if (!device->open(deviceInfo, cameraconnection::accessMode))
        return outcome;
    TSharedPtr<gic::IGenICam> genICam = device->genICam(cameraconnection::ownFeatureTree);
    if (!genICam)
        return outcome;

    TSharedPtr<gic::IInteger> address
        = genICam->feature(gic::GevPersistentIPAddress).dynamicCast<gic::IInteger>();
    TSharedPtr<gic::IInteger> mask
        = genICam->feature(gic::GevPersistentSubnetMask).dynamicCast<gic::IInteger>();
    TSharedPtr<gic::IInteger> gateway
        = genICam->feature(gic::GevPersistentDefaultGateway).dynamicCast<gic::IInteger>();
    TSharedPtr<gic::IBoolean> dhcp
        = genICam->feature(gic::GevCurrentIPConfigurationDHCP).dynamicCast<gic::IBoolean>();
    TSharedPtr<gic::IBoolean> persistent
        = genICam->feature(gic::GevCurrentIPConfigurationPersistentIP).dynamicCast<gic::IBoolean>();
    if (!address || !mask || !gateway || !dhcp || !persistent)
        return outcome;

    const std::int64_t addressValue = genicamValue(settings.ipAddress);
    const std::int64_t maskValue = genicamValue(settings.subnetMask);
    const std::int64_t gatewayValue = genicamValue(settings.defaultGateway);

    // A write the camera rejects counts as a failure too, or a refused address would be
    // reported as applied; either way the remaining writes are skipped.
    bool written = false;
    try {
        written = dhcp->setValue(settings.dhcpEnabled) && persistent->setValue(!settings.dhcpEnabled)
            && address->setValue(addressValue) && mask->setValue(maskValue) && gateway->setValue(gatewayValue);
    } catch (...) {
        written = false;
    }

    // Drop the references last looked up first, then the tree, then the device.
    persistent.reset();
    dhcp.reset();
    gateway.reset();
    mask.reset();
    address.reset();
    genICam.reset();
    device.reset();
    outcome.succeeded = written;
    return outcome;
}

void AddrixModel::doneApplying()
{
    m_applying = false;
    emit applyingChanged();
    bool succeeded = false;
    try {
        succeeded = m_applyWatcher.future().result().succeeded;
    } catch (const QException&) {
        // The worker failed outside its guarded writes: report it like any failed apply.
        succeeded = false;
    }
    if (!succeeded)
        emit applyFailed();
}
