#include "imaging/TileOps.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "base/Rounding.h"
#include "codecs/JpegCodec.h"
#include "codecs/PictureLoader.h"
#include "imaging/RasterUtils.h"
#include "imaging/TileKernels.h"
#include "raster/Resample.h"
#include "raster/ResampleCore.h"

namespace qv {

const int SharpenKernel[9] = {-1, -1, -1, -1, 16, -1, -1, -1, -1};

namespace {

// Draws src over the whole of dst with src's filter and mode; a picture of dst's own size
// is put down pixel for pixel.
void DrawOverWhole(Bitmap32& dst, const Bitmap32& src) {
  if (src.Width() == dst.Width() && src.Height() == dst.Height())
    dst.Draw(0, 0, src);
  else
    dst.DrawStretched(src);
}

// A width x height opaque black picture.
void MakeBlack(Bitmap32& result, int width, int height) { result.SetSize(std::max(width, 0), std::max(height, 0)); }

// Steps 1-3 of CropFlipResample on a picture already in memory.
void CutScaleMirror(const Bitmap32& source, int x1, int y1, int x2, int y2, int width, int height, Bitmap32& result) {
  const int left = std::min(x1, x2), top = std::min(y1, y2);
  const int w = std::abs(x2 - x1), h = std::abs(y2 - y1);
  Bitmap32 region(w, h);  // black where the region leaves the source
  if (w > 0 && h > 0) region.Draw(-left, -top, source);
  region.SetFilter(StretchFilter::Mitchell);
  MakeBlack(result, width, height);
  if (result.Empty()) return;
  if (w > 0 && h > 0) DrawOverWhole(result, region);
  const bool mirrorX = x2 < x1, mirrorY = y2 < y1;
  if (mirrorY) result.FlipVert();
  if (mirrorX) result.FlipHorz();
}

bool IsJpegName(const std::string& fileName) {
  const std::string ext = UpperCaseAscii(ExtractFileExt(fileName));
  return ext == ".JPG" || ext == ".JPEG";
}

inline void Sharpen(Bitmap32& bmp) { Convolve3x3(bmp, SharpenKernel, kSharpenDivisor); }

}  // namespace

void Convolve3x3Reference(Bitmap32& bmp, const int kernel[9], int divisor) {
  const int w = bmp.Width(), h = bmp.Height();
  if (w < 3 || h < 3 || divisor == 0) return;
  const Bitmap32 src = bmp;
  for (int y = 1; y < h - 1; ++y) {
    const uint32_t* rows[3] = {src.Row(y - 1), src.Row(y), src.Row(y + 1)};
    uint32_t* out = bmp.Row(y);
    for (int x = 1; x < w - 1; ++x) {
      int sr = 0, sg = 0, sb = 0;
      for (int ky = 0; ky < 3; ++ky)
        for (int kx = 0; kx < 3; ++kx) {
          const uint32_t p = rows[ky][x - 1 + kx];
          const int k = kernel[ky * 3 + kx];
          sr += k * RedOf(p);
          sg += k * GreenOf(p);
          sb += k * BlueOf(p);
        }
      out[x] = MakeColor32(ClampByte(sr / divisor), ClampByte(sg / divisor), ClampByte(sb / divisor));
    }
  }
}

namespace {

// Convolve3x3 with SharpenKernel: 16 c - (the eight neighbours) = 17 c - (the nine-pixel sum),
// the nine-pixel sum taken from the column sums of three rows.
void SharpenFast(Bitmap32& bmp) {
  const int w = bmp.Width(), h = bmp.Height();
  if (w < 3 || h < 3) return;
  const TileKernels& k = TileKernelChoice().Active();
  const int n = w * 4;
  // The unfiltered row above, the column sums of the three rows and the filtered row, per
  // thread; the filtered row goes into place once the next row no longer needs the original.
  thread_local std::vector<uint8_t> above, out;
  thread_local std::vector<uint16_t> sums;
  above.resize(size_t(n));
  out.resize(size_t(n));
  sums.resize(size_t(n));
  std::memcpy(above.data(), bmp.Row(0), size_t(n));
  for (int y = 1; y < h - 1; ++y) {
    uint8_t* row = reinterpret_cast<uint8_t*>(bmp.Row(y));
    k.columnSums(above.data(), row, reinterpret_cast<const uint8_t*>(bmp.Row(y + 1)), n, sums.data());
    k.sharpenRow(row, sums.data(), n, out.data());
    std::memcpy(above.data(), row, size_t(n));
    std::memcpy(row + 4, out.data() + 4, size_t(n - 8));
  }
}

bool IsSharpenKernel(const int kernel[9], int divisor) {
  return divisor == kSharpenDivisor && std::equal(kernel, kernel + 9, SharpenKernel);
}

}  // namespace

void Convolve3x3(Bitmap32& bmp, const int kernel[9], int divisor) {
  if (IsSharpenKernel(kernel, divisor))
    SharpenFast(bmp);
  else
    Convolve3x3Reference(bmp, kernel, divisor);
}

namespace {

// ChannelRms over pixels reached by Pixel(x, y) -> (r, g, b).
template <typename Picture, typename Pixel>
uint32_t RmsOf(const Picture& bmp, Pixel pixel) {
  if (bmp.Empty()) return MakeColor32(0, 0, 0);
  uint64_t sr = 0, sg = 0, sb = 0;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) {
      uint32_t r, g, b;
      pixel(bmp, x, y, r, g, b);
      sr += r * r;
      sg += g * g;
      sb += b * b;
    }
  const double n = double(bmp.Width()) * double(bmp.Height());
  auto level = [n](uint64_t s) { return ClampByte(RoundHalfEven(std::sqrt(double(s) / n))); };
  return MakeColor32(level(sr), level(sg), level(sb));
}

}  // namespace

