#include "livecamera.h"

#include "zelkcamlibrary.h"

#include <condition_variable>
#include <mutex>
#include <set>

namespace zelkir {

namespace {

struct SHeldCameras
{
    std::mutex mutex;
    std::condition_variable letGo;
    std::multiset<std::string> names;
};

// Never destroyed: camera threads may still let go of cameras while the process ends.
SHeldCameras& HeldCameras()
{
    static SHeldCameras* const held = new SHeldCameras;
    return *held;
}

std::string HeldName(const zelk::cam::SCameraInfo& camera)
{
    if (!camera.serialNumber.empty())
        return camera.serialNumber.c_str();
    if (!camera.deviceInfo.serialNumber.empty())
        return camera.deviceInfo.serialNumber.c_str();
    return camera.deviceInfo.address.c_str();
}

} // namespace

CameraHold::CameraHold(const zelk::cam::SCameraInfo& camera, std::chrono::milliseconds timeout)
    : m_name(HeldName(camera))
{
    SHeldCameras& held = HeldCameras();
    std::unique_lock<std::mutex> lock(held.mutex);
    held.letGo.wait_for(lock, timeout, [&] { return held.names.count(m_name) == 0; });
    held.names.insert(m_name);
}

CameraHold::~CameraHold()
{
    SHeldCameras& held = HeldCameras();
    {
        std::lock_guard<std::mutex> lock(held.mutex);
        held.names.erase(held.names.find(m_name));
    }
    held.letGo.notify_all();
}

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
