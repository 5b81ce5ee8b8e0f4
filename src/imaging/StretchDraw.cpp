#include "imaging/StretchDraw.h"

#include <algorithm>
#include <vector>

namespace qv {

void StretchDraw(Bitmap24& dst, const Rect& target, const Bitmap24& src) {
  const int tw = target.Right - target.Left, th = target.Bottom - target.Top;
  if (tw <= 0 || th <= 0 || src.Empty() || dst.Empty()) return;
  const int x0 = std::max(target.Left, 0), x1 = std::min(target.Right, dst.Width());
  const int y0 = std::max(target.Top, 0), y1 = std::min(target.Bottom, dst.Height());
  if (x0 >= x1 || y0 >= y1) return;
  std::vector<int> sx(size_t(x1 - x0));
  for (int x = x0; x < x1; ++x) sx[size_t(x - x0)] = int(int64_t(x - target.Left) * src.Width() / tw) * 3;
  for (int y = y0; y < y1; ++y) {
    const uint8_t* s = src.Row(int(int64_t(y - target.Top) * src.Height() / th));
    uint8_t* d = dst.Pixel(x0, y);
    for (size_t i = 0; i < sx.size(); ++i, d += 3) {
      d[0] = s[sx[i]];
      d[1] = s[sx[i] + 1];
      d[2] = s[sx[i] + 2];
    }
  }
}

void DrawLine1(Bitmap24& dst, int x0, int y0, int x1, int y1, uint8_t b, uint8_t g, uint8_t r) {
  auto put = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= dst.Width() || y >= dst.Height()) return;
    uint8_t* p = dst.Pixel(x, y);
    p[0] = b;
    p[1] = g;
    p[2] = r;
  };
  if (y0 == y1) {
    const int step = x1 >= x0 ? 1 : -1;
    for (int x = x0; x != x1; x += step) put(x, y0);
  } else if (x0 == x1) {
    const int step = y1 >= y0 ? 1 : -1;
    for (int y = y0; y != y1; y += step) put(x0, y);
  }
}

}  // namespace qv
