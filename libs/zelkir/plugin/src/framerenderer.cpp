#include "framerenderer.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <utility>

namespace zelkir {

namespace {

// The pipeline sees counts only; a negative scale turns the band round.
void toCounts(const CountScale& scale, double& low, double& high)
{
    low = scale.toCount(low);
    high = scale.toCount(high);
    if (low > high)
        std::swap(low, high);
}

EnhancementSettings inCounts(const EnhancementSettings& settings, const CountScale& scale)
{
    EnhancementSettings counts = settings;
    if (counts.fixedSpan)
        toCounts(scale, counts.spanLow, counts.spanHigh);
    if (counts.isotherm)
        toCounts(scale, counts.isothermLow, counts.isothermHigh);
    return counts.clamped();
}

quint16 roundedCount(double count)
{
    return quint16(std::clamp(std::round(count), 0.0, 65535.0));
}

} // namespace

bool FrameRenderer::render(const EnhancementSettings& settings, const std::shared_ptr<const Palette>& palette,
    CountRange range, RenderedFrame& out)
{
    if (palette && palette != m_palette) {
        m_palette = palette;
        m_pipeline.setPalette(*m_palette);
    }
    const Frame& frame = out.frame;
    const EnhancementSettings pipelineSettings = settings.fixedSpan || settings.isotherm
        ? inCounts(settings, frame.scale)
        : settings.clamped();
    if (pipelineSettings != m_pipeline.settings())
        m_pipeline.setSettings(pipelineSettings);

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
    out.countRange = range;
    describeScale(out);
    out.image = image;
    out.ok = true;
    return true;
}

void FrameRenderer::describeScale(RenderedFrame& out) const
{
    const Histogram& histogram = m_pipeline.histogram();
    if (histogram.isEmpty())
        return;
    out.levelCounts.reserve(9);
    for (int level = 0; level < 256; level += 32)
        out.levelCounts.push_back(roundedCount(m_pipeline.countAtLevel(level)));
    out.levelCounts.push_back(roundedCount(m_pipeline.countAtLevel(255)));
    out.clipLow = out.levelCounts.front();
    out.clipHigh = out.levelCounts.back();

    const int first = histogram.minimum();
    const int last = histogram.maximum();
    const int width = (last - first + HistogramBins) / HistogramBins;
    out.histogramFirst = quint16(first);
    out.histogramLast = quint16(last);
    out.histogramBinWidth = width;
    out.histogram.assign(std::size_t((last - first) / width + 1), 0);
    // Bin by bin, without a division per count: this runs for every frame.
    const std::uint32_t* bins = histogram.bins();
    for (std::size_t bin = 0; bin < out.histogram.size(); ++bin) {
        const int begin = first + int(bin) * width;
        const int end = std::min(begin + width, last + 1);
        quint32 pixels = 0;
        for (int count = begin; count < end; ++count)
            pixels += bins[count];
        out.histogram[bin] = pixels;
    }
}

} // namespace zelkir
