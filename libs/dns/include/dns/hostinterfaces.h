#pragma once

#include <dns/export.h>
#include <dns/ipv4address.h>

#include <string>
#include <vector>

namespace dns {

/// One IPv4 address of a network interface of this computer.
struct SHostInterface
{
    std::string name;          ///< the interface ("eth0", "lo"), without an address label's ":n"
    unsigned index = 0;        ///< the system's interface index; 0 when unknown
    CIPv4Address address;
    CIPv4Address mask;
    bool pointToPoint = false; ///< a link to a single peer (a tunnel): a broadcast reaches no one else

    /// Whether `other` lies on this address's subnet.
    bool Holds(CIPv4Address other) const noexcept { return other.SameSubnet(address, mask); }
    /// The subnet's directed broadcast address.
    CIPv4Address Broadcast() const noexcept { return address.Broadcast(mask); }
    /// The subnet as text, "192.168.1.0/24".
    CIPv4Address::CSubnetText Subnet() const noexcept { return address.SubnetText(mask); }
};

/// The IPv4 addresses of the interfaces that are up, point-to-point links included, in
/// the system's order, read afresh on every call so that address changes show at once.
/// Empty when they cannot be read. Safe to call from several threads.
DNS_EXPORT std::vector<SHostInterface> HostInterfaces();

/// The entry of `interfaces` whose subnet holds `address`; when several do, the most
/// specific one (most mask bits), the first of equals. Entries with an all-zero mask are
/// passed over: they hold every address and say nothing about the subnet. Null when none
/// holds it; otherwise it points into `interfaces`.
DNS_EXPORT const SHostInterface* FindHostInterface(
    const std::vector<SHostInterface>& interfaces, CIPv4Address address) noexcept;

} // namespace dns
