#pragma once
// How close one picture is to another of the same size: the figures a fidelity report gives
// for a rendered mosaic against its source picture.
#include <cstdint>

#include "raster/Bitmap24.h"

namespace qv {

// Peak signal-to-noise ratio in dB over the three channels of every pixel:
// 10 log10(255^2 / MSE). Infinite for identical pictures. Throws EQuivara when the sizes differ
// or the pictures are empty.
double Psnr(const Bitmap24& a, const Bitmap24& b);

// Mean structural similarity of the pictures' luma (0.299 R + 0.587 G + 0.114 B), over every
// 8 x 8 window (stride 1, uniform weights) with the usual constants C1 = (0.01 x 255)^2 and
// C2 = (0.03 x 255)^2. 1 for identical pictures. A picture smaller than 8 pixels on a side is
// taken as one window. Throws EQuivara as Psnr does.
double Ssim(const Bitmap24& a, const Bitmap24& b);

// The mean absolute difference of the pictures' cell averages, per channel, over a grid of
// cols x rows cells whose boundaries lie at Round(width / cols x i) (and likewise down): how far
// each cell's colour, seen from afar, lies from the other picture's. Throws EQuivara as Psnr
// does, or when the grid has more cells than pixels.
double CellMeanError(const Bitmap24& a, const Bitmap24& b, int32_t cols, int32_t rows);

}  // namespace qv
