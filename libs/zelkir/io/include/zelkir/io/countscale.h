#pragma once

#include <cmath>

namespace zelkir {

/// How a frame's 16-bit counts relate to the values stored in the file:
/// physical = offset + scale * count.
///
/// "Physical" is the file's own value of a pixel, after the file's scaling (for FITS,
/// BZERO + BSCALE * stored value). Readers keep 8- and 16-bit integer data exact (scale
/// is the file's BSCALE, usually 1), and map wider or floating-point data linearly onto
/// 0..65535, recording the step here so the physical value can be recovered to within
/// half a step.
struct CountScale
{
    double offset = 0.0;
    double scale = 1.0;

    /// Finite for every finite count whose physical value a double can hold, also where
    /// scale * count alone would overflow; beyond that, the largest finite double.
    double toPhysical(double count) const
    {
        const double physical = offset + scale * count;
        return std::isfinite(physical) ? physical : toPhysicalSlowly(count);
    }
    /// The count, not rounded or clamped, whose physical value is `physical`; NaN when
    /// the scale is zero. Finite wherever the count fits a double, even where physical -
    /// offset overflows.
    double toCount(double physical) const;

    bool operator==(const CountScale& other) const { return offset == other.offset && scale == other.scale; }
    bool operator!=(const CountScale& other) const { return !(*this == other); }

private:
    double toPhysicalSlowly(double count) const;
};

} // namespace zelkir
