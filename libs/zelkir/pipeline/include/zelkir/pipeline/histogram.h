#pragma once

#include <zelkir/pipeline/frame.h>

#include <cstdint>
#include <vector>

namespace zelkir {

/// The histogram of one frame's counts, one bin per count of the valid range; counts beyond
/// an end of the range are counted at that end, pixels without a value not at all. Its
/// memory is reused from frame to frame.
class Histogram
{
public:
    /// The occupied counts that the display mapping works from.
    struct Population
    {
        std::uint16_t first = 0; ///< lowest occupied count
        std::uint16_t last = 0; ///< highest occupied count
        std::uint64_t total = 0; ///< pixels
    };

    Histogram();

    /// Counts every pixel of the frame that has a value. Returns false, leaving the
    /// histogram empty, when the frame or the range is invalid; a frame without any value
    /// leaves it empty too, but returns true.
    bool compute(const CountFrame& frame, ValidRange range);
    void clear();

    bool isEmpty() const { return m_total == 0; }
    ValidRange range() const { return m_range; }
    /// Pixels at a count; 0 outside the range.
    std::uint32_t count(int value) const;
    /// The bins, indexed by count; entries from minimum() to maximum() are meaningful.
    const std::uint32_t* bins() const { return m_bins.data(); }

    /// Pixels counted, and the smallest, largest and mean of the clamped counts.
    std::uint64_t total() const { return m_total; }
    /// Pixels of the frame left out for having no value.
    std::uint64_t noValuePixels() const { return m_noValuePixels; }
    std::uint16_t minimum() const { return m_minimum; }
    std::uint16_t maximum() const { return m_maximum; }
    double mean() const { return m_mean; }
    FrameStatistics statistics() const;

    /// The smallest and largest count before clamping, so a table indexed by count can cover
    /// every pixel of the frame.
    std::uint16_t rawMinimum() const { return m_rawMinimum; }
    std::uint16_t rawMaximum() const { return m_rawMaximum; }

    /// The unsaturated pixels (strictly inside the range), or all of them when every pixel is
    /// saturated: saturated counts say nothing about the scene's contrast.
    Population mappingPopulation() const { return m_population; }

    /// The count below which lie no more than `rank` pixels of the mapping population: the
    /// smallest occupied count whose cumulative total exceeds rank. Ranks beyond the
    /// population give its last count.
    std::uint16_t countAtRank(std::uint64_t rank) const;
    /// The largest occupied count with more than `rank` pixels of the population at or above it.
    std::uint16_t countAtRankFromTop(std::uint64_t rank) const;

private:
    std::vector<std::uint32_t> m_bins;
    ValidRange m_range;
    std::uint64_t m_total = 0;
    std::uint16_t m_minimum = 0;
    std::uint16_t m_maximum = 0;
    std::uint16_t m_rawMinimum = 0;
    std::uint16_t m_rawMaximum = 0;
    double m_mean = 0.0;
    std::uint64_t m_noValuePixels = 0;
    Population m_population;
};

} // namespace zelkir
