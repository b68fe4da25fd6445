#include <dns/dns.h>
#include <dns/hostinterfaces.h>

#include <QRandomGenerator>
#include <QTest>

#include <cstring>
#include <net/if.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr unsigned int Untouched = 0xDEADBEEFu;

} // namespace

class TestDns : public QObject
{
    Q_OBJECT

private slots:
    void stringToIP_data();
    void stringToIP();
    void stringToIPNull();
    void stringToIPVeryLongText();
    void stringToIPReadsNoFurtherThanNeeded();
    void ipToString_data();
    void ipToString();
    void ipToStringNullBuffer();
    void roundTripText_data();
    void roundTripText();
    void roundTripValue();
    void subnetMask_data();
    void subnetMask();
    void subnetMaskTextIsStable();
    void hostInterfacesListsTheNamespaceNetworks();
};

void TestDns::stringToIP_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<unsigned int>("value");

    QTest::newRow("typical") << QByteArray("192.168.0.10") << true << 0x0A00A8C0u;
    QTest::newRow("zero") << QByteArray("0.0.0.0") << true << 0u;
    QTest::newRow("all ones") << QByteArray("255.255.255.255") << true << 0xFFFFFFFFu;
    QTest::newRow("first octet lowest") << QByteArray("1.2.3.4") << true << 0x04030201u;
    QTest::newRow("leading zeros are decimal") << QByteArray("010.001.000.099") << true << 0x6300010Au;
    QTest::newRow("leading zeros not octal") << QByteArray("010.0.0.8") << true << 0x0800000Au;
    QTest::newRow("three digit octets") << QByteArray("100.200.250.255") << true << 0xFFFAC864u;
    QTest::newRow("four digits") << QByteArray("0010.0.0.1") << false << Untouched;
    QTest::newRow("out of range 256") << QByteArray("1.2.3.256") << false << Untouched;
    QTest::newRow("out of range first") << QByteArray("256.0.0.0") << false << Untouched;
    QTest::newRow("out of range 999") << QByteArray("1.999.3.4") << false << Untouched;
    QTest::newRow("three octets") << QByteArray("1.2.3") << false << Untouched;
    QTest::newRow("five octets") << QByteArray("1.2.3.4.5") << false << Untouched;
    QTest::newRow("leading blank") << QByteArray(" 1.2.3.4") << false << Untouched;
    QTest::newRow("trailing blank") << QByteArray("1.2.3.4 ") << false << Untouched;
    QTest::newRow("inner blank") << QByteArray("1.2. 3.4") << false << Untouched;
    QTest::newRow("trailing newline") << QByteArray("1.2.3.4\n") << false << Untouched;
    QTest::newRow("plus sign") << QByteArray("+1.2.3.4") << false << Untouched;
    QTest::newRow("minus sign") << QByteArray("-1.2.3.4") << false << Untouched;
    QTest::newRow("inner sign") << QByteArray("1.+2.3.4") << false << Untouched;
    QTest::newRow("empty octet") << QByteArray("1..3.4") << false << Untouched;
    QTest::newRow("empty last octet") << QByteArray("1.2.3.") << false << Untouched;
    QTest::newRow("leading dot") << QByteArray(".1.2.3.4") << false << Untouched;
    QTest::newRow("trailing dot") << QByteArray("1.2.3.4.") << false << Untouched;
    QTest::newRow("empty") << QByteArray("") << false << Untouched;
    QTest::newRow("only dots") << QByteArray("...") << false << Untouched;
    QTest::newRow("non-ascii") << QByteArray("1.2.3.\xC2\xB2") << false << Untouched;
    QTest::newRow("non-ascii digit") << QByteArray("1.2.3.\xD9\xA4") << false << Untouched;
    QTest::newRow("hexadecimal") << QByteArray("0x1.2.3.4") << false << Untouched;
    QTest::newRow("letters") << QByteArray("a.b.c.d") << false << Untouched;
    QTest::newRow("single number") << QByteArray("16909060") << false << Untouched;
    QTest::newRow("comma") << QByteArray("1,2,3,4") << false << Untouched;
    QTest::newRow("slash suffix") << QByteArray("1.2.3.4/24") << false << Untouched;
}

void TestDns::stringToIP()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(unsigned int, value);

    unsigned int address = Untouched;
    QCOMPARE(StringToIP(text.constData(), address), valid);
    QCOMPARE(address, value);
}

