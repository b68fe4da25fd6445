#include "frameworker.h"

#include <zelkir/io/framesourcefactory.h>

namespace zelkir {

FrameWorker::FrameWorker(Mailboxes& mailboxes)
    : m_mailboxes(mailboxes)
{
}

void FrameWorker::open()
{
    const std::optional<QString> path = m_mailboxes.openPath.take();
    if (!path)
        return;
    auto result = std::make_shared<OpenResult>();
    std::unique_ptr<FrameSource> source = FrameSourceFactory::open(*path, &result->error);
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
        result->error = tr("The file cannot be read.");
    }
    m_mailboxes.opened.put(std::move(result));
    Q_EMIT opened();
}

void FrameWorker::render()
{
    const std::optional<RenderRequest> request = m_mailboxes.request.take();
    if (!request)
        return;
    m_mailboxes.rendered.put(renderFrame(*request));
    Q_EMIT rendered();
}

RenderedFramePtr FrameWorker::renderFrame(const RenderRequest& request)
{
    auto result = std::make_shared<RenderedFrame>();
    result->index = request.index;
    result->generation = request.generation;
    if (!m_source) {
        result->error = tr("No file is open.");
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
        result->error = tr("Not enough memory for the image.");
        return result;
    }
    const CountFrame counts { frame.counts.data(), frame.width, frame.height, frame.width };
    const ArgbImage out { reinterpret_cast<std::uint32_t*>(image.bits()), image.width(), image.height(),
        image.bytesPerLine() / 4 };
    ValidRange range { m_source->countRange().minimum, m_source->countRange().maximum };
    // A degenerate range (a file whose counts are all one value) still renders.
    if (range.low >= range.high) {
        range.low = range.high > 0 ? range.high - 1 : 0;
        range.high = range.low + 1;
    }
    if (!m_pipeline.render(counts, range, out)) {
        result->error = tr("The frame cannot be displayed.");
        return result;
    }
    result->statistics = m_pipeline.statistics();
    result->image = image;
    result->ok = true;
    return result;
}

} // namespace zelkir
