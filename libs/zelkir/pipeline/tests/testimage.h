#pragma once

#include <zelkir/pipeline/frame.h>

#include <cstdint>
#include <functional>
#include <vector>

// Small frames and output images for the pipeline tests, optionally with padded rows so
// that stride handling is exercised.
struct TestImage
{
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<std::uint16_t> counts;
    std::vector<std::uint8_t> noValue; // empty, or laid out as counts

    TestImage(int w, int h, const std::function<int(int x, int y)>& count, int padding = 0)
        : width(w)
        , height(h)
        , stride(w + padding)
        , counts(std::size_t(stride) * std::size_t(h), 0xBEEF)
    {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                counts[std::size_t(y) * stride + x] = std::uint16_t(count(x, y));
    }

    // Marks the pixels for which `missing` holds as having no value.
    void markNoValue(const std::function<bool(int x, int y)>& missing)
    {
        noValue.assign(counts.size(), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                noValue[std::size_t(y) * stride + x] = missing(x, y) ? 1 : 0;
    }

    zelkir::CountFrame frame() const
    {
        return { counts.data(), width, height, stride, noValue.empty() ? nullptr : noValue.data() };
    }
    std::uint16_t at(int x, int y) const { return counts[std::size_t(y) * stride + x]; }
};

struct TestOutput
{
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<std::uint32_t> pixels;

    // Fills the padding and the image with a marker, so untouched pixels can be detected.
    static constexpr std::uint32_t Untouched = 0x12345678u;

    TestOutput(int w, int h, int padding = 0)
        : width(w)
        , height(h)
        , stride(w + padding)
        , pixels(std::size_t(stride) * std::size_t(h), Untouched)
    {
    }

    zelkir::ArgbImage image() { return { pixels.data(), width, height, stride }; }
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * stride + x]; }
    // With the grey palette the blue channel is the display level.
    int level(int x, int y) const { return int(at(x, y) & 0xFF); }
};
