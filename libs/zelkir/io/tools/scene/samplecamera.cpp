#include "samplecamera.h"

#include "samplerandom.h"

#include <algorithm>
#include <cmath>

using namespace zelkir;

namespace {

// The band radiance of an 8-14 um camera fitted from 250 K to 400 K.
constexpr PlanckCurve Curve { 5685.76, 1404.0, 1.0, 1.63 };
// Radiance per count and radiance at count 0 of preset 0, in W/(m^2 sr): -20 C lands
// near count 1000 and 150 C near count 15500.
constexpr double Gain = 0.01323;
constexpr double Offset = 10.6;

constexpr double TemporalNoise = 2.6;
constexpr double PixelNoise = 6.0;
constexpr double ColumnNoise = 3.0;
constexpr double DriftCounts = 4.0;
constexpr double Vignetting = 0.02;

constexpr double TableLowKelvin = 150.0;
constexpr double TableHighKelvin = 1200.0;
constexpr double TableStep = 0.05;
constexpr int NormalTableBits = 16;

LinearStep presetStep(int preset)
{
    return LinearStep { Gain * double(1 << preset), Offset };
}

} // namespace

SampleCamera::SampleCamera(int width, int height, std::uint64_t seed)
    : m_width(width)
    , m_height(height)
{
    const Calibration curve(calibration(false));
    const int entries = int((TableHighKelvin - TableLowKelvin) / TableStep) + 2;
    for (int i = 0; i < entries; ++i)
        m_radianceTable.push_back(curve.radianceFromKelvin(TableLowKelvin + i * TableStep));

    SampleRandom random(seed ^ 0xca3e7aULL);
    m_normalTable.resize(std::size_t(1) << NormalTableBits);
    for (float& sample : m_normalTable)
        sample = float(random.normal());
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    std::vector<double> columns(static_cast<std::size_t>(width));
    for (double& column : columns)
        column = ColumnNoise * random.normal();
    m_fixedPattern.resize(pixels);
    m_vignette.resize(pixels);
    const double cx = 0.5 * width;
    const double cy = 0.5 * height;
    const double corner = cx * cx + cy * cy;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(width) + std::size_t(x);
            m_fixedPattern[i] = float(PixelNoise * random.normal() + columns[std::size_t(x)]);
            const double dx = x + 0.5 - cx;
            const double dy = y + 0.5 - cy;
            m_vignette[i] = float(1.0 - Vignetting * (dx * dx + dy * dy) / corner);
        }
    }
    const std::size_t defects = std::max<std::size_t>(3, pixels / 40000);
    for (std::size_t n = 0; n < defects; ++n) {
        m_deadPixels.push_back(std::size_t(random.uniform() * double(pixels)) % pixels);
        m_hotPixels.push_back(std::size_t(random.uniform() * double(pixels)) % pixels);
    }
}

double SampleCamera::radiance(float kelvin) const
{
    const double position
        = std::clamp((kelvin - TableLowKelvin) / TableStep, 0.0, double(m_radianceTable.size() - 2));
    const auto index = std::size_t(position);
    const double share = position - double(index);
    return m_radianceTable[index] + share * (m_radianceTable[index + 1] - m_radianceTable[index]);
}

CalibrationParameters SampleCamera::calibration(bool sequencing)
{
    CalibrationParameters parameters;
    parameters.radiance = presetStep(0);
    parameters.planck = Curve;
    parameters.emissivity = 0.95;
    parameters.reflectedKelvin = 295.15;
    if (sequencing) {
        for (int preset = 0; preset < PresetCount; ++preset)
            parameters.presetRadiance[std::size_t(preset)] = presetStep(preset);
    }
    return parameters;
}

void SampleCamera::expose(const std::vector<float>& kelvin, int preset, double time, SampleRandom& noise,
    std::vector<quint16>& counts) const
{
    expose(kelvin, presetStep(preset), MaxCount, time, noise, counts);
}

void SampleCamera::expose(const std::vector<float>& kelvin, LinearStep step, int maxCount, double time,
    SampleRandom& noise, std::vector<quint16>& counts) const
{
    const double drift = DriftCounts * std::sin(2.0 * M_PI * time / 23.0);
    counts.resize(kelvin.size());
    constexpr std::uint64_t Mask = (std::uint64_t(1) << NormalTableBits) - 1;
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < kelvin.size(); ++i) {
        if (i % 4 == 0)
            bits = noise.next();
        const float temporal = m_normalTable[std::size_t((bits >> (NormalTableBits * (i % 4))) & Mask)];
        const double signal = (radiance(kelvin[i]) - step.offset) / step.gain * m_vignette[i];
        const double value = signal + m_fixedPattern[i] + drift + TemporalNoise * temporal;
        counts[i] = quint16(std::clamp(std::lround(value), 0L, long(maxCount)));
    }
    for (std::size_t i : m_deadPixels)
        counts[i] = 0;
    for (std::size_t i : m_hotPixels)
        counts[i] = quint16(maxCount);
}
