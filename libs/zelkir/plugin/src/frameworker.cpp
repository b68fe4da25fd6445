#include "frameworker.h"

#include "framerenderer.h"

#include <zelkir/io/framesourcefactory.h>

#include <QCoreApplication>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace zelkir {

/// What the player and the thread share; the last of them to let go frees it.
struct FrameWorker::Shared
{
    SourceOpener opener;
    std::function<void()> notifyOpened;
    std::function<void()> notifyRendered;
    Results results;

    std::mutex mutex;
    std::condition_variable wake;
    std::optional<QString> openPath;
    std::optional<RenderRequest> request;
    bool stopping = false;

    bool isStopping()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return stopping;
    }

    /// Runs `notify` unless stop() came first; stop() waits for no more than this call.
    void notify(const std::function<void()>& notify)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!stopping && notify)
            notify();
    }
};

/// The worker thread's own state: touched on that thread only.
class FrameWorker::Thread
{
public:
    explicit Thread(std::shared_ptr<Shared> shared)
        : m_shared(std::move(shared))
    {
    }

    void run();

private:
    void open(const QString& path);
    RenderedFramePtr render(const RenderRequest& request);
    int readableFrames(int failed);

    const std::shared_ptr<Shared> m_shared;
    std::unique_ptr<FrameSource> m_source;
    FrameRenderer m_renderer;
    Frame m_probe;
};

FrameWorker::FrameWorker(
    SourceOpener opener, std::function<void()> notifyOpened, std::function<void()> notifyRendered)
    : m_shared(std::make_shared<Shared>())
{
    m_shared->opener = opener ? std::move(opener) : SourceOpener(&FrameSourceFactory::open);
    m_shared->notifyOpened = std::move(notifyOpened);
    m_shared->notifyRendered = std::move(notifyRendered);
    try {
        std::thread([shared = m_shared] { Thread(shared).run(); }).detach();
    } catch (const std::system_error&) {
        // Without a thread nothing is ever opened; the player waits in Loading.
        m_shared->stopping = true;
    }
}

FrameWorker::~FrameWorker()
{
    stop();
}

FrameWorker::Results& FrameWorker::results()
{
    return m_shared->results;
}

void FrameWorker::open(const QString& path)
{
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->openPath = path;
    }
    m_shared->wake.notify_one();
}

void FrameWorker::render(RenderRequest request)
{
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->request = std::move(request);
    }
    m_shared->wake.notify_one();
}

void FrameWorker::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->stopping = true;
        m_shared->openPath.reset();
        m_shared->request.reset();
    }
    m_shared->wake.notify_one();
}

void FrameWorker::Thread::run()
{
    for (;;) {
        std::optional<QString> path;
        std::optional<RenderRequest> request;
        {
            std::unique_lock<std::mutex> lock(m_shared->mutex);
            m_shared->wake.wait(
                lock, [this] { return m_shared->stopping || m_shared->openPath || m_shared->request; });
            if (m_shared->stopping)
                break;
            // A file to open goes first: requests left waiting belong to it.
            if (m_shared->openPath)
                path.swap(m_shared->openPath);
            else
                request.swap(m_shared->request);
        }
        if (path) {
            open(*path);
            m_shared->notify(m_shared->notifyOpened);
        } else if (request) {
            m_shared->results.rendered.put(render(*request));
            m_shared->notify(m_shared->notifyRendered);
        }
    }
    // The source goes on this thread, however long closing it takes.
    m_source.reset();
}

void FrameWorker::Thread::open(const QString& path)
{
    m_source.reset();
    auto result = std::make_shared<OpenResult>();
    std::unique_ptr<FrameSource> source = m_shared->opener(path, &result->error);
    if (!source) {
        if (result->error.isEmpty())
            result->error = QCoreApplication::translate("zelkir::FrameWorker", "The file cannot be read.");
        m_shared->results.opened.put(std::move(result));
        return;
    }
    result->ok = true;
    result->info = source->info();
    if (source->presetInfo().sequencing) {
        // Listed presets only for the first frames: a header may declare billions.
        const int listed = std::min(source->frameCount(), FramePresets::MaxListedFrames);
        std::vector<qint8> presets;
        presets.reserve(std::size_t(listed));
        for (int i = 0; i < listed; ++i) {
            if (i % 1024 == 0 && m_shared->isStopping())
                return;
            presets.push_back(qint8(source->framePreset(i)));
        }
        result->presets = FramePresets(source->presetInfo(), presets);
    }
    m_source = std::move(source);
    m_shared->results.opened.put(std::move(result));
}

int FrameWorker::Thread::readableFrames(int failed)
{
    // Files lose frames at their end (truncated while open), so the first unreadable
    // frame is found by bisection, in about 31 reads at most.
    int low = 0;
    int high = failed;
    while (low < high && !m_shared->isStopping()) {
        const int middle = low + (high - low) / 2;
        if (m_source->readFrame(middle, m_probe, nullptr))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

RenderedFramePtr FrameWorker::Thread::render(const RenderRequest& request)
{
    auto result = std::make_shared<RenderedFrame>();
    result->index = request.index;
    result->generation = request.generation;
    if (!m_source) {
        result->error = QCoreApplication::translate("zelkir::FrameWorker", "No file is open.");
        return result;
    }
    if (!m_source->readFrame(request.index, result->frame, &result->error)) {
        if (request.index >= 0 && request.index < m_source->frameCount())
            result->readableFrames = readableFrames(request.index);
        return result;
    }
    m_renderer.render(request.settings, request.palette, m_source->countRange(), *result);
    return result;
}

} // namespace zelkir
