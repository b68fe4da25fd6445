#include "fitsframesource.h"

#include "calibrationkeywords.h"
#include "fitspixels.h"
#include "keywordvalue.h"
#include "logging.h"
#include "presetkeywords.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace zelkir {

namespace {

constexpr qsizetype FitsBlock = 2880;

void fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

std::optional<ValueRange> declaredRange(const FileKeywords& keywords)
{
    const std::optional<double> minimum = keywordNumber(keywords, QStringLiteral("DATAMIN"));
    const std::optional<double> maximum = keywordNumber(keywords, QStringLiteral("DATAMAX"));
    if (!minimum || !maximum || *maximum < *minimum)
        return std::nullopt;
    return ValueRange { *minimum, *maximum };
}

/// The counts of an 8- or 16-bit image: all its stored values, or those between the
/// declared DATAMIN and DATAMAX.
CountRange narrowCountRange(
    const FitsImageLayout& layout, const CountScale& scale, const std::optional<ValueRange>& declared)
{
    const CountRange full { 0, quint16(layout.bitpix == BYTE_IMG ? 255 : 65535) };
    if (!declared)
        return full;
    double low = scale.toCount(declared->minimum);
    double high = scale.toCount(declared->maximum);
    if (low > high)
        std::swap(low, high);
    low = std::clamp(std::round(low), double(full.minimum), double(full.maximum));
    high = std::clamp(std::round(high), double(full.minimum), double(full.maximum));
    return CountRange { quint16(low), quint16(high) };
}

/// Turns rows stored bottom first into picture order; an empty vector stays empty.
template<typename T>
void flipRows(std::vector<T>& pixels, int width, int height)
{
    if (pixels.empty())
        return;
    const auto rowLength = std::ptrdiff_t(width);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels.begin() + top * rowLength, pixels.begin() + (top + 1) * rowLength,
            pixels.begin() + bottom * rowLength);
}

} // namespace

FitsFrameSource::FitsFrameSource(SourceInfo info, std::unique_ptr<Storage> storage, FitsHandle image,
    std::unique_ptr<FitsFrameTable> table, const FitsImageLayout& layout)
    : FrameSource(std::move(info))
    , m_storage(std::move(storage))
    , m_image(std::move(image))
    , m_table(std::move(table))
    , m_layout(layout)
    , m_declaredRange(declaredRange(fileKeywords()))
    , m_tileBytes(m_layout.tiles ? byteReader(*m_storage) : FitsByteReader())
{
}

FitsFrameSource::~FitsFrameSource() = default;

FitsByteReader FitsFrameSource::byteReader(const Storage& storage)
{
    if (storage.path.isEmpty()) {
        // The storage outlives the structure check that uses this reader.
        const char* data = storage.data.constData();
        const qint64 size = storage.fileSize;
        return [data, size](qint64 offset, qint64 length) {
            return offset < size ? QByteArray(data + offset, qsizetype(std::min(length, size - offset)))
                                 : QByteArray();
        };
    }
    auto file = std::make_shared<QFile>(storage.path);
    file->open(QIODevice::ReadOnly);
    return [file](qint64 offset, qint64 length) {
        return file->isOpen() && file->seek(offset) ? file->read(length) : QByteArray();
    };
}

std::function<qint64()> FitsFrameSource::currentSize(Storage& storage)
{
    // The storage outlives the table that asks.
    if (storage.path.isEmpty())
        return [size = storage.fileSize] { return size; };
    return [file = &storage.file] { return file->size(); };
}

std::unique_ptr<FrameSource> FitsFrameSource::openFile(const QString& path, QString* error)
{
    auto storage = std::make_unique<Storage>();
    storage->path = path;
    storage->file.setFileName(path);
    if (!storage->file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        fail(error, QStringLiteral("The file cannot be read (%1).").arg(storage->file.errorString()));
        return nullptr;
    }
    storage->fileSize = storage->file.size();
    return open(std::move(storage), error);
}

std::unique_ptr<FrameSource> FitsFrameSource::openData(const QByteArray& data, QString* error)
{
    auto storage = std::make_unique<Storage>();
    storage->fileSize = data.size();
    // cfitsio's memory driver reads whole 2880-byte blocks and overruns a buffer that ends
    // inside one, so the copy is padded with zeros; frames reaching into the padding are
    // still refused as truncated, by the real size kept in fileSize.
    const qsizetype padding = (FitsBlock - data.size() % FitsBlock) % FitsBlock;
    storage->data = data + QByteArray(padding, '\0');
    storage->memory = storage->data.data();
    storage->memorySize = size_t(storage->data.size());
    return open(std::move(storage), error);
}

