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
    return result;
}

bool EnhancementSettings::operator==(const EnhancementSettings& other) const
{
    return mode == other.mode && linearIgnore == other.linearIgnore && plateauP == other.plateauP
        && ddeSharpness == other.ddeSharpness && showSaturationColors == other.showSaturationColors;
}

} // namespace zelkir
