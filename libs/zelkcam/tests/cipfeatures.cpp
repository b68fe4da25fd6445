#include "cipfeatures.h"

#include <zelk/cam/gic/ipfeatures.h>

using namespace zelk::cam::gic;

CIpFeatures::CIpFeatures(zelk::cam::IDevice& device)
    : m_tree(device.genICam(0))
{
    if (!m_tree)
        return;
    currentIP = m_tree->feature(GevCurrentIPAddress).dynamicCast<IInteger>();
    persistentIP = m_tree->feature(GevPersistentIPAddress).dynamicCast<IInteger>();
    subnetMask = m_tree->feature(GevPersistentSubnetMask).dynamicCast<IInteger>();
    defaultGateway = m_tree->feature(GevPersistentDefaultGateway).dynamicCast<IInteger>();
    dhcp = m_tree->feature(GevCurrentIPConfigurationDHCP).dynamicCast<IBoolean>();
    persistentIPEnabled = m_tree->feature(GevCurrentIPConfigurationPersistentIP).dynamicCast<IBoolean>();
}

bool CIpFeatures::isComplete() const
{
    return m_tree && currentIP && persistentIP && subnetMask && defaultGateway && dhcp && persistentIPEnabled;
}

SIpValues CIpFeatures::read() const
{
    SIpValues values;
    values.currentIP = quint32(currentIP->getValue());
    values.persistentIP = quint32(persistentIP->getValue());
    values.subnetMask = quint32(subnetMask->getValue());
    values.defaultGateway = quint32(defaultGateway->getValue());
    values.dhcp = dhcp->getValue();
    values.persistentIPEnabled = persistentIPEnabled->getValue();
    return values;
}

bool CIpFeatures::write(const SIpValues& values) const
{
    bool accepted = dhcp->setValue(values.dhcp);
    accepted = persistentIPEnabled->setValue(values.persistentIPEnabled) && accepted;
    accepted = persistentIP->setValue(values.persistentIP) && accepted;
    accepted = subnetMask->setValue(values.subnetMask) && accepted;
    accepted = defaultGateway->setValue(values.defaultGateway) && accepted;
    return accepted;
}
