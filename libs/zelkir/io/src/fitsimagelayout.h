#pragma once

#include "fitsstructure.h"

#include <zelkir/io/filekeyword.h>

#include <QString>

#include <fitsio.h>

#include <cmath>
#include <optional>

namespace zelkir {

/// Where and how the image data of a FITS file lie.
struct FitsImageLayout
{
    int hdu = 0;
    int bitpix = 0;
    int width = 0;
    int height = 0;
    /// The product of all axes after the second.
    int frameCount = 0;
    double bscale = 1.0;
    double bzero = 0.0;
    /// The stored value of pixels without a value (BLANK), for integer data.
    std::optional<qint64> blank;
    /// FITS stores the bottom row first unless ROWORDER says 'TOP-DOWN'.
    bool bottomUp = true;
    /// Byte offset of the data unit in the file.
    qint64 dataStart = 0;
    /// The tile table of a compressed image; null for plain image data.
    std::shared_ptr<const FitsTileTable> tiles;

    /// 8- and 16-bit integers are read as exact counts, unless scaling takes some of them
    /// beyond the double range; everything else is mapped.
    bool isNarrow() const
    {
        if (bitpix != BYTE_IMG && bitpix != SHORT_IMG)
            return false;
        const double lowest = bitpix == BYTE_IMG ? 0.0 : -32768.0;
        const double highest = bitpix == BYTE_IMG ? 255.0 : 32767.0;
        return std::isfinite(bzero + bscale * lowest) && std::isfinite(bzero + bscale * highest);
    }
    /// Added to stored 16-bit values to make them unsigned counts.
    double countShift() const { return bitpix == SHORT_IMG ? 32768.0 : 0.0; }
    qint64 pixelsPerFrame() const { return qint64(width) * height; }
    qint64 bytesPerFrame() const { return pixelsPerFrame() * (bitpix < 0 ? -bitpix : bitpix) / 8; }
};

/// Moves `file` to the first image HDU of `hdus` (checked by FitsStructure) with at least
/// two axes, fills `layout` and appends the keywords of the primary HDU and of the image
/// HDU to `keywords`. A tile-compressed image counts as an image HDU. Returns false with
/// a sentence in `*error` when the file holds no usable image.
bool locateFitsImage(fitsfile* file, const std::vector<FitsHduSummary>& hdus, FitsImageLayout& layout,
    FileKeywords& keywords, QString* error);

} // namespace zelkir
