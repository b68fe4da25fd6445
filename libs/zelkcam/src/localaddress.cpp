#include "localaddress.h"

#include "gvcp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zelk::cam {

std::optional<dns::CIPv4Address> LocalAddressTowards(dns::CIPv4Address device) noexcept
{
    // Connecting a datagram socket only asks the routing table; no packet leaves.
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    sockaddr_in target {};
    target.sin_family = AF_INET;
    target.sin_port = htons(gvcp::Port);
    target.sin_addr.s_addr = htonl(device.Value());
    sockaddr_in source {};
    socklen_t length = sizeof source;
    const bool found = ::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&source), &length) == 0
        && source.sin_family == AF_INET;
    ::close(fd);
    if (!found)
        return std::nullopt;
    return dns::CIPv4Address::FromValue(ntohl(source.sin_addr.s_addr));
}

} // namespace zelk::cam
