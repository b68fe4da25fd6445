#include "cgvdiscovery.h"

#include "aravislocks.h"
#include "cgvinterface.h"
#include "localaddress.h"
#include "logging.h"

#include <arv.h>

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

namespace zelk::cam {

namespace {

using dns::CIPv4Address;

// Copies of Aravis's strings, taken while the list lock is held.
struct SFoundDevice
{
    std::string id;
    std::string vendor;
    std::string model;
    std::string serial;
    std::string mac;
    std::string address;
    CIPv4Address ipAddress;
    std::uint32_t round = 0;
};

std::string Copy(const char* text)
{
    return text ? std::string(text) : std::string();
}

void DiscoverOnce(std::vector<SFoundDevice>& found, std::uint32_t round)
{
    std::lock_guard<std::mutex> lock(AravisListMutex());
    ArvInterface* gv = arv_gv_interface_get_instance();
    arv_interface_update_device_list(gv);
    const unsigned count = arv_interface_get_n_devices(gv);
    for (unsigned i = 0; i < count; ++i) {
        const std::string id = Copy(arv_interface_get_device_id(gv, i));
        const bool known
            = std::any_of(found.begin(), found.end(), [&](const SFoundDevice& d) { return d.id == id; });
        if (id.empty() || known)
            continue;
        SFoundDevice device;
        device.id = id;
        device.vendor = Copy(arv_interface_get_device_vendor(gv, i));
        device.model = Copy(arv_interface_get_device_model(gv, i));
        device.serial = Copy(arv_interface_get_device_serial_nbr(gv, i));
        device.mac = Copy(arv_interface_get_device_physical_id(gv, i));
        device.address = Copy(arv_interface_get_device_address(gv, i));
        device.round = round;
        const std::optional<CIPv4Address> address = CIPv4Address::Parse(device.address.c_str());
        if (!address) {
            qCWarning(lcDiscovery, "device %s answered with an unusable address '%s'", id.c_str(),
                device.address.c_str());
            continue;
        }
        device.ipAddress = *address;
        found.push_back(std::move(device));
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
    info.address = found.address.c_str();
    info.macAddress = found.mac.c_str();
    info.raw.ipAddress = found.ipAddress.Value();
    info.raw.discoveryRound = found.round;
    if (const std::optional<CIPv4Address> local = LocalAddressTowards(found.ipAddress))
        info.raw.interfaceAddress = local->Value();
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
            qCDebug(lcDiscovery, "found %s at %s (%s)", device.id.c_str(), device.address.c_str(),
                device.mac.c_str());
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
