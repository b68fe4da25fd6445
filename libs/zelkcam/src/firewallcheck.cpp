#include "firewallcheck.h"

#include <dns/ipv4address.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include <unistd.h>

namespace zelk::cam {
namespace {

// Aravis binds its stream socket to an ephemeral port, so any of these may receive.
constexpr int LowestStreamPort = 1024;
constexpr int HighestStreamPort = 65535;
constexpr int NftTimeoutMs = 3000;

// Whether a condition holds for all, none or only some of the camera's stream packets.
enum class ETruth { Yes, No, Maybe };

ETruth Not(ETruth truth)
{
    return truth == ETruth::Yes ? ETruth::No : truth == ETruth::No ? ETruth::Yes : ETruth::Maybe;
}

ETruth And(ETruth a, ETruth b)
{
    if (a == ETruth::No || b == ETruth::No)
        return ETruth::No;
    return a == ETruth::Yes && b == ETruth::Yes ? ETruth::Yes : ETruth::Maybe;
}

ETruth Truth(bool value)
{
    return value ? ETruth::Yes : ETruth::No;
}

// Combines the truths of a set's elements: the packet matches when one of them does.
template <typename Element> ETruth AnyOf(const QJsonValue& right, Element element)
{
    if (!right.isArray())
        return element(right);
    ETruth any = ETruth::No;
    for (const QJsonValue& value : right.toArray()) {
        const ETruth truth = element(value);
        if (truth == ETruth::Yes)
            return ETruth::Yes;
        if (truth == ETruth::Maybe)
            any = ETruth::Maybe;
    }
    return any;
}

struct SChainName
{
    QString family;
    QString table;
    QString name;

    friend bool operator<(const SChainName& a, const SChainName& b)
    {
        return std::tie(a.family, a.table, a.name) < std::tie(b.family, b.table, b.name);
    }
};

struct SBaseChain
{
    SChainName name;
    int hookOrder = 0; // prerouting comes before input
    int priority = 0;
    bool dropPolicy = false;
};

struct SSet
{
    QJsonArray elements;
    bool changing = false; // filled by rules at run time or timed out: contents not known
};

// The fates a packet entering a chain may meet there.
struct SFates
{
    bool accept = false;
    bool drop = false;
    bool goOn = false; // falls through or returns to whoever jumped there
    std::string acceptWhere;
    std::string dropWhere;

    void Add(const SFates& other)
    {
        if (other.accept)
            Accept(other.acceptWhere);
        if (other.drop)
            Drop(other.dropWhere);
    }
    void Accept(const std::string& where)
    {
        if (!accept)
            acceptWhere = where;
        accept = true;
    }
    void Drop(const std::string& where)
    {
        if (!drop)
            dropWhere = where;
        drop = true;
    }
};

int PriorityValue(const QJsonValue& value)
{
    if (value.isDouble())
        return value.toInt();
    static const std::map<QString, int> named = {
        { QStringLiteral("raw"), -300 },
        { QStringLiteral("mangle"), -150 },
        { QStringLiteral("dstnat"), -100 },
        { QStringLiteral("filter"), 0 },
        { QStringLiteral("security"), 50 },
    };
    const auto known = named.find(value.toString());
    return known == named.end() ? 0 : known->second;
}

// Ports as closed intervals, or nothing when an element is not a plain port or range.
std::optional<std::vector<std::pair<int, int>>> PortIntervals(const QJsonValue& right)
{
    std::vector<std::pair<int, int>> intervals;
    const QJsonArray elements = right.isArray() ? right.toArray() : QJsonArray { right };
    for (const QJsonValue& element : elements) {
        if (element.isDouble()) {
            intervals.emplace_back(element.toInt(), element.toInt());
        } else if (element.toObject().value(QLatin1String("range")).isArray()) {
            const QJsonArray range = element.toObject().value(QLatin1String("range")).toArray();
            if (range.size() != 2 || !range[0].isDouble() || !range[1].isDouble())
                return std::nullopt;
            intervals.emplace_back(range[0].toInt(), range[1].toInt());
        } else {
            return std::nullopt;
        }
    }
    return intervals;
}

// Whether the stream's port, one of 1024-65535, lies in the intervals.
ETruth StreamPortIn(std::vector<std::pair<int, int>> intervals)
{
    std::sort(intervals.begin(), intervals.end());
    int next = LowestStreamPort; // the lowest stream port not yet covered
    bool touched = false;
    for (const auto& [low, high] : intervals) {
        if (high < LowestStreamPort || low > HighestStreamPort)
            continue;
        touched = true;
        if (low <= next && high >= next)
            next = high + 1;
    }
    if (next > HighestStreamPort)
        return ETruth::Yes;
    return touched ? ETruth::Maybe : ETruth::No;
}

class CEvaluator
{
public:
    CEvaluator(const QJsonArray& objects, const std::string& interfaceName, std::uint32_t cameraAddress)
        : m_interface(QString::fromStdString(interfaceName))
        , m_camera(cameraAddress)
    {
        for (const QJsonValue& value : objects)
            Add(value.toObject());
        std::stable_sort(
            m_baseChains.begin(), m_baseChains.end(), [](const SBaseChain& a, const SBaseChain& b) {
                return std::tie(a.hookOrder, a.priority) < std::tie(b.hookOrder, b.priority);
            });
    }

