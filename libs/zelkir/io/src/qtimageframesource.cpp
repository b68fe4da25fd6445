#include "qtimageframesource.h"

#include "calibrationkeywords.h"
#include "imagecounts.h"
#include "logging.h"
#include "pngchunkcheck.h"
#include "presetkeywords.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>

namespace zelkir {

namespace {

// Keeps a corrupt page count from turning into a huge frame count.
constexpr int MaxPages = 1 << 20;
constexpr int MaxKeywordLength = 4096;

void fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QByteArray readerFormat(FileKind kind)
{
    switch (kind) {
    case FileKind::Tiff:
        return QByteArrayLiteral("tiff");
    case FileKind::Png:
        return QByteArrayLiteral("png");
    case FileKind::Bmp:
        return QByteArrayLiteral("bmp");
    case FileKind::Jpeg:
        return QByteArrayLiteral("jpeg");
    case FileKind::Fits:
    case FileKind::Unknown:
        break;
    }
    return QByteArray();
}

std::unique_ptr<QImageReader> makeReader(QIODevice* device, const QByteArray& format)
{
    device->seek(0);
    auto reader = std::make_unique<QImageReader>(device, format);
    reader->setAutoTransform(false);
    reader->setDecideFormatFromContent(false);
    return reader;
}

FileKeywords imageKeywords(const QImage& image)
{
    FileKeywords keywords;
    const QStringList keys = image.textKeys();
    for (const QString& key : keys) {
        if (key.trimmed().isEmpty())
            continue;
        keywords.append(
            FileKeyword { key.trimmed(), image.text(key).trimmed().left(MaxKeywordLength), QString() });
    }
    return keywords;
}

} // namespace

QtImageFrameSource::QtImageFrameSource(
    SourceInfo info, std::unique_ptr<QIODevice> device, QByteArray format, std::vector<quint16> firstPage)
    : FrameSource(std::move(info))
    , m_device(std::move(device))
    , m_openedSize(m_device->size())
    , m_format(std::move(format))
    , m_cachedCounts(std::move(firstPage))
{
}

QtImageFrameSource::~QtImageFrameSource() = default;

std::unique_ptr<FrameSource> QtImageFrameSource::openFile(const QString& path, FileKind kind, QString* error)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        fail(error, QStringLiteral("The file cannot be read (%1).").arg(file->errorString()));
        return nullptr;
    }
    return open(std::move(file), kind, error);
}

std::unique_ptr<FrameSource> QtImageFrameSource::openData(
    const QByteArray& data, FileKind kind, QString* error)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(data);
    buffer->open(QIODevice::ReadOnly);
    return open(std::move(buffer), kind, error);
}

std::unique_ptr<FrameSource> QtImageFrameSource::open(
    std::unique_ptr<QIODevice> device, FileKind kind, QString* error)
{
    const QByteArray format = readerFormat(kind);
    const QString name = fileKindName(kind);
    if (format.isEmpty() || !QImageReader::supportedImageFormats().contains(format)) {
        fail(error, QStringLiteral("Reading %1 images needs Qt's image format plugins.").arg(name));
        return nullptr;
    }
    if (kind == FileKind::Png && !pngChunksFitFile(*device)) {
        fail(error, QStringLiteral("The PNG image is truncated or corrupt."));
        return nullptr;
    }
    std::unique_ptr<QImageReader> reader = makeReader(device.get(), format);
    const int pages = std::clamp(reader->imageCount(), 1, MaxPages);
    QImage first;
    if (!reader->read(&first)) {
        fail(error, QStringLiteral("The %1 image cannot be read (%2).").arg(name, reader->errorString()));
        return nullptr;
    }
    if (first.isNull() || first.width() < 1 || first.height() < 1) {
        fail(error, QStringLiteral("The %1 image is empty.").arg(name));
        return nullptr;
    }

    SourceInfo info;
    info.format = name;
    info.width = first.width();
    info.height = first.height();
    info.frameCount = pages;
    std::vector<quint16> counts;
    const int depth = ImageCounts::convert(first, counts);
    info.countRange = CountRange { 0, quint16(depth == 16 ? 65535 : 255) };
    info.keywords = imageKeywords(first);
    // Text entries named like FITS keywords describe calibration and presets the same way.
    info.calibration = calibrationFromKeywords(info.keywords);
    info.presets = presetInfoFromKeywords(info.keywords);
    qCDebug(lcZelkirIo) << name << info.width << "x" << info.height << "pages" << pages << "depth" << depth;
    return std::unique_ptr<FrameSource>(
        new QtImageFrameSource(std::move(info), std::move(device), format, std::move(counts)));
}

bool QtImageFrameSource::doReadFrame(int index, Frame& out, QString* error)
{
    out.scale = CountScale {};
    if (index == m_cachedIndex && !m_cachedCounts.empty()) {
        out.counts = m_cachedCounts;
        return true;
    }
    QImage image;
    if (!decodePage(index, image, error))
        return false;
    if (image.width() != width() || image.height() != height()) {
        fail(error,
            QStringLiteral("Page %1 is %2 x %3 pixels, unlike the first page of %4 x %5.")
                .arg(index + 1)
                .arg(image.width())
                .arg(image.height())
                .arg(width())
                .arg(height()));
        return false;
    }
    ImageCounts::convert(image, m_cachedCounts);
    m_cachedIndex = index;
    out.counts = m_cachedCounts;
    return true;
}

bool QtImageFrameSource::decodePage(int index, QImage& image, QString* error)
{
    if (m_device->size() < m_openedSize) {
        fail(error, QStringLiteral("Page %1 cannot be read: the file was cut short after it was opened.")
                        .arg(index + 1));
        m_reader.reset();
        return false;
    }
    // A reader cannot rewind a single image, and a failed read may leave it stuck, so
    // each page gets a fresh reader unless the current one can jump there.
    if (!m_reader || frameCount() == 1 || !m_reader->jumpToImage(index)) {
        m_reader = makeReader(m_device.get(), m_format);
        if (index > 0 && !m_reader->jumpToImage(index)) {
            fail(error,
                QStringLiteral("Page %1 cannot be found (%2).").arg(index + 1).arg(m_reader->errorString()));
            m_reader.reset();
            return false;
        }
    }
    if (!m_reader->read(&image)) {
        fail(error,
            QStringLiteral("Page %1 cannot be read (%2).").arg(index + 1).arg(m_reader->errorString()));
        m_reader.reset();
        return false;
    }
    return true;
}

} // namespace zelkir
