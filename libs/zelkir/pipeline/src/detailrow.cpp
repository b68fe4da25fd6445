#include "detailrow.h"

#include "avx2gather.h"
#include "cpudispatch.h"

#include <immintrin.h>

#include <algorithm>

namespace zelkir::kernels {

namespace {

static_assert(DetailCellSize == 4, "the pixel loops assume cells of four pixels");

inline float atLeast(float value, float bound)
{
    return value > bound ? value : bound;
}
inline float atMost(float value, float bound)
{
    return value < bound ? value : bound;
}

// Bilinear weight of the right-hand cell for the four pixels of a cell: the cell's centre is
// at 1.5, so its first two pixels lie between the cell before and this one (5/8 and 7/8 of
// the way), its last two between this one and the next (1/8 and 3/8).
constexpr float RightWeights[DetailCellSize] = { 0.625f, 0.875f, 0.125f, 0.375f };

// The colour of a display level (rounding already added), or a saturation colour.
inline std::uint32_t colourOf(std::uint16_t count, float level, const DetailRowParameters& p)
{
    std::int32_t colour = static_cast<std::int32_t>(atMost(atLeast(level, 0.0f), 255.5f));
    colour = count <= p.underflowAt ? 256 : colour;
    colour = count >= p.overflowAt ? 257 : colour;
    return p.colours[colour];
}

inline std::uint32_t detailPixel(
    const std::uint16_t* row, std::size_t x, const DetailRowCoefficients& k, const DetailRowParameters& p)
{
    const std::uint16_t count = row[x];
    const float c = atMost(atLeast(static_cast<float>(count), p.low), p.high);
    const float wx = RightWeights[x % DetailCellSize];
    const float wy = k.lowerWeight;
    float error[2][2];
    float penalty[2][2];
    for (int r = 0; r < 2; ++r) {
        for (int side = 0; side < 2; ++side) {
            const std::size_t at = x + 2 + 4 * std::size_t(side);
            error[r][side] = k.aLessOne[r][at] * c + k.b[r][at];
            penalty[r][side] = p.consistencySquared + error[r][side] * error[r][side];
        }
    }
    // Weight = bilinear weight / penalty, all scaled by the product of the four penalties,
    // so that one division serves the pixel.
    const float upper = penalty[0][0] * penalty[0][1];
    const float lower = penalty[1][0] * penalty[1][1];
    const float w00 = (1.0f - wx) * (1.0f - wy) * penalty[0][1] * lower;
    const float w01 = wx * (1.0f - wy) * penalty[0][0] * lower;
    const float w10 = (1.0f - wx) * wy * penalty[1][1] * upper;
    const float w11 = wx * wy * penalty[1][0] * upper;
    const float offset = (w00 * error[0][0] + w01 * error[0][1] + w10 * error[1][0] + w11 * error[1][1])
        / (w00 + w01 + w10 + w11);
    const float base = c + offset;

    const auto index = static_cast<std::int32_t>(atMost(atLeast(base, p.baseFirst), p.baseLast));
    const float boost = atMost(atLeast(-p.detailGain * offset, -p.detailLimit), p.detailLimit);
    return colourOf(count, p.baseLevels[index] + boost + 0.5f, p);
}

// The baseline build of the same loop, four pixels (one cell) at a time. SSE2 has no
// gathers: the table indices go through a small buffer and the levels are put back into a
// vector, so that clamping and the saturation colours stay branch-free; branches on noisy
// levels were half the loop's time.
template <bool ShowSaturation, bool ClampCounts>
void detailRowSse2(const std::uint16_t* row, std::size_t n, const DetailRowCoefficients& k,
    const DetailRowParameters& p, std::uint32_t* out)
{
    const __m128 wx = _mm_setr_ps(RightWeights[0], RightWeights[1], RightWeights[2], RightWeights[3]);
    const __m128 wxLeft = _mm_sub_ps(_mm_set1_ps(1.0f), wx);
    const __m128 wyLower = _mm_set1_ps(k.lowerWeight);
    const __m128 wyUpper = _mm_set1_ps(1.0f - k.lowerWeight);
    const __m128 spatial00 = _mm_mul_ps(wxLeft, wyUpper);
    const __m128 spatial01 = _mm_mul_ps(wx, wyUpper);
    const __m128 spatial10 = _mm_mul_ps(wxLeft, wyLower);
    const __m128 spatial11 = _mm_mul_ps(wx, wyLower);
    const __m128 low = _mm_set1_ps(p.low);
    const __m128 high = _mm_set1_ps(p.high);
    const __m128 tauSquared = _mm_set1_ps(p.consistencySquared);
    const __m128 first = _mm_set1_ps(p.baseFirst);
    const __m128 last = _mm_set1_ps(p.baseLast);
    const __m128 negativeGain = _mm_set1_ps(-p.detailGain);
    const __m128 half = _mm_set1_ps(0.5f);
    const __m128 lowestBoost = _mm_set1_ps(0.5f - p.detailLimit);
    const __m128 highestBoost = _mm_set1_ps(0.5f + p.detailLimit);
    const __m128 zero = _mm_setzero_ps();
    const __m128 top = _mm_set1_ps(255.5f);
    const __m128i underflowAbove = _mm_set1_epi32(p.underflowAt + 1);
    const __m128i overflowBelow = _mm_set1_epi32(p.overflowAt - 1);
    const __m128i underflowColour = _mm_set1_epi32(256);
    const __m128i overflowColour = _mm_set1_epi32(257);
    const float* levels = p.baseLevels;
    const std::uint32_t* colours = p.colours;

    // The arithmetic of a group of four pixels and the table lookups of the group Lag groups
    // before, in one loop: the lookups' indices were stored iterations ago, so they wait on
    // nothing (in one group they waited at the end of a long chain of dependent operations,
    // and the processor ran out of room to overlap iterations), and the loads overlap with
    // the arithmetic of other groups.
    constexpr std::size_t Lag = 4;
    constexpr std::size_t Ring = 8; // groups held, more than Lag
    alignas(16) std::int32_t indices[Ring * 4];
    alignas(16) float boosts[Ring * 4];
    const std::size_t groups = n / 4;
    for (std::size_t g = 0; g < groups + Lag; ++g) {
        if (g < groups) {
            const std::size_t slot = 4 * (g % Ring);
            const std::size_t at = 4 * g;
            const __m128i raw = _mm_unpacklo_epi16(
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + at)), _mm_setzero_si128());
            __m128 c = _mm_cvtepi32_ps(raw);
            if constexpr (ClampCounts)
                c = _mm_min_ps(_mm_max_ps(c, low), high);
            __m128 error[2][2];
            __m128 penalty[2][2];
            for (int r = 0; r < 2; ++r) {
                error[r][0] = _mm_add_ps(
                    _mm_mul_ps(_mm_loadu_ps(k.aLessOne[r] + at + 2), c), _mm_loadu_ps(k.b[r] + at + 2));
                error[r][1] = _mm_add_ps(
                    _mm_mul_ps(_mm_loadu_ps(k.aLessOne[r] + at + 6), c), _mm_loadu_ps(k.b[r] + at + 6));
                for (int side = 0; side < 2; ++side)
                    penalty[r][side] = _mm_add_ps(_mm_mul_ps(error[r][side], error[r][side]), tauSquared);
            }
            const __m128 upper = _mm_mul_ps(penalty[0][0], penalty[0][1]);
            const __m128 lower = _mm_mul_ps(penalty[1][0], penalty[1][1]);
            const __m128 w00 = _mm_mul_ps(_mm_mul_ps(spatial00, penalty[0][1]), lower);
            const __m128 w01 = _mm_mul_ps(_mm_mul_ps(spatial01, penalty[0][0]), lower);
            const __m128 w10 = _mm_mul_ps(_mm_mul_ps(spatial10, penalty[1][1]), upper);
            const __m128 w11 = _mm_mul_ps(_mm_mul_ps(spatial11, penalty[1][0]), upper);
            const __m128 sum
                = _mm_add_ps(_mm_add_ps(_mm_mul_ps(w00, error[0][0]), _mm_mul_ps(w01, error[0][1])),
                    _mm_add_ps(_mm_mul_ps(w10, error[1][0]), _mm_mul_ps(w11, error[1][1])));
            const __m128 weights = _mm_add_ps(_mm_add_ps(w00, w01), _mm_add_ps(w10, w11));
            const __m128 offset = _mm_div_ps(sum, weights);
            const __m128 base = _mm_add_ps(c, offset);
            _mm_store_si128(reinterpret_cast<__m128i*>(indices + slot),
                _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(base, first), last)));
            _mm_store_ps(boosts + slot,
                _mm_min_ps(_mm_max_ps(_mm_add_ps(_mm_mul_ps(negativeGain, offset), half), lowestBoost),
                    highestBoost));
        }
        if (g >= Lag) {
            const std::size_t h = g - Lag;
            const std::size_t slot = 4 * (h % Ring);
            const __m128 level01 = _mm_unpacklo_ps(
                _mm_load_ss(levels + indices[slot]), _mm_load_ss(levels + indices[slot + 1]));
            const __m128 level23 = _mm_unpacklo_ps(
                _mm_load_ss(levels + indices[slot + 2]), _mm_load_ss(levels + indices[slot + 3]));
            __m128 level = _mm_add_ps(_mm_movelh_ps(level01, level23), _mm_load_ps(boosts + slot));
            level = _mm_min_ps(_mm_max_ps(level, zero), top);
            __m128i colour = _mm_cvttps_epi32(level);
            if constexpr (ShowSaturation) {
                const __m128i raw = _mm_unpacklo_epi16(
                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + 4 * h)), _mm_setzero_si128());
                const __m128i under = _mm_cmpgt_epi32(underflowAbove, raw);
                const __m128i over = _mm_cmpgt_epi32(raw, overflowBelow);
                colour = _mm_or_si128(_mm_andnot_si128(under, colour), _mm_and_si128(under, underflowColour));
                colour = _mm_or_si128(_mm_andnot_si128(over, colour), _mm_and_si128(over, overflowColour));
            }
            alignas(16) std::int32_t colourIndex[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(colourIndex), colour);
            for (int j = 0; j < 4; ++j)
                out[4 * h + j] = colours[colourIndex[j]];
        }
    }
    std::size_t x = 4 * groups;
    for (; x < n; ++x)
        out[x] = detailPixel(row, x, k, p);
}