    SFirewallVerdict Evaluate()
    {
        SFirewallVerdict result;
        std::vector<std::string> fixes;
        for (const SBaseChain& chain : m_baseChains) {
            SFates fates = Run(chain.name);
            if (fates.goOn) {
                const std::string where
                    = Where(chain.name) + ": policy " + (chain.dropPolicy ? "drop" : "accept");
                if (chain.dropPolicy)
                    fates.Drop(where);
                else
                    fates.Accept(where);
            }
            if (fates.drop) {
                const std::string fix = Fix(chain.name);
                if (std::find(fixes.begin(), fixes.end(), fix) == fixes.end())
                    fixes.push_back(fix);
            }
            if (fates.drop && !fates.accept) {
                // No stream packet gets past this chain, whatever the others do.
                result.verdict = EFirewallVerdict::Dropped;
                result.where = fates.dropWhere;
                break;
            }
            if (fates.drop && result.verdict != EFirewallVerdict::MayDrop) {
                result.verdict = EFirewallVerdict::MayDrop;
                result.where = fates.dropWhere;
            } else if (result.verdict == EFirewallVerdict::Accepted) {
                result.where = fates.acceptWhere;
            }
        }
        if (result.verdict != EFirewallVerdict::Accepted) {
            for (const std::string& fix : fixes)
                result.fix += (result.fix.empty() ? "" : " && ") + fix;
        }
        return result;
    }

private:
    void Add(const QJsonObject& object)
    {
        if (object.contains(QLatin1String("chain"))) {
            const QJsonObject chain = object.value(QLatin1String("chain")).toObject();
            const SChainName name = Name(chain, QStringLiteral("name"));
            m_rules[name]; // an empty chain still exists
            if (name.name.startsWith(QLatin1String("ufw-")))
                m_ufwTables.insert({ name.family, name.table });
            const QString hook = chain.value(QLatin1String("hook")).toString();
            const bool ipv4 = name.family == QLatin1String("ip") || name.family == QLatin1String("inet");
            if (ipv4 && chain.value(QLatin1String("type")).toString() == QLatin1String("filter")
                && (hook == QLatin1String("input") || hook == QLatin1String("prerouting"))) {
                m_baseChains.push_back({ name, hook == QLatin1String("input") ? 1 : 0,
                    PriorityValue(chain.value(QLatin1String("prio"))),
                    chain.value(QLatin1String("policy")).toString() == QLatin1String("drop") });
            }
        } else if (object.contains(QLatin1String("rule"))) {
            const QJsonObject rule = object.value(QLatin1String("rule")).toObject();
            m_rules[Name(rule, QStringLiteral("chain"))].push_back(rule);
            for (const QJsonValue& expression : rule.value(QLatin1String("expr")).toArray()) {
                if (expression.toObject().contains(QLatin1String("dnat"))
                    || expression.toObject().contains(QLatin1String("redirect")))
                    m_translates = true;
            }
        } else if (object.contains(QLatin1String("set")) || object.contains(QLatin1String("map"))) {
            const QJsonObject set = object
                                        .value(object.contains(QLatin1String("set")) ? QLatin1String("set")
                                                                                     : QLatin1String("map"))
                                        .toObject();
            const QJsonArray flags = set.value(QLatin1String("flags")).toArray();
            SSet& known = m_sets[Name(set, QStringLiteral("name"))];
            known.elements = set.value(QLatin1String("elem")).toArray();
            known.changing = flags.contains(QLatin1String("dynamic"))
                || flags.contains(QLatin1String("timeout")) || set.contains(QLatin1String("timeout"));
        }
    }

