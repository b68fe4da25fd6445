#include <zelk/cam/stream.h>

#include "cfeaturetree.h"
#include "cframepool.h"
#include "cgerror.h"
#include "cgvdevice.h"
#include "logging.h"
#include "tgobjectptr.h"

#include <arv.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

namespace zelk::cam {

namespace {

struct SFormat
{
    EPixelFormat format;
    const char* name;
    int bits;
    ArvPixelFormat aravis;
};

constexpr SFormat Formats[] = {
    { EPixelFormat::Mono8, "Mono8", 8, ARV_PIXEL_FORMAT_MONO_8 },
    { EPixelFormat::Mono10, "Mono10", 10, ARV_PIXEL_FORMAT_MONO_10 },
    { EPixelFormat::Mono10Packed, "Mono10Packed", 10, ARV_PIXEL_FORMAT_MONO_10_PACKED },
    { EPixelFormat::Mono12, "Mono12", 12, ARV_PIXEL_FORMAT_MONO_12 },
    { EPixelFormat::Mono12Packed, "Mono12Packed", 12, ARV_PIXEL_FORMAT_MONO_12_PACKED },
    { EPixelFormat::Mono14, "Mono14", 14, ARV_PIXEL_FORMAT_MONO_14 },
    { EPixelFormat::Mono16, "Mono16", 16, ARV_PIXEL_FORMAT_MONO_16 },
};

const SFormat* FormatNamed(const std::string& name)
{
    for (const SFormat& format : Formats) {
        if (name == format.name)
            return &format;
    }
    return nullptr;
}

const SFormat* FormatOf(ArvPixelFormat aravis)
{
    for (const SFormat& format : Formats) {
        if (aravis == format.aravis)
            return &format;
    }
    return nullptr;
}

std::string FormatList()
{
    std::string list;
    for (const SFormat& format : Formats)
        list += std::string(list.empty() ? "" : ", ") + format.name;
    return list;
}

std::uint64_t SteadyNs()
{
    return std::uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
                             .count());
}

// Outlives the device's signal handler, which may run on Aravis's heartbeat thread.
struct SLossFlag
{
    std::atomic<bool> lost { false };
};

// GLib's own hand-over between the heartbeat thread and the thread that drops the
// handler is invisible to our thread checks; this lock makes the order explicit.
std::mutex& LossHandlerMutex()
{
    static std::mutex mutex;
    return mutex;
}

void OnControlLost(ArvDevice*, gpointer data)
{
    std::lock_guard<std::mutex> lock(LossHandlerMutex());
    (*static_cast<std::shared_ptr<SLossFlag>*>(data))->lost = true;
}

void DeleteLossFlag(gpointer data, GClosure*)
{
    std::lock_guard<std::mutex> lock(LossHandlerMutex());
    delete static_cast<std::shared_ptr<SLossFlag>*>(data);
}

} // namespace

const char* PixelFormatName(EPixelFormat format) noexcept
{
    for (const SFormat& entry : Formats) {
        if (entry.format == format)
            return entry.name;
    }
    return "";
}

bool UnpackPixels(
    const void* bytes, std::size_t size, EPixelFormat format, std::vector<std::uint16_t>& pixels) noexcept
{
    const auto* data = static_cast<const std::uint8_t*>(bytes);
    const std::size_t count = pixels.size();
    switch (format) {
    case EPixelFormat::Mono8:
        if (size < count)
            return false;
        std::copy(data, data + count, pixels.begin());
        return true;
    case EPixelFormat::Mono10:
    case EPixelFormat::Mono12:
    case EPixelFormat::Mono14:
    case EPixelFormat::Mono16:
        if (size < 2 * count)
            return false;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        // Already in the host's order: one copy, where the byte loop below is not
        // vectorised and cost more than the rest of receiving a frame.
        std::memcpy(pixels.data(), data, 2 * count);
#else
        for (std::size_t i = 0; i < count; ++i)
            pixels[i] = std::uint16_t(data[2 * i] | (data[2 * i + 1] << 8));
#endif
        return true;
    case EPixelFormat::Mono10Packed:
    case EPixelFormat::Mono12Packed: {
        // Two pixels in three bytes: the high bits of each in bytes 0 and 2, the low
        // bits of both shared in byte 1 (first pixel in its low nibble).
        if (size < (3 * count + 1) / 2)
            return false;
        const bool ten = format == EPixelFormat::Mono10Packed;
        const int shift = ten ? 2 : 4;
        const unsigned lowMask = ten ? 0x03u : 0x0Fu;
        std::uint16_t* out = pixels.data();
        const std::size_t pairs = count / 2;
        for (std::size_t i = 0; i < pairs; ++i, data += 3) {
            out[2 * i] = std::uint16_t((unsigned(data[0]) << shift) | (data[1] & lowMask));
            out[2 * i + 1] = std::uint16_t((unsigned(data[2]) << shift) | ((data[1] >> 4) & lowMask));
        }
        if (count % 2)
            out[count - 1] = std::uint16_t((unsigned(data[0]) << shift) | (data[1] & lowMask));
        return true;
    }
    }
    return false;
}

