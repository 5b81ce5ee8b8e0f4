#pragma once
// Plain stretching of a picture into a rectangle of another, nearest pixel, no filter: the
// layout previews of the output setup.
#include "base/Geometry.h"
#include "raster/Bitmap24.h"

namespace qv {

// Draws src stretched over target (right and bottom exclusive) of dst, clipped to dst.
// Target pixel x takes source column (x - Left) x srcW div targetW, and likewise for rows.
void StretchDraw(Bitmap24& dst, const Rect& target, const Bitmap24& src);

// A one-pixel line from (x0, y0) towards (x1, y1), the end point excluded, of a horizontal
// (y0 == y1) or vertical (x0 == x1) line, clipped. colour is blue, green, red.
void DrawLine1(Bitmap24& dst, int x0, int y0, int x1, int y1, uint8_t b, uint8_t g, uint8_t r);

}  // namespace qv
