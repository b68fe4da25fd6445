#pragma once

#include <cstddef>
#include <cstdint>

// The parts of the GigE Vision control (GVCP) and stream (GVSP) protocols that this
// library, its tests and the simulated camera use themselves rather than through Aravis:
// the port, the command and stream packet layouts (discovery and FORCEIP included), and
// the bootstrap registers behind the device's identity, the IP configuration and the
// control channel. Multi-byte fields travel most significant byte first.
namespace zelk::cam::gvcp {

/// UDP port on which a device takes control commands.
inline constexpr std::uint16_t Port = 3956;

/// Command header: key, flags, command code (16 bits), payload length (16 bits),
/// request id (16 bits). An acknowledgement has a status where the key and flags are.
inline constexpr std::size_t HeaderSize = 8;
inline constexpr std::uint8_t CommandKey = 0x42;
/// Flag asking the device to acknowledge the command.
inline constexpr std::uint8_t AcknowledgeFlag = 0x01;
/// Flag of DISCOVERY and FORCEIP allowing the device to broadcast its acknowledgement,
/// the only answer that reaches a host on another subnet (the standard's bit 3).
inline constexpr std::uint8_t BroadcastAcknowledgeFlag = 0x10;

/// Command codes; the acknowledgement of each is its code + 1. A packet resend request
/// has no acknowledgement.
enum ECommand : std::uint16_t {
    DiscoveryCommand = 0x0002,
    ForceIpCommand = 0x0004,
    PacketResendCommand = 0x0040,
    ReadRegisterCommand = 0x0080,
    WriteRegisterCommand = 0x0082,
    ReadMemoryCommand = 0x0084,
    WriteMemoryCommand = 0x0086,
};
inline constexpr std::uint16_t DiscoveryAck = 0x0003;
inline constexpr std::uint16_t ForceIpAck = 0x0005;
inline constexpr std::uint16_t ReadRegisterAck = 0x0081;

/// Acknowledgement status codes.
enum EStatus : std::uint16_t {
    Success = 0x0000,
    NotImplemented = 0x8001,
    InvalidParameter = 0x8002,
    InvalidAddress = 0x8003,
    AccessDenied = 0x8006,
};

/// Bytes of bootstrap memory from address 0 that a discovery acknowledgement carries.
inline constexpr std::size_t DiscoveryDataSize = 0xf8;

/// FORCEIP payload: reserved (16 bits), MAC address (high 16 bits, then low 32 bits), then
/// the static IP address, subnet mask and default gateway, each as the last 4 bytes of a
/// 16-byte field whose first 12 bytes are reserved (room for IPv6). The acknowledgement
/// carries no payload.
inline constexpr std::size_t ForceIpPayloadSize = 56;
inline constexpr std::size_t ForceIpMacOffset = 2;
inline constexpr std::size_t ForceIpAddressOffset = 20;
inline constexpr std::size_t ForceIpSubnetMaskOffset = 36;
inline constexpr std::size_t ForceIpGatewayOffset = 52;
/// Most bytes one memory read or write carries.
inline constexpr std::size_t MaxMemoryBlock = 536;

/// Bootstrap register addresses; the IP registers are those of the first network interface.
enum ERegister : std::uint32_t {
    MacAddressHigh = 0x0008, ///< low 16 bits: the first two bytes of the MAC address
    MacAddressLow = 0x000C,  ///< the last four bytes
    CurrentIPConfiguration = 0x0014,
    CurrentIPAddress = 0x0024,
    CurrentSubnetMask = 0x0034,
    CurrentDefaultGateway = 0x0044,
    ManufacturerName = 0x0048, ///< text fields: NUL-padded, ManufacturerName to UserDefinedName
    ModelName = 0x0068,
    DeviceVersion = 0x0088,
    SerialNumber = 0x00D8,
    UserDefinedName = 0x00E8,
    PersistentIPAddress = 0x064C,
    PersistentSubnetMask = 0x065C,
    PersistentDefaultGateway = 0x066C,
    GvcpCapability = 0x0934,
    ControlChannelPrivilege = 0x0A00,
};

/// Sizes of the text fields among the registers.
inline constexpr std::size_t NameSize = 32;  ///< ManufacturerName, ModelName, DeviceVersion
inline constexpr std::size_t ShortNameSize = 16; ///< SerialNumber, UserDefinedName

/// Bits of GvcpCapability, optional commands the device answers (the standard numbers
/// bits from the most significant end: these are bits 30 and 29).
enum ECapabilityFlag : std::uint32_t {
    WriteMemoryCapability = 1u << 1,
    PacketResendCapability = 1u << 2,
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

/// A 16- or 32-bit field of a packet, most significant byte first.
inline std::uint16_t Get16(const std::uint8_t* at) noexcept
{
    return std::uint16_t((at[0] << 8) | at[1]);
}
inline std::uint32_t Get32(const std::uint8_t* at) noexcept
{
    return (std::uint32_t(at[0]) << 24) | (std::uint32_t(at[1]) << 16) | (std::uint32_t(at[2]) << 8) | at[3];
}
inline void Put16(std::uint8_t* at, std::uint16_t value) noexcept
{
    at[0] = std::uint8_t(value >> 8);
    at[1] = std::uint8_t(value);
}
inline void Put32(std::uint8_t* at, std::uint32_t value) noexcept
{
    Put16(at, std::uint16_t(value >> 16));
    Put16(at + 2, std::uint16_t(value));
}

} // namespace zelk::cam::gvcp

namespace zelk::cam::gvsp {

/// Stream packet header: status (16 bits), block id (16 bits), then the packet format in
/// the top 8 bits and the packet id in the low 24 bits of a 32-bit word.
inline constexpr std::size_t HeaderSize = 8;
inline constexpr std::uint32_t PacketIdMask = 0x00ffffff;
inline constexpr int FormatShift = 24;

enum EFormat : std::uint8_t {
    LeaderFormat = 1,
    TrailerFormat = 2,
    PayloadFormat = 3,
};

/// Leader of an image: reserved (16 bits), payload type (16), timestamp (64), pixel format,
/// width, height, x and y offset (32 each), x and y padding (16 each).
inline constexpr std::size_t ImageLeaderSize = 36;
/// Trailer of an image: reserved (16 bits), payload type (16), height (32).
inline constexpr std::size_t ImageTrailerSize = 8;
inline constexpr std::uint16_t ImagePayloadType = 0x0001;
/// Bytes of a packet's IP and UDP headers, which the negotiated packet size includes.
inline constexpr std::size_t IpUdpOverhead = 20 + 8;

} // namespace zelk::cam::gvsp
