#include "widecountmapper.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zelkir {

namespace {

constexpr double MaxCount = 65535.0;

struct Survey
{
    double minimum = 0.0;
    double maximum = 0.0;
    bool anyFinite = false;
    bool anyMissing = false;
    bool wholeNumbers = true;
};

Survey survey(const double* values, std::size_t count)
{
    Survey result;
    for (std::size_t i = 0; i < count; ++i) {
        const double v = values[i];
        if (!std::isfinite(v)) {
            result.anyMissing = true;
            continue;
        }
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
    // Near the ends of the double range the span itself overflows; its parts do not. A span
    // of a few denormals has a step of the smallest double at least.
    const double span = high - low;
    const double step = std::isfinite(span) ? span / MaxCount : high / MaxCount - low / MaxCount;
    return CountScale { low, std::max(step, std::numeric_limits<double>::denorm_min()) };
}

quint16 roundedCount(double c)
{
    return c >= MaxCount ? quint16(65535) : (c > 0.0 ? quint16(c + 0.5) : quint16(0));
}

} // namespace

CountScale mapWideValues(const double* values, std::size_t count, std::optional<ValueRange> declared,
    quint16* counts, std::vector<quint8>& noValue)
{
    if (declared
        && !(std::isfinite(declared->minimum) && std::isfinite(declared->maximum)
            && declared->maximum >= declared->minimum))
        declared.reset();
    const Survey found = survey(values, count);
    const CountScale scale = chooseScale(found, declared);
    const double inverse = 1.0 / scale.scale;
    const double span = scale.scale * MaxCount;
    if (std::isfinite(span) && std::isfinite(inverse)) {
        for (std::size_t i = 0; i < count; ++i)
            counts[i] = roundedCount((values[i] - scale.offset) * inverse);
    } else {
        // Extreme ranges: the slower form that cannot overflow.
        for (std::size_t i = 0; i < count; ++i)
            counts[i] = roundedCount(scale.toCount(values[i]));
    }
    if (!found.anyMissing) {
        noValue.clear();
        return scale;
    }
    noValue.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        noValue[i] = std::isfinite(values[i]) ? 0 : 1;
    fillNoValueCounts(counts, noValue.data(), count);
    return scale;
}

void fillNoValueCounts(quint16* counts, const quint8* noValue, std::size_t count)
{
    quint64 sum = 0;
    std::size_t valued = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (noValue[i] == 0) {
            sum += counts[i];
            ++valued;
        }
    }
    const auto neutral = valued == 0 ? quint16(0) : quint16((sum + valued / 2) / valued);
    for (std::size_t i = 0; i < count; ++i) {
        if (noValue[i] != 0)
            counts[i] = neutral;
    }
}

} // namespace zelkir
