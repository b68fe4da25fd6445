#pragma once

#include <zelk/cstring.h>
#include <zelk/export.h>

#include <cstdint>

namespace zelk {

/// A value of one of a few plain kinds, used for connection parameters.
class ZELK_EXPORT CVariant
{
public:
    enum EType { TypeEmpty, TypeBool, TypeInt, TypeDouble, TypeString };

    CVariant() noexcept = default;
    CVariant(bool value) noexcept;
    CVariant(int value) noexcept;
    CVariant(std::int64_t value) noexcept;
    CVariant(double value) noexcept;
    CVariant(const CString& value);
    CVariant(const char* value);

    EType type() const noexcept { return m_type; }
    bool isEmpty() const noexcept { return m_type == TypeEmpty; }

    /// Conversions never fail: a value that does not convert gives false, 0 or "".
    bool toBool() const noexcept;
    std::int64_t toInt() const noexcept;
    double toDouble() const noexcept;
    /// Numbers are written in decimal, booleans as "true" and "false".
    CString toString() const;

    friend ZELK_EXPORT bool operator==(const CVariant& a, const CVariant& b) noexcept;
    friend bool operator!=(const CVariant& a, const CVariant& b) noexcept { return !(a == b); }

private:
    EType m_type = TypeEmpty;
    union {
        bool m_bool;
        std::int64_t m_int;
        double m_double = 0;
    };
    CString m_string;
};

} // namespace zelk
