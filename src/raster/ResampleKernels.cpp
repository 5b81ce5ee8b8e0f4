#include "raster/ResampleKernels.h"

#include "raster/ResampleFilters.h"

namespace qv {

namespace {

template <int Channels>
void DeinterleaveN(const uint8_t* in, int count, int16_t* const* planes) {
  for (int i = 0; i < count; ++i)
    for (int ch = 0; ch < Channels; ++ch) planes[ch][i] = in[i * Channels + ch];
}

void DeinterleavePortable(const uint8_t* in, int count, int channels, int16_t* const* planes) {
  switch (channels) {
    case 1:
      DeinterleaveN<1>(in, count, planes);
      break;
    case 2:
      DeinterleaveN<2>(in, count, planes);
      break;
    case 3:
      DeinterleaveN<3>(in, count, planes);
      break;
    default:
      DeinterleaveN<4>(in, count, planes);
      break;
  }
}

void DotRowPortable(const WeightRun* runs, int count, const int16_t* const* planes, int channels, int32_t* acc) {
  for (int x = 0; x < count; ++x) {
    const WeightRun& run = runs[x];
    for (int ch = 0; ch < channels; ++ch) {
      const int16_t* v = planes[ch] + run.start;
      int32_t sum = 0;
      for (int k = 0; k < run.padded; ++k) sum += int32_t(run.weights[k]) * v[k];
      acc[x * channels + ch] = sum;
    }
  }
}

void AccumulateRowsPortable(const uint8_t* const* rows, const int16_t* w, int n, int len, int32_t* acc) {
  for (int e = 0; e < len; ++e) acc[e] = 0;
  for (int k = 0; k < n; ++k) {
    const uint8_t* row = rows[k];
    const int32_t weight = w[k];
    for (int e = 0; e < len; ++e) acc[e] += weight * row[e];
  }
}

void NormalisePortable(const int32_t* acc, const int32_t* weightSums, int len, uint8_t* out) {
  for (int e = 0; e < len; ++e) out[e] = NormaliseWeighted(acc[e], weightSums[e]);
}

void NormaliseByPortable(const int32_t* acc, int32_t weightSum, int len, uint8_t* out) {
  for (int e = 0; e < len; ++e) out[e] = NormaliseWeighted(acc[e], weightSum);
}

const ResampleKernels kPortable{"portable",        DeinterleavePortable, DotRowPortable, AccumulateRowsPortable,
                                NormalisePortable, NormaliseByPortable};

}  // namespace

KernelChoice<ResampleKernels>& ResampleKernelChoice() {
  static KernelChoice<ResampleKernels> choice(kPortable, {Avx2ResampleKernels});
  return choice;
}

}  // namespace qv
