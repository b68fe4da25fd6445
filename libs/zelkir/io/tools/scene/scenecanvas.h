#pragma once

#include <vector>

/// A temperature picture in kelvin, top row first, with antialiased shapes painted over
/// it: each shape blends its temperature in by the share of the pixel it covers.
class SceneCanvas
{
public:
    SceneCanvas(std::vector<float>& kelvin, int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }

    void fillRect(double left, double top, double right, double bottom, double kelvin);
    void fillEllipse(double cx, double cy, double rx, double ry, double kelvin);
    /// A line from (x0, y0) to (x1, y1) with round ends, `radius` wide on each side.
    void fillCapsule(double x0, double y0, double x1, double y1, double radius, double kelvin);
    /// Adds up to `deltaKelvin` in a Gaussian spot of standard deviation `sigma` pixels.
    void addGlow(double cx, double cy, double sigma, double deltaKelvin);

private:
    template <typename Coverage>
    void paint(double left, double top, double right, double bottom, double kelvin, Coverage coverage);

    std::vector<float>& m_kelvin;
    int m_width;
    int m_height;
};
