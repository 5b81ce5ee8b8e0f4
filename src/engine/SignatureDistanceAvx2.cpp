// The AVX2 signature distance, compiled for AVX2 and used only when the processor has it.
#include "engine/SignatureDistance.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace qv {

namespace {

__attribute__((target("avx2"))) inline __m256i SquaredDifferences16(const uint8_t* a, const uint8_t* b) {
  const __m256i d = _mm256_sub_epi16(_mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a))),
                                     _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b))));
  return _mm256_madd_epi16(d, d);
}

// As the SSE2 version with 32 bytes a step. The work goes in chunks of 8192 bytes, whose sum
// (at most 8192 × 255²) fits the 32-bit lanes and their total.
__attribute__((target("avx2"))) uint64_t DistanceAvx2(const uint8_t* a, const uint8_t* b, int n) {
  uint64_t total = 0;
  int i = 0;
  while (i < n) {
    const int end = n - i > 8192 ? i + 8192 : n;
    __m256i acc = _mm256_setzero_si256();
    for (; i + 32 <= end; i += 32)
      acc = _mm256_add_epi32(
          acc, _mm256_add_epi32(SquaredDifferences16(a + i, b + i), SquaredDifferences16(a + i + 16, b + i + 16)));
    if (i + 16 <= end) {
      acc = _mm256_add_epi32(acc, SquaredDifferences16(a + i, b + i));
      i += 16;
    }
    __m128i s = _mm_add_epi32(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1));
    if (i + 8 <= end) {
      const __m128i d = _mm_sub_epi16(_mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + i))),
                                      _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + i))));
      s = _mm_add_epi32(s, _mm_madd_epi16(d, d));
      i += 8;
    }
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(1, 0, 3, 2)));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, _MM_SHUFFLE(2, 3, 0, 1)));
    total += uint32_t(_mm_cvtsi128_si32(s));
    for (; i < end; ++i) {
      const int d = int(a[i]) - int(b[i]);
      total += uint32_t(d * d);
    }
  }
  return total;
}

const SignatureDistanceKernels kAvx2{"avx2", DistanceAvx2};

}  // namespace

const SignatureDistanceKernels* Avx2SignatureDistanceKernels() {
  return __builtin_cpu_supports("avx2") ? &kAvx2 : nullptr;
}

}  // namespace qv

#else

namespace qv {
const SignatureDistanceKernels* Avx2SignatureDistanceKernels() { return nullptr; }
}  // namespace qv

#endif
