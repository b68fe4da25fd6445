#include "cgvcpbroadcastsocket.h"

#include "gvcp.h"
#include "logging.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zelk::cam {

std::vector<dns::SHostInterface> CGvcpBroadcastSocket::Interfaces()
{
    std::vector<dns::SHostInterface> interfaces = dns::HostInterfaces();
    interfaces.erase(std::remove_if(interfaces.begin(), interfaces.end(),
                         [](const dns::SHostInterface& host) { return host.pointToPoint || host.index == 0; }),
        interfaces.end());
    if (interfaces.empty())
        qCWarning(lcDiscovery, "no network interface to broadcast GigE Vision commands on");
    return interfaces;
}

CGvcpBroadcastSocket::CGvcpBroadcastSocket() noexcept
    : m_fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0))
{
    if (m_fd < 0)
        return;
    const int on = 1;
    // Every device on a link answers a discovery at about the same moment.
    const int receiveBuffer = 1 << 20;
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in any {};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0
        || ::bind(m_fd, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
        qCWarning(lcDiscovery, "cannot open a broadcast socket: %s", std::strerror(errno));
        ::close(m_fd);
        m_fd = -1;
    }
}

CGvcpBroadcastSocket::~CGvcpBroadcastSocket()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CGvcpBroadcastSocket::SendTo(const dns::SHostInterface& host, dns::CIPv4Address target,
    const std::uint8_t* packet, std::size_t size) noexcept
{
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(gvcp::Port);
    to.sin_addr.s_addr = htonl(target.Value());
    iovec data { const_cast<std::uint8_t*>(packet), size };

    // The interface and source address travel with the packet: a socket bound to no
    // address would otherwise leave by the default route, or not at all.
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message {};
    message.msg_name = &to;
    message.msg_namelen = sizeof to;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info {};
    info.ipi_ifindex = int(host.index);
    info.ipi_spec_dst.s_addr = htonl(host.address.Value());
    std::memcpy(CMSG_DATA(header), &info, sizeof info);

    if (::sendmsg(m_fd, &message, 0) == ssize_t(size))
        return true;
    qCDebug(lcDiscovery, "cannot send to %s out of %s (%s): %s", target.Text().data(), host.name.c_str(),
        host.address.Text().data(), std::strerror(errno));
    return false;
}

bool CGvcpBroadcastSocket::Broadcast(
    const dns::SHostInterface& host, const std::uint8_t* packet, std::size_t size) noexcept
{
    if (m_fd < 0)
        return false;
    return SendTo(host, dns::CIPv4Address(255, 255, 255, 255), packet, size)
        || SendTo(host, host.Broadcast(), packet, size);
}

long CGvcpBroadcastSocket::Receive(
    std::uint8_t* buffer, std::size_t capacity, std::chrono::steady_clock::time_point deadline) noexcept
{
    if (m_fd < 0)
        return -1;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() < 0)
            return -1;
        pollfd poll { m_fd, POLLIN, 0 };
        const int ready = ::poll(&poll, 1, int(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return -1;
        const ssize_t size = ::recv(m_fd, buffer, capacity, MSG_DONTWAIT);
        if (size >= 0)
            return long(size);
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return -1;
    }
}

} // namespace zelk::cam
