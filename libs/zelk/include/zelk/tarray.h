#pragma once

#include <zelk/memory.h>

#include <cstddef>
#include <new>
#include <utility>

namespace zelk {

/// A growable array whose storage comes from Alloc and Free. Its code is compiled
/// into every user from this header, so its layout (data, capacity, count) is fixed.
template <typename T> class TArray
{
public:
    TArray() noexcept = default;

    /// Copies every element; throws std::bad_alloc when memory runs out, leaving nothing behind.
    TArray(const TArray& other) { CopyFrom(other); }

    TArray(TArray&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr))
        , m_capacity(std::exchange(other.m_capacity, 0))
        , m_count(std::exchange(other.m_count, 0))
    {
    }

    TArray& operator=(const TArray& other)
    {
        if (this != &other) {
            TArray copy(other);
            Swap(copy);
        }
        return *this;
    }

    TArray& operator=(TArray&& other) noexcept
    {
        if (this != &other) {
            TArray moved(std::move(other));
            Swap(moved);
        }
        return *this;
    }

    virtual ~TArray() { Release(); }

    /// Appends a copy of `value`. Grows by doubling (from 1) when full. Returns false,
    /// with the array unchanged, when memory or the element's copy fails.
    bool Add(const T& value)
    {
        try {
            if (m_count + 1 <= m_capacity) {
                new (m_data + m_count) T(value);
                ++m_count;
                return true;
            }
            std::size_t capacity = m_capacity == 0 ? 1 : m_capacity;
            while (capacity < m_count + 1)
                capacity *= 2;
            T* block = static_cast<T*>(Alloc(capacity * sizeof(T)));
            if (!block)
                ThrowBadAllocException();
            // Construct the new element first: `value` may live in the old block.
            try {
                new (block + m_count) T(value);
            } catch (...) {
                Free(block);
                throw;
            }
            for (std::size_t i = 0; i < m_count; ++i) {
                new (block + i) T(std::move(m_data[i]));
                m_data[i].~T();
            }
            Free(m_data);
            m_data = block;
            m_capacity = capacity;
            ++m_count;
            return true;
        } catch (...) {
            return false;
        }
    }

    void Clear() noexcept { Release(); }

    std::size_t Count() const noexcept { return m_count; }
    std::size_t Capacity() const noexcept { return m_capacity; }
    bool IsEmpty() const noexcept { return m_count == 0; }

    /// Unchecked access; `index` must be below Count().
    T& operator[](std::size_t index) noexcept { return m_data[index]; }
    const T& operator[](std::size_t index) const noexcept { return m_data[index]; }

    T* begin() noexcept { return m_data; }
    T* end() noexcept { return m_data + m_count; }
    const T* begin() const noexcept { return m_data; }
    const T* end() const noexcept { return m_data + m_count; }

    void Swap(TArray& other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_capacity, other.m_capacity);
        std::swap(m_count, other.m_count);
    }

private:
    void CopyFrom(const TArray& other)
    {
        if (other.m_count == 0)
            return;
        T* block = static_cast<T*>(Alloc(other.m_count * sizeof(T)));
        if (!block)
            ThrowBadAllocException();
        std::size_t built = 0;
        try {
            for (; built < other.m_count; ++built)
                new (block + built) T(other.m_data[built]);
        } catch (...) {
            while (built > 0)
                block[--built].~T();
            Free(block);
            throw;
        }
        m_data = block;
        m_capacity = other.m_count;
        m_count = other.m_count;
    }

    void Release() noexcept
    {
        for (std::size_t i = 0; i < m_count; ++i)
            m_data[i].~T();
        Free(m_data);
        m_data = nullptr;
        m_capacity = 0;
        m_count = 0;
    }

    T* m_data = nullptr;
    std::size_t m_capacity = 0;
    std::size_t m_count = 0;
};

} // namespace zelk