std::unique_ptr<FrameSource> FitsFrameSource::open(std::unique_ptr<Storage> storage, QString* error)
{
    const std::vector<FitsHduSummary> hdus = FitsStructure::scan(byteReader(*storage));
    if (hdus.empty()) {
        fail(error,
            QStringLiteral("The file is not a readable FITS file: its header is damaged or incomplete."));
        return nullptr;
    }
    FitsHandle image;
    int status = 0;
    if (storage->path.isEmpty()) {
        fits_open_memfile(image.receiver(), "memory", READONLY, &storage->memory, &storage->memorySize, 0,
            nullptr, &status);
    } else {
        // The disk variant takes the name literally, without cfitsio's filter syntax.
        fits_open_diskfile(image.receiver(), QFile::encodeName(storage->path).constData(), READONLY, &status);
    }
    if (status != 0) {
        fail(error, QStringLiteral("The file is not a readable FITS file (%1).").arg(fitsErrorText(status)));
        return nullptr;
    }

    FitsImageLayout layout;
    SourceInfo info;
    if (!locateFitsImage(image.get(), hdus, layout, info.keywords, error))
        return nullptr;
    if (layout.tiles) {
        const QString damage = layout.tiles->checkFrame(byteReader(*storage), 0, storage->fileSize);
        if (!damage.isEmpty()) {
            fail(error, QStringLiteral("The tile-compressed FITS image is damaged: %1.").arg(damage));
            return nullptr;
        }
    } else if (layout.dataStart + layout.bytesPerFrame() > storage->fileSize) {
        fail(error, QStringLiteral("The FITS file is truncated: not even its first frame is complete."));
        return nullptr;
    }
    info.format = QStringLiteral("FITS");
    info.width = layout.width;
    info.height = layout.height;
    // A header may declare far more frames than the file can hold; the frames beyond its
    // end do not exist, and counting them would cost whoever walks the frames. A compressed
    // image's tile table, checked against its header, already lies within the file.
    const qint64 framesInFile = layout.tiles
        ? layout.frameCount
        : (storage->fileSize - layout.dataStart + layout.bytesPerFrame() - 1) / layout.bytesPerFrame();
    info.frameCount = int(std::min<qint64>(layout.frameCount, framesInFile));
    info.calibration = calibrationFromKeywords(info.keywords);
    info.presets = presetInfoFromKeywords(info.keywords);
    if (layout.isNarrow()) {
        const CountScale scale { layout.bzero - layout.bscale * layout.countShift(), layout.bscale };
        info.countRange = narrowCountRange(layout, scale, declaredRange(info.keywords));
    }

    // The table gets a handle of its own so reading times never moves the image's HDU.
    std::unique_ptr<FitsFrameTable> table;
    const auto frames = std::find_if(hdus.begin(), hdus.end(), [](const FitsHduSummary& hdu) {
        return hdu.kind == FitsHduSummary::Kind::Table && !hdu.compressedImage
            && hdu.extname.compare(QLatin1String("FRAMES"), Qt::CaseInsensitive) == 0;
    });
    FitsHandle tableHandle;
    if (frames != hdus.end() && fits_reopen_file(image.get(), tableHandle.receiver(), &status) == 0)
        table = FitsFrameTable::open(std::move(tableHandle), frames->number, currentSize(*storage));
    status = 0;
    // FRMRATE fits a standard eight-letter card; FRAMERATE arrives as a HIERARCH card.
    info.frameRate
        = keywordNumber(info.keywords, QStringLiteral("FRMRATE"))
              .value_or(keywordNumber(info.keywords, QStringLiteral("FRAMERATE")).value_or(std::nan("")));
    if (!(info.frameRate > 0.0))
        info.frameRate = table ? table->frameRate() : std::nan("");

    qCDebug(lcZelkirIo) << "FITS" << layout.width << "x" << layout.height << "x" << info.frameCount << "of"
                        << layout.frameCount
                        << "BITPIX" << layout.bitpix << "HDU" << layout.hdu << (table ? "with" : "without")
                        << "frame table";
    return std::unique_ptr<FrameSource>(
        new FitsFrameSource(std::move(info), std::move(storage), std::move(image), std::move(table), layout));
}

