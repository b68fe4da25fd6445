#include "cgvcpprobe.h"

#include "gvcp.h"
#include "requestid.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace zelk::cam {

namespace {

class CSocket
{
public:
    CSocket() noexcept
        : m_fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
    }
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;
    ~CSocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int fd() const noexcept { return m_fd; }

private:
    int m_fd;
};

sockaddr_in SocketAddress(dns::CIPv4Address address, std::uint16_t port)
{
    sockaddr_in result {};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = htonl(address.Value());
    return result;
}




} // namespace

CGvcpProbe::EResult CGvcpProbe::ReadRegister(dns::CIPv4Address local, dns::CIPv4Address device,
    std::uint32_t address, std::uint32_t& value, int attempts, int timeoutMs) noexcept
{
    const CSocket socket;
    const sockaddr_in localAddress = SocketAddress(local, 0);
    if (socket.fd() < 0
        || ::bind(socket.fd(), reinterpret_cast<const sockaddr*>(&localAddress), sizeof localAddress) != 0)
        return Silent;
    const sockaddr_in deviceAddress = SocketAddress(device, gvcp::Port);

    for (int attempt = 0; attempt < attempts; ++attempt) {
        const std::uint16_t id = NextRequestId();
        std::uint8_t request[gvcp::HeaderSize + 4] = { gvcp::CommandKey, gvcp::AcknowledgeFlag };
        gvcp::Put16(request + 2, gvcp::ReadRegisterCommand);
        gvcp::Put16(request + 4, 4);
        gvcp::Put16(request + 6, id);
        gvcp::Put16(request + 8, std::uint16_t(address >> 16));
        gvcp::Put16(request + 10, std::uint16_t(address));
        if (::sendto(socket.fd(), request, sizeof request, 0,
                reinterpret_cast<const sockaddr*>(&deviceAddress), sizeof deviceAddress)
            != ssize_t(sizeof request))
            return Silent;

        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd poll { socket.fd(), POLLIN, 0 };
            if (::poll(&poll, 1, int(left.count())) <= 0)
                break;
            std::uint8_t answer[64];
            sockaddr_in from {};
            socklen_t fromLength = sizeof from;
            const ssize_t size = ::recvfrom(
                socket.fd(), answer, sizeof answer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
            // Ignore anything that is not this camera's answer to this request.
            if (size < ssize_t(gvcp::HeaderSize) || from.sin_addr.s_addr != deviceAddress.sin_addr.s_addr
                || from.sin_port != deviceAddress.sin_port || gvcp::Get16(answer + 2) != gvcp::ReadRegisterAck
                || gvcp::Get16(answer + 6) != id)
                continue;
            if (gvcp::Get16(answer) != 0)
                return Refused;
            if (size < ssize_t(gvcp::HeaderSize + 4))
                return Refused;
            value = gvcp::Get32(answer + gvcp::HeaderSize);
            return Answered;
        }
    }
    return Silent;
}

} // namespace zelk::cam
