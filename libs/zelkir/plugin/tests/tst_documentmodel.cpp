#include "documentmodel.h"
#include "fakesource.h"
#include "fileplayer.h"
#include "frameexporter.h"
#include "frameinfomodel.h"
#include "imageenhancementmodel.h"
#include "manualclock.h"
#include "samplefiles.h"
#include "support/fitstestwriter.h"
#include "unitchoice.h"
#include "unitformat.h"

#include <zelkir/io/atmospheretransmission.h>
#include <zelkir/io/framesourcefactory.h>

#include <QAbstractItemModelTester>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using zelkir::DocumentModel;
using zelkir::ObjectParameters;

namespace {

constexpr double RadGain = 0.01;
constexpr double RadOffset = 2.0;
constexpr double PlanckR = 5685.76;
constexpr double PlanckB = 1404.0;
constexpr double PlanckF = 1.0;
constexpr double PlanckO = 1.63;

FitsTestCube calibratedCube()
{
    FitsTestCube cube;
    cube.bitpix = 16;
    cube.axes = { 4, 3 };
    for (int i = 0; i < 12; ++i)
        cube.stored.push_back(1000.0 + 250.0 * i);
    cube.cards = { { "RADGAIN", RadGain }, { "RADOFFS", RadOffset }, { "PLANCK_R", PlanckR },
        { "PLANCK_B", PlanckB }, { "PLANCK_F", PlanckF }, { "PLANCK_O", PlanckO } };
    return cube;
}

/// Bytes of the primary header, by its END card.
qint64 headerBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = file.readAll();
    for (qint64 card = 0; (card + 1) * 80 <= data.size(); ++card) {
        if (data.mid(card * 80, 8) == "END     ")
            return ((card * 80 + 80 + 2879) / 2880) * 2880;
    }
    return -1;
}

} // namespace

class TestDocumentModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void cursorValueInUnits_data();
    void cursorValueInUnits();
    void cursorOutsideOrWithoutValueIsNaN();
    void uncalibratedFileHasCountsOnly();
    void frameInformation();
    void displaySettingsRenderAgain();
    void presetsOfSequencingFile();
    void unreadableFileReportsFailure_data();
    void unreadableFileReportsFailure();
    void imageFollowsPositionWhenFramesAreLost_data();
    void imageFollowsPositionWhenFramesAreLost();
    void objectParametersCorrectUserUnits();
    void objectParametersRefuseOutOfRange_data();
    void objectParametersRefuseOutOfRange();
    void objectParametersFollowTheSource();
    void exportedFitsReadsBack_data();
    void exportedFitsReadsBack();
    void exportedCsvHoldsTheValues_data();
    void exportedCsvHoldsTheValues();
    void exportedPngHasColourBar();
    void exportsRefuseBadTargets();

private:
    /// Opens `path` and waits for its first image.
    bool open(const QString& path);

    QTemporaryDir m_dir;
    QString m_calibrated;
    QString m_movie;
    std::unique_ptr<DocumentModel> m_document;
};

void TestDocumentModel::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_calibrated = m_dir.filePath(QStringLiteral("calibrated.fits"));
    QString error;
    QVERIFY2(writeFitsTestFile(m_calibrated, calibratedCube(), &error), qPrintable(error));
    m_movie = SampleFiles::moviePath();
    QVERIFY(QFile::exists(m_movie));
}

void TestDocumentModel::cleanup()
{
    m_document.reset();
}

bool TestDocumentModel::open(const QString& path)
{
    m_document = std::make_unique<DocumentModel>(new zelkir::FilePlayer(path, new ManualClock), nullptr);
    QSignalSpy image(m_document.get(), &DocumentModel::imageChanged);
    return image.wait(5000) && m_document->status() == DocumentModel::Ready;
}

