#include "camerastate.h"
#include "ipaddressvalue.h"

#include <zelk/cam/gic/ipfeatures.h>

using namespace zelk;
using namespace zelk::cam;

namespace {

// Details that not every camera offers; they only fill the details view.
constexpr char GevCurrentSubnetMask[] = "GevCurrentSubnetMask";
constexpr char GevCurrentDefaultGateway[] = "GevCurrentDefaultGateway";
constexpr char GevCurrentIPConfigurationLLA[] = "GevCurrentIPConfigurationLLA";

template <typename Feature> TSharedPtr<Feature> lookUp(gic::IGenICam& genICam, const char* name)
{
    return genICam.feature(name).template dynamicCast<Feature>();
}

QString optionalAddress(gic::IGenICam& genICam, const char* name)
{
    try {
        if (TSharedPtr<gic::IInteger> feature = lookUp<gic::IInteger>(genICam, name))
            return addressText(feature->getValue());
    } catch (const gic::CFeatureException&) {
    }
    return QString();
}

bool optionalFlag(gic::IGenICam& genICam, const char* name)
{
    try {
        if (TSharedPtr<gic::IBoolean> feature = lookUp<gic::IBoolean>(genICam, name))
            return feature->getValue();
    } catch (const gic::CFeatureException&) {
    }
    return false;
}

} // namespace

namespace camerastate {

EReadOutcome read(gic::IGenICam& genICam, AddrixModel::SIpSettings& entry)
{
    // All six are looked up even when one is missing, as a camera's log shows them together.
    TSharedPtr<gic::IInteger> current = lookUp<gic::IInteger>(genICam, gic::GevCurrentIPAddress);
    TSharedPtr<gic::IInteger> persistentIP = lookUp<gic::IInteger>(genICam, gic::GevPersistentIPAddress);
    TSharedPtr<gic::IInteger> mask = lookUp<gic::IInteger>(genICam, gic::GevPersistentSubnetMask);
    TSharedPtr<gic::IInteger> gateway = lookUp<gic::IInteger>(genICam, gic::GevPersistentDefaultGateway);
    TSharedPtr<gic::IBoolean> dhcp = lookUp<gic::IBoolean>(genICam, gic::GevCurrentIPConfigurationDHCP);
    TSharedPtr<gic::IBoolean> persistent = lookUp<gic::IBoolean>(genICam, gic::GevCurrentIPConfigurationPersistentIP);
    if (!current || !persistentIP || !mask || !gateway || !dhcp || !persistent)
        return EReadOutcome::MissingFeatures;

    try {
        const QString currentText = addressText(current->getValue());
        const QString addressTextValue = addressText(persistentIP->getValue());
        const QString maskText = addressText(mask->getValue());
        const QString gatewayText = addressText(gateway->getValue());
        entry.dhcpEnabled = dhcp->getValue() && !persistent->getValue();
        entry.currentIP = currentText;
        entry.ipAddress = addressTextValue;
        entry.subnetMask = maskText;
        entry.defaultGateway = gatewayText;
    } catch (...) {
        return EReadOutcome::ReadFailed;
    }
    entry.holdEdited();

    entry.currentSubnetMask = optionalAddress(genICam, GevCurrentSubnetMask);
    entry.currentDefaultGateway = optionalAddress(genICam, GevCurrentDefaultGateway);
    entry.linkLocal = optionalFlag(genICam, GevCurrentIPConfigurationLLA);
    return EReadOutcome::Read;
}

} // namespace camerastate
