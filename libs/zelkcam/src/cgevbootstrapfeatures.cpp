#include "cgevbootstrapfeatures.h"

#include "cbootstrapflag.h"
#include "cbootstrapinteger.h"
#include "gvcp.h"
#include "logging.h"

#include <zelk/cam/gic/ipfeatures.h>

#include <cstring>

namespace zelk::cam {

namespace {

struct SIntegerFeature
{
    const char* name;
    gvcp::ERegister address;
    bool writable;
};

struct SFlagFeature
{
    const char* name;
    gvcp::EConfigurationFlag flag;
};

constexpr SIntegerFeature IntegerFeatures[] = {
    { gic::GevCurrentIPAddress, gvcp::CurrentIPAddress, false },
    { gic::GevPersistentIPAddress, gvcp::PersistentIPAddress, true },
    { gic::GevPersistentSubnetMask, gvcp::PersistentSubnetMask, true },
    { gic::GevPersistentDefaultGateway, gvcp::PersistentDefaultGateway, true },
};

constexpr SFlagFeature FlagFeatures[] = {
    { gic::GevCurrentIPConfigurationDHCP, gvcp::DHCPFlag },
    { gic::GevCurrentIPConfigurationPersistentIP, gvcp::PersistentIPFlag },
};

} // namespace

TSharedPtr<gic::IFeature> CGevBootstrapFeatures::Create(
    const std::shared_ptr<CDeviceSession>& session, const char* name)
{
    for (const SIntegerFeature& feature : IntegerFeatures) {
        if (std::strcmp(feature.name, name) == 0) {
            qCDebug(lcGenICam, "%s comes from bootstrap register 0x%04x", name, unsigned(feature.address));
            return TSharedPtr<gic::IFeature>(
                new CBootstrapInteger(session, CString(name), feature.address, feature.writable));
        }
    }
    for (const SFlagFeature& feature : FlagFeatures) {
        if (std::strcmp(feature.name, name) == 0) {
            qCDebug(lcGenICam, "%s comes from bootstrap register 0x%04x", name,
                unsigned(gvcp::CurrentIPConfiguration));
            return TSharedPtr<gic::IFeature>(new CBootstrapFlag(session, CString(name), feature.flag));
        }
    }
    return nullptr;
}

} // namespace zelk::cam
