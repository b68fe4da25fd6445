#pragma once

#include "livecamera.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

/// One simulated camera: its features, and what the test sees and does of it. Opening and
/// stopping pass a gate the test can close, as a camera that is gone keeps its caller
/// waiting for seconds.
class FakeCameraControl
{
public:
    std::string address = "127.0.0.2";
    std::string serial = "FAKE0002";
    std::map<std::string, zelk::cam::gic::FeatureValue> features;
    bool refuseStart = false;
    /// Lost from within start(), before the connection is reported.
    bool loseOnStart = false;

    std::atomic<int> opened { 0 };
    std::atomic<bool> destroyed { false };
    std::atomic<std::uint64_t> failedFrames { 0 };

    /// Sends a frame of `width` x `height` counts, pixel (x, y) = base + x + 100 y, as the
    /// library's receive thread would. False while not streaming.
    bool send(std::uint64_t frameId, int width, int height, int base,
        zelk::cam::EPixelFormat format = zelk::cam::EPixelFormat::Mono14);
    /// Reports the camera lost, as the library does. False while not streaming.
    bool lose(const std::string& reason);
    bool isStreaming();

    void hold();
    void release();
    /// Waits at the gate while it is closed.
    void pass();
    /// Waits until a caller waits at the closed gate.
    bool waitForBlocked(int milliseconds);
    bool waitForDestroyed(int milliseconds);

    // Used by the fake camera.
    void setHandlers(
        zelk::cam::CStreamingCamera::FrameHandler onFrame, zelk::cam::CStreamingCamera::LossHandler onLost);

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false;
    int m_waiting = 0;
    zelk::cam::CStreamingCamera::FrameHandler m_onFrame;
    zelk::cam::CStreamingCamera::LossHandler m_onLost;
};

/// A camera library of simulated cameras, found by address, discovered by serial.
class FakeCameraLibrary final : public zelkir::CameraLibrary
{
public:
    std::shared_ptr<FakeCameraControl> add(const std::string& address, const std::string& serial);

    std::unique_ptr<zelkir::LiveCamera> open(
        const zelk::cam::SDeviceInfo& device, std::string& error) override;
    std::vector<zelk::cam::SCameraInfo> discover(const zelk::cam::SDeviceInfo& hint) override;

    /// A saved record of a camera at `address` with `serial`.
    static zelk::cam::SCameraInfo record(const std::string& address, const std::string& serial);

private:
    std::mutex m_mutex;
    std::vector<std::shared_ptr<FakeCameraControl>> m_cameras;
};
