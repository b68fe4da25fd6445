#include "ccameras.h"

#include <cctype>
#include <cstring>
#include <exception>
#include <string>

namespace zelk::cam {

namespace {

bool ContainsIgnoringCase(const char* haystack, const char* needle)
{
    const std::size_t length = std::strlen(needle);
    if (length == 0)
        return false;
    for (; *haystack; ++haystack) {
        std::size_t i = 0;
        while (i < length && haystack[i]
            && std::tolower(static_cast<unsigned char>(haystack[i]))
                == std::tolower(static_cast<unsigned char>(needle[i])))
            ++i;
        if (i == length)
            return true;
    }
    return false;
}

const CString& FirstNonEmpty(const CString& a, const CString& b, const CString& c)
{
    return !a.empty() ? a : !b.empty() ? b : c;
}

} // namespace

CString CCameras::FamilyOf(const CString& model, const TArray<CString>& families)
{
    const CString* best = nullptr;
    for (const CString& family : families)
        if (ContainsIgnoringCase(model.c_str(), family.c_str())
            && (!best || family.length() > best->length()))
            best = &family;
    return best ? *best : CString();
}

CString CCameras::DisplayName(const SDeviceInfo& device)
{
    const CString& name = FirstNonEmpty(device.modelName, device.vendorName, device.deviceId);
    const CString& identity = FirstNonEmpty(device.serialNumber, device.macAddress, device.address);
    std::string text = name.empty() ? std::string("Camera") : std::string(name.c_str());
    if (!identity.empty())
        text.append(" (").append(identity.c_str()).append(")");
    return CString(text.c_str());
}

bool CCameras::match(
    TArray<SCameraInfo>& cameras, const TArray<SDeviceInfo>& devices, TArray<CString> families)
{
    try {
        for (const SDeviceInfo& device : devices) {
            SCameraInfo camera;
            camera.family = FamilyOf(device.modelName, families);
            camera.vendorName = device.vendorName;
            camera.modelName = device.modelName;
            camera.serialNumber = device.serialNumber;
            camera.deviceVersion = device.deviceVersion;
            camera.displayName = DisplayName(device);
            camera.userDefinedName = device.userDefinedName;
            camera.macAddress = device.macAddress;
            camera.address = device.address;
            camera.deviceInfo = device;
            if (!cameras.Add(camera))
                return false;
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace zelk::cam
