#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <netinet/in.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

/// A GigE Vision device of the tests' own, for what the simulated cameras do not do:
/// it claims an address on another subnet, so that (like a real camera there) it
/// answers only a discovery that allows a broadcast acknowledgement, and it takes
/// FORCEIP. It reads the packets by the published GVCP layout, independently of the
/// library under test. Run it only inside scripts/with-fake-cameras.sh's namespace: it
/// listens on the broadcast address of the control port and sends from 127.0.0.1.
///
/// With a camera program set, a FORCEIP for its MAC address brings that program up at
/// the forced address (adding the address to lo first), waits until it answers, and
/// only then acknowledges; from then on the responder itself is silent and the program
/// stands in for it, with the same serial number. Without one, the responder simply
/// answers at the new address.
class CForceIpResponder
{
public:
    using SMac = std::array<std::uint8_t, 6>;

    struct SSettings
    {
        SMac mac { 0x02, 0x00, 0x5e, 0x10, 0x00, 0x42 };
        quint32 address = 0xC0A84D05; ///< 192.168.77.5, first octet most significant
        quint32 subnetMask = 0xFFFFFF00;
        quint32 defaultGateway = 0xC0A84D01;
        // The identity arv-fake-gv-camera-0.8 reports, so that a camera program keeps it.
        QByteArray vendor = "Aravis";
        QByteArray model = "Fake";
        QByteArray serial = "FAKE0077";
        /// Answer discovery only when it allows a broadcast acknowledgement, and then broadcast it.
        bool onlyBroadcastAcknowledgements = true;
        /// E.g. "arv-fake-gv-camera-0.8" or the path of zelkir-fake-ir-camera; started
        /// with "-i <address> -s <serial>".
        QString cameraProgram;
    };

    /// One FORCEIP command as it arrived, whatever MAC address it named.
    struct SForceIp
    {
        QByteArray packet; ///< header and payload
        std::uint8_t flags = 0;
        std::uint16_t command = 0;
        std::uint16_t length = 0;
        std::uint16_t requestId = 0;
        SMac mac {};
        quint32 address = 0;
        quint32 subnetMask = 0;
        quint32 defaultGateway = 0;
        bool reservedAreZero = false;
    };

    explicit CForceIpResponder(const SSettings& settings);
    /// Stops answering and stops the camera program it started.
    ~CForceIpResponder();
    CForceIpResponder(const CForceIpResponder&) = delete;
    CForceIpResponder& operator=(const CForceIpResponder&) = delete;

    /// False when the control port could not be bound (outside the namespace, say).
    bool isListening() const { return m_listener >= 0 && m_sender >= 0; }

    /// Whether FORCEIP for its MAC address is acknowledged (and taken) at all.
    void setAcknowledgesForceIp(bool acknowledges);
    /// Milliseconds between a FORCEIP and its acknowledgement.
    void setForceIpDelayMs(int delayMs);

    QList<SForceIp> forceIpCommands() const;
    /// The flags of every discovery command seen.
    QList<std::uint8_t> discoveryFlags() const;
    /// The address it now claims (the forced one after a FORCEIP it took).
    quint32 address() const;
    /// Whether the camera program took over after a FORCEIP.
    bool handedOver() const;

private:
    struct SPending
    {
        QByteArray packet;
        sockaddr_in to {};
        std::chrono::steady_clock::time_point due;
    };

    void run();
    void receive();
    void answerDiscovery(const std::uint8_t* request, std::size_t size, const sockaddr_in& from);
    void answerForceIp(const std::uint8_t* request, std::size_t size, const sockaddr_in& from);
    bool handOver(quint32 address, quint32 subnetMask);
    void send(const QByteArray& packet, const sockaddr_in& to);
    void sendDue();

    SSettings m_settings;
    int m_listener = -1;
    int m_sender = -1;
    std::thread m_thread;
    std::atomic<bool> m_stop { false };

    mutable std::mutex m_mutex;
    bool m_acknowledges = true;
    int m_delayMs = 0;
    quint32 m_address = 0;
    bool m_handedOver = false;
    qint64 m_cameraPid = 0;
    QList<SForceIp> m_forceIps;
    QList<std::uint8_t> m_discoveryFlags;
    QList<SPending> m_pending;
};
