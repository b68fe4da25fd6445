#pragma once

#include <zelk/cam/gic/genicam.h>

#include <new>
#include <utility>

namespace zelk::cam {

/// Keeps a feature's name for any of the feature interfaces.
template <typename Interface> class TNamedFeature : public Interface
{
public:
    explicit TNamedFeature(CString name) noexcept
        : m_name(std::move(name))
    {
    }

    CString name() const override
    {
        try {
            return m_name;
        } catch (const std::bad_alloc&) {
            return CString();
        }
    }

protected:
    const CString& featureName() const noexcept { return m_name; }

private:
    CString m_name;
};

} // namespace zelk::cam
