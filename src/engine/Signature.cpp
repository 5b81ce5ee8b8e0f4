#include "engine/Signature.h"

#include <algorithm>
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

// The rows of RgbToYcc's matrix (applied to curve values), and its inverse.
using Matrix3 = std::array<std::array<double, 3>, 3>;
constexpr Matrix3 kToYcc = {{{0.299, 0.587, 0.114}, {-0.1687, -0.3313, 0.5}, {0.5, -0.4187, -0.0813}}};

Matrix3 Inverse(const Matrix3& m) {
  Matrix3 r{};
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      // Cofactor of m[j][i] over the determinant.
      const int r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3, c1 = (i + 2) % 3;
      r[i][j] = (m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0]) / det;
    }
  return r;
}

// The channel value whose lightness curve value lies nearest v (the curve rises strictly).
uint8_t InverseLightness(double v) {
  const auto& f = CurveTable();
  const auto above = std::lower_bound(f.begin(), f.end(), v);
  if (above == f.begin()) return 0;
  if (above == f.end()) return 255;
  const auto below = above - 1;
  return static_cast<uint8_t>((v - *below <= *above - v ? below : above) - f.begin());
}

}  // namespace

double LightnessCurve(int c) { return c <= 0 ? 0.0 : CurveTable()[c > 255 ? 255 : c]; }

void RgbToYcc(uint8_t r, uint8_t g, uint8_t b, uint8_t out[3]) {
  const auto& f = CurveTable();
  const double fr = f[r], fg = f[g], fb = f[b];
  out[0] = RoundClamp(0.299 * fr + 0.587 * fg + 0.114 * fb);
  out[1] = RoundClamp(-0.1687 * fr - 0.3313 * fg + 0.5 * fb + 128);
  out[2] = RoundClamp(0.5 * fr - 0.4187 * fg - 0.0813 * fb + 128);
}

void YccToRgb(const uint8_t ycc[3], uint8_t& r, uint8_t& g, uint8_t& b) {
  static const Matrix3 toCurve = Inverse(kToYcc);
  const double in[3] = {double(ycc[0]), ycc[1] - 128.0, ycc[2] - 128.0};
  uint8_t out[3];
  for (int i = 0; i < 3; ++i)
    out[i] = InverseLightness(toCurve[i][0] * in[0] + toCurve[i][1] * in[1] + toCurve[i][2] * in[2]);
  r = out[0];
  g = out[1];
  b = out[2];
}

void SignaturePixels(const uint8_t* sig, int colorSystem, Bitmap24& bmp) {
  for (int y = 0; y < bmp.Height(); ++y) {
    uint8_t* p = bmp.Row(y);
    for (int x = 0; x < bmp.Width(); ++x, p += 3, sig += 3) {
      if (colorSystem == kColorYCC) {
        YccToRgb(sig, p[2], p[1], p[0]);
      } else {
        p[0] = sig[0];
        p[1] = sig[1];
        p[2] = sig[2];
      }
    }
  }
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
