#pragma once
// A heat map of values on a grid of cells: one colour per cell on a ramp from dark blue (low)
// through teal, green and yellow to red (high), for a picture of how a measure spreads over a
// mosaic.
#include <cstdint>
#include <vector>

#include "raster/Bitmap24.h"

namespace qv {

struct TRgb {
  uint8_t R = 0, G = 0, B = 0;
  bool operator==(const TRgb&) const = default;
};

// The ramp's colour at t, 0 (low) to 1 (high); t outside is taken as its end.
TRgb HeatColor(double t);

// Colour of a cell that has no value.
constexpr TRgb kHeatNoValue{128, 128, 128};

// Side of a heat map's square cell in pixels for a grid of cols x rows: the longer side of the
// picture near 1000 pixels, cells from 2 to 32 pixels.
int HeatMapCellPixels(int32_t cols, int32_t rows);

// A picture of cols x rows cells of cellPixels each; cell (c, r) takes the colour of
// values[r x cols + c] / top (1 and above the ramp's end), or kHeatNoValue for a negative
// value. top <= 0 makes every value low. Throws EQuivara when values does not hold one value
// per cell or the picture would be unreasonably large.
Bitmap24 HeatMapPicture(const std::vector<double>& values, int32_t cols, int32_t rows, int cellPixels, double top);

}  // namespace qv
