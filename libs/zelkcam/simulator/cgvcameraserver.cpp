#include "cgvcameraserver.h"

#include <gvcp.h>

#include <QtEndian>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace gvcp = zelk::cam::gvcp;
namespace gvsp = zelk::cam::gvsp;

namespace {

// Enough for the resend requests of a client that waits a few frame periods, at a bounded
// memory cost even for the largest images.
constexpr std::size_t CachedFrames = 8;
constexpr std::size_t CachedBytes = 64u << 20;
constexpr std::size_t MaxDatagram = 65507;
// A packet size too small to carry image data is raised to this.
constexpr std::size_t MinPacketData = 64;

int openSocket(in_addr address, std::uint16_t port, bool shared)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    if (shared)
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local {};
    local.sin_family = AF_INET;
    local.sin_addr = address;
    local.sin_port = htons(port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sameEndpoint(const sockaddr_in& a, const sockaddr_in& b)
{
    return a.sin_addr.s_addr == b.sin_addr.s_addr && a.sin_port == b.sin_port;
}

} // namespace

std::unique_ptr<CGvCameraServer> CGvCameraServer::Create(
    ArvFakeCamera* camera, in_addr address, double lossRatio, std::uint64_t seed, const char** error)
{
    std::unique_ptr<CGvCameraServer> server(new CGvCameraServer(camera, lossRatio, seed));
    server->m_controlSocket = openSocket(address, gvcp::Port, false);
    server->m_streamSocket = openSocket(address, 0, false);
    if (server->m_controlSocket < 0 || server->m_streamSocket < 0) {
        *error = "cannot bind the control port";
        return nullptr;
    }
    // Every camera on the host shares the port for broadcast discovery; without it,
    // only discovery sent to the camera's own address finds it.
    server->m_discoverySocket = openSocket(in_addr { htonl(INADDR_BROADCAST) }, gvcp::Port, true);

    GInetAddress* inetAddress = g_inet_address_new_from_bytes(
        reinterpret_cast<const guint8*>(&address.s_addr), G_SOCKET_FAMILY_IPV4);
    arv_fake_camera_set_inet_address(camera, inetAddress);
    g_object_unref(inetAddress);
    // Clients ask for resends only of a camera that says it takes them.
    arv_fake_camera_write_register(
        camera, gvcp::GvcpCapability, gvcp::WriteMemoryCapability | gvcp::PacketResendCapability);
    server->m_thread = std::thread(&CGvCameraServer::run, server.get());
    return server;
}

CGvCameraServer::CGvCameraServer(ArvFakeCamera* camera, double lossRatio, std::uint64_t seed)
    : m_camera(camera)
    , m_lossRatio(lossRatio)
    , m_random(std::uint_fast32_t(seed ^ (seed >> 32)))
{
    arv_fake_camera_get_genicam_xml(camera, &m_descriptionSize);
}

CGvCameraServer::~CGvCameraServer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    g_clear_object(&m_buffer);
    for (int fd : { m_controlSocket, m_discoverySocket, m_streamSocket }) {
        if (fd >= 0)
            ::close(fd);
    }
}

void CGvCameraServer::run()
{
    // Frames leave at multiples of the frame period; requests are answered in between.
    while (!m_stop) {
        const bool streaming = m_streaming;
        guint64 nextUs = 0;
        if (streaming)
            arv_fake_camera_get_sleep_time_for_next_frame(m_camera, &nextUs);
        else
            nextUs = guint64(g_get_real_time()) + 100000;
        for (gint64 now = g_get_real_time(); !m_stop && now < gint64(nextUs); now = g_get_real_time()) {
            pollfd fds[] = { { m_controlSocket, POLLIN, 0 }, { m_discoverySocket, POLLIN, 0 } };
            const int timeoutMs = int(std::clamp<gint64>((gint64(nextUs) - now) / 1000, 0, 100));
            if (::poll(fds, m_discoverySocket >= 0 ? 2 : 1, timeoutMs) > 0) {
                for (const pollfd& fd : fds) {
                    if (fd.fd >= 0 && (fd.revents & POLLIN))
                        receive(fd.fd);
                }
            }
            if (updateStream() != streaming)
                break;
        }
        if (!m_stop && updateStream())
            sendFrame();
    }
}