    static SChainName Name(const QJsonObject& object, const QString& nameKey)
    {
        return { object.value(QLatin1String("family")).toString(),
            object.value(QLatin1String("table")).toString(), object.value(nameKey).toString() };
    }

    static std::string Where(const SChainName& chain)
    {
        return ("table " + chain.family + ' ' + chain.table + ", chain " + chain.name).toStdString();
    }

    std::string Fix(const SChainName& chain) const
    {
        const std::string address = m_camera == 0 ? std::string() : dns::CIPv4Address::FromValue(m_camera).Text().data();
        const std::string interface = m_interface.toStdString();
        if (m_ufwTables.count({ chain.family, chain.table })) {
            return "sudo ufw allow " + (interface.empty() ? std::string() : "in on " + interface + ' ')
                + (address.empty() ? std::string() : "from " + address + ' ') + "proto udp";
        }
        if (chain.table == QLatin1String("firewalld")) {
            return address.empty() ? "sudo firewall-cmd --zone=trusted --add-interface=" + interface
                                   : "sudo firewall-cmd --zone=trusted --add-source=" + address;
        }
        return "sudo nft insert rule " + (chain.family + ' ' + chain.table + ' ' + chain.name).toStdString()
            + ' ' + (interface.empty() ? std::string() : "iifname \"" + interface + "\" ")
            + (address.empty() ? std::string() : "ip saddr " + address + ' ') + "udp dport " + std::to_string(LowestStreamPort) + '-'
            + std::to_string(HighestStreamPort) + " accept";
    }

    // Runs the stream packets through a chain and its jumps. A chain's fates do not
    // depend on the way in, so each is worked out once however many rules jump there.
    SFates Run(const SChainName& chain)
    {
        const auto known = m_fates.find(chain);
        if (known != m_fates.end())
            return known->second;
        const auto rules = m_rules.find(chain);
        if (rules == m_rules.end() || !m_running.insert(chain).second) {
            // A jump nowhere or in a circle: nft would not have loaded it.
            SFates unknown;
            unknown.Accept(Where(chain) + ": not followed");
            unknown.Drop(Where(chain) + ": not followed");
            unknown.goOn = true;
            return unknown;
        }
        SFates fates;
        bool fallsThrough = true;
        for (const QJsonObject& rule : rules->second) {
            const std::string where = Where(chain) + ": rule handle "
                + std::to_string(rule.value(QLatin1String("handle")).toInt());
            if (RunRule(chain, rule.value(QLatin1String("expr")).toArray(), where, fates)) {
                fallsThrough = false; // every packet that got here has met its fate
                break;
            }
        }
        if (fallsThrough)
            fates.goOn = true;
        m_running.erase(chain);
        m_fates[chain] = fates;
        return fates;
    }

    // True when no stream packet goes past this rule in its chain.
    bool RunRule(
        const SChainName& chain, const QJsonArray& expressions, const std::string& where, SFates& fates)
    {
        ETruth condition = ETruth::Yes;
        for (const QJsonValue& value : expressions) {
            const QJsonObject expression = value.toObject();
            const QString kind = expression.isEmpty() ? QString() : expression.begin().key();
            const QJsonValue argument = expression.isEmpty() ? QJsonValue() : expression.begin().value();
            if (kind == QLatin1String("match")) {
                condition = And(condition, Match(chain, argument.toObject()));
            } else if (IsVerdict(kind)) {
                return Verdict(chain, kind, argument, condition, where, fates);
            } else if (kind == QLatin1String("vmap")) {
                return VerdictMap(chain, argument.toObject(), condition, where, fates);
            } else if (kind == QLatin1String("xt") || kind == QLatin1String("queue")) {
                if (kind == QLatin1String("queue")
                    || argument.toObject().value(QLatin1String("type")).toString()
                        == QLatin1String("target")) {
                    // A verdict this check cannot follow: an iptables target or a user-space program.
                    fates.Accept(where + " (" + kind.toStdString() + ')');
                    fates.Drop(where + " (" + kind.toStdString() + ')');
                    if (condition == ETruth::Yes)
                        return true;
                } else {
                    condition = And(condition, ETruth::Maybe);
                }
            } else if (!IsStatement(kind)) {
                // limit, quota and anything new to this check pass only some packets.
                condition = And(condition, ETruth::Maybe);
            }
            if (condition == ETruth::No)
                return false;
        }
        return false;
    }

