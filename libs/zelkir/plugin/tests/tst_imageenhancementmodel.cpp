#include "imageenhancementmodel.h"

#include <QSignalSpy>
#include <QTest>

using zelkir::ImageEnhancementModel;

class TestImageEnhancementModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scaleModes_data();
    void scaleModes();
    void clamps_data();
    void clamps();
};

void TestImageEnhancementModel::scaleModes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("pipelineMode");

    QTest::newRow("linear") << 0 << int(ImageEnhancementModel::SCALE_LINEAR)
                            << int(zelkir::ScaleMode::Linear);
    QTest::newRow("plateau") << 1 << int(ImageEnhancementModel::SCALE_PLATEAU)
                             << int(zelkir::ScaleMode::Plateau);
    QTest::newRow("dde") << 2 << int(ImageEnhancementModel::SCALE_DDE) << int(zelkir::ScaleMode::Dde);
    QTest::newRow("beyond refused") << 3 << int(ImageEnhancementModel::SCALE_PLATEAU)
                                    << int(zelkir::ScaleMode::Plateau);
    QTest::newRow("negative refused")
        << -1 << int(ImageEnhancementModel::SCALE_PLATEAU) << int(zelkir::ScaleMode::Plateau);
}

void TestImageEnhancementModel::scaleModes()
{
    QFETCH(int, index);
    QFETCH(int, mode);
    QFETCH(int, pipelineMode);
    ImageEnhancementModel model;
    QCOMPARE(model.availableScaleModeStrings().size(), 3);
    model.setScaleModeIndex(ImageEnhancementModel::SCALE_PLATEAU);
    QSignalSpy changed(&model, &ImageEnhancementModel::scaleModeChanged);
    model.setScaleModeIndex(index);
    QCOMPARE(int(model.scaleMode()), mode);
    QCOMPARE(model.scaleModeIndex(), mode);
    QCOMPARE(int(model.settings().mode), pipelineMode);
    QCOMPARE(changed.count(), mode == ImageEnhancementModel::SCALE_PLATEAU ? 0 : 1);
}

void TestImageEnhancementModel::clamps_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<double>("written");
    QTest::addColumn<double>("expected");

    QTest::newRow("ignore inside") << "linearIgnore" << 2.5 << 2.5;
    QTest::newRow("ignore below") << "linearIgnore" << -4.0 << 0.0;
    QTest::newRow("ignore above") << "linearIgnore" << 250.0 << 100.0;
    QTest::newRow("plateau inside") << "plateauP" << 50.0 << 50.0;
    QTest::newRow("plateau below") << "plateauP" << 1.0 << 2.0;
    QTest::newRow("plateau above") << "plateauP" << 1000.0 << 200.0;
    QTest::newRow("sharpness inside") << "ddeSharpness" << 6.0 << 6.0;
    QTest::newRow("sharpness below") << "ddeSharpness" << 0.0 << 1.0;
    QTest::newRow("sharpness above") << "ddeSharpness" << 9.0 << 7.0;
}

void TestImageEnhancementModel::clamps()
{
    QFETCH(QString, property);
    QFETCH(double, written);
    QFETCH(double, expected);
    ImageEnhancementModel model;
    QSignalSpy settings(&model, &ImageEnhancementModel::settingsChanged);
    const QVariant before = model.property(qPrintable(property));
    QVERIFY(model.setProperty(qPrintable(property), written));
    QCOMPARE(model.property(qPrintable(property)).toDouble(), expected);
    QCOMPARE(settings.count(), before.toDouble() == expected ? 0 : 1);
    const zelkir::EnhancementSettings pipeline = model.settings();
    QCOMPARE(pipeline, pipeline.clamped());
}

QTEST_APPLESS_MAIN(TestImageEnhancementModel)
#include "tst_imageenhancementmodel.moc"
