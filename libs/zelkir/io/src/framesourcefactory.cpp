#include <zelkir/io/framesourcefactory.h>

#include <zelkir/io/filekind.h>

#include "fitsframesource.h"
#include "qtimageframesource.h"

#include <QFile>
#include <QFileInfo>

namespace zelkir {

namespace {

void fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString unknownKindText()
{
    return QStringLiteral("The file is not a %1 file.").arg(FrameSourceFactory::supportedFormatsText());
}

} // namespace

QString FrameSourceFactory::supportedFormatsText()
{
    return QStringLiteral("FITS, TIFF, PNG, BMP or JPEG");
}

std::unique_ptr<FrameSource> FrameSourceFactory::open(const QString& path, QString* error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        fail(error, QStringLiteral("The file does not exist."));
        return nullptr;
    }
    // Directories, pipes and devices could block or never end.
    if (!info.isFile()) {
        fail(error, QStringLiteral("This is not a regular file."));
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, QStringLiteral("The file cannot be read (%1).").arg(file.errorString()));
        return nullptr;
    }
    const QByteArray head = file.read(FileSignatureLength);
    file.close();
    if (head.isEmpty()) {
        fail(error, QStringLiteral("The file is empty."));
        return nullptr;
    }
    const FileKind kind = detectFileKind(head);
    switch (kind) {
    case FileKind::Fits:
        return FitsFrameSource::openFile(path, error);
    case FileKind::Tiff:
    case FileKind::Png:
    case FileKind::Bmp:
    case FileKind::Jpeg:
        return QtImageFrameSource::openFile(path, kind, error);
    case FileKind::Unknown:
        break;
    }
    fail(error, unknownKindText());
    return nullptr;
}

std::unique_ptr<FrameSource> FrameSourceFactory::openData(const QByteArray& data, QString* error)
{
    if (data.isEmpty()) {
        fail(error, QStringLiteral("The file is empty."));
        return nullptr;
    }
    const FileKind kind = detectFileKind(data.left(FileSignatureLength));
    switch (kind) {
    case FileKind::Fits:
        return FitsFrameSource::openData(data, error);
    case FileKind::Tiff:
    case FileKind::Png:
    case FileKind::Bmp:
    case FileKind::Jpeg:
        return QtImageFrameSource::openData(data, kind, error);
    case FileKind::Unknown:
        break;
    }
    fail(error, unknownKindText());
    return nullptr;
}

} // namespace zelkir