void TestDns::stringToIPNull()
{
    unsigned int address = Untouched;
    QVERIFY(!StringToIP(nullptr, address));
    QCOMPARE(address, Untouched);
}

void TestDns::stringToIPVeryLongText()
{
    unsigned int address = Untouched;
    const QByteArray digits(64 * 1024 * 1024, '1');
    QVERIFY(!StringToIP(digits.constData(), address));
    const QByteArray validThenJunk = QByteArray("1.2.3.4") + QByteArray(1024 * 1024, '5');
    QVERIFY(!StringToIP(validThenJunk.constData(), address));
    QCOMPARE(address, Untouched);
}

// Places text at the very end of a readable page followed by an unreadable one: a
// parser that looked past what it needs to decide would crash here.
void TestDns::stringToIPReadsNoFurtherThanNeeded()
{
    const long pageSize = sysconf(_SC_PAGESIZE);
    void* mapping = mmap(nullptr, 2 * pageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    QVERIFY(mapping != MAP_FAILED);
    char* pages = static_cast<char*>(mapping);
    QCOMPARE(mprotect(pages + pageSize, pageSize, PROT_NONE), 0);

    const char* const unterminated[] = { "255.255.255.2555", "1.2.3.4x", "1234", "1.2.3.4.", "999" };
    unsigned int address = Untouched;
    for (const char* text : unterminated) {
        const std::size_t length = std::strlen(text);
        char* start = pages + pageSize - length;
        std::memcpy(start, text, length);
        QVERIFY2(!StringToIP(start, address), text);
    }
    QCOMPARE(address, Untouched);
    munmap(mapping, 2 * pageSize);
}

void TestDns::ipToString_data()
{
    QTest::addColumn<unsigned int>("value");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("zero") << 0u << QByteArray("0.0.0.0");
    QTest::newRow("all ones") << 0xFFFFFFFFu << QByteArray("255.255.255.255");
    QTest::newRow("byte order") << 0x0A00A8C0u << QByteArray("192.168.0.10");
    QTest::newRow("first octet only") << 0x0000000Au << QByteArray("10.0.0.0");
    QTest::newRow("last octet only") << 0x0A000000u << QByteArray("0.0.0.10");
    QTest::newRow("distinct octets") << 0x04030201u << QByteArray("1.2.3.4");
}

void TestDns::ipToString()
{
    QFETCH(unsigned int, value);
    QFETCH(QByteArray, text);

    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    QVERIFY(IPToString(value, buffer));
    QCOMPARE(QByteArray(buffer), text);
}

void TestDns::ipToStringNullBuffer()
{
    QVERIFY(!IPToString(0x0A00A8C0u, nullptr));
}

void TestDns::roundTripText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("canonical");

    QTest::newRow("plain") << QByteArray("192.168.0.10") << QByteArray("192.168.0.10");
    QTest::newRow("extremes") << QByteArray("0.255.0.255") << QByteArray("0.255.0.255");
    QTest::newRow("leading zeros dropped") << QByteArray("010.001.000.099") << QByteArray("10.1.0.99");
}

void TestDns::roundTripText()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, canonical);

    unsigned int address = 0;
    QVERIFY(StringToIP(text.constData(), address));
    char buffer[32];
    QVERIFY(IPToString(address, buffer));
    QCOMPARE(QByteArray(buffer), canonical);
}

void TestDns::roundTripValue()
{
    QRandomGenerator random(20240607);
    for (int i = 0; i < 10000; ++i) {
        const unsigned int value = random.generate();
        char buffer[32];
        QVERIFY(IPToString(value, buffer));
        unsigned int parsed = ~value;
        QVERIFY2(StringToIP(buffer, parsed), buffer);
        QCOMPARE(parsed, value);
    }
}

