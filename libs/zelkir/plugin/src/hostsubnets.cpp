#include "hostsubnets.h"

#include <QNetworkInterface>

namespace zelkir {

HostSubnets HostSubnets::current()
{
    QList<SEntry> entries;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& interface : interfaces) {
        if (!interface.flags().testFlag(QNetworkInterface::IsUp))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            entries.append({ interface.name(), entry.ip().toIPv4Address(), entry.netmask().toIPv4Address() });
        }
    }
    return HostSubnets(std::move(entries));
}

bool HostSubnets::contains(quint32 address) const
{
    for (const SEntry& entry : m_entries)
        if (entry.netmask != 0 && (address & entry.netmask) == (entry.address & entry.netmask))
            return true;
    return false;
}

QString HostSubnets::interfaceNameOf(quint32 localAddress) const
{
    for (const SEntry& entry : m_entries)
        if (localAddress != 0 && entry.address == localAddress)
            return entry.interfaceName;
    return {};
}

} // namespace zelkir
