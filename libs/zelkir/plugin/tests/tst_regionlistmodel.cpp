#include "regionlistmodel.h"
#include "regionstore.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using zelkir::RegionGeometry;
using zelkir::RegionKind;
using zelkir::RegionListModel;
using zelkir::RegionStore;
using zelkir::RegionStoreContents;

class TestRegionListModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void numbering();
    void refused_data();
    void refused();
    void selectionFollowsRows();
    void clampedToImage_data();
    void clampedToImage();
    void restoredRegionsAreNoEdit();

    void storeRoundTrip();
    void storeMissingFileIsEmpty();
    void storeRefuses_data();
    void storeRefuses();
    void storeUnwritableFolder();

private:
    QStringList names() const;

    std::unique_ptr<RegionListModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    QTemporaryDir m_dir;
};

void TestRegionListModel::init()
{
    m_model = std::make_unique<RegionListModel>();
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void TestRegionListModel::cleanup()
{
    m_tester.reset();
    m_model.reset();
}

QStringList TestRegionListModel::names() const
{
    QStringList list;
    for (int row = 0; row < m_model->rowCount(); ++row)
        list.append(m_model->data(m_model->index(row), RegionListModel::NameRole).toString());
    return list;
}

void TestRegionListModel::numbering()
{
    QSignalSpy edited(m_model.get(), &RegionListModel::edited);
    QCOMPARE(m_model->add(QStringLiteral("box"), 1, 1, 5, 5), 0);
    QCOMPARE(m_model->add(QStringLiteral("box"), 2, 2, 6, 6), 1);
    QCOMPARE(m_model->add(QStringLiteral("ellipse"), 2, 2, 6, 6), 2);
    QCOMPARE(m_model->add(QStringLiteral("spot"), 3, 3, 9, 9), 3);
    QCOMPARE(m_model->add(QStringLiteral("line"), 0, 0, 9, 9), 4);
    QCOMPARE(names(), QStringList({ "Box 1", "Box 2", "Ellipse 1", "Spot 1", "Line 1" }));
    // A spot is a point: its second corner follows the first.
    QCOMPARE(m_model->data(m_model->index(3), RegionListModel::X2Role).toDouble(), 3.0);
    QVERIFY(m_model->remove(0));
    QCOMPARE(m_model->add(QStringLiteral("box"), 0, 0, 1, 1), 4);
    QCOMPARE(m_model->add(QStringLiteral("box"), 0, 0, 1, 1), 5);
    QCOMPARE(names(), QStringList({ "Box 2", "Ellipse 1", "Spot 1", "Line 1", "Box 1", "Box 3" }));
    QCOMPARE(m_model->data(m_model->index(4), RegionListModel::KindRole).toString(), QStringLiteral("box"));
    QCOMPARE(m_model->data(m_model->index(4), RegionListModel::NumberRole).toInt(), 1);
    // Colours go by row.
    QCOMPARE(m_model->data(m_model->index(0), RegionListModel::ColorRole).value<QColor>(), m_model->color(0));
    QVERIFY(m_model->color(0) != m_model->color(1));
    QCOMPARE(edited.count(), 8);
    m_model->clear();
    QCOMPARE(m_model->count(), 0);
    QCOMPARE(edited.count(), 9);
}

void TestRegionListModel::refused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("x1");
    QTest::addColumn<double>("y2");

    QTest::newRow("unknown kind") << "polygon" << 1.0 << 2.0;
    QTest::newRow("capitalised kind") << "Box" << 1.0 << 2.0;
    QTest::newRow("NaN") << "box" << std::nan("") << 2.0;
    QTest::newRow("infinite") << "line" << 1.0 << HUGE_VAL;
}

void TestRegionListModel::refused()
{
    QFETCH(QString, kind);
    QFETCH(double, x1);
    QFETCH(double, y2);
    QCOMPARE(m_model->add(kind, x1, 0, 3, y2), -1);
    QCOMPARE(m_model->count(), 0);
    QVERIFY(!m_model->setGeometry(0, 0, 0, 1, 1));
    QCOMPARE(m_model->add(QStringLiteral("box"), 0, 0, 2, 2), 0);
    if (!std::isfinite(x1) || !std::isfinite(y2)) {
        QVERIFY(!m_model->setGeometry(0, x1, 0, 3, y2));
        QVERIFY(!m_model->move(0, x1, y2));
    }
}

