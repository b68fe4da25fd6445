#include "calibrationkeywords.h"

#include <zelkir/io/atmospheretransmission.h>
#include <zelkir/io/calibration.h>

#include <QTest>

#include <cmath>

using namespace zelkir;

Q_DECLARE_METATYPE(zelkir::Unit)
Q_DECLARE_METATYPE(zelkir::TemperatureScale)

namespace {

// With R = e - 1, F = 1 and O = 0, a radiance of 1 is exactly B kelvin: B / ln(R + 1) = B.
const double E = std::exp(1.0);

CalibrationParameters simple(double gain, double offset, PlanckCurve curve)
{
    CalibrationParameters p;
    p.radiance = LinearStep { gain, offset };
    p.planck = curve;
    return p;
}

CalibrationParameters camera()
{
    return simple(0.01323, 10.6, PlanckCurve { 5685.76, 1404.0, 1.0, 1.63 });
}

bool near(double a, double b, double tolerance)
{
    return std::abs(a - b) <= tolerance;
}

} // namespace

class TestCalibration : public QObject
{
    Q_OBJECT

private slots:
    void knownTemperatures_data();
    void knownTemperatures();
    void temperatureScales_data();
    void temperatureScales();
    void roundTrips_data();
    void roundTrips();
    void availableUnits_data();
    void availableUnits();
    void emissivityRecoversTheObject_data();
    void emissivityRecoversTheObject();
    void userCorrection();
    void presetSteps();
    void outsideTheCurve_data();
    void outsideTheCurve();
    void fromKeywords_data();
    void fromKeywords();
    void atmosphereModel_data();
    void atmosphereModel();
    void workedExample();
};

void TestCalibration::knownTemperatures_data()
{
    QTest::addColumn<double>("physical");
    QTest::addColumn<double>("gain");
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("r");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("f");
    QTest::addColumn<double>("o");
    QTest::addColumn<double>("kelvin");
    QTest::newRow("radiance 1, T = B") << 1000.0 << 0.001 << 0.0 << E - 1 << 300.0 << 1.0 << 0.0 << 300.0;
    QTest::newRow("offset step") << 500.0 << 0.002 << 0.0 << E - 1 << 450.0 << 1.0 << 0.0 << 450.0;
    QTest::newRow("radiance offset O") << 100.0 << 0.01 << 2.0 << E - 1 << 300.0 << 1.0 << 2.0 << 300.0;
    // F = 0: T = B / ln(R / L); R = e^2 L gives B / 2.
    QTest::newRow("F zero") << 1.0 << 1.0 << 0.0 << E * E << 600.0 << 0.0 << 0.0 << 300.0;
    // ln(R / L + F) = ln(e^3) = 3 with R = (e^3 - 0.5) L and F = 0.5.
    QTest::newRow("F half") << 2.0 << 1.0 << 0.0 << 2.0 * (std::pow(E, 3) - 0.5) << 900.0 << 0.5 << 0.0
                            << 300.0;
}

void TestCalibration::knownTemperatures()
{
    QFETCH(double, physical);
    QFETCH(double, gain);
    QFETCH(double, offset);
    QFETCH(double, r);
    QFETCH(double, b);
    QFETCH(double, f);
    QFETCH(double, o);
    QFETCH(double, kelvin);
    const Calibration calibration(simple(gain, offset, PlanckCurve { r, b, f, o }));
    QVERIFY(near(
        calibration.convert(physical, Unit::TemperatureFactory, TemperatureScale::Kelvin), kelvin, 1e-9));
    QVERIFY(near(calibration.convert(physical, Unit::TemperatureFactory, TemperatureScale::Celsius),
        kelvin - 273.15, 1e-9));
    QVERIFY(near(calibration.convert(physical, Unit::RadianceFactory), offset + gain * physical, 1e-12));
    QCOMPARE(calibration.convert(physical, Unit::Counts), physical);
}

