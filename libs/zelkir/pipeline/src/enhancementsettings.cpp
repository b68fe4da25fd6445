#include <zelkir/pipeline/enhancementsettings.h>

#include <algorithm>
#include <cmath>

namespace zelkir {

EnhancementSettings EnhancementSettings::clamped() const
{
    const EnhancementSettings defaults;
    EnhancementSettings result = *this;
    if (mode != ScaleMode::Linear && mode != ScaleMode::Plateau && mode != ScaleMode::Dde)
        result.mode = defaults.mode;
    result.linearIgnore = std::isnan(linearIgnore)
        ? defaults.linearIgnore
        : std::clamp(linearIgnore, MinimumLinearIgnore, MaximumLinearIgnore);
    result.plateauP
        = std::isnan(plateauP) ? defaults.plateauP : std::clamp(plateauP, MinimumPlateauP, MaximumPlateauP);
    result.ddeSharpness = std::clamp(ddeSharpness, MinimumDdeSharpness, MaximumDdeSharpness);
    // Switched off, the values are cleared too, so settings that differ only in unused
    // (perhaps NaN) values compare equal and cause no needless rendering.
    if (!(result.fixedSpan && std::isfinite(spanLow) && std::isfinite(spanHigh) && spanLow < spanHigh)) {
        result.fixedSpan = false;
        result.spanLow = result.spanHigh = 0.0;
    }
    if (!(result.isotherm && std::isfinite(isothermLow) && std::isfinite(isothermHigh)
            && isothermLow <= isothermHigh)) {
        result.isotherm = false;
        result.isothermLow = result.isothermHigh = 0.0;
    }
    return result;
}

bool EnhancementSettings::operator==(const EnhancementSettings& other) const
{
    return mode == other.mode && linearIgnore == other.linearIgnore && plateauP == other.plateauP
        && ddeSharpness == other.ddeSharpness && showSaturationColors == other.showSaturationColors
        && fixedSpan == other.fixedSpan && spanLow == other.spanLow && spanHigh == other.spanHigh
        && isotherm == other.isotherm && isothermLow == other.isothermLow && isothermHigh == other.isothermHigh;
}

} // namespace zelkir
