#include "documentmodel.h"
#include "fakesource.h"
#include "fileplayer.h"
#include "frameinfomodel.h"
#include "imageenhancementmodel.h"
#include "manualclock.h"
#include "samplefiles.h"
#include "support/fitstestwriter.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using zelkir::DocumentModel;

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

private:
    /// Opens `path` and waits for its first image.
    bool open(const QString& path);
    bool chooseUnit(DocumentModel::Unit unit);

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

bool TestDocumentModel::chooseUnit(DocumentModel::Unit unit)
{
    for (int index = 0; index < m_document->availableUnitStrings().size(); ++index) {
        m_document->setUnitIndex(index);
        if (m_document->unit() == unit)
            return true;
    }
    return false;
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
    QCOMPARE(m_document->availableUnitStrings().size(), 3);

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
    QVERIFY(chooseUnit(DocumentModel::Unit(unit)));
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
    QVERIFY(chooseUnit(DocumentModel::TEMPERATURE_FACTORY));
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

QTEST_GUILESS_MAIN(TestDocumentModel)
#include "tst_documentmodel.moc"
