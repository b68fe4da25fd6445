#pragma once

#include <zelk/cam/gic/genicam.h>

#include <cstdint>
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
    /// Bootstrap register addresses of the first network interface.
    enum ERegister : std::uint32_t {
        CurrentIPConfiguration = 0x0014,
        CurrentIPAddress = 0x0024,
        PersistentIPAddress = 0x064C,
        PersistentSubnetMask = 0x065C,
        PersistentDefaultGateway = 0x066C,
    };

    /// Bits of CurrentIPConfiguration (the standard numbers bits from the most
    /// significant end: these are bits 31, 30 and 29).
    enum EConfigurationFlag : std::uint32_t {
        PersistentIPFlag = 1u << 0,
        DHCPFlag = 1u << 1,
        LinkLocalFlag = 1u << 2, ///< must always stay set
    };

    /// The register-backed feature of that name, or null when `name` is not one
    /// of the six IP configuration features.
    static TSharedPtr<gic::IFeature> Create(const std::shared_ptr<CDeviceSession>& session, const char* name);
};

} // namespace zelk::cam
