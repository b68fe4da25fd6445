#pragma once

#include <zelkir/io/countscale.h>

#include <QtGlobal>

#include <cstddef>
#include <optional>

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
/// The range is `declared` when given, else the frame's own finite minimum and maximum.
/// Whole numbers keep exact counts when they can: values within 0..65535 become their
/// own count; a span of at most 65535 is shifted by its minimum. Anything else is spread
/// linearly over the full 16 bits. NaN becomes count 0; values outside a declared range
/// are clamped.
CountScale mapWideValues(
    const double* values, std::size_t count, std::optional<ValueRange> declared, quint16* counts);

} // namespace zelkir
