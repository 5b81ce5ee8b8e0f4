#include "engine/SignatureDistance.h"

#include "engine/Signature.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qv {

namespace {

uint64_t DistancePortable(const uint8_t* a, const uint8_t* b, int n) {
  uint64_t sum = 0;
  for (int i = 0; i < n; ++i) {
    const int d = int(a[i]) - int(b[i]);
    sum += uint32_t(d * d);
  }
  return sum;
}

#if defined(__SSE2__)

// Bytes widened to 16 bits, subtracted, and squared and paired by one multiply-add. Each
// 32-bit lane gains at most 4 × 255² per 16 bytes, so lanes are emptied into 64 bits every
// 4096 bytes, long before they could overflow.
uint64_t DistanceSse2(const uint8_t* a, const uint8_t* b, int n) {
  const __m128i zero = _mm_setzero_si128();
  uint64_t total = 0;
  int i = 0;
  while (n - i >= 16) {
    __m128i acc = zero;
    const int end = (n - i) > 4096 ? i + 4096 : n - (n - i) % 16;
    for (; i < end; i += 16) {
      const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
      const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
      const __m128i lo = _mm_sub_epi16(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero));
      const __m128i hi = _mm_sub_epi16(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero));
      acc = _mm_add_epi32(acc, _mm_add_epi32(_mm_madd_epi16(lo, lo), _mm_madd_epi16(hi, hi)));
    }
    alignas(16) uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), acc);
    total += uint64_t(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
  }
  if (n - i >= 8) {
    const __m128i va = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + i));
    const __m128i vb = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + i));
    const __m128i d = _mm_sub_epi16(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero));
    alignas(16) uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), _mm_madd_epi16(d, d));
    total += uint64_t(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
    i += 8;
  }
  return total + DistancePortable(a + i, b + i, n - i);
}

const SignatureDistanceKernels kSse2{"sse2", DistanceSse2};

#endif

const SignatureDistanceKernels kPortable{"portable", DistancePortable};

}  // namespace

const SignatureDistanceKernels* Sse2SignatureDistanceKernels() {
#if defined(__SSE2__)
  return &kSse2;
#else
  return nullptr;
#endif
}

KernelChoice<SignatureDistanceKernels>& SignatureDistanceKernelChoice() {
  static KernelChoice<SignatureDistanceKernels> choice(kPortable,
                                                       {Avx2SignatureDistanceKernels, Sse2SignatureDistanceKernels});
  return choice;
}

uint64_t SignatureDistanceInt(const uint8_t* a, const uint8_t* b, int n) {
  return SignatureDistanceKernelChoice().Active().distance(a, b, n);
}

}  // namespace qv
