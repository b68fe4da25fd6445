#include "ipv4.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

namespace zelk::cam::ipv4 {

namespace {

constexpr std::uint16_t GvcpPort = 3956;

} // namespace

bool Parse(const char* text, std::uint32_t& address) noexcept
{
    if (!text)
        return false;
    std::uint32_t result = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0 && *text++ != '.')
            return false;
        int digits = 0;
        unsigned value = 0;
        while (*text >= '0' && *text <= '9') {
            // A leading zero would read as octal to inet_aton; refuse the ambiguity.
            if (digits == 1 && value == 0)
                return false;
            value = value * 10 + unsigned(*text++ - '0');
            if (++digits > 3 || value > 255)
                return false;
        }
        if (digits == 0)
            return false;
        result = (result << 8) | value;
    }
    if (*text != '\0')
        return false;
    address = result;
    return true;
}

CString Format(std::uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", unsigned(address >> 24), unsigned((address >> 16) & 0xff),
        unsigned((address >> 8) & 0xff), unsigned(address & 0xff));
    return CString(text);
}

bool LocalAddressTowards(std::uint32_t device, std::uint32_t& local) noexcept
{
    // Connecting a datagram socket only asks the routing table; no packet leaves.
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in target {};
    target.sin_family = AF_INET;
    target.sin_port = htons(GvcpPort);
    target.sin_addr.s_addr = htonl(device);
    sockaddr_in source {};
    socklen_t length = sizeof source;
    const bool found = ::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&source), &length) == 0
        && source.sin_family == AF_INET;
    ::close(fd);
    if (found)
        local = ntohl(source.sin_addr.s_addr);
    return found;
}

} // namespace zelk::cam::ipv4
