#include "cgvdiscovery.h"

#include "cgvcpbroadcastsocket.h"
#include "cgvinterface.h"
#include "gvcp.h"
#include "logging.h"
#include "requestid.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <map>
#include <string>
#include <vector>

namespace zelk::cam {

namespace {

using dns::CIPv4Address;
using dns::SHostInterface;

struct SFoundDevice
{
    std::string id;
    std::string vendor;
    std::string model;
    std::string version;
    std::string serial;
    std::string userName;
    std::string mac;
    CIPv4Address ipAddress;
    SHostInterface host;
    std::uint32_t round = 0;
};



// A NUL-padded text field; control characters are dropped, since ids and names end up
// in lists and logs.
std::string Text(const std::uint8_t* data, std::size_t offset, std::size_t size)
{
    std::string text;
    for (std::size_t i = 0; i < size && data[offset + i] != 0; ++i) {
        if (data[offset + i] >= 0x20)
            text += char(data[offset + i]);
    }
    return text;
}

SFoundDevice Parse(const std::uint8_t* data, const SHostInterface& host, std::uint32_t round)
{
    SFoundDevice device;
    device.vendor = Text(data, gvcp::ManufacturerName, gvcp::NameSize);
    device.model = Text(data, gvcp::ModelName, gvcp::NameSize);
    device.version = Text(data, gvcp::DeviceVersion, gvcp::NameSize);
    device.serial = Text(data, gvcp::SerialNumber, gvcp::ShortNameSize);
    device.userName = Text(data, gvcp::UserDefinedName, gvcp::ShortNameSize);
    const std::uint8_t* mac = data + gvcp::MacAddressHigh + 2;
    char macText[18];
    std::snprintf(macText, sizeof macText, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3],
        mac[4], mac[5]);
    device.mac = macText;
    // Some devices report no serial number; their MAC address tells them apart instead.
    device.id
        = device.vendor + "-" + device.model + "-" + (device.serial.empty() ? device.mac : device.serial);
    device.ipAddress = CIPv4Address::FromValue(gvcp::Get32(data + gvcp::CurrentIPAddress));
    device.host = host;
    device.round = round;
    return device;
}

// One sender per link and subnet: further addresses of the same subnet on the same
// interface would only reach the same devices again.
std::vector<SHostInterface> Senders()
{
    std::vector<SHostInterface> senders;
    for (SHostInterface& host : CGvcpBroadcastSocket::Interfaces()) {
        const bool covered = std::any_of(senders.begin(), senders.end(), [&](const SHostInterface& sender) {
            return sender.index == host.index && sender.mask == host.mask && sender.Holds(host.address);
        });
        if (!covered)
            senders.push_back(std::move(host));
    }
    return senders;
}

void Remember(std::vector<SFoundDevice>& found, SFoundDevice device)
{
    const auto known
        = std::find_if(found.begin(), found.end(), [&](const SFoundDevice& d) { return d.id == device.id; });
    if (known == found.end()) {
        found.push_back(std::move(device));
        return;
    }
    // A device seen from several subnets of one host belongs to the one that holds its address.
    if (!known->host.Holds(known->ipAddress) && device.host.Holds(device.ipAddress)) {
        known->host = device.host;
        known->ipAddress = device.ipAddress;
    }
}

void DiscoverOnce(std::vector<SFoundDevice>& found, std::uint32_t round)
{
    CGvcpBroadcastSocket socket;
    if (!socket.IsOpen())
        return;
    // Each interface's request gets its own id, so an acknowledgement tells which
    // interface it answered, broadcast or not.
    std::map<std::uint16_t, SHostInterface> requests;
    for (const SHostInterface& host : Senders()) {
        const std::uint16_t id = NextRequestId();
        std::uint8_t request[gvcp::HeaderSize]
            = { gvcp::CommandKey, gvcp::AcknowledgeFlag | gvcp::BroadcastAcknowledgeFlag, 0, 0, 0, 0, 0, 0 };
        request[2] = std::uint8_t(gvcp::DiscoveryCommand >> 8);
        request[3] = std::uint8_t(gvcp::DiscoveryCommand);
        request[6] = std::uint8_t(id >> 8);
        request[7] = std::uint8_t(id);
        if (socket.Broadcast(host, request, sizeof request))
            requests.emplace(id, host);
    }
    if (requests.empty())
        return;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(CGvDiscovery::RoundMs);
    std::uint8_t answer[1024];
    for (;;) {
        const long size = socket.Receive(answer, sizeof answer, deadline);
        if (size < 0)
            break;
        if (std::size_t(size) < gvcp::HeaderSize + gvcp::DiscoveryDataSize || gvcp::Get16(answer) != gvcp::Success
            || gvcp::Get16(answer + 2) != gvcp::DiscoveryAck || gvcp::Get16(answer + 4) < gvcp::DiscoveryDataSize)
            continue;
        const auto request = requests.find(gvcp::Get16(answer + 6));
        if (request == requests.end())
            continue;
        Remember(found, Parse(answer + gvcp::HeaderSize, request->second, round));
    }
}

SDeviceInfo MakeDeviceInfo(const SFoundDevice& found)
{
    SDeviceInfo info;
    info.interfaceName = CGvInterface::Name;
    info.deviceId = found.id.c_str();
    info.vendorName = found.vendor.c_str();
    info.modelName = found.model.c_str();
    info.serialNumber = found.serial.c_str();
    info.userDefinedName = found.userName.c_str();
    info.deviceVersion = found.version.c_str();
    info.address = found.ipAddress.Text().data();
    info.macAddress = found.mac.c_str();
    info.hostInterface = found.host.name.c_str();
    info.raw.ipAddress = found.ipAddress.Value();
    info.raw.interfaceAddress = found.host.address.Value();
    info.raw.interfaceMask = found.host.mask.Value();
    info.raw.discoveryRound = found.round;
    CParameters::CEntry& control = info.parameters["Control"];
    control.setValue(CVariant("GenICam"));
    control.description = "control protocol; GenICam is the one offered";
    return info;
}

} // namespace

bool CGvDiscovery::Run(TArray<SDeviceInfo>& devices, int rounds) noexcept
{
    try {
        const int count = std::clamp(rounds, 1, MaxRounds);
        std::vector<SFoundDevice> found;
        for (int round = 1; round <= count; ++round)
            DiscoverOnce(found, std::uint32_t(round));
        std::sort(found.begin(), found.end(), [](const SFoundDevice& a, const SFoundDevice& b) {
            return a.ipAddress != b.ipAddress ? a.ipAddress < b.ipAddress : a.id < b.id;
        });
        qCDebug(lcDiscovery, "%zu GigE Vision device(s) after %d round(s)", found.size(), count);

        for (const SFoundDevice& device : found) {
            qCDebug(lcDiscovery, "found %s at %s (%s) on %s (%s)", device.id.c_str(),
                device.ipAddress.Text().data(), device.mac.c_str(), device.host.name.c_str(),
                device.host.address.Text().data());
            if (!devices.Add(MakeDeviceInfo(device)))
                return false;
        }
        return true;
    } catch (const std::exception& error) {
        qCWarning(lcDiscovery, "discovery failed: %s", error.what());
        return false;
    }
}

} // namespace zelk::cam
