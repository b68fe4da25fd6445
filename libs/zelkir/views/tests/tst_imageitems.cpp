#include <zelkir/views/imageview.h>
#include <zelkir/views/roiimageview.h>

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using zelkir::ImageView;
using zelkir::RoiImageView;

namespace {

// Red, green, blue and yellow quadrants of `side` x `side` pixels each.
QImage quadrants(int side = 1)
{
    QImage image(2 * side, 2 * side, QImage::Format_ARGB32);
    const QRgb colors[2][2]
        = { { qRgb(255, 0, 0), qRgb(0, 255, 0) }, { qRgb(0, 0, 255), qRgb(255, 255, 0) } };
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, colors[y / side][x / side]);
    return image;
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 8 && qAbs(qGreen(a) - qGreen(b)) < 8 && qAbs(qBlue(a) - qBlue(b)) < 8;
}

} // namespace

/// The items inside a real window, created from QML as the viewers create them.
class TestImageItems : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QQuickView> m_window;
    RoiImageView* m_view = nullptr;
    ImageView* m_plain = nullptr;

    // The view's top-left corner in window coordinates.
    static constexpr QPoint Origin { 50, 50 };

    QPoint inWindow(QPointF itemPoint) const { return (itemPoint + QPointF(Origin)).toPoint(); }

    void sendWheel(QPointF itemPoint, int delta)
    {
        const QPointF pos(inWindow(itemPoint));
        QWheelEvent event(pos, m_window->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QGuiApplication::sendEvent(m_window.get(), &event);
    }

    QVariant evaluate(const QString& expression)
    {
        QQmlExpression e(qmlContext(m_window->rootObject()), m_window->rootObject(), expression);
        const QVariant result = e.evaluate();
        if (e.hasError())
            qWarning() << e.error().toString();
        return result;
    }

private slots:
    void initTestCase()
    {
        qmlRegisterType<RoiImageView>("ZelkirViewsTest", 1, 0, "RoiImageView");
        qmlRegisterType<ImageView>("ZelkirViewsTest", 1, 0, "ImageView");
    }

    void init()
    {
        m_window = std::make_unique<QQuickView>();
        m_window->setColor(Qt::black);
        m_window->setSource(QUrl::fromLocalFile(QStringLiteral(QML_DIR "/items.qml")));
        QVERIFY2(m_window->status() == QQuickView::Ready, qPrintable(QDebug::toString(m_window->errors())));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_view = m_window->rootObject()->findChild<RoiImageView*>(QStringLiteral("view"));
        m_plain = m_window->rootObject()->findChild<ImageView*>(QStringLiteral("plain"));
        QVERIFY(m_view && m_plain);
    }

    void cleanup()
    {
        m_window.reset();
        m_view = nullptr;
        m_plain = nullptr;
    }

    void imageSetFits()
    {
        QSignalSpy actual(m_view, &RoiImageView::actualZoomChanged);
        QCOMPARE(m_view->cursorPos(), QPoint(-1, -1));
        m_view->setImage(QImage(100, 50, QImage::Format_ARGB32));
        QCOMPARE(m_view->zoom(), 0.0);
        QCOMPARE(m_view->actualZoom(), 2.0);
        QCOMPARE(actual.count(), 1);
        QCOMPARE(m_view->pan(), QPointF(0, -50));
        m_view->setImage(QImage(400, 100, QImage::Format_ARGB32));
        QCOMPARE(m_view->actualZoom(), 0.5);
        QCOMPARE(actual.count(), 2);
    }

    void imageChangesOnlyWhenNew()
    {
        QSignalSpy roiImage(m_view, &RoiImageView::imageChanged);
        QSignalSpy plainImage(m_plain, &ImageView::imageChanged);
        QImage image = quadrants();
        for (int round = 0; round < 2; ++round) {
            m_view->setImage(image);
            m_plain->setImage(image);
        }
        QCOMPARE(roiImage.count(), 1);
        QCOMPARE(plainImage.count(), 1);
        // Drawing into it makes it a new image, though it is the same object.
        image.setPixel(0, 0, qRgb(1, 2, 3));
        m_view->setImage(image);
        m_plain->setImage(image);
        QCOMPARE(roiImage.count(), 2);
        QCOMPARE(plainImage.count(), 2);
        m_view->setImage(QImage());
        m_view->setImage(QImage());
        QCOMPARE(roiImage.count(), 3);
        QVERIFY(m_view->image().isNull());
    }

    void wheelZoomsAboutPointer()
    {
        m_view->setImage(QImage(100, 100, QImage::Format_ARGB32));
        QSignalSpy zoom(m_view, &RoiImageView::zoomChanged);
        const QPointF pointer(30, 70);
        const QPointF before = (pointer + m_view->pan()) / m_view->actualZoom();
        sendWheel(pointer, 120);
        QCOMPARE(zoom.count(), 1);
        QCOMPARE(m_view->zoom(), 2.0 * 1.25);
        QCOMPARE(m_view->actualZoom(), 2.5);
        const QPointF after = (pointer + m_view->pan()) / m_view->actualZoom();
        QVERIFY(qAbs(after.x() - before.x()) < 1e-9 && qAbs(after.y() - before.y()) < 1e-9);
        sendWheel(pointer, -240);
        QVERIFY(m_view->zoom() < 2.0);
        // Zoomed out below the fit, the image is centred again.
        const double extent = 100 * m_view->actualZoom();
        QCOMPARE(m_view->pan(), QPointF((extent - 200) / 2, (extent - 200) / 2));
    }

    void dragPansAndClamps()
    {
        m_view->setImage(QImage(100, 100, QImage::Format_ARGB32));
        m_view->setZoom(4.0);
        QCOMPARE(m_view->pan(), QPointF(100, 100));
        QSignalSpy pan(m_view, &RoiImageView::panChanged);
        QSignalSpy clicked(m_view, &RoiImageView::pixelClicked);
        QTest::mousePress(m_window.get(), Qt::LeftButton, Qt::NoModifier, inWindow(QPointF(100, 100)));
        QTest::mouseMove(m_window.get(), inWindow(QPointF(130, 80)));
        QTest::mouseMove(m_window.get(), inWindow(QPointF(140, 60)));
        QTest::mouseRelease(m_window.get(), Qt::LeftButton, Qt::NoModifier, inWindow(QPointF(140, 60)));
        QVERIFY(pan.count() >= 1);
        QCOMPARE(m_view->pan(), QPointF(60, 140));
        QTest::mousePress(m_window.get(), Qt::LeftButton, Qt::NoModifier, inWindow(QPointF(10, 10)));
        QTest::mouseMove(m_window.get(), inWindow(QPointF(190, 190)));
        QTest::mouseRelease(m_window.get(), Qt::LeftButton, Qt::NoModifier, inWindow(QPointF(190, 190)));
        QCOMPARE(m_view->pan(), QPointF(0, 0));
        QCOMPARE(clicked.count(), 0);
        m_view->setPan(QPointF(1e6, -3));
        QCOMPARE(m_view->pan(), QPointF(200, 0));
    }

    void clickReportsPixel()
    {
        // Fitted at 2 view pixels per image pixel, with a 50-pixel band above and below.
        m_view->setImage(QImage(100, 50, QImage::Format_ARGB32));
        QSignalSpy clicked(m_view, &RoiImageView::pixelClicked);
        QTest::mouseClick(m_window.get(), Qt::LeftButton, Qt::NoModifier, inWindow(QPointF(31, 121)));
        QTest::mouseClick(m_window.get(), Qt::LeftButton, Qt::NoModifier, inWindow(QPointF(100, 20)));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.at(0).at(0).toPoint(), QPoint(15, 35));
        // Moved a little between press and release: still a click on the pixel pressed.
        QTest::mousePress(m_window.get(), Qt::LeftButton, Qt::NoModifier, inWindow(QPointF(3, 53)));
        QTest::mouseMove(m_window.get(), inWindow(QPointF(4, 54)));
        QTest::mouseRelease(m_window.get(), Qt::LeftButton, Qt::NoModifier, inWindow(QPointF(4, 54)));
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(clicked.at(1).at(0).toPoint(), QPoint(1, 1));
    }

    void hoverReportsPositions()
    {
        m_view->setImage(QImage(4, 4, QImage::Format_ARGB32));
        QSignalSpy entered(m_view, &RoiImageView::entered);
        QSignalSpy exited(m_view, &RoiImageView::exited);
        QSignalSpy cursor(m_view, &RoiImageView::cursorPosChanged);
        QTest::mouseMove(m_window.get(), QPoint(10, 10));
        QTest::mouseMove(m_window.get(), inWindow(QPointF(60, 160)));
        QTRY_COMPARE(entered.count(), 1);
        QCOMPARE(m_view->hoverPos(), QPointF(60, 160));
        QCOMPARE(m_view->cursorPos(), QPoint(1, 3));
        QVERIFY(cursor.count() >= 1);
        QTest::mouseMove(m_window.get(), inWindow(QPointF(199, 10)));
        QTRY_COMPARE(m_view->cursorPos(), QPoint(3, 0));
        QCOMPARE(exited.count(), 0);
        QTest::mouseMove(m_window.get(), QPoint(290, 290));
        QTRY_COMPARE(exited.count(), 1);
        QCOMPARE(entered.count(), 1);
        m_view->setImage(QImage());
        QCOMPARE(m_view->cursorPos(), QPoint(-1, -1));
    }

    void fitShowsPixels()
    {
        m_view->setImage(quadrants());
        QTRY_VERIFY(m_window->isExposed());
        const QImage shot = m_window->grabWindow();
        QCOMPARE(shot.size(), QSize(300, 300) * m_window->devicePixelRatio());
        const double dpr = m_window->devicePixelRatio();
        auto at = [&](QPointF p) { return shot.pixel((QPointF(inWindow(p)) * dpr).toPoint()); };
        QVERIFY(near(at(QPointF(50, 50)), qRgb(255, 0, 0)));
        QVERIFY(near(at(QPointF(150, 50)), qRgb(0, 255, 0)));
        QVERIFY(near(at(QPointF(50, 150)), qRgb(0, 0, 255)));
        QVERIFY(near(at(QPointF(150, 150)), qRgb(255, 255, 0)));
        // Nearest-neighbour: the colour holds right up to the pixel boundary.
        QVERIFY(near(at(QPointF(98, 98)), qRgb(255, 0, 0)));
        QVERIFY(near(at(QPointF(102, 98)), qRgb(0, 255, 0)));
        // Nothing is drawn outside the item.
        QVERIFY(near(shot.pixel(QPoint(20, 20) * dpr), qRgb(0, 0, 0)));
    }

    void imageRemovedAfterShown()
    {
        // The drawn image node goes away with the image, and the view stays drawable.
        m_view->setImage(quadrants());
        QImage shot = m_window->grabWindow();
        m_view->setImage(QImage());
        shot = m_window->grabWindow();
        const double dpr = m_window->devicePixelRatio();
        QVERIFY(near(shot.pixel((QPointF(inWindow(QPointF(50, 50))) * dpr).toPoint()), qRgb(0, 0, 0)));
        m_view->setImage(quadrants());
        shot = m_window->grabWindow();
        QVERIFY(near(shot.pixel((QPointF(inWindow(QPointF(50, 50))) * dpr).toPoint()), qRgb(255, 0, 0)));
    }

    void zoomedShowsPannedPart()
    {
        // 20 x 20 pixels at scale 40: the view shows the top-right corner, all green.
        m_view->setImage(quadrants(10));
        m_view->setZoom(40.0);
        m_view->setPan(QPointF(600, 0));
        QCOMPARE(m_view->pan(), QPointF(600, 0));
        const QImage shot = m_window->grabWindow();
        const double dpr = m_window->devicePixelRatio();
        QVERIFY(near(shot.pixel((QPointF(inWindow(QPointF(100, 100))) * dpr).toPoint()), qRgb(0, 255, 0)));
        QVERIFY(near(shot.pixel(QPoint(20, 20) * dpr), qRgb(0, 0, 0)));
        QVERIFY(near(shot.pixel(QPoint(280, 280) * dpr), qRgb(0, 0, 0)));
    }

    void roisAreOutlined()
    {
        QImage grey(10, 10, QImage::Format_ARGB32);
        grey.fill(qRgb(128, 128, 128));
        m_view->setImage(grey);
        QSignalSpy rois(m_view, &RoiImageView::roisChanged);
        evaluate(QStringLiteral("view.rois = [Qt.rect(2, 2, 4, 4), { x: 0, y: 8, width: 10, height: 2, "
                                "color: '#00ff00' }, 'junk']"));
        QCOMPARE(rois.count(), 1);
        QCOMPARE(m_view->rois().toList().size(), 3);
        const QImage shot = m_window->grabWindow();
        const double dpr = m_window->devicePixelRatio();
        auto at = [&](QPointF p) { return shot.pixel((QPointF(inWindow(p)) * dpr).toPoint()); };
        // Scale 20: the first region's left edge is at x = 40, the second's top at y = 160.
        QVERIFY(near(at(QPointF(40, 60)), qRgb(255, 0, 0)));
        QVERIFY(near(at(QPointF(60, 60)), qRgb(128, 128, 128)));
        QVERIFY(near(at(QPointF(100, 160)), qRgb(0, 255, 0)));
        evaluate(QStringLiteral("view.rois = null"));
        QVERIFY(m_view->rois().toList().isEmpty());
        QCOMPARE(rois.count(), 2);
        const QImage cleared = m_window->grabWindow();
        QVERIFY(
            near(cleared.pixel((QPointF(inWindow(QPointF(40, 60))) * dpr).toPoint()), qRgb(128, 128, 128)));
    }

    void kindsAreDrawn()
    {
        QImage grey(10, 10, QImage::Format_ARGB32);
        grey.fill(qRgb(128, 128, 128));
        m_view->setImage(grey);
        // Scale 20. A diagonal line, an ellipse filling the image, a spot's cross, and a
        // selected box drawn thicker than a plain one.
        evaluate(QStringLiteral(
            "view.rois = [{ kind: 'line', x: 0, y: 0, width: 0, height: 0, x1: 1, y1: 1, x2: 9, y2: 9, "
            "color: '#ff0000' }, { kind: 'ellipse', x: 0, y: 0, width: 10, height: 10, color: '#00ff00' }, "
            "{ kind: 'spot', x: 0, y: 0, width: 0, height: 0, x1: 2.525, y1: 7.525, x2: 2.525, y2: 7.525, "
            "color: '#0000ff' }, { x: 6, y: 0, width: 2, height: 2, color: '#ffff00', selected: true }]"));
        const QImage shot = m_window->grabWindow();
        const double dpr = m_window->devicePixelRatio();
        // Turned outlines are smoothed: a pixel on one is nearer its colour than the image's.
        const auto distance = [](QRgb a, QRgb b) {
            return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
        };
        const auto at = [&](QPointF p, QRgb colour) {
            const QRgb pixel = shot.pixel((QPointF(inWindow(p)) * dpr).toPoint());
            return distance(pixel, colour) < distance(pixel, qRgb(128, 128, 128));
        };
        const auto plain = [&](QPointF p) {
            return near(shot.pixel((QPointF(inWindow(p)) * dpr).toPoint()), qRgb(128, 128, 128));
        };
        QVERIFY(at(QPointF(100, 100), qRgb(255, 0, 0)));
        QVERIFY(at(QPointF(60, 60), qRgb(255, 0, 0)));
        QVERIFY(plain(QPointF(60, 80)));
        // The ellipse touches the middle of each side and leaves the corners alone.
        QVERIFY(at(QPointF(100, 0), qRgb(0, 255, 0)));
        QVERIFY(at(QPointF(0, 100), qRgb(0, 255, 0)));
        QVERIFY(at(QPointF(199, 100), qRgb(0, 255, 0)));
        QVERIFY(plain(QPointF(3, 3)));
        // The cross: arms beside the point, the point itself left visible.
        QVERIFY(at(QPointF(50 + 6, 150), qRgb(0, 0, 255)));
        QVERIFY(at(QPointF(50, 150 - 6), qRgb(0, 0, 255)));
        QVERIFY(plain(QPointF(50, 150)));
        // Two view pixels wide when selected.
        QVERIFY(at(QPointF(120, 20), qRgb(255, 255, 0)));
        QVERIFY(at(QPointF(121, 20), qRgb(255, 255, 0)));
        QVERIFY(plain(QPointF(122, 20)));
    }

    void mapsImagePoints()
    {
        QImage grey(10, 10, QImage::Format_ARGB32);
        grey.fill(qRgb(128, 128, 128));
        m_view->setImage(grey);
        m_view->setZoom(40.0);
        m_view->setPan(QPointF(100, 60));
        QCOMPARE(evaluate(QStringLiteral("view.mapToImage(Qt.point(20, 40))")).toPointF(), QPointF(3, 2.5));
        QCOMPARE(evaluate(QStringLiteral("view.mapFromImage(Qt.point(3, 2.5))")).toPointF(), QPointF(20, 40));
        QCOMPARE(m_view->mapToImage(m_view->mapFromImage(QPointF(-1.25, 12))), QPointF(-1.25, 12));
    }

    void imageViewKeepsOrStretches()
    {
        m_plain->setImage(quadrants());
        // The plain view is 100 x 50 at (0, 250): fitted, the image is a centred square.
        QCOMPARE(m_plain->imageRect(), QRectF(25, 0, 50, 50));
        QImage shot = m_window->grabWindow();
        const double dpr = m_window->devicePixelRatio();
        QVERIFY(near(shot.pixel(QPoint(10, 260) * dpr), qRgb(0, 0, 0)));
        QVERIFY(near(shot.pixel(QPoint(30, 260) * dpr), qRgb(255, 0, 0)));
        QSignalSpy changed(m_plain, &ImageView::preserveAspectRatioChanged);
        evaluate(QStringLiteral("plain.preserveAspectRatio = false"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(m_plain->imageRect(), QRectF(0, 0, 100, 50));
        shot = m_window->grabWindow();
        QVERIFY(near(shot.pixel(QPoint(10, 260) * dpr), qRgb(255, 0, 0)));
        QVERIFY(near(shot.pixel(QPoint(90, 290) * dpr), qRgb(255, 255, 0)));
    }
};

QTEST_MAIN(TestImageItems)

#include "tst_imageitems.moc"
