// The firewall part of the host check: what rule sets, as nft lists them, do with a
// camera's stream, and the check itself against real nftables inside the private
// namespace of scripts/with-fake-cameras.sh. The rule sets in data/firewall come from
// its regenerate.sh.
#include "firewallcheck.h"

#include <dns/ipv4address.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace zelk::cam;

Q_DECLARE_METATYPE(EFirewallVerdict)

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

std::uint32_t Address(const char* text)
{
    return dns::CIPv4Address::Parse(text)->Value();
}

QString DataPath(const QString& name)
{
    return QStringLiteral(ZELKCAM_FIREWALL_DATA_DIR "/") + name;
}

QByteArray RuleSet(const QString& name)
{
    QFile file(DataPath(name + QStringLiteral(".json")));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return file.readAll();
}

QString Nft()
{
    return QStandardPaths::findExecutable(
        QStringLiteral("nft"), { QStringLiteral("/usr/sbin"), QStringLiteral("/sbin") });
}

// Rules may be loaded only where they cannot touch this computer's own firewall. Asks
// the network namespace itself: /sys may still show the interfaces of another one.
bool InPrivateNamespace()
{
    QStringList interfaces;
    struct if_nameindex* const names = if_nameindex();
    if (!names)
        return false;
    for (const struct if_nameindex* name = names; name->if_index != 0; ++name)
        interfaces.append(QString::fromLocal8Bit(name->if_name));
    if_freenameindex(names);
    return interfaces == QStringList { QStringLiteral("lo") };
}

bool Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        qWarning("%s %s: %s", qPrintable(program), qPrintable(arguments.join(QLatin1Char(' '))),
            process.readAllStandardError().constData());
        return false;
    }
    return true;
}

sockaddr_in SocketAddress(std::uint32_t address, quint16 port)
{
    sockaddr_in result {};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = htonl(address);
    result.sin_port = htons(port);
    return result;
}

// Whether a datagram sent from `from` to an ephemeral port of 127.0.0.1 arrives there.
bool DatagramArrives(std::uint32_t from)
{
    const int receiver = socket(AF_INET, SOCK_DGRAM, 0);
    const int sender = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local = SocketAddress(Address("127.0.0.1"), 0);
    socklen_t size = sizeof local;
    const sockaddr_in source = SocketAddress(from, 0);
    char byte = 1;
    bool arrived = bind(receiver, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0
        && getsockname(receiver, reinterpret_cast<sockaddr*>(&local), &size) == 0
        && bind(sender, reinterpret_cast<const sockaddr*>(&source), sizeof source) == 0
        && sendto(sender, &byte, 1, 0, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 1;
    if (arrived) {
        pollfd readable { receiver, POLLIN, 0 };
        arrived = poll(&readable, 1, 5000) == 1 && recv(receiver, &byte, 1, 0) == 1;
    }
    close(sender);
    close(receiver);
    return arrived;
}

} // namespace

class TestFirewallCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void evaluate_data();
    void evaluate();
    void refusesWhatIsNotARuleSet_data();
    void refusesWhatIsNotARuleSet();
    void checkFirewall();

private:
    bool m_loaded = false;
};

void TestFirewallCheck::cleanup()
{
    if (m_loaded && InPrivateNamespace())
        QVERIFY(Run(Nft(), { QStringLiteral("flush"), QStringLiteral("ruleset") }));
    m_loaded = false;
}

