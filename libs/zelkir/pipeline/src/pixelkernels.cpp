#include "pixelkernels.h"

#include "avx2gather.h"
#include "cpudispatch.h"

#include <immintrin.h>

#include <algorithm>

namespace zelkir::kernels {

namespace {

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

// The sums of four vectors' columns, each vector holding two cells' four columns: the
// columns transposed within the halves and added as the baseline adds them, the cells then
// put back in order (after the transposition the lanes hold cells 0 2 4 6 | 1 3 5 7).
__attribute__((target("avx2"))) inline __m256 cellTotals(__m256 r0, __m256 r1, __m256 r2, __m256 r3)
{
    const __m256d t0 = _mm256_castps_pd(_mm256_unpacklo_ps(r0, r1));
    const __m256d t1 = _mm256_castps_pd(_mm256_unpackhi_ps(r0, r1));
    const __m256d t2 = _mm256_castps_pd(_mm256_unpacklo_ps(r2, r3));
    const __m256d t3 = _mm256_castps_pd(_mm256_unpackhi_ps(r2, r3));
    const __m256 first = _mm256_add_ps(
        _mm256_castpd_ps(_mm256_unpacklo_pd(t0, t2)), _mm256_castpd_ps(_mm256_unpackhi_pd(t0, t2)));
    const __m256 second = _mm256_add_ps(
        _mm256_castpd_ps(_mm256_unpacklo_pd(t1, t3)), _mm256_castpd_ps(_mm256_unpackhi_pd(t1, t3)));
    return _mm256_permutevar8x32_ps(_mm256_add_ps(first, second), _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
}

// Eight cells (32 columns) at a time, with the baseline's operations in the baseline's order
// per lane, and without fused multiply-add, so that both builds get the same sums. Returns
// the cells done.
template <bool Clamp>
__attribute__((target("avx2"))) std::size_t cellSumsAvx2(const std::uint16_t* const* rows, int rowCount,
    std::size_t n, float low, float high, float offset, float* sums, float* sumSquares)
{
    const __m256 lowest = _mm256_set1_ps(low - offset);
    const __m256 highest = _mm256_set1_ps(high - offset);
    const __m256 shift = _mm256_set1_ps(offset);
    std::size_t cell = 0;
    for (; 4 * cell + 32 <= n; cell += 8) {
        __m256 sum[4]
            = { _mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps() };
        __m256 squares[4] = { sum[0], sum[0], sum[0], sum[0] };
        for (int r = 0; r < rowCount; ++r) {
            const std::uint16_t* at = rows[r] + 4 * cell;
            for (int i = 0; i < 4; ++i) {
                const __m256i counts
                    = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 8 * i)));
                __m256 v = _mm256_sub_ps(_mm256_cvtepi32_ps(counts), shift);
                if constexpr (Clamp)
                    v = _mm256_min_ps(_mm256_max_ps(v, lowest), highest);
                sum[i] = _mm256_add_ps(sum[i], v);
                squares[i] = _mm256_add_ps(squares[i], _mm256_mul_ps(v, v));
            }
        }
        _mm256_storeu_ps(sums + cell, cellTotals(sum[0], sum[1], sum[2], sum[3]));
        _mm256_storeu_ps(sumSquares + cell, cellTotals(squares[0], squares[1], squares[2], squares[3]));
    }
    return cell;
}

} // namespace

