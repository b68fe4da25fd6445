#include "interfacenetworks.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace dns {

namespace {

CIPv4Address AddressOf(const sockaddr* socketAddress)
{
    return CIPv4Address::FromValue(
        ntohl(reinterpret_cast<const sockaddr_in*>(socketAddress)->sin_addr.s_addr));
}

int BitCount(CIPv4Address mask)
{
    int count = 0;
    for (std::uint32_t bits = mask.Value(); bits; bits &= bits - 1)
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
        networks.push_back({ AddressOf(entry->ifa_addr), AddressOf(entry->ifa_netmask),
                             entry->ifa_name ? entry->ifa_name : "" });
    }
    freeifaddrs(list);
    return networks;
}

std::optional<CIPv4Address> FindNetworkMask(
    const std::vector<InterfaceNetwork>& networks, CIPv4Address address)
{
    std::optional<CIPv4Address> best;
    for (const InterfaceNetwork& network : networks) {
        const std::uint32_t mask = network.mask.Value();
        if (mask == 0 || (network.address.Value() & mask) != (address.Value() & mask))
            continue;
        if (!best || BitCount(network.mask) > BitCount(*best))
            best = network.mask;
    }
    return best;
}

} // namespace dns
