#pragma once

#include "fitsframetable.h"
#include "fitshandle.h"
#include "fitsimagelayout.h"
#include "fitsstructure.h"
#include "widecountmapper.h"

#include <zelkir/io/framesource.h>

#include <QByteArray>
#include <QFile>

#include <memory>
#include <optional>
#include <vector>

namespace zelkir {

/// FITS images (2-D) and cubes (3-D and more: every plane is a frame), read with cfitsio
/// one plane at a time. The keywords it understands are described in FITS-KEYWORDS.md.
class FitsFrameSource final : public FrameSource
{
public:
    static std::unique_ptr<FrameSource> openFile(const QString& path, QString* error);
    /// Reads from a copy of `data` held by the source.
    static std::unique_ptr<FrameSource> openData(const QByteArray& data, QString* error);
    ~FitsFrameSource() override;

private:
    /// What the cfitsio handles point into; it must outlive them.
    struct Storage
    {
        QString path;
        /// The file at `path`, unbuffered, for frame data.
        QFile file;
        QByteArray data;
        void* memory = nullptr;
        size_t memorySize = 0;
        /// At open; a file on disk is measured again before each frame is read.
        qint64 fileSize = -1;
    };

    FitsFrameSource(SourceInfo info, std::unique_ptr<Storage> storage, FitsHandle image,
        std::unique_ptr<FitsFrameTable> table, const FitsImageLayout& layout);

    static std::unique_ptr<FrameSource> open(std::unique_ptr<Storage> storage, QString* error);
    /// Reads header blocks straight from the file or buffer, for FitsStructure.
    static FitsByteReader byteReader(const Storage& storage);
    /// The size of the file or buffer in bytes, measured when asked.
    static std::function<qint64()> currentSize(Storage& storage);

    bool doReadFrame(int index, Frame& out, QString* error) override;
    double doFrameTime(int index) override;
    int doFramePreset(int index) override;

    /// The stored bytes of frame `index`, or null with a sentence in `*error`.
    const uchar* readStored(int index, QString* error);
    /// Tile-compressed images go through cfitsio, once their tiles are checked.
    bool readCompressed(int index, Frame& out, QString* error);

    std::unique_ptr<Storage> m_storage;
    FitsHandle m_image;
    std::unique_ptr<FitsFrameTable> m_table;
    const FitsImageLayout m_layout;
    std::optional<ValueRange> m_declaredRange;
    std::vector<uchar> m_stored;
    FitsByteReader m_tileBytes;
    std::vector<char> m_nullFlags;
    std::vector<double> m_wideValues;
};

} // namespace zelkir
