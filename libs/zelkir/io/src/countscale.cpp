#include <zelkir/io/countscale.h>

#include <limits>

namespace zelkir {

double CountScale::toPhysicalSlowly(double count) const
{
    if (!std::isfinite(count) || !std::isfinite(offset) || !std::isfinite(scale))
        return offset + scale * count;
    // One rounding, no overflow of the product on its own.
    const double physical = std::fma(scale, count, offset);
    if (std::isfinite(physical))
        return physical;
    return std::copysign(std::numeric_limits<double>::max(), physical);
}

double CountScale::toCount(double physical) const
{
    if (scale == 0.0)
        return std::nan("");
    const double difference = physical - offset;
    if (std::isfinite(difference) || !std::isfinite(physical))
        return difference / scale;
    return physical / scale - offset / scale;
}

} // namespace zelkir
