#pragma once

#include <cstdint>

namespace zelkir {

class Histogram;
class LevelMap;

/// The counts shown as the first and the last display level.
struct LinearClip
{
    std::uint16_t low = 0;
    std::uint16_t high = 0;
};

/// Linear scaling with a share of the histogram ignored: ignorePercent (0-100, fractional)
/// of the mapping population is cut, half from each tail, and the counts between the two
/// clip points spread evenly over the 256 levels; counts beyond them take the end levels.
class LinearScale
{
public:
    /// The clip points: the lowest count with more than floor(n * ignore / 200) of the n
    /// pixels at or below it, and the highest with more than that many at or above it. At
    /// 100 % both meet at the median. Out-of-range or NaN percentages are clamped (NaN as 0).
    static LinearClip clipPoints(const Histogram& histogram, double ignorePercent);

    /// Fills levels over the histogram's minimum..maximum: (count - low) * 255 / (high - low),
    /// clamped to 0..255. When low == high (a flat image, or 100 %) that count gets the middle
    /// level 127.5, counts below 0 and counts above 255.
    static void levels(const Histogram& histogram, double ignorePercent, LevelMap& out);
    static void levels(const Histogram& histogram, LinearClip clip, LevelMap& out);
    /// The same between fractional counts low < high (a span fixed in physical values lies
    /// between counts); with whole counts it equals the LinearClip form.
    static void levels(const Histogram& histogram, double low, double high, LevelMap& out);
};

} // namespace zelkir
