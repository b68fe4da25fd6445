#include "guidedfilter.h"

#include "cpudispatch.h"
#include "pixelkernels.h"

#include <algorithm>

namespace zelkir {

namespace {
// Number of cells in the window around index i, clipped to 0..size-1.
int windowCount(int i, int size, int radius)
{
    return std::min(i + radius, size - 1) - std::max(i - radius, 0) + 1;
}
}

void GuidedFilter::compute(
    const CountFrame& frame, ValidRange range, float offset, float epsilon, bool countsInRange)
{
    m_gridWidth = (frame.width + CellSize - 1) / CellSize;
    m_gridHeight = (frame.height + CellSize - 1) / CellSize;
    const std::size_t cells = std::size_t(m_gridWidth) * std::size_t(m_gridHeight);
    for (std::vector<float>* grid : { &m_mean, &m_meanSquares, &m_a, &m_b })
        grid->resize(cells);

    cellMeans(frame, range, offset, !countsInRange);
    boxMean(m_mean);
    boxMean(m_meanSquares);

    const float eps = std::max(epsilon, 1.0f);
    for (std::size_t i = 0; i < cells; ++i) {
        const float mean = m_mean[i];
        const float variance = std::max(m_meanSquares[i] - mean * mean, 0.0f);
        const float a = variance / (variance + eps);
        m_a[i] = a;
        m_b[i] = mean - a * mean;
    }
    boxMean(m_a);
    boxMean(m_b);
    m_aLessOne.resize(cells);
    for (std::size_t i = 0; i < cells; ++i) {
        m_aLessOne[i] = m_a[i] - 1.0f;
        // Back from counts relative to offset to absolute counts: a*(c - o) + b + o.
        m_b[i] += offset - m_a[i] * offset;
    }
}

void GuidedFilter::cellMeans(const CountFrame& frame, ValidRange range, float offset, bool clamp)
{
    const auto width = static_cast<std::size_t>(frame.width);
    const int lastWidth = frame.width - (m_gridWidth - 1) * CellSize;
    for (int gy = 0; gy < m_gridHeight; ++gy) {
        const int y0 = gy * CellSize;
        const int rowCount = std::min(CellSize, frame.height - y0);
        const std::uint16_t* rows[CellSize];
        for (int r = 0; r < rowCount; ++r)
            rows[r] = frame.counts + (y0 + r) * frame.stride;
        float* mean = m_mean.data() + std::size_t(gy) * m_gridWidth;
        float* meanSquares = m_meanSquares.data() + std::size_t(gy) * m_gridWidth;
        kernels::cellSums(rows, rowCount, width, range.low, range.high, clamp, offset, mean, meanSquares);
        const float inverse = 1.0f / float(CellSize * rowCount);
        for (int gx = 0; gx < m_gridWidth - 1; ++gx) {
            mean[gx] *= inverse;
            meanSquares[gx] *= inverse;
        }
        const float lastInverse = 1.0f / float(lastWidth * rowCount);
        mean[m_gridWidth - 1] *= lastInverse;
        meanSquares[m_gridWidth - 1] *= lastInverse;
    }
}

namespace {

constexpr int Taps = 2 * GuidedFilter::Radius + 1;

// The box mean's passes, built for either instruction set; the same operations in the same
// order per lane, so both give the same means. A row's horizontal pass goes into a ring of
// Taps rows, and each output row is summed from the ring as soon as the rows below it are in,
// so the intermediate rows stay in the first-level cache. A row's counts are last read by its
// own horizontal pass, so the output can go into the same grid.
__attribute__((always_inline)) inline void boxMeanRows(
    float* data, float* ring, const float* inverse, int w, int h)
{
    constexpr int radius = GuidedFilter::Radius;
    const auto rowPass = [&](int y) {
        const float* in = data + std::size_t(y) * w;
        float* out = ring + std::size_t(y % Taps) * w;
        // Whole windows in the middle, clipped ones at both ends.
        for (int x = radius; x < w - radius; ++x) {
            float sum = 0.0f;
            for (int k = 0; k < Taps; ++k)
                sum += in[x - radius + k];
            out[x] = sum * inverse[x];
        }
        const auto clipped = [&](int x) {
            float sum = 0.0f;
            for (int k = std::max(x - radius, 0); k <= std::min(x + radius, w - 1); ++k)
                sum += in[k];
            out[x] = sum * inverse[x];
        };
        for (int x = 0; x < std::min(radius, w); ++x)
            clipped(x);
        for (int x = std::max(w - radius, radius); x < w; ++x)
            clipped(x);
    };
    for (int y = 0; y < std::min(radius, h); ++y)
        rowPass(y);
    for (int y = 0; y < h; ++y) {
        if (y + radius < h)
            rowPass(y + radius);
        const int top = std::max(y - radius, 0);
        const int bottom = std::min(y + radius, h - 1);
        float* out = data + std::size_t(y) * w;
        const float scale = 1.0f / float(bottom - top + 1);
        if (bottom - top + 1 == Taps) {
            const float* rows[Taps];
            for (int k = 0; k < Taps; ++k)
                rows[k] = ring + std::size_t((top + k) % Taps) * w;
            for (int x = 0; x < w; ++x) {
                float sum = 0.0f;
                for (int k = 0; k < Taps; ++k)
                    sum += rows[k][x];
                out[x] = sum * scale;
            }
        } else {
            std::fill(out, out + w, 0.0f);
            for (int row = top; row <= bottom; ++row) {
                const float* add = ring + std::size_t(row % Taps) * w;
                for (int x = 0; x < w; ++x)
                    out[x] += add[x];
            }
            for (int x = 0; x < w; ++x)
                out[x] *= scale;
        }
    }
}

__attribute__((target("avx2"))) void boxMeanRowsAvx2(
    float* data, float* ring, const float* inverse, int w, int h)
{
    boxMeanRows(data, ring, inverse, w, h);
}

void boxMeanRowsBaseline(float* data, float* ring, const float* inverse, int w, int h)
{
    boxMeanRows(data, ring, inverse, w, h);
}

} // namespace

// Mean over the (2 * Radius + 1)^2 window clipped to the grid, in place. The radius is
// small and fixed, so direct sums vectorise and need no running state.
void GuidedFilter::boxMean(std::vector<float>& data)
{
    const int w = m_gridWidth;
    const int h = m_gridHeight;
    m_inverseWidthCount.resize(w);
    for (int x = 0; x < w; ++x)
        m_inverseWidthCount[x] = 1.0f / float(windowCount(x, w, Radius));
    m_rowPass.resize(std::size_t(Taps) * std::size_t(w));
    (kernels::useAvx2() ? boxMeanRowsAvx2 : boxMeanRowsBaseline)(
        data.data(), m_rowPass.data(), m_inverseWidthCount.data(), w, h);
}

} // namespace zelkir
