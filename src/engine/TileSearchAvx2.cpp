// The AVX2 scan of a signature pack, compiled for AVX2 and used only when the processor has
// it. It gives what the portable scan gives.
//
// Records go in groups of eight: their status bytes and their bounds are tested together,
// and only the records that pass both have their signatures read.
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

// The distance of one record, or a value at or above best when the cut-off leaves it early
// (cut is then set). Steps are summed in runs of at most 2048 (65536 bytes), whose total (at
// most 65536 x 255²) still fits 32 bits, then added up in 64 bits. With the cut-off the
// partial sum is compared with best once, halfway: a horizontal sum costs about as much as
// a step, so more checks would not pay.
template <int kSteps>
__attribute__((target("avx2"))) inline uint64_t RecordDistance(const uint8_t* s, const uint8_t* t, int32_t steps,
                                                               bool cutOff, uint64_t best, bool& cut) {
  if constexpr (kSteps == 4) {
    __m256i acc = _mm256_add_epi32(SquaredStep(s, t), SquaredStep(s + 32, t + 32));
    if (cutOff) {
      const uint64_t half = LaneSum(acc);
      if (half >= best) {
        cut = true;
        return half;
      }
    }
    acc = _mm256_add_epi32(acc, _mm256_add_epi32(SquaredStep(s + 64, t + 64), SquaredStep(s + 96, t + 96)));
    return LaneSum(acc);
  } else {
    const int32_t n = kSteps ? kSteps : steps;
    const int32_t checkAt = n / 2;
    uint64_t sum = 0;
    int32_t k = 0;
    while (k < n) {
      const int32_t runEnd = n - k > 2048 ? k + 2048 : n;
      __m256i acc = _mm256_setzero_si256();
      for (; k < runEnd; ++k) {
        acc = _mm256_add_epi32(acc, SquaredStep(s + size_t(k) * 32, t + size_t(k) * 32));
        if (cutOff && k + 1 == checkAt && k + 1 < n && sum + LaneSum(acc) >= best) {
          cut = true;
          return sum + LaneSum(acc);
        }
      }
      sum += LaneSum(acc);
    }
    return sum;
  }
}

// Bits (0..7) of the eight records from st whose status is at most max.
__attribute__((target("avx2"))) inline uint32_t StatusMask8(const uint8_t* st, __m128i max) {
  const __m128i s = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(st));
  return uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(s, max), max))) & 0xFFu;
}

// Bits of the eight records from i whose bound, the sum of squared quadrant-sum
// differences, does not exceed limit: per pair one load, a 16-bit subtraction and a
// multiply-add. Exact in 16 and 32 bits for grids of up to kMaxBoundCells cells.
__attribute__((target("avx2"))) inline uint32_t BoundMask8(const TScanRequest& r, int32_t i,
                                                           const __m256i (&target)[kQuadPairs], __m256i limit) {
  __m256i x = _mm256_setzero_si256();
  for (int j = 0; j < kQuadPairs; ++j) {
    const __m256i d =
        _mm256_sub_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(r.QuadPairs[j] + i)), target[j]);
    x = _mm256_add_epi32(x, _mm256_madd_epi16(d, d));
  }
  return ~uint32_t(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(x, limit)))) & 0xFFu;
}

// Evaluates record rec; true (with its distance) when it comes below best.
template <int kSteps>
__attribute__((target("avx2"))) inline bool Evaluate(const TScanRequest& r, int32_t rec, int32_t steps, uint64_t best,
                                                     uint64_t* distance, uint64_t& evaluations, uint64_t& completed) {
  ++evaluations;
  bool cut = false;
  const uint64_t d =
      RecordDistance<kSteps>(r.Signatures + size_t(rec) * size_t(r.Stride), r.Target, steps, r.CutOff, best, cut);
  if (cut) return false;
  ++completed;
  if (d >= best) return false;
  *distance = d;
  return true;
}

template <int kSteps>
__attribute__((target("avx2"))) int32_t ScanAvx2(const TScanRequest& r, int32_t from, uint64_t best, uint64_t* distance,
                                                 TScanCounters& counters) {
  const int32_t steps = kSteps ? kSteps : r.Stride / 32;
  const uint8_t* const statuses = r.Statuses;
  const bool bound = r.QuadPairs[0] != nullptr;
  const int32_t last = r.Last;
  const int32_t limit = BoundLimit(best, r.QuadCells);
  const __m128i maxStatus = _mm_set1_epi8(char(r.MaxStatus));
  const __m256i limitV = _mm256_set1_epi32(limit);
  __m256i target[kQuadPairs];
  for (int j = 0; j < kQuadPairs; ++j) target[j] = _mm256_set1_epi32(int32_t(r.TargetPairs[j]));
  uint64_t candidates = 0, evaluations = 0, completed = 0;
  int32_t found = last;
  int32_t i = from;
  // Groups of eight, then the rest one by one; records are evaluated in storage order and
  // the first one below best ends the scan.
  for (; i + 8 <= last && found == last; i += 8) {
    const uint32_t allowed = StatusMask8(statuses + i, maxStatus);
    candidates += uint32_t(__builtin_popcount(allowed));
    uint32_t mask = bound && allowed ? allowed & BoundMask8(r, i, target, limitV) : allowed;
    while (mask) {
      const int32_t rec = i + __builtin_ctz(mask);
      mask &= mask - 1;
      if (Evaluate<kSteps>(r, rec, steps, best, distance, evaluations, completed)) {
        found = rec;
        // The records after it are left for the next call.
        candidates -= uint32_t(__builtin_popcount(allowed >> (rec - i + 1)));
        break;
      }
    }
  }
  for (; i < last && found == last; ++i) {
    if (statuses[i] > r.MaxStatus) continue;
    ++candidates;
    if (bound && QuadBound(r, i) > limit) continue;
    if (Evaluate<kSteps>(r, i, steps, best, distance, evaluations, completed)) found = i;
  }
  counters.Candidates += candidates;
  counters.Evaluations += evaluations;
  counters.Completed += completed;
  return found;
}

int32_t ScanAvx2Any(const TScanRequest& r, int32_t from, uint64_t best, uint64_t* distance, TScanCounters& c) {
  switch (r.Stride) {
    case 128:
      return ScanAvx2<4>(r, from, best, distance, c);
    default:
      return ScanAvx2<0>(r, from, best, distance, c);
  }
}

const TileSearchKernels kAvx2{"avx2", ScanAvx2Any};

}  // namespace

const TileSearchKernels* Avx2TileSearchKernels() { return __builtin_cpu_supports("avx2") ? &kAvx2 : nullptr; }

}  // namespace qv

#else

namespace qv {
const TileSearchKernels* Avx2TileSearchKernels() { return nullptr; }
}  // namespace qv

#endif
