#include "objectparameters.h"

#include <zelkir/io/atmospheretransmission.h>

#include <QJsonValue>

#include <algorithm>
#include <cmath>

namespace zelkir {

namespace {

bool within(double value, double low, double high)
{
    return value >= low && value <= high; // false for NaN
}

} // namespace

ObjectParameters::ObjectParameters(QObject* parent)
    : QObject(parent)
{
}

void ObjectParameters::setSource(const CalibrationParameters& source)
{
    // The same source again (a camera reconnecting) keeps what the user set.
    const bool same = m_hasSource && source == m_source;
    m_source = source;
    m_hasSource = true;
    const bool available = m_source.hasRadiance() && m_source.planck.has_value();
    if (available != m_available) {
        m_available = available;
        Q_EMIT availableChanged();
    }
    if (!same) {
        Values values = sourceValues();
        if (m_pending) {
            values = merged(values, *m_pending);
            m_pending.reset();
        }
        m_values = withModel(values);
    }
    // A new source changes the calibration even where the parameters stay the same.
    Q_EMIT emissivityChanged();
    Q_EMIT reflectedTemperatureChanged();
    Q_EMIT atmosphereTemperatureChanged();
    Q_EMIT transmissionChanged();
    Q_EMIT useAtmosphereModelChanged();
    Q_EMIT distanceChanged();
    Q_EMIT relativeHumidityChanged();
    Q_EMIT calibrationChanged();
}

void ObjectParameters::setTemperatureScale(TemperatureScale scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    Q_EMIT reflectedTemperatureChanged();
    Q_EMIT atmosphereTemperatureChanged();
}

CalibrationParameters ObjectParameters::calibration() const
{
    CalibrationParameters parameters = m_source;
    if (!m_available)
        return parameters;
    parameters.emissivity = m_values.emissivity;
    parameters.reflectedKelvin = m_values.reflectedKelvin;
    parameters.atmosphereTransmission = m_values.transmission;
    parameters.atmosphereKelvin = m_values.atmosphereKelvin;
    return parameters;
}

void ObjectParameters::setEmissivity(double emissivity)
{
    Values values = m_values;
    values.emissivity = emissivity;
    if (isValid(values))
        edit(values);
}

double ObjectParameters::reflectedTemperature() const
{
    return Calibration::fromKelvin(m_values.reflectedKelvin, m_scale);
}

void ObjectParameters::setReflectedTemperature(double value)
{
    Values values = m_values;
    values.reflectedKelvin = Calibration::toKelvin(value, m_scale);
    if (isValid(values))
        edit(values);
}

double ObjectParameters::atmosphereTemperature() const
{
    return Calibration::fromKelvin(m_values.atmosphereKelvin, m_scale);
}

void ObjectParameters::setAtmosphereTemperature(double value)
{
    Values values = m_values;
    values.atmosphereKelvin = Calibration::toKelvin(value, m_scale);
    if (isValid(values))
        edit(values);
}

double ObjectParameters::transmission() const
{
    return m_values.transmission;
}

void ObjectParameters::setTransmission(double transmission)
{
    if (m_values.useAtmosphereModel)
        return;
    Values values = m_values;
    values.transmission = transmission;
    if (isValid(values))
        edit(values);
}

void ObjectParameters::setUseAtmosphereModel(bool use)
{
    Values values = m_values;
    values.useAtmosphereModel = use;
    edit(values);
}

void ObjectParameters::setDistance(double metres)
{
    Values values = m_values;
    values.distance = metres;
    if (isValid(values))
        edit(values);
}

void ObjectParameters::setRelativeHumidity(double percent)
{
    Values values = m_values;
    values.relativeHumidity = percent;
    if (isValid(values))
        edit(values);
}

void ObjectParameters::reset()
{
    edit(sourceValues());
}

ObjectParameters::Values ObjectParameters::sourceValues() const
{
    Values values;
    // Values a file may carry but the fields could not hold fall back to the defaults.
    if (m_source.emissivity && within(*m_source.emissivity, MinimumEmissivity, 1.0))
        values.emissivity = *m_source.emissivity;
    if (m_source.reflectedKelvin
        && within(*m_source.reflectedKelvin, MinimumReflectedKelvin, MaximumReflectedKelvin))
        values.reflectedKelvin = *m_source.reflectedKelvin;
    values.atmosphereKelvin = values.reflectedKelvin;
    if (m_source.atmosphereKelvin
        && within(*m_source.atmosphereKelvin, MinimumAtmosphereKelvin, MaximumAtmosphereKelvin))
        values.atmosphereKelvin = *m_source.atmosphereKelvin;
    if (!within(values.atmosphereKelvin, MinimumAtmosphereKelvin, MaximumAtmosphereKelvin))
        values.atmosphereKelvin = Values().atmosphereKelvin;
    if (m_source.atmosphereTransmission && within(*m_source.atmosphereTransmission, MinimumTransmission, 1.0))
        values.transmission = *m_source.atmosphereTransmission;
    return values;
}

bool ObjectParameters::isValid(const Values& values)
{
    return within(values.emissivity, MinimumEmissivity, 1.0)
        && within(values.reflectedKelvin, MinimumReflectedKelvin, MaximumReflectedKelvin)
        && within(values.atmosphereKelvin, MinimumAtmosphereKelvin, MaximumAtmosphereKelvin)
        && within(values.transmission, MinimumTransmission, 1.0)
        && within(values.distance, 0.0, MaximumDistance) && within(values.relativeHumidity, 0.0, 100.0);
}

ObjectParameters::Values ObjectParameters::withModel(Values values)
{
    if (values.useAtmosphereModel) {
        // Beyond some tens of kilometres the model's transmission falls towards nothing;
        // the correction would then divide by it, so it stops at the lowest typed value.
        const double modelled = AtmosphereModel::transmission(
            values.distance, values.relativeHumidity, values.atmosphereKelvin);
        values.transmission = std::isnan(modelled) ? 1.0 : std::clamp(modelled, MinimumTransmission, 1.0);
    }
    return values;
}

void ObjectParameters::edit(const Values& values)
{
    if (assign(values))
        Q_EMIT edited();
}

bool ObjectParameters::assign(Values values)
{
    values = withModel(values);
    const Values old = m_values;
    m_values = values;
    bool changed = false;
    const auto check = [&changed](bool differs, void (ObjectParameters::*signal)(), ObjectParameters* self) {
        if (differs) {
            changed = true;
            Q_EMIT(self->*signal)();
        }
    };
    check(old.emissivity != values.emissivity, &ObjectParameters::emissivityChanged, this);
    check(
        old.reflectedKelvin != values.reflectedKelvin, &ObjectParameters::reflectedTemperatureChanged, this);
    check(old.atmosphereKelvin != values.atmosphereKelvin, &ObjectParameters::atmosphereTemperatureChanged,
        this);
    check(old.transmission != values.transmission, &ObjectParameters::transmissionChanged, this);
    check(old.useAtmosphereModel != values.useAtmosphereModel, &ObjectParameters::useAtmosphereModelChanged,
        this);
    check(old.distance != values.distance, &ObjectParameters::distanceChanged, this);
    check(old.relativeHumidity != values.relativeHumidity, &ObjectParameters::relativeHumidityChanged, this);
    if (changed)
        Q_EMIT calibrationChanged();
    return changed;
}

QJsonObject ObjectParameters::toJson() const
{
    return QJsonObject {
        { QStringLiteral("emissivity"), m_values.emissivity },
        { QStringLiteral("reflectedKelvin"), m_values.reflectedKelvin },
        { QStringLiteral("atmosphereKelvin"), m_values.atmosphereKelvin },
        { QStringLiteral("transmission"), m_values.transmission },
        { QStringLiteral("useAtmosphereModel"), m_values.useAtmosphereModel },
        { QStringLiteral("distance"), m_values.distance },
        { QStringLiteral("relativeHumidity"), m_values.relativeHumidity },
    };
}

void ObjectParameters::applyJson(const QJsonObject& json)
{
    // Before the source is open its values are unknown: these go over them once it is.
    if (!m_hasSource) {
        m_pending = json;
        return;
    }
    assign(merged(m_values, json));
}

ObjectParameters::Values ObjectParameters::merged(Values values, const QJsonObject& json)
{
    // Each member on its own: one damaged value does not cost the others.
    const auto take = [&](const char* name, double Values::*member) {
        const QJsonValue value = json.value(QLatin1String(name));
        if (!value.isDouble())
            return;
        Values candidate = values;
        candidate.*member = value.toDouble();
        if (isValid(candidate))
            values = candidate;
    };
    take("emissivity", &Values::emissivity);
    take("reflectedKelvin", &Values::reflectedKelvin);
    take("atmosphereKelvin", &Values::atmosphereKelvin);
    take("transmission", &Values::transmission);
    take("distance", &Values::distance);
    take("relativeHumidity", &Values::relativeHumidity);
    const QJsonValue model = json.value(QLatin1String("useAtmosphereModel"));
    if (model.isBool())
        values.useAtmosphereModel = model.toBool();
    return values;
}

} // namespace zelkir
