#include "calibrationkeywords.h"

#include "keywordvalue.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

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

bool allFinite(std::initializer_list<double> values)
{
    return std::all_of(values.begin(), values.end(), [](double value) { return std::isfinite(value); });
}

void addNumber(QList<RecordingKeyword>& cards, const QString& name, double value, const QString& comment)
{
    cards.append({ name, value, comment });
}

void addStep(QList<RecordingKeyword>& cards, const std::optional<LinearStep>& step, const QString& suffix,
    const QString& what)
{
    if (!step || !allFinite({ step->gain, step->offset }))
        return;
    addNumber(cards, QStringLiteral("RADGAIN") + suffix, step->gain,
        QStringLiteral("[W/(m2 sr)] radiance per count") + what);
    addNumber(cards, QStringLiteral("RADOFFS") + suffix, step->offset,
        QStringLiteral("[W/(m2 sr)] radiance at count 0") + what);
}

} // namespace

QList<RecordingKeyword> calibrationKeywords(const CalibrationParameters& parameters)
{
    QList<RecordingKeyword> cards;
    addStep(cards, parameters.radiance, QString(), QString());
    for (int preset = 0; preset < PresetInfo::MaxPresets; ++preset) {
        addStep(cards, parameters.presetRadiance[std::size_t(preset)], QString::number(preset),
            QStringLiteral(" of the preset"));
    }
    const auto& planck = parameters.planck;
    if (planck && allFinite({ planck->r, planck->b, planck->f, planck->o })) {
        addNumber(cards, QStringLiteral("PLANCK_R"), planck->r, QStringLiteral("[W/(m2 sr)] Planck curve R"));
        addNumber(cards, QStringLiteral("PLANCK_B"), planck->b, QStringLiteral("[K] Planck curve B"));
        addNumber(cards, QStringLiteral("PLANCK_F"), planck->f, QStringLiteral("Planck curve F"));
        addNumber(cards, QStringLiteral("PLANCK_O"), planck->o, QStringLiteral("[W/(m2 sr)] Planck curve O"));
    }
    const auto& user = parameters.userRadiance;
    if (user && allFinite({ user->gain, user->offset })) {
        addNumber(cards, QStringLiteral("USRGAIN"), user->gain, QStringLiteral("user radiance per radiance"));
        addNumber(cards, QStringLiteral("USROFFS"), user->offset,
            QStringLiteral("[W/(m2 sr)] user radiance offset"));
    }
    if (parameters.emissivity && std::isfinite(*parameters.emissivity))
        addNumber(
            cards, QStringLiteral("EMISSIV"), *parameters.emissivity, QStringLiteral("object emissivity"));
    if (parameters.reflectedKelvin && std::isfinite(*parameters.reflectedKelvin)) {
        addNumber(cards, QStringLiteral("REFLTEMP"), *parameters.reflectedKelvin,
            QStringLiteral("[K] reflected apparent temperature"));
    }
    if (parameters.atmosphereTransmission && std::isfinite(*parameters.atmosphereTransmission)) {
        addNumber(cards, QStringLiteral("ATMTRANS"), *parameters.atmosphereTransmission,
            QStringLiteral("atmosphere transmission"));
    }
    if (parameters.atmosphereKelvin && std::isfinite(*parameters.atmosphereKelvin)) {
        addNumber(cards, QStringLiteral("ATMTEMP"), *parameters.atmosphereKelvin,
            QStringLiteral("[K] atmosphere temperature"));
    }
    return cards;
}

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
    const std::optional<double> transmission = keywordNumber(keywords, QStringLiteral("ATMTRANS"));
    if (transmission && *transmission > 0.0 && *transmission <= 1.0)
        parameters.atmosphereTransmission = transmission;
    const std::optional<double> air = keywordNumber(keywords, QStringLiteral("ATMTEMP"));
    if (air && *air > 0.0)
        parameters.atmosphereKelvin = air;
    return parameters;
}

} // namespace zelkir
