// The GenICam feature tree of a camera opened for streaming, against the fake
// camera's description: every feature type, refused writes and what a write
// invalidates.
#include "cfakecameras.h"

#include <zelk/cam/stream.h>

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>

using namespace zelk::cam;
using gic::EAccessMode;
using gic::EFeatureType;
using gic::FeatureValue;

Q_DECLARE_METATYPE(EFeatureType)
Q_DECLARE_METATYPE(EAccessMode)
Q_DECLARE_METATYPE(FeatureValue)

class TestFeatures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void describe_data();
    void describe();
    void writeAndRead_data();
    void writeAndRead();
    void refused_data();
    void refused();
    void invalidatedBy_data();
    void invalidatedBy();
    // Last: stops the camera.
    void silentCameraFailsAtOnce();

private:
    CFakeCameras m_fakes;
    std::unique_ptr<CStreamingCamera> m_camera;
};

void TestFeatures::initTestCase()
{
    QCOMPARE(m_fakes.count(), 1);
    std::string error;
    m_camera = CStreamingCamera::Open(m_fakes.deviceRecord(0), error);
    QVERIFY2(m_camera, error.c_str());
    QCOMPARE(m_camera->features().rootCategory(), std::string("Root"));
}

void TestFeatures::describe_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<EFeatureType>("type");
    QTest::addColumn<EAccessMode>("access");
    QTest::addColumn<QString>("displayName");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<QString>("member"); // a child or an entry it must list

    QTest::newRow("category") << "Root" << EFeatureType::Category << EAccessMode::ReadOnly << "Root" << 0.0
                              << 0.0 << "ImageFormatControl";
    QTest::newRow("integer") << "Width" << EFeatureType::Integer << EAccessMode::ReadWrite << "Width" << 1.0
                             << 2048.0 << "";
    QTest::newRow("read-only integer") << "SensorWidth" << EFeatureType::Integer << EAccessMode::ReadOnly
                                       << "SensorWidth" << 0.0 << 0.0 << "";
    QTest::newRow("float") << "ExposureTimeAbs" << EFeatureType::Float << EAccessMode::ReadWrite
                           << "ExposureTimeAbs" << 10.0 << 1e7 << "";
    QTest::newRow("enumeration") << "PixelFormat" << EFeatureType::Enumeration << EAccessMode::ReadWrite
                                 << "Pixel format" << 0.0 << 0.0 << "Mono16";
    QTest::newRow("boolean") << "TestBoolean" << EFeatureType::Boolean << EAccessMode::ReadWrite
                             << "TestBoolean" << 0.0 << 0.0 << "";
    QTest::newRow("command") << "AcquisitionStop" << EFeatureType::Command << EAccessMode::WriteOnly
                             << "AcquisitionStop" << 0.0 << 0.0 << "";
    QTest::newRow("string") << "TestStringReg" << EFeatureType::String << EAccessMode::ReadWrite
                            << "TestStringReg" << 0.0 << 0.0 << "";
    QTest::newRow("read-only string") << "DeviceVendorName" << EFeatureType::String << EAccessMode::ReadOnly
                                      << "Vendor Name" << 0.0 << 0.0 << "";
}

void TestFeatures::describe()
{
    QFETCH(QString, name);
    QFETCH(EFeatureType, type);
    QFETCH(EAccessMode, access);
    QFETCH(QString, displayName);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(QString, member);

    gic::SFeatureInfo info;
    QVERIFY(m_camera->features().describe(name.toStdString(), info));
    QCOMPARE(info.name, name.toStdString());
    QCOMPARE(info.type, type);
    QCOMPARE(info.access, access);
    QCOMPARE(QString::fromStdString(info.displayName), displayName);
    if (minimum != maximum) {
        QCOMPARE(info.minimum, minimum);
        QCOMPARE(info.maximum, maximum);
    }
    if (!member.isEmpty()) {
        std::vector<std::string> members = info.children;
        for (const gic::SEnumEntry& entry : info.entries)
            members.push_back(entry.name);
        QVERIFY(std::count(members.begin(), members.end(), member.toStdString()) == 1);
    }
}

void TestFeatures::writeAndRead_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<FeatureValue>("written");
    QTest::addColumn<FeatureValue>("read");

    QTest::newRow("integer") << "Width" << FeatureValue(std::int64_t(256)) << FeatureValue(std::int64_t(256));
    QTest::newRow("integer from float") << "Width" << FeatureValue(300.4) << FeatureValue(std::int64_t(300));
    QTest::newRow("float") << "ExposureTimeAbs" << FeatureValue(20000.0) << FeatureValue(20000.0);
    QTest::newRow("float from integer")
        << "ExposureTimeAbs" << FeatureValue(std::int64_t(10000)) << FeatureValue(10000.0);
    QTest::newRow("enumeration") << "PixelFormat" << FeatureValue(std::string("Mono16"))
                                 << FeatureValue(std::string("Mono16"));
    QTest::newRow("boolean") << "TestBoolean" << FeatureValue(true) << FeatureValue(true);
    QTest::newRow("string") << "TestStringReg" << FeatureValue(std::string("zelk"))
                            << FeatureValue(std::string("zelk"));
    QTest::newRow("command") << "AcquisitionStop" << FeatureValue() << FeatureValue();
}

