#pragma once

#include <cstdint>
#include <vector>

// Synthetic 14-bit thermal scenes for timing: a smooth background with a horizon, buildings
// with windows, warm moving people and a car with a hot engine, fine texture, sensor noise
// with a faint column pattern, and a few stuck pixels at both ends of the range.
class IrScene
{
public:
    static constexpr std::uint16_t MaximumCount = 16383;

    IrScene(int width, int height);

    /// Frame number `index` of the scene: the warm objects move from frame to frame.
    std::vector<std::uint16_t> frame(int index) const;

private:
    int m_width;
    int m_height;
    std::vector<float> m_columnPattern;
};