void TestDocumentModel::cursorValueInUnits_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("tempType");

    QTest::newRow("counts") << 1 << 2 << int(DocumentModel::COUNTS) << 0;
    QTest::newRow("radiance") << 3 << 0 << int(DocumentModel::RADIANCE_FACTORY) << 0;
    QTest::newRow("celsius") << 0 << 0 << int(DocumentModel::TEMPERATURE_FACTORY) << 0;
    QTest::newRow("fahrenheit") << 2 << 1 << int(DocumentModel::TEMPERATURE_FACTORY) << 1;
    QTest::newRow("kelvin") << 3 << 2 << int(DocumentModel::TEMPERATURE_FACTORY) << 2;
}

void TestDocumentModel::cursorValueInUnits()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, unit);
    QFETCH(int, tempType);
    QVERIFY(open(m_calibrated));
    QCOMPARE(m_document->imageSize(), QSize(4, 3));
    // Radiance and the Planck curve: the user units too, given meaning by the object parameters.
    QCOMPARE(m_document->availableUnitStrings().size(), 5);

    const FitsTestCube cube = calibratedCube();
    const double physical = cube.stored[fitsElement(cube, x, y, 0)];
    const double radiance = RadOffset + RadGain * physical;
    const double kelvin = PlanckB / std::log(PlanckR / (radiance - PlanckO) + PlanckF);
    double expected = physical;
    if (unit == DocumentModel::RADIANCE_FACTORY)
        expected = radiance;
    else if (unit == DocumentModel::COUNTS)
        expected = physical;
    else if (tempType == 0)
        expected = kelvin - 273.15;
    else if (tempType == 1)
        expected = (kelvin - 273.15) * 9.0 / 5.0 + 32.0;
    else
        expected = kelvin;
    if (unit != DocumentModel::TEMPERATURE_FACTORY)
        QCOMPARE(tempType, 0);

    QSignalSpy value(m_document.get(), &DocumentModel::cursorValueChanged);
    QVERIFY(selectUnit(*m_document, DocumentModel::Unit(unit)));
    m_document->setTempTypeIndex(tempType);
    m_document->setCursorPos(QPoint(x, y));
    QVERIFY(!value.isEmpty());
    QVERIFY2(std::abs(m_document->cursorValue() - expected) < 1e-6 * std::max(1.0, std::abs(expected)),
        qPrintable(QStringLiteral("%1 instead of %2").arg(m_document->cursorValue()).arg(expected)));
}

void TestDocumentModel::cursorOutsideOrWithoutValueIsNaN()
{
    FitsTestCube cube = calibratedCube();
    cube.cards.append({ "BLANK", -32768 });
    cube.stored[fitsElement(cube, 2, 1, 0)] = -32768;
    const QString path = m_dir.filePath(QStringLiteral("blank.fits"));
    QString error;
    QVERIFY2(writeFitsTestFile(path, cube, &error), qPrintable(error));
    QVERIFY(open(path));
    QVERIFY(selectUnit(*m_document, DocumentModel::TEMPERATURE_FACTORY));
    m_document->setCursorPos(QPoint(1, 1));
    QVERIFY(qIsFinite(m_document->cursorValue()));
    for (const QPoint& outside :
        { QPoint(2, 1), QPoint(-1, 0), QPoint(4, 0), QPoint(0, 3), QPoint(100000, -100000) }) {
        m_document->setCursorPos(outside);
        QVERIFY(qIsNaN(m_document->cursorValue()));
    }
    QCOMPARE(m_document->frameInfo()->value(QStringLiteral("Minimum")), QStringLiteral("1000"));

    // A frame without a single value has no minimum, maximum or mean to show.
    std::fill(cube.stored.begin(), cube.stored.end(), -32768.0);
    const QString blank = m_dir.filePath(QStringLiteral("allblank.fits"));
    QVERIFY2(writeFitsTestFile(blank, cube, &error), qPrintable(error));
    QVERIFY(open(blank));
    for (const char* name : { "Minimum", "Maximum", "Mean" })
        QCOMPARE(m_document->frameInfo()->value(QLatin1String(name)), QString());
}

