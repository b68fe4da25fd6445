// libFuzzer target of every reader through a real file: the input is written to disk,
// opened by the factory, its frames read out of order and again, then the file is cut
// short and read once more. A frame read twice, or after the cut, must come out the same
// as the first time, or fail with a message.

#include "fuzzexercise.h"

#include <zelkir/io/framesourcefactory.h>

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <map>

namespace {

QString filePath;

struct Reading
{
    std::vector<quint16> counts;
    zelkir::CountScale scale;
};

/// Reads `index`; a success must match any earlier success of the same frame.
void readAndCompare(zelkir::FrameSource& source, int index, std::map<int, Reading>& seen)
{
    zelkir::Frame frame;
    QString error;
    if (!source.readFrame(index, frame, &error)) {
        if (error.isEmpty())
            __builtin_trap();
        return;
    }
    const std::size_t pixels = std::size_t(source.width()) * std::size_t(source.height());
    if (frame.counts.size() != pixels)
        __builtin_trap();
    const auto [earlier, first] = seen.try_emplace(index, Reading { frame.counts, frame.scale });
    if (!first && (earlier->second.counts != frame.counts || earlier->second.scale != frame.scale))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir;
    filePath = dir.filePath(QStringLiteral("input"));
    QImageReader::setAllocationLimit(64);
    zelkir::silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        QFile file(filePath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            __builtin_trap();
    }
    QString error;
    const auto source = zelkir::FrameSourceFactory::open(filePath, &error);
    if (!source) {
        if (error.isEmpty())
            __builtin_trap();
        return 0;
    }
    zelkir::exerciseSource(*source);
    if (qint64(source->width()) * source->height() > (1 << 20))
        return 0;

    const int last = source->frameCount() - 1;
    std::map<int, Reading> seen;
    for (int index : { last, 0, last / 2, last, 0, 1 % (last + 1) })
        readAndCompare(*source, index, seen);

    // The last input byte picks where the file is cut.
    const qint64 cut = size == 0 ? 0 : qint64(size) * data[size - 1] / 256;
    if (!QFile::resize(filePath, cut))
        __builtin_trap();
    for (int index : { 0, last, last / 2, 1 % (last + 1) })
        readAndCompare(*source, index, seen);
    return 0;
}
