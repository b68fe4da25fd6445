#pragma once

#include <zelk/cam/gic/featuretree.h>
#include <zelkir/io/calibrationparameters.h>

#include <QString>

#include <optional>

namespace zelkir {

/// A numeric feature's value; nothing when the camera lacks it, does not answer, or
/// gives a value that is not finite.
std::optional<double> readNumber(zelk::cam::gic::IFeatureTree& features, const char* name);

/// A text feature's value; empty when the camera lacks it or does not answer.
QString readText(zelk::cam::gic::IFeatureTree& features, const char* name);

/// The `Calibration*` features, the same quantities as a file's calibration keywords.
CalibrationParameters readCalibration(zelk::cam::gic::IFeatureTree& features);

} // namespace zelkir
