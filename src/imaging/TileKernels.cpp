#include "imaging/TileKernels.h"

#include <algorithm>

#include "imaging/RasterUtils.h"

namespace qv {

namespace {

void ColumnSumsPortable(const uint8_t* a, const uint8_t* b, const uint8_t* c, int n, uint16_t* sums) {
  for (int i = 0; i < n; ++i) sums[i] = uint16_t(a[i] + b[i] + c[i]);
}

void SharpenRowPortable(const uint8_t* centre, const uint16_t* sums, int n, uint8_t* out) {
  for (int i = 4; i < n - 4; i += 4) {
    for (int k = i; k < i + 3; ++k) {
      const int s = 17 * centre[k] - (sums[k - 4] + sums[k] + sums[k + 4]);
      out[k] = ClampByte(s >> 3);
    }
    out[i + 3] = 255;
  }
}

void FinishRowPortable(const uint8_t* in, const uint8_t* overlay, int n, const FinishParams& p, uint8_t* out) {
  const int a = p.alpha, na = 255 - p.alpha;
  for (int i = 0; i + 3 <= n; i += 3)
    for (int ch = 0; ch < 3; ++ch) {
      const int v = std::max(std::min(in[i + ch] + p.add[ch], 255) - p.sub[ch], 0);
      out[i + ch] = overlay ? uint8_t((overlay[i + ch] * a + v * na) / 255) : uint8_t(v);
    }
}

void SwapRedBluePortable(const uint8_t* in, int count, uint8_t* out) {
  for (int i = 0; i < count; ++i, in += 3, out += 3) {
    const uint8_t b = in[0];
    out[0] = in[2];
    out[1] = in[1];
    out[2] = b;
  }
}

const TileKernels kPortable{"portable", ColumnSumsPortable, SharpenRowPortable, FinishRowPortable, SwapRedBluePortable};

}  // namespace

FinishParams MakeFinishParams(const int d[3], int alpha) {
  FinishParams p;
  for (int k = 0; k < int(sizeof p.add); ++k) {
    p.add[k] = uint8_t(std::clamp(d[k % 3], 0, 255));
    p.sub[k] = uint8_t(std::clamp(-d[k % 3], 0, 255));
  }
  p.alpha = std::clamp(alpha, 0, 255);
  return p;
}

KernelChoice<TileKernels>& TileKernelChoice() {
  static KernelChoice<TileKernels> choice(kPortable, {Avx2TileKernels});
  return choice;
}

}  // namespace qv
