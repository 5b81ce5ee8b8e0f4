#include "raster/Resample.h"

#include <algorithm>

#include "base/Errors.h"
#include "raster/ResampleCore.h"

namespace qv {

namespace {

using PixelsFn = void (*)(const PixelsIn&, int, int, int, float, const Rect&, const PixelsOut&);

Bitmap24 ResampleBitmap(PixelsFn fn, const Bitmap24& src, int width, int height, int filter, float radius) {
  if (src.Width() < 1 || src.Height() < 1) throw EPictureError("Source bitmap too small");
  Bitmap24 out(std::max(width, 0), std::max(height, 0));
  if (out.Empty()) return out;
  fn(PixelsIn{src.Row(0), src.Stride(), src.Width(), src.Height(), 3}, width, height, filter, radius,
     Rect{0, 0, width, height}, PixelsOut{out.Row(0), out.Stride()});
  return out;
}

}  // namespace

Bitmap24 Resample(const Bitmap24& src, int width, int height, int filter, float radius) {
  return ResampleBitmap(ResamplePixels, src, width, height, filter, radius);
}

Bitmap24 ResampleReference(const Bitmap24& src, int width, int height, int filter, float radius) {
  return ResampleBitmap(ResamplePixelsReference, src, width, height, filter, radius);
}

}  // namespace qv
