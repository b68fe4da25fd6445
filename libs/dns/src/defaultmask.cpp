#include "defaultmask.h"

namespace dns {

namespace {

constexpr Ipv4 ClassAMask = 0xFF000000u;
constexpr Ipv4 ClassBMask = 0xFFFF0000u;
constexpr Ipv4 ClassCMask = 0xFFFFFF00u;
constexpr Ipv4 LinkLocalNetwork = 0xA9FE0000u; // 169.254.0.0/16
constexpr Ipv4 LinkLocalMask = 0xFFFF0000u;

} // namespace

Ipv4 DefaultMask(Ipv4 address)
{
    if ((address & LinkLocalMask) == LinkLocalNetwork)
        return LinkLocalMask;
    const unsigned int firstOctet = Octet(address, 0);
    if (firstOctet < 128)
        return ClassAMask;
    if (firstOctet < 192)
        return ClassBMask;
    return ClassCMask;
}

} // namespace dns
