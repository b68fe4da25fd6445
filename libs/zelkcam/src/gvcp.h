#pragma once

#include <cstddef>
#include <cstdint>

// The parts of the GigE Vision control protocol (GVCP) that this library uses itself
// rather than through Aravis: the port, the command header, the register read, and
// the bootstrap registers behind the IP configuration and the control channel.
// Multi-byte fields travel most significant byte first.
namespace zelk::cam::gvcp {

/// UDP port on which a device takes control commands.
inline constexpr std::uint16_t Port = 3956;

/// Command header: key, flags, command code (16 bits), payload length (16 bits),
/// request id (16 bits). An acknowledgement has a status where the key and flags are.
inline constexpr std::size_t HeaderSize = 8;
inline constexpr std::uint8_t CommandKey = 0x42;
/// Flag asking the device to acknowledge the command.
inline constexpr std::uint8_t AcknowledgeFlag = 0x01;

inline constexpr std::uint16_t ReadRegisterCommand = 0x0080;
inline constexpr std::uint16_t ReadRegisterAck = 0x0081;

/// Bootstrap register addresses; the IP registers are those of the first network interface.
enum ERegister : std::uint32_t {
    CurrentIPConfiguration = 0x0014,
    CurrentIPAddress = 0x0024,
    PersistentIPAddress = 0x064C,
    PersistentSubnetMask = 0x065C,
    PersistentDefaultGateway = 0x066C,
    ControlChannelPrivilege = 0x0A00,
};

/// Bits of CurrentIPConfiguration (the standard numbers bits from the most
/// significant end: these are bits 31, 30 and 29).
enum EConfigurationFlag : std::uint32_t {
    PersistentIPFlag = 1u << 0,
    DHCPFlag = 1u << 1,
    LinkLocalFlag = 1u << 2, ///< must always stay set
};

/// Bits of ControlChannelPrivilege: another application holds the device.
enum EPrivilegeFlag : std::uint32_t {
    ExclusiveAccessFlag = 1u << 0,
    ControlAccessFlag = 1u << 1,
};

} // namespace zelk::cam::gvcp
