#pragma once

namespace zelkir {

/// A simple model of how much of an object's radiation in the 8-14 um window crosses the
/// air to the camera, for object distances up to a few hundred metres.
///
/// Water vapour density from the relative humidity and the air temperature by the Magnus
/// formula, then Beer-Lambert extinction:
///
///     tau = exp(-(k0 + k1 * rho_w) * d)
///
/// with the distance d in metres, rho_w in g/m^3, k0 the extinction of dry air (carbon
/// dioxide at the band's edges and a light haze) and k1 the water vapour continuum's, both
/// band averages. It ignores rain, fog and heavy aerosols; over 10 m of ordinary indoor air
/// it gives about 0.99.
namespace AtmosphereModel {

/// Dry-air extinction, 1/m.
constexpr double DryExtinction = 5.0e-5;
/// Water vapour extinction, 1/m per g/m^3.
constexpr double VapourExtinction = 8.0e-5;

/// Water vapour in air at `airKelvin` and `relativeHumidity` (percent, 0..100), g/m^3;
/// NaN for a temperature at or below 0 K or a humidity outside 0..100.
double waterVapourDensity(double relativeHumidity, double airKelvin);

/// The transmission over `metres` (>= 0) of air at `airKelvin` and `relativeHumidity`
/// percent: 1 at 0 m, falling towards 0; NaN for arguments out of range.
double transmission(double metres, double relativeHumidity, double airKelvin);

} // namespace AtmosphereModel

} // namespace zelkir
