#include "fitspixels.h"

#include "widecountmapper.h"

#include <QtEndian>

#include <cmath>
#include <type_traits>

namespace zelkir::FitsPixels {

namespace {

template <typename Stored> Stored storedAt(const uchar* row, std::size_t x)
{
    return qFromBigEndian<Stored>(row + x * sizeof(Stored));
}

/// The row of the output that stored row `row` becomes.
std::size_t pictureRow(const FitsImageLayout& layout, int row)
{
    return std::size_t(layout.bottomUp ? layout.height - 1 - row : row);
}

template <typename Stored, typename Convert>
void decodeRows(const uchar* stored, const FitsImageLayout& layout, Convert convert)
{
    const auto width = std::size_t(layout.width);
    for (int row = 0; row < layout.height; ++row) {
        const uchar* in = stored + std::size_t(row) * width * sizeof(Stored);
        const std::size_t first = pictureRow(layout, row) * width;
        for (std::size_t x = 0; x < width; ++x)
            convert(first + x, storedAt<Stored>(in, x));
    }
}

template <typename Stored>
void markBlank(const uchar* stored, const FitsImageLayout& layout, Stored blank, std::vector<quint8>& noValue)
{
    bool any = false;
    noValue.assign(std::size_t(layout.pixelsPerFrame()), 0);
    decodeRows<Stored>(stored, layout, [&](std::size_t i, Stored value) {
        noValue[i] = value == blank;
        any = any || value == blank;
    });
    if (!any)
        noValue.clear();
}

template <typename Stored>
void decodeScaled(const uchar* stored, const FitsImageLayout& layout, double* values)
{
    const double bscale = layout.bscale;
    const double bzero = layout.bzero;
    if constexpr (std::is_integral_v<Stored>) {
        if (layout.blank) {
            const qint64 blank = *layout.blank;
            const double undefined = std::nan("");
            decodeRows<Stored>(stored, layout, [&](std::size_t i, Stored value) {
                values[i] = qint64(value) == blank ? undefined : bzero + bscale * double(value);
            });
            return;
        }
    }
    decodeRows<Stored>(
        stored, layout, [&](std::size_t i, Stored value) { values[i] = bzero + bscale * double(value); });
}

} // namespace

void decodeNarrow(
    const uchar* stored, const FitsImageLayout& layout, quint16* counts, std::vector<quint8>& noValue)
{
    noValue.clear();
    if (layout.bitpix == BYTE_IMG) {
        decodeRows<quint8>(stored, layout, [&](std::size_t i, quint8 value) { counts[i] = value; });
        if (layout.blank && *layout.blank >= 0 && *layout.blank <= 255)
            markBlank<quint8>(stored, layout, quint8(*layout.blank), noValue);
    } else {
        // Flipping the sign bit adds 32768 to a two's-complement 16-bit value.
        decodeRows<quint16>(stored, layout, [&](std::size_t i, quint16 value) { counts[i] = value ^ 0x8000u; });
        if (layout.blank && *layout.blank >= -32768 && *layout.blank <= 32767)
            markBlank<qint16>(stored, layout, qint16(*layout.blank), noValue);
    }
    if (!noValue.empty())
        fillNoValueCounts(counts, noValue.data(), noValue.size());
}

void decodeWide(const uchar* stored, const FitsImageLayout& layout, double* values)
{
    switch (layout.bitpix) {
    case BYTE_IMG:
        decodeScaled<quint8>(stored, layout, values);
        break;
    case SHORT_IMG:
        decodeScaled<qint16>(stored, layout, values);
        break;
    case LONG_IMG:
        decodeScaled<qint32>(stored, layout, values);
        break;
    case LONGLONG_IMG:
        decodeScaled<qint64>(stored, layout, values);
        break;
    case FLOAT_IMG:
        decodeScaled<float>(stored, layout, values);
        break;
    case DOUBLE_IMG:
        decodeScaled<double>(stored, layout, values);
        break;
    }
}

} // namespace zelkir::FitsPixels
