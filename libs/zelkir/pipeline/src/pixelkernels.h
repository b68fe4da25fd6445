#pragma once

#include <cstddef>
#include <cstdint>

// The per-pixel loops of histogram, table lookup and the guided filter's cell sums, each in
// a baseline (x86-64 SSE2) and, where it pays, an AVX2 build.
namespace zelkir::kernels {

/// Adds a row to a histogram of 65536 bins indexed by count.
void addToHistogram(const std::uint16_t* row, std::size_t n, std::uint32_t* bins);

/// Adds the row's pixels whose noValue entry is 0 to the histogram; returns how many.
std::size_t addValuedToHistogram(
    const std::uint16_t* row, const std::uint8_t* noValue, std::size_t n, std::uint32_t* bins);

/// True when some noValue[x] is non-zero.
bool anyNoValue(const std::uint8_t* noValue, std::size_t n);

/// out[x] = colour where noValue[x] is non-zero.
void paintNoValue(const std::uint8_t* noValue, std::size_t n, std::uint32_t colour, std::uint32_t* out);

/// out[x] = table[row[x]]; the table must hold an entry for every count in the row.
void mapThroughTable(const std::uint16_t* row, std::size_t n, const std::uint32_t* table, std::uint32_t* out);

/// Per cell of four columns over one to four rows: the sum of the counts, each clamped to
/// [low, high] less offset, into sums[i] for columns 4i to 4i + 3, and the sum of their squares
/// into sumSquares[i]. A last cell narrower than four columns sums only the columns it has.
/// clamp false skips the clamping, for rows known to lie within [low, high].
/// Both builds give the same sums to the bit, so that both builds of the detail loop see the
/// same guided filter.
void cellSums(const std::uint16_t* const* rows, int rowCount, std::size_t n, float low, float high,
    bool clamp, float offset, float* sums, float* sumSquares);

} // namespace zelkir::kernels
