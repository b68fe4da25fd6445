#include "cgevbootstrapfeatures.h"

#include "cbootstrapflag.h"
#include "cbootstrapinteger.h"
#include "logging.h"

#include <cstring>

namespace zelk::cam {

namespace {

struct SIntegerFeature
{
    const char* name;
    std::uint32_t address;
    bool writable;
};

struct SFlagFeature
{
    const char* name;
    std::uint32_t mask;
};

constexpr SIntegerFeature IntegerFeatures[] = {
    { "GevCurrentIPAddress", CGevBootstrapFeatures::CurrentIPAddress, false },
    { "GevPersistentIPAddress", CGevBootstrapFeatures::PersistentIPAddress, true },
    { "GevPersistentSubnetMask", CGevBootstrapFeatures::PersistentSubnetMask, true },
    { "GevPersistentDefaultGateway", CGevBootstrapFeatures::PersistentDefaultGateway, true },
};

constexpr SFlagFeature FlagFeatures[] = {
    { "GevCurrentIPConfigurationDHCP", CGevBootstrapFeatures::DHCPFlag },
    { "GevCurrentIPConfigurationPersistentIP", CGevBootstrapFeatures::PersistentIPFlag },
};

} // namespace

TSharedPtr<gic::IFeature> CGevBootstrapFeatures::Create(
    const std::shared_ptr<CDeviceSession>& session, const char* name)
{
    for (const SIntegerFeature& feature : IntegerFeatures) {
        if (std::strcmp(feature.name, name) == 0) {
            qCDebug(lcGenICam, "%s comes from bootstrap register 0x%04x", name, feature.address);
            return TSharedPtr<gic::IFeature>(
                new CBootstrapInteger(session, CString(name), feature.address, feature.writable));
        }
    }
    for (const SFlagFeature& feature : FlagFeatures) {
        if (std::strcmp(feature.name, name) == 0) {
            qCDebug(
                lcGenICam, "%s comes from bootstrap register 0x%04x", name, unsigned(CurrentIPConfiguration));
            return TSharedPtr<gic::IFeature>(new CBootstrapFlag(session, CString(name), feature.mask));
        }
    }
    return nullptr;
}

} // namespace zelk::cam
