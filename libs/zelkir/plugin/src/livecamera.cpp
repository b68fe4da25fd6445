#include "livecamera.h"

#include <mutex>

namespace zelkir {

namespace {

std::mutex systemMutex;
std::shared_ptr<CameraLibrary> systemLibrary;

} // namespace

LiveCamera::~LiveCamera() = default;

CameraLibrary::~CameraLibrary() = default;

std::shared_ptr<CameraLibrary> CameraLibrary::system()
{
    std::lock_guard<std::mutex> lock(systemMutex);
    return systemLibrary;
}

void CameraLibrary::setSystem(std::shared_ptr<CameraLibrary> library)
{
    std::lock_guard<std::mutex> lock(systemMutex);
    systemLibrary = std::move(library);
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
