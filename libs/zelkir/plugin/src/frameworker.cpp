#include "frameworker.h"

#include <zelkir/io/framesourcefactory.h>

#include <QCoreApplication>

namespace zelkir {

FrameWorker::FrameWorker(
    Results& results, std::function<void()> notifyOpened, std::function<void()> notifyRendered)
    : m_results(results)
    , m_notifyOpened(std::move(notifyOpened))
    , m_notifyRendered(std::move(notifyRendered))
    , m_thread(&FrameWorker::run, this)
{
}

FrameWorker::~FrameWorker()
{
    stop();
}

void FrameWorker::open(const QString& path)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_openPath = path;
    }
    m_wake.notify_one();
}

void FrameWorker::render(RenderRequest request)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_request = std::move(request);
    }
    m_wake.notify_one();
}

void FrameWorker::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_openPath.reset();
        m_request.reset();
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void FrameWorker::run()
{
    for (;;) {
        std::optional<QString> path;
        std::optional<RenderRequest> request;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || m_openPath || m_request; });
            if (m_stopping)
                break;
            // A file to open goes first: requests left waiting belong to it.
            if (m_openPath)
                path.swap(m_openPath);
            else
                request.swap(m_request);
        }
        if (path) {
            doOpen(*path);
            m_notifyOpened();
        } else if (request) {
            m_results.rendered.put(doRender(*request));
            m_notifyRendered();
        }
    }
    m_source.reset();
}

void FrameWorker::doOpen(const QString& path)
{
    auto result = std::make_shared<OpenResult>();
    std::unique_ptr<FrameSource> source = FrameSourceFactory::open(path, &result->error);
    if (source) {
        m_source = std::move(source);
        result->source = m_source;
        if (m_source->presetInfo().sequencing) {
            const int count = m_source->frameCount();
            result->framePresets.reserve(std::size_t(count));
            for (int i = 0; i < count; ++i)
                result->framePresets.push_back(qint8(m_source->framePreset(i)));
        }
    } else if (result->error.isEmpty()) {
        result->error = QCoreApplication::translate("zelkir::FrameWorker", "The file cannot be read.");
    }
    m_results.opened.put(std::move(result));
}

RenderedFramePtr FrameWorker::doRender(const RenderRequest& request)
{
    auto result = std::make_shared<RenderedFrame>();
    result->index = request.index;
    result->generation = request.generation;
    if (!m_source) {
        result->error = QCoreApplication::translate("zelkir::FrameWorker", "No file is open.");
        return result;
    }
    if (!m_source->readFrame(request.index, result->frame, &result->error)) {
        return result;
    }
    if (request.palette && request.palette != m_palette) {
        m_palette = request.palette;
        m_pipeline.setPalette(*m_palette);
    }
    if (request.settings.clamped() != m_pipeline.settings())
        m_pipeline.setSettings(request.settings);

    const Frame& frame = result->frame;
    QImage image(frame.width, frame.height, QImage::Format_ARGB32);
    if (image.isNull()) {
        result->error
            = QCoreApplication::translate("zelkir::FrameWorker", "Not enough memory for the image.");
        return result;
    }
    const CountFrame counts { frame.counts.data(), frame.width, frame.height, frame.width,
        frame.noValue.empty() ? nullptr : frame.noValue.data() };
    const ArgbImage out { reinterpret_cast<std::uint32_t*>(image.bits()), image.width(), image.height(),
        image.bytesPerLine() / 4 };
    ValidRange range { m_source->countRange().minimum, m_source->countRange().maximum };
    // A degenerate range (a file whose counts are all one value) still renders.
    if (range.low >= range.high) {
        range.low = range.high > 0 ? range.high - 1 : 0;
        range.high = range.low + 1;
    }
    if (!m_pipeline.render(counts, range, out)) {
        result->error = QCoreApplication::translate("zelkir::FrameWorker", "The frame cannot be displayed.");
        return result;
    }
    result->statistics = m_pipeline.statistics();
    result->image = image;
    result->ok = true;
    return result;
}

} // namespace zelkir
