#pragma once

#include <dns/ipv4address.h>

#include <string>
#include <vector>

namespace zelk::cam {

/// One IPv4 address of one of the host's network interfaces.
struct SHostInterface
{
    std::string name; ///< the interface ("eth0"), without an address label's ":n"
    unsigned index = 0; ///< the system's interface index
    dns::CIPv4Address address;
    dns::CIPv4Address mask;

    /// Whether `other` lies on this address's subnet.
    bool Holds(dns::CIPv4Address other) const noexcept
    {
        return ((other.Value() ^ address.Value()) & mask.Value()) == 0;
    }
    /// The subnet's directed broadcast address.
    dns::CIPv4Address Broadcast() const noexcept
    {
        return dns::CIPv4Address::FromValue(address.Value() | ~mask.Value());
    }
};

/// The IPv4 addresses of the host's interfaces that are up, in the system's order.
/// Point-to-point links are left out: no camera answers a broadcast there. Empty when
/// the system cannot list them.
std::vector<SHostInterface> HostInterfaces();

} // namespace zelk::cam
