// The AVX2 scan of a signature pack, compiled for AVX2 and used only when the processor has
// it. It gives what ScanPackPortable gives.
#include "engine/TileSearch.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace qv {
namespace {

// Squared differences of 32 bytes, summed in pairs into eight 32-bit lanes: |a - b| from two
// saturating subtractions, widened to 16 bits (in-lane, the order does not matter for a sum)
// and squared and paired by one multiply-add. A lane gains at most 4 x 255² per step.
__attribute__((target("avx2"))) inline __m256i SquaredStep(const uint8_t* s, const uint8_t* t) {
  const __m256i a = _mm256_load_si256(reinterpret_cast<const __m256i*>(s));
  const __m256i b = _mm256_load_si256(reinterpret_cast<const __m256i*>(t));
  const __m256i d = _mm256_or_si256(_mm256_subs_epu8(a, b), _mm256_subs_epu8(b, a));
  const __m256i zero = _mm256_setzero_si256();
  const __m256i lo = _mm256_unpacklo_epi8(d, zero);
  const __m256i hi = _mm256_unpackhi_epi8(d, zero);
  return _mm256_add_epi32(_mm256_madd_epi16(lo, lo), _mm256_madd_epi16(hi, hi));
}

__attribute__((target("avx2"))) inline uint64_t LaneSum(__m256i v) {
  __m128i s = _mm_add_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
  s = _mm_add_epi32(s, _mm_unpackhi_epi64(s, s));
  s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 1));
  return uint32_t(_mm_cvtsi128_si32(s));
}

// Steps are summed in runs of at most 2048 (65536 bytes), whose total (at most
// 65536 x 255²) still fits 32 bits, then added up in 64 bits. kSteps = 0 reads the number of
// steps from the request; the common strides get their own unrolled copies.
template <int kSteps>
__attribute__((target("avx2"))) int32_t ScanAvx2(const TScanRequest& r, int32_t from, uint64_t best,
                                                 uint64_t* distance, TScanCounters& counters) {
  const int32_t steps = kSteps ? kSteps : r.Stride / 32;
  const size_t stride = size_t(r.Stride);
  uint64_t evaluations = 0, completed = 0;
  int32_t found = r.Last;
  for (int32_t i = from; i < r.Last; ++i) {
    if (r.Statuses[i] > r.MaxStatus) continue;
    ++evaluations;
    const uint8_t* s = r.Signatures + size_t(i) * stride;
    uint64_t sum = 0;
    bool cut = false;
    int32_t k = 0;
    while (k < steps) {
      const int32_t runEnd = steps - k > 2048 ? k + 2048 : steps;
      __m256i acc = SquaredStep(s + size_t(k) * 32, r.Target + size_t(k) * 32);
      for (++k; k < runEnd; ++k) {
        if (r.CutOff && sum + LaneSum(acc) >= best) {
          cut = true;
          break;
        }
        acc = _mm256_add_epi32(acc, SquaredStep(s + size_t(k) * 32, r.Target + size_t(k) * 32));
      }
      if (cut) break;
      sum += LaneSum(acc);
    }
    if (cut) continue;
    ++completed;
    if (sum < best) {
      *distance = sum;
      found = i;
      break;
    }
  }
  counters.Evaluations += evaluations;
  counters.Completed += completed;
  return found;
}

int32_t ScanAvx2Any(const TScanRequest& r, int32_t from, uint64_t best, uint64_t* distance, TScanCounters& c) {
  switch (r.Stride) {
    case 32: return ScanAvx2<1>(r, from, best, distance, c);
    case 64: return ScanAvx2<2>(r, from, best, distance, c);
    case 128: return ScanAvx2<4>(r, from, best, distance, c);
    default: return ScanAvx2<0>(r, from, best, distance, c);
  }
}

}  // namespace

TScanKernel ScanPackAvx2Kernel() { return __builtin_cpu_supports("avx2") ? ScanAvx2Any : nullptr; }

}  // namespace qv

#else

namespace qv {
TScanKernel ScanPackAvx2Kernel() { return nullptr; }
}  // namespace qv

#endif
