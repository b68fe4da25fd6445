#include <zelkir/io/filekind.h>

#include <algorithm>

namespace zelkir {

namespace {

bool startsWith(const QByteArray& head, const char* signature, int length)
{
    return head.size() >= length && std::equal(signature, signature + length, head.constData());
}

} // namespace

FileKind detectFileKind(const QByteArray& head)
{
    // A FITS file starts with the card "SIMPLE  =" padded to column 30 with the value.
    if (startsWith(head, "SIMPLE  =", 9))
        return FileKind::Fits;
    if (startsWith(head, "\x89PNG\r\n\x1a\n", 8))
        return FileKind::Png;
    // Classic TIFF (42) and BigTIFF (43), in either byte order.
    if (startsWith(head, "II*\0", 4) || startsWith(head, "MM\0*", 4) || startsWith(head, "II+\0", 4)
        || startsWith(head, "MM\0+", 4))
        return FileKind::Tiff;
    if (startsWith(head, "\xff\xd8\xff", 3))
        return FileKind::Jpeg;
    // "BM" alone is too weak: also require the reserved words of the file header to be zero.
    if (startsWith(head, "BM", 2) && head.size() >= 14 && head.at(6) == 0 && head.at(7) == 0
        && head.at(8) == 0 && head.at(9) == 0)
        return FileKind::Bmp;
    return FileKind::Unknown;
}

QString fileKindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Fits:
        return QStringLiteral("FITS");
    case FileKind::Tiff:
        return QStringLiteral("TIFF");
    case FileKind::Png:
        return QStringLiteral("PNG");
    case FileKind::Bmp:
        return QStringLiteral("BMP");
    case FileKind::Jpeg:
        return QStringLiteral("JPEG");
    case FileKind::Unknown:
        break;
    }
    return QString();
}

} // namespace zelkir
