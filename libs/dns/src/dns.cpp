#include <dns/dns.h>
#include <dns/hostinterfaces.h>
#include <dns/ipv4address.h>

#include "defaultmask.h"
#include "masktext.h"

#include <cstring>

using dns::CIPv4Address;

bool StringToIP(const char* text, unsigned int& address)
{
    const std::optional<CIPv4Address> parsed = CIPv4Address::Parse(text);
    if (!parsed)
        return false;
    address = parsed->LowFirstValue();
    return true;
}

bool IPToString(unsigned int address, char* buffer)
{
    if (!buffer)
        return false;
    std::strcpy(buffer, CIPv4Address::FromLowFirstValue(address).Text().data());
    return true;
}

const char* GetSubnetMask(const char* address)
{
    const std::optional<CIPv4Address> parsed = CIPv4Address::Parse(address);
    if (!parsed)
        return nullptr;
    const std::vector<dns::SHostInterface> interfaces = dns::HostInterfaces();
    const dns::SHostInterface* holding = dns::FindHostInterface(interfaces, *parsed);
    return dns::MaskText(holding ? holding->mask : dns::DefaultMask(*parsed));
}
