#include "samplescene.h"

#include "samplerandom.h"
#include "scenecanvas.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double ZeroCelsius = 273.15;
constexpr double FloorLine = 0.72;

double celsius(double value)
{
    return value + ZeroCelsius;
}

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

} // namespace

SampleScene::SampleScene(int width, int height, double duration, std::uint64_t seed)
    : m_width(width)
    , m_height(height)
    , m_crossing(std::clamp(duration, 3.0, 8.0))
{
    SampleRandom random(seed ^ 0x5ce4e5ceULL);
    for (double& phase : m_phase)
        phase = random.uniform(0.0, 2.0 * M_PI);
    buildBackground(seed);
}

void SampleScene::buildBackground(std::uint64_t seed)
{
    const double w = m_width;
    const double h = m_height;
    m_background.assign(std::size_t(m_width) * std::size_t(m_height), 0.0f);

    // Slow, irregular shading of the wall and floor from a few random waves.
    SampleRandom random(seed ^ 0xba5eba11ULL);
    struct Wave
    {
        double kx, ky, phase, amplitude;
    };
    std::vector<Wave> waves;
    for (int i = 0; i < 5; ++i)
        waves.push_back(
            { random.uniform(0.5, 4.0) * 2.0 * M_PI / w, random.uniform(0.5, 4.0) * 2.0 * M_PI / h,
                random.uniform(0.0, 2.0 * M_PI), random.uniform(0.05, 0.25) });

    const double floorTop = FloorLine * h;
    const double radiatorLeft = 0.72 * w;
    const double radiatorRight = 0.92 * w;
    const double radiatorTop = 0.50 * h;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            double t = y < floorTop ? celsius(21.2 + 1.4 * (1.0 - y / floorTop))
                                    : celsius(19.4 + 1.2 * (y - floorTop) / (h - floorTop));
            for (const Wave& wave : waves)
                t += wave.amplitude * std::sin(wave.kx * x + wave.ky * y + wave.phase);
            // Air rising from the radiator warms the wall above it.
            if (y < radiatorTop && x > radiatorLeft - 0.03 * w && x < radiatorRight + 0.03 * w) {
                const double across = smoothstep(radiatorLeft - 0.03 * w, radiatorLeft + 0.02 * w, x)
                    * (1.0 - smoothstep(radiatorRight - 0.02 * w, radiatorRight + 0.03 * w, x));
                t += 3.0 * across * std::exp(-(radiatorTop - y) / (0.15 * h));
            }
            m_background[std::size_t(y) * std::size_t(m_width) + std::size_t(x)] = float(t);
        }
    }

    SceneCanvas canvas(m_background, m_width, m_height);
    // Window: a warm frame around glass that is colder at the top.
    canvas.fillRect(0.06 * w, 0.10 * h, 0.30 * w, 0.46 * h, celsius(18.6));
    const double frame = std::max(1.5, 0.012 * w);
    const int glassTop = int(0.10 * h + frame);
    const int glassBottom = int(0.46 * h - frame);
    for (int y = glassTop; y < glassBottom; ++y) {
        const double share = double(y - glassTop) / std::max(1, glassBottom - glassTop);
        canvas.fillRect(0.06 * w + frame, y, 0.30 * w - frame, y + 1, celsius(9.5 + 3.0 * share));
    }
    canvas.fillRect(0.06 * w, 0.28 * h - frame / 2, 0.30 * w, 0.28 * h + frame / 2, celsius(18.0));

    // Radiator with fins.
    canvas.fillRect(radiatorLeft, radiatorTop, radiatorRight, 0.68 * h, celsius(44.0));
    const double fin = std::max(2.0, w / 90.0);
    for (double x = radiatorLeft + fin / 2; x + fin / 2 < radiatorRight; x += 2.0 * fin)
        canvas.fillRect(x, radiatorTop + 0.01 * h, x + fin, 0.67 * h, celsius(49.5));

    // Skirting board along the floor line.
    canvas.fillRect(0.0, floorTop - 0.012 * h, w, floorTop, celsius(20.2));
}

void SampleScene::render(double time, std::vector<float>& kelvin) const
{
    kelvin = m_background;
    SceneCanvas canvas(kelvin, m_width, m_height);
    drawDesk(canvas, time);
    drawBall(canvas, time);
    drawPerson(canvas, time);
    drawHotSpot(canvas, time);
}

