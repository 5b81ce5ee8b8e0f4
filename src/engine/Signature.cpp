#include "engine/Signature.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "base/Rounding.h"
#include "imaging/RasterUtils.h"

namespace qv {

namespace {

const std::array<double, 256>& CurveTable() {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> t{};
    for (int c = 1; c < 256; ++c) t[c] = (116.0 * std::cbrt(c / 255.0) - 16.0) / 100.0 * 255.0;
    return t;
  }();
  return table;
}

inline uint8_t RoundClamp(double v) { return ClampByte(RoundHalfEven(v)); }

}  // namespace

double LightnessCurve(int c) { return c <= 0 ? 0.0 : CurveTable()[c > 255 ? 255 : c]; }

void RgbToYcc(uint8_t r, uint8_t g, uint8_t b, uint8_t out[3]) {
  const auto& f = CurveTable();
  const double fr = f[r], fg = f[g], fb = f[b];
  out[0] = RoundClamp(0.299 * fr + 0.587 * fg + 0.114 * fb);
  out[1] = RoundClamp(-0.1687 * fr - 0.3313 * fg + 0.5 * fb + 128);
  out[2] = RoundClamp(0.5 * fr - 0.4187 * fg - 0.0813 * fb + 128);
}

SignatureBytes SignatureOf(const Bitmap24& bmp, int colorSystem) {
  SignatureBytes sig;
  if (colorSystem != kColorYCC && colorSystem != kColorRGB && colorSystem != kColorY) return sig;
  sig.resize(static_cast<size_t>(bmp.Width()) * bmp.Height() * 3);
  uint8_t* out = sig.data();
  for (int y = 0; y < bmp.Height(); ++y) {
    const uint8_t* p = bmp.Row(y);
    for (int x = 0; x < bmp.Width(); ++x, p += 3, out += 3) {
      if (colorSystem == kColorYCC) {
        RgbToYcc(p[2], p[1], p[0], out);
      } else {
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
      }
    }
  }
  return sig;
}

SignatureBytes ConvertRgbToYcc(const uint8_t* src, int length) {
  const int cells = length > 0 ? length / 3 : 0;
  SignatureBytes out(static_cast<size_t>(cells) * 3);
  for (int c = 0; c < cells; ++c) RgbToYcc(src[c * 3 + 2], src[c * 3 + 1], src[c * 3], out.data() + c * 3);
  return out;
}

void DrawSignature(const uint8_t* sig, int colorSystem, Bitmap24& bmp) {
  if (colorSystem != kColorYCC && colorSystem != kColorRGB) return;
  for (int y = 0; y < bmp.Height(); ++y) {
    uint8_t* p = bmp.Row(y);
    for (int x = 0; x < bmp.Width(); ++x, p += 3, sig += 3) {
      if (colorSystem == kColorRGB) {
        p[0] = sig[0];
        p[1] = sig[1];
        p[2] = sig[2];
        continue;
      }
      const double luma = sig[0], cb = sig[1] - 128.0, cr = sig[2] - 128.0;
      p[0] = RoundClamp(luma + 1.772 * cb);
      p[1] = RoundClamp(luma - 0.344136 * cb - 0.714136 * cr);
      p[2] = RoundClamp(luma + 1.402 * cr);
    }
  }
}

double SignatureDistance(const uint8_t* a, const uint8_t* b, int n) {
  return static_cast<double>(SignatureDistanceInt(a, b, n));
}

double DetailOf(const uint8_t* s, int n) {
  if (n <= 0) return 0.0;
  const int cells = n / 3;
  int64_t total = 0;
  for (int j = 0; j < 3; ++j) {
    int64_t d = 0;
    for (int c = 0; c + 1 < cells; ++c) d += std::abs(int(s[3 * c + j]) - int(s[3 * c + 3 + j]));
    // Round(d / n), halves to even, in integers.
    int64_t q = d / n;
    const int64_t twiceRest = 2 * (d % n);
    if (twiceRest > n || (twiceRest == n && (q & 1))) ++q;
    total += q;
  }
  return static_cast<double>(total);
}

}  // namespace qv
