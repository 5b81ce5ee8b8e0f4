// AVX2 versions of the resampler's inner loops, compiled for AVX2 function by function and
// used only when the processor has it.
#include "raster/ResampleKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include "raster/ResampleFilters.h"

#define QV_AVX2 __attribute__((target("avx2")))

namespace qv {

namespace {

QV_AVX2 inline void StoreWidened(int16_t* to, __m128i bytes) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), _mm256_cvtepu8_epi16(bytes));
}

// 16 pixels of 3 bytes: each channel gathered from the three 16-byte loads by byte shuffles.
QV_AVX2 void Deinterleave3(const uint8_t* in, int count, int16_t* const* planes) {
  const __m128i m00 = _mm_setr_epi8(0, 3, 6, 9, 12, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i m01 = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, 2, 5, 8, 11, 14, -1, -1, -1, -1, -1);
  const __m128i m02 = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 1, 4, 7, 10, 13);
  const __m128i m10 = _mm_setr_epi8(1, 4, 7, 10, 13, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i m11 = _mm_setr_epi8(-1, -1, -1, -1, -1, 0, 3, 6, 9, 12, 15, -1, -1, -1, -1, -1);
  const __m128i m12 = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 2, 5, 8, 11, 14);
  const __m128i m20 = _mm_setr_epi8(2, 5, 8, 11, 14, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i m21 = _mm_setr_epi8(-1, -1, -1, -1, -1, 1, 4, 7, 10, 13, -1, -1, -1, -1, -1, -1);
  const __m128i m22 = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 3, 6, 9, 12, 15);
  int i = 0;
  for (; i + 16 <= count; i += 16) {
    const uint8_t* p = in + i * 3;
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    StoreWidened(planes[0] + i, _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, m00), _mm_shuffle_epi8(b, m01)),
                                             _mm_shuffle_epi8(c, m02)));
    StoreWidened(planes[1] + i, _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, m10), _mm_shuffle_epi8(b, m11)),
                                             _mm_shuffle_epi8(c, m12)));
    StoreWidened(planes[2] + i, _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, m20), _mm_shuffle_epi8(b, m21)),
                                             _mm_shuffle_epi8(c, m22)));
  }
  for (; i < count; ++i)
    for (int ch = 0; ch < 3; ++ch) planes[ch][i] = in[i * 3 + ch];
}

// 16 pixels of 4 bytes: each load sorted by channel, then a 4 x 4 transpose of 32-bit groups.
QV_AVX2 void Deinterleave4(const uint8_t* in, int count, int16_t* const* planes) {
  const __m128i sort = _mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
  int i = 0;
  for (; i + 16 <= count; i += 16) {
    const uint8_t* p = in + i * 4;
    const __m128i a = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), sort);
    const __m128i b = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), sort);
    const __m128i c = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)), sort);
    const __m128i d = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)), sort);
    const __m128i ab0 = _mm_unpacklo_epi32(a, b), ab1 = _mm_unpackhi_epi32(a, b);
    const __m128i cd0 = _mm_unpacklo_epi32(c, d), cd1 = _mm_unpackhi_epi32(c, d);
    StoreWidened(planes[0] + i, _mm_unpacklo_epi64(ab0, cd0));
    StoreWidened(planes[1] + i, _mm_unpackhi_epi64(ab0, cd0));
    StoreWidened(planes[2] + i, _mm_unpacklo_epi64(ab1, cd1));
    StoreWidened(planes[3] + i, _mm_unpackhi_epi64(ab1, cd1));
  }
  for (; i < count; ++i)
    for (int ch = 0; ch < 4; ++ch) planes[ch][i] = in[i * 4 + ch];
}

QV_AVX2 void DeinterleaveAvx2(const uint8_t* in, int count, int channels, int16_t* const* planes) {
  if (channels == 3) {
    Deinterleave3(in, count, planes);
  } else if (channels == 4) {
    Deinterleave4(in, count, planes);
  } else {
    ResampleKernelChoice().Portable().deinterleave(in, count, channels, planes);
  }
}

// Channels (3 or 4) dot products per target pixel; the four lane sums of each channel are
// folded together by two horizontal adds and stored as one vector.
template <int Channels>
QV_AVX2 void DotRowN(const WeightRun* runs, int count, const int16_t* const* planes, int32_t* acc) {
  for (int x = 0; x < count; ++x) {
    const WeightRun& run = runs[x];
    __m128i sum[4];
    int k = 0;
    if (run.padded >= 16) {
      __m256i wide[Channels];
      for (int ch = 0; ch < Channels; ++ch) wide[ch] = _mm256_setzero_si256();
      for (; k + 16 <= run.padded; k += 16) {
        const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(run.weights + k));
        for (int ch = 0; ch < Channels; ++ch)
          wide[ch] = _mm256_add_epi32(
              wide[ch],
              _mm256_madd_epi16(w, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(planes[ch] + run.start + k))));
      }
      for (int ch = 0; ch < Channels; ++ch)
        sum[ch] = _mm_add_epi32(_mm256_castsi256_si128(wide[ch]), _mm256_extracti128_si256(wide[ch], 1));
    } else {
      for (int ch = 0; ch < Channels; ++ch) sum[ch] = _mm_setzero_si128();
    }
    if (k < run.padded) {  // one block of 8 left
      const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(run.weights + k));
      for (int ch = 0; ch < Channels; ++ch)
        sum[ch] = _mm_add_epi32(
            sum[ch], _mm_madd_epi16(w, _mm_loadu_si128(reinterpret_cast<const __m128i*>(planes[ch] + run.start + k))));
    }
    if (Channels == 3) sum[3] = _mm_setzero_si128();
    const __m128i folded = _mm_hadd_epi32(_mm_hadd_epi32(sum[0], sum[1]), _mm_hadd_epi32(sum[2], sum[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + x * Channels), folded);
  }
}

