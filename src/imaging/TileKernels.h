#pragma once
// The inner loops of the cell composition: the 3 x 3 sharpening, the colour shift with the
// constant-opacity blend that finish a cell, and the red/blue swap of 3-byte pixels. The
// portable versions define the results; the vector versions (chosen at run time by what the
// processor offers) must give the same bytes.
#include <cstdint>

#include "base/KernelChoice.h"

namespace qv {

// The per-cell constants of FinishRow, for pixels stored as bytes blue, green, red.
struct FinishParams {
  // Clamp(v + d) = (v + add) saturated, then - sub saturated, with add = clamp(d, 0, 255)
  // and sub = clamp(-d, 0, 255); add[k] and sub[k] hold the values of channel k mod 3, so
  // that the bytes from any position on read as one run.
  uint8_t add[3 + 32 + 3];
  uint8_t sub[3 + 32 + 3];
  int alpha = 0;  // 0..255, the overlay's weight; used only with an overlay
};
// The constants for the shifts d[0..2] (blue, green, red) and the overlay weight.
FinishParams MakeFinishParams(const int d[3], int alpha);

struct TileKernels {
  const char* name;
  // sums[i] = a[i] + b[i] + c[i] for i < n.
  void (*columnSums)(const uint8_t* a, const uint8_t* b, const uint8_t* c, int n, uint16_t* sums);
  // One row of the sharpening of 4-byte pixels: for the pixels 1 .. n / 4 - 2 and every byte
  // i of them, out[i] = Clamp((17 x centre[i] - (sums[i - 4] + sums[i] + sums[i + 4])) >> 3),
  // the alpha byte then set to 255 (sums as columnSums of the rows above, at and below).
  // The first and last pixel of out are not written.
  void (*sharpenRow)(const uint8_t* centre, const uint16_t* sums, int n, uint8_t* out);
  // n bytes of 3-byte pixels: v = the byte shifted by its channel's add and sub; with an
  // overlay, out = (overlay x alpha + v x (255 - alpha)) / 255, else out = v. in and out
  // may be the same.
  void (*finishRow)(const uint8_t* in, const uint8_t* overlay, int n, const FinishParams& p, uint8_t* out);
  // out = in with the first and third byte of each of the count 3-byte pixels swapped.
  void (*swapRedBlue)(const uint8_t* in, int count, uint8_t* out);
};

// The portable set, the AVX2 set when the processor has it, and the one in use.
KernelChoice<TileKernels>& TileKernelChoice();
// The AVX2 versions, or nullptr when the processor lacks AVX2 (a probe of the choice).
const TileKernels* Avx2TileKernels();

}  // namespace qv
