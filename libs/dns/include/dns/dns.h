#pragma once

#include <dns/export.h>

// IPv4 address text conversions and subnet-mask proposals.
// A 32-bit address value here holds the first octet in its least significant byte,
// i.e. network byte order as it lies in memory on a little-endian machine;
// dns::CIPv4Address converts it (FromLowFirstValue, LowFirstValue).
// Every function is safe to call from several threads at once.

/// Parses text by the rules of dns::CIPv4Address::Parse: strict dotted-quad decimal
/// ("192.168.0.10"), leading zeros decimal, never octal ("010" is 10). Returns false,
/// leaving `address` unchanged, for anything else, including null; very long text is
/// rejected after at most 16 characters.
DNS_EXPORT bool StringToIP(const char* text, unsigned int& address);

/// Writes `address` as NUL-terminated dotted decimal into `buffer`, which must hold at
/// least 16 bytes (callers pass 32). Returns false only when `buffer` is null.
DNS_EXPORT bool IPToString(unsigned int address, char* buffer);

/// The subnet mask a camera at `address` needs to be reachable from this computer, as
/// dotted text: the mask of the host's IPv4 interface whose subnet holds the address,
/// otherwise 255.255.0.0 for link-local 169.254.x.x, otherwise the classful default
/// (0-127: 255.0.0.0, 128-191: 255.255.0.0, 192 and above: 255.255.255.0, which for the
/// multicast and reserved ranges is only a harmless proposal). When several interfaces
/// hold the address, the most specific mask wins.
/// Null for text that is not an address. The text is owned by the library and stays
/// valid for the life of the process; the caller never frees it.
DNS_EXPORT const char* GetSubnetMask(const char* address);
