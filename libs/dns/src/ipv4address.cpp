#include <dns/ipv4address.h>

#include <cstdio>

namespace dns {

namespace {

constexpr int OctetCount = 4;
constexpr int MaxDigitsPerOctet = 3;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<CIPv4Address> CIPv4Address::Parse(const char* text) noexcept
{
    if (!text)
        return std::nullopt;

    std::uint32_t address = 0;
    const char* p = text;
    for (int octet = 0; octet < OctetCount; ++octet) {
        if (octet > 0) {
            if (*p != '.')
                return std::nullopt;
            ++p;
        }
        unsigned int value = 0;
        int digits = 0;
        // The digit limit also bounds how far we read into very long text.
        while (digits < MaxDigitsPerOctet && IsDigit(*p)) {
            value = value * 10 + static_cast<unsigned int>(*p - '0');
            ++digits;
            ++p;
        }
        if (digits == 0 || value > 255)
            return std::nullopt;
        address = (address << 8) | value;
    }
    if (*p != '\0')
        return std::nullopt;
    return CIPv4Address(address);
}

CIPv4Address::CText CIPv4Address::Text() const noexcept
{
    CText text {};
    std::snprintf(text.data(), text.size(), "%u.%u.%u.%u", Octet(0), Octet(1), Octet(2), Octet(3));
    return text;
}

CIPv4Address::CSubnetText CIPv4Address::SubnetText(CIPv4Address mask) const noexcept
{
    CSubnetText text {};
    const CText network = Network(mask).Text();
    if (mask.IsContiguousMask())
        std::snprintf(text.data(), text.size(), "%s/%d", network.data(), mask.OneBits());
    else
        std::snprintf(text.data(), text.size(), "%s/%s", network.data(), mask.Text().data());
    return text;
}

} // namespace dns
