// Times opening a 2 GB FITS movie and reading its first frame, and the memory that
// takes, beside cfitsio's own bare open of the same file in the same run.
// bench_open [directory for the temporary movie]
#include <zelkir/io/frame.h>
#include <zelkir/io/framesourcefactory.h>

#include <fitsio.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

constexpr int Width = 640;
constexpr int Height = 512;
constexpr int Frames = 3300; // 640 x 512 x 16 bits x 3300 = 2.16 GB
constexpr qint64 Block = 2880;
constexpr int Rounds = 21;

QByteArray card(const QByteArray& name, const QByteArray& value)
{
    return (name.leftJustified(8, ' ') + "= " + value.rightJustified(20, ' ')).leftJustified(80, ' ');
}

// A header followed by sparse data: the file has the full length without the disk work.
bool writeMovie(const QString& path)
{
    QByteArray header = card("SIMPLE", "T") + card("BITPIX", "16") + card("NAXIS", "3")
        + card("NAXIS1", QByteArray::number(Width)) + card("NAXIS2", QByteArray::number(Height))
        + card("NAXIS3", QByteArray::number(Frames)) + card("BZERO", "32768") + card("BSCALE", "1")
        + QByteArray("END").leftJustified(80, ' ');
    header = header.leftJustified(int((header.size() + Block - 1) / Block * Block), ' ');
    const qint64 data = qint64(Width) * Height * 2 * Frames;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(header) == header.size()
        && file.resize(header.size() + (data + Block - 1) / Block * Block);
}

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong();
    return -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double peerOpenMs(const QByteArray& path)
{
    QElapsedTimer timer;
    timer.start();
    fitsfile* file = nullptr;
    int status = 0;
    int bitpix = 0;
    int axes = 0;
    long size[3] = {};
    fits_open_file(&file, path.constData(), READONLY, &status);
    fits_get_img_param(file, 3, &bitpix, &axes, size, &status);
    fits_close_file(file, &status);
    return status == 0 ? timer.nsecsElapsed() / 1e6 : -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QTextStream out(stdout);
    QTemporaryDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/bench_open-XXXXXX")
                               : QString());
    const QString path = dir.filePath(QStringLiteral("movie.fits"));
    if (!dir.isValid() || !writeMovie(path)) {
        out << "cannot write the test movie in " << dir.path() << "\n";
        return 1;
    }
    out << QStringLiteral("movie: %1 frames of %2 x %3, %4 GB\n")
               .arg(Frames)
               .arg(Width)
               .arg(Height)
               .arg(QFile(path).size() / 1e9, 0, 'f', 2);

    std::vector<double> opens;
    std::vector<double> firstFrames;
    std::vector<double> peers;
    qint64 residentGrowth = 0;
    for (int round = 0; round < Rounds; ++round) {
        const qint64 residentBefore = residentKiB();
        QElapsedTimer timer;
        timer.start();
        QString error;
        auto source = zelkir::FrameSourceFactory::open(path, &error);
        opens.push_back(timer.nsecsElapsed() / 1e6);
        if (!source || source->frameCount() != Frames) {
            out << "open failed: " << error << "\n";
            return 1;
        }
        zelkir::Frame frame;
        timer.restart();
        if (!source->readFrame(0, frame, &error)) {
            out << "frame read failed: " << error << "\n";
            return 1;
        }
        firstFrames.push_back(timer.nsecsElapsed() / 1e6);
        residentGrowth = std::max(residentGrowth, residentKiB() - residentBefore);
        source.reset();
        peers.push_back(peerOpenMs(QFile::encodeName(path)));
    }

    const double open = median(opens);
    const double peer = median(peers);
    out << QStringLiteral("open (header, keywords, calibration): %1 ms   cfitsio bare open: %2 ms   ratio %3\n")
               .arg(open, 0, 'f', 3)
               .arg(peer, 0, 'f', 3)
               .arg(open / peer, 0, 'f', 2);
    out << QStringLiteral("open + first frame: %1 ms   (goal under 100 ms)\n")
               .arg(open + median(firstFrames), 0, 'f', 3);
    out << QStringLiteral("resident growth while open with one frame: %1 MB   (process total %2 MB; goal under 100 MB)\n")
               .arg(residentGrowth / 1024.0, 0, 'f', 1)
               .arg(residentKiB() / 1024.0, 0, 'f', 1);
    return 0;
}
