#pragma once

#include <zelk/cam/hostcheck.h>

#include <string>
#include <vector>

namespace zelk::cam {

/// What an nftables rule set does with a camera's stream packet: a new UDP datagram from
/// the camera, arriving on its interface, to an unprivileged port of this computer.
enum class EFirewallVerdict {
    Accepted, ///< every such packet is let in
    Dropped,  ///< every such packet is dropped or rejected
    MayDrop,  ///< some are dropped, depending on ports or addresses the check cannot know
};

struct SFirewallVerdict
{
    EFirewallVerdict verdict = EFirewallVerdict::Accepted;
    /// Where it is decided ("table inet filter, chain input: policy drop"); empty when
    /// nothing in the rule set concerns the packet.
    std::string where;
    /// For Dropped and MayDrop: an nft command that lets the camera's stream in, placed
    /// in that chain; empty otherwise.
    std::string fix;
};

/// Evaluates `nft -j list ruleset` output for a camera's stream packet. False (and
/// `error` set) when the text is not such a rule set.
bool EvaluateGvspInput(const std::string& nftJson, const std::string& interfaceName,
    std::uint32_t cameraAddress, SFirewallVerdict& result, std::string& error);

/// The "Firewall" finding for each of `cameras`, in order: runs `nft -j list ruleset` once
/// (a few seconds at most) and evaluates it for each. Unknown when nft is missing or may not
/// read the rule set (not root).
std::vector<SHostCheckFinding> CheckFirewall(const std::vector<SHostCheckCamera>& cameras);

} // namespace zelk::cam
