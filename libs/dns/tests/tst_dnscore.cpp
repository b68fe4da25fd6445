#include "defaultmask.h"
#include "masktext.h"

#include <dns/hostinterfaces.h>
#include <dns/ipv4address.h>

#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

Q_DECLARE_METATYPE(std::vector<dns::SHostInterface>)

namespace {

using dns::CIPv4Address;

CIPv4Address Parse(const char* text)
{
    const std::optional<CIPv4Address> value = CIPv4Address::Parse(text);
    if (!value)
        qFatal("bad address text in test data: %s", text);
    return *value;
}

dns::SHostInterface Network(const char* address, const char* mask)
{
    dns::SHostInterface host;
    host.address = Parse(address);
    host.mask = Parse(mask);
    return host;
}

} // namespace

class TestDnsCore : public QObject
{
    Q_OBJECT

private slots:
    void byteOrders();
    void subnetArithmetic_data();
    void subnetArithmetic();
    void maskText_data();
    void maskText();
    void maskTextInternsOddMasks();
    void maskTextInternsConcurrently();
    void findHostInterface_data();
    void findHostInterface();
    void defaultMask_data();
    void defaultMask();
};

void TestDnsCore::byteOrders()
{
    const CIPv4Address address(192, 168, 0, 10);
    QCOMPARE(address.Value(), 0xC0A8000Au);
    QCOMPARE(address.LowFirstValue(), 0x0A00A8C0u);
    QVERIFY(CIPv4Address::FromLowFirstValue(0x0A00A8C0u) == address);
    QVERIFY(CIPv4Address::FromValue(0xC0A8000Au) == address);
    QCOMPARE(address.Octet(0), 192u);
    QCOMPARE(address.Octet(3), 10u);
    QCOMPARE(QByteArray(address.Text().data()), QByteArray("192.168.0.10"));
}

void TestDnsCore::subnetArithmetic_data()
{
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QByteArray>("mask");
    QTest::addColumn<bool>("contiguous");
    QTest::addColumn<int>("oneBits");
    QTest::addColumn<QByteArray>("network");
    QTest::addColumn<QByteArray>("broadcast");
    QTest::addColumn<QByteArray>("subnet");
    // multicast, limited broadcast, loopback, link-local
    QTest::addColumn<QByteArray>("kinds");

    QTest::newRow("/24") << QByteArray("192.168.1.77") << QByteArray("255.255.255.0") << true << 24
                         << QByteArray("192.168.1.0") << QByteArray("192.168.1.255")
                         << QByteArray("192.168.1.0/24") << QByteArray("----");
    QTest::newRow("/22") << QByteArray("192.168.78.9") << QByteArray("255.255.252.0") << true << 22
                         << QByteArray("192.168.76.0") << QByteArray("192.168.79.255")
                         << QByteArray("192.168.76.0/22") << QByteArray("----");
    QTest::newRow("/0") << QByteArray("10.1.2.3") << QByteArray("0.0.0.0") << true << 0
                        << QByteArray("0.0.0.0") << QByteArray("255.255.255.255") << QByteArray("0.0.0.0/0")
                        << QByteArray("----");
    QTest::newRow("/32") << QByteArray("10.1.2.3") << QByteArray("255.255.255.255") << true << 32
                         << QByteArray("10.1.2.3") << QByteArray("10.1.2.3") << QByteArray("10.1.2.3/32")
                         << QByteArray("----");
    QTest::newRow("holes") << QByteArray("10.1.2.3") << QByteArray("255.0.255.0") << false << 16
                           << QByteArray("10.0.2.0") << QByteArray("10.255.2.255")
                           << QByteArray("10.0.2.0/255.0.255.0") << QByteArray("----");
    QTest::newRow("low bits only") << QByteArray("10.1.2.3") << QByteArray("0.0.0.255") << false << 8
                                   << QByteArray("0.0.0.3") << QByteArray("255.255.255.3")
                                   << QByteArray("0.0.0.3/0.0.0.255") << QByteArray("----");
    QTest::newRow("multicast low") << QByteArray("224.0.0.1") << QByteArray("240.0.0.0") << true << 4
                                   << QByteArray("224.0.0.0") << QByteArray("239.255.255.255")
                                   << QByteArray("224.0.0.0/4") << QByteArray("M---");
    QTest::newRow("multicast high") << QByteArray("239.255.255.255") << QByteArray("255.255.255.0") << true
                                    << 24 << QByteArray("239.255.255.0") << QByteArray("239.255.255.255")
                                    << QByteArray("239.255.255.0/24") << QByteArray("M---");
    QTest::newRow("above multicast") << QByteArray("240.0.0.1") << QByteArray("255.0.0.0") << true << 8
                                     << QByteArray("240.0.0.0") << QByteArray("240.255.255.255")
                                     << QByteArray("240.0.0.0/8") << QByteArray("----");
    QTest::newRow("limited broadcast")
        << QByteArray("255.255.255.255") << QByteArray("255.255.255.255") << true << 32
        << QByteArray("255.255.255.255") << QByteArray("255.255.255.255") << QByteArray("255.255.255.255/32")
        << QByteArray("-B--");
    QTest::newRow("loopback") << QByteArray("127.0.0.2") << QByteArray("255.0.0.0") << true << 8
                              << QByteArray("127.0.0.0") << QByteArray("127.255.255.255")
                              << QByteArray("127.0.0.0/8") << QByteArray("--L-");
    QTest::newRow("link-local") << QByteArray("169.254.3.4") << QByteArray("255.255.0.0") << true << 16
                                << QByteArray("169.254.0.0") << QByteArray("169.254.255.255")
                                << QByteArray("169.254.0.0/16") << QByteArray("---A");
}

