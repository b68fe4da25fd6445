#pragma once

#include <zelkir/io/calibration.h>

#include <QJsonObject>
#include <QObject>
#include <qqmlregistration.h>

#include <optional>

namespace zelkir {

/// What the user says about the measured object and the air in front of it: the inputs of
/// the user units (see Calibration). Temperatures are shown and typed in the document's
/// temperature scale and kept in kelvin, so they stay put when the scale changes. Writes
/// out of range, or that are not numbers, are refused and change nothing.
///
/// With `useAtmosphereModel` the transmission follows from the distance, the relative
/// humidity and the atmosphere temperature (AtmosphereModel) and cannot be written.
class ObjectParameters : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("document.objectParameters")
    /// The source has radiance and the Planck curve, so the parameters mean something.
    Q_PROPERTY(bool available READ available NOTIFY availableChanged)
    /// 0.01..1.
    Q_PROPERTY(double emissivity READ emissivity WRITE setEmissivity NOTIFY emissivityChanged)
    Q_PROPERTY(double reflectedTemperature READ reflectedTemperature WRITE setReflectedTemperature NOTIFY
            reflectedTemperatureChanged)
    Q_PROPERTY(double atmosphereTemperature READ atmosphereTemperature WRITE setAtmosphereTemperature NOTIFY
            atmosphereTemperatureChanged)
    /// 0.01..1; computed while useAtmosphereModel is on.
    Q_PROPERTY(double transmission READ transmission WRITE setTransmission NOTIFY transmissionChanged)
    Q_PROPERTY(bool useAtmosphereModel READ useAtmosphereModel WRITE setUseAtmosphereModel NOTIFY
            useAtmosphereModelChanged)
    /// Metres, 0..100000.
    Q_PROPERTY(double distance READ distance WRITE setDistance NOTIFY distanceChanged)
    /// Percent, 0..100.
    Q_PROPERTY(double relativeHumidity READ relativeHumidity WRITE setRelativeHumidity NOTIFY
            relativeHumidityChanged)

public:
    static constexpr double MinimumEmissivity = 0.01;
    static constexpr double MinimumTransmission = 0.01;
    static constexpr double MaximumDistance = 100000.0;
    /// Reflected temperatures from a cold sky to a furnace, kelvin.
    static constexpr double MinimumReflectedKelvin = 1.0;
    static constexpr double MaximumReflectedKelvin = 5000.0;
    /// Air from -100 C to +150 C.
    static constexpr double MinimumAtmosphereKelvin = 173.15;
    static constexpr double MaximumAtmosphereKelvin = 423.15;

    explicit ObjectParameters(QObject* parent = nullptr);

    /// The source's own calibration; resets the parameters to its values (then to those
    /// of an applyJson() that came before), unless it is the same source again.
    void setSource(const CalibrationParameters& source);
    /// The scale the temperature properties are shown in.
    void setTemperatureScale(TemperatureScale scale);
    /// The source's calibration with these parameters, when available; else the source's.
    CalibrationParameters calibration() const;

    bool available() const { return m_available; }
    double emissivity() const { return m_values.emissivity; }
    void setEmissivity(double emissivity);
    double reflectedTemperature() const;
    void setReflectedTemperature(double value);
    double atmosphereTemperature() const;
    void setAtmosphereTemperature(double value);
    double transmission() const;
    void setTransmission(double transmission);
    bool useAtmosphereModel() const { return m_values.useAtmosphereModel; }
    void setUseAtmosphereModel(bool use);
    double distance() const { return m_values.distance; }
    void setDistance(double metres);
    double relativeHumidity() const { return m_values.relativeHumidity; }
    void setRelativeHumidity(double percent);

    double reflectedKelvin() const { return m_values.reflectedKelvin; }
    double atmosphereKelvin() const { return m_values.atmosphereKelvin; }

    /// Back to the source's values (file keywords, camera features) or, where it has none,
    /// e = 1, Tr = 293.15 K, t = 1, Ta = Tr, 0 m and 50 %, without the model.
    Q_INVOKABLE void reset();

    /// For the regions' sidecar file: every parameter by name, temperatures in kelvin.
    QJsonObject toJson() const;
    /// Takes the valid members of `json` (as toJson writes them) and ignores the rest;
    /// before setSource() they wait for it.
    void applyJson(const QJsonObject& json);

Q_SIGNALS:
    void availableChanged();
    void emissivityChanged();
    void reflectedTemperatureChanged();
    void atmosphereTemperatureChanged();
    void transmissionChanged();
    void useAtmosphereModelChanged();
    void distanceChanged();
    void relativeHumidityChanged();
    /// The calibration() changed.
    void calibrationChanged();
    /// The user changed a value (a property write or reset()), not the source.
    void edited();

private:
    struct Values
    {
        double emissivity = 1.0;
        double reflectedKelvin = 293.15;
        double atmosphereKelvin = 293.15;
        double transmission = 1.0;
        bool useAtmosphereModel = false;
        double distance = 0.0;
        double relativeHumidity = 50.0;
    };
    /// The source's values, or the defaults where it has none.
    Values sourceValues() const;
    /// Takes `values` (already checked), emitting what changed and, if anything did,
    /// calibrationChanged once.
    /// Takes `values` (with the model's transmission); true when anything changed.
    bool assign(Values values);
    /// assign() on the user's behalf.
    void edit(const Values& values);
    static bool isValid(const Values& values);
    /// `values` with the model's transmission when it is in use.
    static Values withModel(Values values);
    /// `values` with the valid members of `json`.
    static Values merged(Values values, const QJsonObject& json);

    CalibrationParameters m_source;
    bool m_hasSource = false;
    std::optional<QJsonObject> m_pending;
    TemperatureScale m_scale = TemperatureScale::Celsius;
    bool m_available = false;
    Values m_values;
};

} // namespace zelkir
