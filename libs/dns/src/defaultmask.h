#pragma once

#include <dns/ipv4address.h>

namespace dns {

/// The mask to propose for `address` when no interface of this computer is on its
/// network: 255.255.0.0 for link-local 169.254.x.x, otherwise the classful mask
/// (A 0-127: 255.0.0.0, B 128-191: 255.255.0.0, C 192-223: 255.255.255.0). Multicast
/// and reserved addresses (224 and above) get 255.255.255.0, the narrowest classful
/// mask, so that a caller still has a usable proposal to show.
CIPv4Address DefaultMask(CIPv4Address address);

} // namespace dns
