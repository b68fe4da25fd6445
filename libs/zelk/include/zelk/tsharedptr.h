#pragma once

#include <zelk/creferencecounter.h>

#include <new>
#include <utility>

namespace zelk {

namespace detail {

// Knows how to destroy the object it was created for, so a shared pointer cast to
// another type still destroys the original object the original way.
class CSharedOwner : public CReferenceCounter
{
public:
    virtual void DestroyObject() noexcept = 0;
};

template <typename T> class TSharedOwner final : public CSharedOwner
{
public:
    using Deleter = void (*)(T*);
    TSharedOwner(T* object, Deleter deleter) noexcept : m_object(object), m_deleter(deleter) {}
    void DestroyObject() noexcept override
    {
        if (m_deleter)
            m_deleter(m_object);
        else
            delete m_object;
    }

private:
    T* m_object;
    Deleter m_deleter;
};

} // namespace detail

/// A reference-counted pointer. Copies add a reference; the last one to go destroys
/// the object with its deleter or, without one, with delete.
template <typename T> class TSharedPtr
{
public:
    using Deleter = void (*)(T*);

    TSharedPtr() noexcept = default;
    TSharedPtr(std::nullptr_t) noexcept {}

    /// Takes ownership of `object`. If the counter cannot be allocated the object is
    /// destroyed and std::bad_alloc is thrown.
    explicit TSharedPtr(T* object, Deleter deleter = nullptr)
    {
        if (!object)
            return;
        m_owner = new (std::nothrow) detail::TSharedOwner<T>(object, deleter);
        if (!m_owner) {
            if (deleter)
                deleter(object);
            else
                delete object;
            throw std::bad_alloc();
        }
        m_object = object;
    }

    TSharedPtr(const TSharedPtr& other) noexcept : m_object(other.m_object), m_owner(other.m_owner)
    {
        if (m_owner)
            m_owner->AddRef();
    }
    TSharedPtr(TSharedPtr&& other) noexcept
        : m_object(std::exchange(other.m_object, nullptr)), m_owner(std::exchange(other.m_owner, nullptr))
    {
    }
    template <typename U>
    TSharedPtr(const TSharedPtr<U>& other) noexcept : m_object(other.m_object), m_owner(other.m_owner)
    {
        if (m_owner)
            m_owner->AddRef();
    }

    ~TSharedPtr() { reset(); }

    TSharedPtr& operator=(TSharedPtr other) noexcept
    {
        swap(other);
        return *this;
    }

    void reset() noexcept
    {
        if (m_owner && m_owner->Release()) {
            m_owner->DestroyObject();
            delete m_owner;
        }
        m_owner = nullptr;
        m_object = nullptr;
    }

    void swap(TSharedPtr& other) noexcept
    {
        std::swap(m_object, other.m_object);
        std::swap(m_owner, other.m_owner);
    }

    T* get() const noexcept { return m_object; }
    T* operator->() const noexcept { return m_object; }
    T& operator*() const noexcept { return *m_object; }
    explicit operator bool() const noexcept { return m_object != nullptr; }
    long useCount() const noexcept { return m_owner ? m_owner->Count() : 0; }

    /// The same object seen as U when it is one (dynamic_cast), sharing ownership; null otherwise.
    template <typename U> TSharedPtr<U> dynamicCast() const noexcept
    {
        TSharedPtr<U> result;
        if (U* cast = dynamic_cast<U*>(m_object)) {
            m_owner->AddRef();
            result.m_object = cast;
            result.m_owner = m_owner;
        }
        return result;
    }

private:
    template <typename U> friend class TSharedPtr;

    T* m_object = nullptr;
    detail::CSharedOwner* m_owner = nullptr;
};

template <typename T, typename U> bool operator==(const TSharedPtr<T>& a, const TSharedPtr<U>& b) noexcept
{
    return a.get() == b.get();
}

} // namespace zelk