void SampleScene::drawDesk(SceneCanvas& canvas, double time) const
{
    const double w = m_width;
    const double h = m_height;
    canvas.fillRect(0.36 * w, 0.60 * h, 0.64 * w, 0.625 * h, celsius(22.4));
    canvas.fillCapsule(0.38 * w, 0.625 * h, 0.38 * w, 0.80 * h, 0.008 * w, celsius(21.0));
    canvas.fillCapsule(0.62 * w, 0.625 * h, 0.62 * w, 0.80 * h, 0.008 * w, celsius(21.0));
    // Laptop: a warm base and a screen whose back is warmest near the hinge.
    canvas.fillRect(0.40 * w, 0.585 * h, 0.50 * w, 0.60 * h, celsius(33.0));
    canvas.fillRect(0.405 * w, 0.47 * h, 0.495 * w, 0.585 * h, celsius(27.5));
    canvas.addGlow(0.45 * w, 0.59 * h, 0.02 * w, 4.0);
    // Coffee cooling towards the room, and the steam above it.
    const double coffee = celsius(36.0 + 30.0 * std::exp(-time / 12.0));
    canvas.fillRect(0.56 * w, 0.55 * h, 0.585 * w, 0.60 * h, coffee - 6.0);
    canvas.fillEllipse(0.5725 * w, 0.552 * h, 0.0125 * w, 0.006 * h, coffee);
    const double sway = 0.006 * w * std::sin(2.0 * M_PI * time / 2.3 + m_phase[3]);
    canvas.addGlow(0.5725 * w + sway, 0.52 * h, 0.012 * w, 2.5 * (coffee - celsius(36.0)) / 30.0);
}

void SampleScene::drawPerson(SceneCanvas& canvas, double time) const
{
    const double w = m_width;
    const double h = m_height;
    const double s = 0.55 * h;
    // Walks right across the picture, then back, and so on.
    const double leg = std::fmod(time / m_crossing, 2.0);
    const double along = leg < 1.0 ? leg : 2.0 - leg;
    const double px = -0.12 * w + 1.24 * w * along;
    const double gait = 2.0 * M_PI * 0.9 * time + m_phase[0];
    const double swing = std::sin(gait);
    const double feet = 0.90 * h - 0.012 * s * std::abs(std::cos(gait));

    for (double side : { -1.0, 1.0 }) {
        const double footX = px + side * 0.035 * s + side * swing * 0.10 * s;
        canvas.fillCapsule(
            px + side * 0.04 * s, feet - 0.47 * s, footX, feet - 0.035 * s, 0.037 * s, celsius(27.2));
        canvas.fillEllipse(footX + 0.02 * s, feet - 0.02 * s, 0.05 * s, 0.022 * s, celsius(24.5));
    }
    canvas.fillCapsule(px, feet - 0.50 * s, px, feet - 0.75 * s, 0.095 * s, celsius(29.6));
    canvas.addGlow(px, feet - 0.68 * s, 0.05 * s, 1.2);
    for (double side : { -1.0, 1.0 }) {
        const double handX = px + side * 0.15 * s - side * swing * 0.08 * s;
        canvas.fillCapsule(
            px + side * 0.12 * s, feet - 0.75 * s, handX, feet - 0.52 * s, 0.03 * s, celsius(30.4));
        canvas.fillEllipse(handX, feet - 0.50 * s, 0.028 * s, 0.034 * s, celsius(33.6));
    }
    canvas.fillCapsule(px, feet - 0.79 * s, px, feet - 0.85 * s, 0.032 * s, celsius(34.0));
    canvas.fillEllipse(px, feet - 0.915 * s, 0.056 * s, 0.071 * s, celsius(34.7));
    canvas.fillEllipse(px, feet - 0.955 * s, 0.058 * s, 0.042 * s, celsius(30.2));
    canvas.fillEllipse(
        px + (leg < 1.0 ? 1.0 : -1.0) * 0.045 * s, feet - 0.905 * s, 0.012 * s, 0.014 * s, celsius(33.2));
}

void SampleScene::drawHotSpot(SceneCanvas& canvas, double time) const
{
    const double w = m_width;
    const double h = m_height;
    const double x = w * (0.5 + 0.32 * std::sin(2.0 * M_PI * time / 5.3 + m_phase[1]));
    const double y = h * (0.38 + 0.16 * std::sin(2.0 * M_PI * time / 3.7 + m_phase[2]));
    const double radius = std::max(1.0, 0.008 * w);
    canvas.addGlow(x, y, 3.0 * radius, 25.0);
    canvas.fillEllipse(x, y, radius, radius, celsius(210.0));
}

void SampleScene::drawBall(SceneCanvas& canvas, double time) const
{
    const double w = m_width;
    const double h = m_height;
    const double radius = 0.032 * h;
    const double x = w * (1.1 - 1.3 * std::fmod(time / 7.0, 1.0));
    const double bounce = std::abs(std::sin(M_PI * time / 0.55));
    const double y = 0.96 * h - radius - 0.09 * h * bounce;
    canvas.fillEllipse(x, y, radius, radius, celsius(37.5));
    canvas.addGlow(x - 0.3 * radius, y - 0.3 * radius, 0.4 * radius, 1.5);
}