int PixelFormatBits(EPixelFormat format) noexcept
{
    for (const SFormat& entry : Formats) {
        if (entry.format == format)
            return entry.bits;
    }
    return 0;
}

struct CStreamingCamera::SImpl
{
    TGObjectPtr<ArvDevice> device;
    std::unique_ptr<CFeatureTree> features;
    SOptions options;
    std::string address;
    std::shared_ptr<SLossFlag> loss = std::make_shared<SLossFlag>();

    TGObjectPtr<ArvStream> stream;
    /// Enough frames for the display's, a snapshot's and a render's hold on one each.
    std::shared_ptr<CFramePool> frames = CFramePool::Create(8);
    std::thread receiver;
    std::atomic<bool> stopping { false };
    std::atomic<bool> receiving { false };
    FrameHandler onFrame;
    LossHandler onLost;

    mutable std::mutex statisticsMutex;
    SStreamStatistics finished; // of the streams before this one
    SStreamStatistics current;

    void receive();
    void deliver(ArvBuffer* buffer);
    void sample();
    void release();
};

void CStreamingCamera::SImpl::sample()
{
    SStreamStatistics now;
    guint64 completed = 0, failures = 0, underruns = 0, resent = 0, missing = 0;
    arv_stream_get_statistics(stream.get(), &completed, &failures, &underruns);
    if (ARV_IS_GV_STREAM(stream.get()))
        arv_gv_stream_get_statistics(ARV_GV_STREAM(stream.get()), &resent, &missing);
    now.completedFrames = completed;
    now.failedFrames = failures;
    now.underruns = underruns;
    now.resentPackets = resent;
    now.missingPackets = missing;
    std::lock_guard<std::mutex> lock(statisticsMutex);
    current = now;
}

void CStreamingCamera::SImpl::deliver(ArvBuffer* buffer)
{
    // Aravis's image accessors refuse (with a warning) any buffer that did not complete.
    if (arv_buffer_get_status(buffer) != ARV_BUFFER_STATUS_SUCCESS)
        return;
    if (arv_buffer_get_payload_type(buffer) != ARV_BUFFER_PAYLOAD_TYPE_IMAGE)
        return;
    const SFormat* format = FormatOf(arv_buffer_get_image_pixel_format(buffer));
    const int width = arv_buffer_get_image_width(buffer);
    const int height = arv_buffer_get_image_height(buffer);
    if (!format || width <= 0 || height <= 0) {
        qCDebug(lcStream, "%s: frame %llu dropped (format 0x%x, %d x %d)", address.c_str(),
            static_cast<unsigned long long>(arv_buffer_get_frame_id(buffer)),
            unsigned(arv_buffer_get_image_pixel_format(buffer)), width, height);
        return;
    }
    std::shared_ptr<SStreamFrame> frame = frames->Take(std::size_t(width) * std::size_t(height));
    frame->frameId = arv_buffer_get_frame_id(buffer);
    frame->timestampNs = arv_buffer_get_timestamp(buffer);
    frame->receivedNs = SteadyNs();
    frame->width = width;
    frame->height = height;
    frame->pixelFormat = format->format;
    std::size_t size = 0;
    const auto* data = static_cast<const std::uint8_t*>(arv_buffer_get_image_data(buffer, &size));
    if (!data || !UnpackPixels(data, size, format->format, frame->pixels)) {
        qCDebug(lcStream, "%s: frame %llu is shorter than %d x %d", address.c_str(),
            static_cast<unsigned long long>(frame->frameId), width, height);
        return;
    }
    onFrame(std::move(frame));
}