void TestDocumentModel::uncalibratedFileHasCountsOnly()
{
    const QString path = m_dir.filePath(QStringLiteral("plain.fits"));
    FitsTestCube cube = calibratedCube();
    cube.cards.clear();
    QString error;
    QVERIFY2(writeFitsTestFile(path, cube, &error), qPrintable(error));
    QVERIFY(open(path));
    QCOMPARE(m_document->availableUnitStrings().size(), 1);
    QCOMPARE(m_document->unit(), DocumentModel::COUNTS);
    m_document->setUnitIndex(1);
    QCOMPARE(m_document->unitIndex(), 0);
    QCOMPARE(m_document->unit(), DocumentModel::COUNTS);
    QVERIFY(m_document->realtime() == nullptr);
    QVERIFY(m_document->filePlayer() != nullptr);
    QVERIFY(m_document->rois().isEmpty());
}

void TestDocumentModel::frameInformation()
{
    QVERIFY(open(m_calibrated));
    auto* info = qobject_cast<zelkir::FrameInfoModel*>(m_document->frameInfo());
    QVERIFY(info);
    QAbstractItemModelTester tester(info, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const FitsTestCube cube = calibratedCube();
    const auto [low, high] = std::minmax_element(cube.stored.cbegin(), cube.stored.cend());
    QCOMPARE(info->value(QStringLiteral("Frame Number")), QStringLiteral("0"));
    QCOMPARE(info->value(QStringLiteral("Size")), QStringLiteral("4 x 3"));
    QCOMPARE(info->value(QStringLiteral("Minimum")).toDouble(), *low);
    QCOMPARE(info->value(QStringLiteral("Maximum")).toDouble(), *high);
    QCOMPARE(info->value(QStringLiteral("RADGAIN")).toDouble(), RadGain);
    QStringList names;
    for (const auto& entry : info->entries())
        names.append(entry.name);
    QCOMPARE(names.mid(0, 6), QStringList({ "Frame Number", "Time", "Size", "Minimum", "Maximum", "Mean" }));
    QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), names.size());
}

void TestDocumentModel::displaySettingsRenderAgain()
{
    QVERIFY(open(m_movie));
    QSignalSpy image(m_document.get(), &DocumentModel::imageChanged);
    const QImage linear = m_document->image();

    zelkir::ImageEnhancementModel* enhancement = m_document->imageEnhancement();
    enhancement->setScaleModeIndex(zelkir::ImageEnhancementModel::SCALE_PLATEAU);
    QVERIFY(image.wait());
    QVERIFY(m_document->image() != linear);

    m_document->setShowSaturationColors(true);
    QVERIFY(image.wait());

    zelkir::FilePlayer* player = m_document->filePlayer();
    player->setFrameNumber(5);
    QVERIFY(image.wait());
    auto* info = qobject_cast<zelkir::FrameInfoModel*>(m_document->frameInfo());
    QCOMPARE(info->value(QStringLiteral("Frame Number")), QStringLiteral("5"));
}

void TestDocumentModel::presetsOfSequencingFile()
{
    QVERIFY(open(SampleFiles::sequencingPath()));
    QVERIFY(m_document->isSequencing());
    QVERIFY(!m_document->isSuperframing());
    QCOMPARE(m_document->availablePresets(), 0x0F);
    QCOMPARE(m_document->activePreset(), int(DocumentModel::PRESET_ALL));

    zelkir::FilePlayer* player = m_document->filePlayer();
    m_document->setActivePreset(DocumentModel::PRESET_2);
    QCOMPARE(m_document->activePreset(), int(DocumentModel::PRESET_2));
    QCOMPARE(player->currentFrame(), 2);
    player->step(1);
    QCOMPARE(player->currentFrame(), 6);
    // Presets the file lacks and superframes of a file without them are refused.
    m_document->setActivePreset(DocumentModel::PRESET_5);
    m_document->setActivePreset(DocumentModel::PRESET_SUPERFRAME);
    QCOMPARE(m_document->activePreset(), int(DocumentModel::PRESET_2));
    m_document->setActivePreset(DocumentModel::PRESET_ALL);
    player->step(1);
    QCOMPARE(player->currentFrame(), 7);
}