void CGvCameraServer::receive(int socket)
{
    std::uint8_t request[MaxDatagram];
    sockaddr_in from {};
    socklen_t fromSize = sizeof from;
    const ssize_t size = ::recvfrom(
        socket, request, sizeof request, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (size > 0 && fromSize == sizeof from && from.sin_family == AF_INET)
        answer(socket, from, request, std::size_t(size));
}

void CGvCameraServer::answer(
    int socket, const sockaddr_in& from, const std::uint8_t* request, std::size_t size)
{
    if (size < gvcp::HeaderSize || request[0] != gvcp::CommandKey)
        return;
    const std::uint16_t command = qFromBigEndian<quint16>(request + 2);
    const std::size_t length = qFromBigEndian<quint16>(request + 4);
    const std::uint16_t id = qFromBigEndian<quint16>(request + 6);
    const std::uint8_t* data = request + gvcp::HeaderSize;
    if (length > size - gvcp::HeaderSize)
        return;
    if (command == gvcp::PacketResendCommand) {
        resend(data, length);
        return;
    }

    const bool fromController = m_hasController && sameEndpoint(from, m_controller);
    if (fromController)
        m_controllerUs = g_get_monotonic_time();
    const bool mayWrite = !m_hasController || fromController;
    std::vector<std::uint8_t> ack(gvcp::HeaderSize);
    std::uint16_t status = gvcp::Success;
    const auto append32 = [&ack](quint32 value) {
        ack.resize(ack.size() + 4);
        qToBigEndian(value, ack.data() + ack.size() - 4);
    };

    switch (command) {
    case gvcp::DiscoveryCommand:
        ack.resize(gvcp::HeaderSize + gvcp::DiscoveryDataSize);
        arv_fake_camera_read_memory(m_camera, 0, gvcp::DiscoveryDataSize, ack.data() + gvcp::HeaderSize);
        break;
    case gvcp::ReadRegisterCommand:
        if (length == 0 || length % 4 != 0) {
            status = gvcp::InvalidParameter;
            break;
        }
        for (std::size_t i = 0; i < length; i += 4) {
            const quint32 address = qFromBigEndian<quint32>(data + i);
            guint32 value = 0;
            if (!readable(address)) {
                status = gvcp::InvalidAddress;
                break;
            }
            arv_fake_camera_read_register(m_camera, address, &value);
            append32(value);
        }
        break;
    case gvcp::WriteRegisterCommand: {
        if (length == 0 || length % 8 != 0) {
            status = gvcp::InvalidParameter;
            break;
        }
        if (!mayWrite) {
            status = gvcp::AccessDenied;
            break;
        }
        quint32 written = 0;
        for (std::size_t i = 0; i < length; i += 8, ++written) {
            const quint32 address = qFromBigEndian<quint32>(data + i);
            if (!writable(address, 4)) {
                status = gvcp::InvalidAddress;
                break;
            }
            arv_fake_camera_write_register(m_camera, address, qFromBigEndian<quint32>(data + i + 4));
        }
        // Reserved 16 bits, then how many registers were written.
        append32(written);
        break;
    }
    case gvcp::ReadMemoryCommand: {
        if (length < 8) {
            status = gvcp::InvalidParameter;
            break;
        }
        const quint32 address = qFromBigEndian<quint32>(data);
        const quint16 count = qFromBigEndian<quint16>(data + 6);
        if (count == 0 || count % 4 != 0 || count > gvcp::MaxMemoryBlock) {
            status = gvcp::InvalidParameter;
            break;
        }
        if (!readable(address)) {
            status = gvcp::InvalidAddress;
            break;
        }
        append32(address);
        ack.resize(ack.size() + count);
        arv_fake_camera_read_memory(m_camera, address, count, ack.data() + gvcp::HeaderSize + 4);
        break;
    }
    case gvcp::WriteMemoryCommand: {
        const std::size_t count = length < 4 ? 0 : length - 4;
        if (count == 0 || count % 4 != 0 || count > gvcp::MaxMemoryBlock) {
            status = gvcp::InvalidParameter;
            break;
        }
        if (!mayWrite) {
            status = gvcp::AccessDenied;
            break;
        }
        const quint32 address = qFromBigEndian<quint32>(data);
        if (!writable(address, count)) {
            status = gvcp::InvalidAddress;
            break;
        }
        arv_fake_camera_write_memory(m_camera, address, quint32(count), data + 4);
        append32(quint32(count));
        break;
    }
    default:
        status = gvcp::NotImplemented;
        break;
    }
    if (status != gvcp::Success)
        ack.resize(gvcp::HeaderSize);
    qToBigEndian(status, ack.data());
    qToBigEndian(quint16(command + 1), ack.data() + 2);
    qToBigEndian(quint16(ack.size() - gvcp::HeaderSize), ack.data() + 4);
    qToBigEndian(id, ack.data() + 6);
    ::sendto(
        socket, ack.data(), ack.size(), MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&from), sizeof from);

    // The first application to take a privilege becomes the controller, the only one
    // allowed to write until it lets go or stops sending heartbeats.
    const bool privileged = arv_fake_camera_get_control_channel_privilege(m_camera) != 0;
    if (!m_hasController && privileged) {
        m_hasController = true;
        m_controller = from;
        m_controllerUs = g_get_monotonic_time();
    } else if (m_hasController && !privileged) {
        m_hasController = false;
    }
}

