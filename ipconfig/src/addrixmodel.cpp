#include "addrixmodel.h"
#include "ipaddressvalue.h"

#include <zelk/cam/cam.h>

#include <dns/dns.h>

#include <QException>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

using namespace zelk;
using namespace zelk::cam;

namespace {

constexpr int forceIpTimeoutMs = 3000;

QString text(const CString& value)
{
    return QString::fromUtf8(value.c_str());
}

// The first non-empty of two texts: the recogniser's record, else discovery's.
QString either(const CString& first, const CString& second)
{
    return first.empty() ? text(second) : text(first);
}

// What the window shows for a camera listed apart, and its code for the window to tell them apart by.
QString reasonText(AddrixModel::EUnconfigurable reason)
{
    switch (reason) {
    case AddrixModel::EUnconfigurable::Unreachable:
        return AddrixModel::tr("Not on the subnet of any of this computer's network interfaces");
    case AddrixModel::EUnconfigurable::Controlled:
        return AddrixModel::tr("Controlled by another program");
    case AddrixModel::EUnconfigurable::NoIpFeatures:
        return AddrixModel::tr("Lacks the IP configuration features");
    case AddrixModel::EUnconfigurable::NoAnswer:
        break;
    }
    return AddrixModel::tr("Does not answer");
}

QString reasonCode(AddrixModel::EUnconfigurable reason)
{
    switch (reason) {
    case AddrixModel::EUnconfigurable::Unreachable:
        return QStringLiteral("unreachable");
    case AddrixModel::EUnconfigurable::Controlled:
        return QStringLiteral("controlled");
    case AddrixModel::EUnconfigurable::NoIpFeatures:
        return QStringLiteral("noIpFeatures");
    case AddrixModel::EUnconfigurable::NoAnswer:
        break;
    }
    return QStringLiteral("noAnswer");
}

// The host interface the camera answered on, when its subnet is known.
std::optional<dns::SHostInterface> answeredSubnet(const SDeviceInfo& device)
{
    std::optional<dns::SHostInterface> host = answeredOn(device);
    if (host && host->mask == dns::CIPv4Address())
        host.reset();
    return host;
}

// "192.168.1.0/24" for the subnet of the host interface the camera answered on.
QString hostSubnet(const SDeviceInfo& device)
{
    const std::optional<dns::SHostInterface> host = answeredSubnet(device);
    return host ? QString::fromLatin1(host->Subnet().data()) : QString();
}

QString cameraName(const SCameraInfo& camera)
{
    if (!camera.displayName.empty())
        return text(camera.displayName);
    const QString model = either(camera.modelName, camera.deviceInfo.modelName);
    const QString serial = either(camera.serialNumber, camera.deviceInfo.serialNumber);
    return serial.isEmpty() ? model : QStringLiteral("%1 (%2)").arg(model, serial);
}

// Why a fixed address cannot be given to a camera, empty when it can: the camera would
// be unreachable with it, or take a network's or a broadcast's role.
QString fixedAddressProblem(dns::CIPv4Address address, dns::CIPv4Address mask, dns::CIPv4Address gateway)
{
    const QString addressText = QString::fromLatin1(address.Text().data());
    if (address == dns::CIPv4Address() || address.IsMulticast() || address.IsLimitedBroadcast())
        return AddrixModel::tr("%1 is not a valid address.").arg(addressText);
    if (mask == dns::CIPv4Address() || !mask.IsContiguousMask())
        return AddrixModel::tr("%1 is not a valid subnet mask.").arg(QString::fromLatin1(mask.Text().data()));
    // On /31 and /32 links every address is a host's.
    if (mask.OneBits() < 31 && (address == address.Network(mask) || address == address.Broadcast(mask)))
        return AddrixModel::tr("%1 is the network or broadcast address of its subnet.").arg(addressText);
    if (gateway != dns::CIPv4Address() && !gateway.SameSubnet(address, mask))
        return AddrixModel::tr("The gateway %1 is not in the subnet of %2.")
            .arg(QString::fromLatin1(gateway.Text().data()), addressText);
    return QString();
}

} // namespace

AddrixModel::AddrixModel(QObject* parent) : QObject(parent)
{
    connect(&m_scanWatcher, SIGNAL(finished()), this, SLOT(doneScanning()));
    connect(&m_applyWatcher, SIGNAL(finished()), this, SLOT(doneApplying()));
    connect(&m_forceWatcher, SIGNAL(finished()), this, SLOT(doneForcing()));
}

bool AddrixModel::hasSelection() const
{
    return m_selectedCamera >= 0 && m_selectedCamera < m_settings.size();
}

