// The IP tool scans on one pool thread and applies on another, possibly at the
// same time; the library must serve both. Plain standard threads stand in for the
// pool here: ThreadSanitizer can follow their hand-overs, not those inside Qt.
#include "cfakecameras.h"
#include "cipfeatures.h"

#include <zelk/cam/cam.h>

#include <QTest>

#include <future>

using namespace zelk;
using namespace zelk::cam;

namespace {

struct SScanResult
{
    int devices = 0;
    QStringList readAddresses; ///< current IP of each camera this scan opened
};

// What a scan does: discover, match, then open and read the cameras at `addresses`.
SScanResult Scan(const QStringList& addresses)
{
    SScanResult result;
    TArray<CString> transports;
    transports.Add("GigE-Vision");
    TArray<SDeviceInfo> devices;
    interfaces()->refresh(0);
    interfaces()->discover(devices, transports, 1);
    TArray<SCameraInfo> matched;
    cameras()->match(matched, devices, TArray<CString>());
    result.devices = int(matched.Count());
    for (const SCameraInfo& camera : matched) {
        if (!addresses.contains(QString::fromUtf8(camera.address.c_str())))
            continue;
        const TSharedPtr<IDevice> device
            = interfaces()->find(camera.deviceInfo.interfaceName)->createDevice();
        if (!device->open(camera.deviceInfo, AccessReadControl))
            continue;
        const CIpFeatures features(*device);
        if (features.isComplete())
            result.readAddresses.append(CFakeCameras::ipv4Text(features.read().currentIP));
    }
    return result;
}

// What applies do, `rounds` times on one camera: open, write, read back, close.
int WriteAndReadBack(const SDeviceInfo& info, quint32 base, int rounds)
{
    int good = 0;
    for (int round = 0; round < rounds; ++round) {
        const TSharedPtr<IDevice> device = interfaces()->find("GigE-Vision")->createDevice();
        if (!device->open(info, AccessReadControl))
            continue;
        const CIpFeatures features(*device);
        if (!features.isComplete())
            continue;
        SIpValues wanted;
        wanted.persistentIP = base + quint32(round);
        wanted.subnetMask = 0xffffff00u;
        wanted.defaultGateway = (base & 0xffffff00u) | 1u;
        wanted.dhcp = round % 2 == 0;
        wanted.persistentIPEnabled = !wanted.dhcp;
        if (!features.write(wanted))
            continue;
        const SIpValues stored = features.read();
        if (stored.persistentIP == wanted.persistentIP && stored.dhcp == wanted.dhcp
            && stored.persistentIPEnabled == wanted.persistentIPEnabled)
            ++good;
    }
    return good;
}

} // namespace

class TestConcurrency : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void twoScansAtOnce();
    void scanWhileApplying();
    void twoAppliesAtOnce();

private:
    CFakeCameras m_fakes;
};

void TestConcurrency::initTestCase()
{
    QCOMPARE(m_fakes.count(), 4);
}

void TestConcurrency::twoScansAtOnce()
{
    const QStringList first = m_fakes.addresses().mid(0, 2);
    const QStringList second = m_fakes.addresses().mid(2, 2);
    std::future<SScanResult> a = std::async(std::launch::async, Scan, first);
    std::future<SScanResult> b = std::async(std::launch::async, Scan, second);
    const SScanResult ra = a.get();
    const SScanResult rb = b.get();
    QCOMPARE(ra.devices, 4);
    QCOMPARE(rb.devices, 4);
    QCOMPARE(ra.readAddresses, first);
    QCOMPARE(rb.readAddresses, second);
}

void TestConcurrency::scanWhileApplying()
{
    // The apply works on the last camera while the scan reads the others.
    const SDeviceInfo target = m_fakes.deviceRecord(3);
    std::future<int> apply = std::async(std::launch::async, WriteAndReadBack, target, 0xc0a80a00u, 40);
    std::future<SScanResult> scan = std::async(std::launch::async, Scan, m_fakes.addresses().mid(0, 3));
    const SScanResult found = scan.get();
    QCOMPARE(apply.get(), 40);
    QCOMPARE(found.devices, 4);
    QCOMPARE(found.readAddresses, m_fakes.addresses().mid(0, 3));
}

void TestConcurrency::twoAppliesAtOnce()
{
    constexpr int Rounds = 50;
    std::future<int> a
        = std::async(std::launch::async, WriteAndReadBack, m_fakes.deviceRecord(0), 0x0a000100u, Rounds);
    std::future<int> b
        = std::async(std::launch::async, WriteAndReadBack, m_fakes.deviceRecord(1), 0x0a000200u, Rounds);
    QCOMPARE(a.get(), Rounds);
    QCOMPARE(b.get(), Rounds);

    // Each camera kept its own last values: nothing crossed over.
    for (int i = 0; i < 2; ++i) {
        const TSharedPtr<IDevice> device = interfaces()->find("GigE-Vision")->createDevice();
        QVERIFY(device->open(m_fakes.deviceRecord(i), AccessReadControl));
        QCOMPARE(CIpFeatures(*device).read().persistentIP, (i == 0 ? 0x0a000100u : 0x0a000200u) + Rounds - 1);
    }
}

QTEST_GUILESS_MAIN(TestConcurrency)
#include "tst_concurrency.moc"
