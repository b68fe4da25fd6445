#include "cuvinterface.h"

#include "aravislocks.h"
#include "logging.h"

#include <arv.h>

#include <exception>
#include <string>
#include <vector>

namespace zelk::cam {

namespace {

class CUvDevice final : public IDevice
{
public:
    bool open(SDeviceInfo info, int) override
    {
        m_openFailure = EOpenFailure::Failed;
        qCInfo(lcDevice, "%s is a USB3 Vision camera; only GigE Vision cameras can be opened",
            info.deviceId.c_str());
        return false;
    }
    TSharedPtr<gic::IGenICam> genICam(int) override { return nullptr; }
    void close() override { }
    EOpenFailure openFailure() const override { return m_openFailure; }

private:
    EOpenFailure m_openFailure = EOpenFailure::None;
};

struct SFound
{
    std::string id, vendor, model, serial, physicalId;
};

std::string Copy(const char* text)
{
    return text ? std::string(text) : std::string();
}

} // namespace

CString CUvInterface::name() const
{
    try {
        return CString(Name);
    } catch (const std::bad_alloc&) {
        return CString();
    }
}

TSharedPtr<IDevice> CUvInterface::createDevice()
{
    try {
        return TSharedPtr<IDevice>(new CUvDevice());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool CUvInterface::Discover(TArray<SDeviceInfo>& devices) noexcept
{
    try {
        std::vector<SFound> found;
        {
            std::lock_guard<std::mutex> lock(AravisListMutex());
            ArvInterface* uv = arv_uv_interface_get_instance();
            if (!uv)
                return true;
            arv_interface_update_device_list(uv);
            const unsigned count = arv_interface_get_n_devices(uv);
            for (unsigned i = 0; i < count; ++i) {
                found.push_back({ Copy(arv_interface_get_device_id(uv, i)),
                    Copy(arv_interface_get_device_vendor(uv, i)), Copy(arv_interface_get_device_model(uv, i)),
                    Copy(arv_interface_get_device_serial_nbr(uv, i)),
                    Copy(arv_interface_get_device_physical_id(uv, i)) });
            }
        }
        qCDebug(lcDiscovery, "%zu USB3 Vision device(s)", found.size());
        for (const SFound& device : found) {
            SDeviceInfo info;
            info.interfaceName = Name;
            info.deviceId = device.id.c_str();
            info.vendorName = device.vendor.c_str();
            info.modelName = device.model.c_str();
            info.serialNumber = device.serial.c_str();
            info.userDefinedName = device.physicalId.c_str();
            if (!devices.Add(info))
                return false;
        }
        return true;
    } catch (const std::exception& error) {
        qCWarning(lcDiscovery, "USB3 Vision discovery failed: %s", error.what());
        return false;
    }
}

} // namespace zelk::cam
