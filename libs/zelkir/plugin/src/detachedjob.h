#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace zelkir {

/// What a job on a detached thread and its owner share; the last of them to let go frees
/// it. The owner never waits for the thread: cancel() returns at once, and no notification
/// starts after it has returned, so a notification may post queued calls to an owner that
/// cancels in its destructor.
class DetachedJob
{
public:
    /// Runs `work` on a thread of its own; `notify` is what post() calls there. Null when no
    /// thread can be started.
    static std::shared_ptr<DetachedJob> start(
        std::function<void(DetachedJob&)> work, std::function<void()> notify)
    {
        auto job = std::make_shared<DetachedJob>();
        job->m_notify = std::move(notify);
        try {
            std::thread([job, work = std::move(work)] { work(*job); }).detach();
        } catch (const std::system_error&) {
            return nullptr;
        }
        return job;
    }

    bool isCancelled()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_cancelled;
    }

    /// Runs the notification unless cancel() came first; cancel() waits for no more than this.
    void post()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_cancelled && m_notify)
            m_notify();
    }

    /// Tells the thread to stop after the step at hand. Idempotent.
    void cancel()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cancelled = true;
    }

private:
    std::mutex m_mutex;
    bool m_cancelled = false;
    std::function<void()> m_notify;
};

} // namespace zelkir