void TestDocumentModel::unreadableFileReportsFailure_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << QStringLiteral("missing");
    QTest::newRow("first frame cut") << QStringLiteral("cut");
    QTest::newRow("garbage") << QStringLiteral("garbage");
}

void TestDocumentModel::unreadableFileReportsFailure()
{
    QFETCH(QString, kind);
    const QString path = m_dir.filePath(kind + QStringLiteral(".fits"));
    if (kind == QLatin1String("cut")) {
        const qint64 header = headerBytes(m_movie);
        QVERIFY(header > 0);
        QVERIFY(writeTruncatedCopy(m_movie, path, header + 100));
    } else if (kind == QLatin1String("garbage")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(5000, '\x7f'));
    }
    DocumentModel document(new zelkir::FilePlayer(path, new ManualClock), nullptr);
    QSignalSpy failed(&document, &DocumentModel::openFailed);
    QSignalSpy status(&document, &DocumentModel::statusChanged);
    QCOMPARE(document.status(), DocumentModel::Loading);
    QVERIFY(failed.wait());
    QCOMPARE(failed.count(), 1);
    QCOMPARE(document.status(), DocumentModel::Failed);
    QVERIFY(!document.errorString().isEmpty());
    QCOMPARE(failed.at(0).at(0).toString(), document.errorString());
    QVERIFY(document.image().isNull());
    document.setCursorPos(QPoint(1, 1));
    QVERIFY(qIsNaN(document.cursorValue()));
}

void TestDocumentModel::imageFollowsPositionWhenFramesAreLost_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("file missing its second half") << QStringLiteral("half");
    QTest::newRow("frames lost while open") << QStringLiteral("lost");
    QTest::newRow("emptied while open") << QStringLiteral("emptied");
}

void TestDocumentModel::imageFollowsPositionWhenFramesAreLost()
{
    QFETCH(QString, kind);
    auto control = std::make_shared<FakeSourceControl>();
    if (kind == QLatin1String("half")) {
        const QString path = m_dir.filePath(QStringLiteral("half.fits"));
        QVERIFY(writeTruncatedCopy(m_movie, path, QFileInfo(m_movie).size() / 2));
        QVERIFY(open(path));
    } else {
        m_document = std::make_unique<DocumentModel>(
            new zelkir::FilePlayer(QString(), new ManualClock, fakeSourceOpener(control, 30)), nullptr);
        QSignalSpy image(m_document.get(), &DocumentModel::imageChanged);
        QVERIFY(image.wait());
        control->readable = kind == QLatin1String("lost") ? 9 : 0;
    }
    zelkir::FilePlayer* player = m_document->filePlayer();
    QSignalSpy error(player, &zelkir::FilePlayer::readErrorChanged);
    player->jumpToLast();
    QVERIFY(error.wait());
    QVERIFY(!player->readError().isEmpty());
    QCOMPARE(m_document->status(), DocumentModel::Ready);
    zelkir::FrameInfoModel* info = m_document->frameInfo();
    m_document->setCursorPos(QPoint(1, 1));
    if (kind == QLatin1String("emptied")) {
        QTRY_VERIFY_WITH_TIMEOUT(m_document->image().isNull(), 5000);
        QCOMPARE(info->rowCount(), 0);
        QVERIFY(qIsNaN(m_document->cursorValue()));
        // Nothing is asked of the file any more, so it never turns into a failed opening.
        m_document->setShowSaturationColors(true);
        QTest::qWait(50);
        QCOMPARE(m_document->status(), DocumentModel::Ready);
        return;
    }
    const QString position = QString::number(player->currentFrame());
    QTRY_COMPARE_WITH_TIMEOUT(info->value(QStringLiteral("Frame Number")), position, 5000);
    QVERIFY(player->currentFrame() < player->frameCount());
    QVERIFY(!m_document->image().isNull());
    QVERIFY(qIsFinite(m_document->cursorValue()));
}