void TestDns::subnetMask_data()
{
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QByteArray>("mask");

    // Networks of the test namespace: 10.20.0.0/16, 10.20.30.0/24, 192.168.76.0/22,
    // 172.31.4.0/26 and the loopback 127.0.0.0/8.
    QTest::newRow("interface /24 inside /16") << QByteArray("10.20.30.7") << QByteArray("255.255.255.0");
    QTest::newRow("interface /16") << QByteArray("10.20.99.1") << QByteArray("255.255.0.0");
    QTest::newRow("interface /22") << QByteArray("192.168.78.9") << QByteArray("255.255.252.0");
    QTest::newRow("interface /26") << QByteArray("172.31.4.62") << QByteArray("255.255.255.192");
    QTest::newRow("just outside /26") << QByteArray("172.31.4.64") << QByteArray("255.255.0.0");
    QTest::newRow("loopback") << QByteArray("127.0.0.5") << QByteArray("255.0.0.0");
    QTest::newRow("class A") << QByteArray("10.1.2.3") << QByteArray("255.0.0.0");
    QTest::newRow("class A low edge") << QByteArray("0.0.0.1") << QByteArray("255.0.0.0");
    QTest::newRow("class A high edge") << QByteArray("126.255.0.1") << QByteArray("255.0.0.0");
    QTest::newRow("class B low edge") << QByteArray("128.0.0.1") << QByteArray("255.255.0.0");
    QTest::newRow("class B") << QByteArray("172.16.0.1") << QByteArray("255.255.0.0");
    QTest::newRow("class B high edge") << QByteArray("191.255.255.1") << QByteArray("255.255.0.0");
    QTest::newRow("link-local") << QByteArray("169.254.12.34") << QByteArray("255.255.0.0");
    QTest::newRow("next to link-local") << QByteArray("169.253.1.1") << QByteArray("255.255.0.0");
    QTest::newRow("class C low edge") << QByteArray("192.0.0.1") << QByteArray("255.255.255.0");
    QTest::newRow("class C") << QByteArray("192.168.1.1") << QByteArray("255.255.255.0");
    QTest::newRow("class C high edge") << QByteArray("223.255.255.1") << QByteArray("255.255.255.0");
    QTest::newRow("multicast") << QByteArray("224.0.0.1") << QByteArray("255.255.255.0");
    QTest::newRow("reserved") << QByteArray("250.1.2.3") << QByteArray("255.255.255.0");
    QTest::newRow("leading zeros") << QByteArray("010.020.030.007") << QByteArray("255.255.255.0");
    QTest::newRow("invalid") << QByteArray("1.2.3") << QByteArray();
    QTest::newRow("empty") << QByteArray("") << QByteArray();
    QTest::newRow("blank") << QByteArray(" 10.20.30.7") << QByteArray();
}

void TestDns::subnetMask()
{
    if (qEnvironmentVariableIntValue("DNS_TEST_NETWORKS") != 1)
        QSKIP("needs the known networks of with-test-networks.sh");
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, mask);

    const char* result = GetSubnetMask(address.constData());
    if (mask.isNull()) {
        QCOMPARE(static_cast<const void*>(result), nullptr);
        return;
    }
    QVERIFY(result);
    QCOMPARE(QByteArray(result), mask);
}

void TestDns::subnetMaskTextIsStable()
{
    QCOMPARE(static_cast<const void*>(GetSubnetMask(nullptr)), nullptr);
    const char* first = GetSubnetMask("169.254.1.1");
    QVERIFY(first);
    const QByteArray copy(first);
    for (int i = 0; i < 100; ++i)
        QCOMPARE(static_cast<const void*>(GetSubnetMask("169.254.1.1")), static_cast<const void*>(first));
    QCOMPARE(QByteArray(first), copy);
}

void TestDns::hostInterfacesListsTheNamespaceNetworks()
{
    if (qEnvironmentVariableIntValue("DNS_TEST_NETWORKS") != 1)
        QSKIP("needs the networks of with-test-networks.sh");
    QStringList found;
    for (const dns::SHostInterface& host : dns::HostInterfaces()) {
        // 172.31.4.1 carries the label "lo:cam", which names no interface of its own.
        QCOMPARE(host.index, if_nametoindex("lo"));
        QVERIFY(!host.pointToPoint);
        found.append(QString("%1 %2 %3").arg(QString::fromStdString(host.name), host.address.Text().data(),
                                             host.Subnet().data()));
    }
    found.sort();
    QCOMPARE(found, (QStringList { "lo 10.20.0.1 10.20.0.0/16", "lo 10.20.30.1 10.20.30.0/24",
                                   "lo 127.0.0.1 127.0.0.0/8", "lo 172.31.4.1 172.31.4.0/26",
                                   "lo 192.168.77.1 192.168.76.0/22" }));
}

QTEST_APPLESS_MAIN(TestDns)
#include "tst_dns.moc"
