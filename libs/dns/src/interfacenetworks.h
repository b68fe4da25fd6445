#pragma once

#include <dns/ipv4address.h>

#include <optional>
#include <string>
#include <vector>

namespace dns {

/// One IPv4 address of a network interface of this computer, with its mask.
struct InterfaceNetwork
{
    CIPv4Address address;
    CIPv4Address mask;
    std::string name; ///< the interface's name; empty when unknown
};

/// The IPv4 networks of the interfaces that are up, read afresh from the system on
/// every call so that address changes show at once. Empty when they cannot be read.
std::vector<InterfaceNetwork> ReadInterfaceNetworks();

/// The mask of the network in `networks` that holds `address`; when several do, the
/// most specific one (most mask bits). Networks with an all-zero mask are ignored since
/// they hold every address and say nothing about the subnet.
std::optional<CIPv4Address> FindNetworkMask(
    const std::vector<InterfaceNetwork>& networks, CIPv4Address address);

} // namespace dns
