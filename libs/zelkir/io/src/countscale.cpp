#include <zelkir/io/countscale.h>

#include <cmath>

namespace zelkir {

double CountScale::toCount(double physical) const
{
    if (scale == 0.0)
        return std::nan("");
    return (physical - offset) / scale;
}

} // namespace zelkir
