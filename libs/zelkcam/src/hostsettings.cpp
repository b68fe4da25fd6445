#include "hostsettings.h"

#include "localaddress.h"

#include <dns/hostinterfaces.h>

#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

namespace zelk::cam {

const char* const SysctlDropInPath = QELT_SYSCTL_DROP_IN;

namespace {

std::optional<std::int64_t> ReadInteger(const std::string& path)
{
    std::ifstream file(path);
    long long value = 0;
    if (!(file >> value))
        return std::nullopt;
    return value;
}

} // namespace

bool IsInterfaceName(const std::string& name) noexcept
{
    return !name.empty() && name.size() < IFNAMSIZ && name != "." && name != ".."
        && name.find_first_of("/ \t\n:") == std::string::npos;
}

std::optional<std::int64_t> ReadReceiveBufferLimit()
{
    return ReadInteger(ReceiveBufferLimitPath);
}

std::optional<std::int64_t> ReadReversePathFilter(const std::string& name)
{
    if (!IsInterfaceName(name))
        return std::nullopt;
    return ReadInteger("/proc/sys/net/ipv4/conf/" + name + "/rp_filter");
}

std::optional<std::int64_t> ReadMtu(const std::string& interfaceName)
{
    // Asked of the kernel, not read from /sys, which shows the namespace it was mounted in.
    if (!IsInterfaceName(interfaceName))
        return std::nullopt;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    ifreq request {};
    std::strncpy(request.ifr_name, interfaceName.c_str(), IFNAMSIZ - 1);
    const bool ok = ::ioctl(fd, SIOCGIFMTU, &request) == 0;
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return request.ifr_mtu;
}

std::optional<std::string> RouteInterfaceTowards(std::uint32_t address)
{
    const std::optional<dns::CIPv4Address> local = LocalAddressTowards(dns::CIPv4Address::FromValue(address));
    if (!local)
        return std::nullopt;
    for (const dns::SHostInterface& host : dns::HostInterfaces()) {
        if (host.address == *local)
            return host.name;
    }
    return std::nullopt;
}

} // namespace zelk::cam
