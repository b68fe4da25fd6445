#include <zelkir/io/atmospheretransmission.h>

#include <cmath>

namespace zelkir::AtmosphereModel {

namespace {

constexpr double ZeroCelsius = 273.15;
// Magnus formula over water (Sonntag 1990): saturation pressure in hPa at t degrees Celsius.
constexpr double MagnusPressure = 6.112;
constexpr double MagnusA = 17.62;
constexpr double MagnusB = 243.12;
// Specific gas constant of water vapour, J/(kg K).
constexpr double VapourGasConstant = 461.5;

} // namespace

double waterVapourDensity(double relativeHumidity, double airKelvin)
{
    if (!(airKelvin > 0.0) || !std::isfinite(airKelvin)
        || !(relativeHumidity >= 0.0 && relativeHumidity <= 100.0))
        return std::nan("");
    const double celsius = airKelvin - ZeroCelsius;
    const double saturationPascal
        = 100.0 * MagnusPressure * std::exp(MagnusA * celsius / (MagnusB + celsius));
    // Ideal gas: rho = p / (Rv T), in kg/m^3; times 1000 for g/m^3.
    return relativeHumidity / 100.0 * saturationPascal / (VapourGasConstant * airKelvin) * 1000.0;
}

double transmission(double metres, double relativeHumidity, double airKelvin)
{
    const double vapour = waterVapourDensity(relativeHumidity, airKelvin);
    if (!(metres >= 0.0) || !std::isfinite(metres) || std::isnan(vapour))
        return std::nan("");
    return std::exp(-(DryExtinction + VapourExtinction * vapour) * metres);
}

} // namespace zelkir::AtmosphereModel
