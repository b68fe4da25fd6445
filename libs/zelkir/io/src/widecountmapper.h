#pragma once

#include <zelkir/io/countscale.h>

#include <QtGlobal>

#include <cstddef>
#include <optional>
#include <vector>

namespace zelkir {

/// The range of physical values a file declares for its pixels (FITS DATAMIN, DATAMAX).
struct ValueRange
{
    double minimum = 0.0;
    double maximum = 0.0;
};

/// Maps physical values that do not fit 16 bits (32- and 64-bit integers, floating point)
/// onto counts 0..65535 and returns the scale that gives them back.
///
/// The range is `declared` when given (and finite), else the frame's own finite minimum
/// and maximum. Whole numbers keep exact counts when they can: values within 0..65535
/// become their own count; a span of at most 65535 is shifted by its minimum. Anything
/// else is spread linearly over the full 16 bits; the scale stays finite for any finite
/// range, even one wider than the largest double. Values outside a declared range are
/// clamped. Non-finite values have no value: `noValue` marks them (and is left empty when
/// there are none) and their counts become neutral (see fillNoValueCounts()).
CountScale mapWideValues(const double* values, std::size_t count, std::optional<ValueRange> declared,
    quint16* counts, std::vector<quint8>& noValue);

/// Gives the pixels marked in `noValue` the mean count of the others (0 when there are
/// none), so smoothing filters see no spikes where data is missing.
void fillNoValueCounts(quint16* counts, const quint8* noValue, std::size_t count);

} // namespace zelkir
