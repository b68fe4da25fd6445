#include "fakefeaturetree.h"
#include "featuretreemodel.h"
#include "serialexecutor.h"

#include <QAbstractItemModelTester>
#include <QPointer>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <deque>
#include <memory>

using zelkir::FeatureTreeModel;
using Task = FeatureTreeModel::Task;

/// What a camera thread owns in these tests: the tree it reads.
struct TreeSession
{
    zelk::cam::gic::IFeatureTree* tree = nullptr;
};

class TestFeatureTreeModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void rows_data();
    void rows();
    void collapsedCategoryHidesItsRows();
    void oddDescriptions();
    void roles_data();
    void roles();
    void writeRereadsWhatItInvalidates();
    void refusedWrite_data();
    void refusedWrite();
    void commandExecutes();
    void refreshReadsTheVisibleRows();
    void destroyedWhileTasksAreOut();
    void acrossThreads();

private:
    // Runs the tasks handed to the executor, and what they bring back, until none is left.
    void runTasks();
    // The rows as "Category [Feature Feature] Category [...]".
    QString layout() const;
    QVariant role(const QString& feature, const QByteArray& roleName) const;

    std::unique_ptr<FakeFeatureTree> m_tree;
    std::deque<std::pair<QPointer<FeatureTreeModel>, Task>> m_tasks;
    std::unique_ptr<FeatureTreeModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void TestFeatureTreeModel::init()
{
    m_tree = FakeFeatureTree::irCamera();
    m_model = std::make_unique<FeatureTreeModel>(
        [this](FeatureTreeModel* model, Task task) { m_tasks.emplace_back(model, std::move(task)); });
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy ready(m_model.get(), &FeatureTreeModel::readyChanged);
    m_model->reload();
    QVERIFY(!m_model->isReady());
    runTasks();
    QCOMPARE(ready.count(), 1);
    QVERIFY(m_model->isReady());
}

void TestFeatureTreeModel::cleanup()
{
    m_tester.reset();
    m_model.reset();
    m_tasks.clear();
    m_tree.reset();
}

void TestFeatureTreeModel::runTasks()
{
    do {
        while (!m_tasks.empty()) {
            auto [model, task] = std::move(m_tasks.front());
            m_tasks.pop_front();
            const FeatureTreeModel::Result result = task(*m_tree);
            if (result && model)
                result(*model);
        }
        QCoreApplication::processEvents();
    } while (!m_tasks.empty());
}

QString TestFeatureTreeModel::layout() const
{
    QString text;
    int depth = 0;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QModelIndex index = m_model->index(row);
        const int rowDepth = index.data(FeatureTreeModel::DepthRole).toInt();
        for (; depth < rowDepth; ++depth)
            text += QStringLiteral(" [");
        for (; depth > rowDepth; --depth)
            text += QStringLiteral("]");
        text += QLatin1Char(' ') + index.data(FeatureTreeModel::NameRole).toString();
    }
    for (; depth > 0; --depth)
        text += QStringLiteral("]");
    return text.replace(QStringLiteral("[ "), QStringLiteral("[")).trimmed();
}

QVariant TestFeatureTreeModel::role(const QString& feature, const QByteArray& roleName) const
{
    const int row = m_model->rowOf(feature);
    return row < 0 ? QVariant() : m_model->index(row).data(m_model->roleNames().key(roleName));
}

