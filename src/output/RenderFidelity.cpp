#include "output/RenderFidelity.h"

#include <algorithm>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/PictureLoader.h"
#include "imaging/PictureFidelity.h"
#include "imaging/PictureScaling.h"
#include "output/Renderer.h"
#include "raster/Resample.h"

namespace qv {

Bitmap24 RenderMosaicPicture(const RenderSource& source, const RenderSettings& settings,
                             const RenderCallbacks& callbacks) {
  RenderSettings st = settings;
  st.BorderLeft = st.BorderTop = st.BorderRight = st.BorderBottom = 0;
  st.GridWidth = 0;
  Bitmap24 picture(st.OutputWidth, st.OutputHeight);
  const RenderResult r = RenderCells(source, st, WholeGrid(source.GridCols, source.GridRows), callbacks,
                                     [&picture](const RenderedCell& cell) {
                                       if (cell.Drawn) picture.Draw(cell.Picture, cell.X, cell.Y);
                                     });
  return r.Stopped ? Bitmap24() : picture;
}

Bitmap24 FramedSourcePicture(const RenderSource& source, int32_t width, int32_t height) {
  if (!FileExists(source.SourceFileName)) throw EQuivara("Source picture not found: " + source.SourceFileName);
  const Bitmap24 whole = LoadPicture24(source.SourceFileName);
  const Rect& s = source.SourceRect;
  const Rect part{std::min(s.Left, s.Right), std::min(s.Top, s.Bottom), std::max(s.Left, s.Right),
                  std::max(s.Top, s.Bottom)};
  if (part.Left < 0 || part.Top < 0 || part.Right > whole.Width() || part.Bottom > whole.Height() ||
      part.Right <= part.Left || part.Bottom <= part.Top)
    throw EQuivara("The project's part of the source picture lies outside " + source.SourceFileName);
  return Resample(CutCopy(whole, part), width, height, kFilterMitchell);
}

TRenderFidelity MeasureRenderFidelity(const RenderSource& source, const RenderSettings& settings,
                                      const RenderCallbacks& callbacks) {
  TRenderFidelity f;
  // The source first: a missing picture is reported before the long render.
  const Bitmap24 framed = FramedSourcePicture(source, settings.OutputWidth, settings.OutputHeight);
  const Bitmap24 mosaic = RenderMosaicPicture(source, settings, callbacks);
  if (mosaic.Empty()) return f;
  f.Width = mosaic.Width();
  f.Height = mosaic.Height();
  f.Psnr = Psnr(mosaic, framed);
  f.Ssim = Ssim(mosaic, framed);
  f.CellMeanError = CellMeanError(mosaic, framed, source.GridCols, source.GridRows);
  return f;
}

}  // namespace qv
