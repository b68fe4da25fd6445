#include "defaultmask.h"

namespace dns {

namespace {

constexpr CIPv4Address ClassAMask(255, 0, 0, 0);
constexpr CIPv4Address ClassBMask(255, 255, 0, 0);
constexpr CIPv4Address ClassCMask(255, 255, 255, 0);
constexpr CIPv4Address LinkLocalMask(255, 255, 0, 0);

} // namespace

CIPv4Address DefaultMask(CIPv4Address address)
{
    if (address.IsLinkLocal())
        return LinkLocalMask;
    const unsigned int firstOctet = address.Octet(0);
    if (firstOctet < 128)
        return ClassAMask;
    if (firstOctet < 192)
        return ClassBMask;
    return ClassCMask;
}

} // namespace dns