    static bool IsVerdict(const QString& kind)
    {
        static const QStringList verdicts = { QStringLiteral("accept"), QStringLiteral("drop"),
            QStringLiteral("reject"), QStringLiteral("jump"), QStringLiteral("goto"),
            QStringLiteral("return"), QStringLiteral("continue") };
        return verdicts.contains(kind);
    }

    // Statements that leave the packet's way through the chain as it is.
    static bool IsStatement(const QString& kind)
    {
        static const QStringList statements = { QStringLiteral("counter"), QStringLiteral("log"),
            QStringLiteral("mangle"), QStringLiteral("set"), QStringLiteral("map"), QStringLiteral("notrack"),
            QStringLiteral("ct helper"), QStringLiteral("ct timeout"), QStringLiteral("ct expectation"),
            QStringLiteral("last"), QStringLiteral("dup") };
        return statements.contains(kind);
    }

    bool Verdict(const SChainName& chain, const QString& kind, const QJsonValue& argument, ETruth condition,
        const std::string& where, SFates& fates)
    {
        if (condition == ETruth::No || kind == QLatin1String("continue"))
            return false;
        const bool all = condition == ETruth::Yes;
        if (kind == QLatin1String("accept")) {
            fates.Accept(where + " (accept)");
            return all;
        }
        if (kind == QLatin1String("drop") || kind == QLatin1String("reject")) {
            fates.Drop(where + " (" + kind.toStdString() + ')');
            return all;
        }
        if (kind == QLatin1String("return")) {
            fates.goOn = true;
            return all;
        }
        // jump or goto
        const SChainName target { chain.family, chain.table,
            argument.toObject().value(QLatin1String("target")).toString() };
        const SFates inner = Run(target);
        fates.Add(inner);
        if (kind == QLatin1String("goto") && inner.goOn)
            fates.goOn = true;
        return all && (kind == QLatin1String("goto") || !inner.goOn);
    }

    // A verdict map is a run of rules, one per key, that exclude each other.
    bool VerdictMap(const SChainName& chain, const QJsonObject& map, ETruth condition,
        const std::string& where, SFates& fates)
    {
        const QJsonValue data = map.value(QLatin1String("data"));
        const std::optional<SSet> named = FindSet(chain, data.toString());
        if (!named && !data.toObject().value(QLatin1String("set")).isArray()) {
            fates.Accept(where + " (vmap)");
            fates.Drop(where + " (vmap)");
            return condition == ETruth::Yes;
        }
        const QJsonArray entries
            = named ? named->elements : data.toObject().value(QLatin1String("set")).toArray();
        for (const QJsonValue& value : entries) {
            const QJsonArray entry = value.toArray();
            const QJsonObject verdict = entry.at(1).toObject();
            if (entry.size() != 2 || verdict.isEmpty())
                continue;
            const ETruth matches
                = And(condition, Equals(chain, map.value(QLatin1String("key")), entry.at(0)));
            if (Verdict(chain, verdict.begin().key(), verdict.begin().value(), matches, where, fates))
                return true;
        }
        return false;
    }

    std::optional<SSet> FindSet(const SChainName& chain, const QString& reference) const
    {
        const auto set = m_sets.find({ chain.family, chain.table, reference.mid(1) });
        if (!reference.startsWith(QLatin1Char('@')) || set == m_sets.end())
            return std::nullopt;
        return set->second;
    }

    ETruth Match(const SChainName& chain, const QJsonObject& match)
    {
        const QString op = match.value(QLatin1String("op")).toString();
        const QJsonValue left = match.value(QLatin1String("left"));
        const QJsonValue right = match.value(QLatin1String("right"));
        if (op == QLatin1String("==") || op == QLatin1String("in"))
            return Equals(chain, left, right);
        if (op == QLatin1String("!="))
            return Not(Equals(chain, left, right));
        if (IsPayload(left, "udp", "dport") || IsPayload(left, "th", "dport")) {
            if (!right.isDouble())
                return ETruth::Maybe;
            const int port = right.toInt();
            if (op == QLatin1String("<"))
                return StreamPortIn({ { 0, port - 1 } });
            if (op == QLatin1String("<="))
                return StreamPortIn({ { 0, port } });
            if (op == QLatin1String(">"))
                return StreamPortIn({ { port + 1, HighestStreamPort } });
            if (op == QLatin1String(">="))
                return StreamPortIn({ { port, HighestStreamPort } });
        }
        return OtherProtocol(left) ? ETruth::No : ETruth::Maybe;
    }