const AddrixModel::SIpSettings* AddrixModel::selectedEntry() const
{
    return hasSelection() ? &m_settings.at(m_selectedCamera) : nullptr;
}

AddrixModel::SIpSettings* AddrixModel::selectedEntry()
{
    return hasSelection() ? &m_settings[m_selectedCamera] : nullptr;
}

QStringList AddrixModel::cameras() const
{
    return m_cameras;
}

int AddrixModel::selectedCamera() const
{
    return hasSelection() ? m_selectedCamera : -1;
}

QString AddrixModel::currentIP() const
{
    const SIpSettings* entry = selectedEntry();
    return entry ? entry->currentIP : QString();
}

bool AddrixModel::dhcpEnabled() const
{
    const SIpSettings* entry = selectedEntry();
    return entry && entry->dhcpEnabled;
}

QString AddrixModel::ipAddress() const
{
    const SIpSettings* entry = selectedEntry();
    return entry ? entry->ipAddress : QString();
}

QString AddrixModel::subnetMask() const
{
    const SIpSettings* entry = selectedEntry();
    return entry ? entry->subnetMask : QString();
}

QString AddrixModel::defaultGateway() const
{
    const SIpSettings* entry = selectedEntry();
    return entry ? entry->defaultGateway : QString();
}

bool AddrixModel::scanning() const
{
    return m_scanning;
}

bool AddrixModel::applying() const
{
    return m_applying;
}

QString AddrixModel::recommendedSubnetMask() const
{
    const SIpSettings* entry = selectedEntry();
    if (!entry)
        return QString();
    // The text belongs to the address helpers; it is neither kept nor freed here.
    const char* mask = GetSubnetMask(entry->ipAddress.toUtf8().constData());
    return mask ? QString::fromUtf8(mask) : QString();
}

bool AddrixModel::settingsValid() const
{
    const SIpSettings* entry = selectedEntry();
    if (!entry)
        return false;
    const std::optional<dns::CIPv4Address> address = parseAddress(entry->ipAddress);
    if (!address)
        return false;
    const std::optional<dns::CIPv4Address> mask = parseAddress(entry->subnetMask);
    const std::optional<dns::CIPv4Address> gateway = parseAddress(entry->defaultGateway);
    if (!mask || !gateway)
        return false;
    if (entry->dhcpEnabled)
        return true;
    return fixedAddressProblem(*address, *mask, *gateway).isEmpty();
}

void AddrixModel::setSelectedCamera(int index)
{
    if (index < 0 || index >= m_cameras.size() || index == m_selectedCamera)
        return;
    m_selectedCamera = index;
    announceSelection();
}

void AddrixModel::announceSelection()
{
    emit selectedCameraChanged();
    emit currentIPChanged();
    emit dhcpEnabledChanged();
    emit ipAddressChanged();
    emit subnetMaskChanged();
    emit defaultGatewayChanged();
    emit settingsValidChanged();
    emit selectedDetailsChanged();
    m_addressWarning = computeAddressWarning();
    emit addressWarningChanged();
}

void AddrixModel::setDhcpEnabled(bool enabled)
{
    SIpSettings* entry = selectedEntry();
    if (!entry || entry->dhcpEnabled == enabled)
        return;
    entry->dhcpEnabled = enabled;
    emit dhcpEnabledChanged();
    emit settingsValidChanged();
    updateAddressWarning();
}

void AddrixModel::setSelectedText(QString SIpSettings::*field, QString value, void (AddrixModel::*changed)())
{
    SIpSettings* entry = selectedEntry();
    if (!entry || entry->*field == value)
        return;
    entry->*field = std::move(value);
    emit(this->*changed)();
    emit settingsValidChanged();
    updateAddressWarning();
}

void AddrixModel::setIpAddress(QString address)
{
    setSelectedText(&SIpSettings::ipAddress, std::move(address), &AddrixModel::ipAddressChanged);
}

void AddrixModel::setSubnetMask(QString mask)
{
    setSelectedText(&SIpSettings::subnetMask, std::move(mask), &AddrixModel::subnetMaskChanged);
}

void AddrixModel::setDefaultGateway(QString gateway)
{
    setSelectedText(&SIpSettings::defaultGateway, std::move(gateway), &AddrixModel::defaultGatewayChanged);
}

