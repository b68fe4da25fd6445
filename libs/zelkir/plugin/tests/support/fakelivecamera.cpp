#include "fakelivecamera.h"

#include <chrono>
#include <thread>

using zelk::cam::CStreamingCamera;
using zelk::cam::gic::FeatureValue;

namespace {

class FakeFeatureTree final : public zelk::cam::gic::IFeatureTree
{
public:
    explicit FakeFeatureTree(std::map<std::string, FeatureValue> values)
        : m_values(std::move(values))
    {
    }

    std::string rootCategory() const override { return "Root"; }
    bool describe(const std::string& name, zelk::cam::gic::SFeatureInfo& info) override
    {
        info.name = name;
        return m_values.count(name) > 0;
    }
    bool read(const std::string& name, FeatureValue& value, std::string& error) override
    {
        const auto found = m_values.find(name);
        if (found == m_values.end()) {
            error = "no such feature";
            return false;
        }
        value = found->second;
        return true;
    }
    bool write(const std::string& name, const FeatureValue& value, std::string&) override
    {
        m_values[name] = value;
        return true;
    }
    std::vector<std::string> invalidatedBy(const std::string&) override { return {}; }

private:
    std::map<std::string, FeatureValue> m_values;
};

class FakeLiveCamera final : public zelkir::LiveCamera
{
public:
    explicit FakeLiveCamera(std::shared_ptr<FakeCameraControl> control)
        : m_control(std::move(control))
        , m_features(m_control->features)
    {
    }
    ~FakeLiveCamera() override
    {
        stop();
        m_control->destroyed = true;
    }

    zelk::cam::gic::IFeatureTree& features() override { return m_features; }
    bool start(CStreamingCamera::FrameHandler onFrame, CStreamingCamera::LossHandler onLost,
        std::string& error) override
    {
        if (m_control->refuseStart) {
            error = "acquisition refused";
            return false;
        }
        m_control->setHandlers(std::move(onFrame), std::move(onLost));
        if (m_control->loseOnStart)
            m_control->lose("gone at once");
        return true;
    }
    void stop() override
    {
        m_control->pass();
        m_control->setHandlers({}, {});
    }
    zelk::cam::SStreamStatistics statistics() const override
    {
        zelk::cam::SStreamStatistics statistics;
        statistics.failedFrames = m_control->failedFrames;
        return statistics;
    }

private:
    const std::shared_ptr<FakeCameraControl> m_control;
    FakeFeatureTree m_features;
};

} // namespace

bool FakeCameraControl::send(
    std::uint64_t frameId, int width, int height, int base, zelk::cam::EPixelFormat format)
{
    auto frame = std::make_shared<zelk::cam::SStreamFrame>();
    frame->frameId = frameId;
    frame->timestampNs = frameId * 10'000'000u;
    frame->width = width;
    frame->height = height;
    frame->pixelFormat = format;
    frame->pixels.resize(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            frame->pixels[std::size_t(y * width + x)] = std::uint16_t(base + x + 100 * y);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_onFrame)
        return false;
    m_onFrame(std::move(frame));
    return true;
}

bool FakeCameraControl::lose(const std::string& reason)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_onLost)
        return false;
    m_onLost(reason);
    return true;
}

bool FakeCameraControl::isStreaming()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return bool(m_onFrame);
}

void FakeCameraControl::setHandlers(
    CStreamingCamera::FrameHandler onFrame, CStreamingCamera::LossHandler onLost)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_onFrame = std::move(onFrame);
    m_onLost = std::move(onLost);
}

void FakeCameraControl::hold()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_held = true;
}

void FakeCameraControl::release()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held = false;
    }
    m_changed.notify_all();
}

void FakeCameraControl::pass()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_waiting;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_held; });
    --m_waiting;
}

bool FakeCameraControl::waitForBlocked(int milliseconds)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(
        lock, std::chrono::milliseconds(milliseconds), [this] { return m_held && m_waiting > 0; });
}

bool FakeCameraControl::waitForDestroyed(int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!destroyed && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return destroyed;
}

std::shared_ptr<FakeCameraControl> FakeCameraLibrary::add(
    const std::string& address, const std::string& serial)
{
    auto control = std::make_shared<FakeCameraControl>();
    control->address = address;
    control->serial = serial;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_cameras.push_back(control);
    return control;
}

std::unique_ptr<zelkir::LiveCamera> FakeCameraLibrary::open(
    const zelk::cam::SDeviceInfo& device, std::string& error)
{
    std::shared_ptr<FakeCameraControl> found;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& camera : m_cameras) {
            if (camera->address == device.address.c_str())
                found = camera;
        }
    }
    if (!found) {
        error = "no camera answers at " + std::string(device.address.c_str());
        return nullptr;
    }
    found->pass();
    ++found->opened;
    return std::make_unique<FakeLiveCamera>(found);
}

std::vector<zelk::cam::SCameraInfo> FakeCameraLibrary::discover(const zelk::cam::SDeviceInfo&)
{
    std::vector<zelk::cam::SCameraInfo> cameras;
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& camera : m_cameras)
        cameras.push_back(record(camera->address, camera->serial));
    return cameras;
}

zelk::cam::SCameraInfo FakeCameraLibrary::record(const std::string& address, const std::string& serial)
{
    zelk::cam::SCameraInfo camera;
    camera.serialNumber = serial.c_str();
    camera.address = address.c_str();
    camera.deviceInfo.interfaceName = "GigE-Vision";
    camera.deviceInfo.serialNumber = serial.c_str();
    camera.deviceInfo.address = address.c_str();
    return camera;
}
