#pragma once

#include <dns/ipv4address.h>

namespace dns {

/// Dotted text of `mask`. The text lives for the rest of the process: contiguous masks
/// come from a fixed table, any other mask is kept in a set that only ever grows.
/// Safe to call from several threads.
const char* MaskText(CIPv4Address mask);

} // namespace dns