QV_AVX2 void DotRowAvx2(const WeightRun* runs, int count, const int16_t* const* planes, int channels, int32_t* acc) {
  if (channels == 3) {
    DotRowN<3>(runs, count, planes, acc);
  } else if (channels == 4) {
    DotRowN<4>(runs, count, planes, acc);
  } else {
    ResampleKernelChoice().Portable().dotRow(runs, count, planes, channels, acc);
  }
}

// Rows are taken in pairs: the bytes of two rows interleaved and widened to int16 meet the
// pair of weights (w0, w1) in one multiply-add.
QV_AVX2 void AccumulateRowsAvx2(const uint8_t* const* rows, const int16_t* w, int n, int len, int32_t* acc) {
  for (int e = 0; e < len; e += 16) {
    __m256i lo = _mm256_setzero_si256(), hi = _mm256_setzero_si256();
    for (int k = 0; k < n; k += 2) {
      const bool pair = k + 1 < n;
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + e));
      const __m128i b = pair ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k + 1] + e)) : a;
      const __m256i weights = _mm256_set1_epi32(int32_t(uint16_t(w[k])) | (int32_t(pair ? w[k + 1] : 0) * 65536));
      lo = _mm256_add_epi32(lo, _mm256_madd_epi16(_mm256_cvtepu8_epi16(_mm_unpacklo_epi8(a, b)), weights));
      hi = _mm256_add_epi32(hi, _mm256_madd_epi16(_mm256_cvtepu8_epi16(_mm_unpackhi_epi8(a, b)), weights));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(acc + e), lo);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(acc + e + 8), hi);
  }
}

// For a weight sum d with 0 < d < 65536 the clamped sum a (0 <= a <= 256 d) and d are exact
// in single precision, and the correctly rounded quotient a / d lies closer to the true one
// than 1/d, so truncating it gives exactly a div d. Other sums go the scalar way.
template <bool PerElement>
QV_AVX2 void NormaliseT(const int32_t* acc, const int32_t* weightSums, int32_t weightSum, int len, uint8_t* out) {
  const __m256i zero = _mm256_setzero_si256(), limit = _mm256_set1_epi32(65536);
  const bool constantOk = weightSum > 0 && weightSum < 65536;
  if (!PerElement && !constantOk) {
    for (int e = 0; e < len; ++e) out[e] = NormaliseWeighted(acc[e], weightSum);
    return;
  }
  __m256i d = _mm256_set1_epi32(weightSum);
  __m256 df = _mm256_cvtepi32_ps(d);
  __m256i top = _mm256_slli_epi32(d, 8);
  int e = 0;
  for (; e + 8 <= len; e += 8) {
    if (PerElement) {
      d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weightSums + e));
      const __m256i ok = _mm256_and_si256(_mm256_cmpgt_epi32(d, zero), _mm256_cmpgt_epi32(limit, d));
      if (_mm256_movemask_epi8(ok) != -1) {
        for (int i = e; i < e + 8; ++i) out[i] = NormaliseWeighted(acc[i], weightSums[i]);
        continue;
      }
      df = _mm256_cvtepi32_ps(d);
      top = _mm256_slli_epi32(d, 8);
    }
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(acc + e));
    const __m256i clamped = _mm256_min_epi32(_mm256_max_epi32(a, zero), top);
    const __m256i q = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(clamped), df));
    const __m128i words = _mm_packus_epi32(_mm256_castsi256_si128(q), _mm256_extracti128_si256(q, 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + e), _mm_packus_epi16(words, words));
  }
  for (; e < len; ++e) out[e] = NormaliseWeighted(acc[e], PerElement ? weightSums[e] : weightSum);
}

QV_AVX2 void NormaliseAvx2(const int32_t* acc, const int32_t* weightSums, int len, uint8_t* out) {
  NormaliseT<true>(acc, weightSums, 0, len, out);
}

QV_AVX2 void NormaliseByAvx2(const int32_t* acc, int32_t weightSum, int len, uint8_t* out) {
  NormaliseT<false>(acc, nullptr, weightSum, len, out);
}

const ResampleKernels kAvx2{"avx2", DeinterleaveAvx2, DotRowAvx2, AccumulateRowsAvx2, NormaliseAvx2, NormaliseByAvx2};

}  // namespace

const ResampleKernels* Avx2ResampleKernels() { return __builtin_cpu_supports("avx2") ? &kAvx2 : nullptr; }

}  // namespace qv

#else

namespace qv {
const ResampleKernels* Avx2ResampleKernels() { return nullptr; }
}  // namespace qv

#endif
