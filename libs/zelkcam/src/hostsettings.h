#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelk::cam {

/// What the host check reads, each from this process's network namespace.

inline constexpr const char* ReceiveBufferLimitPath = "/proc/sys/net/core/rmem_max";
/// The receive buffer limit the shipped sysctl file sets: frames up to 32 MiB.
inline constexpr std::uint64_t RecommendedReceiveBuffer = 32u * 1024 * 1024;
/// Where the package puts that file (applied only when the user copies it to /etc/sysctl.d).
extern const char* const SysctlDropInPath;

/// A name that can be an interface's: what the kernel allows, nothing that walks a path.
bool IsInterfaceName(const std::string& name) noexcept;

std::optional<std::int64_t> ReadReceiveBufferLimit();
/// net.ipv4.conf.<name>.rp_filter; `name` may be "all". Empty for a name IsInterfaceName refuses.
std::optional<std::int64_t> ReadReversePathFilter(const std::string& name);
std::optional<std::int64_t> ReadMtu(const std::string& interfaceName);
/// The interface the routing table sends traffic for `address` through (nothing is sent).
std::optional<std::string> RouteInterfaceTowards(std::uint32_t address);

} // namespace zelk::cam