    static bool IsPayload(const QJsonValue& left, const char* protocol, const char* field)
    {
        const QJsonObject payload = left.toObject().value(QLatin1String("payload")).toObject();
        return payload.value(QLatin1String("protocol")).toString() == QLatin1String(protocol)
            && payload.value(QLatin1String("field")).toString() == QLatin1String(field);
    }

    // A header the stream packet, IPv4 and UDP, does not have: nft matches it never.
    static bool OtherProtocol(const QJsonValue& left)
    {
        static const QStringList others = { QStringLiteral("ip6"), QStringLiteral("tcp"),
            QStringLiteral("icmp"), QStringLiteral("icmpv6"), QStringLiteral("igmp"), QStringLiteral("sctp"),
            QStringLiteral("dccp"), QStringLiteral("udplite"), QStringLiteral("ah"), QStringLiteral("esp"),
            QStringLiteral("comp"), QStringLiteral("arp") };
        const QJsonObject payload = left.toObject().value(QLatin1String("payload")).toObject();
        return others.contains(payload.value(QLatin1String("protocol")).toString());
    }

    // Whether the stream packet's value of `left` is one of `right`.
    ETruth Equals(const SChainName& chain, const QJsonValue& left, QJsonValue right)
    {
        bool changing = false;
        if (right.isString() && right.toString().startsWith(QLatin1Char('@'))) {
            const std::optional<SSet> set = FindSet(chain, right.toString());
            if (!set)
                return ETruth::Maybe;
            QJsonArray elements;
            for (const QJsonValue& element : set->elements) {
                const QJsonObject wrapped = element.toObject().value(QLatin1String("elem")).toObject();
                elements.append(wrapped.isEmpty() ? element : wrapped.value(QLatin1String("val")));
            }
            right = elements;
            changing = set->changing;
        } else if (right.toObject().contains(QLatin1String("set"))) {
            right = right.toObject().value(QLatin1String("set"));
        }
        const ETruth truth = ValueIn(left, right);
        return changing && truth == ETruth::No ? ETruth::Maybe : truth;
    }

    ETruth ValueIn(const QJsonValue& left, const QJsonValue& right) const
    {
        const QJsonObject leftObject = left.toObject();
        const QString meta
            = leftObject.value(QLatin1String("meta")).toObject().value(QLatin1String("key")).toString();
        const QJsonObject ct = leftObject.value(QLatin1String("ct")).toObject();
        const QString ctKey
            = ct.contains(QLatin1String("dir")) ? QString() : ct.value(QLatin1String("key")).toString();

        if (meta == QLatin1String("l4proto") || IsPayload(left, "ip", "protocol"))
            return AnyOf(right, [](const QJsonValue& value) {
                return Truth(
                    value.toString() == QLatin1String("udp") || (value.isDouble() && value.toInt() == 17));
            });
        if (meta == QLatin1String("iifname") || meta == QLatin1String("iif"))
            return AnyOf(right, [this](const QJsonValue& value) { return InterfaceIs(value); });
        if (meta == QLatin1String("nfproto"))
            return OneOf(right, QStringLiteral("ipv4"), { QStringLiteral("ipv6"), QStringLiteral("arp") });
        if (meta == QLatin1String("protocol"))
            return OneOf(right, QStringLiteral("ip"), { QStringLiteral("ip6"), QStringLiteral("arp") });
        if (meta == QLatin1String("pkttype"))
            return OneOf(right, QStringLiteral("host"),
                { QStringLiteral("broadcast"), QStringLiteral("multicast"), QStringLiteral("other") });
        if (ctKey == QLatin1String("state"))
            return OneOf(right, QStringLiteral("new"),
                { QStringLiteral("established"), QStringLiteral("related"), QStringLiteral("invalid"),
                    QStringLiteral("untracked") });
        if (ctKey == QLatin1String("status") && !m_translates) {
            // Only a rule of this set could have changed the stream's destination.
            return AnyOf(right, [](const QJsonValue& value) {
                return value.toString() == QLatin1String("dnat") ? ETruth::No : ETruth::Maybe;
            });
        }
        if (ctKey == QLatin1String("direction"))
            return OneOf(right, QStringLiteral("original"), { QStringLiteral("reply") });
        if (IsPayload(left, "ip", "saddr"))
            return AnyOf(right, [this](const QJsonValue& value) { return CameraIn(value); });
        if (IsPayload(left, "ip", "version"))
            return AnyOf(right, [](const QJsonValue& value) { return Truth(value.toInt() == 4); });
        if (IsPayload(left, "udp", "dport") || IsPayload(left, "th", "dport")) {
            const auto intervals = PortIntervals(right);
            return intervals ? StreamPortIn(*intervals) : ETruth::Maybe;
        }
        const QJsonObject fib = leftObject.value(QLatin1String("fib")).toObject();
        if (fib.value(QLatin1String("result")).toString() == QLatin1String("type")
            && fib.value(QLatin1String("flags")).toArray() == QJsonArray { QStringLiteral("daddr") }) {
            // The stream goes to one of this computer's own addresses.
            return OneOf(right, QStringLiteral("local"),
                { QStringLiteral("unicast"), QStringLiteral("broadcast"), QStringLiteral("multicast"),
                    QStringLiteral("unreachable"), QStringLiteral("prohibit"), QStringLiteral("blackhole") });
        }
        return OtherProtocol(left) ? ETruth::No : ETruth::Maybe;
    }

