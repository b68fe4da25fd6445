#include <dns/dns.h>

#include <QTest>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

class TestDnsThreads : public QObject
{
    Q_OBJECT

private slots:
    void concurrentCalls();
};

// Every thread works through the same addresses and must see exactly what a lone
// caller sees, including the very same mask text pointers.
void TestDnsThreads::concurrentCalls()
{
    const std::vector<QByteArray> addresses
        = { "127.0.0.1", "10.1.2.3", "172.16.5.4", "192.168.0.10", "169.254.7.7", "224.0.0.1", "1.2.3", "" };
    std::vector<const char*> expectedMasks;
    std::vector<unsigned int> expectedValues;
    for (const QByteArray& address : addresses) {
        expectedMasks.push_back(GetSubnetMask(address.constData()));
        unsigned int value = 0;
        expectedValues.push_back(StringToIP(address.constData(), value) ? value : 0);
    }

    constexpr int ThreadCount = 8;
    constexpr int Rounds = 300;
    std::atomic<int> failures { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < ThreadCount; ++t) {
        threads.emplace_back([&, t] {
            char buffer[32];
            for (int round = 0; round < Rounds; ++round) {
                for (std::size_t i = 0; i < addresses.size(); ++i) {
                    const std::size_t index = (i + t) % addresses.size();
                    const char* text = addresses[index].constData();
                    if (GetSubnetMask(text) != expectedMasks[index])
                        ++failures;
                    unsigned int value = 0;
                    const bool parsed = StringToIP(text, value);
                    if (parsed != (expectedMasks[index] != nullptr)
                        || (parsed && value != expectedValues[index]))
                        ++failures;
                    if (parsed && (!IPToString(value, buffer) || std::strcmp(buffer, text) != 0))
                        ++failures;
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    QCOMPARE(failures.load(), 0);
}

QTEST_APPLESS_MAIN(TestDnsThreads)
#include "tst_dnsthreads.moc"
