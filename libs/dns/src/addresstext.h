#pragma once

#include "ipv4.h"

#include <optional>

namespace dns {

/// Parses strict dotted-quad decimal text: four octets of one to three decimal digits
/// (leading zeros allowed and read as decimal), each 0-255, separated by single dots and
/// nothing else. Reads at most 16 characters, so any length of input returns quickly.
std::optional<Ipv4> ParseAddress(const char* text);

/// Writes dotted decimal text, NUL-terminated, into `buffer` of at least 16 bytes.
void FormatAddress(Ipv4 address, char* buffer);

} // namespace dns
