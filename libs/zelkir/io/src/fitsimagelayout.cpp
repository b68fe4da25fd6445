#include "fitsimagelayout.h"

#include "fitshandle.h"
#include "fitskeywords.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zelkir {

namespace {

// Beyond these a header is more likely corrupt than a real camera's.
constexpr LONGLONG MaxSide = 32768;
constexpr LONGLONG MaxPixelsPerFrame = LONGLONG(1) << 24;
constexpr int MaxAxes = 9;

void fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

bool readScaling(fitsfile* file, FitsImageLayout& layout, QString* error)
{
    bool usable = true;
    for (auto [name, target] :
        { std::pair { "BSCALE", &layout.bscale }, std::pair { "BZERO", &layout.bzero } }) {
        int status = 0;
        double value = 0.0;
        if (fits_read_key(file, TDOUBLE, name, &value, nullptr, &status) == 0)
            *target = value;
        else if (status != KEY_NO_EXIST)
            usable = false;
    }
    if (!usable || !std::isfinite(layout.bscale) || !std::isfinite(layout.bzero) || layout.bscale == 0.0) {
        fail(error, QStringLiteral("The FITS file's BSCALE or BZERO is not usable."));
        return false;
    }
    return true;
}

void readBlank(fitsfile* file, FitsImageLayout& layout)
{
    LONGLONG blank = 0;
    int status = 0;
    if (layout.bitpix > 0 && fits_read_key(file, TLONGLONG, "BLANK", &blank, nullptr, &status) == 0)
        layout.blank = blank;
}

void readOrientation(fitsfile* file, FitsImageLayout& layout)
{
    char value[FLEN_VALUE] = {};
    int status = 0;
    if (fits_read_key(file, TSTRING, "ROWORDER", value, nullptr, &status) == 0)
        layout.bottomUp
            = QString::fromLatin1(value).trimmed().compare(QLatin1String("TOP-DOWN"), Qt::CaseInsensitive)
            != 0;
}

bool readGeometry(fitsfile* file, int naxis, const LONGLONG* axes, FitsImageLayout& layout, QString* error)
{
    if (axes[0] < 1 || axes[1] < 1) {
        fail(error, QStringLiteral("The FITS image is empty."));
        return false;
    }
    if (axes[0] > MaxSide || axes[1] > MaxSide || axes[0] * axes[1] > MaxPixelsPerFrame) {
        fail(error,
            QStringLiteral("The FITS image of %1 x %2 pixels is too large.").arg(axes[0]).arg(axes[1]));
        return false;
    }
    LONGLONG frames = 1;
    for (int axis = 2; axis < naxis; ++axis) {
        if (axes[axis] < 1) {
            fail(error, QStringLiteral("The FITS movie has no frames."));
            return false;
        }
        if (axes[axis] > std::numeric_limits<int>::max() / frames) {
            fail(error, QStringLiteral("The FITS movie has too many frames."));
            return false;
        }
        frames *= axes[axis];
    }
    layout.width = int(axes[0]);
    layout.height = int(axes[1]);
    layout.frameCount = int(frames);

    int status = 0;
    LONGLONG headStart = 0;
    LONGLONG dataStart = 0;
    LONGLONG dataEnd = 0;
    if (fits_get_hduaddrll(file, &headStart, &dataStart, &dataEnd, &status)) {
        fail(error, QStringLiteral("The FITS image header is corrupt (%1).").arg(fitsErrorText(status)));
        return false;
    }
    layout.dataStart = dataStart;
    return true;
}

} // namespace

bool locateFitsImage(fitsfile* file, const std::vector<FitsHduSummary>& hdus, FitsImageLayout& layout,
    FileKeywords& keywords, QString* error)
{
    const auto image = std::find_if(hdus.begin(), hdus.end(), [](const FitsHduSummary& hdu) {
        return (hdu.kind == FitsHduSummary::Kind::Image && hdu.axes >= 2)
            || (hdu.compressedImage && (!hdu.tiles || hdu.tiles->axes.size() >= 2));
    });
    if (image == hdus.end()) {
        fail(error, QStringLiteral("The FITS file holds no image."));
        return false;
    }
    if (image->compressedImage && !image->tiles) {
        fail(error, QStringLiteral("The tile-compressed FITS image is damaged: %1.").arg(image->damage));
        return false;
    }
    int status = 0;
    int type = 0;
    if (fits_movabs_hdu(file, 1, &type, &status) || appendFitsKeywords(file, keywords) != 0
        || fits_movabs_hdu(file, image->number, &type, &status)
        || (image->number != 1 && appendFitsKeywords(file, keywords) != 0)) {
        fail(error, QStringLiteral("The FITS header is corrupt (%1).").arg(fitsErrorText(status)));
        return false;
    }
    int bitpix = 0;
    int naxis = 0;
    LONGLONG axes[MaxAxes] = {};
    // cfitsio presents a compressed image's table as the image itself.
    if (fits_get_hdu_type(file, &type, &status) || type != IMAGE_HDU
        || fits_get_img_paramll(file, MaxAxes, &bitpix, &naxis, axes, &status)
        || naxis < 2) {
        fail(error, QStringLiteral("The FITS image header is corrupt (%1).").arg(fitsErrorText(status)));
        return false;
    }
    if (naxis > MaxAxes) {
        fail(error,
            QStringLiteral("The FITS image has %1 axes; at most %2 are supported.").arg(naxis).arg(MaxAxes));
        return false;
    }
    if (bitpix != BYTE_IMG && bitpix != SHORT_IMG && bitpix != LONG_IMG && bitpix != LONGLONG_IMG
        && bitpix != FLOAT_IMG && bitpix != DOUBLE_IMG) {
        fail(error, QStringLiteral("The FITS image has an invalid BITPIX of %1.").arg(bitpix));
        return false;
    }
    if (image->tiles
        && (std::size_t(naxis) != image->tiles->axes.size()
            || !std::equal(image->tiles->axes.begin(), image->tiles->axes.end(), axes))) {
        fail(error, QStringLiteral("The tile-compressed FITS image is damaged: its axes are ambiguous."));
        return false;
    }
    layout.hdu = image->number;
    layout.bitpix = bitpix;
    layout.tiles = image->tiles;
    readOrientation(file, layout);
    readBlank(file, layout);
    return readGeometry(file, naxis, axes, layout, error) && readScaling(file, layout, error);
}

} // namespace zelkir