void TestDnsCore::subnetArithmetic()
{
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, mask);
    QFETCH(bool, contiguous);
    QFETCH(int, oneBits);
    QFETCH(QByteArray, network);
    QFETCH(QByteArray, broadcast);
    QFETCH(QByteArray, subnet);
    QFETCH(QByteArray, kinds);

    const CIPv4Address a = Parse(address.constData());
    const CIPv4Address m = Parse(mask.constData());
    QCOMPARE(m.IsContiguousMask(), contiguous);
    QCOMPARE(m.OneBits(), oneBits);
    QCOMPARE(QByteArray(a.Network(m).Text().data()), network);
    QCOMPARE(QByteArray(a.Broadcast(m).Text().data()), broadcast);
    QCOMPARE(QByteArray(a.SubnetText(m).data()), subnet);
    QVERIFY(a.SameSubnet(a.Broadcast(m), m));
    QCOMPARE(a.SameSubnet(a.Broadcast(m).Plus(1), m), m.Value() == 0);
    const QByteArray found = QByteArray(a.IsMulticast() ? "M" : "-") + (a.IsLimitedBroadcast() ? "B" : "-")
        + (a.IsLoopback() ? "L" : "-") + (a.IsLinkLocal() ? "A" : "-");
    QCOMPARE(found, kinds);
}

void TestDnsCore::maskText_data()
{
    QTest::addColumn<int>("prefix");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("/0") << 0 << QByteArray("0.0.0.0");
    QTest::newRow("/1") << 1 << QByteArray("128.0.0.0");
    QTest::newRow("/8") << 8 << QByteArray("255.0.0.0");
    QTest::newRow("/13") << 13 << QByteArray("255.248.0.0");
    QTest::newRow("/16") << 16 << QByteArray("255.255.0.0");
    QTest::newRow("/22") << 22 << QByteArray("255.255.252.0");
    QTest::newRow("/24") << 24 << QByteArray("255.255.255.0");
    QTest::newRow("/31") << 31 << QByteArray("255.255.255.254");
    QTest::newRow("/32") << 32 << QByteArray("255.255.255.255");
}

void TestDnsCore::maskText()
{
    QFETCH(int, prefix);
    QFETCH(QByteArray, text);

    const CIPv4Address mask = CIPv4Address::FromValue(prefix == 0 ? 0 : ~std::uint32_t(0) << (32 - prefix));
    const char* result = dns::MaskText(mask);
    QCOMPARE(QByteArray(result), text);
    QCOMPARE(static_cast<const void*>(dns::MaskText(mask)), static_cast<const void*>(result));
}

void TestDnsCore::maskTextInternsOddMasks()
{
    const char* first = dns::MaskText(Parse("255.0.255.0"));
    QCOMPARE(QByteArray(first), QByteArray("255.0.255.0"));
    const char* other = dns::MaskText(Parse("0.0.0.255"));
    QCOMPARE(QByteArray(other), QByteArray("0.0.0.255"));
    QVERIFY(other != first);
    QCOMPARE(static_cast<const void*>(dns::MaskText(Parse("255.0.255.0"))), static_cast<const void*>(first));
    QCOMPARE(QByteArray(first), QByteArray("255.0.255.0"));
}

