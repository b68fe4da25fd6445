// Writing the selected camera's IP configuration: apply() on the GUI thread,
// DoApply() on a pool thread, doneApplying() back on the GUI thread.
#include "addrixmodel.h"
#include "cameraconnection.h"
#include "camerastate.h"
#include "ipaddressvalue.h"

#include <zelk/cam/cam.h>
#include <zelk/cam/gic/ipfeatures.h>

#include <QException>
#include <QLoggingCategory>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <functional>

using namespace zelk;
using namespace zelk::cam;

namespace {

const char* const addressParameter = "IP";

// The texts passed settingsValid() before the copy was taken.
std::int64_t genicamValue(const QString& text)
{
    return parseAddress(text).value_or(dns::CIPv4Address()).Value();
}

Q_LOGGING_CATEGORY(lcApply, "addrix.apply", QtWarningMsg)

// The entry as the camera was last known to hold it, edits set aside.
AddrixModel::SIpSettings lastKnown(AddrixModel::SIpSettings settings)
{
    settings.editHeld();
    return settings;
}

// What the camera holds after taking the first `taken` writes of `wanted`, in the order
// they are made: DHCP flag, persistent-IP flag, address, mask, gateway.
AddrixModel::SIpSettings afterWrites(AddrixModel::SIpSettings known, const AddrixModel::SIpSettings& wanted,
                                     int taken)
{
    // With the DHCP flag off the camera no longer uses DHCP, whatever the other flag holds.
    if (taken >= 2 || (taken == 1 && !wanted.dhcpEnabled))
        known.dhcpEnabled = wanted.dhcpEnabled;
    if (taken >= 3)
        known.ipAddress = wanted.ipAddress;
    if (taken >= 4)
        known.subnetMask = wanted.subnetMask;
    if (taken >= 5)
        known.defaultGateway = wanted.defaultGateway;
    known.holdEdited();
    return known;
}

// "Applying failed part-way; changed on the camera: DHCP off, persistent IP address 10.1.2.3."
QString describeChanges(const AddrixModel::SIpSettings& before, const AddrixModel::SIpSettings& after)
{
    QStringList changes;
    if (before.held.dhcpEnabled != after.held.dhcpEnabled)
        changes.append(after.held.dhcpEnabled ? AddrixModel::tr("DHCP on") : AddrixModel::tr("DHCP off"));
    if (before.held.ipAddress != after.held.ipAddress)
        changes.append(AddrixModel::tr("persistent IP address %1").arg(after.held.ipAddress));
    if (before.held.subnetMask != after.held.subnetMask)
        changes.append(AddrixModel::tr("persistent subnet mask %1").arg(after.held.subnetMask));
    if (before.held.defaultGateway != after.held.defaultGateway)
        changes.append(AddrixModel::tr("persistent default gateway %1").arg(after.held.defaultGateway));
    if (changes.isEmpty())
        return QString();
    return AddrixModel::tr("Applying failed part-way; changed on the camera: %1.").arg(changes.join(QLatin1String(", ")));
}

} // namespace

void AddrixModel::apply()
{
    if (m_applying || !hasSelection() || !settingsValid())
        return;
    m_applying = true;
    emit applyingChanged();
    const SIpSettings settings = m_settings.at(m_selectedCamera);
    m_applyingCamera = m_selectedCamera;
    m_applyingDevice = QByteArray(settings.cameraInfo.deviceInfo.deviceId.c_str());
    m_applyWatcher.setFuture(
        QtConcurrent::run(QThreadPool::globalInstance(), [settings] { return DoApply(settings); }));
}

AddrixModel::SApplyResult AddrixModel::DoApply(SIpSettings settings)
{
    SApplyResult outcome;
    // Until the camera is read again it holds what it was last known to hold.
    outcome.settings = lastKnown(settings);

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
    const std::function<bool()> writes[] = {
        [&] { return dhcp->setValue(settings.dhcpEnabled); },
        [&] { return persistent->setValue(!settings.dhcpEnabled); },
        [&] { return address->setValue(addressValue); },
        [&] { return mask->setValue(maskValue); },
        [&] { return gateway->setValue(gatewayValue); },
    };
    int taken = 0;
    try {
        for (const std::function<bool()>& write : writes) {
            if (!write())
                break;
            ++taken;
        }
    } catch (...) {
        // The camera stopped answering or refused: the writes it took stay taken.
    }
    outcome.succeeded = taken == int(std::size(writes));

    // Show what the camera holds now; when it cannot be read, what it took is still known.
    SIpSettings readBack = settings;
    if (camerastate::read(*genICam, readBack) == camerastate::EReadOutcome::Read)
        outcome.settings = readBack;
    else
        outcome.settings = afterWrites(outcome.settings, settings, taken);

    // Drop the references last looked up first, then the tree, then the device.
    persistent.reset();
    dhcp.reset();
    gateway.reset();
    mask.reset();
    address.reset();
    genICam.reset();
    device.reset();
    return outcome;
}

void AddrixModel::doneApplying()
{
    m_applying = false;
    emit applyingChanged();
    SApplyResult result;
    try {
        result = m_applyWatcher.future().result();
        takeAppliedState(result);
    } catch (const QException&) {
        // The worker failed outside its guarded writes: report it like any failed apply.
        result.succeeded = false;
    }
    if (!result.succeeded)
        emit applyFailed();
}

void AddrixModel::takeAppliedState(const SApplyResult& result)
{
    // A rescan while applying replaced the list: the camera's new entry was read afresh.
    if (m_applyingCamera < 0 || m_applyingCamera >= m_settings.size()
        || QByteArray(m_settings.at(m_applyingCamera).cameraInfo.deviceInfo.deviceId.c_str()) != m_applyingDevice)
        return;
    const bool selected = m_applyingCamera == m_selectedCamera;
    const QVariantMap detailsBefore = selectedDetails();
    SIpSettings& entry = m_settings[m_applyingCamera];
    const SIpSettings before = entry;
    const SIpSettings& now = result.settings;

    const QString changes = result.succeeded ? QString() : describeChanges(before, now);
    if (!changes.isEmpty())
        qCWarning(lcApply).noquote() << "apply to" << entry.cameraInfo.displayName.c_str() << "failed:" << changes;

    entry.currentIP = now.currentIP;
    entry.dhcpEnabled = now.dhcpEnabled;
    entry.ipAddress = now.ipAddress;
    entry.subnetMask = now.subnetMask;
    entry.defaultGateway = now.defaultGateway;
    entry.currentSubnetMask = now.currentSubnetMask;
    entry.currentDefaultGateway = now.currentDefaultGateway;
    entry.linkLocal = now.linkLocal;
    entry.held = now.held;
    entry.applyOutcome = changes;
    if (!selected)
        return;

    bool changed = false;
    const auto announce = [&changed, this](bool differs, void (AddrixModel::*signal)()) {
        if (differs) {
            changed = true;
            emit(this->*signal)();
        }
    };
    announce(before.currentIP != entry.currentIP, &AddrixModel::currentIPChanged);
    announce(before.dhcpEnabled != entry.dhcpEnabled, &AddrixModel::dhcpEnabledChanged);
    announce(before.ipAddress != entry.ipAddress, &AddrixModel::ipAddressChanged);
    announce(before.subnetMask != entry.subnetMask, &AddrixModel::subnetMaskChanged);
    announce(before.defaultGateway != entry.defaultGateway, &AddrixModel::defaultGatewayChanged);
    if (changed)
        emit settingsValidChanged();
    if (selectedDetails() != detailsBefore)
        emit selectedDetailsChanged();
    updateAddressWarning();
}
