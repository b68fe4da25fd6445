#pragma once

#include <zelkir/io/calibrationparameters.h>
#include <zelkir/io/filekeyword.h>

namespace zelkir {

/// The calibration a file's keywords describe (see FITS-KEYWORDS.md). Values that are
/// missing, not numbers or out of their range leave their part out.
CalibrationParameters calibrationFromKeywords(const FileKeywords& keywords);

} // namespace zelkir
