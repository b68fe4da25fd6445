#include "hostcheckmodel.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>

using zelk::cam::EHostCheckStatus;
using zelk::cam::SHostCheckCamera;
using zelk::cam::SHostCheckFinding;
using zelkir::HostCheckModel;

namespace {

/// A check that waits until the test lets it answer, and keeps what it was asked.
struct FakeCheck
{
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int calls = 0;
    std::vector<SHostCheckCamera> cameras;
    HostCheckModel::Findings answer;

    void release()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            open = true;
        }
        changed.notify_all();
    }

    int callCount()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return calls;
    }
};

HostCheckModel::Check checkOf(const std::shared_ptr<FakeCheck>& fake)
{
    return [fake](const std::vector<SHostCheckCamera>& cameras) {
        std::unique_lock<std::mutex> lock(fake->mutex);
        ++fake->calls;
        fake->cameras = cameras;
        fake->changed.wait(lock, [&] { return fake->open; });
        return fake->answer;
    };
}

SHostCheckFinding finding(const char* topic, EHostCheckStatus status, const char* fix = "")
{
    return { topic, "eth1", status, std::string(topic) + " detail", fix };
}

} // namespace

class TestHostCheckModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void runReportsFindingsProblemsFirst();
    void failingCheckLeavesNoFindings();
    void destroyedWhileRunning();

private:
    std::shared_ptr<FakeCheck> m_fake;
    std::unique_ptr<HostCheckModel> m_model;
};

void TestHostCheckModel::init()
{
    m_fake = std::make_shared<FakeCheck>();
    m_model = std::make_unique<HostCheckModel>(nullptr);
    m_model->setCheck(checkOf(m_fake));
}

void TestHostCheckModel::cleanup()
{
    m_fake->release();
    m_model.reset();
}

void TestHostCheckModel::runReportsFindingsProblemsFirst()
{
    SHostCheckCamera camera;
    camera.name = "FAKE0002 at 127.0.0.2";
    camera.hostInterface = "eth1";
    camera.address = 0x7F000002;
    camera.frameBytes = 640 * 480 * 2;
    camera.packetBytes = 1500;
    m_model->setCamera(camera);
    m_fake->answer = { finding("Receive buffer", EHostCheckStatus::Ok),
        finding("MTU", EHostCheckStatus::Problem, "ip link set eth1 mtu 9000"),
        finding("Reverse-path filter", EHostCheckStatus::Unknown),
        finding("Firewall", EHostCheckStatus::Problem, "nft insert rule ...") };

    QSignalSpy running(m_model.get(), &HostCheckModel::runningChanged);
    QSignalSpy findings(m_model.get(), &HostCheckModel::findingsChanged);
    m_model->runAfterLoss();
    QVERIFY(m_model->isRunning());
    QVERIFY(m_model->checkedAfterLoss());
    QCOMPARE(running.count(), 1);
    // A second request while one runs starts nothing.
    m_model->run();
    QVERIFY(m_model->checkedAfterLoss());
    m_fake->release();
    QVERIFY(running.wait(5000));
    QVERIFY(!m_model->isRunning());
    QCOMPARE(findings.count(), 1);
    QCOMPARE(m_fake->callCount(), 1);
    QCOMPARE(m_fake->cameras.size(), std::size_t(1));
    QCOMPARE(m_fake->cameras[0].name, camera.name);
    QCOMPARE(m_fake->cameras[0].hostInterface, camera.hostInterface);
    QCOMPARE(m_fake->cameras[0].address, camera.address);
    QCOMPARE(m_fake->cameras[0].frameBytes, camera.frameBytes);
    QCOMPARE(m_fake->cameras[0].packetBytes, camera.packetBytes);

    QCOMPARE(m_model->problemCount(), 2);
    const QVariantList list = m_model->findings();
    QStringList order;
    for (const QVariant& item : list)
        order << item.toMap().value(QStringLiteral("topic")).toString();
    QCOMPARE(order, QStringList({ QStringLiteral("MTU"), QStringLiteral("Firewall"),
                        QStringLiteral("Reverse-path filter"), QStringLiteral("Receive buffer") }));
    const QVariantMap mtu = list.first().toMap();
    QCOMPARE(mtu.value(QStringLiteral("status")).toString(), QStringLiteral("problem"));
    QCOMPARE(mtu.value(QStringLiteral("subject")).toString(), QStringLiteral("eth1"));
    QCOMPARE(mtu.value(QStringLiteral("detail")).toString(), QStringLiteral("MTU detail"));
    QCOMPARE(mtu.value(QStringLiteral("fix")).toString(), QStringLiteral("ip link set eth1 mtu 9000"));
    QCOMPARE(list[2].toMap().value(QStringLiteral("status")).toString(), QStringLiteral("unknown"));
    QCOMPARE(list[3].toMap().value(QStringLiteral("status")).toString(), QStringLiteral("ok"));

    // Checked again by the user, with everything fixed meanwhile.
    m_fake->answer = { finding("MTU", EHostCheckStatus::Ok) };
    m_model->run();
    QVERIFY(m_model->isRunning());
    QVERIFY(!m_model->checkedAfterLoss());
    QVERIFY(running.wait(5000));
    QCOMPARE(m_fake->callCount(), 2);
    QCOMPARE(m_model->problemCount(), 0);
    QCOMPARE(m_model->findings().size(), 1);
}

void TestHostCheckModel::failingCheckLeavesNoFindings()
{
    m_model->setCheck([](const std::vector<SHostCheckCamera>&) -> HostCheckModel::Findings {
        throw std::runtime_error("nft crashed");
    });
    QSignalSpy running(m_model.get(), &HostCheckModel::runningChanged);
    m_model->run();
    QCOMPARE(running.count(), 1);
    QVERIFY(running.wait(5000));
    QVERIFY(!m_model->isRunning());
    QCOMPARE(m_model->problemCount(), 0);
    QVERIFY(m_model->findings().isEmpty());
}

void TestHostCheckModel::destroyedWhileRunning()
{
    m_fake->answer = { finding("MTU", EHostCheckStatus::Problem, "fix it") };
    m_model->run();
    QTRY_COMPARE(m_fake->callCount(), 1);
    QElapsedTimer timer;
    timer.start();
    m_model.reset();
    QVERIFY(timer.elapsed() < 100);
    // The thread ends with the check it holds; its answer must reach nobody.
    const std::weak_ptr<FakeCheck> held = m_fake;
    m_fake->release();
    m_fake.reset();
    QTRY_VERIFY(held.expired());
    QCoreApplication::processEvents();
    m_fake = std::make_shared<FakeCheck>();
}

QTEST_MAIN(TestHostCheckModel)
#include "tst_hostcheckmodel.moc"
