#pragma once

#include <zelkir/io/countscale.h>
#include <zelkir/io/frame.h>

#include <QPointF>
#include <QtGlobal>

#include <functional>
#include <limits>
#include <vector>

namespace zelkir {

enum class RegionKind { Spot, Box, Ellipse, Line };

/// A region in image pixel coordinates, where pixel (x, y) covers [x, x+1) x [y, y+1).
///
/// Box and ellipse: p1 and p2 are opposite corners of the bounding rectangle, in any order;
/// a pixel belongs to them when its centre (x + 0.5, y + 0.5) lies inside or on the edge.
/// Line: p1 and p2 are its end points; it takes the pixels under samples taken one pixel
/// step apart along the longer axis, both ends included. Spot: the pixel containing p1
/// (p2 is ignored).
struct RegionGeometry
{
    RegionKind kind = RegionKind::Box;
    QPointF p1;
    QPointF p2;
};

/// Figures of a region's pixels in the display unit; NaN while it has no pixel with a value.
struct RegionStatistics
{
    static constexpr double none = std::numeric_limits<double>::quiet_NaN();

    /// Pixels that took part: inside the image, with a value, and with a value in the unit.
    qint64 pixels = 0;
    double minimum = none;
    double maximum = none;
    double mean = none;
    /// Population standard deviation.
    double deviation = none;
    /// Lines only: one value per sample from p1 to p2, NaN where there is none.
    std::vector<double> profile;
};

/// The display value of every 16-bit count, so that statistics cost a lookup per pixel
/// however expensive the unit's conversion is. Float is plenty for figures on screen.
class UnitTable
{
public:
    static constexpr int size = 65536;

    /// Fills the table with fromPhysical(scale.toPhysical(count)) for every count; results
    /// that are not finite become NaN (no value).
    void build(const CountScale& scale, const std::function<double(double)>& fromPhysical);
    void clear() { m_values.clear(); }
    /// `size` values, or null while empty.
    const float* data() const { return m_values.empty() ? nullptr : m_values.data(); }
    bool isEmpty() const { return m_values.empty(); }

private:
    std::vector<float> m_values;
};

/// The region's figures on `frame`, leaving out pixels outside the image, pixels without a
/// value, and counts the table has no value for. An empty table gives no pixels.
RegionStatistics computeRegionStatistics(
    const Frame& frame, const RegionGeometry& region, const UnitTable& table);

/// The pixel positions a line takes, one per sample from p1 to p2 (see RegionGeometry),
/// also those outside the image.
std::vector<QPoint> lineSamples(const QPointF& p1, const QPointF& p2);

} // namespace zelkir
