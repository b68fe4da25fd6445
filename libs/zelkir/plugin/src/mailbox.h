#pragma once

#include <mutex>
#include <optional>
#include <utility>

namespace zelkir {

/// One value handed from one thread to another. Queued signals only say that something
/// is waiting; the value itself passes through this standard mutex, an ordering that
/// ThreadSanitizer can follow, unlike Qt's futex-based event queue.
template <typename T> class Mailbox
{
public:
    /// Leaves `value`, replacing any value not yet taken.
    void put(T value)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_value = std::move(value);
    }

    /// Takes the waiting value, if any.
    std::optional<T> take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::optional<T> value = std::move(m_value);
        m_value.reset();
        return value;
    }

private:
    std::mutex m_mutex;
    std::optional<T> m_value;
};

} // namespace zelkir
