#pragma once

#include <cstdint>

namespace zelkir {

class Histogram;
class LevelMap;

/// Plateau histogram equalisation. Every bin of the mapping population is capped at the
/// plateau limit T before the cumulative histogram becomes the level map, so no count range
/// takes more of the display than T pixels per count allow.
///
/// The plateau parameter P (2-200) sets T on a logarithmic scale between its useful ends:
///   T = max(1, floor(B ^ ((P - 2) / 198)))   with B the fullest bin's count.
/// P = 2 gives T = 1: every occupied count weighs the same, so the occupied counts spread
/// evenly over the levels whatever their pixel numbers (histogram projection). P = 200 gives
/// T = B: nothing is capped, full histogram equalisation. Each step of P multiplies T by the
/// same factor.
class PlateauEqualisation
{
public:
    /// T for a histogram and P; P out of 2-200 (or NaN) is clamped (NaN as 200).
    static std::uint32_t plateauLimit(const Histogram& histogram, double plateauP);

    /// Fills levels over the histogram's minimum..maximum. With h the capped bins and C(c)
    /// their sum below c, a count c gets 255 * (C(c) + h(c)/2 - h(first)/2) / (S - h(first)/2
    /// - h(last)/2), S the capped total: the population's first count gets 0, its last 255,
    /// occupied counts in between are placed at the middle of their share, and the map never
    /// decreases. Counts that no pixel has lie on the straight line between their occupied
    /// neighbours, so the map is continuous for values between counts (DDE's base). A single
    /// occupied count gets 127.5; counts outside the population take the nearer end.
    static void levels(const Histogram& histogram, double plateauP, LevelMap& out);
};

} // namespace zelkir
