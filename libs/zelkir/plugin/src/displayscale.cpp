#include "displayscale.h"

#include "unitformat.h"

#include <QVariantMap>

#include <algorithm>
#include <cmath>
#include <utility>

namespace zelkir::DisplayScale {

namespace {

constexpr int TickLevels[] = { 0, 32, 64, 96, 128, 160, 192, 224, 255 };

// Both ends have values and `value` lies between theirs.
bool brackets(double a, double b, double value)
{
    return std::isfinite(a) && std::isfinite(b) && (a - value) * (b - value) <= 0.0;
}

} // namespace

double physicalForValue(double value, double first, double last, const UnitConversion& toUnit)
{
    if (!std::isfinite(value) || !std::isfinite(first) || !std::isfinite(last))
        return std::nan("");
    // Sampling first finds a stretch with values on both ends, so a conversion without
    // values at one end of the range (temperatures below the curve's reach) still works.
    constexpr int Samples = 256;
    double low = first;
    double lowValue = toUnit(low);
    for (int i = 1; i <= Samples; ++i) {
        const double high = i == Samples ? last : first + (last - first) * i / Samples;
        const double highValue = toUnit(high);
        if (brackets(lowValue, highValue, value)) {
            double a = low;
            double aValue = lowValue;
            double b = high;
            double bValue = highValue;
            for (int step = 0; step < 200; ++step) {
                const double middle = a + (b - a) / 2;
                if (middle == a || middle == b)
                    break;
                const double middleValue = toUnit(middle);
                if (!std::isfinite(middleValue))
                    return std::nan("");
                if (brackets(aValue, middleValue, value)) {
                    b = middle;
                    bValue = middleValue;
                } else {
                    a = middle;
                    aValue = middleValue;
                }
            }
            return std::abs(aValue - value) <= std::abs(bValue - value) ? a : b;
        }
        low = high;
        lowValue = highValue;
    }
    return std::nan("");
}

PhysicalBand shownBand(const RenderedFrame& frame, const PhysicalBand& span)
{
    if (frame.levelCounts.empty())
        return {};
    if (span.isSet())
        return span;
    return { frame.frame.scale.toPhysical(frame.clipLow), frame.frame.scale.toPhysical(frame.clipHigh) };
}

QVariantList colorBarTicks(
    const RenderedFrame& frame, const PhysicalBand& span, const UnitConversion& toUnit, DocumentModel::Unit unit)
{
    QVariantList ticks;
    if (frame.levelCounts.size() != std::size(TickLevels))
        return ticks;
    const CountScale& scale = frame.frame.scale;
    // A fixed span runs linearly in counts from its lower count up, as the renderer drew it.
    double spanLow = scale.toCount(span.low);
    double spanHigh = scale.toCount(span.high);
    if (spanLow > spanHigh)
        std::swap(spanLow, spanHigh);
    for (std::size_t i = 0; i < std::size(TickLevels); ++i) {
        const double level = TickLevels[i];
        const double count = span.isSet() ? spanLow + (spanHigh - spanLow) * level / 255.0 : frame.levelCounts[i];
        const double value = toUnit(scale.toPhysical(count));
        ticks.append(QVariantMap { { QStringLiteral("position"), level / 255.0 }, { QStringLiteral("value"), value },
            { QStringLiteral("text"), formatUnitValue(value, unit) } });
    }
    return ticks;
}

QVariantList histogram(const RenderedFrame& frame, const UnitConversion& toUnit, double* maximumPixels)
{
    QVariantList bins;
    double fullest = 0;
    const CountScale& scale = frame.frame.scale;
    const int width = std::max(frame.histogramBinWidth, 1);
    for (std::size_t i = 0; i < frame.histogram.size(); ++i) {
        const int first = frame.histogramFirst + int(i) * width;
        const int last = std::min(first + width - 1, int(frame.histogramLast));
        const double pixels = frame.histogram[i];
        fullest = std::max(fullest, pixels);
        bins.append(QVariantMap { { QStringLiteral("value"), toUnit(scale.toPhysical((first + last) / 2.0)) },
            { QStringLiteral("pixels"), pixels } });
    }
    if (maximumPixels)
        *maximumPixels = fullest;
    return bins;
}

} // namespace zelkir::DisplayScale
