#include <zelk/cvariant.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zelk {

CVariant::CVariant(bool value) noexcept : m_type(TypeBool), m_bool(value) {}
CVariant::CVariant(int value) noexcept : m_type(TypeInt), m_int(value) {}
CVariant::CVariant(std::int64_t value) noexcept : m_type(TypeInt), m_int(value) {}
CVariant::CVariant(double value) noexcept : m_type(TypeDouble), m_double(value) {}
CVariant::CVariant(const CString& value) : m_type(TypeString), m_string(value) {}
CVariant::CVariant(const char* value) : m_type(TypeString), m_string(value) {}

bool CVariant::toBool() const noexcept
{
    switch (m_type) {
    case TypeBool:
        return m_bool;
    case TypeInt:
        return m_int != 0;
    case TypeDouble:
        return m_double != 0;
    case TypeString:
        return std::strcmp(m_string.c_str(), "true") == 0 || std::strcmp(m_string.c_str(), "1") == 0;
    case TypeEmpty:
        break;
    }
    return false;
}

std::int64_t CVariant::toInt() const noexcept
{
    switch (m_type) {
    case TypeBool:
        return m_bool ? 1 : 0;
    case TypeInt:
        return m_int;
    case TypeDouble:
        return static_cast<std::int64_t>(m_double);
    case TypeString: {
        char* end = nullptr;
        const long long value = std::strtoll(m_string.c_str(), &end, 10);
        return (end && *end == '\0' && !m_string.empty()) ? value : 0;
    }
    case TypeEmpty:
        break;
    }
    return 0;
}

double CVariant::toDouble() const noexcept
{
    switch (m_type) {
    case TypeBool:
        return m_bool ? 1 : 0;
    case TypeInt:
        return static_cast<double>(m_int);
    case TypeDouble:
        return m_double;
    case TypeString: {
        char* end = nullptr;
        const double value = std::strtod(m_string.c_str(), &end);
        return (end && *end == '\0' && !m_string.empty()) ? value : 0;
    }
    case TypeEmpty:
        break;
    }
    return 0;
}

CString CVariant::toString() const
{
    char buffer[32];
    switch (m_type) {
    case TypeBool:
        return CString(m_bool ? "true" : "false");
    case TypeInt:
        std::snprintf(buffer, sizeof buffer, "%" PRId64, m_int);
        return CString(buffer);
    case TypeDouble:
        std::snprintf(buffer, sizeof buffer, "%.17g", m_double);
        return CString(buffer);
    case TypeString:
        return m_string;
    case TypeEmpty:
        break;
    }
    return CString();
}

bool operator==(const CVariant& a, const CVariant& b) noexcept
{
    if (a.m_type != b.m_type)
        return false;
    switch (a.m_type) {
    case CVariant::TypeBool:
        return a.m_bool == b.m_bool;
    case CVariant::TypeInt:
        return a.m_int == b.m_int;
    case CVariant::TypeDouble:
        return a.m_double == b.m_double;
    case CVariant::TypeString:
        return a.m_string == b.m_string;
    case CVariant::TypeEmpty:
        break;
    }
    return true;
}

} // namespace zelk
