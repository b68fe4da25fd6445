#pragma once

#include "presetinfo.h"

#include <array>
#include <optional>

namespace zelkir {

/// A straight line: out = offset + gain * in.
struct LinearStep
{
    double gain = 1.0;
    double offset = 0.0;

    double apply(double in) const { return offset + gain * in; }
    bool operator==(const LinearStep& other) const { return gain == other.gain && offset == other.offset; }
};

/// The band-integrated Planck curve of a camera, radiance L in W/(m^2 sr) against
/// temperature T in kelvin: L = R / (exp(B / T) - F) + O, so T = B / ln(R / (L - O) + F).
/// R and O are in W/(m^2 sr), B in kelvin, F has no unit.
struct PlanckCurve
{
    double r = 0.0;
    double b = 0.0;
    double f = 1.0;
    double o = 0.0;

    bool operator==(const PlanckCurve& other) const
    {
        return r == other.r && b == other.b && f == other.f && o == other.o;
    }
};

/// What a file says about turning its physical pixel values into radiance and
/// temperature; the keywords are described in FITS-KEYWORDS.md. Every part is optional.
struct CalibrationParameters
{
    /// Factory counts-to-radiance step, applied to the physical value (RADGAIN, RADOFFS).
    std::optional<LinearStep> radiance;
    /// Per-preset replacements of `radiance` (RADGAINn, RADOFFSn, n = 0..7).
    std::array<std::optional<LinearStep>, PresetInfo::MaxPresets> presetRadiance;
    /// Radiance to temperature (PLANCK_R, PLANCK_B, PLANCK_F, PLANCK_O).
    std::optional<PlanckCurve> planck;

    /// User correction of the factory radiance (USRGAIN, USROFFS).
    std::optional<LinearStep> userRadiance;
    /// Object emissivity, 0 < e <= 1 (EMISSIV).
    std::optional<double> emissivity;
    /// Reflected apparent temperature in kelvin (REFLTEMP).
    std::optional<double> reflectedKelvin;
    /// Transmission of the air between camera and object, 0 < t <= 1 (ATMTRANS).
    std::optional<double> atmosphereTransmission;
    /// Temperature of that air in kelvin (ATMTEMP); the reflected temperature when absent.
    std::optional<double> atmosphereKelvin;

    /// True when some counts-to-radiance step is known, for all presets or for some.
    bool hasRadiance() const
    {
        for (const auto& step : presetRadiance) {
            if (step)
                return true;
        }
        return radiance.has_value();
    }
    /// True when any user keyword is present.
    bool hasUserSettings() const { return userRadiance || hasObjectSettings(); }
    /// True when any keyword of the object's surroundings is present: these need the
    /// Planck curve to take effect.
    bool hasObjectSettings() const
    {
        return emissivity || reflectedKelvin || atmosphereTransmission || atmosphereKelvin;
    }

    bool operator==(const CalibrationParameters& other) const
    {
        return radiance == other.radiance && presetRadiance == other.presetRadiance && planck == other.planck
            && userRadiance == other.userRadiance && emissivity == other.emissivity
            && reflectedKelvin == other.reflectedKelvin
            && atmosphereTransmission == other.atmosphereTransmission
            && atmosphereKelvin == other.atmosphereKelvin;
    }
};

} // namespace zelkir