void TestDocumentModel::objectParametersCorrectUserUnits()
{
    QVERIFY(open(m_calibrated));
    ObjectParameters* object = m_document->objectParameters();
    QVERIFY(object->available());
    // A file without user keywords starts as a black body in still air at 20 C.
    QCOMPARE(object->emissivity(), 1.0);
    QCOMPARE(object->reflectedTemperature(), 20.0);
    QCOMPARE(object->transmission(), 1.0);
    m_document->setCursorPos(QPoint(2, 1));
    QVERIFY(selectUnit(*m_document, DocumentModel::TEMPERATURE_FACTORY));
    const double factory = m_document->cursorValue();
    QVERIFY(selectUnit(*m_document, DocumentModel::TEMPERATURE_USER));
    QCOMPARE(m_document->cursorValue(), factory);

    QSignalSpy value(m_document.get(), &DocumentModel::cursorValueChanged);
    QSignalSpy transmission(object, &ObjectParameters::transmissionChanged);
    object->setEmissivity(0.95);
    object->setReflectedTemperature(10.0);
    object->setAtmosphereTemperature(25.0);
    object->setRelativeHumidity(50.0);
    object->setDistance(30.0);
    object->setUseAtmosphereModel(true);
    QVERIFY(!value.isEmpty());
    QVERIFY(!transmission.isEmpty());
    const double modelled = zelkir::AtmosphereModel::transmission(30.0, 50.0, 298.15);
    QCOMPARE(object->transmission(), modelled);
    // The model owns the transmission now.
    object->setTransmission(0.5);
    QCOMPARE(object->transmission(), modelled);

    // The same pixel worked out independently of the document's calibration.
    const FitsTestCube cube = calibratedCube();
    const double physical = cube.stored[fitsElement(cube, 2, 1, 0)];
    const auto planck
        = [](double kelvin) { return PlanckR / (std::exp(PlanckB / kelvin) - PlanckF) + PlanckO; };
    const double seen = RadOffset + RadGain * physical;
    const double own
        = (seen - 0.05 * modelled * planck(283.15) - (1.0 - modelled) * planck(298.15)) / (0.95 * modelled);
    const double celsius = PlanckB / std::log(PlanckR / (own - PlanckO) + PlanckF) - 273.15;
    QVERIFY2(std::abs(m_document->cursorValue() - celsius) < 1e-9,
        qPrintable(QStringLiteral("%1 instead of %2").arg(m_document->cursorValue()).arg(celsius)));
    QCOMPARE(m_document->calibration().parameters().atmosphereTransmission.value_or(0.0), modelled);

    // Temperatures follow the scale and keep their kelvin.
    QSignalSpy reflected(object, &ObjectParameters::reflectedTemperatureChanged);
    m_document->setTempTypeIndex(2);
    QCOMPARE(reflected.count(), 1);
    QCOMPARE(object->reflectedTemperature(), 283.15);
    object->setReflectedTemperature(290.0);
    QCOMPARE(object->reflectedKelvin(), 290.0);

    // The sidecar's section: back where it was after a reset, damaged members left out.
    const QJsonObject saved = object->toJson();
    object->reset();
    QCOMPARE(object->emissivity(), 1.0);
    QVERIFY(!object->useAtmosphereModel());
    QJsonObject damaged = saved;
    damaged.insert(QStringLiteral("distance"), -4.0);
    damaged.insert(QStringLiteral("emissivity"), QStringLiteral("high"));
    object->applyJson(damaged);
    QCOMPARE(object->emissivity(), 1.0);
    QCOMPARE(object->distance(), 0.0);
    QCOMPARE(object->reflectedKelvin(), 290.0);
    object->applyJson(saved);
    QCOMPARE(object->toJson(), saved);
}