void TestCalibration::temperatureScales_data()
{
    QTest::addColumn<double>("kelvin");
    QTest::addColumn<TemperatureScale>("scale");
    QTest::addColumn<double>("value");
    QTest::newRow("freezing, C") << 273.15 << TemperatureScale::Celsius << 0.0;
    QTest::newRow("freezing, F") << 273.15 << TemperatureScale::Fahrenheit << 32.0;
    QTest::newRow("boiling, F") << 373.15 << TemperatureScale::Fahrenheit << 212.0;
    QTest::newRow("minus forty, C") << 233.15 << TemperatureScale::Celsius << -40.0;
    QTest::newRow("minus forty, F") << 233.15 << TemperatureScale::Fahrenheit << -40.0;
    QTest::newRow("absolute zero, F") << 0.0 << TemperatureScale::Fahrenheit << -459.67;
    QTest::newRow("body, K") << 310.15 << TemperatureScale::Kelvin << 310.15;
}

void TestCalibration::temperatureScales()
{
    QFETCH(double, kelvin);
    QFETCH(TemperatureScale, scale);
    QFETCH(double, value);
    QVERIFY(near(Calibration::fromKelvin(kelvin, scale), value, 1e-9));
    QVERIFY(near(Calibration::toKelvin(value, scale), kelvin, 1e-9));
}

void TestCalibration::roundTrips_data()
{
    QTest::addColumn<double>("celsius");
    for (double c : { -40.0, -20.0, 0.0, 21.5, 36.6, 100.0, 150.0, 650.0 })
        QTest::addRow("%g C", c) << c;
}

void TestCalibration::roundTrips()
{
    QFETCH(double, celsius);
    const Calibration calibration(camera());
    const double kelvin = Calibration::toKelvin(celsius, TemperatureScale::Celsius);
    const double radiance = calibration.radianceFromKelvin(kelvin);
    QVERIFY(radiance > 0.0);
    QVERIFY(near(calibration.kelvinFromRadiance(radiance), kelvin, 1e-9));
    // Through the counts a camera with this calibration would give.
    const double physical = (radiance - 10.6) / 0.01323;
    QVERIFY(near(
        calibration.convert(physical, Unit::TemperatureFactory, TemperatureScale::Celsius), celsius, 1e-9));
}

void TestCalibration::availableUnits_data()
{
    QTest::addColumn<CalibrationParameters>("parameters");
    QTest::addColumn<QList<Unit>>("units");
    CalibrationParameters none;
    CalibrationParameters radianceOnly;
    radianceOnly.radiance = LinearStep { 0.01, 1.0 };
    CalibrationParameters factory = camera();
    CalibrationParameters user = camera();
    user.emissivity = 0.9;
    CalibrationParameters userNoCurve = radianceOnly;
    userNoCurve.userRadiance = LinearStep { 1.1, 0.0 };
    CalibrationParameters emissivityNoCurve = radianceOnly;
    emissivityNoCurve.emissivity = 0.9;
    CalibrationParameters airNoCurve = userNoCurve;
    airNoCurve.atmosphereTransmission = 0.9;
    QTest::newRow("none") << none << QList<Unit> { Unit::Counts };
    QTest::newRow("radiance only") << radianceOnly << QList<Unit> { Unit::Counts, Unit::RadianceFactory };
    // The object parameters give the user units their meaning whenever the curve is known.
    QTest::newRow("factory") << factory
                             << QList<Unit> { Unit::Counts, Unit::RadianceFactory, Unit::RadianceUser,
                                    Unit::TemperatureFactory, Unit::TemperatureUser };
    QTest::newRow("user") << user
                          << QList<Unit> { Unit::Counts, Unit::RadianceFactory, Unit::RadianceUser,
                                 Unit::TemperatureFactory, Unit::TemperatureUser };
    QTest::newRow("user radiance without curve")
        << userNoCurve << QList<Unit> { Unit::Counts, Unit::RadianceFactory, Unit::RadianceUser };
    QTest::newRow("emissivity without curve")
        << emissivityNoCurve << QList<Unit> { Unit::Counts, Unit::RadianceFactory };
    QTest::newRow("transmission without curve")
        << airNoCurve << QList<Unit> { Unit::Counts, Unit::RadianceFactory };
}

