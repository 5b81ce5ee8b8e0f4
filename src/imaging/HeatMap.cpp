#include "imaging/HeatMap.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/Errors.h"
#include "base/Rounding.h"

namespace qv {

TRgb HeatColor(double t) {
  // Stops evenly spaced over 0..1; between them the colour is mixed linearly. Lightness
  // rises from the first stop to the yellow one, so the ramp reads in grey too, and red
  // marks the worst.
  static constexpr std::array<TRgb, 6> kStops{{
      {20, 20, 110},   // dark blue
      {30, 100, 180},  // blue
      {30, 160, 150},  // teal
      {110, 200, 60},  // green
      {250, 220, 40},  // yellow
      {220, 40, 30},   // red
  }};
  if (!(t > 0)) return kStops.front();  // also NaN
  if (t >= 1) return kStops.back();
  const double pos = t * double(kStops.size() - 1);
  const size_t i = size_t(pos);
  const double f = pos - double(i);
  auto mix = [f](uint8_t a, uint8_t b) { return uint8_t(RoundHalfEven(a + (double(b) - a) * f)); };
  const TRgb &a = kStops[i], &b = kStops[i + 1];
  return {mix(a.R, b.R), mix(a.G, b.G), mix(a.B, b.B)};
}

int HeatMapCellPixels(int32_t cols, int32_t rows) {
  const int32_t side = std::max({cols, rows, int32_t(1)});
  return std::clamp(int(1000 / side), 2, 32);
}

Bitmap24 HeatMapPicture(const std::vector<double>& values, int32_t cols, int32_t rows, int cellPixels, double top) {
  if (cols < 1 || rows < 1 || values.size() != size_t(cols) * size_t(rows))
    throw EQuivara("A heat map needs one value for each of its cells");
  if (cellPixels < 1 || int64_t(cols) * cellPixels > 30000 || int64_t(rows) * cellPixels > 30000)
    throw EQuivara("A heat map of " + std::to_string(cols) + " x " + std::to_string(rows) + " cells of " +
                   std::to_string(cellPixels) + " pixels is too large");
  Bitmap24 map;
  map.Reshape(cols * cellPixels, rows * cellPixels);
  for (int32_t r = 0; r < rows; ++r) {
    uint8_t* first = map.Row(r * cellPixels);
    for (int32_t c = 0; c < cols; ++c) {
      const double v = values[size_t(r) * size_t(cols) + size_t(c)];
      const TRgb rgb = v < 0 ? kHeatNoValue : HeatColor(top > 0 ? v / top : 0.0);
      uint8_t* p = first + size_t(c) * size_t(cellPixels) * 3;
      for (int x = 0; x < cellPixels; ++x, p += 3) {
        p[0] = rgb.B;
        p[1] = rgb.G;
        p[2] = rgb.R;
      }
    }
    for (int y = 1; y < cellPixels; ++y) std::copy_n(first, size_t(map.Width()) * 3, map.Row(r * cellPixels + y));
  }
  return map;
}

}  // namespace qv
