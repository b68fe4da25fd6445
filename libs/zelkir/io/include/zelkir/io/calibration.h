#pragma once

#include "calibrationparameters.h"

#include <QList>

namespace zelkir {

/// The display units a value at a pixel can be shown in.
enum class Unit {
    Counts, ///< the file's physical value (see CountScale)
    RadianceFactory, ///< W/(m^2 sr), factory step
    RadianceUser, ///< W/(m^2 sr), user-corrected object radiance
    TemperatureFactory, ///< factory step and Planck curve
    TemperatureUser, ///< user-corrected object radiance and Planck curve
};

enum class TemperatureScale { Celsius, Fahrenheit, Kelvin };

/// Turns physical pixel values into radiance and temperature.
///
/// Factory radiance: L = offset + gain * physical, with the preset's own step when the
/// file has one. User radiance: Lu = USROFFS + USRGAIN * L, then corrected for the object's
/// emissivity e, the reflected temperature Tr, the atmosphere's transmission t and its
/// temperature Ta: (Lu - (1 - e) * t * Planck(Tr) - (1 - t) * Planck(Ta)) / (e * t), with
/// e = 1, Tr = 293.15 K, t = 1 and Ta = Tr where not given. User units exist whenever the
/// factory radiance and the Planck curve do (the object parameters give them their
/// meaning), and without the curve for a plain user step (USRGAIN, USROFFS) alone.
/// Temperatures come from the Planck curve. Every function answers NaN when the unit is
/// not available or the radiance lies outside the curve's domain.
///
/// A Calibration is an immutable value: safe to share between threads.
class Calibration
{
public:
    Calibration() = default;
    explicit Calibration(const CalibrationParameters& parameters);

    const CalibrationParameters& parameters() const { return m_parameters; }

    bool isAvailable(Unit unit) const;
    /// Counts first, then radiance and temperature, factory before user.
    QList<Unit> availableUnits() const;

    /// `physical` in `unit`: counts as they are, radiance in W/(m^2 sr), temperature in
    /// `scale`. `preset` (0..7, or -1 for none) picks a per-preset radiance step.
    double convert(
        double physical, Unit unit, TemperatureScale scale = TemperatureScale::Kelvin, int preset = -1) const;

    double factoryRadiance(double physical, int preset = -1) const;
    double userRadiance(double physical, int preset = -1) const;

    /// Temperature in kelvin of a radiance in W/(m^2 sr), by the Planck curve.
    double kelvinFromRadiance(double radiance) const;
    /// Radiance in W/(m^2 sr) of a black body at `kelvin`, by the Planck curve.
    double radianceFromKelvin(double kelvin) const;

    static double fromKelvin(double kelvin, TemperatureScale scale);
    static double toKelvin(double value, TemperatureScale scale);

private:
    CalibrationParameters m_parameters;
};

} // namespace zelkir
