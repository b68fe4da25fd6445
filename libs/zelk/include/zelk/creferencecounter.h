#pragma once

#include <zelk/export.h>

#include <atomic>

namespace zelk {

/// A thread-safe reference count that starts at one.
class ZELK_EXPORT CReferenceCounter
{
public:
    CReferenceCounter() noexcept = default;
    CReferenceCounter(const CReferenceCounter&) = delete;
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;
    virtual ~CReferenceCounter();

    void AddRef() noexcept;
    /// Drops one reference; true when it was the last one.
    bool Release() noexcept;
    long Count() const noexcept;

private:
    std::atomic<long> m_count { 1 };
};

} // namespace zelk
