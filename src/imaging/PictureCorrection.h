#pragma once
// Contrast, brightness, saturation and blur/sharpen on a Bitmap24, in place.
// channel: 0 blue, green and red; 1 red only; 2 green only; 3 blue only.
#include "raster/Bitmap24.h"

namespace qv {

void ApplyContrast(Bitmap24& bmp, int c, int channel);    // c in -255..255
void ApplyBrightness(Bitmap24& bmp, int b, int channel);  // b in -255..255
void ApplySaturation(Bitmap24& bmp, int s, int channel);  // s in 0..510, 256 neutral
void ApplySharpen(Bitmap24& bmp, int a, int channel);     // a in -10..10: below 0 blurs, above sharpens

}  // namespace qv
