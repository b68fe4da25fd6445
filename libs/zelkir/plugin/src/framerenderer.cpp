#include "framerenderer.h"

#include <QCoreApplication>

namespace zelkir {

bool FrameRenderer::render(const EnhancementSettings& settings, const std::shared_ptr<const Palette>& palette,
    CountRange range, RenderedFrame& out)
{
    if (palette && palette != m_palette) {
        m_palette = palette;
        m_pipeline.setPalette(*m_palette);
    }
    if (settings.clamped() != m_pipeline.settings())
        m_pipeline.setSettings(settings);

    const Frame& frame = out.frame;
    QImage image(frame.width, frame.height, QImage::Format_ARGB32);
    if (image.isNull()) {
        out.error = QCoreApplication::translate("zelkir::FrameWorker", "Not enough memory for the image.");
        return false;
    }
    const CountFrame counts { frame.counts.data(), frame.width, frame.height, frame.width,
        frame.noValue.empty() ? nullptr : frame.noValue.data() };
    const ArgbImage pixels { reinterpret_cast<std::uint32_t*>(image.bits()), image.width(), image.height(),
        image.bytesPerLine() / 4 };
    ValidRange valid { range.minimum, range.maximum };
    // A degenerate range (a source whose counts are all one value) still renders.
    if (valid.low >= valid.high) {
        valid.low = valid.high > 0 ? valid.high - 1 : 0;
        valid.high = valid.low + 1;
    }
    if (!m_pipeline.render(counts, valid, pixels)) {
        out.error = QCoreApplication::translate("zelkir::FrameWorker", "The frame cannot be displayed.");
        return false;
    }
    out.statistics = m_pipeline.statistics();
    out.image = image;
    out.ok = true;
    return true;
}

} // namespace zelkir
