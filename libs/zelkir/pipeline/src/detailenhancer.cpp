#include "detailenhancer.h"

#include "detailrow.h"

#include <zelkir/pipeline/histogram.h>
#include <zelkir/pipeline/levelmap.h>

#include <algorithm>
#include <cmath>

namespace zelkir {

float DetailEnhancer::detailGain(int sharpness, float sceneSpan)
{
    const int s = std::clamp(sharpness, 1, 7);
    return std::exp2(float(s + 1) * 0.5f) * 255.0f / std::max(sceneSpan, 1.0f);
}

float DetailEnhancer::sceneSpan(const Histogram& histogram)
{
    const std::uint64_t rank = histogram.mappingPopulation().total / 100;
    const float span = float(histogram.countAtRankFromTop(rank)) - float(histogram.countAtRank(rank));
    const ValidRange range = histogram.range();
    return std::max(span, float(int(range.high) - int(range.low) + 1) / 256.0f);
}

float DetailEnhancer::edgeEpsilon(float sceneSpan)
{
    const float edge = sceneSpan / 40.0f;
    return edge * edge;
}

float DetailEnhancer::consistencyScale(float sceneSpan)
{
    return 0.5f * std::sqrt(edgeEpsilon(sceneSpan));
}

void DetailEnhancer::render(const CountFrame& frame, ValidRange range, const Histogram& histogram,
    const LevelMap& baseLevels, const std::array<std::uint32_t, 258>& colours, bool showSaturation,
    int sharpness, const ArgbImage& out)
{
    const float span = sceneSpan(histogram);
    const bool countsInRange = histogram.rawMinimum() >= range.low && histogram.rawMaximum() <= range.high;
    m_filter.compute(frame, range, float(histogram.mean()), edgeEpsilon(span), countsInRange);

    kernels::DetailRowParameters parameters;
    parameters.low = range.low;
    parameters.high = range.high;
    parameters.countsInRange = countsInRange;
    const float tau = consistencyScale(span);
    parameters.consistencySquared = tau * tau;
    parameters.baseFirst = baseLevels.first();
    parameters.baseLast = baseLevels.last();
    parameters.baseLevels = baseLevels.data();
    parameters.detailGain = detailGain(sharpness, span);
    parameters.detailLimit = DetailLimit;
    if (showSaturation) {
        parameters.underflowAt = range.low;
        parameters.overflowAt = range.high;
    }
    parameters.colours = colours.data();

    static_assert(
        GuidedFilter::CellSize == kernels::DetailCellSize, "one cell size for filter and pixel loop");
    kernels::DetailRowCoefficients coefficients;
    const auto width = std::size_t(frame.width);
    for (ExpandedRow& row : m_rows)
        row.gridRow = -1;
    const int lastGridRow = m_filter.gridHeight() - 1;
    for (int y = 0; y < frame.height; ++y) {
        // Cell centres sit at 4i + 1.5; blend the two grid rows around this row.
        const float v = (float(y) + 0.5f) / GuidedFilter::CellSize - 0.5f;
        const int above = int(std::floor(v));
        const int upper = std::clamp(above, 0, lastGridRow);
        const int lower = std::min(upper + 1, lastGridRow);
        coefficients.lowerWeight = above < 0 || above >= lastGridRow ? 0.0f : v - float(above);
        if (m_rows[0].gridRow != upper) {
            if (m_rows[1].gridRow == upper)
                std::swap(m_rows[0], m_rows[1]);
            else
                expand(upper, width, m_rows[0]);
        }
        if (m_rows[1].gridRow != lower)
            expand(lower, width, m_rows[1]);
        for (int r = 0; r < 2; ++r) {
            coefficients.aLessOne[r] = m_rows[r].aLessOne.data();
            coefficients.b[r] = m_rows[r].b.data();
        }
        kernels::detailRow(
            frame.counts + y * frame.stride, width, coefficients, parameters, out.pixels + y * out.stride);
    }
}

void DetailEnhancer::expand(int gridRow, std::size_t width, ExpandedRow& row)
{
    const auto cells = std::size_t(m_filter.gridWidth());
    row.aLessOne.resize(kernels::expandedLength(width));
    row.b.resize(kernels::expandedLength(width));
    kernels::expandCoefficients(m_filter.aLessOne(gridRow), cells, width, row.aLessOne.data());
    kernels::expandCoefficients(m_filter.b(gridRow), cells, width, row.b.data());
    row.gridRow = gridRow;
}

} // namespace zelkir
