#pragma once

#include <cstddef>
#include <cstdint>

namespace zelkir {

/// A read-only view of one frame of sensor counts, rows top to bottom.
struct CountFrame
{
    const std::uint16_t* counts = nullptr;
    int width = 0;
    int height = 0;
    /// Counts (not bytes) from the start of one row to the start of the next; at least width.
    std::ptrdiff_t stride = 0;
    /// Optional, laid out as counts (same stride): non-zero where a pixel has no value (a
    /// file's NaN or BLANK). Such pixels are left out of histograms and statistics and drawn
    /// in the palette's no-value colour; their counts should be neutral (e.g. the frame's
    /// mean) so that filters over neighbouring pixels see no spike. Null when every pixel
    /// has a value.
    const std::uint8_t* noValue = nullptr;
};

/// The counts the sensor can deliver, both ends included. A count at or beyond an end is
/// saturated. Valid when low < high, e.g. 0..16383 for a 14-bit camera.
struct ValidRange
{
    std::uint16_t low = 0;
    std::uint16_t high = 0xFFFF;
};

/// A writable view of 32-bit pixels 0xAARRGGBB, the layout of QImage::Format_ARGB32 and
/// Format_RGB32 on every platform.
struct ArgbImage
{
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    /// Pixels (not bytes) from the start of one row to the start of the next; at least width.
    std::ptrdiff_t stride = 0;
};

/// Per-frame figures for frame information, from the counts clamped into the valid range.
/// Pixels without a value take no part; when no pixel has one, all figures are 0.
struct FrameStatistics
{
    /// Pixels with a value.
    std::uint64_t pixels = 0;
    std::uint64_t noValuePixels = 0;
    std::uint16_t minimum = 0;
    std::uint16_t maximum = 0;
    double mean = 0.0;
    /// Pixels at or below the range's low end, and at or above its high end.
    std::uint64_t underflowPixels = 0;
    std::uint64_t overflowPixels = 0;
};

/// True when the view can be read: non-null, positive size, stride at least width, and
/// fewer than 2^31 pixels.
bool isValid(const CountFrame& frame);
bool isValid(const ArgbImage& image);
bool isValid(ValidRange range);

} // namespace zelkir
