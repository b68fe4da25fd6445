#include "regionstatistics.h"

#include <QPoint>

#include <algorithm>
#include <cmath>

namespace zelkir {

namespace {

/// Running sums around the first value, which keeps the deviation accurate when values sit
/// far from zero (temperatures in kelvin) and vary little.
struct Accumulator
{
    qint64 pixels = 0;
    double shift = 0.0;
    double sum = 0.0;
    double squares = 0.0;
    double minimum = std::numeric_limits<double>::infinity();
    double maximum = -std::numeric_limits<double>::infinity();

    void add(double value)
    {
        if (pixels == 0)
            shift = value;
        const double d = value - shift;
        ++pixels;
        sum += d;
        squares += d * d;
        minimum = std::min(minimum, value);
        maximum = std::max(maximum, value);
    }

    void fill(RegionStatistics& statistics) const
    {
        statistics.pixels = pixels;
        if (pixels == 0)
            return;
        const double n = double(pixels);
        statistics.minimum = minimum;
        statistics.maximum = maximum;
        statistics.mean = shift + sum / n;
        statistics.deviation = std::sqrt(std::max(0.0, (squares - sum * sum / n) / n));
    }
};

/// Adds the pixels first..last (inclusive, already inside the image) of row y.
void addRow(Accumulator& sums, const Frame& frame, const float* table, int y, int first, int last)
{
    const std::size_t row = std::size_t(y) * std::size_t(frame.width);
    const quint16* counts = frame.counts.data() + row;
    if (frame.noValue.empty()) {
        for (int x = first; x <= last; ++x) {
            const float value = table[counts[x]];
            if (value == value)
                sums.add(value);
        }
    } else {
        const quint8* noValue = frame.noValue.data() + row;
        for (int x = first; x <= last; ++x) {
            const float value = table[counts[x]];
            if (noValue[x] == 0 && value == value)
                sums.add(value);
        }
    }
}

bool insideEllipse(double px, double py, double cx, double cy, double a, double b)
{
    const double u = (px - cx) / a;
    const double v = (py - cy) / b;
    return u * u + v * v <= 1.0;
}

double valueAt(const Frame& frame, const float* table, int x, int y)
{
    if (x < 0 || y < 0 || x >= frame.width || y >= frame.height || !frame.hasValue(x, y))
        return RegionStatistics::none;
    const float value = table[frame.at(x, y)];
    return value == value ? double(value) : RegionStatistics::none;
}

/// Clamps a pixel index, kept as a double until then so huge coordinates cannot overflow.
int clampIndex(double value, int low, int high)
{
    return int(std::clamp(value, double(low), double(high)));
}

} // namespace

void UnitTable::build(const CountScale& scale, const std::function<double(double)>& fromPhysical)
{
    m_values.resize(size);
    for (int count = 0; count < size; ++count) {
        const double value = fromPhysical(scale.toPhysical(count));
        m_values[std::size_t(count)]
            = std::isfinite(value) ? float(value) : std::numeric_limits<float>::quiet_NaN();
    }
}

std::vector<QPoint> lineSamples(const QPointF& p1, const QPointF& p2)
{
    const double dx = p2.x() - p1.x();
    const double dy = p2.y() - p1.y();
    // Regions are clamped near the image, so a step count beyond this means bad input.
    const double length = std::max(std::abs(dx), std::abs(dy));
    const double far = 1.0e6;
    if (!(length <= far) || !(std::abs(p1.x()) <= far) || !(std::abs(p1.y()) <= far))
        return {};
    const int steps = int(std::ceil(length));
    std::vector<QPoint> samples;
    samples.reserve(std::size_t(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        const double t = steps == 0 ? 0.0 : double(i) / steps;
        samples.emplace_back(int(std::floor(p1.x() + t * dx)), int(std::floor(p1.y() + t * dy)));
    }
    return samples;
}

RegionStatistics computeRegionStatistics(
    const Frame& frame, const RegionGeometry& region, const UnitTable& table)
{
    RegionStatistics statistics;
    const float* values = table.data();
    if (!values || frame.width <= 0 || frame.height <= 0
        || frame.counts.size() < std::size_t(frame.width) * std::size_t(frame.height))
        return statistics;
    Accumulator sums;
    switch (region.kind) {
    case RegionKind::Spot: {
        const double x = std::floor(region.p1.x());
        const double y = std::floor(region.p1.y());
        if (x >= 0.0 && y >= 0.0 && x < frame.width && y < frame.height) {
            const double value = valueAt(frame, values, int(x), int(y));
            if (!std::isnan(value))
                sums.add(value);
        }
        break;
    }
    case RegionKind::Line: {
        const std::vector<QPoint> samples = lineSamples(region.p1, region.p2);
        statistics.profile.reserve(samples.size());
        for (const QPoint& sample : samples) {
            const double value = valueAt(frame, values, sample.x(), sample.y());
            statistics.profile.push_back(value);
            if (!std::isnan(value))
                sums.add(value);
        }
        break;
    }
    case RegionKind::Box:
    case RegionKind::Ellipse: {
        const double left = std::min(region.p1.x(), region.p2.x());
        const double right = std::max(region.p1.x(), region.p2.x());
        const double top = std::min(region.p1.y(), region.p2.y());
        const double bottom = std::max(region.p1.y(), region.p2.y());
        if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(top) || !std::isfinite(bottom))
            break;
        // Rows and columns whose centres lie within the bounding rectangle.
        const int firstRow = clampIndex(std::ceil(top - 0.5), 0, frame.height);
        const int lastRow = clampIndex(std::floor(bottom - 0.5), -1, frame.height - 1);
        const int firstColumn = clampIndex(std::ceil(left - 0.5), 0, frame.width);
        const int lastColumn = clampIndex(std::floor(right - 0.5), -1, frame.width - 1);
        if (region.kind == RegionKind::Box) {
            for (int y = firstRow; y <= lastRow; ++y)
                addRow(sums, frame, values, y, firstColumn, lastColumn);
            break;
        }
        const double cx = 0.5 * (left + right);
        const double cy = 0.5 * (top + bottom);
        const double a = 0.5 * (right - left);
        const double b = 0.5 * (bottom - top);
        if (!(a > 0.0) || !(b > 0.0))
            break;
        for (int y = firstRow; y <= lastRow; ++y) {
            const double py = y + 0.5;
            const double v = (py - cy) / b;
            if (v * v > 1.0)
                continue;
            // The chord's ends, then settled on the membership test itself so that rounding
            // in the square root cannot take in or leave out an edge pixel.
            const double half = a * std::sqrt(1.0 - v * v);
            int first = clampIndex(std::ceil(cx - half - 0.5), firstColumn, lastColumn + 1);
            int last = clampIndex(std::floor(cx + half - 0.5), firstColumn - 1, lastColumn);
            while (first > firstColumn && insideEllipse(first - 0.5, py, cx, cy, a, b))
                --first;
            while (first <= last && !insideEllipse(first + 0.5, py, cx, cy, a, b))
                ++first;
            while (last < lastColumn && insideEllipse(last + 1.5, py, cx, cy, a, b))
                ++last;
            while (last >= first && !insideEllipse(last + 0.5, py, cx, cy, a, b))
                --last;
            if (first <= last)
                addRow(sums, frame, values, y, first, last);
        }
        break;
    }
    }
    sums.fill(statistics);
    return statistics;
}

} // namespace zelkir
