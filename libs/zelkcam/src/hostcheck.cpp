#include <zelk/cam/hostcheck.h>

#include "firewallcheck.h"
#include "hostsettings.h"

#include <dns/ipv4address.h>

#include <algorithm>
#include <map>
#include <sstream>

namespace zelk::cam {

namespace {

// Aravis's automatic socket buffer: the frame, room for the headers, and a floor.
constexpr std::uint64_t ProtocolOverheadBytes = 1024;
constexpr std::uint64_t MinimumBufferBytes = 20 * 1024;
constexpr std::int64_t JumboMtu = 9000;

std::string Quoted(const SHostCheckCamera& camera)
{
    return camera.name.empty() ? dns::CIPv4Address::FromValue(camera.address).Text().data() : camera.name;
}

// The sysctl name of an interface's setting: a dot in the name is written as a slash.
std::string SysctlName(const std::string& interfaceName)
{
    std::string name = interfaceName;
    std::replace(name.begin(), name.end(), '.', '/');
    return name;
}

SHostCheckFinding CheckReceiveBuffer(const std::vector<SHostCheckCamera>& cameras)
{
    SHostCheckFinding finding;
    finding.topic = "Receive buffer";
    finding.subject = "net.core.rmem_max";

    const SHostCheckCamera* largest = nullptr;
    for (const SHostCheckCamera& camera : cameras) {
        if (ReceiveBufferNeeded(camera) > (largest ? ReceiveBufferNeeded(*largest) : 0))
            largest = &camera;
    }
    const std::optional<std::int64_t> limit = ReadReceiveBufferLimit();
    if (!limit) {
        finding.detail = "The receive buffer limit could not be read from " + std::string(ReceiveBufferLimitPath) + ".";
        return finding;
    }
    const std::uint64_t have = std::uint64_t(std::max<std::int64_t>(*limit, 0));
    std::ostringstream detail;
    detail << "The limit is " << have << " bytes";
    if (largest) {
        const std::uint64_t need = ReceiveBufferNeeded(*largest);
        detail << "; the stream of " << Quoted(*largest) << " asks for " << need << " bytes (one frame).";
        if (have < need) {
            finding.status = EHostCheckStatus::Problem;
            detail << " Frames that arrive while the program is busy are lost. The file "
                   << SysctlDropInPath << " sets it at every start.";
            finding.fix = "sudo sysctl -w net.core.rmem_max=" + std::to_string(std::max(need, RecommendedReceiveBuffer));
        } else {
            finding.status = EHostCheckStatus::Ok;
        }
    } else if (have >= RecommendedReceiveBuffer) {
        finding.status = EHostCheckStatus::Ok;
        detail << ", enough for frames up to " << RecommendedReceiveBuffer << " bytes.";
    } else {
        detail << "; a stream needs one frame's size, which is not known without a camera"
               << " (a 640 x 512 frame of 16-bit pixels takes 655360 bytes).";
    }
    finding.detail = detail.str();
    return finding;
}

SHostCheckFinding CheckMtu(const std::string& interfaceName, const std::vector<const SHostCheckCamera*>& cameras)
{
    SHostCheckFinding finding;
    finding.topic = "MTU";
    finding.subject = interfaceName;
    const std::optional<std::int64_t> mtu = ReadMtu(interfaceName);
    if (!mtu) {
        finding.detail = "The MTU of " + interfaceName + " could not be read.";
        return finding;
    }
    std::ostringstream detail;
    detail << "The MTU is " << *mtu << " bytes.";
    const SHostCheckCamera* oversized = nullptr;
    for (const SHostCheckCamera* camera : cameras) {
        if (camera->packetBytes > *mtu)
            oversized = camera;
    }
    const std::string fix = "sudo ip link set dev " + interfaceName + " mtu " + std::to_string(JumboMtu);
    if (oversized) {
        finding.status = EHostCheckStatus::Problem;
        detail << " " << Quoted(*oversized) << " sends packets of " << oversized->packetBytes
               << " bytes, which cannot arrive: raise the MTU, or lower the camera's packet size"
               << " (GevSCPSPacketSize).";
        finding.fix = fix;
    } else if (*mtu < JumboMtu) {
        finding.status = EHostCheckStatus::Problem;
        detail << " Streams work, but without jumbo frames (" << JumboMtu
               << ") a frame takes about six times as many packets, which costs processor time and"
                  " loses frames at high rates. Raise it if the camera and every switch on the way"
                  " take jumbo frames; make it permanent in the interface's network settings.";
        finding.fix = fix;
    } else {
        finding.status = EHostCheckStatus::Ok;
        detail << " Jumbo frames fit.";
    }
    finding.detail = detail.str();
    return finding;
}

SHostCheckFinding CheckReversePath(const std::string& interfaceName, const std::vector<const SHostCheckCamera*>& cameras)
{
    SHostCheckFinding finding;
    finding.topic = "Reverse-path filter";
    finding.subject = interfaceName;
    const std::optional<std::int64_t> all = ReadReversePathFilter("all");
    const std::optional<std::int64_t> own = ReadReversePathFilter(interfaceName);
    if (!all || !own) {
        finding.detail = "The reverse-path filter of " + interfaceName + " could not be read.";
        return finding;
    }
    // The kernel applies the larger of the two.
    const std::int64_t mode = std::max(*all, *own);
    const std::string fix = "sudo sysctl -w net.ipv4.conf." + SysctlName(interfaceName) + ".rp_filter=2";
    std::string misrouted;
    for (const SHostCheckCamera* camera : cameras) {
        if (camera->address != 0 && RouteInterfaceTowards(camera->address).value_or(interfaceName) != interfaceName)
            misrouted = Quoted(*camera);
    }
    if (mode == 1 && !misrouted.empty()) {
        finding.status = EHostCheckStatus::Problem;
        finding.detail = "Strict reverse-path filtering is on, and this computer's route to " + misrouted
            + " leaves through another interface, so every packet it sends is dropped. Loose mode (2)"
              " lets them in and keeps the protection against forged addresses.";
        finding.fix = fix;
    } else if (mode == 1) {
        finding.status = EHostCheckStatus::Problem;
        finding.detail = "Strict reverse-path filtering is on: a camera whose address is not routed through "
            + interfaceName
            + " (one that fell back to a link-local address, or a second interface on the same subnet)"
              " cannot stream. Loose mode (2) keeps the protection against forged addresses.";
        finding.fix = fix;
    } else {
        finding.status = EHostCheckStatus::Ok;
        finding.detail = mode == 0 ? "Reverse-path filtering is off." : "Reverse-path filtering is loose.";
    }
    return finding;
}

SHostCheckFinding Unreachable(const SHostCheckCamera& camera)
{
    SHostCheckFinding finding;
    finding.topic = "Interface";
    finding.subject = Quoted(camera);
    finding.detail = "No interface of this computer leads to " + Quoted(camera)
        + ", so its network settings cannot be checked. Addrix can give it an address on a subnet of"
          " this computer.";
    return finding;
}

} // namespace

std::uint64_t ReceiveBufferNeeded(const SHostCheckCamera& camera) noexcept
{
    if (camera.frameBytes == 0)
        return 0;
    return std::max(camera.frameBytes + ProtocolOverheadBytes, MinimumBufferBytes);
}

std::vector<SHostCheckFinding> CheckHost(const std::vector<SHostCheckCamera>& cameras)
{
    std::vector<SHostCheckFinding> findings;
    findings.push_back(CheckReceiveBuffer(cameras));

    // Interfaces in the order their first camera comes; a camera without one is placed by
    // the routing table.
    std::vector<std::string> order;
    std::map<std::string, std::vector<const SHostCheckCamera*>> byInterface;
    for (const SHostCheckCamera& camera : cameras) {
        // A frame size alone, with no camera to place, counts for the receive buffer only.
        if (camera.address == 0 && camera.hostInterface.empty())
            continue;
        std::string name = camera.hostInterface;
        if (name.empty() && camera.address != 0)
            name = RouteInterfaceTowards(camera.address).value_or("");
        if (!IsInterfaceName(name)) {
            findings.push_back(Unreachable(camera));
            continue;
        }
        if (!byInterface.count(name))
            order.push_back(name);
        byInterface[name].push_back(&camera);
    }
    // The firewall's rule set is listed once for all cameras, each placed on its interface.
    std::vector<SHostCheckCamera> placed;
    for (const std::string& name : order) {
        for (const SHostCheckCamera* camera : byInterface[name]) {
            placed.push_back(*camera);
            placed.back().hostInterface = name;
        }
    }
    const std::vector<SHostCheckFinding> firewall = CheckFirewall(placed);
    auto nextFirewall = firewall.begin();
    for (const std::string& name : order) {
        const std::vector<const SHostCheckCamera*>& onIt = byInterface[name];
        findings.push_back(CheckMtu(name, onIt));
        findings.push_back(CheckReversePath(name, onIt));
        findings.insert(findings.end(), nextFirewall, nextFirewall + std::ptrdiff_t(onIt.size()));
        nextFirewall += std::ptrdiff_t(onIt.size());
    }
    std::stable_sort(findings.begin(), findings.end(), [](const SHostCheckFinding& a, const SHostCheckFinding& b) {
        return a.status == EHostCheckStatus::Problem && b.status != EHostCheckStatus::Problem;
    });
    return findings;
}

std::string FormatHostCheck(const std::vector<SHostCheckFinding>& findings)
{
    std::ostringstream text;
    for (const SHostCheckFinding& finding : findings) {
        const char* status = finding.status == EHostCheckStatus::Ok ? "ok"
            : finding.status == EHostCheckStatus::Problem           ? "PROBLEM"
                                                                    : "unknown";
        text << '[' << status << "] " << finding.topic << " (" << finding.subject << ")\n";
        text << "    " << finding.detail << '\n';
        if (!finding.fix.empty())
            text << "    Fix: " << finding.fix << '\n';
    }
    return text.str();
}

} // namespace zelk::cam