// Threads intern overlapping sets of odd masks; each text must be one shared pointer
// that keeps its content while the set grows.
void TestDnsCore::maskTextInternsConcurrently()
{
    constexpr int ThreadCount = 6;
    constexpr std::uint32_t MaskCount = 400;
    std::vector<std::vector<const char*>> seen(ThreadCount, std::vector<const char*>(MaskCount));
    std::vector<std::thread> threads;
    for (int t = 0; t < ThreadCount; ++t) {
        threads.emplace_back([&seen, t] {
            for (std::uint32_t i = 0; i < MaskCount; ++i) {
                const std::uint32_t index = (i + 37 * t) % MaskCount;
                seen[t][index] = dns::MaskText(CIPv4Address::FromValue(0xFF00FF00u | (index + 1)));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    for (std::uint32_t i = 0; i < MaskCount; ++i) {
        const QByteArray expected(CIPv4Address::FromValue(0xFF00FF00u | (i + 1)).Text().data());
        for (int t = 0; t < ThreadCount; ++t) {
            QCOMPARE(static_cast<const void*>(seen[t][i]), static_cast<const void*>(seen[0][i]));
            QCOMPARE(QByteArray(seen[t][i]), expected);
        }
    }
}

void TestDnsCore::findHostInterface_data()
{
    QTest::addColumn<std::vector<dns::SHostInterface>>("networks");
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QByteArray>("mask");

    const std::vector<dns::SHostInterface> none;
    const std::vector<dns::SHostInterface> typical
        = { Network("127.0.0.1", "255.0.0.0"), Network("192.168.0.2", "255.255.255.0"),
              Network("10.0.0.5", "255.255.0.0"), Network("10.0.7.1", "255.255.255.128") };

    QTest::newRow("no interfaces") << none << QByteArray("192.168.0.10") << QByteArray();
    QTest::newRow("same subnet") << typical << QByteArray("192.168.0.10") << QByteArray("255.255.255.0");
    QTest::newRow("other subnet") << typical << QByteArray("192.168.1.10") << QByteArray();
    QTest::newRow("loopback") << typical << QByteArray("127.1.2.3") << QByteArray("255.0.0.0");
    QTest::newRow("most specific wins")
        << typical << QByteArray("10.0.7.100") << QByteArray("255.255.255.128");
    QTest::newRow("wider one otherwise") << typical << QByteArray("10.0.7.200") << QByteArray("255.255.0.0");
    QTest::newRow("zero mask ignored") << std::vector<dns::SHostInterface> { Network("10.0.0.1", "0.0.0.0") }
                                       << QByteArray("8.8.8.8") << QByteArray();
    QTest::newRow("host mask") << std::vector<dns::SHostInterface> { Network("10.0.0.1", "255.255.255.255") }
                               << QByteArray("10.0.0.1") << QByteArray("255.255.255.255");
    QTest::newRow("odd mask") << std::vector<dns::SHostInterface> { Network("10.9.8.7", "255.0.255.0") }
                              << QByteArray("10.1.8.1") << QByteArray("255.0.255.0");
}

void TestDnsCore::findHostInterface()
{
    QFETCH(std::vector<dns::SHostInterface>, networks);
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, mask);

    const dns::SHostInterface* result = dns::FindHostInterface(networks, Parse(address.constData()));
    QCOMPARE(result != nullptr, !mask.isNull());
    if (result)
        QCOMPARE(result->mask.Value(), Parse(mask.constData()).Value());
}

void TestDnsCore::defaultMask_data()
{
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QByteArray>("mask");

    QTest::newRow("0") << QByteArray("0.0.0.0") << QByteArray("255.0.0.0");
    QTest::newRow("127") << QByteArray("127.255.255.255") << QByteArray("255.0.0.0");
    QTest::newRow("128") << QByteArray("128.0.0.0") << QByteArray("255.255.0.0");
    QTest::newRow("169.254") << QByteArray("169.254.0.0") << QByteArray("255.255.0.0");
    QTest::newRow("169.255") << QByteArray("169.255.0.1") << QByteArray("255.255.0.0");
    QTest::newRow("191") << QByteArray("191.255.255.255") << QByteArray("255.255.0.0");
    QTest::newRow("192") << QByteArray("192.0.0.0") << QByteArray("255.255.255.0");
    QTest::newRow("223") << QByteArray("223.255.255.255") << QByteArray("255.255.255.0");
    QTest::newRow("224") << QByteArray("224.0.0.0") << QByteArray("255.255.255.0");
    QTest::newRow("255") << QByteArray("255.255.255.255") << QByteArray("255.255.255.0");
}

void TestDnsCore::defaultMask()
{
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, mask);

    QCOMPARE(dns::DefaultMask(Parse(address.constData())).Value(), Parse(mask.constData()).Value());
}

QTEST_APPLESS_MAIN(TestDnsCore)
#include "tst_dnscore.moc"
