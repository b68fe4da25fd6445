#include "irscene.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

float ellipse(float x, float y, float cx, float cy, float rx, float ry)
{
    const float dx = (x - cx) / rx;
    const float dy = (y - cy) / ry;
    return dx * dx + dy * dy;
}

// Soft-edged inside test: 1 well inside, 0 outside, a one-pixel ramp between.
float inside(float distanceSquared, float radiusPixels)
{
    const float edge = (1.0f - std::sqrt(distanceSquared)) * radiusPixels;
    return std::clamp(edge + 0.5f, 0.0f, 1.0f);
}

} // namespace

IrScene::IrScene(int width, int height)
    : m_width(width)
    , m_height(height)
    , m_columnPattern(width)
{
    std::mt19937 random(7);
    std::normal_distribution<float> pattern(0.0f, 2.0f);
    for (float& offset : m_columnPattern)
        offset = pattern(random);
}

std::vector<std::uint16_t> IrScene::frame(int index) const
{
    std::vector<std::uint16_t> counts(std::size_t(m_width) * std::size_t(m_height));
    std::mt19937 random(1000 + index);
    std::normal_distribution<float> noise(0.0f, 6.0f);
    const float scale = float(m_width) / 640.0f; // the same scene at every size
    const float t = float(index);
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const float u = float(x) / scale;
            const float v = float(y) / scale;
            // Sky cooling towards the top, warmer ground below a horizon, slow undulation.
            float value = v < 200.0f ? 4200.0f + 6.0f * v : 6500.0f + 2.0f * (v - 200.0f);
            value += 150.0f * std::sin(u * 0.011f) * std::cos(v * 0.017f);
            // A building with a grid of slightly warmer windows.
            if (u > 60 && u < 260 && v > 120 && v < 420) {
                value += 900.0f;
                const bool window
                    = std::fmod(u - 60.0f, 25.0f) > 8.0f && std::fmod(v - 120.0f, 30.0f) > 12.0f;
                value += window ? 180.0f : 0.0f;
            }
            // Grass-like fine texture on the ground.
            if (v > 420.0f)
                value += 25.0f * std::sin(u * 1.3f + v * 0.7f) * std::sin(v * 2.1f);
            // Two people walking, a car with a hot engine.
            const float person1 = ellipse(u, v, 320.0f + 2.0f * t, 380.0f, 14.0f, 45.0f);
            value += 2400.0f * inside(person1, 14.0f * scale) + 300.0f * std::exp(-person1 * 2.0f);
            const float person2 = ellipse(u, v, 450.0f - 1.5f * t, 395.0f, 12.0f, 38.0f);
            value += 2200.0f * inside(person2, 12.0f * scale);
            const float car = ellipse(u, v, 520.0f + t, 455.0f, 70.0f, 25.0f);
            value += 1300.0f * inside(car, 25.0f * scale);
            const float engine = ellipse(u, v, 570.0f + t, 455.0f, 14.0f, 9.0f);
            value += 9000.0f * inside(engine, 9.0f * scale);
            value += m_columnPattern[std::size_t(x)] + noise(random);
            counts[std::size_t(y) * m_width + x]
                = std::uint16_t(std::clamp(value, 0.0f, float(MaximumCount)));
        }
    }
    // Stuck pixels: a few dead (0) and a few hot (full scale).
    std::uniform_int_distribution<std::size_t> where(0, counts.size() - 1);
    for (int i = 0; i < 8; ++i) {
        counts[where(random)] = 0;
        counts[where(random)] = MaximumCount;
    }
    return counts;
}
