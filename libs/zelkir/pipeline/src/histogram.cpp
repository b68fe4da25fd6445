#include <zelkir/pipeline/histogram.h>

#include "pixelkernels.h"

#include <algorithm>

namespace zelkir {

namespace {

constexpr int BinCount = 1 << 16;
constexpr int ScanBlock = 64; // bins tested at once, in a loop the compiler vectorises

bool anyOccupied(const std::uint32_t* bins)
{
    std::uint32_t any = 0;
    for (int k = 0; k < ScanBlock; ++k)
        any |= bins[k];
    return any != 0;
}

// Both assume at least one occupied bin.
int firstOccupied(const std::uint32_t* bins)
{
    int start = 0;
    while (!anyOccupied(bins + start))
        start += ScanBlock;
    while (bins[start] == 0)
        ++start;
    return start;
}

int lastOccupied(const std::uint32_t* bins)
{
    int start = BinCount - ScanBlock;
    while (!anyOccupied(bins + start))
        start -= ScanBlock;
    int last = start + ScanBlock - 1;
    while (bins[last] == 0)
        --last;
    return last;
}

} // namespace

Histogram::Histogram()
    : m_bins(BinCount, 0)
{
}

void Histogram::clear()
{
    if (m_total != 0)
        std::fill(m_bins.begin() + m_rawMinimum, m_bins.begin() + m_rawMaximum + 1, 0u);
    m_total = 0;
    m_minimum = m_maximum = m_rawMinimum = m_rawMaximum = 0;
    m_mean = 0.0;
    m_noValuePixels = 0;
    m_population = {};
}

bool Histogram::compute(const CountFrame& frame, ValidRange range)
{
    clear();
    if (!isValid(frame) || !isValid(range))
        return false;
    m_range = range;

    // A bin for every 16-bit count: the pixel loop needs no clamping, and the raw span it
    // yields lets the colour table cover every pixel without clamping either.
    const auto width = static_cast<std::size_t>(frame.width);
    const std::uint64_t pixels = std::uint64_t(frame.width) * std::uint64_t(frame.height);
    std::uint32_t* bins = m_bins.data();
    std::uint64_t counted = pixels;
    if (frame.noValue) {
        // Missing data usually covers a few rows; the others take the plain loop.
        counted = 0;
        for (int y = 0; y < frame.height; ++y) {
            const std::uint16_t* row = frame.counts + y * frame.stride;
            const std::uint8_t* noValue = frame.noValue + y * frame.stride;
            if (kernels::anyNoValue(noValue, width)) {
                counted += kernels::addValuedToHistogram(row, noValue, width, bins);
            } else {
                kernels::addToHistogram(row, width, bins);
                counted += width;
            }
        }
        m_noValuePixels = pixels - counted;
        if (counted == 0)
            return true;
    } else {
        for (int y = 0; y < frame.height; ++y)
            kernels::addToHistogram(frame.counts + y * frame.stride, width, bins);
    }
    const auto rawLow = static_cast<std::uint16_t>(firstOccupied(bins));
    const auto rawHigh = static_cast<std::uint16_t>(lastOccupied(bins));
    m_rawMinimum = rawLow;
    m_rawMaximum = rawHigh;
    m_total = counted;

    // Fold the counts beyond the range into its ends.
    for (int value = rawLow; value < range.low; ++value) {
        bins[range.low] += bins[value];
        bins[value] = 0;
    }
    for (int value = range.high + 1; value <= rawHigh; ++value) {
        bins[range.high] += bins[value];
        bins[value] = 0;
    }
    m_minimum = std::clamp(rawLow, range.low, range.high);
    m_maximum = std::clamp(rawHigh, range.low, range.high);

    std::uint64_t weighted = 0;
    for (int value = m_minimum; value <= m_maximum; ++value)
        weighted += std::uint64_t(value) * bins[value];
    m_mean = double(weighted) / double(m_total);

    const std::uint64_t saturated = std::uint64_t(bins[range.low]) + bins[range.high];
    if (saturated == m_total) {
        m_population = { m_minimum, m_maximum, m_total };
    } else {
        int first = std::max<int>(m_minimum, range.low + 1);
        int last = std::min<int>(m_maximum, range.high - 1);
        while (bins[first] == 0)
            ++first;
        while (bins[last] == 0)
            --last;
        m_population = { std::uint16_t(first), std::uint16_t(last), m_total - saturated };
    }
    return true;
}

std::uint32_t Histogram::count(int value) const
{
    if (m_total == 0 || value < m_minimum || value > m_maximum)
        return 0;
    return m_bins[static_cast<std::size_t>(value)];
}

FrameStatistics Histogram::statistics() const
{
    FrameStatistics result;
    result.pixels = m_total;
    result.minimum = m_minimum;
    result.maximum = m_maximum;
    result.mean = m_mean;
    result.noValuePixels = m_noValuePixels;
    if (m_total != 0) {
        result.underflowPixels = m_bins[m_range.low];
        result.overflowPixels = m_bins[m_range.high];
    }
    return result;
}

std::uint16_t Histogram::countAtRank(std::uint64_t rank) const
{
    std::uint64_t cumulative = 0;
    for (int value = m_population.first; value < m_population.last; ++value) {
        cumulative += m_bins[value];
        if (cumulative > rank)
            return std::uint16_t(value);
    }
    return m_population.last;
}

std::uint16_t Histogram::countAtRankFromTop(std::uint64_t rank) const
{
    std::uint64_t cumulative = 0;
    for (int value = m_population.last; value > m_population.first; --value) {
        cumulative += m_bins[value];
        if (cumulative > rank)
            return std::uint16_t(value);
    }
    return m_population.first;
}

} // namespace zelkir
