#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace zelkir {

/// Reads up to `length` bytes at `offset` of a file; fewer, or none, past its end.
using FitsByteReader = std::function<QByteArray(qint64 offset, qint64 length)>;

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