QVariantList AddrixModel::unconfigurableCameras() const
{
    QVariantList list;
    for (const SUnconfigurable& camera : m_unconfigurable) {
        const SCameraInfo& info = camera.cameraInfo;
        const SDeviceInfo& device = info.deviceInfo;
        const QString mac = either(info.macAddress, device.macAddress);
        list.append(QVariantMap {
            { QStringLiteral("displayName"), text(info.displayName) },
            { QStringLiteral("model"), either(info.modelName, device.modelName) },
            { QStringLiteral("serial"), either(info.serialNumber, device.serialNumber) },
            { QStringLiteral("macAddress"), mac },
            { QStringLiteral("address"), either(device.address, info.address) },
            { QStringLiteral("hostInterface"), text(device.hostInterface) },
            { QStringLiteral("hostSubnet"), hostSubnet(device) },
            { QStringLiteral("reason"), reasonText(camera.reason) },
            { QStringLiteral("reasonCode"), reasonCode(camera.reason) },
            { QStringLiteral("canForceIp"),
                camera.reason == EUnconfigurable::Unreachable && !mac.isEmpty()
                    && answeredSubnet(device).has_value() },
        });
    }
    return list;
}

QString AddrixModel::unconfigurableSummary() const
{
    const qsizetype count = m_unconfigurable.size();
    if (count == 0)
        return QString();
    if (count == 1)
        return tr("1 more camera cannot be configured");
    return tr("%1 more cameras cannot be configured").arg(count);
}

QVariantMap AddrixModel::selectedDetails() const
{
    const SIpSettings* entry = selectedEntry();
    if (!entry)
        return {};
    const SCameraInfo& info = entry->cameraInfo;
    return QVariantMap {
        { QStringLiteral("macAddress"), either(info.macAddress, info.deviceInfo.macAddress) },
        { QStringLiteral("currentIP"), entry->currentIP },
        { QStringLiteral("currentSubnetMask"), entry->currentSubnetMask },
        { QStringLiteral("currentDefaultGateway"), entry->currentDefaultGateway },
        { QStringLiteral("hostInterface"), text(info.deviceInfo.hostInterface) },
        { QStringLiteral("hostSubnet"), hostSubnet(info.deviceInfo) },
        { QStringLiteral("linkLocal"), entry->linkLocal },
        { QStringLiteral("note"), tr("Persistent settings take effect when the camera restarts.") },
        { QStringLiteral("applyOutcome"), entry->applyOutcome },
    };
}

QString AddrixModel::addressWarning() const
{
    return m_addressWarning;
}

bool AddrixModel::forcing() const
{
    return m_forcing;
}

QString AddrixModel::computeAddressWarning() const
{
    const SIpSettings* entry = selectedEntry();
    if (!entry || entry->dhcpEnabled)
        return QString();
    const std::optional<dns::CIPv4Address> address = parseAddress(entry->ipAddress);
    if (!address)
        return QString();
    const QString user = addressUser(address->Value(), m_selectedCamera);
    if (user.isEmpty())
        return QString();
    return tr("%1 is already used by %2.").arg(QString::fromLatin1(address->Text().data()), user);
}

void AddrixModel::updateAddressWarning()
{
    QString warning = computeAddressWarning();
    if (warning == m_addressWarning)
        return;
    m_addressWarning = std::move(warning);
    emit addressWarningChanged();
}

QString AddrixModel::addressUser(std::uint32_t value, int exceptCamera) const
{
    const auto address = dns::CIPv4Address::FromValue(value);
    for (const dns::SHostInterface& host : m_hostInterfaces)
        if (host.address == address)
            return tr("this computer (%1)").arg(QString::fromStdString(host.name));
    // Interfaces cameras answered on, which the system list may lack (or name otherwise).
    const auto hostOf = [&address](const SDeviceInfo& device) {
        const std::optional<dns::SHostInterface> host = answeredOn(device);
        return host && host->address == address;
    };
    for (const SIpSettings& entry : m_settings)
        if (hostOf(entry.cameraInfo.deviceInfo))
            return tr("this computer (%1)").arg(text(entry.cameraInfo.deviceInfo.hostInterface));
    for (const SUnconfigurable& camera : m_unconfigurable)
        if (hostOf(camera.cameraInfo.deviceInfo))
            return tr("this computer (%1)").arg(text(camera.cameraInfo.deviceInfo.hostInterface));

    for (qsizetype i = 0; i < m_settings.size(); ++i)
        if (i != exceptCamera && parseAddress(m_settings.at(i).currentIP) == address)
            return cameraName(m_settings.at(i).cameraInfo);
    for (const SUnconfigurable& camera : m_unconfigurable)
        if (deviceAddress(camera.cameraInfo.deviceInfo) == address)
            return cameraName(camera.cameraInfo);
    return QString();
}

