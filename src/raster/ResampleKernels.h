#pragma once
// The inner loops of the fast resampler. The portable versions define the result; the
// vector versions (chosen at run time by what the processor offers) must give the same.
#include <cstdint>

#include "base/KernelChoice.h"

namespace qv {

// Weight lists are padded with zeros to a multiple of this many entries, and every channel
// plane has at least 2 * kResampleDotBlock readable entries after its last pixel.
constexpr int kResampleDotBlock = 8;

// The weights of one target pixel: padded weights (zeros at the end) for the plane entries
// from start on.
struct WeightRun {
  int start;
  int padded;  // a multiple of kResampleDotBlock
  const int16_t* weights;
};

struct ResampleKernels {
  const char* name;
  // planes[ch][i] = in[i * channels + ch] for i < count (channels 1..4).
  void (*deinterleave)(const uint8_t* in, int count, int channels, int16_t* const* planes);
  // acc[x * channels + ch] = Σ_k runs[x].weights[k] × planes[ch][runs[x].start + k] for
  // x < count; acc may be written up to 4 entries past count * channels.
  void (*dotRow)(const WeightRun* runs, int count, const int16_t* const* planes, int channels, int32_t* acc);
  // acc[e] = Σ_k w[k] × rows[k][e] for e < len; rows may be read, and acc written, up to 32
  // entries past len.
  void (*accumulateRows)(const uint8_t* const* rows, const int16_t* w, int n, int len, int32_t* acc);
  // out[e] = the weighted sum acc[e] normalised by weightSums[e] and clamped, for e < len.
  void (*normalise)(const int32_t* acc, const int32_t* weightSums, int len, uint8_t* out);
  // The same with one weight sum for all.
  void (*normaliseBy)(const int32_t* acc, int32_t weightSum, int len, uint8_t* out);
};

// The portable set, the AVX2 set when the processor has it, and the one in use.
KernelChoice<ResampleKernels>& ResampleKernelChoice();
// The AVX2 versions, or nullptr when the processor lacks AVX2 (a probe of the choice).
const ResampleKernels* Avx2ResampleKernels();

}  // namespace qv
