#pragma once

#include <zelk/cam/cam.h>

#include <QtGlobal>

/// A camera's IP configuration as the six GigE Vision features hold it.
struct SIpValues
{
    quint32 currentIP = 0;
    quint32 persistentIP = 0;
    quint32 subnetMask = 0;
    quint32 defaultGateway = 0;
    bool dhcp = false;
    bool persistentIPEnabled = false;
};

/// The six IP configuration features of an open device, looked up and narrowed
/// the way the IP tool does it.
class CIpFeatures
{
public:
    explicit CIpFeatures(zelk::cam::IDevice& device);

    /// True when the tree exists and all six features have their kind.
    bool isComplete() const;

    /// Throws gic::CFeatureException like the features do.
    SIpValues read() const;
    /// Writes the five writable features in the IP tool's order; true when every
    /// write was accepted. Throws gic::CFeatureException like the features do.
    bool write(const SIpValues& values) const;

    zelk::TSharedPtr<zelk::cam::gic::IInteger> currentIP, persistentIP, subnetMask, defaultGateway;
    zelk::TSharedPtr<zelk::cam::gic::IBoolean> dhcp, persistentIPEnabled;

private:
    zelk::TSharedPtr<zelk::cam::gic::IGenICam> m_tree;
};
