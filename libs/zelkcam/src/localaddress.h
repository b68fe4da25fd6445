#pragma once

#include <dns/ipv4address.h>

#include <optional>

namespace zelk::cam {

/// The local address the host would send from to reach `device`, found in the
/// routing table without sending anything. Empty when there is no route.
std::optional<dns::CIPv4Address> LocalAddressTowards(dns::CIPv4Address device) noexcept;

} // namespace zelk::cam
