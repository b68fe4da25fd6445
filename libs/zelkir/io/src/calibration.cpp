#include <zelkir/io/calibration.h>

#include <cmath>

namespace zelkir {

namespace {

constexpr double ZeroCelsius = 273.15;
// Conditions the user correction falls back to when the file gives only one of them.
constexpr double DefaultEmissivity = 1.0;
constexpr double DefaultReflectedKelvin = 293.15;

double notANumber()
{
    return std::nan("");
}

} // namespace

Calibration::Calibration(const CalibrationParameters& parameters)
    : m_parameters(parameters)
{
}

bool Calibration::isAvailable(Unit unit) const
{
    switch (unit) {
    case Unit::Counts:
        return true;
    case Unit::RadianceFactory:
        return m_parameters.hasRadiance();
    case Unit::TemperatureFactory:
        return m_parameters.hasRadiance() && m_parameters.planck;
    case Unit::RadianceUser:
        // With the Planck curve the object's surroundings can always be set (they default to
        // a black body in still air); without it only a plain user step means anything.
        return m_parameters.hasRadiance()
            && (m_parameters.planck || (m_parameters.userRadiance && !m_parameters.hasObjectSettings()));
    case Unit::TemperatureUser:
        return m_parameters.hasRadiance() && m_parameters.planck;
    }
    return false;
}

QList<Unit> Calibration::availableUnits() const
{
    QList<Unit> units;
    for (Unit unit : { Unit::Counts, Unit::RadianceFactory, Unit::RadianceUser, Unit::TemperatureFactory,
             Unit::TemperatureUser }) {
        if (isAvailable(unit))
            units.append(unit);
    }
    return units;
}

double Calibration::convert(double physical, Unit unit, TemperatureScale scale, int preset) const
{
    switch (unit) {
    case Unit::Counts:
        return physical;
    case Unit::RadianceFactory:
        return factoryRadiance(physical, preset);
    case Unit::RadianceUser:
        return isAvailable(unit) ? userRadiance(physical, preset) : notANumber();
    case Unit::TemperatureFactory:
        return fromKelvin(kelvinFromRadiance(factoryRadiance(physical, preset)), scale);
    case Unit::TemperatureUser:
        return isAvailable(unit) ? fromKelvin(kelvinFromRadiance(userRadiance(physical, preset)), scale)
                                 : notANumber();
    }
    return notANumber();
}

double Calibration::factoryRadiance(double physical, int preset) const
{
    if (preset >= 0 && preset < PresetInfo::MaxPresets && m_parameters.presetRadiance[std::size_t(preset)])
        return m_parameters.presetRadiance[std::size_t(preset)]->apply(physical);
    if (!m_parameters.radiance)
        return notANumber();
    return m_parameters.radiance->apply(physical);
}

double Calibration::userRadiance(double physical, int preset) const
{
    double radiance = factoryRadiance(physical, preset);
    if (m_parameters.userRadiance)
        radiance = m_parameters.userRadiance->apply(radiance);
    if (!m_parameters.hasObjectSettings())
        return radiance;
    const double emissivity = m_parameters.emissivity.value_or(DefaultEmissivity);
    const double transmission = m_parameters.atmosphereTransmission.value_or(1.0);
    if (!(emissivity > 0.0 && emissivity <= 1.0) || !(transmission > 0.0 && transmission <= 1.0))
        return notANumber();
    const double reflectedKelvin = m_parameters.reflectedKelvin.value_or(DefaultReflectedKelvin);
    // The camera sees the object's own emission and the surroundings it reflects, both
    // through the air, plus the air's own emission.
    const double reflected = radianceFromKelvin(reflectedKelvin);
    const double air = transmission < 1.0
        ? radianceFromKelvin(m_parameters.atmosphereKelvin.value_or(reflectedKelvin))
        : 0.0;
    return (radiance - (1.0 - emissivity) * transmission * reflected - (1.0 - transmission) * air)
        / (emissivity * transmission);
}

double Calibration::kelvinFromRadiance(double radiance) const
{
    if (!m_parameters.planck)
        return notANumber();
    const PlanckCurve& c = *m_parameters.planck;
    const double excess = radiance - c.o;
    if (!(excess > 0.0))
        return notANumber();
    const double logArgument = c.r / excess + c.f;
    if (!(logArgument > 1.0))
        return notANumber();
    const double kelvin = c.b / std::log(logArgument);
    return std::isfinite(kelvin) && kelvin > 0.0 ? kelvin : notANumber();
}

double Calibration::radianceFromKelvin(double kelvin) const
{
    if (!m_parameters.planck || !(kelvin > 0.0))
        return notANumber();
    const PlanckCurve& c = *m_parameters.planck;
    const double denominator = std::exp(c.b / kelvin) - c.f;
    if (!(denominator > 0.0))
        return notANumber();
    return c.r / denominator + c.o;
}

double Calibration::fromKelvin(double kelvin, TemperatureScale scale)
{
    switch (scale) {
    case TemperatureScale::Celsius:
        return kelvin - ZeroCelsius;
    case TemperatureScale::Fahrenheit:
        return kelvin * 9.0 / 5.0 - 459.67;
    case TemperatureScale::Kelvin:
        return kelvin;
    }
    return notANumber();
}

double Calibration::toKelvin(double value, TemperatureScale scale)
{
    switch (scale) {
    case TemperatureScale::Celsius:
        return value + ZeroCelsius;
    case TemperatureScale::Fahrenheit:
        return (value + 459.67) * 5.0 / 9.0;
    case TemperatureScale::Kelvin:
        return value;
    }
    return notANumber();
}

} // namespace zelkir
