#include "zelkcamlibrary.h"

#include <zelk/cam/cam.h>

namespace zelkir {

namespace {

class ZelkcamCamera final : public LiveCamera
{
public:
    explicit ZelkcamCamera(std::unique_ptr<zelk::cam::CStreamingCamera> camera)
        : m_camera(std::move(camera))
    {
    }

    zelk::cam::gic::IFeatureTree& features() override { return m_camera->features(); }
    bool start(zelk::cam::CStreamingCamera::FrameHandler onFrame,
        zelk::cam::CStreamingCamera::LossHandler onLost, std::string& error) override
    {
        return m_camera->start(std::move(onFrame), std::move(onLost), error);
    }
    void stop() override { m_camera->stop(); }
    zelk::cam::SStreamStatistics statistics() const override { return m_camera->statistics(); }

private:
    const std::unique_ptr<zelk::cam::CStreamingCamera> m_camera;
};

} // namespace

std::unique_ptr<LiveCamera> ZelkcamLibrary::open(const zelk::cam::SDeviceInfo& device, std::string& error)
{
    std::unique_ptr<zelk::cam::CStreamingCamera> camera = zelk::cam::CStreamingCamera::Open(device, error);
    if (!camera)
        return nullptr;
    return std::make_unique<ZelkcamCamera>(std::move(camera));
}

std::vector<zelk::cam::SCameraInfo> ZelkcamLibrary::discover(const zelk::cam::SDeviceInfo& hint)
{
    zelk::TArray<zelk::CString> transports;
    transports.Add(hint.interfaceName.empty() ? zelk::CString("GigE-Vision") : hint.interfaceName);
    zelk::cam::IInterfaces* registry = zelk::cam::interfaces();
    registry->refresh(0);
    zelk::TArray<zelk::cam::SDeviceInfo> devices;
    registry->discover(devices, transports, 1);
    zelk::TArray<zelk::cam::SCameraInfo> matched;
    zelk::cam::cameras()->match(matched, devices, zelk::TArray<zelk::CString>());
    return std::vector<zelk::cam::SCameraInfo>(matched.begin(), matched.end());
}

} // namespace zelkir
