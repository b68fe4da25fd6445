#pragma once

#include <zelk/cam/records.h>
#include <zelk/cam/stream.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace zelkir {

/// One open camera, as the live document uses it: the camera library's streaming camera,
/// or a test's stand-in. The same threading as zelk::cam::CStreamingCamera: one thread at
/// a time (the CameraAccess thread), handlers called on the library's threads.
class LiveCamera
{
public:
    virtual ~LiveCamera();
    virtual zelk::cam::gic::IFeatureTree& features() = 0;
    /// Starts acquisition; false with a sentence in `error` when it cannot.
    virtual bool start(zelk::cam::CStreamingCamera::FrameHandler onFrame,
        zelk::cam::CStreamingCamera::LossHandler onLost, std::string& error)
        = 0;
    /// Stops acquisition; no handler is called once it returns.
    virtual void stop() = 0;
    virtual zelk::cam::SStreamStatistics statistics() const = 0;
};

/// How cameras are found and opened: the camera library in the programs, a stand-in in
/// tests. Called on the CameraAccess thread only, where calls may take seconds.
class CameraLibrary
{
public:
    virtual ~CameraLibrary();
    /// Opens the camera at the address `device` gives; null with `error` set when it cannot.
    virtual std::unique_ptr<LiveCamera> open(const zelk::cam::SDeviceInfo& device, std::string& error) = 0;
    /// A fresh discovery on the transport `hint` was found on.
    virtual std::vector<zelk::cam::SCameraInfo> discover(const zelk::cam::SDeviceInfo& hint) = 0;

    /// The camera library itself, which camera documents use unless given another.
    static std::shared_ptr<CameraLibrary> system();
};

/// A camera this process is about to open or has open, named by its serial number (its
/// address when it has none). A camera takes one controller, and letting go of it takes a
/// moment on the thread that had it: a new connection waits for that rather than be
/// refused as if another program held the camera. Taken and let go of on camera threads.
class CameraHold
{
public:
    /// Waits up to `timeout` until no other hold names `camera`, then holds it (also when
    /// the wait ran out: the camera's own answer then tells).
    CameraHold(const zelk::cam::SCameraInfo& camera, std::chrono::milliseconds timeout);
    ~CameraHold();
    CameraHold(const CameraHold&) = delete;
    CameraHold& operator=(const CameraHold&) = delete;

private:
    const std::string m_name;
};

/// Opens the camera `saved` describes: at its saved address, or, when that fails, at the
/// address a fresh discovery finds for its serial number (cameras on DHCP move).
std::unique_ptr<LiveCamera> openSavedCamera(
    CameraLibrary& library, const zelk::cam::SCameraInfo& saved, std::string& error);

} // namespace zelkir
