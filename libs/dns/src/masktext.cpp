#include "masktext.h"

#include "addresstext.h"

#include <mutex>
#include <set>
#include <string>

namespace dns {

namespace {

// Indexed by prefix length.
constexpr const char* ContiguousMasks[33] = {
    "0.0.0.0",
    "128.0.0.0",
    "192.0.0.0",
    "224.0.0.0",
    "240.0.0.0",
    "248.0.0.0",
    "252.0.0.0",
    "254.0.0.0",
    "255.0.0.0",
    "255.128.0.0",
    "255.192.0.0",
    "255.224.0.0",
    "255.240.0.0",
    "255.248.0.0",
    "255.252.0.0",
    "255.254.0.0",
    "255.255.0.0",
    "255.255.128.0",
    "255.255.192.0",
    "255.255.224.0",
    "255.255.240.0",
    "255.255.248.0",
    "255.255.252.0",
    "255.255.254.0",
    "255.255.255.0",
    "255.255.255.128",
    "255.255.255.192",
    "255.255.255.224",
    "255.255.255.240",
    "255.255.255.248",
    "255.255.255.252",
    "255.255.255.254",
    "255.255.255.255",
};

bool IsContiguous(Ipv4 mask)
{
    const Ipv4 hostBits = ~mask;
    return (hostBits & (hostBits + 1)) == 0;
}

int PrefixLength(Ipv4 mask)
{
    int length = 0;
    while (length < 32 && (mask & (0x80000000u >> length)))
        ++length;
    return length;
}

const char* Intern(Ipv4 mask)
{
    // Deliberately never destroyed: callers may hold the texts until the very end of
    // the process, including from threads that outlive static destruction.
    static std::mutex* const mutex = new std::mutex;
    static std::set<std::string>* const texts = new std::set<std::string>;

    char buffer[16];
    FormatAddress(mask, buffer);
    std::lock_guard<std::mutex> lock(*mutex);
    return texts->insert(buffer).first->c_str();
}

} // namespace

const char* MaskText(Ipv4 mask)
{
    if (IsContiguous(mask))
        return ContiguousMasks[PrefixLength(mask)];
    return Intern(mask);
}

} // namespace dns
