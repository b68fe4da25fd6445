#include <dns/dns.h>

#include "addresstext.h"
#include "defaultmask.h"
#include "interfacenetworks.h"
#include "masktext.h"

bool StringToIP(const char* text, unsigned int& address)
{
    const std::optional<dns::Ipv4> parsed = dns::ParseAddress(text);
    if (!parsed)
        return false;
    address = dns::ToPublicValue(*parsed);
    return true;
}

bool IPToString(unsigned int address, char* buffer)
{
    if (!buffer)
        return false;
    dns::FormatAddress(dns::FromPublicValue(address), buffer);
    return true;
}

const char* GetSubnetMask(const char* address)
{
    const std::optional<dns::Ipv4> parsed = dns::ParseAddress(address);
    if (!parsed)
        return nullptr;
    const std::optional<dns::Ipv4> interfaceMask
        = dns::FindNetworkMask(dns::ReadInterfaceNetworks(), *parsed);
    return dns::MaskText(interfaceMask ? *interfaceMask : dns::DefaultMask(*parsed));
}