void TestFirewallCheck::evaluate_data()
{
    QTest::addColumn<QString>("ruleSet");
    QTest::addColumn<QString>("interface");
    QTest::addColumn<QString>("camera");
    QTest::addColumn<EFirewallVerdict>("verdict");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("fix");

    const auto row = [](const char* name, const char* ruleSet, const char* interface, const char* camera,
                         EFirewallVerdict verdict, const char* where, const char* fix) {
        QTest::newRow(name) << QString::fromLatin1(ruleSet) << QString::fromLatin1(interface)
                            << QString::fromLatin1(camera) << verdict << QString::fromLatin1(where)
                            << QString::fromLatin1(fix);
    };
    using V = EFirewallVerdict;
    const char* const policyDrop = "table inet filter, chain input: policy drop";
    const char* const nftFix
        = "sudo nft insert rule inet filter input iifname \"eth1\" ip saddr 192.168.1.10 "
          "udp dport 1024-65535 accept";

    row("no rules", "empty", "eth1", "192.168.1.10", V::Accepted, "", "");
    row("only ssh", "tcp22", "eth1", "192.168.1.10", V::Dropped, policyDrop, nftFix);
    row("only replies", "established", "eth1", "192.168.1.10", V::Dropped, policyDrop, nftFix);
    row("loopback allowed, camera on it", "loopback", "lo", "127.0.0.2", V::Accepted,
        "table inet filter, chain input: rule handle 2 (accept)", "");
    row("loopback allowed, camera elsewhere", "loopback", "eth1", "192.168.1.10", V::Dropped, policyDrop,
        nftFix);
    row("camera's subnet allowed", "subnet", "eth1", "192.168.1.10", V::Accepted,
        "table inet filter, chain input: rule handle 3 (accept)", "");
    row("another subnet allowed", "subnet", "eth1", "10.0.0.5", V::Dropped, policyDrop,
        "sudo nft insert rule inet filter input iifname \"eth1\" ip saddr 10.0.0.5 udp dport 1024-65535 "
        "accept");
    row("jump to a chain that drops", "jump", "eth1", "192.168.1.10", V::Dropped,
        "table inet filter, chain cameras: rule handle 3 (drop)", nftFix);
    row("jump on another interface", "jump", "eth0", "192.168.1.10", V::Accepted,
        "table inet filter, chain input: policy accept", "");
    row("jump, interface not known", "jump", "", "192.168.1.10", V::MayDrop,
        "table inet filter, chain cameras: rule handle 3 (drop)",
        "sudo nft insert rule inet filter input ip saddr 192.168.1.10 udp dport 1024-65535 accept");
    row("some ports allowed", "portrange", "eth1", "192.168.1.10", V::MayDrop, policyDrop, nftFix);
    row("accepted by one chain, dropped by a later one", "twochains", "eth1", "192.168.1.10", V::Dropped,
        "table ip late, chain input: policy drop",
        "sudo nft insert rule ip late input iifname \"eth1\" ip saddr 192.168.1.10 udp dport 1024-65535 "
        "accept");
    row("ufw", "ufw", "eth1", "192.168.1.10", V::Dropped, "table ip filter, chain INPUT: policy drop",
        "sudo ufw allow in on eth1 from 192.168.1.10 proto udp");
    row("firewalld rejects", "firewalld", "eth1", "192.168.1.10", V::Dropped,
        "table inet firewalld, chain filter_INPUT: rule handle 11 (reject)",
        "sudo firewall-cmd --zone=trusted --add-source=192.168.1.10");
    // Address 0: any camera on the interface, when none answered.
    const char* const anyFix = "sudo nft insert rule inet filter input iifname \"eth1\" udp dport 1024-65535 accept";
    row("any camera, only replies", "established", "eth1", "0.0.0.0", V::Dropped, policyDrop, anyFix);
    row("any camera, one subnet allowed", "subnet", "eth1", "0.0.0.0", V::MayDrop, policyDrop, anyFix);
    row("any camera, firewalld", "firewalld", "eth1", "0.0.0.0", V::Dropped,
        "table inet firewalld, chain filter_INPUT: rule handle 11 (reject)",
        "sudo firewall-cmd --zone=trusted --add-interface=eth1");
}

void TestFirewallCheck::evaluate()
{
    QFETCH(QString, ruleSet);
    QFETCH(QString, interface);
    QFETCH(QString, camera);
    QFETCH(EFirewallVerdict, verdict);
    QFETCH(QString, where);
    QFETCH(QString, fix);

    SFirewallVerdict result;
    std::string error;
    QVERIFY(EvaluateGvspInput(RuleSet(ruleSet).toStdString(), interface.toStdString(),
        Address(camera.toLatin1().constData()), result, error));
    QCOMPARE(result.verdict, verdict);
    QCOMPARE(Text(result.where), where);
    QCOMPARE(Text(result.fix), fix);
}

void TestFirewallCheck::refusesWhatIsNotARuleSet_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("cut short") << RuleSet(QStringLiteral("tcp22")).left(200);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("other JSON") << QByteArray("[1, 2]");
}

void TestFirewallCheck::refusesWhatIsNotARuleSet()
{
    QFETCH(QByteArray, text);
    SFirewallVerdict result;
    std::string error;
    QVERIFY(!EvaluateGvspInput(text.toStdString(), "eth1", Address("192.168.1.10"), result, error));
    QVERIFY(!error.empty());
}

// Both ways against real nftables: the stream dropped, then let in by the fix the check
// prints.
void TestFirewallCheck::checkFirewall()
{
    if (Nft().isEmpty())
        QSKIP("nft is not installed");
    if (!InPrivateNamespace())
        QSKIP("refusing to load firewall rules outside a private network namespace with only loopback");

    SHostCheckCamera camera;
    camera.name = "FAKE0002 at 127.0.0.2";
    camera.hostInterface = "lo";
    camera.address = Address("127.0.0.2");

    SHostCheckFinding finding = CheckFirewall({ camera }).front();
    QCOMPARE(finding.status, EHostCheckStatus::Ok);
    QCOMPARE(Text(finding.detail), QStringLiteral("There are no firewall rules."));

    m_loaded = true;
    QVERIFY(Run(Nft(), { QStringLiteral("-f"), DataPath(QStringLiteral("established.nft")) }));
    finding = CheckFirewall({ camera }).front();
    QCOMPARE(Text(finding.topic), QStringLiteral("Firewall"));
    QCOMPARE(Text(finding.subject), QStringLiteral("lo"));
    QCOMPARE(finding.status, EHostCheckStatus::Problem);
    QVERIFY2(Text(finding.detail).contains(QLatin1String("policy drop")), finding.detail.c_str());
    QVERIFY2(finding.fix.rfind("sudo ", 0) == 0, finding.fix.c_str());

    QVERIFY(Run(QStringLiteral("/bin/sh"), { QStringLiteral("-c"), Text(finding.fix.substr(5)) }));
    finding = CheckFirewall({ camera }).front();
    QCOMPARE(finding.status, EHostCheckStatus::Ok);
    QCOMPARE(Text(finding.detail), QStringLiteral("nftables lets the camera's stream in."));
    QVERIFY(finding.fix.empty());
    QVERIFY(DatagramArrives(camera.address));
}

QTEST_GUILESS_MAIN(TestFirewallCheck)
#include "tst_firewallcheck.moc"
