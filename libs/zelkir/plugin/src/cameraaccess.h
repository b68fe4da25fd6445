#pragma once

#include "livecamera.h"
#include "serialexecutor.h"

#include <memory>

namespace zelkir {

/// What the camera thread owns: the open camera (null until opened, and after a failed
/// open). Destroyed on that thread, which stops acquisition and releases the camera, and
/// then lets go of its hold on it.
struct CameraSession
{
    CameraSession() = default;
    ~CameraSession()
    {
        if (camera)
            camera->stop();
    }
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    /// Taken before the camera is opened; declared first, so that it ends after it.
    std::unique_ptr<CameraHold> hold;
    std::unique_ptr<LiveCamera> camera;
};

/// Every call to a camera goes through its CameraAccess: posted tasks run in order on one
/// thread that owns the camera, replies come back to the GUI thread. Camera calls can take
/// seconds when the camera is gone, and closing never makes the GUI thread wait.
///
///     access->call([](CameraSession& s) { ... read a feature ...; return value; },
///                  receiver, [](Value value) { ... on the GUI thread ... });
using CameraAccess = SerialExecutor<CameraSession>;

} // namespace zelkir
