#pragma once

#include <glib-object.h>

#include <utility>

namespace zelk::cam {

/// Owns one reference to a GObject and drops it with g_object_unref.
template <typename T> class TGObjectPtr
{
public:
    TGObjectPtr() noexcept = default;
    /// Takes over a reference the caller already owns (a "transfer full" result).
    explicit TGObjectPtr(T* object) noexcept
        : m_object(object)
    {
    }
    TGObjectPtr(const TGObjectPtr& other) noexcept
        : m_object(other.m_object)
    {
        if (m_object)
            g_object_ref(m_object);
    }
    TGObjectPtr(TGObjectPtr&& other) noexcept
        : m_object(std::exchange(other.m_object, nullptr))
    {
    }
    ~TGObjectPtr() { reset(); }

    TGObjectPtr& operator=(TGObjectPtr other) noexcept
    {
        std::swap(m_object, other.m_object);
        return *this;
    }

    void reset() noexcept
    {
        if (T* object = std::exchange(m_object, nullptr))
            g_object_unref(object);
    }

    T* get() const noexcept { return m_object; }
    explicit operator bool() const noexcept { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};

} // namespace zelk::cam
