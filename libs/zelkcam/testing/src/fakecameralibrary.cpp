// The test double's implementation of the camera library's entry points.
#include "fakefeatures.h"

#include <zelk/cam/cam.h>
#include <zelk/cam/testing/fakecamerasystem.h>

#include <dns/ipv4address.h>

#include <string>
#include <vector>

namespace zelk::cam {

namespace {

using testing::CFakeCameraSystem;

std::string join(const TArray<CString>& names)
{
    std::string text;
    for (const CString& name : names) {
        if (!text.empty())
            text += ",";
        text += name.c_str();
    }
    return "[" + text + "]";
}

std::string dotted(std::uint32_t address)
{
    return std::string(dns::CIPv4Address::FromValue(address).Text().data());
}

std::uint32_t rawAddress(const std::string& text)
{
    return std::uint32_t(testing::genicamAddress(text));
}

std::string parameterText(const CParameters& parameters, const char* name)
{
    const CParameters::CEntry* entry = parameters.Find(CString(name));
    return entry ? entry->value.toString().c_str() : "-";
}

class CFakeDevice final : public IDevice
{
public:
    bool open(SDeviceInfo info, int accessMode) override
    {
        CFakeCameraSystem& system = CFakeCameraSystem::instance();
        system.record("open " + std::string(info.deviceId.c_str()) + " mode=" + std::to_string(accessMode)
                      + " Control=" + parameterText(info.parameters, "Control")
                      + " IP=" + parameterText(info.parameters, "IP"));
        system.waitForGate();
        testing::SFakeCamera camera;
        if (!system.findCamera(info.deviceId.c_str(), camera)) {
            m_openFailure = EOpenFailure::NoAnswer;
            return false;
        }
        if (!camera.opens) {
            m_openFailure = camera.openFailure;
            return false;
        }
        m_openFailure = EOpenFailure::None;
        m_cameraId = camera.id;
        m_hasGenICam = camera.hasGenICam;
        return true;
    }

    TSharedPtr<gic::IGenICam> genICam(int index) override
    {
        CFakeCameraSystem::instance().record("genICam " + std::to_string(index));
        if (m_cameraId.empty() || !m_hasGenICam || index != 0)
            return {};
        return TSharedPtr<gic::IGenICam>(new testing::CFakeGenICam(m_cameraId));
    }

    void close() override { m_cameraId.clear(); }
    EOpenFailure openFailure() const override { return m_openFailure; }

private:
    std::string m_cameraId;
    EOpenFailure m_openFailure = EOpenFailure::None;
    bool m_hasGenICam = false;
};

class CFakeInterface final : public IInterface
{
public:
    explicit CFakeInterface(std::string name) : m_name(std::move(name)) {}
    CString name() const override { return CString(m_name.c_str()); }
    TSharedPtr<IDevice> createDevice() override
    {
        CFakeCameraSystem::instance().record("createDevice " + m_name);
        return TSharedPtr<IDevice>(new CFakeDevice);
    }

private:
    std::string m_name;
};

class CFakeInterfaces final : public IInterfaces
{
public:
    TSharedPtr<IInterface> find(const CString& name) override
    {
        CFakeCameraSystem& system = CFakeCameraSystem::instance();
        system.record(std::string("find ") + name.c_str());
        if (!system.hasTransport(name.c_str()))
            return {};
        return TSharedPtr<IInterface>(new CFakeInterface(name.c_str()));
    }

    bool refresh(int force) override
    {
        CFakeCameraSystem::instance().record("refresh " + std::to_string(force));
        return true;
    }

    bool discover(TArray<SDeviceInfo>& devices, TArray<CString> interfaceNames, int rounds) override
    {
        CFakeCameraSystem& system = CFakeCameraSystem::instance();
        system.record("discover " + join(interfaceNames) + " " + std::to_string(rounds));
        std::vector<std::string> names;
        for (const CString& name : interfaceNames)
            names.emplace_back(name.c_str());
        for (const testing::SFakeCamera& camera : system.camerasOn(names)) {
            SDeviceInfo device;
            device.interfaceName = camera.interfaceName.c_str();
            device.deviceId = camera.id.c_str();
            device.address = camera.address.c_str();
            device.macAddress = camera.macAddress.c_str();
            device.hostInterface = camera.hostInterface.c_str();
            device.raw.ipAddress = rawAddress(camera.address);
            device.raw.interfaceAddress = rawAddress(camera.interfaceAddress);
            device.raw.interfaceMask = rawAddress(camera.interfaceMask);
            if (camera.hasControlParameter)
                device.parameters[CString("Control")].setValue(CVariant("GenICam"));
            if (!devices.Add(device))
                return false;
        }
        return true;
    }

    /// Acknowledged when the camera answers FORCEIP (it then sits at `address`);
    /// InvalidRequest for an address of 0, as the real library.
    EForceIpResult forceIp(const SDeviceInfo& device, std::uint32_t address, std::uint32_t subnetMask,
                           std::uint32_t defaultGateway, int) override
    {
        CFakeCameraSystem& system = CFakeCameraSystem::instance();
        system.record("forceip " + std::string(device.deviceId.c_str()) + " " + dotted(address) + " "
                      + dotted(subnetMask) + " " + dotted(defaultGateway));
        if (address == 0)
            return EForceIpResult::InvalidRequest;
        return system.forceAddress(device.deviceId.c_str(), dotted(address)) ? EForceIpResult::Acknowledged
                                                                              : EForceIpResult::NoAcknowledgement;
    }
};

class CFakeCameras final : public ICameras
{
public:
    bool match(TArray<SCameraInfo>& cameras, const TArray<SDeviceInfo>& devices, TArray<CString> families) override
    {
        CFakeCameraSystem& system = CFakeCameraSystem::instance();
        system.record("match " + join(families));
        for (const SDeviceInfo& device : devices) {
            testing::SFakeCamera camera;
            if (!system.findCamera(device.deviceId.c_str(), camera))
                continue;
            SCameraInfo info;
            info.displayName = camera.displayName.c_str();
            info.address = device.address;
            info.macAddress = device.macAddress;
            info.deviceInfo = device;
            if (!cameras.Add(info))
                return false;
        }
        return true;
    }
};

} // namespace

IInterfaces* interfaces()
{
    static CFakeInterfaces registry;
    return &registry;
}

ICameras* cameras()
{
    static CFakeCameras recogniser;
    return &recogniser;
}

} // namespace zelk::cam