void TestFeatureTreeModel::rows_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");

    const QString beginner
        = "DeviceControl [DeviceVendorName DeviceModelName DeviceUserID DeviceTemperature] "
          "ImageFormatControl [Width Height PixelFormat] "
          "AcquisitionControl [AcquisitionFrameRate IntegrationTime] AnalogControl [Gain]";
    QTest::newRow("beginner") << 0 << "" << beginner;
    QTest::newRow("levels are clamped") << -3 << "" << beginner;
    QTest::newRow("guru")
        << 9 << ""
        << "DeviceControl [DeviceVendorName DeviceModelName DeviceSerialNumber DeviceFirmwareVersion "
           "DeviceUserID DeviceTemperature DeviceReset] "
           "ImageFormatControl [Width Height PixelFormat ReverseX TestPattern] "
           "AcquisitionControl [AcquisitionMode AcquisitionFrameRate IntegrationTime AcquisitionStart "
           "AcquisitionStop TriggerControl [TriggerMode]] AnalogControl [Gain] "
           "Calibration [CalibrationRadianceGain CalibrationRadianceOffset CalibrationPlanckR "
           "CalibrationPlanckB "
           "CalibrationPlanckF CalibrationPlanckO] BadPixels [BadPixelCapacity BadPixelCount BadPixelList]";
    QTest::newRow("name, any case") << 2 << "  temp "
                                    << "DeviceControl [DeviceTemperature]";
    QTest::newRow("display name") << 2 << "SENSOR"
                                  << "DeviceControl [DeviceTemperature]";
    QTest::newRow("a category's name shows what it holds")
        << 1 << "calib"
        << "Calibration [CalibrationRadianceGain CalibrationRadianceOffset CalibrationPlanckR "
           "CalibrationPlanckB CalibrationPlanckF CalibrationPlanckO]";
    QTest::newRow("nested") << 1 << "trigger mode"
                            << "AcquisitionControl [TriggerControl [TriggerMode]]";
    QTest::newRow("above the level") << 0 << "calib"
                                     << "";
}

void TestFeatureTreeModel::rows()
{
    QFETCH(int, level);
    QFETCH(QString, filter);
    QFETCH(QString, expected);

    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    m_model->setVisibilityLevel(level);
    m_model->setFilter(filter);
    QCOMPARE(layout(), expected);
    QCOMPARE(m_model->property("count").toInt(), m_model->rowCount());
    // Views keep the rows that stay.
    QCOMPARE(reset.count(), 0);
}

void TestFeatureTreeModel::collapsedCategoryHidesItsRows()
{
    const int row = m_model->rowOf("ImageFormatControl");
    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    m_model->setExpanded(row, false);
    QVERIFY(!role("ImageFormatControl", "expanded").toBool());
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.first().at(1).toInt(), row + 1);
    QCOMPARE(removed.first().at(2).toInt(), row + 3);
    QVERIFY(layout().contains("ImageFormatControl AcquisitionControl"));

    // Stays collapsed while the level shows more.
    m_model->setVisibilityLevel(2);
    QVERIFY(layout().contains("ImageFormatControl AcquisitionControl"));
    inserted.clear();
    const int guruRow = m_model->rowOf("ImageFormatControl");
    m_model->setExpanded(guruRow, true);
    QVERIFY(layout().contains("ImageFormatControl [Width Height PixelFormat ReverseX TestPattern]"));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), guruRow + 1);
    QCOMPARE(inserted.first().at(2).toInt(), guruRow + 5);
}

void TestFeatureTreeModel::oddDescriptions()
{
    // A category that holds itself, its parent, a feature met before and one the camera
    // cannot describe.
    zelk::cam::gic::SFeatureInfo loop = m_tree->info("AnalogControl");
    loop.name = "Loop";
    loop.children = { "Root", "Loop", "Missing", "Gain", "Extra" };
    m_tree->add(loop);
    zelk::cam::gic::SFeatureInfo extra = m_tree->info("Gain");
    extra.name = "Extra";
    m_tree->add(extra, 1.0);
    m_tree->info("Root").children.push_back("Loop");
    m_model->reload();
    runTasks();
    QVERIFY(layout().endsWith("AnalogControl [Gain] Loop [Extra]"));
}