    // Yes when `right` holds `value`, No when it holds only names of `others`.
    static ETruth OneOf(const QJsonValue& right, const QString& value, const QStringList& others)
    {
        return AnyOf(right, [&](const QJsonValue& element) {
            const QString name = element.toString();
            return name == value ? ETruth::Yes : others.contains(name) ? ETruth::No : ETruth::Maybe;
        });
    }

    ETruth InterfaceIs(const QJsonValue& value) const
    {
        const QString name = value.toString();
        if (m_interface.isEmpty() || name.isEmpty())
            return ETruth::Maybe;
        if (name.endsWith(QLatin1Char('*')) && !name.endsWith(QLatin1String("\\*")))
            return Truth(m_interface.startsWith(name.chopped(1)));
        return Truth(m_interface == name);
    }

    ETruth CameraIn(const QJsonValue& value) const
    {
        // Address 0 stands for any camera on the interface.
        if (m_camera == 0)
            return ETruth::Maybe;
        const QJsonObject object = value.toObject();
        const auto parse = [](const QJsonValue& text) {
            return dns::CIPv4Address::Parse(text.toString().toLatin1().constData());
        };
        const dns::CIPv4Address camera = dns::CIPv4Address::FromValue(m_camera);
        if (object.contains(QLatin1String("prefix"))) {
            const QJsonObject prefix = object.value(QLatin1String("prefix")).toObject();
            const auto network = parse(prefix.value(QLatin1String("addr")));
            const int length = prefix.value(QLatin1String("len")).toInt(-1);
            if (!network || length < 0 || length > 32)
                return ETruth::Maybe;
            const std::uint32_t mask = length == 0 ? 0u : ~std::uint32_t(0) << (32 - length);
            return Truth(camera.SameSubnet(*network, dns::CIPv4Address::FromValue(mask)));
        }
        if (object.contains(QLatin1String("range"))) {
            const QJsonArray range = object.value(QLatin1String("range")).toArray();
            const auto low = parse(range.at(0));
            const auto high = parse(range.at(1));
            if (!low || !high)
                return ETruth::Maybe;
            return Truth(!(camera < *low) && !(*high < camera));
        }
        const auto address = parse(value);
        return address ? Truth(*address == camera) : ETruth::Maybe;
    }

    QString m_interface;
    std::uint32_t m_camera;
    std::vector<SBaseChain> m_baseChains;
    std::map<SChainName, std::vector<QJsonObject>> m_rules;
    std::map<SChainName, SSet> m_sets;
    std::set<std::pair<QString, QString>> m_ufwTables;
    bool m_translates = false; // some rule changes destination addresses
    std::map<SChainName, SFates> m_fates;
    std::set<SChainName> m_running;
};

} // namespace

bool EvaluateGvspInput(const std::string& nftJson, const std::string& interfaceName,
    std::uint32_t cameraAddress, SFirewallVerdict& result, std::string& error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(nftJson), &parseError);
    if (document.isNull()) {
        error = "the rule set is not JSON: " + parseError.errorString().toStdString();
        return false;
    }
    const QJsonValue objects = document.object().value(QLatin1String("nftables"));
    if (!objects.isArray()) {
        error = "the JSON holds no nftables rule set";
        return false;
    }
    result = CEvaluator(objects.toArray(), interfaceName, cameraAddress).Evaluate();
    return true;
}

