#pragma once

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

    /// Control channel privilege register and its bits.
    static constexpr std::uint32_t ControlChannelPrivilege = 0x0A00;
    static constexpr std::uint32_t ExclusiveAccessBit = 1u << 0;
    static constexpr std::uint32_t ControlAccessBit = 1u << 1;

    /// Reads the 32-bit register at `address` of the camera at `device`, sending
    /// from `local` (addresses first octet most significant). Tries `attempts`
    /// times, waiting `timeoutMs` milliseconds for each answer.
    static EResult ReadRegister(std::uint32_t local, std::uint32_t device, std::uint32_t address,
        std::uint32_t& value, int attempts = 3, int timeoutMs = 300) noexcept;
};

} // namespace zelk::cam