void addToHistogram(const std::uint16_t* row, std::size_t n, std::uint32_t* bins)
{
    // Neighbouring pixels often share a bin; incremented one after the other, the second
    // load may run ahead of the first store and the processor has to redo it. Streams from
    // the row's eighths, taken in turn, put seven unrelated increments between them (a
    // quarter faster; four streams gave a fifth).
    constexpr std::size_t Streams = 8;
    const std::size_t part = n / Streams;
    for (std::size_t x = 0; x < part; ++x) {
        for (std::size_t stream = 0; stream < Streams; ++stream)
            ++bins[row[stream * part + x]];
    }
    for (std::size_t x = Streams * part; x < n; ++x)
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

namespace {

template <bool Clamp>
void cellSumsFrom(std::size_t cell, const std::uint16_t* const* rows, int rowCount, std::size_t n, float low,
    float high, float offset, float* sums, float* sumSquares)
{
    // Clamping and the offset in one: min(max(c - o, low - o), high - o).
    const __m128 lowest = _mm_set1_ps(low - offset);
    const __m128 highest = _mm_set1_ps(high - offset);
    const __m128 shift = _mm_set1_ps(offset);
    const __m128i zero = _mm_setzero_si128();
    const auto value = [&](__m128i counts) {
        const __m128 v = _mm_sub_ps(_mm_cvtepi32_ps(counts), shift);
        return Clamp ? _mm_min_ps(_mm_max_ps(v, lowest), highest) : v;
    };
    // Four cells (16 columns) at a time: the columns of each cell add up in one vector's
    // lanes, and a transposition adds the lanes of the four vectors at once.
    for (; 4 * cell + 16 <= n; cell += 4) {
        __m128 sum[4] = { _mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps() };
        __m128 squares[4] = { sum[0], sum[0], sum[0], sum[0] };
        for (int r = 0; r < rowCount; ++r) {
            const std::uint16_t* at = rows[r] + 4 * cell;
            const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 8));
            const __m128 v[4]
                = { value(_mm_unpacklo_epi16(left, zero)), value(_mm_unpackhi_epi16(left, zero)),
                      value(_mm_unpacklo_epi16(right, zero)), value(_mm_unpackhi_epi16(right, zero)) };
            for (int i = 0; i < 4; ++i) {
                sum[i] = _mm_add_ps(sum[i], v[i]);
                squares[i] = _mm_add_ps(squares[i], _mm_mul_ps(v[i], v[i]));
            }
        }
        _MM_TRANSPOSE4_PS(sum[0], sum[1], sum[2], sum[3]);
        _MM_TRANSPOSE4_PS(squares[0], squares[1], squares[2], squares[3]);
        _mm_storeu_ps(sums + cell, _mm_add_ps(_mm_add_ps(sum[0], sum[1]), _mm_add_ps(sum[2], sum[3])));
        _mm_storeu_ps(sumSquares + cell,
            _mm_add_ps(_mm_add_ps(squares[0], squares[1]), _mm_add_ps(squares[2], squares[3])));
    }
    // The remaining cells, the last perhaps narrower, in the same order of additions per lane.
    for (; 4 * cell < n; ++cell) {
        float sum[4] = {};
        float squares[4] = {};
        const std::size_t columns = std::min<std::size_t>(4, n - 4 * cell);
        for (int r = 0; r < rowCount; ++r) {
            for (std::size_t i = 0; i < columns; ++i) {
                const float c = static_cast<float>(rows[r][4 * cell + i]) - offset;
                const float v = std::min(std::max(c, low - offset), high - offset);
                sum[i] += v;
                squares[i] += v * v;
            }
        }
        sums[cell] = (sum[0] + sum[1]) + (sum[2] + sum[3]);
        sumSquares[cell] = (squares[0] + squares[1]) + (squares[2] + squares[3]);
    }
}

} // namespace

void cellSums(const std::uint16_t* const* rows, int rowCount, std::size_t n, float low, float high,
    bool clamp, float offset, float* sums, float* sumSquares)
{
    // Without clamping the sums are the same to the bit when no count lies beyond [low, high]:
    // rounding c - offset keeps the order of c and low or high.
    if (clamp) {
        const std::size_t cell
            = useAvx2() ? cellSumsAvx2<true>(rows, rowCount, n, low, high, offset, sums, sumSquares) : 0;
        cellSumsFrom<true>(cell, rows, rowCount, n, low, high, offset, sums, sumSquares);
    } else {
        const std::size_t cell
            = useAvx2() ? cellSumsAvx2<false>(rows, rowCount, n, low, high, offset, sums, sumSquares) : 0;
        cellSumsFrom<false>(cell, rows, rowCount, n, low, high, offset, sums, sumSquares);
    }
}

} // namespace zelkir::kernels
