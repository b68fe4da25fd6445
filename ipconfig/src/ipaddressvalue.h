#pragma once

#include <zelk/cam/records.h>

#include <dns/hostinterfaces.h>
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

/// The device's own address: discovery's value, else its dotted text; empty when neither.
std::optional<dns::CIPv4Address> deviceAddress(const zelk::cam::SDeviceInfo& device);

/// The host interface `device` answered discovery on, as discovery reported it: its name,
/// address and mask, which is 0.0.0.0 when unknown (and then holds every address). Empty
/// when not even its address is known.
std::optional<dns::SHostInterface> answeredOn(const zelk::cam::SDeviceInfo& device);
