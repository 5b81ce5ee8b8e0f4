#pragma once
// The resampler on raw interleaved pixels of any channel count, shared by the Bitmap24
// resampler and the scaled drawing of Bitmap32. Only a window of the target may be computed,
// so that scaled drawing into a clipped rectangle does not compute what stays invisible.
#include <cstddef>
#include <cstdint>

#include "base/Geometry.h"

namespace qv {

struct PixelsIn {
  const uint8_t* data;  // first pixel of the first row
  ptrdiff_t stride;     // bytes from one row to the next
  int width;
  int height;
  int channels;  // bytes per pixel, every byte one channel
};

struct PixelsOut {
  uint8_t* data;  // where target pixel (window.Left, window.Top) goes
  ptrdiff_t stride;
};

// Resamples src to a dstWidth x dstHeight picture and writes the part inside window (target
// coordinates, 0 <= Left < Right <= dstWidth, 0 <= Top < Bottom <= dstHeight) to out, with
// out's channel count equal to src's. The source must be at least 1 x 1.
void ResamplePixelsReference(const PixelsIn& src, int dstWidth, int dstHeight, int filter, float radius,
                             const Rect& window, const PixelsOut& out);
// The same result, computed fast.
void ResamplePixels(const PixelsIn& src, int dstWidth, int dstHeight, int filter, float radius, const Rect& window,
                    const PixelsOut& out);

}  // namespace qv
