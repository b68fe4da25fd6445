// The live document of a simulated IR camera (zelkir-fake-ir-camera in its test-pattern
// mode, inside scripts/with-fake-cameras.sh): counts, radiance and temperature from the
// camera's calibration features, its sensor temperature, and its features for the panel.
#include "cameramodel.h"
#include "cfakecameras.h"
#include "documentmodel.h"
#include "halvomodel.h"
#include "liveplayer.h"
#include "manualclock.h"

#include <QStandardPaths>
#include <QTest>

#include <cmath>
#include <memory>

using zelkir::DocumentModel;

namespace {

// The simulator's calibration at its start values (Mono14, gain 1, 5000 us).
constexpr double RadianceGain = 0.01323;
constexpr double RadianceOffset = 10.6;

} // namespace

class TestLiveIrCamera : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unitsAndFeaturesOfTheCamera();
};

void TestLiveIrCamera::unitsAndFeaturesOfTheCamera()
{
    QStandardPaths::setTestModeEnabled(true);
    CFakeCameras fakes;
    QCOMPARE(fakes.count(), 1);
    zelkir::HalvoModel model;
    zelk::cam::SCameraInfo record;
    record.deviceInfo = fakes.deviceRecord(0);
    auto* clock = new ManualClock;
    DocumentModel* document = model.createCameraDocument(record, {}, clock);
    QTRY_VERIFY_WITH_TIMEOUT(document->status() != DocumentModel::Loading, 15000);
    QCOMPARE(document->status(), DocumentModel::Ready);
    QCOMPARE(document->availableUnitStrings(),
        QStringList({ QStringLiteral("Counts"), QStringLiteral("Radiance (factory)"),
            QStringLiteral("Radiance (user)"), QStringLiteral("Temperature (factory)"),
            QStringLiteral("Temperature (user)") }));
    // The camera's own rate, 30 per second as near as its frame period in us allows.
    QVERIFY(qAbs(document->realtime()->targetDisplayRate().toDouble() - 30.0) < 0.01);

    const auto shown
        = [document] { return document->frameInfo()->value(QStringLiteral("Frame Number")).toInt(); };
    QVERIFY(QTest::qWaitFor(
        [&] {
            clock->advance();
            return shown() > 0;
        },
        10000));
    const zelkir::FrameInfoModel* info = document->frameInfo();
    QCOMPARE(info->value(QStringLiteral("Pixel Format")), QStringLiteral("Mono14"));
    QCOMPARE(info->value(QStringLiteral("Size")), QStringLiteral("64 x 48"));
    const double sensor = document->realtime()->sensorTemperature();
    QVERIFY2(sensor > 25.0 && sensor < 40.0, qPrintable(QString::number(sensor)));

    // The ramp: (x + 3 y + 7 id) mod 2^14.
    const int id = shown();
    const QPoint point(10, 20);
    const double counts = double((point.x() + 3 * point.y() + 7 * id) % 16384);
    document->setCursorPos(point);
    QCOMPARE(document->cursorValue(), counts);
    document->setUnitIndex(1);
    QVERIFY(qFuzzyCompare(document->cursorValue(), RadianceOffset + RadianceGain * counts));
    document->setUnitIndex(2);
    document->setTempTypeIndex(2);
    const double kelvin = document->cursorValue();
    QVERIFY2(kelvin > 0.0 && std::isfinite(kelvin), qPrintable(QString::number(kelvin)));
    QVERIFY(document->convert(counts + 100.0, DocumentModel::TEMPERATURE_FACTORY, 0) > kelvin);

    // The panel's features: the integration time bounds the frame rate. The value written
    // is put back, as the camera outlives the test.
    zelkir::FeatureTreeModel* features = document->realtime()->cameraModel()->features();
    QTRY_VERIFY_WITH_TIMEOUT(features->isReady(), 15000);
    const auto data = [features](const char* name, int role) {
        return features->index(features->rowOf(QString::fromLatin1(name))).data(role);
    };
    QCOMPARE(data("Gain", zelkir::FeatureTreeModel::DepthRole), QVariant(1));
    features->setValue(features->rowOf(QStringLiteral("IntegrationTime")), 20000);
    QTRY_COMPARE(data("AcquisitionFrameRate", zelkir::FeatureTreeModel::MaximumRole), QVariant(50.0));
    features->setValue(features->rowOf(QStringLiteral("IntegrationTime")), 5000);
    QTRY_COMPARE(data("IntegrationTime", zelkir::FeatureTreeModel::ValueRole), QVariant(5000.0));
}

QTEST_MAIN(TestLiveIrCamera)
#include "tst_liveircamera.moc"
