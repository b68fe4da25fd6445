#pragma once

#include "mailbox.h"
#include "renderjob.h"

#include <zelkir/io/framesource.h>

#include <functional>
#include <memory>

namespace zelkir {

/// Opens a source: the path and, when the caller has one, a place for a sentence on failure.
using SourceOpener = std::function<std::unique_ptr<FrameSource>(const QString& path, QString* error)>;

/// Opens a file and decodes and renders its frames on a thread of its own.
///
/// Jobs wait in single slots: a new request replaces one not yet started, so the worker
/// never falls behind by more than the job at hand. Results go into the mailboxes of
/// results(), after which the matching notification runs on the worker thread (typically
/// posting a queued call to the GUI thread). Only standard mutexes pass data between the
/// threads.
///
/// Nobody waits for the thread: stop() returns at once, the thread finishes the job at
/// hand, lets go of the source and frees itself. No notification starts after stop().
class FrameWorker final
{
public:
    struct Results
    {
        Mailbox<OpenResultPtr> opened;
        Mailbox<RenderedFramePtr> rendered;
    };

    /// Starts the thread. A null `opener` opens files by their content.
    FrameWorker(
        SourceOpener opener, std::function<void()> notifyOpened, std::function<void()> notifyRendered);
    /// stop().
    ~FrameWorker();
    FrameWorker(const FrameWorker&) = delete;
    FrameWorker& operator=(const FrameWorker&) = delete;

    Results& results();
    /// Opens `path` (a previous source is let go of); the outcome lands in results().opened.
    void open(const QString& path);
    /// Decodes and renders one frame into results().rendered.
    void render(RenderRequest request);
    /// Drops waiting jobs and lets the thread end after the job at hand. Idempotent.
    void stop();

private:
    struct Shared;
    class Thread;
    std::shared_ptr<Shared> m_shared;
};

} // namespace zelkir
