#pragma once

#include <zelk/cam/export.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zelk::cam {

/// A camera whose stream this computer must be ready for.
struct SHostCheckCamera
{
    std::string name;              ///< how the report names it ("FAKE0002 at 127.0.0.2")
    std::string hostInterface;     ///< the host interface it answers on ("eth1"); empty when unknown
    std::uint32_t address = 0;     ///< its IPv4 address, first octet most significant
    std::uint64_t frameBytes = 0;  ///< one frame's payload; 0 when not known
    std::uint32_t packetBytes = 0; ///< its stream packet size (GevSCPSPacketSize); 0 when not known
};

enum class EHostCheckStatus { Ok, Problem, Unknown };

/// One thing the check looked at.
struct SHostCheckFinding
{
    /// "Receive buffer", "MTU", "Reverse-path filter", "Firewall", or "Interface" for a
    /// camera that no interface of this computer leads to.
    std::string topic;
    std::string subject; ///< what was read: "net.core.rmem_max", an interface name
    EHostCheckStatus status = EHostCheckStatus::Unknown;
    std::string detail;  ///< one or two sentences for the user
    std::string fix;     ///< for a problem, the command that fixes it; otherwise empty
};

/// The receive socket buffer a camera's stream asks for: Aravis's automatic buffer is one
/// frame plus protocol overhead. 0 when the frame size is not known.
ZELKCAM_EXPORT std::uint64_t ReceiveBufferNeeded(const SHostCheckCamera& camera) noexcept;

/// Reads what GigE Vision streaming from `cameras` depends on here: the receive buffer
/// limit (net.core.rmem_max) against the largest need, and for each interface with cameras
/// its MTU, its reverse-path filter and whether the firewall lets a camera's stream in.
/// Changes nothing. Reads this process's network namespace. Safe from any thread; may take
/// a few seconds (it runs `nft`).
ZELKCAM_EXPORT std::vector<SHostCheckFinding> CheckHost(const std::vector<SHostCheckCamera>& cameras);

/// The findings as the report prints them: one block per finding, problems first.
ZELKCAM_EXPORT std::string FormatHostCheck(const std::vector<SHostCheckFinding>& findings);

} // namespace zelk::cam