uint32_t ChannelRms(const Bitmap32& bmp) {
  return RmsOf(bmp, [](const Bitmap32& b, int x, int y, uint32_t& r, uint32_t& g, uint32_t& bl) {
    const uint32_t p = b.Row(y)[x];
    r = RedOf(p);
    g = GreenOf(p);
    bl = BlueOf(p);
  });
}

uint32_t ChannelRms(const Bitmap24& bmp) {
  return RmsOf(bmp, [](const Bitmap24& b, int x, int y, uint32_t& r, uint32_t& g, uint32_t& bl) {
    const uint8_t* p = b.Row(y) + x * 3;
    bl = p[0];
    g = p[1];
    r = p[2];
  });
}

void ShiftChannels(Bitmap32& bmp, int dR, int dG, int dB) {
  uint8_t lr[256], lg[256], lb[256];
  for (int v = 0; v < 256; ++v) {
    lr[v] = ClampByte(v + dR);
    lg[v] = ClampByte(v + dG);
    lb[v] = ClampByte(v + dB);
  }
  for (int y = 0; y < bmp.Height(); ++y) {
    uint32_t* row = bmp.Row(y);
    for (int x = 0; x < bmp.Width(); ++x)
      row[x] = MakeColor32(lr[RedOf(row[x])], lg[GreenOf(row[x])], lb[BlueOf(row[x])]);
  }
}

namespace {

struct ChannelShift {
  int r, g, b;
};

// Round((r - t) / 100 x percent) per channel for the levels r (reference) and t (target).
ChannelShift CorrectionShift(uint32_t r, uint32_t t, int percent) {
  auto shift = [percent](int rv, int tv) { return RoundHalfEven(double(rv - tv) / 100.0 * percent); };
  return {shift(RedOf(r), RedOf(t)), shift(GreenOf(r), GreenOf(t)), shift(BlueOf(r), BlueOf(t))};
}

}  // namespace

void ColourCorrectToward(const Bitmap32& reference, Bitmap32& target, int percent) {
  if (percent == 0 || target.Empty()) return;
  const ChannelShift d = CorrectionShift(ChannelRms(reference), ChannelRms(target), percent);
  ShiftChannels(target, d.r, d.g, d.b);
}