void CStreamingCamera::SImpl::receive()
{
    using Clock = std::chrono::steady_clock;
    constexpr guint64 PollUs = 100000;
    auto lastBuffer = Clock::now();
    std::string lossReason;
    while (!stopping) {
        ArvBuffer* buffer = arv_stream_timeout_pop_buffer(stream.get(), PollUs);
        sample();
        if (buffer) {
            lastBuffer = Clock::now();
            try {
                deliver(buffer);
            } catch (const std::exception& error) {
                qCWarning(lcStream, "%s: frame dropped: %s", address.c_str(), error.what());
            }
            // Only complete buffers are read, so what a lost packet left behind in one
            // is never seen: no need to clear it.
            arv_stream_push_buffer(stream.get(), buffer);
        }
        if (loss->lost) {
            lossReason = "The camera at " + address + " stopped answering.";
        } else if (Clock::now() - lastBuffer > std::chrono::milliseconds(options.frameTimeoutMs)) {
            char seconds[16];
            std::snprintf(seconds, sizeof seconds, "%.1f", options.frameTimeoutMs / 1000.0);
            lossReason = "The camera at " + address + " sent no image for " + seconds + " s.";
        }
        if (!lossReason.empty()) {
            qCInfo(lcStream, "%s", lossReason.c_str());
            loss->lost = true;
            receiving = false;
            if (onLost)
                onLost(lossReason);
            return;
        }
    }
}

void CStreamingCamera::SImpl::release()
{
    stopping = true;
    if (receiver.joinable()) {
        // A handler that stops the stream cannot wait for its own thread; the owner's
        // next call finishes the job.
        if (receiver.get_id() == std::this_thread::get_id())
            return;
        receiver.join();
    }
    receiving = false;
    stopping = false;
    if (!stream)
        return;
    if (!loss->lost) {
        CGError error;
        arv_device_execute_command(device.get(), "AcquisitionStop", error.out());
        if (error)
            qCInfo(lcStream, "%s: cannot stop acquisition: %s", address.c_str(), error.message());
    }
    sample();
    {
        std::lock_guard<std::mutex> lock(statisticsMutex);
        finished.completedFrames += current.completedFrames;
        finished.failedFrames += current.failedFrames;
        finished.underruns += current.underruns;
        finished.resentPackets += current.resentPackets;
        finished.missingPackets += current.missingPackets;
        current = SStreamStatistics();
    }
    stream.reset();
    onFrame = nullptr;
    onLost = nullptr;
}

CStreamingCamera::CStreamingCamera()
    : m(std::make_unique<SImpl>())
{
}

CStreamingCamera::~CStreamingCamera()
{
    try {
        m->release();
    } catch (const std::exception& error) {
        qCWarning(lcStream, "%s: %s", m->address.c_str(), error.what());
    }
    // Aravis hands the control channel back while the device goes; bounded by its
    // own timeouts when the camera is gone.
    m->features.reset();
    m->device.reset();
}

std::unique_ptr<CStreamingCamera> CStreamingCamera::Open(
    const SDeviceInfo& info, std::string& error, const SOptions& options)
{
    try {
        std::unique_ptr<CStreamingCamera> camera(new CStreamingCamera());
        SImpl& m = *camera->m;
        m.options = options;
        m.options.bufferCount = std::max(2, options.bufferCount);
        m.options.frameTimeoutMs = std::max(100, options.frameTimeoutMs);
        m.address = info.address.c_str();
        // Made before connecting: Aravis starts the heartbeat thread that reads it there.
        auto lossFlag = std::make_unique<std::shared_ptr<SLossFlag>>(m.loss);
        m.device = ConnectGvDevice(info, true, error);
        if (!m.device)
            return nullptr;
        g_signal_connect_data(m.device.get(), "control-lost", G_CALLBACK(OnControlLost), lossFlag.release(),
            DeleteLossFlag, GConnectFlags(0));
        m.features = std::make_unique<CFeatureTree>(m.device);

        gic::SFeatureInfo pixelFormat;
        if (m.features->describe("PixelFormat", pixelFormat)) {
            const bool readable = std::any_of(pixelFormat.entries.begin(), pixelFormat.entries.end(),
                [](const gic::SEnumEntry& entry) { return FormatNamed(entry.name) != nullptr; });
            if (!readable) {
                error = "The camera at " + m.address
                    + " offers none of the pixel formats this program reads (" + FormatList() + ").";
                return nullptr;
            }
        }
        qCDebug(lcStream, "opened %s for streaming", m.address.c_str());
        return camera;
    } catch (const std::exception& failure) {
        error = "Cannot open the camera at " + std::string(info.address.c_str()) + ": " + failure.what();
        return nullptr;
    }
}