void TestCalibration::availableUnits()
{
    QFETCH(CalibrationParameters, parameters);
    QFETCH(QList<Unit>, units);
    const Calibration calibration(parameters);
    QCOMPARE(calibration.availableUnits(), units);
    for (Unit unit :
        { Unit::RadianceFactory, Unit::RadianceUser, Unit::TemperatureFactory, Unit::TemperatureUser }) {
        if (!units.contains(unit))
            QVERIFY(std::isnan(calibration.convert(2000.0, unit)));
    }
}

void TestCalibration::emissivityRecoversTheObject_data()
{
    QTest::addColumn<double>("emissivity");
    QTest::addColumn<double>("objectCelsius");
    QTest::addColumn<double>("reflectedCelsius");
    QTest::addColumn<double>("transmission");
    QTest::addColumn<double>("airCelsius");
    QTest::newRow("skin") << 0.98 << 34.0 << 22.0 << 1.0 << 22.0;
    QTest::newRow("painted metal") << 0.85 << 80.0 << 20.0 << 1.0 << 20.0;
    QTest::newRow("cold object, warm room") << 0.7 << -10.0 << 25.0 << 1.0 << 25.0;
    QTest::newRow("black body") << 1.0 << 50.0 << 0.0 << 1.0 << 0.0;
    QTest::newRow("through hazy air") << 0.9 << 120.0 << 15.0 << 0.6 << 30.0;
    QTest::newRow("black body through cold air") << 1.0 << 40.0 << 20.0 << 0.8 << -5.0;
}

void TestCalibration::emissivityRecoversTheObject()
{
    QFETCH(double, emissivity);
    QFETCH(double, objectCelsius);
    QFETCH(double, reflectedCelsius);
    QFETCH(double, transmission);
    QFETCH(double, airCelsius);
    CalibrationParameters parameters = camera();
    parameters.emissivity = emissivity;
    parameters.reflectedKelvin = reflectedCelsius + 273.15;
    parameters.atmosphereTransmission = transmission;
    parameters.atmosphereKelvin = airCelsius + 273.15;
    const Calibration calibration(parameters);
    // What the camera sees: the object's own emission plus the room it reflects, dimmed by
    // the air, plus what the air itself emits.
    const double seen = transmission
            * (emissivity * calibration.radianceFromKelvin(objectCelsius + 273.15)
                + (1.0 - emissivity) * calibration.radianceFromKelvin(reflectedCelsius + 273.15))
        + (1.0 - transmission) * calibration.radianceFromKelvin(airCelsius + 273.15);
    const double physical = (seen - 10.6) / 0.01323;
    QVERIFY(near(calibration.convert(physical, Unit::TemperatureUser, TemperatureScale::Celsius),
        objectCelsius, 1e-6));
    if (emissivity < 1.0 || transmission < 1.0)
        QVERIFY(!near(calibration.convert(physical, Unit::TemperatureFactory, TemperatureScale::Celsius),
            objectCelsius, 0.1));
}

void TestCalibration::userCorrection()
{
    CalibrationParameters parameters = camera();
    parameters.userRadiance = LinearStep { 1.05, -0.5 };
    const Calibration calibration(parameters);
    const double factory = calibration.convert(3000.0, Unit::RadianceFactory);
    QVERIFY(near(calibration.convert(3000.0, Unit::RadianceUser), 1.05 * factory - 0.5, 1e-12));
    QVERIFY(near(calibration.convert(3000.0, Unit::TemperatureUser),
        calibration.kelvinFromRadiance(1.05 * factory - 0.5), 1e-9));
}

