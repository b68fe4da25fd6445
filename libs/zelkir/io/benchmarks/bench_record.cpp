// Times appending 640 x 512 frames to a FITS recording, beside writing the same bytes
// straight to a file, and the time finish() takes.
// bench_record [directory for the temporary files]
#include <zelkir/io/fitsrecordingwriter.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <vector>

namespace {

constexpr int Width = 640;
constexpr int Height = 512;
constexpr int Frames = 600;

} // namespace

int main(int argc, char* argv[])
{
    QTextStream out(stdout);
    QTemporaryDir dir(
        argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/bench_record-XXXXXX") : QString());
    if (!dir.isValid()) {
        out << "no temporary directory\n";
        return 1;
    }
    std::vector<quint16> counts(std::size_t(Width) * Height);
    for (std::size_t i = 0; i < counts.size(); ++i)
        counts[i] = quint16(i % 16384);

    QFile raw(dir.filePath(QStringLiteral("raw.bin")));
    if (!raw.open(QIODevice::WriteOnly))
        return 1;
    QElapsedTimer timer;
    timer.start();
    const auto bytes = qint64(counts.size() * sizeof(quint16));
    for (int f = 0; f < Frames; ++f)
        raw.write(reinterpret_cast<const char*>(counts.data()), bytes);
    raw.flush();
    const double rawMs = double(timer.nsecsElapsed()) / 1e6;
    raw.close();
    raw.remove();

    zelkir::RecordingHeader header;
    header.width = Width;
    header.height = Height;
    header.countRange = { 0, 16383 };
    zelkir::FitsRecordingWriter writer;
    QString error;
    if (!writer.create(dir.filePath(QStringLiteral("rec.fits")), header, &error)) {
        out << error << "\n";
        return 1;
    }
    timer.restart();
    for (int f = 0; f < Frames; ++f) {
        if (!writer.append(counts, f / 60.0, &error)) {
            out << error << "\n";
            return 1;
        }
    }
    const double appendMs = double(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    if (!writer.finish(&error)) {
        out << error << "\n";
        return 1;
    }
    const double finishMs = double(timer.nsecsElapsed()) / 1e6;

    out << Frames << " frames of " << Width << " x " << Height << ": append " << appendMs / Frames
        << " ms per frame (plain file write " << rawMs / Frames << " ms); finish " << finishMs << " ms\n";
    return 0;
}
