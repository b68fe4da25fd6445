#include "cgvforceip.h"

#include "cgvcpbroadcastsocket.h"
#include "gvcp.h"
#include "logging.h"
#include "requestid.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <exception>
#include <optional>
#include <string>

namespace zelk::cam {

namespace {

using dns::CIPv4Address;
using dns::SHostInterface;
using SMac = std::array<std::uint8_t, 6>;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "aa:bb:cc:dd:ee:ff" (or with dashes, any case): two hex digits a byte, nothing else.
// Empty for anything else, for the zero address, and for group addresses, which would
// reach more than one device.
std::optional<SMac> ParseMac(const std::string& text)
{
    SMac mac {};
    if (text.size() != 3 * mac.size() - 1)
        return std::nullopt;
    for (std::size_t i = 0; i < mac.size(); ++i) {
        const int high = HexDigit(text[3 * i]);
        const int low = HexDigit(text[3 * i + 1]);
        const bool separated = i + 1 == mac.size() || text[3 * i + 2] == ':' || text[3 * i + 2] == '-';
        if (high < 0 || low < 0 || !separated)
            return std::nullopt;
        mac[i] = std::uint8_t(high << 4 | low);
    }
    if (mac == SMac {} || (mac[0] & 0x01))
        return std::nullopt;
    return mac;
}

// The interface the device answered on: by name and address, else by name (its
// address may have changed since), else by address.
std::optional<SHostInterface> FindHost(const SDeviceInfo& device)
{
    const std::string name = device.hostInterface.c_str();
    const CIPv4Address address = CIPv4Address::FromValue(device.raw.interfaceAddress);
    const std::vector<SHostInterface> hosts = CGvcpBroadcastSocket::Interfaces();
    for (int pass = 0; pass < 3; ++pass) {
        for (const SHostInterface& host : hosts) {
            const bool sameName = !name.empty() && host.name == name;
            const bool sameAddress = address != CIPv4Address() && host.address == address;
            if (pass == 0 ? sameName && sameAddress : pass == 1 ? sameName : sameAddress)
                return host;
        }
    }
    return std::nullopt;
}




} // namespace

EForceIpResult CGvForceIp::Send(const SDeviceInfo& device, CIPv4Address address, CIPv4Address subnetMask,
    CIPv4Address defaultGateway, int timeoutMs) noexcept
{
    try {
        const std::optional<SMac> mac = ParseMac(device.macAddress.c_str());
        const std::optional<SHostInterface> host = FindHost(device);
        if (!mac || !host || address == CIPv4Address()) {
            qCInfo(lcDiscovery, "FORCEIP for '%s' on '%s' to %s: %s", device.macAddress.c_str(),
                device.hostInterface.c_str(), address.Text().data(),
                !mac        ? "no usable MAC address"
                    : !host ? "no such host interface"
                            : "no address");
            return EForceIpResult::InvalidRequest;
        }

        const std::uint16_t id = NextRequestId();
        std::array<std::uint8_t, gvcp::HeaderSize + gvcp::ForceIpPayloadSize> command {};
        command[0] = gvcp::CommandKey;
        command[1] = gvcp::AcknowledgeFlag | gvcp::BroadcastAcknowledgeFlag;
        gvcp::Put16(&command[2], gvcp::ForceIpCommand);
        gvcp::Put16(&command[4], std::uint16_t(gvcp::ForceIpPayloadSize));
        gvcp::Put16(&command[6], id);
        std::uint8_t* payload = &command[gvcp::HeaderSize];
        std::copy(mac->begin(), mac->end(), payload + gvcp::ForceIpMacOffset);
        gvcp::Put32(payload + gvcp::ForceIpAddressOffset, address.Value());
        gvcp::Put32(payload + gvcp::ForceIpSubnetMaskOffset, subnetMask.Value());
        gvcp::Put32(payload + gvcp::ForceIpGatewayOffset, defaultGateway.Value());

        CGvcpBroadcastSocket socket;
        const auto start = std::chrono::steady_clock::now();
        const auto timeout = std::chrono::milliseconds(std::clamp(timeoutMs, 1, 60000));
        bool sent = false;
        for (int attempt = 1; attempt <= Attempts; ++attempt) {
            sent = socket.Broadcast(*host, command.data(), command.size()) || sent;
            if (!sent)
                break;
            const auto deadline = start + timeout * attempt / Attempts;
            std::uint8_t answer[64];
            for (long size; (size = socket.Receive(answer, sizeof answer, deadline)) >= 0;) {
                // The acknowledgement carries no payload: its request id is what ties it to this command.
                if (std::size_t(size) < gvcp::HeaderSize || gvcp::Get16(answer + 2) != gvcp::ForceIpAck
                    || gvcp::Get16(answer + 6) != id)
                    continue;
                const std::uint16_t status = gvcp::Get16(answer);
                qCInfo(lcDiscovery, "FORCEIP of %s to %s on %s: status 0x%04x", device.macAddress.c_str(),
                    address.Text().data(), host->name.c_str(), status);
                return status == gvcp::Success ? EForceIpResult::Acknowledged
                                               : EForceIpResult::NoAcknowledgement;
            }
        }
        if (!sent) {
            qCWarning(lcDiscovery, "FORCEIP of %s: cannot send on %s", device.macAddress.c_str(),
                host->name.c_str());
            return EForceIpResult::SendFailed;
        }
        qCInfo(lcDiscovery, "FORCEIP of %s to %s on %s: no acknowledgement within %d ms",
            device.macAddress.c_str(), address.Text().data(), host->name.c_str(), int(timeout.count()));
        return EForceIpResult::NoAcknowledgement;
    } catch (const std::exception& error) {
        qCWarning(lcDiscovery, "FORCEIP failed: %s", error.what());
        return EForceIpResult::SendFailed;
    }
}

} // namespace zelk::cam