void TestRegionListModel::selectionFollowsRows()
{
    QSignalSpy selected(m_model.get(), &RegionListModel::selectedChanged);
    for (int i = 0; i < RegionListModel::maximumCount; ++i)
        QCOMPARE(m_model->add(QStringLiteral("spot"), i, i, 0, 0), i);
    QCOMPARE(m_model->add(QStringLiteral("spot"), 1, 1, 0, 0), -1);
    QCOMPARE(m_model->selected(), RegionListModel::maximumCount - 1);
    m_model->setSelected(5);
    QVERIFY(m_model->remove(2));
    QCOMPARE(m_model->selected(), 4);
    QVERIFY(m_model->remove(4));
    QCOMPARE(m_model->selected(), -1);
    m_model->setSelected(99);
    QCOMPARE(m_model->selected(), -1);
    QVERIFY(!m_model->remove(99));
}

void TestRegionListModel::clampedToImage_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRectF>("drawn");
    QTest::addColumn<QPointF>("move");
    QTest::addColumn<QRectF>("kept");

    // Image 20 x 10. Boxes keep their size and move back to cover a pixel at the edge.
    QTest::newRow("box inside") << "box" << QRectF(2, 2, 4, 4) << QPointF() << QRectF(2, 2, 4, 4);
    QTest::newRow("box right of the image")
        << "box" << QRectF(30, 2, 4, 4) << QPointF() << QRectF(19, 2, 4, 4);
    QTest::newRow("box above and left")
        << "ellipse" << QRectF(-10, -10, 4, 4) << QPointF() << QRectF(-3, -3, 4, 4);
    QTest::newRow("box moved out") << "box" << QRectF(2, 2, 4, 4) << QPointF(-100, 0) << QRectF(-3, 2, 4, 4);
    QTest::newRow("line ends onto the image")
        << "line" << QRectF(-5, 3, 30, 2) << QPointF() << QRectF(0, 3, std::nextafter(20.0, 0.0), 2);
    QTest::newRow("line moved stops at the edge")
        << "line" << QRectF(2, 2, 5, 5) << QPointF(100, -1) << QRectF(std::nextafter(20.0, 0.0) - 5, 1, 5, 5);
    QTest::newRow("spot onto the last pixel")
        << "spot" << QRectF(25, 12, 0, 0) << QPointF()
        << QRectF(std::nextafter(20.0, 0.0), std::nextafter(10.0, 0.0), 0, 0);
}

void TestRegionListModel::clampedToImage()
{
    QFETCH(QString, kind);
    QFETCH(QRectF, drawn);
    QFETCH(QPointF, move);
    QFETCH(QRectF, kept);
    m_model->setImageSize(QSize(20, 10));
    QCOMPARE(m_model->add(kind, drawn.left(), drawn.top(), drawn.right(), drawn.bottom()), 0);
    if (!move.isNull())
        QVERIFY(m_model->move(0, move.x(), move.y()));
    const RegionGeometry g = m_model->regions().front().geometry;
    QCOMPARE(QRectF(g.p1, g.p2), kept);
}

void TestRegionListModel::restoredRegionsAreNoEdit()
{
    QSignalSpy edited(m_model.get(), &RegionListModel::edited);
    QSignalSpy changed(m_model.get(), &RegionListModel::geometryChanged);
    const double nan = std::nan("");
    m_model->setRegions({ { RegionKind::Box, QPointF(1, 1), QPointF(3, 3) },
        { RegionKind::Line, QPointF(nan, 1), QPointF(3, 3) },
        { RegionKind::Box, QPointF(0, 0), QPointF(1, 1) } });
    QCOMPARE(names(), QStringList({ "Box 1", "Box 2" }));
    QCOMPARE(edited.count(), 0);
    QCOMPARE(changed.count(), 1);
}