// Eight pixels at a time; the per-pixel rows of coefficients need no permutation.
template <bool ShowSaturation, bool ClampCounts>
__attribute__((target("avx2,fma"))) void detailRowAvx2(const std::uint16_t* row, std::size_t n,
    const DetailRowCoefficients& k, const DetailRowParameters& p, std::uint32_t* out)
{
    const __m256 wx = _mm256_setr_ps(RightWeights[0], RightWeights[1], RightWeights[2], RightWeights[3],
        RightWeights[0], RightWeights[1], RightWeights[2], RightWeights[3]);
    const __m256 wxLeft = _mm256_sub_ps(_mm256_set1_ps(1.0f), wx);
    const __m256 wyLower = _mm256_set1_ps(k.lowerWeight);
    const __m256 wyUpper = _mm256_set1_ps(1.0f - k.lowerWeight);
    // Bilinear weights of the four cells for the eight pixels.
    const __m256 spatial00 = _mm256_mul_ps(wxLeft, wyUpper);
    const __m256 spatial01 = _mm256_mul_ps(wx, wyUpper);
    const __m256 spatial10 = _mm256_mul_ps(wxLeft, wyLower);
    const __m256 spatial11 = _mm256_mul_ps(wx, wyLower);
    const __m256 low = _mm256_set1_ps(p.low);
    const __m256 high = _mm256_set1_ps(p.high);
    const __m256 tauSquared = _mm256_set1_ps(p.consistencySquared);
    const __m256 first = _mm256_set1_ps(p.baseFirst);
    const __m256 last = _mm256_set1_ps(p.baseLast);
    const __m256 negativeGain = _mm256_set1_ps(-p.detailGain);
    const __m256 half = _mm256_set1_ps(0.5f);
    const __m256 lowestBoost = _mm256_set1_ps(0.5f - p.detailLimit);
    const __m256 highestBoost = _mm256_set1_ps(0.5f + p.detailLimit);
    const __m256 zero = _mm256_setzero_ps();
    const __m256 top = _mm256_set1_ps(255.5f);
    // count <= underflowAt is underflowAt + 1 > count; count >= overflowAt is count > overflowAt - 1.
    const __m256i underflowAbove = _mm256_set1_epi32(p.underflowAt + 1);
    const __m256i overflowBelow = _mm256_set1_epi32(p.overflowAt - 1);
    const __m256i underflowColour = _mm256_set1_epi32(256);
    const __m256i overflowColour = _mm256_set1_epi32(257);

    // The arithmetic of a group of eight pixels, the level gather of the group Lag groups
    // before and the colour gather of the group 2 Lag before, in one loop: each gather's
    // indices were stored iterations ago, so no gather waits on the operations or the gather
    // before it, and the gathers overlap with the arithmetic of other groups.
    constexpr std::size_t Lag = 4;
    constexpr std::size_t Ring = 16; // groups held, more than 2 Lag
    alignas(32) std::int32_t indices[Ring * 8];
    alignas(32) float boosts[Ring * 8];
    alignas(32) std::int32_t colourIndices[Ring * 8];
    const std::size_t groups = n / 8;
    for (std::size_t g = 0; g < groups + 2 * Lag; ++g) {
        if (g < groups) {
            const std::size_t slot = 8 * (g % Ring);
            const std::size_t at = 8 * g;
            const __m256i raw
                = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + at)));
            __m256 c = _mm256_cvtepi32_ps(raw);
            if constexpr (ClampCounts)
                c = _mm256_min_ps(_mm256_max_ps(c, low), high);
            // Each cell's base less the count, from its slope less one: the blend works on these
            // small differences, and a flat area's base is its count exactly.
            __m256 error[2][2];
            __m256 penalty[2][2];
            for (int r = 0; r < 2; ++r) {
                error[r][0] = _mm256_fmadd_ps(
                    _mm256_loadu_ps(k.aLessOne[r] + at + 2), c, _mm256_loadu_ps(k.b[r] + at + 2));
                error[r][1] = _mm256_fmadd_ps(
                    _mm256_loadu_ps(k.aLessOne[r] + at + 6), c, _mm256_loadu_ps(k.b[r] + at + 6));
                for (int side = 0; side < 2; ++side)
                    penalty[r][side] = _mm256_fmadd_ps(error[r][side], error[r][side], tauSquared);
            }
            const __m256 upper = _mm256_mul_ps(penalty[0][0], penalty[0][1]);
            const __m256 lower = _mm256_mul_ps(penalty[1][0], penalty[1][1]);
            const __m256 w00 = _mm256_mul_ps(_mm256_mul_ps(spatial00, penalty[0][1]), lower);
            const __m256 w01 = _mm256_mul_ps(_mm256_mul_ps(spatial01, penalty[0][0]), lower);
            const __m256 w10 = _mm256_mul_ps(_mm256_mul_ps(spatial10, penalty[1][1]), upper);
            const __m256 w11 = _mm256_mul_ps(_mm256_mul_ps(spatial11, penalty[1][0]), upper);
            __m256 sum = _mm256_mul_ps(w00, error[0][0]);
            sum = _mm256_fmadd_ps(w01, error[0][1], sum);
            sum = _mm256_fmadd_ps(w10, error[1][0], sum);
            sum = _mm256_fmadd_ps(w11, error[1][1], sum);
            const __m256 weights = _mm256_add_ps(_mm256_add_ps(w00, w01), _mm256_add_ps(w10, w11));
            // base = count + offset; the detail is -offset.
            const __m256 offset = _mm256_div_ps(sum, weights);
            const __m256 base = _mm256_add_ps(c, offset);
            _mm256_store_si256(reinterpret_cast<__m256i*>(indices + slot),
                _mm256_cvttps_epi32(_mm256_min_ps(_mm256_max_ps(base, first), last)));
            // The detail's boost, with the half for rounding folded into it and its limits.
            _mm256_store_ps(boosts + slot,
                _mm256_min_ps(
                    _mm256_max_ps(_mm256_fmadd_ps(negativeGain, offset, half), lowestBoost), highestBoost));
        }
        if (g >= Lag && g - Lag < groups) {
            const std::size_t h = g - Lag;
            const std::size_t slot = 8 * (h % Ring);
            const __m256i index = _mm256_load_si256(reinterpret_cast<const __m256i*>(indices + slot));
            __m256 level = _mm256_add_ps(gatherFloats(p.baseLevels, index), _mm256_load_ps(boosts + slot));
            level = _mm256_min_ps(_mm256_max_ps(level, zero), top);
            __m256i colour = _mm256_cvttps_epi32(level);
            if constexpr (ShowSaturation) {
                const __m256i raw
                    = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 8 * h)));
                colour = _mm256_blendv_epi8(colour, underflowColour, _mm256_cmpgt_epi32(underflowAbove, raw));
                colour = _mm256_blendv_epi8(colour, overflowColour, _mm256_cmpgt_epi32(raw, overflowBelow));
            }
            _mm256_store_si256(reinterpret_cast<__m256i*>(colourIndices + slot), colour);
        }
        if (g >= 2 * Lag) {
            const std::size_t h = g - 2 * Lag;
            const __m256i colour
                = _mm256_load_si256(reinterpret_cast<const __m256i*>(colourIndices + 8 * (h % Ring)));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8 * h), gatherWords(p.colours, colour));
        }
    }
    std::size_t x = 8 * groups;
    for (; x < n; ++x)
        out[x] = detailPixel(row, x, k, p);
}

} // namespace

