#include "documentmodel.h"
#include "fileplayer.h"
#include "frameinfomodel.h"
#include "manualclock.h"
#include "support/fitstestwriter.h"
#include "unitchoice.h"
#include "unitformat.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using zelkir::DocumentModel;

namespace {

FitsTestCube calibratedCube()
{
    FitsTestCube cube;
    cube.bitpix = 16;
    cube.axes = { 4, 3 };
    for (int i = 0; i < 12; ++i)
        cube.stored.push_back(1000.0 + 250.0 * i);
    cube.cards = { { "RADGAIN", 0.01 }, { "RADOFFS", 2.0 }, { "PLANCK_R", 5685.76 }, { "PLANCK_B", 1404.0 },
        { "PLANCK_F", 1.0 }, { "PLANCK_O", 1.63 } };
    return cube;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDocumentRegions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void figuresInUnits_data();
    void figuresInUnits();
    void frameInformationRows();
    void roisHoldRegionsAndMarks();
    void storeRestoresAndKeeps();
    void damagedStoreIsLeftAlone();
    void unwritableStoreStillWorks();

private:
    bool open(const QString& storePath = QString());

    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<DocumentModel> m_document;
};

void TestDocumentRegions::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("calibrated.fits"));
    QString error;
    QVERIFY2(writeFitsTestFile(m_path, calibratedCube(), &error), qPrintable(error));
}

void TestDocumentRegions::cleanup()
{
    m_document.reset();
}

bool TestDocumentRegions::open(const QString& storePath)
{
    m_document = std::make_unique<DocumentModel>(new zelkir::FilePlayer(m_path, new ManualClock), nullptr);
    // As the program's model does: right after making it, before it has opened.
    m_document->setRegionStorePath(storePath);
    QSignalSpy image(m_document.get(), &DocumentModel::imageChanged);
    return image.wait(5000) && m_document->status() == DocumentModel::Ready;
}

void TestDocumentRegions::figuresInUnits_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("tempType");

    QTest::newRow("counts") << int(DocumentModel::COUNTS) << 0;
    QTest::newRow("radiance") << int(DocumentModel::RADIANCE_FACTORY) << 0;
    QTest::newRow("celsius") << int(DocumentModel::TEMPERATURE_FACTORY) << 0;
    QTest::newRow("fahrenheit") << int(DocumentModel::TEMPERATURE_FACTORY) << 1;
}

void TestDocumentRegions::figuresInUnits()
{
    QFETCH(int, unit);
    QFETCH(int, tempType);
    QVERIFY(open());
    zelkir::RegionListModel* regions = m_document->regions();
    // Columns 1-2 of rows 0-1, after the unit changed: the figures follow it.
    QCOMPARE(regions->add(QStringLiteral("box"), 1, 0, 3, 2), 0);
    QVERIFY(selectUnit(*m_document, DocumentModel::Unit(unit)));
    m_document->setTempTypeIndex(tempType);

    const FitsTestCube cube = calibratedCube();
    std::vector<double> values;
    for (int y = 0; y < 2; ++y) {
        for (int x = 1; x < 3; ++x)
            values.push_back(
                m_document->convert(cube.stored[fitsElement(cube, x, y, 0)], m_document->unit(), 0));
    }
    double mean = 0;
    for (double v : values)
        mean += v / values.size();
    double squares = 0;
    for (double v : values)
        squares += (v - mean) * (v - mean) / values.size();
    const QVariantMap figures = regions->statistics(0);
    const auto close
        = [](double a, double b) { return std::abs(a - b) <= 1e-6 * std::max(1.0, std::abs(b)); };
    QCOMPARE(figures.value(QStringLiteral("pixels")).toLongLong(), 4);
    QVERIFY2(close(figures.value(QStringLiteral("mean")).toDouble(), mean),
        qPrintable(figures.value(QStringLiteral("mean")).toString()));
    QVERIFY(close(figures.value(QStringLiteral("minimum")).toDouble(),
        *std::min_element(values.begin(), values.end())));
    QVERIFY(close(figures.value(QStringLiteral("maximum")).toDouble(),
        *std::max_element(values.begin(), values.end())));
    QVERIFY(close(figures.value(QStringLiteral("deviation")).toDouble(), std::sqrt(squares)));
    QCOMPARE(regions->data(regions->index(0), zelkir::RegionListModel::MeanTextRole).toString(),
        zelkir::formatUnitValue(figures.value(QStringLiteral("mean")).toDouble(), m_document->unit()));

    // New calibration inputs recompute; with the same calibration the figures stay.
    QSignalSpy changed(regions, &QAbstractItemModel::dataChanged);
    const quint64 revision = m_document->calibrationRevision();
    m_document->invalidateUnits();
    QCOMPARE(m_document->calibrationRevision(), revision + 1);
    QVERIFY(!changed.isEmpty());
    QCOMPARE(regions->statistics(0), figures);
}

void TestDocumentRegions::frameInformationRows()
{
    QVERIFY(open());
    QVERIFY(selectUnit(*m_document, DocumentModel::TEMPERATURE_FACTORY));
    zelkir::RegionListModel* regions = m_document->regions();
    QCOMPARE(regions->add(QStringLiteral("ellipse"), 0, 0, 4, 3), 0);
    QCOMPARE(regions->add(QStringLiteral("spot"), 1.5, 2.5, 0, 0), 1);
    QStringList names;
    for (const auto& entry : m_document->frameInfo()->entries())
        names.append(entry.name);
    const qsizetype mean = names.indexOf(QStringLiteral("Mean"));
    QCOMPARE(names.mid(mean + 1, 5),
        QStringList({ "Ellipse 1 Min", "Ellipse 1 Max", "Ellipse 1 Mean", "Ellipse 1 Std Dev", "Spot 1" }));
    const FitsTestCube cube = calibratedCube();
    const double spot = m_document->convert(cube.stored[fitsElement(cube, 1, 2, 0)], m_document->unit(), 0);
    QCOMPARE(m_document->frameInfo()->value(QStringLiteral("Spot 1")), QString::number(spot, 'f', 2));
    QVERIFY(regions->remove(0));
    QCOMPARE(m_document->frameInfo()->value(QStringLiteral("Ellipse 1 Mean")), QString());
    QVERIFY(m_document->frameInfo()->value(QStringLiteral("Spot 1")).endsWith(QString::number(spot, 'f', 2)));
}