void TestDocumentModel::objectParametersRefuseOutOfRange_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<double>("value");
    const double nan = std::nan("");
    for (double value : { 0.0, 0.005, 1.01, nan })
        QTest::addRow("emissivity %g", value) << QStringLiteral("emissivity") << value;
    for (double value : { 0.0, 1.5, nan })
        QTest::addRow("transmission %g", value) << QStringLiteral("transmission") << value;
    for (double value : { -1.0, 100001.0, nan })
        QTest::addRow("distance %g", value) << QStringLiteral("distance") << value;
    for (double value : { -0.1, 100.5 })
        QTest::addRow("humidity %g", value) << QStringLiteral("relativeHumidity") << value;
    QTest::newRow("reflected below 0 K") << QStringLiteral("reflectedTemperature") << -300.0;
    QTest::newRow("air at -150 C") << QStringLiteral("atmosphereTemperature") << -150.0;
}

void TestDocumentModel::objectParametersRefuseOutOfRange()
{
    QFETCH(QString, property);
    QFETCH(double, value);
    QVERIFY(open(m_calibrated));
    ObjectParameters* object = m_document->objectParameters();
    const QJsonObject before = object->toJson();
    QSignalSpy calibration(object, &ObjectParameters::calibrationChanged);
    QVERIFY(object->setProperty(qPrintable(property), value));
    QCOMPARE(object->toJson(), before);
    QCOMPARE(calibration.count(), 0);
}

void TestDocumentModel::objectParametersFollowTheSource()
{
    // The sample recordings carry EMISSIV and REFLTEMP.
    QVERIFY(open(m_movie));
    ObjectParameters* object = m_document->objectParameters();
    QVERIFY(object->available());
    QCOMPARE(object->emissivity(), 0.95);
    QCOMPARE(object->reflectedKelvin(), 295.15);
    QCOMPARE(object->atmosphereKelvin(), 295.15);
    object->setEmissivity(0.5);
    object->reset();
    QCOMPARE(object->emissivity(), 0.95);

    // Saved parameters handed over before the file is open go over the file's own.
    m_document = std::make_unique<DocumentModel>(new zelkir::FilePlayer(m_movie, new ManualClock), nullptr);
    m_document->objectParameters()->applyJson(QJsonObject { { QStringLiteral("emissivity"), 0.7 } });
    QSignalSpy image(m_document.get(), &DocumentModel::imageChanged);
    QVERIFY(image.wait());
    QCOMPARE(m_document->objectParameters()->emissivity(), 0.7);
    QCOMPARE(m_document->objectParameters()->reflectedKelvin(), 295.15);
    QCOMPARE(m_document->calibration().parameters().emissivity.value_or(0.0), 0.7);

    const QString path = m_dir.filePath(QStringLiteral("plain-counts.fits"));
    FitsTestCube cube = calibratedCube();
    cube.cards.clear();
    QString error;
    QVERIFY2(writeFitsTestFile(path, cube, &error), qPrintable(error));
    QVERIFY(open(path));
    QVERIFY(!m_document->objectParameters()->available());
}

void TestDocumentModel::exportedFitsReadsBack_data()
{
    QTest::addColumn<int>("bitpix");
    QTest::newRow("16-bit counts") << 16;
    // Floating-point data are mapped onto counts by a scale the export folds into radiance.
    QTest::newRow("floating point") << -32;
}

