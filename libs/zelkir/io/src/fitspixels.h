#pragma once

#include "fitsimagelayout.h"

#include <QtGlobal>

#include <vector>

namespace zelkir {

/// Turns the stored bytes of one FITS frame (big-endian, first row at the bottom unless
/// the layout says otherwise) into pixels in picture order, the top row first.
///
/// Decoding is done here rather than by cfitsio, whose block buffers would read past the
/// end of a file that lacks its last block's padding and keep what they read for later.
namespace FitsPixels {

/// 8- and 16-bit data as exact counts (16-bit shifted by 32768). BLANK pixels are marked
/// in `noValue` (left empty when there are none) and get a neutral count.
void decodeNarrow(
    const uchar* stored, const FitsImageLayout& layout, quint16* counts, std::vector<quint8>& noValue);

/// Any data as physical values, BZERO + BSCALE * stored; BLANK pixels become NaN.
void decodeWide(const uchar* stored, const FitsImageLayout& layout, double* values);

} // namespace FitsPixels

} // namespace zelkir