void TestFeatureTreeModel::roles_data()
{
    QTest::addColumn<QString>("feature");
    QTest::addColumn<QByteArray>("role");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("float") << "Gain" << QByteArray("value") << QVariant(6.0);
    QTest::newRow("float text") << "DeviceTemperature" << QByteArray("valueText") << QVariant("36.4");
    QTest::newRow("unit") << "AcquisitionFrameRate" << QByteArray("unit") << QVariant("Hz");
    QTest::newRow("maximum") << "AcquisitionFrameRate" << QByteArray("maximum") << QVariant(60.0);
    QTest::newRow("increment") << "IntegrationTime" << QByteArray("increment") << QVariant(10.0);
    QTest::newRow("integer") << "Width" << QByteArray("value") << QVariant(qlonglong(640));
    QTest::newRow("read-only") << "Width" << QByteArray("writable") << QVariant(false);
    QTest::newRow("readable") << "Width" << QByteArray("readable") << QVariant(true);
    QTest::newRow("type") << "PixelFormat" << QByteArray("type") << QVariant("Enumeration");
    QTest::newRow("entry name") << "PixelFormat" << QByteArray("value") << QVariant("Mono14");
    QTest::newRow("entry display name") << "PixelFormat" << QByteArray("valueText") << QVariant("Mono 14");
    QTest::newRow("entries") << "PixelFormat" << QByteArray("entryDisplayNames")
                             << QVariant(QStringList { "Mono 14", "Mono 16" });
    QTest::newRow("string") << "DeviceUserID" << QByteArray("value") << QVariant("Lab bench");
    QTest::newRow("description") << "Gain" << QByteArray("description")
                                 << QVariant("Amplification of the sensor's signal.");
    QTest::newRow("display name") << "AnalogControl" << QByteArray("displayName")
                                  << QVariant("Analog Control");
    QTest::newRow("depth") << "Gain" << QByteArray("depth") << QVariant(1);
    QTest::newRow("visibility") << "DeviceSerialNumber" << QByteArray("visibility") << QVariant(1);
    QTest::newRow("register") << "BadPixelList" << QByteArray("valueText") << QVariant("1024 bytes");
    QTest::newRow("command") << "DeviceReset" << QByteArray("value") << QVariant();
    QTest::newRow("no error") << "Gain" << QByteArray("error") << QVariant(QString());
}

void TestFeatureTreeModel::roles()
{
    QFETCH(QString, feature);
    QFETCH(QByteArray, role);
    QFETCH(QVariant, expected);

    m_model->setVisibilityLevel(2);
    QVERIFY(m_model->rowOf(feature) >= 0);
    QCOMPARE(this->role(feature, role), expected);
}

void TestFeatureTreeModel::writeRereadsWhatItInvalidates()
{
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    const int rateRow = m_model->rowOf("AcquisitionFrameRate");
    m_model->setValue(m_model->rowOf("IntegrationTime"), QStringLiteral("50000"));
    QCOMPARE(role("IntegrationTime", "value"), QVariant(8000.0));
    runTasks();
    QCOMPARE(role("IntegrationTime", "value"), QVariant(50000.0));
    QCOMPARE(role("AcquisitionFrameRate", "maximum"), QVariant(20.0));
    QCOMPARE(role("AcquisitionFrameRate", "value"), QVariant(20.0));
    const bool rateChanged = std::any_of(changed.begin(), changed.end(),
        [&](const QList<QVariant>& signal) { return signal.at(0).toModelIndex().row() == rateRow; });
    QVERIFY(rateChanged);

    // A number from QML, and a choice by its display name.
    m_model->setValue(m_model->rowOf("Gain"), 12.5);
    m_model->setValue(m_model->rowOf("PixelFormat"), QStringLiteral("Mono 16"));
    runTasks();
    QCOMPARE(m_tree->value("Gain"), zelk::cam::gic::FeatureValue(12.5));
    QCOMPARE(role("PixelFormat", "value"), QVariant("Mono16"));
}

void TestFeatureTreeModel::refusedWrite_data()
{
    QTest::addColumn<QString>("feature");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("refusal"); // set on the camera
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("writes");

    QTest::newRow("refused by the camera") << "Gain" << QVariant(3) << "Gain is locked while recording."
                                           << "Gain is locked while recording." << 1;
    QTest::newRow("out of range") << "Gain" << QVariant(99) << ""
                                  << "Gain must lie between 0.000000 and 24.000000." << 1;
    QTest::newRow("read-only") << "Width" << QVariant("700") << ""
                               << "Width cannot be written now." << 1;
    QTest::newRow("not a number") << "BadPixelCount" << QVariant("twelve") << ""
                                  << "Not a whole number." << 0;
    QTest::newRow("not whole") << "BadPixelCount" << QVariant(2.5) << ""
                               << "Not a whole number." << 0;
    QTest::newRow("not finite") << "Gain" << QVariant("inf") << ""
                                << "Not a number." << 0;
    QTest::newRow("no such choice") << "PixelFormat" << QVariant("Mono12") << ""
                                    << "\"Mono12\" is not one of the choices." << 0;
    QTest::newRow("not a switch") << "ReverseX" << QVariant("maybe") << ""
                                  << "Not on or off." << 0;
}

