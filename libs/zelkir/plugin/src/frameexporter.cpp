#include "frameexporter.h"

#include <zelkir/io/fitsrecordingwriter.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zelkir::FrameExporter {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("FrameExporter", text);
}

QString folderError(const QString& path)
{
    const QFileInfo file(path);
    if (!file.dir().exists())
        return tr("The folder %1 does not exist.").arg(QDir::toNativeSeparators(file.absolutePath()));
    return QString();
}

/// Writes `data` atomically.
QString saveBytes(const QString& path, const QByteArray& data)
{
    if (const QString error = folderError(path); !error.isEmpty())
        return error;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        return tr("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    }
    return QString();
}

} // namespace

QString localPath(const QVariant& target)
{
    if (target.typeId() == QMetaType::QUrl) {
        const QUrl url = target.toUrl();
        return url.isLocalFile() ? QDir::cleanPath(url.toLocalFile()) : QString();
    }
    const QString text = target.toString().trimmed();
    if (text.startsWith(QLatin1String("file:"))) {
        const QUrl url(text);
        return url.isLocalFile() ? QDir::cleanPath(url.toLocalFile()) : QString();
    }
    return text.isEmpty() ? QString() : QDir::cleanPath(text);
}

CalibrationParameters withCountScale(CalibrationParameters calibration, const CountScale& scale)
{
    if (scale == CountScale {})
        return calibration;
    const auto fold = [&scale](std::optional<LinearStep>& step) {
        if (step)
            step = LinearStep { step->gain * scale.scale, step->offset + step->gain * scale.offset };
    };
    fold(calibration.radiance);
    for (auto& step : calibration.presetRadiance)
        fold(step);
    return calibration;
}

QString writeFits(const QString& path, const Frame& frame, const CountRange& countRange,
    const CalibrationParameters& calibration, const FileKeywords& sourceKeywords)
{
    if (frame.width <= 0 || frame.height <= 0 || frame.counts.empty())
        return tr("There is no frame to save.");
    if (const QString error = folderError(path); !error.isEmpty())
        return error;
    RecordingHeader header;
    header.width = frame.width;
    header.height = frame.height;
    header.countRange = countRange;
    header.calibration = withCountScale(calibration, frame.scale);
    for (const char* name : { "DATE-OBS", "INSTRUME", "SERIALNO" }) {
        for (const FileKeyword& keyword : sourceKeywords) {
            if (keyword.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0
                && !keyword.value.isEmpty()) {
                header.keywords.append({ QLatin1String(name), keyword.value, keyword.comment });
                break;
            }
        }
    }
    header.keywords.append(
        { QStringLiteral("PRESET"), frame.preset, QStringLiteral("camera preset of the frame") });
    FitsRecordingWriter writer;
    QString error;
    if (!writer.create(path, header, &error) || !writer.append(frame.counts, frame.time, &error, frame.preset)
        || !writer.finish(&error)) {
        return error.isEmpty() ? tr("%1 cannot be written.").arg(QDir::toNativeSeparators(path)) : error;
    }
    return QString();
}

QString writeCsv(const QString& path, const Frame& frame, const QString& unitLine,
    const std::function<double(double physical)>& valueOf, const std::function<QString(double)>& text)
{
    if (frame.width <= 0 || frame.height <= 0 || frame.counts.empty())
        return tr("There is no frame to save.");
    QByteArray data = unitLine.toUtf8();
    data.append('\n');
    // Some 16 bytes a value; one allocation for the whole table.
    data.reserve(data.size() + qsizetype(frame.counts.size()) * 16);
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            if (x > 0)
                data.append(',');
            if (frame.hasValue(x, y))
                data.append(text(valueOf(frame.scale.toPhysical(frame.at(x, y)))).toUtf8());
        }
        data.append('\n');
    }
    return saveBytes(path, data);
}

QImage withColourBar(const QImage& image, const Palette& palette, const QList<Tick>& ticks)
{
    QImage result(image.width() + ColourBarWidth, image.height(), QImage::Format_RGB32);
    result.fill(Qt::white);
    QPainter painter(&result);
    painter.drawImage(0, 0, image);
    // The ramp: a narrow strip with a small margin, the lowest level at the bottom.
    const int margin = 4;
    const int rampLeft = image.width() + margin;
    const int rampWidth = 16;
    const int rampTop = std::min(margin, image.height() / 4);
    const int rampHeight = std::max(1, image.height() - 2 * rampTop);
    for (int row = 0; row < rampHeight; ++row) {
        const double fraction = rampHeight > 1 ? 1.0 - double(row) / double(rampHeight - 1) : 1.0;
        const int level = int(std::lround(fraction * double(Palette::Levels - 1)));
        painter.fillRect(rampLeft, rampTop + row, rampWidth, 1, QColor::fromRgb(palette.colour(level)));
    }
    // Texts need a font database, which only a GUI application has.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        painter.end();
        return result;
    }
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font);
    const int textLeft = rampLeft + rampWidth + 4;
    // From the bottom up, skipping any text that would run into the last one drawn.
    QList<Tick> sorted = ticks;
    std::sort(
        sorted.begin(), sorted.end(), [](const Tick& a, const Tick& b) { return a.position < b.position; });
    int lastTop = std::numeric_limits<int>::max();
    for (const Tick& tick : sorted) {
        if (!std::isfinite(tick.position) || tick.text.isEmpty())
            continue;
        const double position = std::clamp(tick.position, 0.0, 1.0);
        const int y = rampTop + int(std::lround((1.0 - position) * double(rampHeight - 1)));
        const int top
            = std::clamp(y - metrics.height() / 2, 0, std::max(0, result.height() - metrics.height()));
        if (top + metrics.height() > lastTop)
            continue;
        painter.drawLine(rampLeft + rampWidth, y, rampLeft + rampWidth + 2, y);
        painter.drawText(QRect(textLeft, top, ColourBarWidth - (textLeft - image.width()), metrics.height()),
            Qt::AlignLeft | Qt::AlignVCenter, tick.text);
        lastTop = top;
    }
    painter.end();
    return result;
}

QString writePng(const QString& path, const QImage& image, const Palette& palette, const QList<Tick>& ticks)
{
    if (image.isNull())
        return tr("There is no picture to save.");
    if (const QString error = folderError(path); !error.isEmpty())
        return error;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !withColourBar(image, palette, ticks).save(&file, "PNG")
        || !file.commit()) {
        return tr("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    }
    return QString();
}

} // namespace zelkir::FrameExporter
