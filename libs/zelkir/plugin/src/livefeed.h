#pragma once

#include <zelk/cam/stream.h>

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace zelkir {

/// Where a camera's frames wait for the display, and what decides when one is rendered.
///
/// Only the newest frame waits, so a slow display never queues frames and never holds up
/// the stream; frames replaced before the display took them are counted as dropped. The
/// display allows a frame per tick of its clock (two banked at most) and one render at a
/// time. A frame that is allowed goes to the renderer straight from the thread that freed
/// the way: the camera library's, when it arrives; the GUI thread's, on a tick or when the
/// previous render is done. So an arriving frame does not wait for the GUI thread to pass
/// it on. A standard mutex guards everything.
class LiveFeed
{
public:
    using FramePtr = std::shared_ptr<const zelk::cam::SStreamFrame>;
    /// Hands `frame` to the renderer and returns at once; called with the feed's lock held.
    using RenderStart = std::function<void(const FramePtr& frame)>;

    /// `receiver` gets the queued call `onCameraLost()` once the camera is lost.
    explicit LiveFeed(QObject* receiver)
        : m_receiver(receiver)
    {
    }

    /// Set once, before showing().
    void setRenderStart(RenderStart start)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_start = std::move(start);
    }

    /// Keeps `frame` as the newest, and renders it now if the display allows.
    void put(FramePtr frame)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_closed)
            return;
        if (m_latest)
            ++m_dropped;
        m_latest = std::move(frame);
        ++m_received;
        startIfAllowed();
    }

    /// From now on frames are shown, the first at once: nothing is shown yet, so the
    /// display has room for two.
    void show()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_showing = true;
        m_allowance = MaxAllowance;
        startIfAllowed();
    }
    /// A tick of the display clock: one more frame may be shown.
    void allow()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_allowance < MaxAllowance)
            ++m_allowance;
        startIfAllowed();
    }
    /// The render in flight is done; the next may start.
    void rendered()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_rendering = false;
        startIfAllowed();
    }
    /// The settings changed: the frame shown last is rendered again, unless a newer one
    /// goes first.
    void renderAgain()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_renderAgain = m_shown != nullptr;
        startIfAllowed();
    }

    /// Frames received and frames dropped so far.
    std::uint64_t received() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_received;
    }
    std::uint64_t dropped() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_dropped;
    }

    /// Records the first loss and tells the receiver, unless close() came first.
    void lose(const std::string& reason)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_closed || m_lost)
            return;
        m_lost = true;
        m_lossReason = reason;
        QMetaObject::invokeMethod(m_receiver, "onCameraLost", Qt::QueuedConnection);
    }
    std::string lossReason() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lossReason;
    }

    /// No call reaches the receiver or the renderer once this returns; frames still
    /// arriving are ignored.
    void close()
    {
        RenderStart start;
        FramePtr latest;
        FramePtr shown;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_closed = true;
            m_showing = false;
            start.swap(m_start);
            latest.swap(m_latest);
            shown.swap(m_shown);
        }
    }

private:
    static constexpr int MaxAllowance = 2;

    void startIfAllowed()
    {
        if (!m_showing || m_rendering || m_allowance <= 0 || !m_start)
            return;
        FramePtr frame = m_latest ? std::move(m_latest) : m_renderAgain ? m_shown : nullptr;
        if (!frame)
            return;
        --m_allowance;
        m_rendering = true;
        m_renderAgain = false;
        m_shown = frame;
        m_start(frame);
    }

    mutable std::mutex m_mutex;
    QObject* const m_receiver;
    RenderStart m_start;
    FramePtr m_latest;
    /// The frame rendered last, for renderAgain().
    FramePtr m_shown;
    bool m_showing = false;
    bool m_rendering = false;
    bool m_renderAgain = false;
    int m_allowance = 0;
    std::uint64_t m_received = 0;
    std::uint64_t m_dropped = 0;
    bool m_lost = false;
    bool m_closed = false;
    std::string m_lossReason;
};

} // namespace zelkir