void TestDocumentModel::exportedFitsReadsBack()
{
    QFETCH(int, bitpix);
    FitsTestCube cube = calibratedCube();
    cube.bitpix = bitpix;
    cube.times = { 12.5 };
    cube.presets = { 3 };
    const QString source = m_dir.filePath(QStringLiteral("source%1.fits").arg(bitpix));
    QString error;
    QVERIFY2(writeFitsTestFile(source, cube, &error), qPrintable(error));
    QVERIFY(open(source));
    m_document->objectParameters()->setEmissivity(0.9);
    m_document->objectParameters()->setTransmission(0.95);
    m_document->objectParameters()->setAtmosphereTemperature(10.0);
    const QString path = m_dir.filePath(QStringLiteral("frame%1.fits").arg(bitpix));
    QCOMPARE(m_document->exportFrameFits(QUrl::fromLocalFile(path)), QString());

    std::unique_ptr<zelkir::FrameSource> copy = zelkir::FrameSourceFactory::open(path, &error);
    QVERIFY2(copy, qPrintable(error));
    QCOMPARE(copy->frameCount(), 1);
    QCOMPARE(copy->framePreset(0), 3);
    QCOMPARE(copy->frameTime(0), 12.5);
    const zelkir::CalibrationParameters& written = copy->calibration();
    QCOMPARE(written.emissivity.value_or(0.0), 0.9);
    QCOMPARE(written.atmosphereTransmission.value_or(0.0), 0.95);
    QCOMPARE(written.atmosphereKelvin.value_or(0.0), 283.15);
    QCOMPARE(written.reflectedKelvin.value_or(0.0), 293.15);
    zelkir::Frame frame;
    QVERIFY(copy->readFrame(0, frame, &error));
    QCOMPARE(frame.width, 4);
    QCOMPARE(frame.height, 3);
    const zelkir::Calibration calibration(written);
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const double physical = cube.stored[fitsElement(cube, x, y, 0)];
            const double expected = m_document->convert(physical, DocumentModel::TEMPERATURE_USER, 3);
            QVERIFY(qIsFinite(expected));
            const double actual = calibration.convert(frame.scale.toPhysical(frame.at(x, y)),
                zelkir::Unit::TemperatureUser, zelkir::TemperatureScale::Celsius, frame.preset);
            // Float data keep their value to within half a count step.
            QVERIFY2(std::abs(actual - expected) < (bitpix > 0 ? 1e-9 : 1e-3),
                qPrintable(
                    QStringLiteral("(%1, %2): %3 instead of %4").arg(x).arg(y).arg(actual).arg(expected)));
        }
    }
}

void TestDocumentModel::exportedCsvHoldsTheValues_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("tempType");
    QTest::addColumn<QString>("header");
    QTest::newRow("counts") << int(DocumentModel::COUNTS) << 0 << QStringLiteral("# unit: Counts");
    QTest::newRow("user radiance") << int(DocumentModel::RADIANCE_USER) << 0
                                   << QStringLiteral("# unit: Radiance (user) [W/(m\u00B2 sr)]");
    QTest::newRow("user temperature") << int(DocumentModel::TEMPERATURE_USER) << 1
                                      << QStringLiteral("# unit: Temperature (user) [\u00B0F]");
}

