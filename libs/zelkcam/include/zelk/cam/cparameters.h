#pragma once

#include <zelk/cstring.h>
#include <zelk/cvariant.h>
#include <zelk/tarray.h>

#include <cstdint>
#include <cstring>

namespace zelk::cam {

/// One connection parameter: its value and what describes it.
struct CParametersEntry
{
    CParametersEntry() = default;
    explicit CParametersEntry(const CString& entryName) : name(entryName) {}

    /// Stores `newValue` and returns the value it replaces.
    CVariant setValue(CVariant newValue)
    {
        CVariant previous = value;
        value = newValue;
        return previous;
    }

    CVariant value;
    CString name;
    CString description;
    CString unit;
    std::uint64_t flags = 0;
};

/// Named connection parameters of a device ("Control", "IP", ...). Names compare exactly.
class CParameters : public TArray<CParametersEntry>
{
public:
    using CEntry = CParametersEntry;

    /// True when an entry of that name exists.
    bool Exists(const CString& name) const noexcept;

    /// The entry of that name, added with an empty value when absent. Throws
    /// std::bad_alloc when it cannot be added.
    CEntry& operator[](const CString& name);

    /// The entry of that name, or null.
    const CEntry* Find(const CString& name) const noexcept;
};

inline bool CParameters::Exists(const CString& name) const noexcept
{
    return Find(name) != nullptr;
}

inline const CParameters::CEntry* CParameters::Find(const CString& name) const noexcept
{
    for (const CEntry& entry : *this)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

inline CParameters::CEntry& CParameters::operator[](const CString& name)
{
    for (CEntry& entry : *this)
        if (entry.name == name)
            return entry;
    if (!Add(CEntry(name)))
        ThrowBadAllocException();
    return *(end() - 1);
}

} // namespace zelk::cam