bool FitsFrameSource::doReadFrame(int index, Frame& out, QString* error)
{
    if (m_layout.tiles)
        return readCompressed(index, out, error);
    const uchar* stored = readStored(index, error);
    if (!stored)
        return false;
    const auto pixels = std::size_t(m_layout.pixelsPerFrame());
    out.counts.resize(pixels);
    if (m_layout.isNarrow()) {
        FitsPixels::decodeNarrow(stored, m_layout, out.counts.data(), out.noValue);
        out.scale = CountScale { m_layout.bzero - m_layout.bscale * m_layout.countShift(), m_layout.bscale };
    } else {
        m_wideValues.resize(pixels);
        FitsPixels::decodeWide(stored, m_layout, m_wideValues.data());
        out.scale = mapWideValues(m_wideValues.data(), pixels, m_declaredRange, out.counts.data(), out.noValue);
    }
    return true;
}

const uchar* FitsFrameSource::readStored(int index, QString* error)
{
    const qint64 length = m_layout.bytesPerFrame();
    const qint64 offset = m_layout.dataStart + qint64(index) * length;
    const auto missing = [&] {
        fail(error, QStringLiteral("Frame %1 is missing: the file is truncated.").arg(index + 1));
        return nullptr;
    };
    if (m_storage->path.isEmpty()) {
        if (offset + length > m_storage->fileSize)
            return missing();
        return reinterpret_cast<const uchar*>(m_storage->data.constData() + offset);
    }
    // The file may have shrunk since it was opened; only what it holds now is read.
    QFile& file = m_storage->file;
    if (offset + length > file.size())
        return missing();
    m_stored.resize(std::size_t(length));
    if (!file.seek(offset) || file.read(reinterpret_cast<char*>(m_stored.data()), length) != length) {
        fail(error, QStringLiteral("Frame %1 cannot be read (%2).").arg(index + 1).arg(file.errorString()));
        return nullptr;
    }
    return m_stored.data();
}

bool FitsFrameSource::readCompressed(int index, Frame& out, QString* error)
{
    // cfitsio trusts the tile table; each frame's tiles are checked, against what the file
    // holds now, before it decompresses them.
    const qint64 size = m_storage->path.isEmpty() ? m_storage->fileSize : m_storage->file.size();
    const QString damage = m_layout.tiles->checkFrame(m_tileBytes, index, size);
    if (!damage.isEmpty()) {
        fail(error, QStringLiteral("Frame %1 cannot be read: %2.").arg(index + 1).arg(damage));
        return false;
    }
    const qint64 pixels = m_layout.pixelsPerFrame();
    const qint64 firstElement = qint64(index) * pixels + 1;
    out.counts.resize(std::size_t(pixels));
    int status = 0;
    int anyNull = 0;
    if (m_layout.isNarrow()) {
        // Another handle on the same file may have moved cfitsio to another HDU, which
        // resets the scaling from the header; so the count shift is set before every read.
        fits_set_bscale(m_image.get(), 1.0, m_layout.countShift(), &status);
        m_nullFlags.resize(std::size_t(pixels));
        fits_read_imgnull(m_image.get(), TUSHORT, firstElement, pixels, out.counts.data(), m_nullFlags.data(),
            &anyNull, &status);
        if (status == 0 && anyNull) {
            out.noValue.assign(m_nullFlags.begin(), m_nullFlags.end());
            fillNoValueCounts(out.counts.data(), out.noValue.data(), out.counts.size());
        }
        out.scale = CountScale { m_layout.bzero - m_layout.bscale * m_layout.countShift(), m_layout.bscale };
    } else {
        m_wideValues.resize(std::size_t(pixels));
        double undefined = std::nan("");
        if (fits_read_img(m_image.get(), TDOUBLE, firstElement, pixels, &undefined, m_wideValues.data(),
                &anyNull, &status)
            == 0) {
            out.scale = mapWideValues(
                m_wideValues.data(), m_wideValues.size(), m_declaredRange, out.counts.data(), out.noValue);
        }
    }
    if (status != 0) {
        fail(error, QStringLiteral("Frame %1 cannot be read (%2).").arg(index + 1).arg(fitsErrorText(status)));
        return false;
    }
    if (m_layout.bottomUp) {
        flipRows(out.counts, m_layout.width, m_layout.height);
        flipRows(out.noValue, m_layout.width, m_layout.height);
    }
    return true;
}

double FitsFrameSource::doFrameTime(int index)
{
    if (m_table && index < m_table->rowCount()) {
        const double time = m_table->time(index);
        if (!std::isnan(time))
            return time;
    }
    return FrameSource::doFrameTime(index);
}

int FitsFrameSource::doFramePreset(int index)
{
    if (m_table && m_table->hasPresets()) {
        const int preset = m_table->preset(index);
        if (preset >= 0)
            return preset;
    }
    return FrameSource::doFramePreset(index);
}

} // namespace zelkir
