#include "hostcheckcameras.h"

#include <dns/hostinterfaces.h>
#include <zelk/cam/cam.h>

#include <algorithm>

namespace hostcheck {

using namespace zelk;
using namespace zelk::cam;

namespace {

constexpr const char* Transport = "GigE-Vision";

std::int64_t ReadInteger(gic::IGenICam& features, const char* name)
{
    const TSharedPtr<gic::IInteger> feature = features.feature(name).dynamicCast<gic::IInteger>();
    if (!feature)
        return 0;
    try {
        return feature->getValue();
    } catch (const gic::CFeatureException&) {
        return 0;
    }
}

SHostCheckCamera Describe(const SDeviceInfo& info)
{
    SHostCheckCamera camera;
    camera.name = info.serialNumber.empty() ? info.address.c_str()
                                            : std::string(info.serialNumber.c_str()) + " at " + info.address.c_str();
    camera.hostInterface = info.hostInterface.c_str();
    camera.address = info.raw.ipAddress;
    const TSharedPtr<IInterface> transport = interfaces()->find(info.interfaceName);
    const TSharedPtr<IDevice> device = transport ? transport->createDevice() : TSharedPtr<IDevice>();
    // Reading only: a camera streaming to another program answers reads all the same.
    if (device && device->open(info, AccessRead)) {
        if (const TSharedPtr<gic::IGenICam> features = device->genICam(0)) {
            camera.frameBytes = std::uint64_t(std::max<std::int64_t>(ReadInteger(*features, "PayloadSize"), 0));
            const std::int64_t packet = ReadInteger(*features, "GevSCPSPacketSize");
            camera.packetBytes = std::uint32_t(std::clamp<std::int64_t>(packet, 0, 65535));
        }
        device->close();
    }
    return camera;
}

} // namespace

std::vector<SHostCheckCamera> DiscoveredCameras()
{
    TArray<CString> transports;
    transports.Add(Transport);
    TArray<SDeviceInfo> devices;
    interfaces()->refresh(0);
    interfaces()->discover(devices, transports, 1);
    std::vector<SHostCheckCamera> cameras;
    for (const SDeviceInfo& info : devices)
        cameras.push_back(Describe(info));
    return cameras;
}

bool CameraAt(const std::string& address, SHostCheckCamera& camera, std::string& error)
{
    const std::optional<dns::CIPv4Address> parsed = dns::CIPv4Address::Parse(address.c_str());
    if (!parsed || parsed->Value() == 0) {
        error = "\"" + address + "\" is not an IPv4 address";
        return false;
    }
    SDeviceInfo info;
    info.interfaceName = Transport;
    info.address = parsed->Text().data();
    info.raw.ipAddress = parsed->Value();
    info.parameters["Control"].setValue(CVariant("GenICam"));
    const std::vector<dns::SHostInterface> hosts = dns::HostInterfaces();
    if (const dns::SHostInterface* host = dns::FindHostInterface(hosts, *parsed))
        info.hostInterface = host->name.c_str();
    camera = Describe(info);
    return true;
}

std::vector<SHostCheckCamera> AnyCameraOnEachInterface()
{
    const dns::CIPv4Address loopback = dns::CIPv4Address::FromValue(0x7f000000);
    const dns::CIPv4Address loopbackMask = dns::CIPv4Address::FromValue(0xff000000);
    std::vector<SHostCheckCamera> cameras;
    for (const dns::SHostInterface& host : dns::HostInterfaces()) {
        const bool known = std::any_of(cameras.begin(), cameras.end(),
            [&](const SHostCheckCamera& camera) { return camera.hostInterface == host.name; });
        if (known || host.address.SameSubnet(loopback, loopbackMask))
            continue;
        SHostCheckCamera camera;
        camera.name = "cameras on " + host.name;
        camera.hostInterface = host.name;
        cameras.push_back(camera);
    }
    return cameras;
}

} // namespace hostcheck
