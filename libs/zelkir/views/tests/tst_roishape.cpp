#include "roishape.h"

#include <QTest>

#include <limits>

using zelkir::RoiShape;
using zelkir::roiShapes;

namespace {

// A region as a QML object would give it: plain properties.
class RoiObject : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double x MEMBER x)
    Q_PROPERTY(double y MEMBER y)
    Q_PROPERTY(double width MEMBER width)
    Q_PROPERTY(double height MEMBER height)
    Q_PROPERTY(QString color MEMBER color)

public:
    double x = 1;
    double y = 2;
    double width = 3;
    double height = 4;
    QString color = QStringLiteral("#00ff00");
};

QVariantMap map(double x, double y, double w, double h)
{
    return { { "x", x }, { "y", y }, { "width", w }, { "height", h } };
}

} // namespace

class TestRoiShape : public QObject
{
    Q_OBJECT

private slots:
    void shapes_data()
    {
        QTest::addColumn<QVariantList>("rois");
        QTest::addColumn<QList<QRectF>>("rects");

        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("none") << QVariantList() << QList<QRectF>();
        QTest::newRow("rect") << QVariantList { QRect(1, 2, 3, 4) } << QList<QRectF> { QRectF(1, 2, 3, 4) };
        QTest::newRow("rectf") << QVariantList { QRectF(0.5, 0.5, 2, 2) }
                               << QList<QRectF> { QRectF(0.5, 0.5, 2, 2) };
        QTest::newRow("map") << QVariantList { map(5, 6, 7, 8) } << QList<QRectF> { QRectF(5, 6, 7, 8) };
        QTest::newRow("negative size is normalised")
            << QVariantList { QRectF(10, 10, -4, -2) } << QList<QRectF> { QRectF(6, 8, 4, 2) };
        QTest::newRow("no area skipped")
            << QVariantList { QRectF(1, 1, 0, 5), map(1, 1, 5, 0) } << QList<QRectF>();
        QTest::newRow("NaN skipped") << QVariantList { map(nan, 0, 1, 1) } << QList<QRectF>();
        QTest::newRow("map without height skipped")
            << QVariantList { QVariantMap { { "x", 1 }, { "y", 1 }, { "width", 1 } } } << QList<QRectF>();
        QTest::newRow("junk skipped") << QVariantList { QStringLiteral("rect"), 42, QVariant(),
            QRect(0, 0, 1, 1) } << QList<QRectF> { QRectF(0, 0, 1, 1) };
    }

    void shapes()
    {
        QFETCH(QVariantList, rois);
        QFETCH(QList<QRectF>, rects);
        const std::vector<RoiShape> shapes = roiShapes(rois);
        QCOMPARE(int(shapes.size()), rects.size());
        for (int i = 0; i < rects.size(); ++i) {
            QCOMPARE(shapes[size_t(i)].rect, rects[i]);
            QVERIFY(shapes[size_t(i)].color.isValid());
        }
    }

    void colors()
    {
        QVariantMap coloured = map(0, 0, 1, 1);
        coloured.insert(QStringLiteral("color"), QStringLiteral("#123456"));
        const std::vector<RoiShape> shapes = roiShapes({ QRect(0, 0, 1, 1), QRect(0, 0, 2, 2), coloured });
        QCOMPARE(int(shapes.size()), 3);
        // Regions without a colour get different ones, so neighbours stay apart.
        QVERIFY(shapes[0].color != shapes[1].color);
        QCOMPARE(shapes[2].color, QColor(0x12, 0x34, 0x56));
    }

    void kinds_data()
    {
        QTest::addColumn<QVariantMap>("roi");
        QTest::addColumn<bool>("drawn");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QPointF>("p1");
        QTest::addColumn<QPointF>("p2");

        const auto with = [](QVariantMap m, const char* kind, QVariantMap extra = {}) {
            m.insert(QStringLiteral("kind"), QString::fromLatin1(kind));
            m.insert(extra);
            return m;
        };
        const QVariantMap ends { { "x1", 1.5 }, { "y1", 2.5 }, { "x2", 7 }, { "y2", 3 } };
        using K = RoiShape::Kind;
        QTest::newRow("no kind is a box") << map(1, 2, 3, 4) << true << int(K::Box) << QPointF() << QPointF();
        QTest::newRow("unknown kind is a box")
            << with(map(1, 2, 3, 4), "star") << true << int(K::Box) << QPointF() << QPointF();
        QTest::newRow("ellipse") << with(map(1, 2, 3, 4), "ellipse") << true << int(K::Ellipse) << QPointF()
                                 << QPointF();
        QTest::newRow("ellipse without area")
            << with(map(1, 2, 0, 4), "ellipse") << false << 0 << QPointF() << QPointF();
        QTest::newRow("line by its ends") << with(map(0, 0, 0, 0), "line", ends) << true << int(K::Line)
                                          << QPointF(1.5, 2.5) << QPointF(7, 3);
        QTest::newRow("line by its rectangle")
            << with(map(1, 2, 3, 4), "line") << true << int(K::Line) << QPointF(1, 2) << QPointF(4, 6);
        QTest::newRow("line without length")
            << with(map(1, 2, 0, 0), "line") << false << 0 << QPointF() << QPointF();
        QTest::newRow("spot by its point") << with(map(0, 0, 0, 0), "spot", ends) << true << int(K::Spot)
                                           << QPointF(1.5, 2.5) << QPointF(7, 3);
        QTest::newRow("spot by its rectangle's centre")
            << with(map(1, 2, 2, 2), "spot") << true << int(K::Spot) << QPointF(2, 3) << QPointF(3, 4);
        QTest::newRow("spot without a point")
            << QVariantMap { { "kind", "spot" }, { "x1", 1 } } << false << 0 << QPointF() << QPointF();
    }

    void kinds()
    {
        QFETCH(QVariantMap, roi);
        QFETCH(bool, drawn);
        QFETCH(int, kind);
        QFETCH(QPointF, p1);
        QFETCH(QPointF, p2);
        const std::vector<RoiShape> shapes = roiShapes({ roi });
        QCOMPARE(shapes.size(), std::size_t(drawn ? 1 : 0));
        if (!drawn)
            return;
        QCOMPARE(int(shapes[0].kind), kind);
        if (shapes[0].kind == RoiShape::Kind::Line || shapes[0].kind == RoiShape::Kind::Spot) {
            QCOMPARE(shapes[0].p1, p1);
            QCOMPARE(shapes[0].p2, p2);
        }
    }

    void objects()
    {
        RoiObject object;
        const std::vector<RoiShape> shapes = roiShapes({ QVariant::fromValue<QObject*>(&object) });
        QCOMPARE(int(shapes.size()), 1);
        QCOMPARE(shapes[0].rect, QRectF(1, 2, 3, 4));
        QCOMPARE(shapes[0].color, QColor(0, 255, 0));
        QCOMPARE(int(roiShapes({ QVariant::fromValue<QObject*>(nullptr) }).size()), 0);
    }
};

QTEST_APPLESS_MAIN(TestRoiShape)

#include "tst_roishape.moc"
