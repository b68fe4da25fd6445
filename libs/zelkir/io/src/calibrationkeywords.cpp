#include "calibrationkeywords.h"

#include "keywordvalue.h"

namespace zelkir {

namespace {

std::optional<LinearStep> linearStep(
    const FileKeywords& keywords, const QString& gainName, const QString& offsetName, double defaultOffset)
{
    const std::optional<double> gain = keywordNumber(keywords, gainName);
    if (!gain || *gain == 0.0)
        return std::nullopt;
    return LinearStep { *gain, keywordNumber(keywords, offsetName).value_or(defaultOffset) };
}

std::optional<PlanckCurve> planckCurve(const FileKeywords& keywords)
{
    const std::optional<double> r = keywordNumber(keywords, QStringLiteral("PLANCK_R"));
    const std::optional<double> b = keywordNumber(keywords, QStringLiteral("PLANCK_B"));
    if (!r || !b || *r <= 0.0 || *b <= 0.0)
        return std::nullopt;
    return PlanckCurve { *r, *b, keywordNumber(keywords, QStringLiteral("PLANCK_F")).value_or(1.0),
        keywordNumber(keywords, QStringLiteral("PLANCK_O")).value_or(0.0) };
}

} // namespace

CalibrationParameters calibrationFromKeywords(const FileKeywords& keywords)
{
    CalibrationParameters parameters;
    parameters.radiance = linearStep(keywords, QStringLiteral("RADGAIN"), QStringLiteral("RADOFFS"), 0.0);
    const double sharedOffset = parameters.radiance ? parameters.radiance->offset : 0.0;
    for (int preset = 0; preset < PresetInfo::MaxPresets; ++preset) {
        parameters.presetRadiance[std::size_t(preset)] = linearStep(keywords,
            QStringLiteral("RADGAIN%1").arg(preset), QStringLiteral("RADOFFS%1").arg(preset), sharedOffset);
    }
    parameters.planck = planckCurve(keywords);

    const std::optional<double> userGain = keywordNumber(keywords, QStringLiteral("USRGAIN"));
    const std::optional<double> userOffset = keywordNumber(keywords, QStringLiteral("USROFFS"));
    if ((userGain && *userGain != 0.0) || (!userGain && userOffset))
        parameters.userRadiance = LinearStep { userGain.value_or(1.0), userOffset.value_or(0.0) };

    const std::optional<double> emissivity = keywordNumber(keywords, QStringLiteral("EMISSIV"));
    if (emissivity && *emissivity > 0.0 && *emissivity <= 1.0)
        parameters.emissivity = emissivity;
    const std::optional<double> reflected = keywordNumber(keywords, QStringLiteral("REFLTEMP"));
    if (reflected && *reflected > 0.0)
        parameters.reflectedKelvin = reflected;
    return parameters;
}

} // namespace zelkir
