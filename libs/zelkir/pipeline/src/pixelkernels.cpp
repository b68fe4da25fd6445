#include "pixelkernels.h"

#include "avx2gather.h"
#include "cpudispatch.h"

#include <immintrin.h>

namespace zelkir::kernels {

namespace {

// Comparisons written so that a NaN picks the bound, which is also what maxps/minps do.
inline float atLeast(float value, float bound)
{
    return value > bound ? value : bound;
}
inline float atMost(float value, float bound)
{
    return value < bound ? value : bound;
}

// Plain loop shared by both builds; the AVX2 build vectorises it eight wide.
inline __attribute__((always_inline)) void accumulateColumnsBody(const std::uint16_t* row, std::size_t n,
    float low, float high, float offset, float* sum, float* sumSquares)
{
    for (std::size_t x = 0; x < n; ++x) {
        const float value = atMost(atLeast(static_cast<float>(row[x]), low), high) - offset;
        sum[x] += value;
        sumSquares[x] += value * value;
    }
}

__attribute__((target("avx2,fma"))) void accumulateColumnsAvx2(const std::uint16_t* row, std::size_t n,
    float low, float high, float offset, float* sum, float* sumSquares)
{
    accumulateColumnsBody(row, n, low, high, offset, sum, sumSquares);
}

// The compiler does not use gathers for table lookups on its own; written out, they
// make the lookup about a third faster than the scalar loop.
__attribute__((target("avx2,fma"))) void mapThroughTableAvx2(
    const std::uint16_t* row, std::size_t n, const std::uint32_t* table, std::uint32_t* out)
{
    std::size_t x = 0;
    for (; x + 8 <= n; x += 8) {
        const __m256i counts
            = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), gatherWords(table, counts));
    }
    for (; x < n; ++x)
        out[x] = table[row[x]];
}

} // namespace

void addToHistogram(const std::uint16_t* row, std::size_t n, std::uint32_t* bins)
{
    for (std::size_t x = 0; x < n; ++x)
        ++bins[row[x]];
}

std::size_t addValuedToHistogram(
    const std::uint16_t* row, const std::uint8_t* noValue, std::size_t n, std::uint32_t* bins)
{
    // Branch-free: a pixel without a value adds 0 to its bin.
    std::size_t added = 0;
    for (std::size_t x = 0; x < n; ++x) {
        const std::uint32_t valued = noValue[x] == 0;
        bins[row[x]] += valued;
        added += valued;
    }
    return added;
}

bool anyNoValue(const std::uint8_t* noValue, std::size_t n)
{
    std::uint8_t any = 0;
    for (std::size_t x = 0; x < n; ++x)
        any |= noValue[x];
    return any != 0;
}

void paintNoValue(const std::uint8_t* noValue, std::size_t n, std::uint32_t colour, std::uint32_t* out)
{
    for (std::size_t x = 0; x < n; ++x)
        out[x] = noValue[x] != 0 ? colour : out[x];
}

void mapThroughTable(const std::uint16_t* row, std::size_t n, const std::uint32_t* table, std::uint32_t* out)
{
    if (useAvx2()) {
        mapThroughTableAvx2(row, n, table, out);
        return;
    }
    for (std::size_t x = 0; x < n; ++x)
        out[x] = table[row[x]];
}

void accumulateColumns(const std::uint16_t* row, std::size_t n, float low, float high, float offset,
    float* sum, float* sumSquares)
{
    if (useAvx2())
        accumulateColumnsAvx2(row, n, low, high, offset, sum, sumSquares);
    else
        accumulateColumnsBody(row, n, low, high, offset, sum, sumSquares);
}

} // namespace zelkir::kernels