namespace {

// The rule set as `nft -j list ruleset` prints it; empty with `unreadable` set (a sentence
// that names `from`) when it cannot be had.
std::string ListRuleSet(const std::string& from, std::string& unreadable)
{
    // Debian keeps nft in /usr/sbin, outside the path of ordinary users.
    QString nft = QStandardPaths::findExecutable(QStringLiteral("nft"));
    if (nft.isEmpty())
        nft = QStandardPaths::findExecutable(
            QStringLiteral("nft"), { QStringLiteral("/usr/sbin"), QStringLiteral("/sbin") });
    if (nft.isEmpty()) {
        unreadable = "nft is not installed, so the firewall rules could not be read. If this computer uses "
                     "iptables, check that it lets UDP from "
            + from + " in.";
        return {};
    }

    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(nft, { QStringLiteral("-j"), QStringLiteral("list"), QStringLiteral("ruleset") });
    if (!process.waitForStarted(NftTimeoutMs)) {
        unreadable = "nft could not be started: " + process.errorString().toStdString() + '.';
        return {};
    }
    if (!process.waitForFinished(NftTimeoutMs)) {
        process.kill();
        process.waitForFinished(NftTimeoutMs);
        unreadable = "nft did not list the firewall rules within " + std::to_string(NftTimeoutMs / 1000)
            + " seconds.";
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString message = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        if (geteuid() != 0 || message.contains(QLatin1String("Operation not permitted")))
            unreadable = "Run the check as root (sudo) to read the firewall rules.";
        else
            unreadable = "nft could not list the firewall rules: "
                + message.section(QLatin1Char('\n'), 0, 0).toStdString();
        return {};
    }
    return process.readAllStandardOutput().toStdString();
}

SHostCheckFinding Finding(const SHostCheckCamera& camera, const std::string& ruleSet, const std::string& unreadable)
{
    SHostCheckFinding finding;
    finding.topic = "Firewall";
    finding.subject = camera.hostInterface;
    finding.status = EHostCheckStatus::Unknown;
    if (!unreadable.empty()) {
        finding.detail = unreadable;
        return finding;
    }
    SFirewallVerdict verdict;
    std::string error;
    if (!EvaluateGvspInput(ruleSet, camera.hostInterface, camera.address, verdict, error)) {
        finding.detail = "nft listed firewall rules this check cannot read: " + error + '.';
        return finding;
    }
    switch (verdict.verdict) {
    case EFirewallVerdict::Accepted:
        finding.status = EHostCheckStatus::Ok;
        finding.detail = verdict.where.empty() ? "There are no firewall rules." : "nftables lets the camera's stream in.";
        break;
    case EFirewallVerdict::Dropped:
        finding.status = EHostCheckStatus::Problem;
        finding.detail = "nftables drops the stream of " + camera.name + " (" + verdict.where + ").";
        finding.fix = verdict.fix;
        break;
    case EFirewallVerdict::MayDrop:
        finding.status = EHostCheckStatus::Problem;
        finding.detail = "nftables may drop the stream of " + camera.name
            + ": it depends on the stream's port or on rules this check cannot follow (" + verdict.where
            + ").";
        finding.fix = verdict.fix;
        break;
    }
    return finding;
}

} // namespace

std::vector<SHostCheckFinding> CheckFirewall(const std::vector<SHostCheckCamera>& cameras)
{
    std::vector<SHostCheckFinding> findings;
    if (cameras.empty())
        return findings;
    const std::string from = cameras.size() == 1 && cameras.front().address != 0
        ? std::string(dns::CIPv4Address::FromValue(cameras.front().address).Text().data())
        : std::string("the cameras");
    std::string unreadable;
    const std::string ruleSet = ListRuleSet(from, unreadable);
    for (const SHostCheckCamera& camera : cameras)
        findings.push_back(Finding(camera, ruleSet, unreadable));
    return findings;
}

} // namespace zelk::cam