void expandCoefficients(const float* grid, std::size_t cells, std::size_t n, float* expanded)
{
    // Entry m is cell m / 4 - 1 (the left cell of pixel x is (x + 2) / 4 - 1), clamped to the grid.
    const std::size_t length = expandedLength(n);
    const std::size_t inside = std::min(cells, length / DetailCellSize - 1);
    _mm_storeu_ps(expanded, _mm_set1_ps(grid[0]));
    for (std::size_t cell = 0; cell < inside; ++cell)
        _mm_storeu_ps(expanded + DetailCellSize * (cell + 1), _mm_set1_ps(grid[cell]));
    for (std::size_t m = DetailCellSize * (inside + 1); m < length; ++m)
        expanded[m] = grid[cells - 1];
}

void detailRow(const std::uint16_t* row, std::size_t n, const DetailRowCoefficients& coefficients,
    const DetailRowParameters& parameters, std::uint32_t* out)
{
    // Showing the saturation colours and clamping the counts are template choices: each
    // costs two to four operations a pixel, and most frames need neither.
    const bool saturation = parameters.underflowAt >= 0 || parameters.overflowAt <= 0xFFFF;
    const bool clamp = !parameters.countsInRange;
    using Loop = void (*)(const std::uint16_t*, std::size_t, const DetailRowCoefficients&,
        const DetailRowParameters&, std::uint32_t*);
    static constexpr Loop avx2[2][2] = { { detailRowAvx2<false, false>, detailRowAvx2<false, true> },
        { detailRowAvx2<true, false>, detailRowAvx2<true, true> } };
    static constexpr Loop sse2[2][2] = { { detailRowSse2<false, false>, detailRowSse2<false, true> },
        { detailRowSse2<true, false>, detailRowSse2<true, true> } };
    (useAvx2() ? avx2 : sse2)[saturation][clamp](row, n, coefficients, parameters, out);
}

} // namespace zelkir::kernels
