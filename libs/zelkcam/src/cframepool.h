#pragma once

#include <zelk/cam/stream.h>

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace zelk::cam {

/// Frames whose pixel memory is used again: a stream hands out one frame per image, and
/// allocating and zero-filling a megabyte for each cost more than copying the image in.
/// A frame goes back to the pool when its last owner drops it, on whatever thread; the
/// pool keeps at most `keep` of them and frees the rest. Frames may outlive the pool.
class CFramePool : public std::enable_shared_from_this<CFramePool>
{
public:
    static std::shared_ptr<CFramePool> Create(std::size_t keep);

    /// A frame of `pixelCount` pixels whose values and other fields are left from its last
    /// use: the caller sets them all.
    std::shared_ptr<SStreamFrame> Take(std::size_t pixelCount);

private:
    explicit CFramePool(std::size_t keep);
    static void Return(const std::weak_ptr<CFramePool>& pool, SStreamFrame* frame) noexcept;

    const std::size_t m_keep;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<SStreamFrame>> m_idle;
};

} // namespace zelk::cam