void TestCalibration::presetSteps()
{
    CalibrationParameters parameters = camera();
    parameters.presetRadiance[2] = LinearStep { 0.04, 10.6 };
    const Calibration calibration(parameters);
    QVERIFY(
        near(calibration.convert(1000.0, Unit::RadianceFactory, TemperatureScale::Kelvin, 2), 50.6, 1e-12));
    QVERIFY(
        near(calibration.convert(1000.0, Unit::RadianceFactory, TemperatureScale::Kelvin, 1), 23.83, 1e-12));
    QVERIFY(near(calibration.convert(1000.0, Unit::RadianceFactory), 23.83, 1e-12));
    QVERIFY(
        near(calibration.convert(1000.0, Unit::RadianceFactory, TemperatureScale::Kelvin, 99), 23.83, 1e-12));
}

void TestCalibration::outsideTheCurve_data()
{
    QTest::addColumn<double>("radiance");
    QTest::newRow("at O") << 1.63;
    QTest::newRow("below O") << 0.5;
    QTest::newRow("negative") << -100.0;
    QTest::newRow("NaN") << std::nan("");
}

void TestCalibration::outsideTheCurve()
{
    QFETCH(double, radiance);
    const Calibration calibration(camera());
    QVERIFY(std::isnan(calibration.kelvinFromRadiance(radiance)));
    QVERIFY(std::isnan(calibration.radianceFromKelvin(0.0)));
    QVERIFY(std::isnan(calibration.radianceFromKelvin(-5.0)));
}

void TestCalibration::fromKeywords_data()
{
    QTest::addColumn<FileKeywords>("keywords");
    QTest::addColumn<CalibrationParameters>("expected");
    CalibrationParameters full;
    full.radiance = LinearStep { 0.0132, 10.6 };
    full.planck = PlanckCurve { 5685.76, 1404.0, 1.0, 1.63 };
    full.emissivity = 0.95;
    full.reflectedKelvin = 295.15;
    QTest::newRow("full") << FileKeywords { { "RADGAIN", "1.32E-02", "" }, { "RADOFFS", "10.6", "" },
        { "PLANCK_R", "5685.76", "" }, { "PLANCK_B", "1404", "" }, { "PLANCK_F", "1.0", "" },
        { "PLANCK_O", "1.63", "" }, { "EMISSIV", "0.95", "" }, { "REFLTEMP", "295.15", "" } }
                          << full;
    CalibrationParameters fortran;
    fortran.radiance = LinearStep { 0.0125, 0.0 };
    fortran.planck = PlanckCurve { 1000.0, 1400.0, 1.0, 0.0 };
    QTest::newRow("Fortran exponents, defaults") << FileKeywords { { "radgain", "1.25D-02", "" },
        { "PLANCK_R", "1.0D3", "" }, { "PLANCK_B", "1400", "" } }
                                                 << fortran;
    full.atmosphereTransmission = 0.97;
    full.atmosphereKelvin = 288.15;
    QTest::newRow("with the atmosphere") << FileKeywords { { "RADGAIN", "1.32E-02", "" },
        { "RADOFFS", "10.6", "" }, { "PLANCK_R", "5685.76", "" }, { "PLANCK_B", "1404", "" },
        { "PLANCK_F", "1.0", "" }, { "PLANCK_O", "1.63", "" }, { "EMISSIV", "0.95", "" },
        { "REFLTEMP", "295.15", "" }, { "ATMTRANS", "0.97", "" }, { "ATMTEMP", "288.15", "" } }
                                         << full;
    QTest::newRow("unusable values") << FileKeywords { { "RADGAIN", "0", "" }, { "PLANCK_R", "-1", "" },
        { "PLANCK_B", "abc", "" }, { "EMISSIV", "1.5", "" }, { "REFLTEMP", "-3", "" },
        { "ATMTRANS", "0", "" }, { "ATMTEMP", "-1", "" } }
                                     << CalibrationParameters {};
    CalibrationParameters presets;
    presets.radiance = LinearStep { 0.01, 5.0 };
    presets.presetRadiance[0] = LinearStep { 0.01, 5.0 };
    presets.presetRadiance[3] = LinearStep { 0.08, 4.0 };
    presets.userRadiance = LinearStep { 1.0, -0.25 };
    QTest::newRow("presets and user offset")
        << FileKeywords { { "RADGAIN", "0.01", "" }, { "RADOFFS", "5", "" }, { "RADGAIN0", "0.01", "" },
               { "RADGAIN3", "0.08", "" }, { "RADOFFS3", "4", "" }, { "USROFFS", "-0.25", "" } }
        << presets;
}

