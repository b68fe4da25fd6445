#pragma once

#include <zelkir/io/calibration.h>

#include <QtGlobal>

#include <cstdint>
#include <vector>

class SampleRandom;

/// A 14-bit uncooled camera turning scene temperatures into counts: band radiance by the
/// Planck curve, the preset's linear counts step, a little vignetting left over by the
/// lens, fixed-pattern noise (per pixel and per column), temporal noise, a slow drift,
/// and a few dead and hot pixels.
class SampleCamera
{
public:
    static constexpr int MaxCount = 16383;
    /// Presets 0 to 3 halve the integration time each, doubling the radiance per count.
    static constexpr int PresetCount = 4;

    SampleCamera(int width, int height, std::uint64_t seed);

    /// The calibration a file from this camera carries.
    static zelkir::CalibrationParameters calibration(bool sequencing);

    /// Counts for `kelvin` (top row first) taken with `preset` at `time` seconds.
    void expose(const std::vector<float>& kelvin, int preset, double time, SampleRandom& noise,
        std::vector<quint16>& counts) const;
    /// The same with any radiance step (`step.gain` > 0) and full-scale count `maxCount`
    /// (at most 65535): what hot pixels show and where bright pixels clip.
    void expose(const std::vector<float>& kelvin, zelkir::LinearStep step, int maxCount, double time,
        SampleRandom& noise, std::vector<quint16>& counts) const;

private:
    double radiance(float kelvin) const;

    int m_width;
    int m_height;
    std::vector<float> m_fixedPattern;
    std::vector<float> m_vignette;
    std::vector<std::size_t> m_deadPixels;
    std::vector<std::size_t> m_hotPixels;
    // Radiance against temperature and standard normal samples, tabulated once: the
    // exponentials and logarithms would otherwise dominate the run time.
    std::vector<double> m_radianceTable;
    std::vector<float> m_normalTable;
};