void CropFlipResample(const Bitmap32& source, int x1, int y1, int x2, int y2, int width, int height, Bitmap32& result) {
  CutScaleMirror(source, x1, y1, x2, y2, width, height, result);
}

double RegionDivisor(int c1, int c2, int pictureSide) {
  if (pictureSide <= 0) return 0;
  const double span = std::abs(c2 - c1);
  return span * span / pictureSide;
}

void LoadPictureRegion(const std::string& fileName, int x1, int y1, int x2, int y2, double divisorX, double divisorY,
                       int width, int height, bool fastJpeg, Bitmap32& result) {
  Bitmap24 picture;
  try {
    if (!FileExists(fileName)) {
      // nothing to load: black below
    } else if (fastJpeg && IsJpegName(fileName)) {
      const int64_t wantW = divisorX > 0 ? RoundHalfEven64(width / divisorX * std::abs(x2 - x1)) : 0;
      const int64_t wantH = divisorY > 0 ? RoundHalfEven64(height / divisorY * std::abs(y2 - y1)) : 0;
      int scale = 0;
      if (wantW > 0 && wantH > 0 && wantW < INT32_MAX && wantH < INT32_MAX)
        scale = ChooseJpegScale(fileName, int(wantW), int(wantH)).Scale;
      int used = 0;
      picture = DecodeJpegFile(fileName, scale, &used);
      if (used > 0) {
        const double n = double(1 << used);
        x1 = RoundHalfEven(x1 / n);
        y1 = RoundHalfEven(y1 / n);
        x2 = RoundHalfEven(x2 / n);
        y2 = RoundHalfEven(y2 / n);
      }
    } else if (UpperCaseAscii(ExtractFileExt(fileName)) == ".ICO") {
      picture = IconFileToBitmap(fileName);
    } else {
      picture = LoadPicture24(fileName);
    }
  } catch (const std::exception&) {
    picture = Bitmap24();  // a picture that does not load gives black
  }
  if (picture.Empty()) {
    MakeBlack(result, width, height);
    return;
  }
  Bitmap32 decoded;
  decoded.CopyFrom(picture);
  picture = Bitmap24();
  CutScaleMirror(decoded, x1, y1, x2, y2, width, height, result);
}

Bitmap24 FillCellFromPicture(const Bitmap32& source, int x1, int y1, int x2, int y2, double, double, int width,
                             int height, bool, bool sharpen) {
  Bitmap32 cell;
  CropFlipResample(source, x1, y1, x2, y2, width, height, cell);
  if (sharpen) Sharpen(cell);
  return cell.ToBitmap24();
}

Bitmap24 FillCellFromPicture(const std::string& fileName, int x1, int y1, int x2, int y2, double divisorX,
                             double divisorY, int width, int height, bool fastJpeg, bool sharpen) {
  Bitmap32 cell;
  LoadPictureRegion(fileName, x1, y1, x2, y2, divisorX, divisorY, width, height, fastJpeg, cell);
  if (sharpen) Sharpen(cell);
  return cell.ToBitmap24();
}

void ScaleTileToCell(const Bitmap32& tile, int width, int height, bool sharpen, Bitmap32& cell) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (tile.Empty() || width == 0 || height == 0) {
    cell.SetSize(width, height);
  } else if (tile.Width() == width && tile.Height() == height) {
    cell.Reshape(width, height);
    std::memcpy(cell.Data(), tile.Data(), size_t(width) * height * 4);
  } else {  // the Mitchell filter straight into the cell, which it covers in full
    cell.Reshape(width, height);
    ResamplePixels(PixelsIn{reinterpret_cast<const uint8_t*>(tile.Data()), ptrdiff_t(tile.Width()) * 4, tile.Width(),
                            tile.Height(), 4},
                   width, height, kFilterMitchell, 0, Rect{0, 0, width, height},
                   PixelsOut{reinterpret_cast<uint8_t*>(cell.Data()), ptrdiff_t(width) * 4});
  }
  cell.SetFilter(StretchFilter::Nearest);
  cell.SetMode(DrawMode::Opaque);
  if (sharpen) Sharpen(cell);
}

