#pragma once

#include "fitshandle.h"

#include <functional>
#include <memory>
#include <vector>

namespace zelkir {

/// The optional per-frame table of a FITS movie: an extension named FRAMES with one row
/// per frame, a TIME column in seconds since the start of the recording and an optional
/// PRESET column. Rows are read in chunks when first asked for, never all at open.
/// Not locked: the owning source serialises calls.
class FitsFrameTable
{
public:
    /// Opens the table in HDU `hdu` through `file`, a handle used by the table alone. Rows
    /// that lie beyond the file's end (a truncated file) are left out; `fileSize` gives the
    /// size in bytes at the moment, as a file may shrink while it is open. Null when it has
    /// neither column.
    static std::unique_ptr<FitsFrameTable> open(FitsHandle file, int hdu, std::function<qint64()> fileSize);

    qint64 rowCount() const { return m_rows; }
    bool hasPresets() const { return m_presetColumn > 0; }

    /// The TIME of `row`; NaN when the row is missing, undefined or unreadable.
    double time(qint64 row);
    /// The PRESET of `row` (0..7); -1 when there is no such column or value.
    int preset(qint64 row);

    /// Average frames per second over the first rows; NaN when they do not tell.
    double frameRate();

private:
    FitsFrameTable(FitsHandle file, int timeColumn, int presetColumn, qint64 rows, qint64 dataStart,
        qint64 rowBytes, std::function<qint64()> fileSize);
    bool load(qint64 row);
    /// Reads rows start..start + length - 1 into the arrays; a column that cannot be read
    /// gives NaN times or -1 presets, and false.
    bool readRows(qint64 start, qint64 length, double* times, int* presets);
    void dropBuffers();

    FitsHandle m_file;
    int m_timeColumn = 0;
    int m_presetColumn = 0;
    qint64 m_rows = 0;
    qint64 m_dataStart = 0;
    qint64 m_rowBytes = 1;
    std::function<qint64()> m_fileSize;
    qint64 m_chunkStart = -1;
    std::vector<double> m_times;
    std::vector<int> m_presets;
};

} // namespace zelkir
