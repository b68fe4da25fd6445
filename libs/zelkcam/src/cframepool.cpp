#include "cframepool.h"

namespace zelk::cam {

std::shared_ptr<CFramePool> CFramePool::Create(std::size_t keep)
{
    return std::shared_ptr<CFramePool>(new CFramePool(keep));
}

CFramePool::CFramePool(std::size_t keep)
    : m_keep(keep)
{
    m_idle.reserve(keep);
}

std::shared_ptr<SStreamFrame> CFramePool::Take(std::size_t pixelCount)
{
    std::unique_ptr<SStreamFrame> frame;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_idle.empty()) {
            frame = std::move(m_idle.back());
            m_idle.pop_back();
        }
    }
    if (!frame)
        frame = std::make_unique<SStreamFrame>();
    // Same size as last time, which is the usual case: no fill, no allocation.
    frame->pixels.resize(pixelCount);
    std::weak_ptr<CFramePool> pool = weak_from_this();
    return std::shared_ptr<SStreamFrame>(
        frame.release(), [pool = std::move(pool)](SStreamFrame* used) { Return(pool, used); });
}

void CFramePool::Return(const std::weak_ptr<CFramePool>& weak, SStreamFrame* frame) noexcept
{
    std::unique_ptr<SStreamFrame> owned(frame);
    const std::shared_ptr<CFramePool> pool = weak.lock();
    if (!pool)
        return;
    std::lock_guard<std::mutex> lock(pool->m_mutex);
    if (pool->m_idle.size() < pool->m_keep)
        pool->m_idle.push_back(std::move(owned));
}

} // namespace zelk::cam
