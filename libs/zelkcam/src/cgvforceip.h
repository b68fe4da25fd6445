#pragma once

#include <zelk/cam/cam.h>

#include <dns/ipv4address.h>

namespace zelk::cam {

/// The GigE Vision FORCEIP command: a broadcast on one link that gives the device with
/// a given MAC address a new IP configuration until it restarts.
class CGvForceIp final
{
public:
    /// Attempts within the time allowed; the command is sent again with the same
    /// request id, since a broadcast may be lost.
    static constexpr int Attempts = 3;

    /// Sends FORCEIP for `device` (its macAddress, out of the host interface it answered
    /// discovery on: hostInterface and raw.interfaceAddress) and waits up to `timeoutMs`
    /// (clamped to 1..60000) for a successful acknowledgement. InvalidRequest when the
    /// MAC address is missing, zero or a group address, the interface is unknown or gone,
    /// or `address` is 0; NoAcknowledgement also for an acknowledgement with an error
    /// status.
    static EForceIpResult Send(const SDeviceInfo& device, dns::CIPv4Address address,
        dns::CIPv4Address subnetMask, dns::CIPv4Address defaultGateway, int timeoutMs) noexcept;
};

} // namespace zelk::cam