gic::IFeatureTree& CStreamingCamera::features()
{
    return *m->features;
}

bool CStreamingCamera::start(FrameHandler onFrame, LossHandler onLost, std::string& error)
{
    try {
        if (m->receiving) {
            error = "The camera at " + m->address + " is already sending images.";
            return false;
        }
        m->release();
        if (m->loss->lost) {
            error = "The camera at " + m->address + " stopped answering.";
            return false;
        }
        if (!onFrame) {
            error = "No one takes the images.";
            return false;
        }
        gic::FeatureValue formatName;
        if (!m->features->read("PixelFormat", formatName, error))
            return false;
        const std::string* name = std::get_if<std::string>(&formatName);
        if (!name || !FormatNamed(*name)) {
            error = "The camera at " + m->address + " sends its pixels as \u201c"
                + (name ? *name : std::string()) + "\u201d, which this program cannot read; it reads "
                + FormatList() + ".";
            return false;
        }
        gic::SFeatureInfo mode;
        if (m->features->describe("AcquisitionMode", mode) && mode.access == gic::EAccessMode::ReadWrite) {
            std::string ignored;
            m->features->write("AcquisitionMode", std::string("Continuous"), ignored);
        }

        ArvDevice* device = m->device.get();
        CGError aravis;
        // Big packets where the path allows them; the camera's own size otherwise.
        const guint packetSize = arv_gv_device_auto_packet_size(ARV_GV_DEVICE(device), aravis.out());
        if (aravis)
            qCInfo(lcStream, "%s: packet size not negotiated: %s", m->address.c_str(), aravis.message());
        else
            qCDebug(lcStream, "%s: packet size %u", m->address.c_str(), packetSize);
        aravis.clear();

        const gint64 payload = arv_device_get_integer_feature_value(device, "PayloadSize", aravis.out());
        if (aravis || payload <= 0) {
            error = "The camera at " + m->address + " does not tell the size of its images"
                + (aravis ? std::string(": ") + aravis.message() : std::string("."));
            return false;
        }
        TGObjectPtr<ArvStream> stream(arv_device_create_stream(device, nullptr, nullptr, aravis.out()));
        if (!stream) {
            error = "Cannot receive images from the camera at " + m->address + ": " + aravis.message();
            return false;
        }
        if (ARV_IS_GV_STREAM(stream.get())) {
            g_object_set(stream.get(), "packet-resend", ARV_GV_STREAM_PACKET_RESEND_ALWAYS, "socket-buffer",
                ARV_GV_STREAM_SOCKET_BUFFER_AUTO, nullptr);
        }
        for (int i = 0; i < m->options.bufferCount; ++i)
            arv_stream_push_buffer(stream.get(), arv_buffer_new_allocate(std::size_t(payload)));
        m->stream = std::move(stream);
        arv_device_execute_command(device, "AcquisitionStart", aravis.out());
        if (aravis) {
            error = "The camera at " + m->address + " does not start: " + aravis.message();
            m->stream.reset();
            return false;
        }
        m->onFrame = std::move(onFrame);
        m->onLost = std::move(onLost);
        m->receiving = true;
        m->receiver = std::thread([impl = m.get()] { impl->receive(); });
        qCDebug(lcStream, "%s: streaming %s, %lld bytes a frame", m->address.c_str(), name->c_str(),
            static_cast<long long>(payload));
        return true;
    } catch (const std::exception& failure) {
        m->release();
        error = "Cannot receive images from the camera at " + m->address + ": " + failure.what();
        return false;
    }
}

void CStreamingCamera::stop()
{
    m->release();
}

bool CStreamingCamera::isStreaming() const
{
    return m->receiving;
}

SStreamStatistics CStreamingCamera::statistics() const
{
    std::lock_guard<std::mutex> lock(m->statisticsMutex);
    SStreamStatistics total = m->finished;
    total.completedFrames += m->current.completedFrames;
    total.failedFrames += m->current.failedFrames;
    total.underruns += m->current.underruns;
    total.resentPackets += m->current.resentPackets;
    total.missingPackets += m->current.missingPackets;
    return total;
}

} // namespace zelk::cam
