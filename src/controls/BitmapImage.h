#pragma once
// Bitmap24 (blue, green, red rows padded to 4 bytes) to and from QImage, for showing the
// core's pictures in windows.
#include <QImage>

#include "raster/Bitmap24.h"

namespace qv {

// An opaque QImage::Format_RGB32 copy (the fastest format to draw on the raster engine); a
// null QImage for an empty bitmap.
QImage ToQImage(const Bitmap24& bmp);
// A Bitmap24 copy of any QImage; alpha is dropped. Empty for a null image.
Bitmap24 ToBitmap24(const QImage& image);

}  // namespace qv
