// The host check against a private namespace whose settings the test sets both ways: the
// MTU and reverse-path filter of lo, and frames larger or smaller than the receive buffer
// limit (which a namespace cannot change). Then the program against a fake camera.
#include "cfakecameras.h"

#include <zelk/cam/hostcheck.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <net/if.h>

using namespace zelk::cam;

class TestHostCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void settingsBothWays_data();
    void settingsBothWays();
    void program_data();
    void program();

private:
    static std::uint64_t receiveBufferLimit();
    CFakeCameras m_fakes;
};

namespace {

bool WriteSetting(const QString& path, int value)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(QByteArray::number(value)) > 0;
}

bool SetLoopbackMtu(int mtu)
{
    return QProcess::execute("ip", {"link", "set", "dev", "lo", "mtu", QString::number(mtu)}) == 0;
}

const SHostCheckFinding* Find(const std::vector<SHostCheckFinding>& findings, const char* topic)
{
    for (const SHostCheckFinding& finding : findings) {
        if (finding.topic == topic)
            return &finding;
    }
    return nullptr;
}

} // namespace

std::uint64_t TestHostCheck::receiveBufferLimit()
{
    QFile file("/proc/sys/net/core/rmem_max");
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toULongLong() : 0;
}

void TestHostCheck::initTestCase()
{
    // The test changes network settings: only ever in a namespace of loopback alone.
    struct if_nameindex* names = if_nameindex();
    QVERIFY(names);
    bool loopbackAlone = true;
    for (const struct if_nameindex* entry = names; entry->if_index != 0; ++entry)
        loopbackAlone = loopbackAlone && std::string(entry->if_name) == "lo";
    if_freenameindex(names);
    QVERIFY2(loopbackAlone, "not in a private network namespace: refusing to change settings");
    QVERIFY(m_fakes.count() == 1);
    QVERIFY(receiveBufferLimit() > 0);
}

void TestHostCheck::settingsBothWays_data()
{
    QTest::addColumn<int>("mtu");
    QTest::addColumn<int>("rpAll");
    QTest::addColumn<int>("rpLo");
    QTest::addColumn<double>("frameShare"); // frame size as a share of the buffer limit
    QTest::addColumn<QString>("problems");  // topics found wanting, sorted, comma separated

    QTest::newRow("all well") << 9000 << 0 << 0 << 0.5 << "";
    QTest::newRow("no jumbo frames") << 1500 << 0 << 0 << 0.5 << "MTU";
    QTest::newRow("strict on lo") << 9000 << 0 << 1 << 0.5 << "Reverse-path filter";
    QTest::newRow("strict for all, loose on lo") << 9000 << 1 << 2 << 0.5 << "";
    QTest::newRow("strict for all, off on lo") << 9000 << 1 << 0 << 0.5 << "Reverse-path filter";
    QTest::newRow("frame over the limit") << 9000 << 0 << 2 << 2.0 << "Receive buffer";
    QTest::newRow("all wrong") << 1500 << 1 << 1 << 1.5 << "MTU,Receive buffer,Reverse-path filter";
}

void TestHostCheck::settingsBothWays()
{
    QFETCH(int, mtu);
    QFETCH(int, rpAll);
    QFETCH(int, rpLo);
    QFETCH(double, frameShare);
    QFETCH(QString, problems);

    QVERIFY(SetLoopbackMtu(mtu));
    QVERIFY(WriteSetting("/proc/sys/net/ipv4/conf/all/rp_filter", rpAll));
    QVERIFY(WriteSetting("/proc/sys/net/ipv4/conf/lo/rp_filter", rpLo));

    SHostCheckCamera camera;
    camera.name = "camera";
    camera.hostInterface = "lo";
    camera.address = CFakeCameras::toIPv4(m_fakes.addresses().first());
    camera.frameBytes = std::uint64_t(double(receiveBufferLimit()) * frameShare);
    const std::vector<SHostCheckFinding> findings = CheckHost({camera});

    QStringList found;
    for (const SHostCheckFinding& finding : findings) {
        if (finding.status == EHostCheckStatus::Problem) {
            found << QString::fromStdString(finding.topic);
            QVERIFY2(!finding.fix.empty(), finding.topic.c_str());
        } else {
            QVERIFY2(finding.fix.empty(), finding.topic.c_str());
        }
    }
    // Problems come first.
    for (int i = 0; i < found.size(); ++i)
        QCOMPARE(QString::fromStdString(findings[i].topic), found[i]);
    found.sort();
    QCOMPARE(found.join(','), problems);

    // Each topic is reported once, for lo, and the fixes name what they change.
    for (const char* topic : {"MTU", "Reverse-path filter", "Firewall"})
        QVERIFY2(Find(findings, topic) && Find(findings, topic)->subject == "lo", topic);
    if (problems.contains("MTU"))
        QCOMPARE(Find(findings, "MTU")->fix, std::string("sudo ip link set dev lo mtu 9000"));
    if (problems.contains("Reverse-path"))
        QCOMPARE(Find(findings, "Reverse-path filter")->fix, std::string("sudo sysctl -w net.ipv4.conf.lo.rp_filter=2"));
    if (problems.contains("Receive buffer")) {
        const std::string fix = Find(findings, "Receive buffer")->fix;
        const std::string prefix = "sudo sysctl -w net.core.rmem_max=";
        QVERIFY(fix.rfind(prefix, 0) == 0);
        QVERIFY(std::stoull(fix.substr(prefix.size())) >= ReceiveBufferNeeded(camera));
    }
}

void TestHostCheck::program_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode"); // -1: 1 when problems were reported, else 0
    QTest::addColumn<QString>("output"); // a line the report holds

    const QString camera = m_fakes.addresses().first();
    const QString serial = m_fakes.serials().first();
    const QString tooBig = QString::number(receiveBufferLimit() * 2);
    // Whether the fake camera's frames fit the buffer limit depends on the machine.
    QTest::newRow("discovered") << QStringList() << -1 << serial + " at " + camera;
    QTest::newRow("by address, large frames") << QStringList {"--camera", camera, "--frame-bytes", tooBig} << 1
                                              << "Fix: sudo sysctl -w net.core.rmem_max=";
    QTest::newRow("not an address") << QStringList {"--camera", "300.1.2.3"} << 2 << "";
    QTest::newRow("bad frame size") << QStringList {"--frame-bytes", "-5"} << 2 << "";
}

void TestHostCheck::program()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    QVERIFY(SetLoopbackMtu(65536));
    QVERIFY(WriteSetting("/proc/sys/net/ipv4/conf/all/rp_filter", 0));
    QVERIFY(WriteSetting("/proc/sys/net/ipv4/conf/lo/rp_filter", 0));
    QProcess check;
    check.start(QELT_HOST_CHECK_PROGRAM, arguments);
    QVERIFY(check.waitForFinished(30000));
    const QString report = QString::fromUtf8(check.readAllStandardOutput());
    QCOMPARE(check.exitCode(), exitCode >= 0 ? exitCode : int(report.contains("[PROBLEM]")));
    QVERIFY2(report.contains(output), qPrintable(report));
    if (arguments.isEmpty()) {
        // The frame size is the camera's own PayloadSize: a camera asks for more than nothing.
        QVERIFY2(report.contains(QRegularExpression("asks for [1-9][0-9]+ bytes")), qPrintable(report));
    }
}

QTEST_GUILESS_MAIN(TestHostCheck)
#include "tst_hostcheck.moc"
