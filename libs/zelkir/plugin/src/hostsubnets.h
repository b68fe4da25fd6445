#pragma once

#include <QList>
#include <QString>

namespace zelkir {

/// The host's IPv4 addresses with their netmasks, as they were when taken: tells whether a
/// camera's address can be reached without a router and which interface has an address.
/// Addresses are 32-bit values with the first octet most significant.
class HostSubnets
{
public:
    struct SEntry
    {
        QString interfaceName;
        quint32 address = 0;
        quint32 netmask = 0;
    };

    HostSubnets() = default;
    explicit HostSubnets(QList<SEntry> entries)
        : m_entries(std::move(entries))
    {
    }

    /// The interfaces that are up now. Reads the system's list; call it off the GUI thread
    /// when that matters.
    static HostSubnets current();

    /// True when `address` lies on the subnet of one of the host's addresses.
    bool contains(quint32 address) const;
    /// The name of the interface holding `localAddress`; empty when none does.
    QString interfaceNameOf(quint32 localAddress) const;

private:
    QList<SEntry> m_entries;
};

} // namespace zelkir
