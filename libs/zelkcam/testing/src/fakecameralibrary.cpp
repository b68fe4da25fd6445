// The test double's implementation of the camera library's entry points.
#include "fakefeatures.h"

#include <zelk/cam/cam.h>
#include <zelk/cam/testing/fakecamerasystem.h>

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
        if (!system.findCamera(info.deviceId.c_str(), camera) || !camera.opens)
            return false;
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

private:
    std::string m_cameraId;
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
            if (camera.hasControlParameter)
                device.parameters[CString("Control")].setValue(CVariant("GenICam"));
            if (!devices.Add(device))
                return false;
        }
        return true;
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
