#pragma once

#include <zelkir/io/filekind.h>
#include <zelkir/io/framesource.h>

#include <QIODevice>
#include <QImageReader>

#include <memory>
#include <vector>

namespace zelkir {

/// TIFF (every page a frame), PNG, BMP and JPEG through Qt's image readers, one page
/// decoded at a time. Grey images keep their counts; colour images become luma (see
/// ImageCounts). The image's text entries are its keywords.
class QtImageFrameSource final : public FrameSource
{
public:
    static std::unique_ptr<FrameSource> openFile(const QString& path, FileKind kind, QString* error);
    /// Reads from a copy of `data` held by the source.
    static std::unique_ptr<FrameSource> openData(const QByteArray& data, FileKind kind, QString* error);
    ~QtImageFrameSource() override;

private:
    QtImageFrameSource(SourceInfo info, std::unique_ptr<QIODevice> device, QByteArray format,
        std::vector<quint16> firstPage);

    static std::unique_ptr<FrameSource> open(
        std::unique_ptr<QIODevice> device, FileKind kind, QString* error);

    bool doReadFrame(int index, Frame& out, QString* error) override;
    bool decodePage(int index, QImage& image, QString* error);

    std::unique_ptr<QIODevice> m_device;
    /// Decoders fill in what a shrunken file no longer holds, so pages are refused then.
    qint64 m_openedSize = 0;
    QByteArray m_format;
    std::unique_ptr<QImageReader> m_reader;
    // The last page decoded, so a still image shown again and again is decoded once.
    int m_cachedIndex = 0;
    std::vector<quint16> m_cachedCounts;
};

} // namespace zelkir
