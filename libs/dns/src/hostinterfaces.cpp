#include <dns/hostinterfaces.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <string>

namespace dns {

namespace {

CIPv4Address AddressOf(const sockaddr* socketAddress)
{
    return CIPv4Address::FromValue(
        ntohl(reinterpret_cast<const sockaddr_in*>(socketAddress)->sin_addr.s_addr));
}

} // namespace

std::vector<SHostInterface> HostInterfaces()
{
    std::vector<SHostInterface> interfaces;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return interfaces;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || !entry->ifa_netmask || entry->ifa_addr->sa_family != AF_INET)
            continue;
        if (!(entry->ifa_flags & IFF_UP))
            continue;
        SHostInterface host;
        // An address label such as "eth0:1" names no interface of its own.
        const std::string name = entry->ifa_name ? entry->ifa_name : "";
        host.name = name.substr(0, name.find(':'));
        host.index = host.name.empty() ? 0 : if_nametoindex(host.name.c_str());
        host.address = AddressOf(entry->ifa_addr);
        host.mask = AddressOf(entry->ifa_netmask);
        host.pointToPoint = (entry->ifa_flags & IFF_POINTOPOINT) != 0;
        interfaces.push_back(std::move(host));
    }
    freeifaddrs(list);
    return interfaces;
}

const SHostInterface* FindHostInterface(
    const std::vector<SHostInterface>& interfaces, CIPv4Address address) noexcept
{
    const SHostInterface* best = nullptr;
    for (const SHostInterface& host : interfaces) {
        if (host.mask == CIPv4Address() || !host.Holds(address))
            continue;
        if (!best || host.mask.OneBits() > best->mask.OneBits())
            best = &host;
    }
    return best;
}

} // namespace dns
