#pragma once

#include <cstdint>

namespace dns {

// Inside the library addresses and masks are plain numbers with the first octet in the
// most significant byte, so prefix tests and class ranges read naturally.
using Ipv4 = std::uint32_t;

/// Converts the public value (first octet in the least significant byte) to an Ipv4.
constexpr Ipv4 FromPublicValue(unsigned int value)
{
    return ((value & 0xFFu) << 24) | ((value & 0xFF00u) << 8) | ((value >> 8) & 0xFF00u)
        | ((value >> 24) & 0xFFu);
}

/// Converts an Ipv4 to the public value (first octet in the least significant byte).
constexpr unsigned int ToPublicValue(Ipv4 address)
{
    return FromPublicValue(address);
}

/// The octet at `index` (0 = first, as written in text).
constexpr unsigned int Octet(Ipv4 address, int index)
{
    return (address >> (8 * (3 - index))) & 0xFFu;
}

} // namespace dns
