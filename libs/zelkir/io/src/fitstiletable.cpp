#include "fitsstructure.h"

#include <zlib.h>

#include <algorithm>

// The checks of a compressed image's tiles, and walks through each coder's data that
// read exactly what cfitsio's decoders will read.

namespace zelkir {

namespace {

/// Walks a Rice-coded tile of `pixels` pixels exactly as cfitsio's decoder reads it, but
/// stops at the end of the `length` bytes; true when the decoder would stay within them.
bool riceStreamFits(const uchar* bytes, qint64 length, qint64 pixels, int block, int pixelBytes)
{
    const int fsBits = pixelBytes == 1 ? 3 : pixelBytes == 2 ? 4 : 5;
    const int fsMax = pixelBytes == 1 ? 6 : pixelBytes == 2 ? 14 : 25;
    const int directBits = 1 << fsBits;
    // cfitsio decodes 8-byte pixels as 4-byte ones.
    qint64 at = std::min(pixelBytes, 4);
    bool overrun = false;
    auto next = [&]() -> unsigned {
        if (at >= length) {
            overrun = true;
            return 0;
        }
        return bytes[at++];
    };
    unsigned b = next();
    int nbits = 8;
    for (qint64 i = 0; i < pixels && !overrun;) {
        nbits -= fsBits;
        while (nbits < 0) {
            b = (b << 8) | next();
            nbits += 8;
        }
        const int fs = int(b >> nbits) - 1;
        b &= (1u << nbits) - 1;
        const qint64 end = std::min(i + block, pixels);
        if (fs < 0) {
            i = end;
        } else if (fs == fsMax) {
            for (; i < end && !overrun; ++i) {
                int k = directBits - nbits;
                for (k -= 8; k >= 0; k -= 8)
                    b = next();
                if (nbits > 0)
                    b = next() & ((1u << nbits) - 1);
                else
                    b = 0;
            }
        } else {
            for (; i < end && !overrun; ++i) {
                while (b == 0 && !overrun) {
                    nbits += 8;
                    b = next();
                }
                if (overrun || b > 255)
                    return false;
                const int significant = 32 - __builtin_clz(b);
                const int zeros = nbits - significant;
                nbits -= zeros + 1;
                b ^= 1u << nbits;
                nbits -= fs;
                while (nbits < 0) {
                    b = (b << 8) | next();
                    nbits += 8;
                }
                b &= (1u << nbits) - 1;
            }
        }
    }
    return !overrun;
}

/// Follows a PLIO line list as cfitsio's decoder does, with `words` 16-bit words for
/// `pixels` pixels; true when the decoder reads only within them. It takes the list's
/// length and start from the list's own header.
bool plioListFits(const QByteArray& bytes, qint64 pixels)
{
    const qint64 words = bytes.size() / 2;
    auto word = [&](qint64 number) { // 1-based, as the decoder counts
        const auto* at = reinterpret_cast<const uchar*>(bytes.constData()) + 2 * (number - 1);
        return qint64(qint16(quint16((at[0] << 8) | at[1])));
    };
    if (words < 3)
        return false;
    qint64 length = word(3);
    qint64 first = 4;
    if (length <= 0) {
        if (words < 5)
            return false;
        length = word(5) * 32768 + word(4);
        first = word(2) + 1;
    }
    if (pixels <= 0 || length <= 0)
        return true;
    if (first < 1 || length > words)
        return false;
    qint64 x = 1;
    for (qint64 at = first; at <= length && x <= pixels; ++at) {
        const qint64 value = word(at);
        const qint64 opcode = value / 4096;
        const qint64 data = value & 4095;
        if (opcode == 0 || opcode == 4 || opcode == 5) {
            x += data;
        } else if (opcode == 6 || opcode == 7) {
            ++x;
        } else if (opcode == 1) {
            // Takes the next word as the high bits of a value, and skips it.
            if (at + 1 > words)
                return false;
            ++at;
        }
    }
    return true;
}

/// Follows an H-compress tile through cfitsio's decoder, reading only what the decoder
/// reads and stopping at the end of the tile; true when the decoder stays within it and
/// its header describes exactly `pixels` pixels (the decoder writes as many as it says).
/// Only which values are zero is tracked: that decides how much the decoder reads.
class HcompressWalk
{
public:
    explicit HcompressWalk(const QByteArray& bytes)
        : m_bytes(reinterpret_cast<const uchar*>(bytes.constData()))
        , m_length(bytes.size())
    {
    }

