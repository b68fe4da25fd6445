#pragma once

#include "calibrationparameters.h"
#include "countrange.h"
#include "filekeyword.h"
#include "presetinfo.h"

#include <QString>

#include <cmath>

namespace zelkir {

/// What a source knows about itself once it is open. It never changes afterwards.
struct SourceInfo
{
    /// "FITS", "TIFF", "PNG", "BMP" or "JPEG".
    QString format;
    int width = 0;
    int height = 0;
    /// At least 1.
    int frameCount = 0;
    CountRange countRange;
    /// Nominal frames per second from the file; NaN when unknown.
    double frameRate = std::nan("");
    FileKeywords keywords;
    CalibrationParameters calibration;
    PresetInfo presets;
};

} // namespace zelkir
