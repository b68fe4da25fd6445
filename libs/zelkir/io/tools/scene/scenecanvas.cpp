#include "scenecanvas.h"

#include <algorithm>
#include <cmath>

namespace {

/// The share of a pixel covered, from the signed distance (pixels, negative inside) of its
/// centre to a shape's edge.
double coverageOf(double distance)
{
    return std::clamp(0.5 - distance, 0.0, 1.0);
}

} // namespace

SceneCanvas::SceneCanvas(std::vector<float>& kelvin, int width, int height)
    : m_kelvin(kelvin)
    , m_width(width)
    , m_height(height)
{
}

template <typename Coverage>
void SceneCanvas::paint(
    double left, double top, double right, double bottom, double kelvin, Coverage coverage)
{
    const int x0 = std::max(0, int(std::floor(left)) - 1);
    const int y0 = std::max(0, int(std::floor(top)) - 1);
    const int x1 = std::min(m_width - 1, int(std::ceil(right)) + 1);
    const int y1 = std::min(m_height - 1, int(std::ceil(bottom)) + 1);
    for (int y = y0; y <= y1; ++y) {
        float* row = m_kelvin.data() + std::size_t(y) * std::size_t(m_width);
        for (int x = x0; x <= x1; ++x) {
            const double share = coverage(x + 0.5, y + 0.5);
            if (share > 0.0)
                row[x] = float(row[x] + share * (kelvin - row[x]));
        }
    }
}

void SceneCanvas::fillRect(double left, double top, double right, double bottom, double kelvin)
{
    paint(left, top, right, bottom, kelvin, [=](double x, double y) {
        return coverageOf(-std::min({ x - left, right - x, y - top, bottom - y }));
    });
}

void SceneCanvas::fillEllipse(double cx, double cy, double rx, double ry, double kelvin)
{
    const double scale = std::min(rx, ry);
    paint(cx - rx, cy - ry, cx + rx, cy + ry, kelvin, [=](double x, double y) {
        const double u = (x - cx) / rx;
        const double v = (y - cy) / ry;
        return coverageOf((std::sqrt(u * u + v * v) - 1.0) * scale);
    });
}

void SceneCanvas::fillCapsule(double x0, double y0, double x1, double y1, double radius, double kelvin)
{
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double lengthSquared = std::max(dx * dx + dy * dy, 1e-12);
    paint(std::min(x0, x1) - radius, std::min(y0, y1) - radius, std::max(x0, x1) + radius,
        std::max(y0, y1) + radius, kelvin, [=](double x, double y) {
            const double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / lengthSquared, 0.0, 1.0);
            return coverageOf(std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - radius);
        });
}

void SceneCanvas::addGlow(double cx, double cy, double sigma, double deltaKelvin)
{
    const double reach = 3.0 * sigma;
    const int x0 = std::max(0, int(cx - reach));
    const int y0 = std::max(0, int(cy - reach));
    const int x1 = std::min(m_width - 1, int(cx + reach));
    const int y1 = std::min(m_height - 1, int(cy + reach));
    const double factor = -0.5 / (sigma * sigma);
    for (int y = y0; y <= y1; ++y) {
        float* row = m_kelvin.data() + std::size_t(y) * std::size_t(m_width);
        for (int x = x0; x <= x1; ++x) {
            const double ddx = x + 0.5 - cx;
            const double ddy = y + 0.5 - cy;
            row[x] = float(row[x] + deltaKelvin * std::exp(factor * (ddx * ddx + ddy * ddy)));
        }
    }
}