void TestDocumentModel::exportedCsvHoldsTheValues()
{
    QFETCH(int, unit);
    QFETCH(int, tempType);
    QFETCH(QString, header);
    FitsTestCube cube = calibratedCube();
    cube.cards.append({ "BLANK", -32768 });
    cube.stored[fitsElement(cube, 1, 2, 0)] = -32768;
    const QString source = m_dir.filePath(QStringLiteral("csv-source.fits"));
    QString error;
    QVERIFY2(writeFitsTestFile(source, cube, &error), qPrintable(error));
    QVERIFY(open(source));
    QVERIFY(selectUnit(*m_document, DocumentModel::Unit(unit)));
    m_document->setTempTypeIndex(tempType);
    m_document->objectParameters()->setEmissivity(0.8);
    const QString path = m_dir.filePath(QStringLiteral("frame.csv"));
    QCOMPARE(m_document->exportFrameCsv(path), QString());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 1 + 3 + 1);
    QCOMPARE(lines.first(), header);
    QCOMPARE(lines.last(), QString());
    for (int y = 0; y < 3; ++y) {
        const QStringList cells = lines.at(1 + y).split(QLatin1Char(','));
        QCOMPARE(cells.size(), 4);
        for (int x = 0; x < 4; ++x) {
            if (x == 1 && y == 2) {
                QCOMPARE(cells.at(x), QString());
                continue;
            }
            const double expected
                = m_document->convert(cube.stored[fitsElement(cube, x, y, 0)], DocumentModel::Unit(unit), 0);
            bool ok = false;
            const double value = cells.at(x).toDouble(&ok);
            QVERIFY(ok);
            // As many digits as the spot meter shows.
            QCOMPARE(cells.at(x), zelkir::formatUnitValue(expected, DocumentModel::Unit(unit)));
            QVERIFY(std::abs(value - expected) <= 5e-3 + 1e-4 * std::abs(expected));
        }
    }
}

void TestDocumentModel::exportedPngHasColourBar()
{
    QVERIFY(open(m_movie));
    const QString path = m_dir.filePath(QStringLiteral("frame.png"));
    QCOMPARE(m_document->exportFramePng(path), QString());
    const QImage picture(path);
    const QImage shown = m_document->image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(picture.size(), QSize(shown.width() + zelkir::FrameExporter::ColourBarWidth, shown.height()));
    QCOMPARE(picture.convertToFormat(QImage::Format_RGB32).copy(QRect(QPoint(), shown.size())), shown);
    // The ramp runs from the palette's first level at the bottom to its last at the top.
    const int rampX = shown.width() + 8;
    const QRgb bottom = picture.pixel(rampX, shown.height() - 5);
    const QRgb top = picture.pixel(rampX, 4);
    QCOMPARE(qGray(bottom), 0);
    QCOMPARE(qGray(top), 255);
}

void TestDocumentModel::exportsRefuseBadTargets()
{
    QVERIFY(open(m_calibrated));
    const QString missingFolder = m_dir.filePath(QStringLiteral("no/such/folder/frame"));
    for (const QString& extension :
        { QStringLiteral(".fits"), QStringLiteral(".csv"), QStringLiteral(".png") }) {
        const QString path = missingFolder + extension;
        const QString message = extension == QLatin1String(".fits") ? m_document->exportFrameFits(path)
            : extension == QLatin1String(".csv")                    ? m_document->exportFrameCsv(path)
                                                                    : m_document->exportFramePng(path);
        QVERIFY2(message.contains(QStringLiteral("does not exist")), qPrintable(message));
        QVERIFY(!QFile::exists(path));
    }
    QVERIFY(!m_document->exportFrameFits(QString()).isEmpty());
    QVERIFY(!m_document->exportFrameCsv(QUrl(QStringLiteral("https://example.org/frame.csv"))).isEmpty());
    // Replacing the file on show is refused, and the file stays as it was.
    const QByteArray original = [this] {
        QFile file(m_calibrated);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    QVERIFY(!m_document->exportFrameFits(m_calibrated).isEmpty());
    QFile file(m_calibrated);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), original);

    DocumentModel failed(
        new zelkir::FilePlayer(m_dir.filePath(QStringLiteral("absent.fits")), new ManualClock), nullptr);
    QSignalSpy openFailed(&failed, &DocumentModel::openFailed);
    QVERIFY(openFailed.wait());
    QVERIFY(!failed.exportFramePng(m_dir.filePath(QStringLiteral("none.png"))).isEmpty());
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("none.png"))));
}

// A GUI application: the exported picture has texts.
QTEST_MAIN(TestDocumentModel)
#include "tst_documentmodel.moc"
