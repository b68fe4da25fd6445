#pragma once

#include <zelk/cam/stream.h>

#include <QObject>

#include <algorithm>
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
/// display allows a frame per period of its clock, accrued continuously (two banked at
/// most), and one render at a time. A frame that is allowed goes to the renderer straight
/// from the thread that freed the way: the camera library's, when it arrives; the GUI
/// thread's, on a tick or when the previous render is done. So an arriving frame waits
/// neither for the GUI thread to pass it on nor for the clock's next tick, and a camera
/// faster than the display has the frames shown that arrive when one is due. A standard
/// mutex guards everything.
class LiveFeed
{
public:
    using FramePtr = std::shared_ptr<const zelk::cam::SStreamFrame>;
    /// Hands `frame` to the renderer and returns at once; called with the feed's lock held.
    using RenderStart = std::function<void(const FramePtr& frame)>;
    /// The display clock's position in periods (DisplayClock::position()); any thread.
    using ClockPosition = std::function<double()>;

    /// `receiver` gets the queued call `onCameraLost()` once the camera is lost.
    explicit LiveFeed(QObject* receiver)
        : m_receiver(receiver)
    {
    }

    /// Set once, before show().
    void setRenderStart(RenderStart start, ClockPosition clock)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_start = std::move(start);
        m_clock = std::move(clock);
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
        m_latestAt = m_clock ? m_clock() : 0.0;
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
        m_clockSeen = m_clock ? m_clock() : 0.0;
        startIfAllowed();
    }
    /// The display clock ticked: a frame that has waited a whole period for its turn is
    /// shown. One that came more recently is left for the next to arrive, which will be
    /// fresher; the tick is for a camera that sends no next frame soon.
    void tick()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // Negative: the clock started again since, at a new rate.
        const double waited = m_latest && m_clock ? m_clock() - m_latestAt : 1.0;
        if (waited >= 0.0 && waited < 1.0)
            return;
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
        ClockPosition clock;
        FramePtr latest;
        FramePtr shown;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_closed = true;
            m_showing = false;
            start.swap(m_start);
            clock.swap(m_clock);
            latest.swap(m_latest);
            shown.swap(m_shown);
        }
    }

private:
    static constexpr double MaxAllowance = 2.0;

    void accrue()
    {
        const double now = m_clock();
        // A clock started again (a new rate) counts from zero.
        if (now > m_clockSeen)
            m_allowance = std::min(MaxAllowance, m_allowance + (now - m_clockSeen));
        m_clockSeen = now;
    }

    void startIfAllowed()
    {
        if (!m_showing || m_rendering || !m_start || !m_clock)
            return;
        accrue();
        if (m_allowance < 1.0)
            return;
        FramePtr frame = m_latest ? std::move(m_latest) : m_renderAgain ? m_shown : nullptr;
        if (!frame)
            return;
        m_allowance -= 1.0;
        m_rendering = true;
        m_renderAgain = false;
        m_shown = frame;
        m_start(frame);
    }

    mutable std::mutex m_mutex;
    QObject* const m_receiver;
    RenderStart m_start;
    ClockPosition m_clock;
    /// The clock's position when the allowance was last brought up to date.
    double m_clockSeen = 0.0;
    FramePtr m_latest;
    /// The clock's position when m_latest came.
    double m_latestAt = 0.0;
    /// The frame rendered last, for renderAgain().
    FramePtr m_shown;
    bool m_showing = false;
    bool m_rendering = false;
    bool m_renderAgain = false;
    double m_allowance = 0.0;
    std::uint64_t m_received = 0;
    std::uint64_t m_dropped = 0;
    bool m_lost = false;
    bool m_closed = false;
    std::string m_lossReason;
};

} // namespace zelkir
