#include "ipaddressvalue.h"

#include <dns/dns.h>

QString addressText(quint64 genicamValue)
{
    char buffer[32] = {};
    IPToString(reverseAddressBytes(genicamValue), buffer);
    return QString::fromUtf8(buffer);
}

bool parseAddress(const QString& text, unsigned int& address)
{
    if (text.contains(QChar::Null))
        return false;
    return StringToIP(text.toUtf8().constData(), address);
}

quint32 genicamAddressValue(const QString& text)
{
    unsigned int address = 0;
    parseAddress(text, address);
    return reverseAddressBytes(address);
}
