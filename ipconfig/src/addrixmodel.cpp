#include "addrixmodel.h"
#include "ipaddressvalue.h"

#include <dns/dns.h>

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
    if (!mask || !parseAddress(entry->defaultGateway))
        return false;
    if (entry->dhcpEnabled)
        return true;
    return *address != dns::CIPv4Address() && *mask != dns::CIPv4Address();
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
}

void AddrixModel::setDhcpEnabled(bool enabled)
{
    SIpSettings* entry = selectedEntry();
    if (!entry || entry->dhcpEnabled == enabled)
        return;
    entry->dhcpEnabled = enabled;
    emit dhcpEnabledChanged();
    emit settingsValidChanged();
}

void AddrixModel::setSelectedText(QString SIpSettings::*field, QString value, void (AddrixModel::*changed)())
{
    SIpSettings* entry = selectedEntry();
    if (!entry || entry->*field == value)
        return;
    entry->*field = std::move(value);
    emit(this->*changed)();
    emit settingsValidChanged();
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
    return {};
}

QString AddrixModel::unconfigurableSummary() const
{
    return QString();
}

QVariantMap AddrixModel::selectedDetails() const
{
    return {};
}

QString AddrixModel::addressWarning() const
{
    return QString();
}

bool AddrixModel::forcing() const
{
    return m_forcing;
}

QString AddrixModel::proposeForceIpAddress(int) const
{
    return QString();
}

QString AddrixModel::proposeForceIpSubnetMask(int) const
{
    return QString();
}

void AddrixModel::forceIp(int, const QString&, const QString&, const QString&)
{
    emit forceIpFailed(tr("The camera did not answer."));
}

void AddrixModel::doneForcing()
{
}
