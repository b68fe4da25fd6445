#include "livecamera.h"

#include "zelkcamlibrary.h"

namespace zelkir {

LiveCamera::~LiveCamera() = default;

CameraLibrary::~CameraLibrary() = default;

std::shared_ptr<CameraLibrary> CameraLibrary::system()
{
    static const std::shared_ptr<CameraLibrary> library = std::make_shared<ZelkcamLibrary>();
    return library;
}

std::unique_ptr<LiveCamera> openSavedCamera(
    CameraLibrary& library, const zelk::cam::SCameraInfo& saved, std::string& error)
{
    std::unique_ptr<LiveCamera> camera = library.open(saved.deviceInfo, error);
    const zelk::CString& serial
        = saved.serialNumber.empty() ? saved.deviceInfo.serialNumber : saved.serialNumber;
    if (camera || serial.empty())
        return camera;
    for (const zelk::cam::SCameraInfo& found : library.discover(saved.deviceInfo)) {
        const zelk::CString& foundSerial
            = found.serialNumber.empty() ? found.deviceInfo.serialNumber : found.serialNumber;
        if (foundSerial != serial || found.deviceInfo.address == saved.deviceInfo.address)
            continue;
        std::string moved;
        camera = library.open(found.deviceInfo, moved);
        if (camera) {
            error.clear();
            return camera;
        }
    }
    return nullptr;
}

} // namespace zelkir
