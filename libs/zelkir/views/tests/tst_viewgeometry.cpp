#include <zelkir/views/viewgeometry.h>

#include <QTest>

#include <cmath>
#include <limits>

using zelkir::ViewGeometry;

class TestViewGeometry : public QObject
{
    Q_OBJECT

private:
    static ViewGeometry make(QSize image, QSizeF view)
    {
        ViewGeometry g;
        g.setViewSize(view);
        g.setImageSize(image);
        return g;
    }

private slots:
    void fit_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QSizeF>("view");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QRectF>("rect");

        QTest::newRow("same size") << QSize(640, 512) << QSizeF(640, 512) << 1.0 << QRectF(0, 0, 640, 512);
        QTest::newRow("wide view") << QSize(100, 100) << QSizeF(400, 200) << 2.0 << QRectF(100, 0, 200, 200);
        QTest::newRow("tall view") << QSize(100, 50) << QSizeF(100, 300) << 1.0 << QRectF(0, 125, 100, 50);
        QTest::newRow("shrink") << QSize(1280, 1024) << QSizeF(640, 640) << 0.5 << QRectF(0, 64, 640, 512);
        QTest::newRow("one pixel") << QSize(1, 1) << QSizeF(300, 200) << 200.0 << QRectF(50, 0, 200, 200);
        QTest::newRow("huge") << QSize(1000000, 10) << QSizeF(1000, 1000) << 0.001
                              << QRectF(0, 499.995, 1000, 0.01);
        QTest::newRow("no image") << QSize() << QSizeF(300, 200) << 1.0 << QRectF();
        QTest::newRow("no view") << QSize(10, 10) << QSizeF(0, 0) << 1.0 << QRectF(0, 0, 10, 10);
    }

    void fit()
    {
        QFETCH(QSize, image);
        QFETCH(QSizeF, view);
        QFETCH(double, scale);
        QFETCH(QRectF, rect);
        const ViewGeometry g = make(image, view);
        QCOMPARE(g.zoom(), 0.0);
        QCOMPARE(g.actualZoom(), scale);
        const QRectF r = g.imageRect();
        QCOMPARE(r.isEmpty(), rect.isEmpty());
        if (!rect.isEmpty()) {
            QVERIFY2(std::abs(r.x() - rect.x()) < 1e-9 && std::abs(r.y() - rect.y()) < 1e-9,
                qPrintable(QStringLiteral("%1,%2").arg(r.x()).arg(r.y())));
            QVERIFY(std::abs(r.width() - rect.width()) < 1e-9 && std::abs(r.height() - rect.height()) < 1e-9);
        }
    }

    void zoomKeepsAnchor_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QPointF>("anchor");

        QTest::newRow("in at centre") << 4.0 << QPointF(320, 256);
        QTest::newRow("in at corner") << 3.0 << QPointF(10, 20);
        QTest::newRow("in at far corner") << 8.0 << QPointF(630, 500);
        QTest::newRow("deep") << 64.0 << QPointF(123.5, 77.25);
    }

    void zoomKeepsAnchor()
    {
        QFETCH(double, zoom);
        QFETCH(QPointF, anchor);
        ViewGeometry g = make(QSize(320, 256), QSizeF(640, 512));
        const QPointF before = g.mapToImage(anchor);
        g.setZoom(zoom, anchor);
        QCOMPARE(g.zoom(), zoom);
        QCOMPARE(g.actualZoom(), zoom);
        const QPointF after = g.mapToImage(anchor);
        QVERIFY2(std::abs(after.x() - before.x()) < 1e-9 && std::abs(after.y() - before.y()) < 1e-9,
            qPrintable(QStringLiteral("%1,%2 became %3,%4")
                           .arg(before.x())
                           .arg(before.y())
                           .arg(after.x())
                           .arg(after.y())));
    }

    void zoomByLeavesFit()
    {
        ViewGeometry g = make(QSize(100, 100), QSizeF(400, 200));
        g.zoomBy(1.5, QPointF(200, 100));
        QCOMPARE(g.zoom(), 3.0);
        // The centre of the view stays on the centre of the image.
        QCOMPARE(g.mapToImage(QPointF(200, 100)), QPointF(50, 50));
        g.zoomBy(0.0, QPointF(0, 0));
        g.zoomBy(std::numeric_limits<double>::quiet_NaN(), QPointF(0, 0));
        QCOMPARE(g.zoom(), 3.0);
    }

    void zoomBounds_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<double>("request");
        QTest::addColumn<double>("expected");

        QTest::newRow("too far in") << QSize(100, 100) << 1000.0 << ViewGeometry::MaximumZoom;
        QTest::newRow("too far out") << QSize(100, 100) << 0.0001 << ViewGeometry::MinimumZoom;
        QTest::newRow("tiny image keeps its fit") << QSize(2, 2) << 1000.0 << 100.0;
        QTest::newRow("huge image keeps its fit") << QSize(20000, 20000) << 1e-9 << 0.01;
        QTest::newRow("negative is fit") << QSize(100, 100) << -2.0 << 0.0;
        QTest::newRow("NaN is fit") << QSize(100, 100) << std::numeric_limits<double>::quiet_NaN() << 0.0;
    }

    void zoomBounds()
    {
        QFETCH(QSize, image);
        QFETCH(double, request);
        QFETCH(double, expected);
        ViewGeometry g = make(image, QSizeF(200, 200));
        g.setZoom(request, QPointF(100, 100));
        QVERIFY2(std::abs(g.zoom() - expected) < 1e-12, qPrintable(QString::number(g.zoom())));
    }

    void panClamps_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QPointF>("request");
        QTest::addColumn<QPointF>("expected");

        // 100 x 50 image in a 200 x 200 view.
        QTest::newRow("inside") << 4.0 << QPointF(50, 0) << QPointF(50, 0);
        QTest::newRow("before start") << 4.0 << QPointF(-30, -1) << QPointF(0, 0);
        QTest::newRow("past end") << 4.0 << QPointF(1000, 1000) << QPointF(200, 0);
        QTest::newRow("narrow axis centred") << 3.0 << QPointF(40, 40) << QPointF(40, -25);
        QTest::newRow("both axes centred") << 1.0 << QPointF(40, 40) << QPointF(-50, -75);
        QTest::newRow("NaN ignored") << 4.0 << QPointF(std::numeric_limits<double>::quiet_NaN(), 0)
                                     << QPointF(0, 0);
    }

    void panClamps()
    {
        QFETCH(double, zoom);
        QFETCH(QPointF, request);
        QFETCH(QPointF, expected);
        ViewGeometry g = make(QSize(100, 50), QSizeF(200, 200));
        g.setZoom(zoom, QPointF(0, 0));
        g.setPan(request);
        QCOMPARE(g.pan(), expected);
    }

    void resizeKeepsPanInside()
    {
        ViewGeometry g = make(QSize(100, 100), QSizeF(100, 100));
        g.setZoom(2.0, QPointF(0, 0));
        g.setPan(QPointF(100, 100));
        QCOMPARE(g.pan(), QPointF(100, 100));
        g.setViewSize(QSizeF(150, 150));
        QCOMPARE(g.pan(), QPointF(50, 50));
        g.setImageSize(QSize(10, 10));
        QCOMPARE(g.pan(), QPointF(-65, -65));
        g.setImageSize(QSize());
        QCOMPARE(g.pan(), QPointF(0, 0));
    }

    void cursorPos_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QPoint>("expected");

        // Fit into 200 x 200: a 4 x 2 image is drawn at scale 50 from y = 50.
        QTest::newRow("first pixel") << QSize(4, 2) << QPointF(0, 50) << QPoint(0, 0);
        QTest::newRow("inside") << QSize(4, 2) << QPointF(120, 120) << QPoint(2, 1);
        QTest::newRow("pixel edge") << QSize(4, 2) << QPointF(49.99, 99.99) << QPoint(0, 0);
        QTest::newRow("last pixel") << QSize(4, 2) << QPointF(199.99, 149.99) << QPoint(3, 1);
        // The margins above and below the fitted image are no pixel of it.
        QTest::newRow("above") << QSize(4, 2) << QPointF(199, 0) << QPoint(-1, -1);
        QTest::newRow("below") << QSize(4, 2) << QPointF(100, 150) << QPoint(-1, -1);
        QTest::newRow("left") << QSize(4, 2) << QPointF(-5, 100) << QPoint(-1, -1);
        QTest::newRow("far away") << QSize(4, 2) << QPointF(1e300, -1e300) << QPoint(-1, -1);
        QTest::newRow("NaN") << QSize(4, 2) << QPointF(std::nan(""), std::nan("")) << QPoint(-1, -1);
        QTest::newRow("no image") << QSize() << QPointF(10, 10) << QPoint(-1, -1);
        QTest::newRow("huge") << QSize(100000, 100000) << QPointF(199.999, 199.999) << QPoint(99999, 99999);
    }

    void cursorPos()
    {
        QFETCH(QSize, image);
        QFETCH(QPointF, point);
        QFETCH(QPoint, expected);
        const ViewGeometry g = make(image, QSizeF(200, 200));
        QCOMPARE(g.cursorPos(point), expected);
    }

    void cursorFollowsPanAndZoom()
    {
        ViewGeometry g = make(QSize(100, 100), QSizeF(100, 100));
        g.setZoom(10.0, QPointF(0, 0));
        QCOMPARE(g.cursorPos(QPointF(15, 25)), QPoint(1, 2));
        g.setPan(QPointF(100, 200));
        QCOMPARE(g.cursorPos(QPointF(15, 25)), QPoint(11, 22));
        QCOMPARE(g.mapFromImage(QPointF(11, 22)), QPointF(10, 20));
    }
};

QTEST_APPLESS_MAIN(TestViewGeometry)

#include "tst_viewgeometry.moc"
