#pragma once

#include <zelkir/pipeline/frame.h>

#include <cstddef>
#include <vector>

namespace zelkir {

/// The fast guided filter (He and Sun, 2015) with the image as its own guide, worked out on
/// a grid of 4 x 4 pixel cells: base = a * count + b, where a and b, smooth over the image,
/// come out near 1 and 0 across strong edges (the base keeps the edge) and near 0 and the
/// local mean in regions whose variation is small against sqrt(epsilon) (the base is smooth
/// there). Cost is O(1) per pixel plus a small amount per cell.
class GuidedFilter
{
public:
    static constexpr int CellSize = 4;
    /// Window radius of both box means, in cells: windows of 5 x 5 cells (20 x 20 pixels).
    static constexpr int Radius = 2;

    /// Computes a and b for each cell. Counts are clamped into range and taken relative to
    /// offset (any typical count, e.g. the mean) to keep the squares precise in float.
    /// epsilon is in counts squared; values below 1 are raised to 1. countsInRange: the caller
    /// knows that no count lies beyond the range, so none needs clamping (same result).
    void compute(
        const CountFrame& frame, ValidRange range, float offset, float epsilon, bool countsInRange = false);

    int gridWidth() const { return m_gridWidth; }
    int gridHeight() const { return m_gridHeight; }
    /// The coefficients of a grid row, one per cell: a - 1, and b in absolute counts.
    const float* aLessOne(int gridRow) const
    {
        return m_aLessOne.data() + std::size_t(gridRow) * m_gridWidth;
    }
    const float* b(int gridRow) const { return m_b.data() + std::size_t(gridRow) * m_gridWidth; }

private:
    void cellMeans(const CountFrame& frame, ValidRange range, float offset, bool clamp);
    void boxMean(std::vector<float>& data);

    int m_gridWidth = 0;
    int m_gridHeight = 0;
    std::vector<float> m_mean;
    std::vector<float> m_meanSquares;
    std::vector<float> m_a;
    std::vector<float> m_b;
    std::vector<float> m_rowPass;
    std::vector<float> m_aLessOne;
    std::vector<float> m_inverseWidthCount;
};

} // namespace zelkir
