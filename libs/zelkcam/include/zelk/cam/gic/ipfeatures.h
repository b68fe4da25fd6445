#pragma once

// Names of the GigE Vision IP configuration features, as every GigE Vision camera
// offers them. The address features are IInteger values with the first octet in the
// most significant byte; the two flags are IBoolean.
namespace zelk::cam::gic {

inline constexpr char GevCurrentIPAddress[] = "GevCurrentIPAddress"; ///< read-only
inline constexpr char GevPersistentIPAddress[] = "GevPersistentIPAddress";
inline constexpr char GevPersistentSubnetMask[] = "GevPersistentSubnetMask";
inline constexpr char GevPersistentDefaultGateway[] = "GevPersistentDefaultGateway";
/// The camera asks DHCP for its address at start-up.
inline constexpr char GevCurrentIPConfigurationDHCP[] = "GevCurrentIPConfigurationDHCP";
/// The camera takes the persistent address at start-up.
inline constexpr char GevCurrentIPConfigurationPersistentIP[] = "GevCurrentIPConfigurationPersistentIP";

} // namespace zelk::cam::gic
