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

QString subnetText(dns::CIPv4Address address, dns::CIPv4Address mask)
{
    const QString network = QString::fromLatin1(address.Network(mask).Text().data());
    if (mask.IsContiguousMask())
        return QStringLiteral("%1/%2").arg(network).arg(mask.OneBits());
    return QStringLiteral("%1/%2").arg(network, QString::fromLatin1(mask.Text().data()));
}
