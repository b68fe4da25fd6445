#pragma once

#include <zelk/cam/cam.h>

#include "tgobjectptr.h"

#include <arv.h>

#include <memory>
#include <string>

namespace zelk::cam {

class CDeviceSession;

/// Connects to the GigE Vision camera at `info.address`, asking for its control
/// channel when `wantControl`; range and access checks on. Null with a sentence for
/// the user in `error`, and why in `failure` when given, when it cannot; a camera that
/// does not answer makes this fail within about one second.
TGObjectPtr<ArvDevice> ConnectGvDevice(
    const SDeviceInfo& info, bool wantControl, std::string& error, EOpenFailure* failure = nullptr);

/// A GigE Vision camera reached by its address through Aravis.
class CGvDevice final : public IDevice
{
public:
    CGvDevice() noexcept;
    ~CGvDevice() override;

    /// Connects to `info.address` on the GigE Vision transport. The "IP" parameter
    /// is kept with the record but never decides where to connect; "Control" names
    /// the control protocol, and GenICam, the only one, serves any value. With
    /// AccessControl the camera's control channel must be granted, otherwise the
    /// channel is handed back so that other programs can control the camera.
    /// A camera that does not answer makes this fail within about one second.
    bool open(SDeviceInfo info, int accessMode) override;
    TSharedPtr<gic::IGenICam> genICam(int index) override;
    /// Features taken from the device fail from now on. Aravis hands the control
    /// channel back first, which takes up to about 5 s for a camera that stopped
    /// answering while it was open.
    void close() override;
    EOpenFailure openFailure() const override;

private:
    std::shared_ptr<CDeviceSession> m_session;
    EOpenFailure m_openFailure = EOpenFailure::None;
};

} // namespace zelk::cam