    bool fits(qint64 pixels)
    {
        constexpr int HeaderBytes = 2 + 4 + 4 + 4 + 8 + 3;
        if (m_length < HeaderBytes || m_bytes[0] != 0xDD || m_bytes[1] != 0x99)
            return false;
        auto integer = [this](int at) {
            return qint64(qint32(quint32(m_bytes[at]) << 24 | quint32(m_bytes[at + 1]) << 16
                | quint32(m_bytes[at + 2]) << 8 | m_bytes[at + 3]));
        };
        const qint64 nx = integer(2);
        const qint64 ny = integer(6);
        const int planes[3] = { m_bytes[22], m_bytes[23], m_bytes[24] };
        // Quadrants of an image one pixel wide are empty, which the decoder mishandles;
        // more planes than a value has bits only make it read on.
        if (nx < 2 || ny < 2 || nx * ny != pixels || planes[0] > 64 || planes[1] > 64 || planes[2] > 64)
            return false;
        m_at = HeaderBytes;
        m_nonzero.assign(std::size_t(pixels), false);
        m_bitsLeft = 0;
        const qint64 nx2 = (nx + 1) / 2;
        const qint64 ny2 = (ny + 1) / 2;
        if (!quadrant(0, ny, nx2, ny2, planes[0]) || !quadrant(ny2, ny, nx2, ny / 2, planes[1])
            || !quadrant(ny * nx2, ny, nx / 2, ny2, planes[1])
            || !quadrant(ny * nx2 + ny2, ny, nx / 2, ny / 2, planes[2]))
            return !m_overrun;
        if (nybble() != 0)
            return !m_overrun;
        // One sign bit for every value that is not zero, from a fresh byte.
        m_bitsLeft = 0;
        for (bool set : m_nonzero) {
            if (set)
                bit();
            if (m_overrun)
                return false;
        }
        return true;
    }

private:
    unsigned byte()
    {
        if (m_at >= m_length) {
            m_overrun = true;
            return 0;
        }
        return m_bytes[m_at++];
    }
    unsigned bit()
    {
        if (m_bitsLeft == 0) {
            m_buffer = byte();
            m_bitsLeft = 8;
        }
        --m_bitsLeft;
        return (m_buffer >> m_bitsLeft) & 1;
    }
    unsigned bits(int count)
    {
        if (m_bitsLeft < count) {
            m_buffer = (m_buffer << 8) | byte();
            m_bitsLeft += 8;
        }
        m_bitsLeft -= count;
        return (m_buffer >> m_bitsLeft) & ((1u << count) - 1);
    }
    unsigned nybble() { return bits(4); }
    /// A run of nybbles, which the decoder takes a byte at a time, going back a byte
    /// when its buffer is full.
    void nybbles(std::vector<uchar>& out, qint64 count)
    {
        if (count == 1) {
            out[0] = uchar(nybble());
            return;
        }
        if (m_bitsLeft == 8) {
            --m_at;
            m_bitsLeft = 0;
        }
        qint64 k = 0;
        for (qint64 i = 0; i < count / 2 && !m_overrun; ++i, k += 2) {
            m_buffer = (m_buffer << 8) | byte();
            out[std::size_t(k)] = uchar((m_buffer >> (m_bitsLeft + 4)) & 15);
            out[std::size_t(k + 1)] = uchar((m_buffer >> m_bitsLeft) & 15);
        }
        if (count % 2 != 0)
            out[std::size_t(count - 1)] = uchar(nybble());
    }
    unsigned huffman()
    {
        unsigned code = bits(3);
        if (code < 4)
            return 1u << code;
        code = (code << 1) | bit();
        static const uchar four[5] = { 3, 5, 10, 12, 15 };
        if (code < 13)
            return four[code - 8];
        code = (code << 1) | bit();
        static const uchar five[5] = { 6, 7, 9, 11, 13 };
        if (code < 31)
            return five[code - 26];
        code = (code << 1) | bit();
        return code == 62 ? 0 : 14;
    }
    /// Spreads 4-bit codes, one per 2 x 2 block of an nx x ny grid (rows of ny), into
    /// the grid: the high bit to the block's first pixel, the low bit to its last.
    template<typename Set>
    static void spread(const std::vector<uchar>& codes, qint64 nx, qint64 ny, Set set)
    {
        const qint64 blockRow = (ny + 1) / 2;
        for (qint64 i = 0; i < nx; i += 2) {
            for (qint64 j = 0; j < ny; j += 2) {
                const unsigned code = codes[std::size_t(i / 2 * blockRow + j / 2)];
                set(i, j, (code >> 3) & 1);
                if (j + 1 < ny)
                    set(i, j + 1, (code >> 2) & 1);
                if (i + 1 < nx)
                    set(i + 1, j, (code >> 1) & 1);
                if (i + 1 < nx && j + 1 < ny)
                    set(i + 1, j + 1, code & 1);
            }
        }
    }
    bool quadrant(qint64 start, qint64 rowLength, qint64 nqx, qint64 nqy, int planes)
    {
        const qint64 largest = std::max(nqx, nqy);
        int levels = 0;
        while ((qint64(1) << levels) < largest)
            ++levels;
        std::vector<uchar> scratch(std::size_t(((nqx + 1) / 2) * ((nqy + 1) / 2)));
        auto insert = [&](qint64 i, qint64 j, unsigned value) {
            if (value)
                m_nonzero[std::size_t(start + i * rowLength + j)] = true;
        };
        for (int plane = planes - 1; plane >= 0 && !m_overrun; --plane) {
            const unsigned format = nybble();
            if (format == 0) {
                nybbles(scratch, qint64(scratch.size()));
            } else if (format == 15) {
                scratch[0] = uchar(huffman());
                qint64 nx = 1;
                qint64 ny = 1;
                qint64 leftX = nqx;
                qint64 leftY = nqy;
                qint64 step = qint64(1) << levels;
                for (int level = 1; level < levels && !m_overrun; ++level) {
                    step >>= 1;
                    nx <<= 1;
                    ny <<= 1;
                    if (leftX <= step)
                        --nx;
                    else
                        leftX -= step;
                    if (leftY <= step)
                        --ny;
                    else
                        leftY -= step;
                    std::vector<uchar> expanded(std::size_t(nx * ny));
                    spread(scratch, nx, ny,
                        [&](qint64 i, qint64 j, unsigned value) { expanded[std::size_t(i * ny + j)] = uchar(value); });
                    for (qint64 i = nx * ny - 1; i >= 0 && !m_overrun; --i) {
                        if (expanded[std::size_t(i)])
                            expanded[std::size_t(i)] = uchar(huffman());
                    }
                    std::copy(expanded.begin(), expanded.end(), scratch.begin());
                }
            } else {
                return false; // the decoder gives up here
            }
            spread(scratch, nqx, nqy, insert);
        }
        return !m_overrun;
    }