bool CGvCameraServer::readable(std::uint64_t address) const
{
    return address < ARV_FAKE_CAMERA_MEMORY_SIZE + m_descriptionSize;
}

bool CGvCameraServer::writable(std::uint64_t address, std::uint64_t size)
{
    return address + size <= ARV_FAKE_CAMERA_MEMORY_SIZE;
}

void CGvCameraServer::resend(const std::uint8_t* request, std::size_t size)
{
    // Stream channel (16 bits), block id (16 bits), first and last packet id (24 bits each).
    if (size < 12 || !m_streaming)
        return;
    const quint16 blockId = qFromBigEndian<quint16>(request + 2);
    const quint32 first = qFromBigEndian<quint32>(request + 4) & gvsp::PacketIdMask;
    const quint32 last = qFromBigEndian<quint32>(request + 8) & gvsp::PacketIdMask;
    const auto frame = std::find_if(
        m_sent.begin(), m_sent.end(), [blockId](const SSentFrame& sent) { return sent.blockId == blockId; });
    if (frame == m_sent.end())
        return;
    const std::size_t packets = frame->starts.size() - 1;
    for (std::size_t i = first; i <= last && i < packets; ++i)
        send(frame->bytes.data() + frame->starts[i], frame->starts[i + 1] - frame->starts[i]);
}

bool CGvCameraServer::updateStream()
{
    if (m_hasController
        && g_get_monotonic_time() - m_controllerUs
            > gint64(arv_fake_camera_get_heartbeat_timeout(m_camera)) * 1000) {
        m_hasController = false;
        arv_fake_camera_set_control_channel_privilege(m_camera, 0);
    }
    const bool acquiring = arv_fake_camera_get_control_channel_privilege(m_camera) != 0
        && arv_fake_camera_get_acquisition_status(m_camera) != 0;
    if (acquiring && !m_streaming) {
        GSocketAddress* address = arv_fake_camera_get_stream_address(m_camera);
        m_destination = {};
        if (address) {
            g_socket_address_to_native(address, &m_destination, sizeof m_destination, nullptr);
            g_object_unref(address);
        }
        m_buffer = arv_buffer_new(arv_fake_camera_get_payload(m_camera), nullptr);
        m_streaming = true;
    } else if (!acquiring && m_streaming) {
        g_clear_object(&m_buffer);
        m_sent.clear();
        m_streaming = false;
    }
    return m_streaming;
}

