#pragma once

#include "executorrelay.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>

namespace zelkir {

/// Executor threads that have not ended yet: cameras still being let go of. Whoever must not
/// end before them (the process, a test) waits for 0.
inline std::atomic<int>& runningExecutorThreads()
{
    static std::atomic<int> count { 0 };
    return count;
}

/// A thread of its own that runs tasks one after another, in the order posted, on a
/// `State` that lives and dies on that thread. A task may return a reply, which runs on
/// the thread that made the executor (the GUI thread), in the same order.
///
/// Nobody waits for the thread: close() and the destructor return at once. The thread
/// finishes the task at hand, drops the rest, destroys the State (however long that takes,
/// e.g. releasing a camera that is gone) and ends. No reply runs once close() has begun.
/// Data pass between the threads through standard mutexes only.
template <typename State> class SerialExecutor final
{
public:
    using Reply = std::function<void()>;
    using Task = std::function<Reply(State& state)>;

    /// Starts the thread, which makes its State with `makeState` (default construction
    /// when empty).
    explicit SerialExecutor(std::function<std::unique_ptr<State>()> makeState = {})
        : m_shared(std::make_shared<Shared>())
    {
        m_shared->relay = new ExecutorRelay([shared = m_shared] { deliver(*shared); });
        if (!makeState)
            makeState = [] { return std::make_unique<State>(); };
        ++runningExecutorThreads();
        try {
            std::thread([shared = m_shared, makeState = std::move(makeState)] {
                run(*shared, makeState);
                --runningExecutorThreads();
            }).detach();
        } catch (const std::system_error&) {
            --runningExecutorThreads();
            // Without a thread no task ever runs; callers see no reply, as after close().
            close();
        }
    }
    ~SerialExecutor() { close(); }
    SerialExecutor(const SerialExecutor&) = delete;
    SerialExecutor& operator=(const SerialExecutor&) = delete;

    /// Queues `task`; ignored once closed.
    void post(Task task)
    {
        {
            std::lock_guard<std::mutex> lock(m_shared->mutex);
            if (m_shared->closing)
                return;
            m_shared->tasks.push_back(std::move(task));
        }
        m_shared->wake.notify_one();
    }

    /// Runs `work(state)` on the executor's thread, then `done(result)` on this thread,
    /// unless `receiver` is gone or the executor closed by then.
    template <typename Work, typename Done> void call(Work work, QObject* receiver, Done done)
    {
        using Result = std::invoke_result_t<Work&, State&>;
        post([work = std::move(work), guard = QPointer<QObject>(receiver), done = std::move(done)](
                 State& state) mutable -> Reply {
            Result result = work(state);
            return [guard, done, result = std::move(result)]() mutable {
                if (guard)
                    done(std::move(result));
            };
        });
    }

    /// Drops waiting tasks and replies and lets the thread end after the task at hand.
    /// Idempotent; never waits.
    void close()
    {
        std::deque<Task> tasks;
        std::deque<Reply> replies;
        ExecutorRelay* relay = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_shared->mutex);
            m_shared->closing = true;
            tasks.swap(m_shared->tasks);
            replies.swap(m_shared->replies);
            std::swap(relay, m_shared->relay);
        }
        m_shared->wake.notify_one();
        // Later: close() may be called from within a reply the relay is delivering.
        if (relay)
            relay->deleteLater();
    }

    bool isClosed() const
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        return m_shared->closing;
    }

private:
    struct Shared
    {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<Task> tasks;
        std::deque<Reply> replies;
        bool closing = false;
        /// A delivery is queued on the relay and has not emptied `replies` yet.
        bool delivering = false;
        ExecutorRelay* relay = nullptr;
    };

    static void run(Shared& shared, const std::function<std::unique_ptr<State>()>& makeState)
    {
        std::unique_ptr<State> state = makeState();
        for (;;) {
            Task task;
            {
                std::unique_lock<std::mutex> lock(shared.mutex);
                shared.wake.wait(lock, [&] { return shared.closing || !shared.tasks.empty(); });
                if (shared.closing)
                    break;
                task = std::move(shared.tasks.front());
                shared.tasks.pop_front();
            }
            Reply reply = task(*state);
            // What the task holds goes here, on the executor's thread.
            task = nullptr;
            if (!reply)
                continue;
            std::lock_guard<std::mutex> lock(shared.mutex);
            if (shared.closing)
                break;
            shared.replies.push_back(std::move(reply));
            if (!shared.delivering) {
                shared.delivering = true;
                QMetaObject::invokeMethod(shared.relay, "deliver", Qt::QueuedConnection);
            }
        }
        state.reset();
    }

    static void deliver(Shared& shared)
    {
        for (;;) {
            Reply reply;
            {
                std::lock_guard<std::mutex> lock(shared.mutex);
                if (shared.closing || shared.replies.empty()) {
                    shared.delivering = false;
                    return;
                }
                reply = std::move(shared.replies.front());
                shared.replies.pop_front();
            }
            // The reply may close the executor or delete its owner; `shared` stays alive
            // through the relay.
            reply();
        }
    }

    std::shared_ptr<Shared> m_shared;
};

} // namespace zelkir
