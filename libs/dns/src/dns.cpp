#include <dns/dns.h>
// Placeholder until the real implementation lands.
bool StringToIP(const char*, unsigned int&) { return false; }
bool IPToString(unsigned int, char*) { return false; }
const char* GetSubnetMask(const char*) { return nullptr; }
