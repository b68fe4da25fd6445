#include "masktext.h"

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

const char* Intern(CIPv4Address mask)
{
    // Deliberately never destroyed: callers may hold the texts until the very end of
    // the process, including from threads that outlive static destruction.
    static std::mutex* const mutex = new std::mutex;
    static std::set<std::string>* const texts = new std::set<std::string>;

    const CIPv4Address::CText text = mask.Text();
    std::lock_guard<std::mutex> lock(*mutex);
    return texts->insert(text.data()).first->c_str();
}

} // namespace

const char* MaskText(CIPv4Address mask)
{
    if (mask.IsContiguousMask())
        return ContiguousMasks[mask.OneBits()];
    return Intern(mask);
}

} // namespace dns
