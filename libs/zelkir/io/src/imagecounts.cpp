#include "imagecounts.h"

#include <QPixelFormat>

namespace zelkir {

namespace {

// Rec. 601 weights scaled to 2^16; they sum to exactly 65536, so white stays white.
constexpr quint64 WeightRed = 19595;
constexpr quint64 WeightGreen = 38470;
constexpr quint64 WeightBlue = 7471;
constexpr quint64 Half = 1u << 15;

bool isDeepColour(const QImage& image)
{
    const QPixelFormat pixelFormat = image.pixelFormat();
    return (pixelFormat.colorModel() == QPixelFormat::RGB || pixelFormat.colorModel() == QPixelFormat::BGR)
        && pixelFormat.redSize() > 8;
}

void fromGrey8(const QImage& grey, quint16* out)
{
    const int width = grey.width();
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        for (int x = 0; x < width; ++x)
            *out++ = line[x];
    }
}

void fromGrey16(const QImage& grey, quint16* out)
{
    const int width = grey.width();
    for (int y = 0; y < grey.height(); ++y) {
        const auto* line = reinterpret_cast<const quint16*>(grey.constScanLine(y));
        std::copy(line, line + width, out);
        out += width;
    }
}

void fromRgb32(const QImage& rgb, quint16* out)
{
    const int width = rgb.width();
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb p = line[x];
            *out++ = quint16((WeightRed * quint64(qRed(p)) + WeightGreen * quint64(qGreen(p))
                                 + WeightBlue * quint64(qBlue(p)) + Half)
                >> 16);
        }
    }
}

void fromRgba64(const QImage& rgb, quint16* out)
{
    const int width = rgb.width();
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgba64*>(rgb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgba64 p = line[x];
            *out++ = quint16(
                (WeightRed * p.red() + WeightGreen * p.green() + WeightBlue * p.blue() + Half) >> 16);
        }
    }
}

} // namespace

int ImageCounts::depthOf(const QImage& image)
{
    if (image.format() == QImage::Format_Grayscale16 || isDeepColour(image))
        return 16;
    return 8;
}

int ImageCounts::convert(const QImage& image, std::vector<quint16>& counts)
{
    counts.resize(std::size_t(image.width()) * std::size_t(image.height()));
    quint16* out = counts.data();
    if (image.format() == QImage::Format_Grayscale16) {
        fromGrey16(image, out);
        return 16;
    }
    if (image.format() == QImage::Format_Grayscale8) {
        fromGrey8(image, out);
        return 8;
    }
    if (isDeepColour(image)) {
        fromRgba64(image.convertToFormat(QImage::Format_RGBX64), out);
        return 16;
    }
    fromRgb32(image.convertToFormat(QImage::Format_RGB32), out);
    return 8;
}

} // namespace zelkir
