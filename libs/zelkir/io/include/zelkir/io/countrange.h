#pragma once

#include <QtGlobal>

namespace zelkir {

/// The counts a source can produce, inclusive: 0..255 for 8-bit images, 0..16383 for a
/// 14-bit camera whose file says so, 0..65535 when nothing narrower is known.
struct CountRange
{
    quint16 minimum = 0;
    quint16 maximum = 65535;

    /// Bits needed to hold `maximum`: 8 for 255, 14 for 16383, 16 for 65535; 1 for 0.
    int bitDepth() const;

    bool operator==(const CountRange& other) const
    {
        return minimum == other.minimum && maximum == other.maximum;
    }
};

} // namespace zelkir
