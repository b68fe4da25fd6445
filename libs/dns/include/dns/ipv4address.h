#pragma once

#include <dns/export.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace dns {

/// An IPv4 address or mask. It holds the first octet in the most significant byte,
/// the order of GenICam integer features, GigE Vision registers and ntohl(), so that
/// prefix tests and ordering read naturally. Values in any other order come in and go
/// out only through the named conversions.
class DNS_EXPORT CIPv4Address
{
public:
    /// Bytes of the longest dotted text, "255.255.255.255", with its NUL.
    static constexpr std::size_t TextSize = 16;
    using CText = std::array<char, TextSize>;
    /// Bytes of the longest subnet text, "255.255.255.255/255.255.255.255", with its NUL.
    static constexpr std::size_t SubnetTextSize = 32;
    using CSubnetText = std::array<char, SubnetTextSize>;

    /// 0.0.0.0.
    constexpr CIPv4Address() noexcept = default;
    /// The address first.second.third.fourth.
    constexpr CIPv4Address(
        std::uint8_t first, std::uint8_t second, std::uint8_t third, std::uint8_t fourth) noexcept
        : m_value((std::uint32_t(first) << 24) | (std::uint32_t(second) << 16) | (std::uint32_t(third) << 8)
            | fourth)
    {
    }

    /// From a value with the first octet in the most significant byte.
    static constexpr CIPv4Address FromValue(std::uint32_t value) noexcept { return CIPv4Address(value); }
    /// From a value with the first octet in the least significant byte, as StringToIP
    /// and IPToString hold it.
    static constexpr CIPv4Address FromLowFirstValue(std::uint32_t value) noexcept
    {
        return CIPv4Address(Reversed(value));
    }

    /// The first octet in the most significant byte.
    constexpr std::uint32_t Value() const noexcept { return m_value; }
    /// The first octet in the least significant byte.
    constexpr std::uint32_t LowFirstValue() const noexcept { return Reversed(m_value); }
    /// The octet at `index` (0 to 3, 0 being the first as written in text).
    constexpr unsigned int Octet(int index) const noexcept { return (m_value >> (8 * (3 - index))) & 0xFFu; }

    /// True for a mask whose one bits form a single run from the top (0.0.0.0 included).
    constexpr bool IsContiguousMask() const noexcept { return ((~m_value + 1u) & ~m_value) == 0u; }
    /// The number of one bits of a mask; its prefix length when contiguous.
    constexpr int OneBits() const noexcept
    {
        int count = 0;
        for (std::uint32_t bits = m_value; bits; bits &= bits - 1)
            ++count;
        return count;
    }
    /// The network address of this address under `mask`.
    constexpr CIPv4Address Network(CIPv4Address mask) const noexcept
    {
        return CIPv4Address(m_value & mask.m_value);
    }
    /// The broadcast address of this address's subnet under `mask`.
    constexpr CIPv4Address Broadcast(CIPv4Address mask) const noexcept
    {
        return CIPv4Address(m_value | ~mask.m_value);
    }
    /// True when both lie in the same subnet under `mask`.
    constexpr bool SameSubnet(CIPv4Address other, CIPv4Address mask) const noexcept
    {
        return Network(mask) == other.Network(mask);
    }
    /// 224.0.0.0/4.
    constexpr bool IsMulticast() const noexcept { return (m_value & 0xF0000000u) == 0xE0000000u; }
    /// 255.255.255.255.
    constexpr bool IsLimitedBroadcast() const noexcept { return m_value == 0xFFFFFFFFu; }
    /// 127.0.0.0/8.
    constexpr bool IsLoopback() const noexcept { return (m_value >> 24) == 127u; }
    /// 169.254.0.0/16.
    constexpr bool IsLinkLocal() const noexcept { return (m_value >> 16) == 0xA9FEu; }
    /// The address `offset` places further on, wrapping past 255.255.255.255.
    constexpr CIPv4Address Plus(std::uint32_t offset) const noexcept { return CIPv4Address(m_value + offset); }

    /// Parses strict dotted-quad decimal text ("192.168.0.10"): four octets 0-255
    /// separated by single dots and nothing else; no blanks, signs or empty octets. An
    /// octet has one to three digits and is always decimal, so leading zeros are accepted
    /// and never mean octal ("010" is 10). Empty for anything else, including null. Reads
    /// at most 16 characters, so text of any length returns at once.
    static std::optional<CIPv4Address> Parse(const char* text) noexcept;

    /// Dotted decimal text without leading zeros, NUL-terminated.
    CText Text() const noexcept;
    /// The subnet of this address under `mask` as NUL-terminated text: its network
    /// address and prefix length, "192.168.1.0/24", or for a mask that is not contiguous
    /// the mask itself, "10.0.2.0/255.0.255.0".
    CSubnetText SubnetText(CIPv4Address mask) const noexcept;

    friend constexpr bool operator==(CIPv4Address a, CIPv4Address b) noexcept
    {
        return a.m_value == b.m_value;
    }
    friend constexpr bool operator!=(CIPv4Address a, CIPv4Address b) noexcept
    {
        return a.m_value != b.m_value;
    }
    friend constexpr bool operator<(CIPv4Address a, CIPv4Address b) noexcept { return a.m_value < b.m_value; }

private:
    explicit constexpr CIPv4Address(std::uint32_t value) noexcept
        : m_value(value)
    {
    }

    static constexpr std::uint32_t Reversed(std::uint32_t value) noexcept
    {
        return ((value & 0xFFu) << 24) | ((value & 0xFF00u) << 8) | ((value >> 8) & 0xFF00u)
            | ((value >> 24) & 0xFFu);
    }

    std::uint32_t m_value = 0;
};

} // namespace dns
