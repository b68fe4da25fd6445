#include "cforceipresponder.h"

#include "cfakecameras.h"

#include <QProcess>
#include <QtAlgorithms>
#include <QtEndian>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

// The GVCP layout as published, written out here on purpose rather than taken from the
// library, so that the tests check the library against it.
constexpr std::uint16_t ControlPort = 3956;
constexpr std::uint8_t CommandKey = 0x42;
constexpr std::uint8_t AcknowledgeFlag = 0x01;
constexpr std::uint8_t BroadcastAcknowledgeFlag = 0x10;
constexpr std::uint16_t DiscoveryCmd = 0x0002;
constexpr std::uint16_t DiscoveryAck = 0x0003;
constexpr std::uint16_t ForceIpCmd = 0x0004;
constexpr std::uint16_t ForceIpAck = 0x0005;
constexpr std::uint16_t ReadRegisterCmd = 0x0080;
constexpr std::uint16_t ReadRegisterAck = 0x0081;
constexpr int HeaderSize = 8;
constexpr int DiscoveryDataSize = 0xF8;
constexpr int ForceIpPayloadSize = 56;

quint16 get16(const std::uint8_t* at)
{
    return qFromBigEndian<quint16>(at);
}

quint32 get32(const std::uint8_t* at)
{
    return qFromBigEndian<quint32>(at);
}

QByteArray header(quint16 status, quint16 command, quint16 length, quint16 id)
{
    QByteArray packet(HeaderSize, '\0');
    auto* data = reinterpret_cast<uchar*>(packet.data());
    qToBigEndian(status, data);
    qToBigEndian(command, data + 2);
    qToBigEndian(length, data + 4);
    qToBigEndian(id, data + 6);
    return packet;
}

sockaddr_in endpoint(quint32 address, quint16 port)
{
    sockaddr_in result {};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = htonl(address);
    return result;
}

int openSocket(quint32 address, quint16 port, bool shared)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    if (shared)
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in local = endpoint(address, port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether a GigE Vision device answers a register read at `address` within `timeoutMs`.
bool answers(quint32 address, int timeoutMs)
{
    const int fd = openSocket(0x7F000001, 0, false);
    if (fd < 0)
        return false;
    QByteArray request = header(0, ReadRegisterCmd, 4, 1);
    request[0] = char(CommandKey);
    request[1] = char(AcknowledgeFlag);
    request.append(4, '\0');
    const sockaddr_in to = endpoint(address, ControlPort);
    ::sendto(fd, request.constData(), size_t(request.size()), 0, reinterpret_cast<const sockaddr*>(&to),
        sizeof to);
    pollfd poll { fd, POLLIN, 0 };
    std::uint8_t answer[64];
    const bool answered = ::poll(&poll, 1, timeoutMs) > 0
        && ::recv(fd, answer, sizeof answer, 0) >= HeaderSize && get16(answer + 2) == ReadRegisterAck;
    ::close(fd);
    return answered;
}

} // namespace

CForceIpResponder::CForceIpResponder(const SSettings& settings)
    : m_settings(settings)
    , m_listener(openSocket(INADDR_BROADCAST, ControlPort, true))
    , m_sender(openSocket(0x7F000001, 0, false))
    , m_address(settings.address)
{
    if (isListening())
        m_thread = std::thread(&CForceIpResponder::run, this);
}

CForceIpResponder::~CForceIpResponder()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    for (int fd : { m_listener, m_sender }) {
        if (fd >= 0)
            ::close(fd);
    }
    if (m_cameraPid > 0)
        CFakeCameras::stopProcess(m_cameraPid);
}

void CForceIpResponder::setAcknowledgesForceIp(bool acknowledges)
{
    std::lock_guard lock(m_mutex);
    m_acknowledges = acknowledges;
}

void CForceIpResponder::setForceIpDelayMs(int delayMs)
{
    std::lock_guard lock(m_mutex);
    m_delayMs = delayMs;
}

QList<CForceIpResponder::SForceIp> CForceIpResponder::forceIpCommands() const
{
    std::lock_guard lock(m_mutex);
    return m_forceIps;
}

QList<std::uint8_t> CForceIpResponder::discoveryFlags() const
{
    std::lock_guard lock(m_mutex);
    return m_discoveryFlags;
}

quint32 CForceIpResponder::address() const
{
    std::lock_guard lock(m_mutex);
    return m_address;
}

bool CForceIpResponder::handedOver() const
{
    std::lock_guard lock(m_mutex);
    return m_handedOver;
}

void CForceIpResponder::run()
{
    while (!m_stop) {
        pollfd poll { m_listener, POLLIN, 0 };
        if (::poll(&poll, 1, 10) > 0)
            receive();
        sendDue();
    }
}