    const uchar* m_bytes;
    qint64 m_length;
    qint64 m_at = 0;
    unsigned m_buffer = 0;
    int m_bitsLeft = 0;
    bool m_overrun = false;
    std::vector<bool> m_nonzero;
};

/// True when `length` bytes hold one whole gzip stream that inflates to at most `limit`
/// bytes, so cfitsio's unbounded inflate loop ends.
bool gzipStreamFits(const QByteArray& bytes, qint64 limit)
{
    z_stream stream {};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)
        return false;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    unsigned char scratch[16384];
    int result = Z_OK;
    while (result == Z_OK && qint64(stream.total_out) <= limit) {
        stream.next_out = scratch;
        stream.avail_out = sizeof scratch;
        result = inflate(&stream, Z_NO_FLUSH);
    }
    const bool whole = result == Z_STREAM_END && qint64(stream.total_out) <= limit;
    inflateEnd(&stream);
    return whole;
}

} // namespace

qint64 FitsTileTable::tilePixels(qint64 row) const
{
    // Tiles at the far edges are cut to the image.
    qint64 pixels = 1;
    for (std::size_t axis = 0; axis < axes.size(); ++axis) {
        const qint64 perAxis = (axes[axis] + tile[axis] - 1) / tile[axis];
        const qint64 start = row % perAxis * tile[axis];
        row /= perAxis;
        pixels *= std::min(tile[axis], axes[axis] - start);
    }
    return pixels;
}

