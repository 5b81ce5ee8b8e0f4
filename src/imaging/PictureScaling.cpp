#include "imaging/PictureScaling.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace qv {

Bitmap24 StretchCopy(const Bitmap24& picture, const Rect& src, int width, int height) {
  Bitmap24 out;
  if (picture.Empty() || width <= 0 || height <= 0 || src.Width() == 0 || src.Height() == 0) return out;
  out.SetSize(width, height);
  // Source column of every target column, sampled at the target pixel's centre.
  std::vector<int> columns(size_t(width), -1);
  for (int x = 0; x < width; ++x) {
    const int sx = src.Left + int((int64_t(2 * x + 1) * src.Width()) / (2 * int64_t(width)));
    if (sx >= 0 && sx < picture.Width()) columns[size_t(x)] = sx;
  }
  for (int y = 0; y < height; ++y) {
    const int sy = src.Top + int((int64_t(2 * y + 1) * src.Height()) / (2 * int64_t(height)));
    if (sy < 0 || sy >= picture.Height()) continue;
    const uint8_t* s = picture.Row(sy);
    uint8_t* d = out.Row(y);
    for (int x = 0; x < width; ++x, d += 3) {
      const int sx = columns[size_t(x)];
      if (sx < 0) continue;
      std::memcpy(d, s + sx * 3, 3);
    }
  }
  return out;
}

Bitmap24 CutCopy(const Bitmap24& picture, const Rect& src) {
  Bitmap24 out;
  if (src.Width() <= 0 || src.Height() <= 0) return out;
  out.SetSize(src.Width(), src.Height());
  out.Draw(picture, -src.Left, -src.Top);
  return out;
}

int ReductionFactor(int width, int height, int maxSide) {
  const int side = std::max(width, height);
  if (maxSide <= 0 || side <= maxSide) return 1;
  return (side + maxSide - 1) / maxSide;
}

Bitmap24 ReduceRegion(const Bitmap24& picture, const Rect& src, int factor) {
  const int left = std::clamp(src.Left, 0, picture.Width()), top = std::clamp(src.Top, 0, picture.Height());
  const int right = std::clamp(src.Right, left, picture.Width()),
            bottom = std::clamp(src.Bottom, top, picture.Height());
  const int width = right - left, height = bottom - top;
  if (width <= 0 || height <= 0) return {};
  const int f = std::max(factor, 1);
  const int w = std::max(1, width / f), h = std::max(1, height / f);
  Bitmap24 out;
  out.Reshape(w, h);
  std::vector<uint32_t> sum(size_t(w) * 3);
  for (int y = 0; y < h; ++y) {
    std::fill(sum.begin(), sum.end(), 0u);
    const int y0 = top + y * f, y1 = std::min(bottom, y0 + f);
    for (int sy = y0; sy < y1; ++sy) {
      const uint8_t* s = picture.Pixel(left, sy);
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = s + size_t(x) * f * 3;
        const int n = std::min(f, width - x * f);
        uint32_t b = 0, g = 0, r = 0;
        for (int k = 0; k < n; ++k, p += 3) b += p[0], g += p[1], r += p[2];
        sum[size_t(x) * 3] += b;
        sum[size_t(x) * 3 + 1] += g;
        sum[size_t(x) * 3 + 2] += r;
      }
    }
    uint8_t* d = out.Row(y);
    for (int x = 0; x < w; ++x) {
      const uint32_t n = uint32_t(y1 - y0) * uint32_t(std::min(f, width - x * f));
      for (int c = 0; c < 3; ++c) d[x * 3 + c] = uint8_t(sum[size_t(x) * 3 + c] / n);
    }
  }
  return out;
}

Bitmap24 ReduceToFit(const Bitmap24& picture, int maxSide) {
  const int f = ReductionFactor(picture.Width(), picture.Height(), maxSide);
  if (f == 1) return picture;
  return ReduceRegion(picture, {0, 0, picture.Width(), picture.Height()}, f);
}

}  // namespace qv