void TestFeatures::writeAndRead()
{
    QFETCH(QString, name);
    QFETCH(FeatureValue, written);
    QFETCH(FeatureValue, read);

    std::string error;
    QVERIFY2(m_camera->features().write(name.toStdString(), written, error), error.c_str());
    FeatureValue value;
    if (std::holds_alternative<std::monostate>(read)) {
        QVERIFY(!m_camera->features().read(name.toStdString(), value, error)); // a command has no value
        return;
    }
    QVERIFY2(m_camera->features().read(name.toStdString(), value, error), error.c_str());
    QVERIFY(value == read);
}

void TestFeatures::refused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<FeatureValue>("value");
    QTest::addColumn<QString>("because");

    QTest::newRow("above range") << "Width" << FeatureValue(std::int64_t(5000)) << "1 to 2048";
    QTest::newRow("below range") << "ExposureTimeAbs" << FeatureValue(1.0) << "10 to 10000000";
    QTest::newRow("read-only") << "SensorWidth" << FeatureValue(std::int64_t(64)) << "read-only";
    QTest::newRow("no such entry") << "PixelFormat" << FeatureValue(std::string("Mono12")) << "Mono12";
    QTest::newRow("wrong type") << "Width" << FeatureValue(std::string("wide")) << "wrong type";
    QTest::newRow("category") << "Root" << FeatureValue(std::int64_t(1)) << "read-only";
    QTest::newRow("unknown") << "NoSuchFeature" << FeatureValue(std::int64_t(1)) << "no feature";
}

void TestFeatures::refused()
{
    QFETCH(QString, name);
    QFETCH(FeatureValue, value);
    QFETCH(QString, because);

    FeatureValue before;
    std::string error;
    const bool readable = m_camera->features().read(name.toStdString(), before, error);
    QVERIFY(!m_camera->features().write(name.toStdString(), value, error));
    QVERIFY2(QString::fromStdString(error).contains(because), error.c_str());
    FeatureValue after;
    if (readable) {
        QVERIFY(m_camera->features().read(name.toStdString(), after, error));
        QVERIFY(after == before);
    }
}

void TestFeatures::invalidatedBy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("invalidated");
    QTest::addColumn<QStringList>("untouched");

    QTest::newRow("formula") << "Width" << QStringList { "PayloadSize" }
                             << QStringList { "Width", "OffsetX", "Height" };
    QTest::newRow("selector") << "TriggerSelector"
                              << QStringList { "TriggerMode", "TriggerSource", "TriggerActivation" }
                              << QStringList { "TriggerSoftware" };
    QTest::newRow("nothing") << "OffsetX" << QStringList() << QStringList { "PayloadSize" };
}

void TestFeatures::invalidatedBy()
{
    QFETCH(QString, name);
    QFETCH(QStringList, invalidated);
    QFETCH(QStringList, untouched);

    QStringList found;
    for (const std::string& feature : m_camera->features().invalidatedBy(name.toStdString()))
        found.append(QString::fromStdString(feature));
    for (const QString& feature : invalidated)
        QVERIFY2(found.contains(feature), qPrintable(found.join(u' ')));
    for (const QString& feature : untouched)
        QVERIFY2(!found.contains(feature), qPrintable(found.join(u' ')));
}

void TestFeatures::silentCameraFailsAtOnce()
{
    QVERIFY(m_fakes.stop(0));
    zelk::cam::gic::IFeatureTree& features = m_camera->features();
    zelk::cam::gic::FeatureValue value;
    std::string error;
    // Not a cached value: the first read waits for the camera's timeout.
    QVERIFY(!features.read("TestRegister", value, error));
    QElapsedTimer timer;
    timer.start();
    zelk::cam::gic::SFeatureInfo info;
    QVERIFY(!features.read("Gain", value, error));
    QVERIFY(!features.write("Gain", std::int64_t(3), error));
    QVERIFY(!features.describe("Width", info));
    QCOMPARE(error, std::string("The camera does not answer."));
    QCOMPARE_LT(timer.elapsed(), 100);
}

QTEST_GUILESS_MAIN(TestFeatures)
#include "tst_features.moc"
