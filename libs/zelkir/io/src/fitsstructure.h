#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace zelkir {

/// Reads up to `length` bytes at `offset` of a file; fewer, or none, past its end.
using FitsByteReader = std::function<QByteArray(qint64 offset, qint64 length)>;

/// The tile table of a compressed image (a binary table with ZIMAGE = T), as checked
/// against its header. cfitsio decompresses such images itself, but trusts the table:
/// a descriptor pointing outside the heap, or a tile larger than the header says, makes it
/// read and write past its buffers. checkFrame() vets the tiles of a frame before cfitsio
/// may touch them.
struct FitsTileTable
{
    /// A column of heap descriptors holding tile data.
    struct DataColumn
    {
        bool present = false;
        /// Byte offset in a row.
        qint64 offset = 0;
        /// 'Q' descriptors have 64-bit fields, 'P' ones 32-bit.
        bool wide = false;
        int elementBytes = 1;
    };

    /// cfitsio's Rice decoder checks for the end of its input only between blocks, so
    /// Rice tiles are walked through first. 0 for other coders.
    int riceBlock = 0;
    int riceBytes = 4;
    /// PLIO's tiles are 16-bit words, every other coder's bytes.
    bool plio = false;
    /// cfitsio's H-compress decoder reads on past the end of a damaged tile and writes as
    /// many pixels as the tile says; its tiles are followed through first.
    bool hcompress = false;
    /// cfitsio inflates gzip tiles without a bound, and loops for ever on a cut-short
    /// stream, so they are inflated here first.
    bool gzip = false;
    int bitpix = 0;
    /// ZNAXISn and ZTILEn.
    std::vector<qint64> axes;
    std::vector<qint64> tile;
    qint64 rowBytes = 0;
    qint64 rows = 0;
    /// File offsets of the table and of its heap, and the heap's size.
    qint64 dataStart = 0;
    qint64 heapStart = 0;
    qint64 heapBytes = 0;
    DataColumn compressed;
    DataColumn gzipCompressed;
    DataColumn uncompressed;

    /// The pixels of the tile in `row` (0-based).
    qint64 tilePixels(qint64 row) const;
    /// The rows holding frame `frame` (every plane after the second axis is one).
    std::pair<qint64, qint64> frameRows(qint64 frame) const;
    /// Reads the descriptors of the tiles of `frame` and checks that each lies within the
    /// heap and within the first `fileSize` bytes and has a sane size. Empty when they do,
    /// otherwise what is wrong.
    QString checkFrame(const FitsByteReader& read, qint64 frame, qint64 fileSize) const;
};

/// One header-and-data unit of a FITS file, as its raw header cards describe it.
struct FitsHduSummary
{
    enum class Kind { Image, Table };

    /// 1 for the primary HDU, as cfitsio counts.
    int number = 0;
    Kind kind = Kind::Image;
    int axes = 0;
    /// A binary table holding a tile-compressed image (ZIMAGE = T).
    bool compressedImage = false;
    /// Its tile table, when the header is consistent.
    std::shared_ptr<const FitsTileTable> tiles;
    /// Why a compressed image's header is unusable. Such an HDU is the last one scanned and
    /// must not be visited: cfitsio parses the compression keywords on its way past.
    QString damage;
    QString extname;
};

/// Checks the headers of a FITS file before cfitsio walks through them.
///
/// cfitsio sizes its own memory from header values when it moves to an HDU (a table's
/// TFIELDS, for one), so a corrupt header could make it allocate gigabytes. The scan reads
/// only the header blocks, checks every structural value against the limits of the FITS
/// standard, and stops at the first HDU that breaks them: cfitsio may safely visit the
/// HDUs it returns, and none after them.
class FitsStructure
{
public:
    static std::vector<FitsHduSummary> scan(const FitsByteReader& read);
};

} // namespace zelkir
