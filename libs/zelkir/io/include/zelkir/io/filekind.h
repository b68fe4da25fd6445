#pragma once

#include <QByteArray>
#include <QString>

namespace zelkir {

/// File formats recognised by their first bytes, whatever the file is called.
enum class FileKind { Unknown, Fits, Tiff, Png, Bmp, Jpeg };

/// Bytes needed at the start of a file to tell its kind.
constexpr int FileSignatureLength = 16;

/// The kind of a file that begins with `head` (any length; shorter than a signature is
/// Unknown).
FileKind detectFileKind(const QByteArray& head);

/// "FITS", "TIFF", "PNG", "BMP", "JPEG", or an empty text for Unknown.
QString fileKindName(FileKind kind);

} // namespace zelkir
