#pragma once

#include <zelkir/io/calibrationparameters.h>
#include <zelkir/io/countrange.h>
#include <zelkir/io/filekeyword.h>
#include <zelkir/io/frame.h>
#include <zelkir/pipeline/palette.h>

#include <QImage>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

namespace zelkir {

/// Saving the frame a document shows: its counts as FITS, its values as CSV, the picture
/// with a colour bar as PNG. Every function writes under a temporary name and renames, so
/// a failure never leaves a partial file under the chosen name, and answers a sentence for
/// the user, empty on success. One frame is quick to write: callers may use the GUI thread.
namespace FrameExporter {

/// A local file path from a QML url or a path text; empty when it names no local file.
QString localPath(const QVariant& target);

/// `frame` as a one-frame FITS file the file player reads back with the same counts,
/// values and calibration: `calibration` (with the object parameters) goes into the
/// header, folded with the frame's count scale when that is not the identity, with the
/// frame's time and preset, the count range and the source's date, instrument and serial
/// number keywords when present. Pixels without a value keep their neutral count, since
/// the file's integer counts have no room to mark them.
QString writeFits(const QString& path, const Frame& frame, const CountRange& countRange,
    const CalibrationParameters& calibration, const FileKeywords& sourceKeywords);

/// `frame` in a unit: `unitLine` as a first comment line ("# unit: ..."), then one line per
/// image row, top row first, values comma separated as `text` writes them (empty for
/// pixels without a value). `valueOf` turns a physical value into the unit.
QString writeCsv(const QString& path, const Frame& frame, const QString& unitLine,
    const std::function<double(double physical)>& valueOf, const std::function<QString(double)>& text);

/// A tick of the colour bar: `position` 0 at the bottom to 1 at the top.
struct Tick
{
    double position = 0.0;
    QString text;
};

/// Width of the colour bar beside the picture, pixels.
constexpr int ColourBarWidth = 96;

/// `image` with the palette's ramp ColourBarWidth pixels wide on its right, labelled with
/// `ticks`; ticks that would overlap the one below are left out.
QImage withColourBar(const QImage& image, const Palette& palette, const QList<Tick>& ticks);
QString writePng(const QString& path, const QImage& image, const Palette& palette, const QList<Tick>& ticks);

/// `calibration` for counts whose physical value was `scale` applied to them: the
/// radiance steps take the scale in, so they work on the counts themselves.
CalibrationParameters withCountScale(CalibrationParameters calibration, const CountScale& scale);

} // namespace FrameExporter

} // namespace zelkir
