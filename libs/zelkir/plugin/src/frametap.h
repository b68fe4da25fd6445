#pragma once

#include <zelk/cam/stream.h>

#include <functional>
#include <memory>
#include <mutex>

namespace zelkir {

/// Sees every frame a camera sends, on the camera library's receive thread, before the
/// display's feed does: keeps the newest one for snapshots and hands each to a sink while
/// one is set (a recording). A standard mutex guards everything; the sink runs under it,
/// so once setSink() returns the previous sink is never called again. The sink must be
/// quick: it runs in the stream's path.
class FrameTap
{
public:
    using FramePtr = std::shared_ptr<const zelk::cam::SStreamFrame>;
    using Sink = std::function<void(const FramePtr& frame)>;

    void put(const FramePtr& frame)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_newest = frame;
        if (m_sink)
            m_sink(frame);
    }

    /// The newest frame received, or null.
    FramePtr newest() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_newest;
    }

    /// An empty `sink` stops handing frames on.
    void setSink(Sink sink)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sink = std::move(sink);
    }

private:
    mutable std::mutex m_mutex;
    FramePtr m_newest;
    Sink m_sink;
};

} // namespace zelkir
