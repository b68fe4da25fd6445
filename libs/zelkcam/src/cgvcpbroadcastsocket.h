#pragma once

#include <dns/hostinterfaces.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelk::cam {

/// A UDP socket for the GigE Vision commands that go to every device on a link
/// (discovery, FORCEIP). It is bound to no particular local address, so that it also
/// receives the acknowledgements a device on another subnet broadcasts, and it sends
/// out of the interface it is told, from that interface's address.
class CGvcpBroadcastSocket final
{
public:
    CGvcpBroadcastSocket() noexcept;
    ~CGvcpBroadcastSocket();
    CGvcpBroadcastSocket(const CGvcpBroadcastSocket&) = delete;
    CGvcpBroadcastSocket& operator=(const CGvcpBroadcastSocket&) = delete;

    /// The host's interfaces a broadcast can go out of: those that are up, have an
    /// interface index and are not point-to-point links (no device answers a broadcast
    /// there), in the system's order.
    static std::vector<dns::SHostInterface> Interfaces();

    /// False when the socket could not be made; nothing can be sent then.
    bool IsOpen() const noexcept { return m_fd >= 0; }

    /// Broadcasts `packet` to the control port out of `host`'s interface: to
    /// 255.255.255.255, or when the system refuses that, to the subnet's broadcast
    /// address. False when neither could be sent.
    bool Broadcast(const dns::SHostInterface& host, const std::uint8_t* packet, std::size_t size) noexcept;

    /// Waits until `deadline` for the next datagram and copies at most `capacity` bytes
    /// of it to `buffer`. Its size, or -1 when none came in time.
    long Receive(
        std::uint8_t* buffer, std::size_t capacity, std::chrono::steady_clock::time_point deadline) noexcept;

private:
    bool SendTo(const dns::SHostInterface& host, dns::CIPv4Address target, const std::uint8_t* packet,
        std::size_t size) noexcept;

    int m_fd = -1;
};

} // namespace zelk::cam
