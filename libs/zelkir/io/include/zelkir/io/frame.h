#pragma once

#include "countscale.h"

#include <QtGlobal>

#include <cmath>
#include <vector>

namespace zelkir {

/// One image of a source, as 16-bit counts.
///
/// `counts` holds width * height values, row-major, the top row of the picture first.
/// 8- and 16-bit integer files keep their stored values exactly (16-bit signed data are
/// shifted by 32768 to become unsigned); wider integer and floating-point data are mapped
/// linearly onto 0..65535. Either way `scale` gives the file's value back:
/// physical = scale.offset + scale.scale * count.
///
/// Pixels without a value (NaN or infinite floating-point data, FITS BLANK, values beyond
/// what a double holds) are marked in `noValue`; their counts hold a neutral value (the
/// mean of the other pixels) that means nothing but keeps smoothing filters free of spikes.
struct Frame
{
    int index = -1;
    int width = 0;
    int height = 0;
    std::vector<quint16> counts;
    /// Laid out as `counts`: non-zero where a pixel has no value. Empty when every pixel
    /// has one, which is the usual case.
    std::vector<quint8> noValue;
    CountScale scale;
    /// Seconds since the start of the recording; NaN when the file does not say.
    double time = std::nan("");
    /// The camera preset (0..7) the frame was taken with.
    int preset = 0;

    quint16 at(int x, int y) const { return counts[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    bool hasValue(int x, int y) const
    {
        return noValue.empty() || noValue[std::size_t(y) * std::size_t(width) + std::size_t(x)] == 0;
    }
};

} // namespace zelkir
