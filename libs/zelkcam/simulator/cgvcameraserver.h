#pragma once

#include <arv.h>

#include <netinet/in.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <random>
#include <thread>
#include <vector>

/// Serves an Aravis emulated camera (registers, GenICam description, frame timing and
/// triggers) over GigE Vision on one IPv4 address, as a real camera would: control
/// requests on the control port, discovery broadcasts too, and frames to the stream
/// destination the controller set. Unlike Aravis's own server it answers packet resend
/// requests from the packets of the last few frames, so that a loss ratio gives lost
/// packets rather than failed frames. One thread does all the work, including the
/// camera's fill callback.
class CGvCameraServer final
{
public:
    /// Binds the control port of `address`; null with `error` set when that fails.
    /// `lossRatio` (0-1) is the share of stream packets, resent ones included, not sent.
    static std::unique_ptr<CGvCameraServer> Create(
        ArvFakeCamera* camera, in_addr address, double lossRatio, std::uint64_t seed, const char** error);
    ~CGvCameraServer();

    CGvCameraServer(const CGvCameraServer&) = delete;
    CGvCameraServer& operator=(const CGvCameraServer&) = delete;

private:
    struct SSentFrame
    {
        std::uint16_t blockId = 0;
        std::vector<std::uint8_t> bytes;
        /// Where each packet starts in `bytes`, and one past the last.
        std::vector<std::size_t> starts;
    };

    CGvCameraServer(ArvFakeCamera* camera, double lossRatio, std::uint64_t seed);

    void run();
    void receive(int socket);
    void answer(int socket, const sockaddr_in& from, const std::uint8_t* request, std::size_t size);
    /// Aravis's emulation does not check addresses itself. Its registers come first, then
    /// the read-only GenICam description; a read that starts in them is padded with zeros.
    bool readable(std::uint64_t address) const;
    static bool writable(std::uint64_t address, std::uint64_t size);
    void resend(const std::uint8_t* request, std::size_t size);
    bool updateStream();
    void sendFrame();
    void send(const std::uint8_t* packet, std::size_t size);

    ArvFakeCamera* m_camera;
    std::size_t m_descriptionSize = 0;
    double m_lossRatio;
    std::minstd_rand m_random;
    int m_controlSocket = -1;
    int m_discoverySocket = -1;
    int m_streamSocket = -1;
    std::thread m_thread;
    std::atomic<bool> m_stop { false };

    bool m_hasController = false;
    sockaddr_in m_controller {};
    std::int64_t m_controllerUs = 0;

    bool m_streaming = false;
    sockaddr_in m_destination {};
    ArvBuffer* m_buffer = nullptr;
    /// The most recent frames sent, oldest first; their buffers are reused.
    std::deque<SSentFrame> m_sent;
};
