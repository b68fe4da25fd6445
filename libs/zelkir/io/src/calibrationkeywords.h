#pragma once

#include <zelkir/io/calibrationparameters.h>
#include <zelkir/io/filekeyword.h>
#include <zelkir/io/recordingheader.h>

namespace zelkir {

/// The calibration a file's keywords describe (see FITS-KEYWORDS.md). Values that are
/// missing, not numbers or out of their range leave their part out.
CalibrationParameters calibrationFromKeywords(const FileKeywords& keywords);

/// The keywords that calibrationFromKeywords() reads back as `parameters`, as doubles;
/// parts with a value that is not finite are left out.
QList<RecordingKeyword> calibrationKeywords(const CalibrationParameters& parameters);

} // namespace zelkir
