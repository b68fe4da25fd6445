#pragma once

#include <dns/ipv4address.h>

#include <cstdint>

namespace zelk::cam {

/// A single GigE Vision control-protocol register read, made before Aravis
/// connects. Aravis waits 2.5 s for every unanswered request and asks for
/// control while it connects, so a short look first lets open() give up early on
/// a camera that is gone or that another application controls.
class CGvcpProbe final
{
public:
    enum EResult {
        Answered, ///< the value is in `value`
        Refused, ///< the camera answered with an error status
        Silent, ///< no answer within the time allowed (or no socket)
    };

    /// Reads the 32-bit register at `address` of the camera at `device`, sending
    /// from `local`. Tries `attempts` times, waiting `timeoutMs` milliseconds for
    /// each answer.
    static EResult ReadRegister(dns::CIPv4Address local, dns::CIPv4Address device, std::uint32_t address,
        std::uint32_t& value, int attempts = 3, int timeoutMs = 300) noexcept;
};

} // namespace zelk::cam
