#pragma once

#include <dns/ipv4address.h>

#include <QString>

#include <cstdint>
#include <optional>

// Addresses cross two boundaries here: libdns's text conversions (first octet in the
// least significant byte) and GenICam integer features (first octet in the most
// significant byte). dns::CIPv4Address converts between them.

/// Parses dotted text with StringToIP. Text with an embedded NUL is refused: handed
/// over as a C string it would pass as its prefix alone.
std::optional<dns::CIPv4Address> parseAddress(const QString& text);

/// Dotted text, from IPToString, of a GenICam address feature value (its low 32 bits).
QString addressText(std::int64_t genicamValue);

/// "192.168.1.0/24" for the subnet of `address` under a contiguous `mask`, else
/// "10.0.2.0/255.0.255.0".
QString subnetText(dns::CIPv4Address address, dns::CIPv4Address mask);
