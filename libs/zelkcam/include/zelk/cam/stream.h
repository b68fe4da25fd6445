#pragma once

#include <zelk/cam/export.h>
#include <zelk/cam/gic/featuretree.h>
#include <zelk/cam/records.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zelk::cam {

/// Pixel formats a stream accepts; every one arrives unpacked to 16-bit counts.
enum class EPixelFormat { Mono8, Mono10, Mono10Packed, Mono12, Mono12Packed, Mono14, Mono16 };

/// The GenICam name ("Mono12Packed").
ZELKCAM_EXPORT const char* PixelFormatName(EPixelFormat format) noexcept;
/// Significant bits per pixel (8 to 16).
ZELKCAM_EXPORT int PixelFormatBits(EPixelFormat format) noexcept;
/// Unpacks `pixels.size()` pixels of `format` from `data`, row after row with no padding,
/// into counts. False when `size` bytes are too few.
ZELKCAM_EXPORT bool UnpackPixels(
    const void* data, std::size_t size, EPixelFormat format, std::vector<std::uint16_t>& pixels) noexcept;

/// One image as the camera sent it, one 16-bit count per pixel.
struct SStreamFrame
{
    std::uint64_t frameId = 0;     ///< the camera's block id
    std::uint64_t timestampNs = 0; ///< the camera's own timestamp, ns
    std::uint64_t receivedNs = 0;  ///< host steady clock when the buffer completed, ns
    int width = 0;
    int height = 0;
    EPixelFormat pixelFormat = EPixelFormat::Mono16;
    std::vector<std::uint16_t> pixels; ///< row by row, width × height
};

struct SStreamStatistics
{
    std::uint64_t completedFrames = 0;
    std::uint64_t failedFrames = 0; ///< incomplete, timed out or aborted
    std::uint64_t underruns = 0;    ///< frames lost because no buffer was free
    std::uint64_t resentPackets = 0;
    std::uint64_t missingPackets = 0;
};

/// A GigE Vision camera opened with control access for streaming: its feature tree and
/// its image stream (packet size negotiated, resends on, socket buffer sized
/// automatically, a pool of buffers).
///
/// One thread at a time uses an object (its owner's); statistics() may be called from
/// any thread. Nothing here waits longer than the camera's own timeouts.
class ZELKCAM_EXPORT CStreamingCamera
{
public:
    /// Called on the library's receive thread, in order; hand the frame over and return.
    /// Frames whose packets were lost after resends are not delivered, only counted
    /// (SStreamStatistics::failedFrames): Aravis describes no image for them.
    using FrameHandler = std::function<void(std::shared_ptr<const SStreamFrame> frame)>;
    /// Called once, on any thread, when the camera stops answering its control channel or
    /// sends no frame for frameTimeoutMs while acquiring. A sentence for the user.
    using LossHandler = std::function<void(const std::string& reason)>;

    struct SOptions
    {
        int bufferCount = 16;
        int frameTimeoutMs = 3000;
    };

    /// Opens the camera that `info` describes (by its address) with control access.
    /// Null with a sentence in `error` when it does not answer (within about a second),
    /// is controlled by another program, or offers none of EPixelFormat's formats.
    static std::unique_ptr<CStreamingCamera> Open(
        const SDeviceInfo& info, std::string& error, const SOptions& options);
    static std::unique_ptr<CStreamingCamera> Open(const SDeviceInfo& info, std::string& error)
    {
        return Open(info, error, SOptions());
    }
    /// Stops acquisition and releases the camera, also when it is gone; handing the
    /// control channel back to a camera that stopped answering takes Aravis about 5 s.
    ~CStreamingCamera();
    CStreamingCamera(const CStreamingCamera&) = delete;
    CStreamingCamera& operator=(const CStreamingCamera&) = delete;

    gic::IFeatureTree& features();

    /// Starts acquisition with the camera's current pixel format, size and rate. Refused
    /// with a sentence in `error` (naming the format) for any format other than
    /// EPixelFormat's, and once the camera was lost.
    bool start(FrameHandler onFrame, LossHandler onLost, std::string& error);
    /// Stops acquisition; no handler is called once it returns. Not from a handler.
    void stop();
    /// From start() until stop() or the loss of the camera.
    bool isStreaming() const;
    /// Counted since Open, over every start().
    SStreamStatistics statistics() const;

private:
    CStreamingCamera();
    struct SImpl;
    std::unique_ptr<SImpl> m;
};

} // namespace zelk::cam
