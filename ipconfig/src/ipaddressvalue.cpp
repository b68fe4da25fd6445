#include "ipaddressvalue.h"

#include <dns/dns.h>

std::optional<dns::CIPv4Address> parseAddress(const QString& text)
{
    unsigned int value = 0;
    if (text.contains(QChar::Null) || !StringToIP(text.toUtf8().constData(), value))
        return std::nullopt;
    return dns::CIPv4Address::FromLowFirstValue(value);
}

QString addressText(std::int64_t genicamValue)
{
    const auto address = dns::CIPv4Address::FromValue(static_cast<std::uint32_t>(genicamValue));
    char buffer[32] = {};
    IPToString(address.LowFirstValue(), buffer);
    return QString::fromUtf8(buffer);
}

std::optional<dns::CIPv4Address> deviceAddress(const zelk::cam::SDeviceInfo& device)
{
    if (device.raw.ipAddress != 0)
        return dns::CIPv4Address::FromValue(device.raw.ipAddress);
    return dns::CIPv4Address::Parse(device.address.c_str());
}

std::optional<dns::SHostInterface> answeredOn(const zelk::cam::SDeviceInfo& device)
{
    if (device.raw.interfaceAddress == 0)
        return std::nullopt;
    dns::SHostInterface host;
    host.name = device.hostInterface.c_str();
    host.address = dns::CIPv4Address::FromValue(device.raw.interfaceAddress);
    host.mask = dns::CIPv4Address::FromValue(device.raw.interfaceMask);
    return host;
}