Bitmap32 ScaleTileToCell(const Bitmap32& tile, int width, int height, bool sharpen) {
  Bitmap32 cell;
  ScaleTileToCell(tile, width, height, sharpen, cell);
  return cell;
}

void MakeScaledTile(const Bitmap32& tile, int width, int height, bool sharpen, ScaledTile& result) {
  thread_local Bitmap32 cell;
  ScaleTileToCell(tile, width, height, sharpen, cell);
  result.Level = ChannelRms(cell);
  cell.ToBitmap24(result.Picture);
}

namespace {

// The overlay of a cell at the cell's size (bytes blue, green, red): the detailed source
// region or sourceCell, stretched with the Mitchell filter when its size differs. nullptr
// when there is none. The pictures it returns are kept per thread until the next call.
const Bitmap24* CellOverlay(const Bitmap24& sourceCell, const ComposeCellParams& p, int width, int height) {
  thread_local Bitmap32 detail32;
  thread_local Bitmap24 detail, scaled;
  const Bitmap24* overlay = &sourceCell;
  if (p.Detailed && p.FullSource && !p.FullSource->Empty()) {
    CropFlipResample(*p.FullSource, p.X1, p.Y1, p.X2, p.Y2, p.DetailWidth, p.DetailHeight, detail32);
    detail32.ToBitmap24(detail);
    overlay = &detail;
  }
  if (overlay->Empty()) return nullptr;
  if (overlay->Width() == width && overlay->Height() == height) return overlay;
  // Channels are resampled independently, so the three of a Bitmap24 come out as the same
  // channels of the Bitmap32 the drawing would stretch.
  scaled.Reshape(width, height);
  ResamplePixels(PixelsIn{overlay->Row(0), overlay->Stride(), overlay->Width(), overlay->Height(), 3}, width, height,
                 kFilterMitchell, 0, Rect{0, 0, width, height}, PixelsOut{scaled.Row(0), scaled.Stride()});
  return &scaled;
}

}  // namespace

void FinishCell(const ScaledTile& tile, const Bitmap24& sourceCell, const ComposeCellParams& p, Bitmap24& out) {
  const Bitmap24& cell = tile.Picture;
  const int w = cell.Width(), h = cell.Height();
  out.Reshape(w, h);
  if (p.Percent + p.Alpha <= 0 || cell.Empty()) {
    for (int y = 0; y < h; ++y) std::memcpy(out.Row(y), cell.Row(y), size_t(w) * 3);
    return;
  }
  int bgr[3] = {0, 0, 0};
  if (p.Percent > 0) {
    const ChannelShift d = CorrectionShift(ChannelRms(sourceCell), tile.Level, p.Percent);
    bgr[0] = d.b;
    bgr[1] = d.g;
    bgr[2] = d.r;
  }
  const Bitmap24* overlay = p.Alpha > 0 ? CellOverlay(sourceCell, p, w, h) : nullptr;
  const FinishParams fp = MakeFinishParams(bgr, p.Alpha);
  const TileKernels& k = TileKernelChoice().Active();
  for (int y = 0; y < h; ++y) k.finishRow(cell.Row(y), overlay ? overlay->Row(y) : nullptr, w * 3, fp, out.Row(y));
}

void CorrectAndBlendCell(Bitmap32& cell, const Bitmap24& sourceCell, const ComposeCellParams& p) {
  if (p.Percent + p.Alpha <= 0 || cell.Empty()) return;
  if (p.Percent > 0) {
    Bitmap32 reference;
    reference.CopyFrom(sourceCell);
    ColourCorrectToward(reference, cell, p.Percent);
  }
  if (p.Alpha > 0) {
    Bitmap32 overlay;
    if (p.Detailed && p.FullSource && !p.FullSource->Empty())
      CropFlipResample(*p.FullSource, p.X1, p.Y1, p.X2, p.Y2, p.DetailWidth, p.DetailHeight, overlay);
    else
      overlay.CopyFrom(sourceCell);
    if (overlay.Empty()) return;
    overlay.SetAlpha(uint8_t(std::clamp(p.Alpha, 0, 255)));
    overlay.SetFilter(StretchFilter::Mitchell);
    overlay.SetMode(DrawMode::Blend);
    DrawOverWhole(cell, overlay);
  }
}

