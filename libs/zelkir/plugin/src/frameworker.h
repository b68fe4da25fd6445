#pragma once

#include "mailbox.h"
#include "renderjob.h"

#include <zelkir/pipeline/displaypipeline.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace zelkir {

/// Opens a file and decodes and renders its frames on a thread of its own.
///
/// Jobs wait in single slots: a new request replaces one not yet started, so the worker
/// never falls behind by more than the job at hand. Results go into the caller's
/// mailboxes, after which the matching notification runs on the worker thread (typically
/// posting a queued call to the GUI thread). Only standard mutexes and a joined
/// std::thread pass data between the threads.
class FrameWorker final
{
public:
    struct Results
    {
        Mailbox<OpenResultPtr> opened;
        Mailbox<RenderedFramePtr> rendered;
    };

    /// Starts the thread. `results` must outlive the worker.
    FrameWorker(Results& results, std::function<void()> notifyOpened, std::function<void()> notifyRendered);
    /// Stops and joins the thread.
    ~FrameWorker();
    FrameWorker(const FrameWorker&) = delete;
    FrameWorker& operator=(const FrameWorker&) = delete;

    /// Opens `path` (a previous file is let go of); the outcome lands in `results.opened`.
    void open(const QString& path);
    /// Decodes and renders one frame into `results.rendered`.
    void render(RenderRequest request);
    /// Finishes the job at hand, drops waiting ones and joins the thread. Idempotent.
    void stop();

private:
    void run();
    void doOpen(const QString& path);
    RenderedFramePtr doRender(const RenderRequest& request);

    Results& m_results;
    const std::function<void()> m_notifyOpened;
    const std::function<void()> m_notifyRendered;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<QString> m_openPath;
    std::optional<RenderRequest> m_request;
    bool m_stopping = false;

    // Touched on the worker thread only.
    std::shared_ptr<FrameSource> m_source;
    std::shared_ptr<const Palette> m_palette;
    DisplayPipeline m_pipeline;

    std::thread m_thread;
};

} // namespace zelkir