void TestFeatureTreeModel::refusedWrite()
{
    QFETCH(QString, feature);
    QFETCH(QVariant, value);
    QFETCH(QString, refusal);
    QFETCH(QString, error);
    QFETCH(int, writes);

    m_model->setVisibilityLevel(2);
    if (!refusal.isEmpty())
        m_tree->refuse(feature.toStdString(), refusal.toStdString());
    const QVariant before = role(feature, "value");
    const int row = m_model->rowOf(feature);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    m_model->setValue(row, value);
    runTasks();
    QCOMPARE(m_tree->writes(), writes);
    QCOMPARE(role(feature, "error"), QVariant(error));
    QCOMPARE(role(feature, "value"), before);
    // Editors hear of the row, so that they show the held value again.
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.last().at(0).toModelIndex().row(), row);

    // The next write that is taken clears the error.
    if (refusal.isEmpty() && feature != "Width") {
        m_model->setValue(row, before);
        runTasks();
        QCOMPARE(role(feature, "error"), QVariant(QString()));
    }
}

void TestFeatureTreeModel::commandExecutes()
{
    m_model->setVisibilityLevel(2);
    m_model->execute(m_model->rowOf("AcquisitionStop"));
    m_model->execute(m_model->rowOf("Gain"));
    runTasks();
    QCOMPARE(m_tree->executions("AcquisitionStop"), 1);
    QCOMPARE(m_tree->writes(), 1);
}

void TestFeatureTreeModel::refreshReadsTheVisibleRows()
{
    m_tree->add(m_tree->info("DeviceTemperature"), 41.5);
    m_tree->add(m_tree->info("DeviceSerialNumber"), std::string("changed"));
    m_tree->info("Gain").maximum = 12;
    m_model->refreshAllVisible();
    runTasks();
    QCOMPARE(role("DeviceTemperature", "value"), QVariant(41.5));
    QCOMPARE(role("Gain", "maximum"), QVariant(12.0));
    m_model->setVisibilityLevel(1);
    QCOMPARE(role("DeviceSerialNumber", "value"), QVariant("ZK640-00417"));
}

void TestFeatureTreeModel::destroyedWhileTasksAreOut()
{
    m_model->setValue(m_model->rowOf("Gain"), 8);
    m_model->refreshAllVisible();
    m_model->reload();
    QCOMPARE(m_tasks.size(), std::size_t(3));
    m_tester.reset();
    m_model.reset();
    runTasks();
    QCOMPARE(m_tree->value("Gain"), zelk::cam::gic::FeatureValue(8.0));
}

void TestFeatureTreeModel::acrossThreads()
{
    QSemaphore reading;
    QSemaphore gate;
    std::atomic<bool> hold { true };
    m_tree->beforeRead = [&] {
        if (hold) {
            reading.release();
            gate.acquire();
        }
    };
    zelkir::SerialExecutor<TreeSession> camera(
        [this] { return std::make_unique<TreeSession>(TreeSession { m_tree.get() }); });
    const auto post = [&camera](FeatureTreeModel* model, Task task) {
        camera.call([task = std::move(task)](TreeSession& session) { return task(*session.tree); }, model,
            [model](const FeatureTreeModel::Result& result) {
                if (result)
                    result(*model);
            });
    };

    // Destroyed while the camera thread reads for it.
    auto model = std::make_unique<FeatureTreeModel>(post);
    model->reload();
    QVERIFY(reading.tryAcquire(1, 5000));
    model.reset();
    hold = false;
    gate.release();

    model = std::make_unique<FeatureTreeModel>(post);
    model->reload();
    QTRY_VERIFY(model->isReady());
    model->setValue(model->rowOf("Gain"), 9.5);
    QTRY_COMPARE(model->index(model->rowOf("Gain")).data(FeatureTreeModel::ValueRole), QVariant(9.5));
}

QTEST_GUILESS_MAIN(TestFeatureTreeModel)

#include "tst_featuretreemodel.moc"
