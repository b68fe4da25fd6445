#include <zelk/creferencecounter.h>

namespace zelk {

CReferenceCounter::~CReferenceCounter() = default;

void CReferenceCounter::AddRef() noexcept
{
    m_count.fetch_add(1, std::memory_order_relaxed);
}

bool CReferenceCounter::Release() noexcept
{
    // acq_rel so that the thread that destroys the object sees every other thread's writes.
    return m_count.fetch_sub(1, std::memory_order_acq_rel) == 1;
}

long CReferenceCounter::Count() const noexcept
{
    return m_count.load(std::memory_order_relaxed);
}

} // namespace zelk
