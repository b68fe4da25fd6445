#pragma once

#include <zelk/cstring.h>

#include <cstdint>

// IPv4 addresses inside the library are 32-bit values with the first octet in the
// most significant byte, as GenICam and the GigE Vision registers hold them.
namespace zelk::cam::ipv4 {

/// Parses strict dotted decimal ("192.168.0.10"). False for anything else.
bool Parse(const char* text, std::uint32_t& address) noexcept;

/// Dotted decimal text. Throws std::bad_alloc.
CString Format(std::uint32_t address);

/// The local address the host would send from to reach `device`, found in the
/// routing table without sending anything. False when there is no route.
bool LocalAddressTowards(std::uint32_t device, std::uint32_t& local) noexcept;

} // namespace zelk::cam::ipv4
