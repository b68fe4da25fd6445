#include "bandwidthfloor.h"

#include "mediantimer.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Large enough that a slot is evicted before it comes round again on ordinary caches; this
// machine's virtual CPU claims a 480 MiB last level, which 2 x 512 MiB still exceeds.
constexpr std::size_t PoolBytes = std::size_t(512) << 20;

__attribute__((noinline)) void widen(const std::uint16_t* in, std::size_t n, std::uint32_t* out)
{
    for (std::size_t i = 0; i < n; ++i)
        out[i] = in[i];
}

} // namespace

BandwidthFloor::Figures BandwidthFloor::measure(std::size_t pixels)
{
    Figures figures;
    const std::size_t frameBytes = 6 * pixels;
    const std::size_t slots = PoolBytes / frameBytes;
    {
        // Touch every page first so page faults are not timed.
        std::vector<char> source(slots * frameBytes, 1);
        std::vector<char> target(slots * frameBytes, 2);
        figures.coldMemcpy = medianMicroseconds(int(3 * slots), [&](int i) {
            const std::size_t slot = std::size_t(i) % slots;
            std::memcpy(target.data() + slot * frameBytes, source.data() + slot * frameBytes, frameBytes);
        });
    }
    std::vector<char> source(frameBytes, 1);
    std::vector<char> target(frameBytes, 2);
    figures.warmMemcpy
        = medianMicroseconds(300, [&](int) { std::memcpy(target.data(), source.data(), frameBytes); });

    std::vector<std::uint16_t> counts(pixels, 3);
    std::vector<std::uint32_t> wide(pixels);
    figures.warmWiden = medianMicroseconds(300, [&](int) { widen(counts.data(), pixels, wide.data()); });
    return figures;
}
