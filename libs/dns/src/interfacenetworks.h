#pragma once

#include "ipv4.h"

#include <optional>
#include <vector>

namespace dns {

/// One IPv4 address of a network interface of this computer, with its mask.
struct InterfaceNetwork
{
    Ipv4 address = 0;
    Ipv4 mask = 0;
};

/// The IPv4 networks of the interfaces that are up, read afresh from the system on
/// every call so that address changes show at once. Empty when they cannot be read.
std::vector<InterfaceNetwork> ReadInterfaceNetworks();

/// The mask of the network in `networks` that holds `address`; when several do, the
/// most specific one (most mask bits). Networks with an all-zero mask are ignored since
/// they hold every address and say nothing about the subnet.
std::optional<Ipv4> FindNetworkMask(const std::vector<InterfaceNetwork>& networks, Ipv4 address);

} // namespace dns