void CForceIpResponder::receive()
{
    std::uint8_t request[1500];
    sockaddr_in from {};
    socklen_t fromSize = sizeof from;
    const ssize_t size = ::recvfrom(
        m_listener, request, sizeof request, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (size < HeaderSize || request[0] != CommandKey || handedOver())
        return;
    switch (get16(request + 2)) {
    case DiscoveryCmd:
        answerDiscovery(request, std::size_t(size), from);
        break;
    case ForceIpCmd:
        answerForceIp(request, std::size_t(size), from);
        break;
    default:
        break;
    }
}

void CForceIpResponder::answerDiscovery(const std::uint8_t* request, std::size_t, const sockaddr_in& from)
{
    const std::uint8_t flags = request[1];
    {
        std::lock_guard lock(m_mutex);
        m_discoveryFlags.append(flags);
    }
    const bool broadcast = flags & BroadcastAcknowledgeFlag;
    // On another subnet, a unicast answer would never reach the host.
    if (m_settings.onlyBroadcastAcknowledgements && !broadcast)
        return;

    QByteArray data(DiscoveryDataSize, '\0');
    auto* bytes = reinterpret_cast<uchar*>(data.data());
    qToBigEndian<quint32>(0x00020000, bytes + 0x00); // version 2.0
    std::copy(m_settings.mac.begin(), m_settings.mac.end(), bytes + 0x0A);
    qToBigEndian<quint32>(0x00000007, bytes + 0x10); // persistent IP, DHCP and LLA supported
    qToBigEndian<quint32>(0x00000005, bytes + 0x14); // persistent IP and LLA on
    qToBigEndian<quint32>(address(), bytes + 0x24);
    qToBigEndian<quint32>(m_settings.subnetMask, bytes + 0x34);
    qToBigEndian<quint32>(m_settings.defaultGateway, bytes + 0x44);
    const auto text = [&](int offset, int size, const QByteArray& value) {
        std::memcpy(bytes + offset, value.constData(), size_t(std::min<qsizetype>(value.size(), size - 1)));
    };
    text(0x48, 32, m_settings.vendor);
    text(0x68, 32, m_settings.model);
    text(0x88, 32, "1.0");
    text(0xD8, 16, m_settings.serial);

    const QByteArray packet = header(0, DiscoveryAck, DiscoveryDataSize, get16(request + 6)) + data;
    send(packet, broadcast ? endpoint(INADDR_BROADCAST, ntohs(from.sin_port)) : from);
}

void CForceIpResponder::answerForceIp(const std::uint8_t* request, std::size_t size, const sockaddr_in& from)
{
    SForceIp command;
    command.packet = QByteArray(reinterpret_cast<const char*>(request), qsizetype(size));
    command.flags = request[1];
    command.command = get16(request + 2);
    command.length = get16(request + 4);
    command.requestId = get16(request + 6);
    const bool complete = size >= std::size_t(HeaderSize + ForceIpPayloadSize);
    if (complete) {
        const std::uint8_t* payload = request + HeaderSize;
        std::copy(payload + 2, payload + 8, command.mac.begin());
        command.address = get32(payload + 20);
        command.subnetMask = get32(payload + 36);
        command.defaultGateway = get32(payload + 52);
        command.reservedAreZero = true;
        for (int i = 0; i < ForceIpPayloadSize; ++i) {
            const bool field = (i >= 2 && i < 8) || (i >= 20 && i < 24) || (i >= 36 && i < 40) || i >= 52;
            if (!field && payload[i] != 0)
                command.reservedAreZero = false;
        }
    }
    bool acknowledges = false;
    int delayMs = 0;
    {
        std::lock_guard lock(m_mutex);
        m_forceIps.append(command);
        acknowledges = m_acknowledges;
        delayMs = m_delayMs;
    }
    // Like a camera, ignore a command for another MAC address or one it cannot read.
    if (!complete || command.length != ForceIpPayloadSize || command.mac != m_settings.mac || !acknowledges
        || command.address == 0)
        return;
    if (!m_settings.cameraProgram.isEmpty() && !handOver(command.address, command.subnetMask)) {
        qWarning("FORCEIP responder: %s did not come up at %s", qPrintable(m_settings.cameraProgram),
            qPrintable(CFakeCameras::ipv4Text(command.address)));
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_address = command.address;
    }
    if (!(command.flags & AcknowledgeFlag))
        return;
    SPending pending;
    pending.packet = header(0, ForceIpAck, 0, command.requestId);
    pending.to = (command.flags & BroadcastAcknowledgeFlag) ? endpoint(INADDR_BROADCAST, ntohs(from.sin_port))
                                                            : from;
    pending.due = Clock::now() + std::chrono::milliseconds(delayMs);
    {
        std::lock_guard lock(m_mutex);
        m_pending.append(pending);
    }
    sendDue();
}

bool CForceIpResponder::handOver(quint32 address, quint32 subnetMask)
{
    const QString text = CFakeCameras::ipv4Text(address);
    // The camera programs answer only on an address an interface holds.
    QProcess::execute(QStringLiteral("ip"),
        { QStringLiteral("addr"), QStringLiteral("add"),
            text + u'/' + QString::number(qPopulationCount(subnetMask)), QStringLiteral("dev"),
            QStringLiteral("lo") });
    QProcess process;
    process.setProgram(m_settings.cameraProgram);
    process.setArguments(
        { QStringLiteral("-i"), text, QStringLiteral("-s"), QString::fromLatin1(m_settings.serial) });
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return false;
    {
        std::lock_guard lock(m_mutex);
        m_cameraPid = pid;
    }
    for (int attempt = 0; attempt < 100 && !m_stop; ++attempt) {
        if (answers(address, 100)) {
            std::lock_guard lock(m_mutex);
            m_handedOver = true;
            return true;
        }
        if (CFakeCameras::isGone(pid))
            return false;
    }
    return false;
}

void CForceIpResponder::send(const QByteArray& packet, const sockaddr_in& to)
{
    ::sendto(m_sender, packet.constData(), size_t(packet.size()), 0, reinterpret_cast<const sockaddr*>(&to),
        sizeof to);
}

void CForceIpResponder::sendDue()
{
    QList<SPending> due;
    {
        std::lock_guard lock(m_mutex);
        const Clock::time_point now = Clock::now();
        for (auto it = m_pending.begin(); it != m_pending.end();) {
            if (it->due <= now) {
                due.append(*it);
                it = m_pending.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const SPending& pending : due)
        send(pending.packet, pending.to);
}
