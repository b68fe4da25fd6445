#include "frameworker.h"

#include <zelkir/io/framesourcefactory.h>

namespace zelkir {

void FrameWorker::open(const QString& path)
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
        result->error = tr("The file cannot be read.");
    }
    Q_EMIT opened(result);
}

void FrameWorker::render(const RenderRequest& request)
{
    auto result = std::make_shared<RenderedFrame>();
    result->index = request.index;
    result->generation = request.generation;
    if (!m_source) {
        result->error = tr("No file is open.");
        Q_EMIT rendered(result);
        return;
    }
    if (!m_source->readFrame(request.index, result->frame, &result->error)) {
        Q_EMIT rendered(result);
        return;
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
        Q_EMIT rendered(result);
        return;
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
        Q_EMIT rendered(result);
        return;
    }
    result->statistics = m_pipeline.statistics();
    result->image = image;
    result->ok = true;
    Q_EMIT rendered(result);
}

} // namespace zelkir