void CGvCameraServer::sendFrame()
{
    if (!arv_fake_camera_is_in_free_running_mode(m_camera)
        && !(arv_fake_camera_is_in_software_trigger_mode(m_camera)
            && arv_fake_camera_check_and_acknowledge_software_trigger(m_camera)))
        return;
    guint32 packetSize = 0;
    arv_fake_camera_fill_buffer(m_camera, m_buffer, &packetSize);
    // A payload grown since the start of acquisition does not fit the buffer.
    if (arv_buffer_get_status(m_buffer) != ARV_BUFFER_STATUS_SUCCESS)
        return;
    const std::size_t payload = arv_fake_camera_get_payload(m_camera);
    const auto* image = static_cast<const std::uint8_t*>(arv_buffer_get_data(m_buffer, nullptr));
    const std::size_t perPacket = std::clamp<std::size_t>(packetSize > gvsp::IpUdpOverhead + gvsp::HeaderSize
            ? packetSize - gvsp::IpUdpOverhead - gvsp::HeaderSize
            : 0,
        MinPacketData, MaxDatagram - gvsp::HeaderSize);

    if (m_sent.size() >= CachedFrames
        || (!m_sent.empty() && m_sent.size() * (payload + 1024) > CachedBytes)) {
        m_sent.push_back(std::move(m_sent.front()));
        m_sent.pop_front();
    } else {
        m_sent.emplace_back();
    }
    SSentFrame& frame = m_sent.back();
    frame.blockId = quint16(arv_buffer_get_frame_id(m_buffer));
    frame.bytes.clear();
    frame.starts.clear();
    quint32 packetId = 0;
    const auto addPacket = [&](gvsp::EFormat format, std::size_t size) {
        frame.starts.push_back(frame.bytes.size());
        frame.bytes.resize(frame.bytes.size() + gvsp::HeaderSize + size);
        std::uint8_t* header = frame.bytes.data() + frame.starts.back();
        qToBigEndian(quint16(0), header);
        qToBigEndian(frame.blockId, header + 2);
        qToBigEndian(quint32(format) << gvsp::FormatShift | (packetId++ & gvsp::PacketIdMask), header + 4);
        return header + gvsp::HeaderSize;
    };

    std::uint8_t* leader = addPacket(gvsp::LeaderFormat, gvsp::ImageLeaderSize);
    const quint64 timestamp = arv_buffer_get_timestamp(m_buffer);
    qToBigEndian(quint16(0), leader);
    qToBigEndian(gvsp::ImagePayloadType, leader + 2);
    qToBigEndian(quint32(timestamp >> 32), leader + 4);
    qToBigEndian(quint32(timestamp), leader + 8);
    qToBigEndian(quint32(arv_buffer_get_image_pixel_format(m_buffer)), leader + 12);
    qToBigEndian(quint32(arv_buffer_get_image_width(m_buffer)), leader + 16);
    qToBigEndian(quint32(arv_buffer_get_image_height(m_buffer)), leader + 20);
    qToBigEndian(quint32(arv_buffer_get_image_x(m_buffer)), leader + 24);
    qToBigEndian(quint32(arv_buffer_get_image_y(m_buffer)), leader + 28);
    qToBigEndian(quint32(0), leader + 32);
    for (std::size_t offset = 0; offset < payload; offset += perPacket) {
        const std::size_t size = std::min(perPacket, payload - offset);
        std::memcpy(addPacket(gvsp::PayloadFormat, size), image + offset, size);
    }
    std::uint8_t* trailer = addPacket(gvsp::TrailerFormat, gvsp::ImageTrailerSize);
    qToBigEndian(quint16(0), trailer);
    qToBigEndian(gvsp::ImagePayloadType, trailer + 2);
    qToBigEndian(quint32(arv_buffer_get_image_height(m_buffer)), trailer + 4);
    frame.starts.push_back(frame.bytes.size());

    for (std::size_t i = 0; i + 1 < frame.starts.size(); ++i)
        send(frame.bytes.data() + frame.starts[i], frame.starts[i + 1] - frame.starts[i]);
}

void CGvCameraServer::send(const std::uint8_t* packet, std::size_t size)
{
    if (m_lossRatio > 0.0 && std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < m_lossRatio)
        return;
    ::sendto(m_streamSocket, packet, size, 0, reinterpret_cast<const sockaddr*>(&m_destination),
        sizeof m_destination);
}
