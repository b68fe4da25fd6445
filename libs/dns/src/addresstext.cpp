#include "addresstext.h"

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

std::optional<Ipv4> ParseAddress(const char* text)
{
    if (!text)
        return std::nullopt;

    Ipv4 address = 0;
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
    return address;
}

void FormatAddress(Ipv4 address, char* buffer)
{
    std::snprintf(buffer, 16, "%u.%u.%u.%u", Octet(address, 0), Octet(address, 1), Octet(address, 2),
        Octet(address, 3));
}

} // namespace dns
