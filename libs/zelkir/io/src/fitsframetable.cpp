#include "fitsframetable.h"

#include "logging.h"

#include <algorithm>
#include <cmath>

namespace zelkir {

namespace {

constexpr qint64 ChunkRows = 1024;

/// The number of a scalar numeric column, or 0.
int scalarColumn(fitsfile* file, const char* name)
{
    int status = 0;
    int column = 0;
    char templ[FLEN_KEYWORD] = {};
    qstrncpy(templ, name, sizeof templ);
    if (fits_get_colnum(file, CASEINSEN, templ, &column, &status))
        return 0;
    int typecode = 0;
    long repeat = 0;
    long width = 0;
    // Variable-length columns (negative codes) live in the heap; times are plain numbers.
    if (fits_get_coltype(file, column, &typecode, &repeat, &width, &status) || repeat != 1 || typecode <= 0
        || typecode == TSTRING || typecode == TLOGICAL || typecode == TBIT)
        return 0;
    return column;
}

} // namespace

FitsFrameTable::FitsFrameTable(FitsHandle file, int timeColumn, int presetColumn, qint64 rows, qint64 dataStart,
    qint64 rowBytes, std::function<qint64()> fileSize)
    : m_file(std::move(file))
    , m_timeColumn(timeColumn)
    , m_presetColumn(presetColumn)
    , m_rows(rows)
    , m_dataStart(dataStart)
    , m_rowBytes(rowBytes)
    , m_fileSize(std::move(fileSize))
{
}

std::unique_ptr<FitsFrameTable> FitsFrameTable::open(FitsHandle file, int hdu, std::function<qint64()> fileSize)
{
    int status = 0;
    int type = 0;
    LONGLONG rows = 0;
    LONGLONG rowBytes = 0;
    LONGLONG headStart = 0;
    LONGLONG dataStart = 0;
    LONGLONG dataEnd = 0;
    if (fits_movabs_hdu(file.get(), hdu, &type, &status) || type == IMAGE_HDU
        || fits_get_num_rowsll(file.get(), &rows, &status)
        || fits_read_key(file.get(), TLONGLONG, "NAXIS1", &rowBytes, nullptr, &status)
        || fits_get_hduaddrll(file.get(), &headStart, &dataStart, &dataEnd, &status) || rowBytes <= 0)
        return nullptr;
    // Only rows the file really holds: cfitsio's memory files do not stop it reading past them.
    rows = std::min<LONGLONG>(rows, std::max<LONGLONG>(0, fileSize() - dataStart) / rowBytes);
    if (rows <= 0)
        return nullptr;
    const int timeColumn = scalarColumn(file.get(), "TIME");
    const int presetColumn = scalarColumn(file.get(), "PRESET");
    if (timeColumn == 0 && presetColumn == 0) {
        qCDebug(lcZelkirIo) << "FRAMES table without TIME or PRESET column";
        return nullptr;
    }
    return std::unique_ptr<FitsFrameTable>(new FitsFrameTable(
        std::move(file), timeColumn, presetColumn, rows, dataStart, rowBytes, std::move(fileSize)));
}

double FitsFrameTable::time(qint64 row)
{
    if (m_timeColumn == 0 || !load(row))
        return std::nan("");
    const double value = m_times[std::size_t(row - m_chunkStart)];
    return std::isfinite(value) ? value : std::nan("");
}

int FitsFrameTable::preset(qint64 row)
{
    if (m_presetColumn == 0 || !load(row))
        return -1;
    const int value = m_presets[std::size_t(row - m_chunkStart)];
    return value >= 0 && value <= 7 ? value : -1;
}

double FitsFrameTable::frameRate()
{
    const qint64 last = std::min(m_rows, ChunkRows) - 1;
    if (last < 1)
        return std::nan("");
    const double span = time(last) - time(0);
    return span > 0.0 ? double(last) / span : std::nan("");
}

bool FitsFrameTable::load(qint64 row)
{
    // Rows the file no longer holds are gone, whatever was read of them before.
    const qint64 rows = std::min(m_rows, std::max<qint64>(0, m_fileSize() - m_dataStart) / m_rowBytes);
    if (row < 0 || row >= rows)
        return false;
    if (m_chunkStart >= 0 && row >= m_chunkStart && row < m_chunkStart + qint64(m_times.size()))
        return true;
    const qint64 start = row - row % ChunkRows;
    const qint64 length = std::min(ChunkRows, rows - start);
    std::vector<double> times(std::size_t(length), std::nan(""));
    std::vector<int> presets(std::size_t(length), -1);
    if (!readRows(start, length, times.data(), presets.data())) {
        // cfitsio reads whole 2880-byte blocks. One cut short by the end of the file (a file
        // without its last block's padding, or one that shrank) fails, yet stays in its
        // buffers as far as it was read, with stale bytes beyond. So the buffers are dropped
        // and the rows, all within the file, taken one by one: a row that fails is read
        // again from the block just loaded, and is given up when that fails too.
        qCDebug(lcZelkirIo) << "FRAMES rows from" << start << "unreadable at once; reading them one by one";
        dropBuffers();
        for (qint64 i = 0; i < length; ++i) {
            double* time = &times[std::size_t(i)];
            int* preset = &presets[std::size_t(i)];
            if (!readRows(start + i, 1, time, preset) && !readRows(start + i, 1, time, preset))
                dropBuffers();
        }
        dropBuffers();
    }
    m_times = std::move(times);
    m_presets = std::move(presets);
    m_chunkStart = start;
    return true;
}

bool FitsFrameTable::readRows(qint64 start, qint64 length, double* times, int* presets)
{
    bool complete = true;
    int anyNull = 0;
    double nullTime = std::nan("");
    int nullPreset = -1;
    int status = 0;
    if (m_timeColumn != 0
        && fits_read_col(
            m_file.get(), TDOUBLE, m_timeColumn, start + 1, 1, length, &nullTime, times, &anyNull, &status)) {
        std::fill(times, times + length, std::nan(""));
        complete = false;
    }
    // Bad presets must not cost the times of the same rows, nor the other way round.
    status = 0;
    if (m_presetColumn != 0
        && fits_read_col(m_file.get(), TINT, m_presetColumn, start + 1, 1, length, &nullPreset, presets,
            &anyNull, &status)) {
        std::fill(presets, presets + length, -1);
        complete = false;
    }
    return complete;
}

void FitsFrameTable::dropBuffers()
{
    int status = 0;
    fits_flush_buffer(m_file.get(), 1, &status);
}

} // namespace zelkir