Bitmap24 ComposeCell(const Bitmap32& tile, const Bitmap24& sourceCell, const ComposeCellParams& p) {
  Bitmap32 cell = ScaleTileToCell(tile, p.Width, p.Height, p.Sharpen);
  CorrectAndBlendCell(cell, sourceCell, p);
  return cell.ToBitmap24();
}

Bitmap24 ComposeCell(const Bitmap24& tile, const Bitmap24& sourceCell, const ComposeCellParams& p) {
  Bitmap32 t;
  t.CopyFrom(tile);
  return ComposeCell(t, sourceCell, p);
}

void BlendOver(Bitmap24& picture, const Bitmap24& overlay, int alpha) {
  if (picture.Empty() || overlay.Empty()) return;
  Bitmap32 pic, over;
  pic.CopyFrom(picture);
  over.CopyFrom(overlay);
  over.SetFilter(StretchFilter::Linear);
  over.SetAlpha(uint8_t(std::clamp(alpha, 0, 255)));
  over.SetMode(DrawMode::Blend);
  DrawOverWhole(pic, over);
  pic.ToBitmap24(picture);
}

void BlockColourCorrect(Bitmap24& picture, const Bitmap24& source, Size cells, int percent) {
  const int w = source.Width(), h = source.Height();
  const int cellsX = cells.Width, cellsY = cells.Height;
  if (w <= 0 || h <= 0 || cellsX <= 0 || cellsY <= 0) return;
  const int nx = double(w) / cellsX > 4 ? cellsX : std::max(1, RoundHalfEven(w / 4.0));
  const int ny = double(h) / cellsY > 4 ? cellsY : std::max(1, RoundHalfEven(h / 4.0));
  const int bw = RoundHalfEven(double(w) / nx), bh = RoundHalfEven(double(h) / ny);
  if (bw <= 0 || bh <= 0) return;
  Bitmap32 pic, src;
  pic.CopyFrom(picture);
  src.CopyFrom(source);
  Bitmap32 a(bw, bh), b(bw, bh);
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i) {
      const int x = RoundHalfEven(double(w) / nx * i), y = RoundHalfEven(double(h) / ny * j);
      a.Fill(0xFF000000u);
      b.Fill(0xFF000000u);
      a.Draw(-x, -y, pic);
      b.Draw(-x, -y, src);
      ColourCorrectToward(b, a, percent);
      pic.Draw(x, y, a);
    }
  // Only the picture's own pixels go back; a picture larger than the source keeps the rest.
  Bitmap24 out = pic.ToBitmap24();
  picture = std::move(out);
}

Bitmap24 DrawEnhancedCell(const Bitmap24& tile, const Bitmap24& sourceCell, int alpha, int percent, int width,
                          int height) {
  Bitmap32 t, s;
  t.CopyFrom(tile);
  s.CopyFrom(sourceCell);
  ColourCorrectToward(s, t, percent);
  if (!t.Empty() && !s.Empty()) {
    s.SetFilter(StretchFilter::Mitchell);
    s.SetAlpha(uint8_t(std::clamp(alpha, 0, 255)));
    s.SetMode(DrawMode::Blend);
    DrawOverWhole(t, s);
  }
  Bitmap32 out(std::max(width, 0), std::max(height, 0));
  if (!t.Empty() && !out.Empty()) {
    t.SetFilter(StretchFilter::Nearest);
    t.SetMode(DrawMode::Opaque);
    out.DrawStretched(t);
  }
  return out.ToBitmap24();
}

}  // namespace qv
