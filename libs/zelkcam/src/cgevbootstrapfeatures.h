#pragma once

#include <zelk/cam/gic/genicam.h>

#include <memory>

namespace zelk::cam {

class CDeviceSession;

/// Device quirk: some GigE Vision cameras describe none of the standard IP
/// configuration features in their GenICam file, although every GigE Vision
/// camera has the bootstrap registers behind them. This layer serves those
/// features straight from the registers.
class CGevBootstrapFeatures final
{
public:
    /// The register-backed feature of that name, or null when `name` is not one
    /// of the six IP configuration features. Throws std::bad_alloc.
    static TSharedPtr<gic::IFeature> Create(const std::shared_ptr<CDeviceSession>& session, const char* name);
};

} // namespace zelk::cam
