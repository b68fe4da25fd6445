#pragma once

#include <dns/export.h>
#include <dns/ipv4address.h>

#include <string>
#include <vector>

namespace dns {

/// One IPv4 address of a network interface of this computer.
struct SHostInterface
{
    std::string name; ///< "eth0", "lo"
    CIPv4Address address;
    CIPv4Address mask;
};

/// The IPv4 addresses of the interfaces that are up, in the system's order, read afresh
/// on every call. Empty when they cannot be read. Safe to call from several threads.
DNS_EXPORT std::vector<SHostInterface> HostInterfaces();

} // namespace dns