void TestRegionListModel::storeRoundTrip()
{
    const QString path = m_dir.filePath(QStringLiteral("deep/er/movie.fits.regions.json"));
    RegionStoreContents contents;
    contents.regions = { { RegionKind::Ellipse, QPointF(1.25, 2), QPointF(-3, 4.5) },
        { RegionKind::Spot, QPointF(7, 8), QPointF(7, 8) },
        { RegionKind::Line, QPointF(0, 0), QPointF(9, 1) } };
    contents.objectParameters = QJsonObject { { QStringLiteral("emissivity"), 0.95 } };
    QString error;
    QVERIFY2(RegionStore::save(path, contents, &error), qPrintable(error));
    const std::optional<RegionStoreContents> read = RegionStore::load(path, &error);
    QVERIFY2(read, qPrintable(error));
    QCOMPARE(read->regions.size(), contents.regions.size());
    for (std::size_t i = 0; i < contents.regions.size(); ++i) {
        QCOMPARE(read->regions[i].kind, contents.regions[i].kind);
        QCOMPARE(read->regions[i].p1, contents.regions[i].p1);
        QCOMPARE(read->regions[i].p2, contents.regions[i].p2);
    }
    QCOMPARE(read->objectParameters, contents.objectParameters);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(root.value(QStringLiteral("format")).toString(), QStringLiteral("zelkir-regions"));
    QCOMPARE(root.value(QStringLiteral("version")).toInt(), 1);
}

void TestRegionListModel::storeMissingFileIsEmpty()
{
    const std::optional<RegionStoreContents> read
        = RegionStore::load(m_dir.filePath(QStringLiteral("none.json")));
    QVERIFY(read);
    QVERIFY(read->regions.empty());
    QVERIFY(read->objectParameters.isEmpty());
}

void TestRegionListModel::storeRefuses_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("regions");

    const QByteArray good = R"({"format":"zelkir-regions","version":1,"regions":[)"
                            R"({"kind":"box","x1":1,"y1":2,"x2":3,"y2":4}]})";
    QTest::newRow("good") << good << 1;
    QTest::newRow("unknown kinds and bad numbers skipped") << QByteArray(
        R"({"format":"zelkir-regions","version":1,"regions":[{"kind":"star","x1":1,"y1":2,)"
        R"("x2":3,"y2":4},{"kind":"box","x1":"1","y1":2,"x2":3,"y2":4},7,)"
        R"({"kind":"spot","x1":1,"y1":2,"x2":1,"y2":2}]})") << 1;
    QTest::newRow("damaged") << good.left(good.size() - 3) << -1;
    QTest::newRow("not an object") << QByteArray("[1,2,3]") << -1;
    QTest::newRow("foreign format") << QByteArray(good).replace("zelkir-regions", "other") << -1;
    QTest::newRow("newer version") << QByteArray(good).replace("\"version\":1", "\"version\":2") << -1;
    QTest::newRow("regions not a list")
        << QByteArray(R"({"format":"zelkir-regions","version":1,"regions":{}})") << -1;
    QByteArray big = good;
    big.insert(1, "\"padding\":\"" + QByteArray(RegionStore::maximumSize, 'x') + "\",");
    QTest::newRow("too big") << big << -1;
}

void TestRegionListModel::storeRefuses()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, regions);
    const QString path = m_dir.filePath(QStringLiteral("store.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    QString error;
    const std::optional<RegionStoreContents> read = RegionStore::load(path, &error);
    QCOMPARE(read.has_value(), regions >= 0);
    if (read)
        QCOMPARE(int(read->regions.size()), regions);
    else
        QVERIFY(error.contains(path));
}

void TestRegionListModel::storeUnwritableFolder()
{
    // A file where the folder would have to be.
    const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QString error;
    QVERIFY(!RegionStore::save(blocker + QStringLiteral("/regions/cam.json"), {}, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestRegionListModel)
#include "tst_regionlistmodel.moc"
