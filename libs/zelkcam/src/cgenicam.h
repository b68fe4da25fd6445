#pragma once

#include <zelk/cam/gic/genicam.h>

#include <memory>

namespace zelk::cam {

class CDeviceSession;

/// The feature tree of an open camera: its own GenICam description, completed
/// by the GigE Vision bootstrap features it may leave out.
class CGenICam final : public gic::IGenICam
{
public:
    explicit CGenICam(std::shared_ptr<CDeviceSession> session) noexcept;

    /// Integer nodes come as IInteger, boolean nodes as IBoolean, any other kind
    /// as a plain IFeature. Null for an unknown, unimplemented or null name, or
    /// once the device is closed.
    TSharedPtr<gic::IFeature> feature(const char* name) override;

private:
    std::shared_ptr<CDeviceSession> m_session;
};

} // namespace zelk::cam
