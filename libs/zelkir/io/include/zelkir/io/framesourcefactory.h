#pragma once

#include "framesource.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace zelkir {

/// Opens image and movie files by their content: FITS (cfitsio), TIFF, PNG, BMP and JPEG
/// (Qt's image readers). The file name and extension play no part.
class FrameSourceFactory
{
public:
    /// Opens the regular file at `path`. Returns null and a sentence for the user in
    /// `*error` (when not null) if the file is missing, unreadable, empty, of an unknown
    /// kind, or its header is corrupt.
    static std::unique_ptr<FrameSource> open(const QString& path, QString* error);

    /// Opens a file held in memory, as open() does; the source keeps its own copy.
    static std::unique_ptr<FrameSource> openData(const QByteArray& data, QString* error);

    /// The format names the factory opens, for messages: "FITS, TIFF, PNG, BMP or JPEG".
    static QString supportedFormatsText();
};

} // namespace zelkir
