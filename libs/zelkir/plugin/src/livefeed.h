#pragma once

#include <zelk/cam/stream.h>

#include <QObject>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace zelkir {

/// Where a camera's frames wait for the display: only the newest, so a slow display never
/// queues frames and never holds up the stream. Frames replaced before the display took
/// them are counted as dropped. Filled on the camera library's threads, read on the GUI
/// thread; a standard mutex guards everything.
class LiveFeed
{
public:
    using FramePtr = std::shared_ptr<const zelk::cam::SStreamFrame>;

    /// `receiver` gets the queued calls `onFrameArrived()` and, once the camera is lost,
    /// `onCameraLost()`.
    explicit LiveFeed(QObject* receiver)
        : m_receiver(receiver)
    {
    }

    /// Keeps `frame` as the newest. When none was waiting, the receiver gets the queued
    /// call `onFrameArrived()`, so that a display with time to spare shows it at once.
    void put(FramePtr frame)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_closed)
            return;
        const bool wasEmpty = !m_latest;
        if (!wasEmpty)
            ++m_dropped;
        m_latest = std::move(frame);
        ++m_received;
        if (wasEmpty)
            QMetaObject::invokeMethod(m_receiver, "onFrameArrived", Qt::QueuedConnection);
    }

    /// The newest frame not taken yet, or null.
    FramePtr take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::move(m_latest);
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

    /// No call reaches the receiver once this returns; frames still arriving are ignored.
    void close()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
        m_latest.reset();
    }

private:
    mutable std::mutex m_mutex;
    QObject* const m_receiver;
    FramePtr m_latest;
    std::uint64_t m_received = 0;
    std::uint64_t m_dropped = 0;
    bool m_lost = false;
    bool m_closed = false;
    std::string m_lossReason;
};

} // namespace zelkir