void TestDocumentRegions::roisHoldRegionsAndMarks()
{
    QVERIFY(open());
    QSignalSpy rois(m_document.get(), &DocumentModel::roisChanged);
    zelkir::RegionListModel* regions = m_document->regions();
    QCOMPARE(regions->add(QStringLiteral("line"), 3, 2, 1, 0), 0);
    QCOMPARE(regions->add(QStringLiteral("box"), 0, 0, 1, 1), 1);
    const QVariantMap mark { { QStringLiteral("x"), 2 }, { QStringLiteral("y"), 1 },
        { QStringLiteral("width"), 1 }, { QStringLiteral("height"), 1 },
        { QStringLiteral("color"), QStringLiteral("#ff00ff") } };
    m_document->setPixelMarks({ mark });
    const QVariantList list = m_document->rois();
    QCOMPARE(list.size(), 3);
    const QVariantMap line = list[0].toMap();
    QCOMPARE(line.value(QStringLiteral("kind")).toString(), QStringLiteral("line"));
    QCOMPARE(line.value(QStringLiteral("label")).toString(), QStringLiteral("Line 1"));
    QCOMPARE(
        QRectF(line.value(QStringLiteral("x")).toDouble(), line.value(QStringLiteral("y")).toDouble(),
            line.value(QStringLiteral("width")).toDouble(), line.value(QStringLiteral("height")).toDouble()),
        QRectF(1, 0, 2, 2));
    QCOMPARE(line.value(QStringLiteral("x1")).toDouble(), 3.0);
    QCOMPARE(line.value(QStringLiteral("selected")).toBool(), false);
    QCOMPARE(list[1].toMap().value(QStringLiteral("selected")).toBool(), true);
    QCOMPARE(list[1].toMap().value(QStringLiteral("color")).toString(), regions->color(1).name());
    QCOMPARE(list[2].toMap(), mark);
    const int before = rois.count();
    regions->setSelected(0);
    QCOMPARE(rois.count(), before + 1);
    QCOMPARE(m_document->rois()[0].toMap().value(QStringLiteral("selected")).toBool(), true);
    m_document->setPixelMarks({});
    QCOMPARE(m_document->rois().size(), 2);
}

void TestDocumentRegions::storeRestoresAndKeeps()
{
    const QString store = m_dir.filePath(QStringLiteral("keep.regions.json"));
    QFile::remove(store);
    // Nothing kept, nothing written while nothing changed.
    QVERIFY(open(store));
    QCOMPARE(m_document->regions()->count(), 0);
    m_document.reset();
    QVERIFY(!QFile::exists(store));

    QVERIFY(open(store));
    m_document->regions()->add(QStringLiteral("ellipse"), 0.5, 0.5, 3.5, 2.5);
    m_document->regions()->add(QStringLiteral("spot"), 2.25, 1.75, 0, 0);
    m_document.reset();
    QVERIFY(QFile::exists(store));

    QVERIFY(open(store));
    zelkir::RegionListModel* regions = m_document->regions();
    QCOMPARE(regions->count(), 2);
    QCOMPARE(regions->data(regions->index(0), zelkir::RegionListModel::KindRole).toString(),
        QStringLiteral("ellipse"));
    QCOMPARE(regions->data(regions->index(1), zelkir::RegionListModel::Y1Role).toDouble(), 1.75);
    // Read back, the figures are there with the first image.
    QCOMPARE(regions->statistics(1).value(QStringLiteral("pixels")).toLongLong(), 1);
}

void TestDocumentRegions::damagedStoreIsLeftAlone()
{
    const QString store = m_dir.filePath(QStringLiteral("damaged.regions.json"));
    QFile file(store);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("{\"format\":\"zelkir-regions\",");
    file.close();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("regions not restored:.*damaged")));
    QVERIFY(open(store));
    QCOMPARE(m_document->regions()->count(), 0);
    m_document.reset();
    QCOMPARE(readAll(store), QByteArray("{\"format\":\"zelkir-regions\","));

    // The user's own edit replaces it.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("regions not restored")));
    QVERIFY(open(store));
    m_document->regions()->add(QStringLiteral("box"), 0, 0, 2, 2);
    QTRY_VERIFY(QJsonDocument::fromJson(readAll(store)).isObject());
    const QJsonArray kept
        = QJsonDocument::fromJson(readAll(store)).object().value(QStringLiteral("regions")).toArray();
    QCOMPARE(kept.size(), 1);
}

void TestDocumentRegions::unwritableStoreStillWorks()
{
    const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(open(blocker + QStringLiteral("/regions/camera.json")));
    QCOMPARE(m_document->regions()->add(QStringLiteral("box"), 0, 0, 2, 2), 0);
    QCOMPARE(m_document->regions()->statistics(0).value(QStringLiteral("pixels")).toLongLong(), 4);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("regions not kept")));
    m_document.reset();
}

QTEST_MAIN(TestDocumentRegions)
#include "tst_documentregions.moc"
