#include "widecountmapper.h"

#include <algorithm>
#include <cmath>

namespace zelkir {

namespace {

constexpr double MaxCount = 65535.0;

struct Survey
{
    double minimum = 0.0;
    double maximum = 0.0;
    bool anyFinite = false;
    bool wholeNumbers = true;
};

Survey survey(const double* values, std::size_t count)
{
    Survey result;
    for (std::size_t i = 0; i < count; ++i) {
        const double v = values[i];
        if (!std::isfinite(v))
            continue;
        if (!result.anyFinite) {
            result.minimum = result.maximum = v;
            result.anyFinite = true;
        }
        result.minimum = std::min(result.minimum, v);
        result.maximum = std::max(result.maximum, v);
        result.wholeNumbers = result.wholeNumbers && v == std::floor(v);
    }
    return result;
}

CountScale chooseScale(const Survey& found, std::optional<ValueRange> declared)
{
    double low = found.minimum;
    double high = found.maximum;
    if (declared) {
        low = declared->minimum;
        high = declared->maximum;
    }
    if (found.wholeNumbers && low == std::floor(low)) {
        if (low >= 0.0 && high <= MaxCount)
            return CountScale { 0.0, 1.0 };
        if (high - low <= MaxCount)
            return CountScale { low, 1.0 };
    }
    if (!(high > low))
        return CountScale { low, 1.0 };
    return CountScale { low, (high - low) / MaxCount };
}

} // namespace

CountScale mapWideValues(
    const double* values, std::size_t count, std::optional<ValueRange> declared, quint16* counts)
{
    if (declared
        && !(std::isfinite(declared->minimum) && std::isfinite(declared->maximum)
            && declared->maximum >= declared->minimum))
        declared.reset();
    const CountScale scale = chooseScale(survey(values, count), declared);
    const double inverse = 1.0 / scale.scale;
    for (std::size_t i = 0; i < count; ++i) {
        const double c = (values[i] - scale.offset) * inverse;
        // NaN fails both comparisons and lands on 0 with the low clamp.
        counts[i] = c >= MaxCount ? quint16(65535) : (c > 0.0 ? quint16(c + 0.5) : quint16(0));
    }
    return scale;
}

} // namespace zelkir