std::pair<qint64, qint64> FitsTileTable::frameRows(qint64 frame) const
{
    // Tiles run first axis fastest; a frame's tiles are those of one tile index on every
    // axis after the second, one contiguous run of rows.
    const qint64 perPlane = ((axes[0] + tile[0] - 1) / tile[0]) * ((axes[1] + tile[1] - 1) / tile[1]);
    qint64 index = 0;
    qint64 stride = 1;
    for (std::size_t axis = 2; axis < axes.size(); ++axis) {
        const qint64 position = frame % axes[axis];
        frame /= axes[axis];
        index += position / tile[axis] * stride;
        stride *= (axes[axis] + tile[axis] - 1) / tile[axis];
    }
    return { index * perPlane, perPlane };
}

QString FitsTileTable::checkFrame(const FitsByteReader& read, qint64 frame, qint64 fileSize) const
{
    const auto [first, count] = frameRows(frame);
    const QByteArray bytes = read(dataStart + first * rowBytes, count * rowBytes);
    if (bytes.size() < count * rowBytes)
        return QStringLiteral("its tile table is cut short");
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    auto bigEndian = [](const uchar* at, int size) {
        qint64 value = 0;
        for (int i = 0; i < size; ++i)
            value = (value << 8) | at[i];
        // Sign-extend 32-bit fields.
        return size == 4 ? qint64(qint32(quint32(value))) : value;
    };
    for (qint64 row = 0; row < count; ++row) {
        // Generous: no coder makes a tile more than twice its raw size.
        const qint64 pixels = tilePixels(first + row);
        const qint64 maxCompressed = 2 * pixels * std::max(4, std::abs(bitpix) / 8) + 1024;
        bool anyData = false;
        for (const DataColumn* column : { &compressed, &gzipCompressed, &uncompressed }) {
            if (!column->present)
                continue;
            const uchar* at = data + row * rowBytes + column->offset;
            const int field = column->wide ? 8 : 4;
            const qint64 elements = bigEndian(at, field);
            const qint64 offset = bigEndian(at + field, field);
            const qint64 limit = column == &uncompressed ? pixels : maxCompressed / column->elementBytes;
            if (elements < 0 || offset < 0 || elements > limit || offset > heapBytes
                || elements * column->elementBytes > heapBytes - offset)
                return QStringLiteral("tile %1 points outside its heap or is too large").arg(first + row + 1);
            if (heapStart + offset + elements * column->elementBytes > fileSize)
                return QStringLiteral("the data of tile %1 are missing").arg(first + row + 1);
            anyData = anyData || elements > 0;
            const bool gzipped = column == &gzipCompressed || (column == &compressed && gzip);
            const bool walked = column == &compressed && (riceBlock > 0 || plio || hcompress);
            if (elements == 0 || !(gzipped || walked))
                continue;
            const qint64 length = elements * column->elementBytes;
            const QByteArray tileBytes = read(heapStart + offset, length);
            if (tileBytes.size() < length)
                return QStringLiteral("the data of tile %1 are missing").arg(first + row + 1);
            const bool fits = gzipped ? gzipStreamFits(tileBytes, pixels * 8)
                : plio                ? plioListFits(tileBytes, pixels)
                : hcompress           ? HcompressWalk(tileBytes).fits(pixels)
                                      : riceStreamFits(reinterpret_cast<const uchar*>(tileBytes.constData()),
                                          elements, pixels, riceBlock, riceBytes);
            if (!fits)
                return QStringLiteral("the code of tile %1 is damaged").arg(first + row + 1);
        }
        if (!anyData)
            return QStringLiteral("tile %1 is empty").arg(first + row + 1);
    }
    return QString();
}

} // namespace zelkir
