#include "hostinterfaces.h"

#include "logging.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstring>

namespace zelk::cam {

namespace {

dns::CIPv4Address AddressOf(const sockaddr* address)
{
    return dns::CIPv4Address::FromValue(
        ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr));
}

} // namespace

std::vector<SHostInterface> HostInterfaces()
{
    std::vector<SHostInterface> result;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        qCWarning(lcDiscovery, "cannot list the network interfaces: %s", std::strerror(errno));
        return result;
    }
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !entry->ifa_netmask
            || !(entry->ifa_flags & IFF_UP) || (entry->ifa_flags & IFF_POINTOPOINT))
            continue;
        SHostInterface host;
        // An address label such as "eth0:1" names no interface of its own.
        host.name = entry->ifa_name;
        host.name = host.name.substr(0, host.name.find(':'));
        host.index = ::if_nametoindex(host.name.c_str());
        host.address = AddressOf(entry->ifa_addr);
        host.mask = AddressOf(entry->ifa_netmask);
        if (host.index != 0)
            result.push_back(std::move(host));
    }
    ::freeifaddrs(list);
    return result;
}

} // namespace zelk::cam
