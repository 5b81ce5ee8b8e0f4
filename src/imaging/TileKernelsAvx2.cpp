// AVX2 versions of the cell composition's inner loops, compiled for AVX2 function by
// function and used only when the processor has it.
#include "imaging/TileKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#define QV_AVX2 __attribute__((target("avx2")))

namespace qv {

namespace {

QV_AVX2 inline __m256i Widen(const uint8_t* p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// 16 words back to 16 bytes, saturated to 0..255.
QV_AVX2 inline __m128i Narrow(__m256i words) {
  return _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
}

QV_AVX2 void ColumnSumsAvx2(const uint8_t* a, const uint8_t* b, const uint8_t* c, int n, uint16_t* sums) {
  int i = 0;
  for (; i + 16 <= n; i += 16)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + i),
                        _mm256_add_epi16(_mm256_add_epi16(Widen(a + i), Widen(b + i)), Widen(c + i)));
  for (; i < n; ++i) sums[i] = uint16_t(a[i] + b[i] + c[i]);
}

// Four pixels a step. 17 x 255 and the nine-pixel sum fit int16, and for a negative sum both
// the shift and the truncating division end at 0 after clamping.
QV_AVX2 void SharpenRowAvx2(const uint8_t* centre, const uint16_t* sums, int n, uint8_t* out) {
  const __m256i seventeen = _mm256_set1_epi16(17);
  const __m128i opaque = _mm_set1_epi32(int32_t(0xFF000000u));
  int i = 4;
  for (; i + 16 <= n - 4; i += 16) {
    const __m256i box =
        _mm256_add_epi16(_mm256_add_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + i - 4)),
                                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + i))),
                         _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + i + 4)));
    const __m256i s = _mm256_srai_epi16(_mm256_sub_epi16(_mm256_mullo_epi16(Widen(centre + i), seventeen), box), 3);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_or_si128(Narrow(s), opaque));
  }
  for (; i < n - 4; i += 4) {
    for (int k = i; k < i + 3; ++k) {
      const int s = (17 * centre[k] - (sums[k - 4] + sums[k] + sums[k + 4])) >> 3;
      out[k] = uint8_t(s < 0 ? 0 : (s > 255 ? 255 : s));
    }
    out[i + 3] = 255;
  }
}

// (overlay x weight + v x rest) / 255 for 16 bytes, as words.
QV_AVX2 inline __m256i Mix(__m128i v, __m128i overlay, __m256i weight, __m256i rest, __m256i magic) {
  const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_cvtepu8_epi16(overlay), weight),
                                     _mm256_mullo_epi16(_mm256_cvtepu8_epi16(v), rest));
  return _mm256_srli_epi16(_mm256_mulhi_epu16(t, magic), 7);
}

// 32 bytes a step; the shift's constants for a step starting at byte i are the run from
// i mod 3 on (32 = 2 mod 3). (t x 0x8081) >> 23 equals t / 255 for every t up to 255 x 255.
QV_AVX2 void FinishRowAvx2(const uint8_t* in, const uint8_t* overlay, int n, const FinishParams& p, uint8_t* out) {
  const __m256i add[3] = {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.add)),
                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.add + 1)),
                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.add + 2))};
  const __m256i sub[3] = {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.sub)),
                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.sub + 1)),
                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p.sub + 2))};
  const __m256i weight = _mm256_set1_epi16(int16_t(p.alpha)), rest = _mm256_set1_epi16(int16_t(255 - p.alpha));
  const __m256i magic = _mm256_set1_epi16(int16_t(0x8081));
  int i = 0, phase = 0;
  for (; i + 32 <= n; i += 32, phase = phase == 0 ? 2 : phase - 1) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    v = _mm256_subs_epu8(_mm256_adds_epu8(v, add[phase]), sub[phase]);
    if (overlay) {
      const __m256i o = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(overlay + i));
      const __m256i lo = Mix(_mm256_castsi256_si128(v), _mm256_castsi256_si128(o), weight, rest, magic);
      const __m256i hi = Mix(_mm256_extracti128_si256(v, 1), _mm256_extracti128_si256(o, 1), weight, rest, magic);
      v = _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), v);
  }
  const int a = p.alpha, na = 255 - p.alpha;
  for (int k = phase; i < n; ++i, ++k) {
    int v = in[i] + p.add[k];
    v = (v > 255 ? 255 : v) - p.sub[k];
    v = v < 0 ? 0 : v;
    out[i] = overlay ? uint8_t((overlay[i] * a + v * na) / 255) : uint8_t(v);
  }
}

// Five pixels (15 bytes) a step from 16-byte loads; the 16th byte stored is the next
// pixel's first, which the next step overwrites.
QV_AVX2 void SwapRedBlueAvx2(const uint8_t* in, int count, uint8_t* out) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  int i = 0;
  for (; (i + 5) * 3 + 1 <= count * 3; i += 5) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i * 3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i * 3), _mm_shuffle_epi8(v, order));
  }
  for (; i < count; ++i) {
    const uint8_t b = in[i * 3];
    out[i * 3] = in[i * 3 + 2];
    out[i * 3 + 1] = in[i * 3 + 1];
    out[i * 3 + 2] = b;
  }
}

const TileKernels kAvx2{"avx2", ColumnSumsAvx2, SharpenRowAvx2, FinishRowAvx2, SwapRedBlueAvx2};

}  // namespace

const TileKernels* Avx2TileKernels() { return __builtin_cpu_supports("avx2") ? &kAvx2 : nullptr; }

}  // namespace qv

#else

namespace qv {
const TileKernels* Avx2TileKernels() { return nullptr; }
}  // namespace qv

#endif
