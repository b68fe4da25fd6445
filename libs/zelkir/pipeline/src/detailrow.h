#pragma once

#include <cstddef>
#include <cstdint>

// The per-pixel loop of digital detail enhancement, in a baseline and an AVX2 build.
namespace zelkir::kernels {

/// Inputs of the row loop that stay the same for a whole frame.
struct DetailRowParameters
{
    float low = 0.0f; ///< valid range, for clamping the counts
    float high = 0.0f;
    /// Every count of the frame lies in [low, high], so none needs clamping.
    bool countsInRange = false;
    /// tau^2, tau in counts: a cell whose base for a pixel lies e counts from the pixel's
    /// count weighs tau^2 / (tau^2 + e^2) of its bilinear weight.
    float consistencySquared = 1.0f;
    float baseFirst = 0.0f; ///< counts the base-level table covers
    float baseLast = 0.0f;
    const float* baseLevels = nullptr; ///< display level (0-255) per count, indexed by count
    float detailGain = 0.0f; ///< display levels per count of detail
    float detailLimit = 0.0f; ///< largest change, in levels, the detail may make
    std::int32_t underflowAt = -1; ///< counts at or below get colour 256 (-1: never)
    std::int32_t overflowAt = 1 << 17; ///< counts at or above get colour 257 (above 65535: never)
    const std::uint32_t* colours = nullptr; ///< 258 colours: 256 levels, underflow, overflow
};

/// The guided filter's models (base = a * count + b) of the grid rows above and below an
/// output row, as a - 1 and b, so that a * count + b - count comes out directly. Each row is
/// spread out per pixel: entry x + 2 holds the model of the cell left of pixel x, entry x + 6
/// the one right of it (the end cells standing in beyond the grid), so the loops load the
/// models of consecutive pixels as they are, without shuffles; rows hold at least n + 8 entries.
/// expandCoefficients() writes such a row.
struct DetailRowCoefficients
{
    const float* aLessOne[2] = {}; ///< [upper, lower]
    const float* b[2] = {};
    float lowerWeight = 0.0f; ///< bilinear weight of the lower grid row for this output row
};

/// The cells' centres lie at pixel 4i + 1.5.
constexpr int DetailCellSize = 4;

/// Entries expandCoefficients() writes for a row of n pixels.
constexpr std::size_t expandedLength(std::size_t n)
{
    return n + 8;
}

/// Spreads one grid row of `cells` values out per pixel, as DetailRowCoefficients describes.
void expandCoefficients(const float* grid, std::size_t cells, std::size_t n, float* expanded);

/// One output row. Each pixel's base blends the four cells' bases with their bilinear
/// weights, each times tau^2 / (tau^2 + (base - count)^2): near an edge, a cell from
/// the other side predicts a base far from the pixel and drops out, where plain bilinear
/// blending would leave a halo. detail = count - base; level = baseLevels[base] + gain *
/// detail (limited to +-detailLimit); then the colour.
void detailRow(const std::uint16_t* row, std::size_t n, const DetailRowCoefficients& coefficients,
    const DetailRowParameters& parameters, std::uint32_t* out);

} // namespace zelkir::kernels
