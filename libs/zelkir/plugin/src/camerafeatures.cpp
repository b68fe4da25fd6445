#include "camerafeatures.h"

#include <QtMath>

#include <string>

namespace zelkir {

using zelk::cam::gic::FeatureValue;
using zelk::cam::gic::IFeatureTree;

std::optional<double> readNumber(IFeatureTree& features, const char* name)
{
    FeatureValue value;
    std::string error;
    if (!features.read(name, value, error))
        return std::nullopt;
    if (const double* number = std::get_if<double>(&value))
        return qIsFinite(*number) ? std::optional<double>(*number) : std::nullopt;
    if (const std::int64_t* number = std::get_if<std::int64_t>(&value))
        return double(*number);
    return std::nullopt;
}

QString readText(IFeatureTree& features, const char* name)
{
    FeatureValue value;
    std::string error;
    if (!features.read(name, value, error))
        return {};
    const std::string* text = std::get_if<std::string>(&value);
    return text ? QString::fromStdString(*text).trimmed() : QString();
}

CalibrationParameters readCalibration(IFeatureTree& features)
{
    CalibrationParameters calibration;
    const std::optional<double> gain = readNumber(features, "CalibrationRadianceGain");
    const std::optional<double> offset = readNumber(features, "CalibrationRadianceOffset");
    if (gain && *gain != 0.0)
        calibration.radiance = LinearStep { *gain, offset.value_or(0.0) };
    const std::optional<double> r = readNumber(features, "CalibrationPlanckR");
    const std::optional<double> b = readNumber(features, "CalibrationPlanckB");
    if (calibration.radiance && r && b && *r > 0.0 && *b > 0.0) {
        calibration.planck = PlanckCurve { *r, *b, readNumber(features, "CalibrationPlanckF").value_or(1.0),
            readNumber(features, "CalibrationPlanckO").value_or(0.0) };
    }
    return calibration;
}

} // namespace zelkir