void TestCalibration::fromKeywords()
{
    QFETCH(FileKeywords, keywords);
    QFETCH(CalibrationParameters, expected);
    QVERIFY(calibrationFromKeywords(keywords) == expected);
}

void TestCalibration::atmosphereModel_data()
{
    QTest::addColumn<double>("metres");
    QTest::addColumn<double>("humidity");
    QTest::addColumn<double>("airCelsius");
    QTest::addColumn<double>("vapour");
    QTest::addColumn<double>("transmission");
    // Saturated vapour density from tables: 17.3 g/m^3 at 20 C, 4.85 g/m^3 at 0 C, 30.4 at 30 C.
    QTest::newRow("nothing in between") << 0.0 << 50.0 << 20.0 << 8.65 << 1.0;
    QTest::newRow("dry air, 100 m") << 100.0 << 0.0 << 20.0 << 0.0 << std::exp(-100.0 * 5.0e-5);
    QTest::newRow("freezing, saturated")
        << 10.0 << 100.0 << 0.0 << 4.85 << std::exp(-10.0 * (5.0e-5 + 8.0e-5 * 4.85));
    QTest::newRow("humid summer, 1 km")
        << 1000.0 << 80.0 << 30.0 << 24.3 << std::exp(-1000.0 * (5.0e-5 + 8.0e-5 * 24.3));
}

void TestCalibration::atmosphereModel()
{
    QFETCH(double, metres);
    QFETCH(double, humidity);
    QFETCH(double, airCelsius);
    QFETCH(double, vapour);
    QFETCH(double, transmission);
    // Tables round to a few tenths of a percent; so does the Magnus formula.
    QVERIFY(near(
        AtmosphereModel::waterVapourDensity(humidity, airCelsius + 273.15), vapour, 0.01 * vapour + 1e-9));
    QVERIFY(near(AtmosphereModel::transmission(metres, humidity, airCelsius + 273.15), transmission,
        2e-3 * (1.0 - transmission) + 1e-12));
    QVERIFY(std::isnan(AtmosphereModel::transmission(-1.0, humidity, airCelsius + 273.15)));
    QVERIFY(std::isnan(AtmosphereModel::transmission(metres, 101.0, airCelsius + 273.15)));
    QVERIFY(std::isnan(AtmosphereModel::transmission(metres, humidity, 0.0)));
}

// The example of the plugin's README, figure for figure.
void TestCalibration::workedExample()
{
    // The sample recordings' camera.
    CalibrationParameters parameters = simple(0.01323, 10.6, PlanckCurve { 5685.76, 1404.0, 1.0, 1.63 });
    const double transmission = AtmosphereModel::transmission(10.0, 50.0, 293.15);
    QVERIFY(near(AtmosphereModel::waterVapourDensity(50.0, 293.15), 8.6208, 5e-5));
    QVERIFY(near(transmission, 0.992631, 5e-7));
    parameters.emissivity = 0.95;
    parameters.reflectedKelvin = 293.15;
    parameters.atmosphereTransmission = transmission;
    parameters.atmosphereKelvin = 293.15;
    const Calibration calibration(parameters);
    const double counts = 3734.0;
    QVERIFY(near(calibration.convert(counts, Unit::RadianceFactory), 60.00082, 1e-9));
    QVERIFY(near(calibration.radianceFromKelvin(293.15), 49.3197, 5e-5));
    QVERIFY(
        near(calibration.convert(counts, Unit::TemperatureFactory, TemperatureScale::Celsius), 32.79, 5e-3));
    QVERIFY(near(calibration.convert(counts, Unit::RadianceUser), 60.6465, 5e-5));
    QVERIFY(near(calibration.convert(counts, Unit::TemperatureUser, TemperatureScale::Celsius), 33.52, 5e-3));
}

QTEST_GUILESS_MAIN(TestCalibration)
#include "tst_calibration.moc"
