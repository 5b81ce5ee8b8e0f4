#pragma once
// The mosaic rendered in memory against its source picture: how close the pixels come.
#include <cstdint>

#include "output/RenderSettings.h"
#include "raster/Bitmap24.h"

namespace qv {

struct TRenderFidelity {
  int32_t Width = 0, Height = 0;  // of both pictures compared
  double Psnr = 0;                // dB, over R, G and B (PictureFidelity.h)
  double Ssim = 0;                // mean SSIM of the luma, 8 x 8 windows
  double CellMeanError = 0;       // mean absolute difference of the cells' average colours
};

// The whole grid rendered into memory with settings (no borders or grid lines are drawn;
// OutputWidth x OutputHeight is the picture's size). Empty when the run was stopped.
Bitmap24 RenderMosaicPicture(const RenderSource& source, const RenderSettings& settings,
                             const RenderCallbacks& callbacks);

// The part of the source picture the mosaic covers, resampled to width x height with the
// Mitchell filter. Throws EQuivara when the source picture file is missing or the covered part
// lies outside it, the picture loader's errors when it cannot be read.
Bitmap24 FramedSourcePicture(const RenderSource& source, int32_t width, int32_t height);

// Renders the mosaic at settings' output size and compares it with the framed source picture.
// Stopped: Width stays 0.
TRenderFidelity MeasureRenderFidelity(const RenderSource& source, const RenderSettings& settings,
                                      const RenderCallbacks& callbacks);

}  // namespace qv
