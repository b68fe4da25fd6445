#include "interfacenetworks.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace dns {

namespace {

Ipv4 AddressOf(const sockaddr* socketAddress)
{
    return ntohl(reinterpret_cast<const sockaddr_in*>(socketAddress)->sin_addr.s_addr);
}

int BitCount(Ipv4 mask)
{
    int count = 0;
    for (; mask; mask &= mask - 1)
        ++count;
    return count;
}

} // namespace

std::vector<InterfaceNetwork> ReadInterfaceNetworks()
{
    std::vector<InterfaceNetwork> networks;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return networks;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || !entry->ifa_netmask || entry->ifa_addr->sa_family != AF_INET)
            continue;
        if (!(entry->ifa_flags & IFF_UP))
            continue;
        networks.push_back({ AddressOf(entry->ifa_addr), AddressOf(entry->ifa_netmask) });
    }
    freeifaddrs(list);
    return networks;
}

std::optional<Ipv4> FindNetworkMask(const std::vector<InterfaceNetwork>& networks, Ipv4 address)
{
    std::optional<Ipv4> best;
    for (const InterfaceNetwork& network : networks) {
        if (network.mask == 0 || (network.address & network.mask) != (address & network.mask))
            continue;
        if (!best || BitCount(network.mask) > BitCount(*best))
            best = network.mask;
    }
    return best;
}

} // namespace dns
