#pragma once

#include <immintrin.h>

#include <cstdint>

// AVX2 gathers that do not chain loop iterations together. A gather merges into its
// destination register, so that register is also an input; left to itself the compiler
// gathers into the register that last iteration's result went through, and every
// iteration then waits for the one before (a third of the speed here). Starting from a
// fresh zero breaks the chain; the empty asm stops the compiler from hoisting that zero
// out of the loop.
namespace zelkir::kernels {

__attribute__((target("avx2"), always_inline)) inline __m256 gatherFloats(const float* table, __m256i index)
{
    __m256 fresh = _mm256_setzero_ps();
    asm volatile("" : "+x"(fresh));
    return _mm256_mask_i32gather_ps(fresh, table, index, _mm256_castsi256_ps(_mm256_set1_epi32(-1)), 4);
}

__attribute__((target("avx2"), always_inline)) inline __m256i gatherWords(
    const std::uint32_t* table, __m256i index)
{
    __m256i fresh = _mm256_setzero_si256();
    asm volatile("" : "+x"(fresh));
    return _mm256_mask_i32gather_epi32(
        fresh, reinterpret_cast<const int*>(table), index, _mm256_set1_epi32(-1), 4);
}

} // namespace zelkir::kernels