QString AddrixModel::proposeForceIpAddress(int index) const
{
    if (index < 0 || index >= m_unconfigurable.size())
        return QString();
    const std::optional<dns::SHostInterface> host
        = answeredSubnet(m_unconfigurable.at(index).cameraInfo.deviceInfo);
    if (!host || !host->mask.IsContiguousMask() || host->mask.OneBits() > 31)
        return QString();
    dns::CIPv4Address first = host->address.Network(host->mask);
    dns::CIPv4Address last = host->Broadcast();
    if (host->mask.OneBits() < 31) {
        first = first.Plus(1);
        last = last.Plus(~std::uint32_t(0));
    }
    // Each address skipped is used by someone known, so this ends after a few steps.
    for (dns::CIPv4Address candidate = first;; candidate = candidate.Plus(1)) {
        if (addressUser(candidate.Value(), -1).isEmpty())
            return QString::fromLatin1(candidate.Text().data());
        if (candidate == last)
            return QString();
    }
}

QString AddrixModel::proposeForceIpSubnetMask(int index) const
{
    if (index < 0 || index >= m_unconfigurable.size())
        return QString();
    const std::optional<dns::SHostInterface> host
        = answeredSubnet(m_unconfigurable.at(index).cameraInfo.deviceInfo);
    return host ? QString::fromLatin1(host->mask.Text().data()) : QString();
}

QString AddrixModel::forceIpProblem(int index, const QString& addressText, const QString& maskText,
                                    const QString& gatewayText) const
{
    if (index < 0 || index >= m_unconfigurable.size())
        return tr("The camera is no longer listed; scan again.");
    const std::optional<dns::CIPv4Address> address = parseAddress(addressText);
    if (!address)
        return tr("%1 is not a valid address.").arg(addressText);
    const std::optional<dns::CIPv4Address> mask = parseAddress(maskText);
    if (!mask)
        return tr("%1 is not a valid subnet mask.").arg(maskText);
    const std::optional<dns::CIPv4Address> gateway = parseAddress(gatewayText);
    if (!gateway)
        return tr("%1 is not a valid address.").arg(gatewayText);
    const QString problem = fixedAddressProblem(*address, *mask, *gateway);
    if (!problem.isEmpty())
        return problem;
    if (!addressUser(address->Value(), -1).isEmpty())
        return tr("%1 is already in use.").arg(QString::fromLatin1(address->Text().data()));

    // The point of a temporary address is to reach the camera from the interface it answered on.
    const SDeviceInfo& device = m_unconfigurable.at(index).cameraInfo.deviceInfo;
    const std::optional<dns::SHostInterface> host = answeredSubnet(device);
    if (host && !host->Holds(*address))
        return tr("%1 is not on the subnet of this computer's interface %2 (%3).")
            .arg(QString::fromLatin1(address->Text().data()), QString::fromStdString(host->name),
                QString::fromLatin1(host->Subnet().data()));
    return QString();
}

void AddrixModel::forceIp(int index, const QString& address, const QString& subnetMask,
                          const QString& defaultGateway)
{
    if (m_forcing)
        return;
    const QString problem = forceIpProblem(index, address, subnetMask, defaultGateway);
    if (!problem.isEmpty()) {
        emit forceIpFailed(problem);
        return;
    }
    const SDeviceInfo device = m_unconfigurable.at(index).cameraInfo.deviceInfo;
    const std::uint32_t addressValue = parseAddress(address)->Value();
    const std::uint32_t maskValue = parseAddress(subnetMask)->Value();
    const std::uint32_t gatewayValue = parseAddress(defaultGateway)->Value();

    m_forcing = true;
    emit forcingChanged();
    m_forceWatcher.setFuture(QtConcurrent::run(QThreadPool::globalInstance(), [=] {
        return DoForceIp(device, addressValue, maskValue, gatewayValue);
    }));
}

QString AddrixModel::DoForceIp(SDeviceInfo device, std::uint32_t address, std::uint32_t subnetMask,
                               std::uint32_t defaultGateway)
{
    switch (interfaces()->forceIp(device, address, subnetMask, defaultGateway, forceIpTimeoutMs)) {
    case EForceIpResult::Acknowledged:
        return QString();
    case EForceIpResult::NoAcknowledgement:
        return tr("The camera did not answer.");
    case EForceIpResult::InvalidRequest:
        return tr("The camera's MAC address or network interface is unknown.");
    case EForceIpResult::SendFailed:
        break;
    }
    return tr("The address could not be sent on %1.").arg(text(device.hostInterface));
}

void AddrixModel::doneForcing()
{
    QString message;
    try {
        message = m_forceWatcher.future().result();
    } catch (const QException&) {
        message = tr("The address could not be sent.");
    }
    if (message.isEmpty()) {
        emit forceIpSucceeded();
        // The camera now answers at the new address: list it where it can be configured.
        if (m_scanning)
            m_rescanWanted = true;
        else
            scan();
    }
    m_forcing = false;
    emit forcingChanged();
    if (!message.isEmpty())
        emit forceIpFailed(message);
}
