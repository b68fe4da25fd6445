// libFuzzer target of the TIFF, PNG, BMP and JPEG reader, fed through a QBuffer.

#include "fuzzexercise.h"
#include "qtimageframesource.h"

#include <QCoreApplication>
#include <QImageReader>

#include <cstddef>
#include <cstdint>

namespace {

zelkir::FileKind kindFor(const QByteArray& bytes)
{
    const zelkir::FileKind kind = zelkir::detectFileKind(bytes.left(zelkir::FileSignatureLength));
    if (kind != zelkir::FileKind::Unknown && kind != zelkir::FileKind::Fits)
        return kind;
    // Broken signatures still reach a decoder, chosen by the first byte.
    static const zelkir::FileKind kinds[]
        = { zelkir::FileKind::Tiff, zelkir::FileKind::Png, zelkir::FileKind::Bmp, zelkir::FileKind::Jpeg };
    return kinds[bytes.isEmpty() ? 0 : uchar(bytes.at(0)) % 4];
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Qt finds its image format plugins through the application object.
    static QCoreApplication app(*argc, *argv);
    QImageReader::setAllocationLimit(64);
    zelkir::silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const auto source = zelkir::QtImageFrameSource::openData(bytes, kindFor(bytes), &error);
    if (source)
        zelkir::exerciseSource(*source);
    else if (error.isEmpty())
        __builtin_trap();
    return 0;
}
