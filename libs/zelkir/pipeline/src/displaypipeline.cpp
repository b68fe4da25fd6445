#include <zelkir/pipeline/displaypipeline.h>

#include <zelkir/pipeline/plateauequalisation.h>

#include "cpudispatch.h"
#include "detailenhancer.h"
#include "pixelkernels.h"

#include <algorithm>
#include <cmath>

namespace zelkir {

namespace {

std::uint16_t nearestCount(double count)
{
    return std::uint16_t(std::clamp(std::lround(count), 0L, 65535L));
}

} // namespace

DisplayPipeline::DisplayPipeline()
    : m_colourTable(std::size_t(1) << 16, 0)
    , m_detail(std::make_unique<DetailEnhancer>())
{
    setPalette(m_palette);
}

DisplayPipeline::~DisplayPipeline() = default;

void DisplayPipeline::setPalette(const Palette& palette)
{
    m_palette = palette;
    std::copy(palette.colours().begin(), palette.colours().end(), m_levelColours.begin());
    m_levelColours[256] = palette.underflowColour();
    m_levelColours[257] = palette.overflowColour();
}

void DisplayPipeline::setSettings(const EnhancementSettings& settings)
{
    m_settings = settings.clamped();
}

const char* DisplayPipeline::instructionSet()
{
    return kernels::instructionSet();
}

bool DisplayPipeline::render(const CountFrame& frame, ValidRange range, const ArgbImage& out)
{
    if (!isValid(frame) || !isValid(out) || !isValid(range) || frame.width != out.width
        || frame.height != out.height)
        return false;
    m_histogram.compute(frame, range);
    if (m_histogram.isEmpty()) {
        // Only a frame whose every pixel lacks a value leaves a valid histogram empty.
        m_levels.reset(0, 0);
        m_clip = {};
        paintNoValue(frame, out);
        return true;
    }

    if (m_settings.fixedSpan) {
        LinearScale::levels(m_histogram, m_settings.spanLow, m_settings.spanHigh, m_levels);
        m_clip = { nearestCount(m_settings.spanLow), nearestCount(m_settings.spanHigh) };
    } else if (m_settings.mode == ScaleMode::Linear) {
        m_clip = LinearScale::clipPoints(m_histogram, m_settings.linearIgnore);
        LinearScale::levels(m_histogram, m_clip, m_levels);
    } else {
        PlateauEqualisation::levels(m_histogram, m_settings.plateauP, m_levels);
    }

    if (m_settings.mode == ScaleMode::Dde && !m_settings.fixedSpan) {
        m_detail->render(frame, range, m_histogram, m_levels, m_levelColours, m_settings.showSaturationColors,
            m_settings.ddeSharpness, out);
        if (m_settings.isotherm)
            paintIsotherm(frame, range, out);
    } else {
        buildColourTable();
        // In the table the band costs the pixel loop nothing.
        if (m_settings.isotherm)
            paintIsothermInTable();
        const auto width = static_cast<std::size_t>(frame.width);
        for (int y = 0; y < frame.height; ++y) {
            kernels::mapThroughTable(
                frame.counts + y * frame.stride, width, m_colourTable.data(), out.pixels + y * out.stride);
        }
    }
    if (frame.noValue)
        paintNoValue(frame, out);
    return true;
}

// After the palette, so no enhancement mode has to know about missing data.
void DisplayPipeline::paintNoValue(const CountFrame& frame, const ArgbImage& out) const
{
    const std::uint32_t colour = m_palette.noValueColour();
    const auto width = static_cast<std::size_t>(frame.width);
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* noValue = frame.noValue + y * frame.stride;
        if (kernels::anyNoValue(noValue, width))
            kernels::paintNoValue(noValue, width, colour, out.pixels + y * out.stride);
    }
}

double DisplayPipeline::countAtLevel(double level) const
{
    if (m_histogram.isEmpty())
        return std::nan("");
    const double clamped = std::clamp(level, 0.0, 255.0);
    if (m_settings.fixedSpan)
        return m_settings.spanLow + (m_settings.spanHigh - m_settings.spanLow) * clamped / 255.0;
    // The map never decreases, so the counts of a level are found by bisection.
    const float* levels = m_levels.data();
    const int first = m_levels.first();
    const int last = m_levels.last();
    if (clamped <= 0.0) {
        const float* end = std::upper_bound(levels + first, levels + last + 1, 0.0f);
        return end == levels + first ? first : int(end - levels) - 1;
    }
    const float* at = std::lower_bound(levels + first, levels + last + 1, float(clamped));
    if (at == levels + last + 1)
        return last;
    int count = int(at - levels);
    if (clamped < 255.0 && count > first && clamped - levels[count - 1] < levels[count] - clamped)
        --count;
    return count;
}

// The counts of the isotherm band that occur in the frame, less those painted as
// saturated; false when none.
bool DisplayPipeline::isothermCounts(ValidRange range, int& first, int& last) const
{
    first = std::max<int>(
        m_histogram.rawMinimum(), int(std::ceil(std::clamp(m_settings.isothermLow, -1.0, 65536.0))));
    last = std::min<int>(
        m_histogram.rawMaximum(), int(std::floor(std::clamp(m_settings.isothermHigh, -1.0, 65536.0))));
    if (m_settings.showSaturationColors) {
        first = std::max(first, int(range.low) + 1);
        last = std::min(last, int(range.high) - 1);
    }
    return first <= last;
}

void DisplayPipeline::paintIsothermInTable()
{
    int first = 0;
    int last = 0;
    if (!isothermCounts(m_histogram.range(), first, last))
        return;
    std::fill(m_colourTable.begin() + first, m_colourTable.begin() + last + 1, m_palette.isothermColour());
}

void DisplayPipeline::paintIsotherm(const CountFrame& frame, ValidRange range, const ArgbImage& out) const
{
    int first = 0;
    int last = 0;
    if (!isothermCounts(range, first, last))
        return;
    const std::uint32_t colour = m_palette.isothermColour();
    const auto low = std::uint32_t(first);
    const auto width = std::uint32_t(last - first);
    for (int y = 0; y < frame.height; ++y) {
        const std::uint16_t* counts = frame.counts + y * frame.stride;
        std::uint32_t* pixels = out.pixels + y * out.stride;
        for (int x = 0; x < frame.width; ++x) {
            if (std::uint32_t(counts[x]) - low <= width)
                pixels[x] = colour;
        }
    }
}

// One colour per count that occurs in the frame, so the pixel loop needs no clamping.
void DisplayPipeline::buildColourTable()
{
    const ValidRange range = m_histogram.range();
    const int rawFirst = m_histogram.rawMinimum();
    const int rawLast = m_histogram.rawMaximum();
    const int first = m_histogram.minimum();
    const int last = m_histogram.maximum();
    std::uint32_t* table = m_colourTable.data();
    const float* levels = m_levels.data();
    for (int count = first; count <= last; ++count) {
        const auto level = static_cast<int>(levels[count] + 0.5f);
        table[count] = m_levelColours[std::min(level, 255)];
    }
    const bool saturation = m_settings.showSaturationColors;
    const std::uint32_t below = saturation ? m_palette.underflowColour() : table[first];
    const std::uint32_t above = saturation ? m_palette.overflowColour() : table[last];
    for (int count = rawFirst; count <= std::min<int>(range.low, last); ++count)
        table[count] = below;
    for (int count = std::max<int>(range.high, first); count <= rawLast; ++count)
        table[count] = above;
}

} // namespace zelkir
