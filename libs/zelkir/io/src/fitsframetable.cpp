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

FitsFrameTable::FitsFrameTable(FitsHandle file, int timeColumn, int presetColumn, qint64 rows)
    : m_file(std::move(file))
    , m_timeColumn(timeColumn)
    , m_presetColumn(presetColumn)
    , m_rows(rows)
{
}

std::unique_ptr<FitsFrameTable> FitsFrameTable::open(FitsHandle file, int hdu, qint64 fileSize)
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
    rows = std::min<LONGLONG>(rows, std::max<LONGLONG>(0, fileSize - dataStart) / rowBytes);
    if (rows <= 0)
        return nullptr;
    const int timeColumn = scalarColumn(file.get(), "TIME");
    const int presetColumn = scalarColumn(file.get(), "PRESET");
    if (timeColumn == 0 && presetColumn == 0) {
        qCDebug(lcZelkirIo) << "FRAMES table without TIME or PRESET column";
        return nullptr;
    }
    return std::unique_ptr<FitsFrameTable>(
        new FitsFrameTable(std::move(file), timeColumn, presetColumn, rows));
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
    if (row < 0 || row >= m_rows)
        return false;
    if (m_chunkStart >= 0 && row >= m_chunkStart && row < m_chunkStart + qint64(m_times.size()))
        return true;
    const qint64 start = row - row % ChunkRows;
    const qint64 length = std::min(ChunkRows, m_rows - start);
    std::vector<double> times(std::size_t(length), std::nan(""));
    std::vector<int> presets(std::size_t(length), -1);
    int status = 0;
    int anyNull = 0;
    double nullTime = std::nan("");
    int nullPreset = -1;
    if (m_timeColumn != 0)
        fits_read_col(m_file.get(), TDOUBLE, m_timeColumn, start + 1, 1, length, &nullTime, times.data(),
            &anyNull, &status);
    if (status != 0) {
        qCDebug(lcZelkirIo) << "FRAMES times from row" << start << "unreadable:" << fitsErrorText(status);
        m_chunkStart = -1;
        return false;
    }
    if (m_presetColumn != 0
        && fits_read_col(m_file.get(), TINT, m_presetColumn, start + 1, 1, length, &nullPreset,
            presets.data(), &anyNull, &status)) {
        // Bad presets must not cost the times of the same rows.
        qCDebug(lcZelkirIo) << "FRAMES presets from row" << start << "unreadable:" << fitsErrorText(status);
        std::fill(presets.begin(), presets.end(), -1);
    }
    m_times = std::move(times);
    m_presets = std::move(presets);
    m_chunkStart = start;
    return true;
}

} // namespace zelkir
