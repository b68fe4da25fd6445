#pragma once

#include "documentmodel.h"
#include "physicalband.h"
#include "renderjob.h"

#include <QVariantList>

#include <functional>

namespace zelkir {

/// A physical pixel value in the unit shown (NaN where it has none).
using UnitConversion = std::function<double(double physical)>;

/// The figures of the colour bar and the histogram beside it, in the unit shown, and the way
/// back from that unit to physical values.
namespace DisplayScale {

/// The physical value between `first` and `last` whose unit value is `value`, NaN when none
/// is. The conversion only has to be monotonic where it has values: the interval is sampled
/// to find the stretch that holds `value`, then bisected to the precision of a double.
double physicalForValue(double value, double first, double last, const UnitConversion& toUnit);

/// The physical values of the counts a frame shows at display levels 0 and 255: `span` when
/// set, else the frame's clip points. Unset when the frame has no value.
PhysicalBand shownBand(const RenderedFrame& frame, const PhysicalBand& span);

/// Nine ticks {position (0 at the bottom, 1 at the top), value, text} at display levels 0,
/// 32, ..., 224, 255: from the span when set (exact), else from the frame's level counts.
QVariantList colorBarTicks(
    const RenderedFrame& frame, const PhysicalBand& span, const UnitConversion& toUnit, DocumentModel::Unit unit);

/// The frame's coarse histogram as maps {value (of the bin's middle count), pixels}, and the
/// fullest bin's pixels in `maximumPixels`.
QVariantList histogram(const RenderedFrame& frame, const UnitConversion& toUnit, double* maximumPixels);

} // namespace DisplayScale

} // namespace zelkir
