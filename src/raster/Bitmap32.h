#pragma once
// 32-bit picture: one word 0xAARRGGBB per pixel, rows top-down and unpadded. Pixels the
// program writes are opaque (alpha 255); alpha matters only when a bitmap is drawn in blend
// mode. Every bitmap carries two drawing attributes used when it is drawn into another:
// its stretch filter and its draw mode.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Geometry.h"
#include "raster/PixelStore.h"

namespace qv {

class Bitmap24;

enum class StretchFilter {
  Nearest,   // nearest neighbour (the default)
  Mitchell,  // the resampler's Mitchell filter
  Linear,    // a fast bilinear filter
};

enum class DrawMode {
  Opaque,  // drawn pixels replace the destination
  Blend,   // result = (src * a + dst * (255 - a)) / 255 per channel, a = the drawn pixel's alpha
};

constexpr uint32_t MakeColor32(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
  return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}
constexpr uint8_t RedOf(uint32_t c) { return uint8_t(c >> 16); }
constexpr uint8_t GreenOf(uint32_t c) { return uint8_t(c >> 8); }
constexpr uint8_t BlueOf(uint32_t c) { return uint8_t(c); }
constexpr uint8_t AlphaOf(uint32_t c) { return uint8_t(c >> 24); }

class Bitmap32 {
 public:
  Bitmap32() = default;
  Bitmap32(int width, int height) { SetSize(width, height); }

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }

  // New size; every pixel becomes opaque black (0xFF000000).
  void SetSize(int width, int height);
  // New size for pixels that the caller writes in full: the pixels are left undefined (a
  // bitmap that keeps its size keeps its pixels).
  void Reshape(int width, int height);
  void Fill(uint32_t color);

  uint32_t* Row(int y) { return data_.data() + static_cast<size_t>(y) * width_; }
  const uint32_t* Row(int y) const { return data_.data() + static_cast<size_t>(y) * width_; }
  uint32_t& At(int x, int y) { return Row(y)[x]; }
  uint32_t At(int x, int y) const { return Row(y)[x]; }
  uint32_t* Data() { return data_.data(); }
  const uint32_t* Data() const { return data_.data(); }

  StretchFilter Filter() const { return filter_; }
  void SetFilter(StretchFilter f) { filter_ = f; }
  DrawMode Mode() const { return mode_; }
  void SetMode(DrawMode m) { mode_ = m; }

  // Takes the size and pixels of a Bitmap24, alpha 255 everywhere.
  void CopyFrom(const Bitmap24& src);
  // The pixels as a Bitmap24 of the same size (alpha dropped).
  Bitmap24 ToBitmap24() const;
  void ToBitmap24(Bitmap24& out) const;

  // Draws src unscaled so that its (0, 0) lands at (x, y), clipped, using src's draw mode.
  void Draw(int x, int y, const Bitmap32& src);
  // Draws the rectangle srcRect of src scaled into the rectangle dst of this bitmap with
  // src's stretch filter and draw mode; parts of dst outside this bitmap are clipped.
  // Filters: Nearest takes the source pixel under each target pixel's centre; Mitchell
  // resamples srcRect to dst's size exactly as Resample does (all four channels, so colours
  // equal Resample's on the same pixels and a uniform alpha stays uniform); Linear
  // interpolates bilinearly between pixel centres (8-bit weights, all four channels).
  // A srcRect reaching outside src is cut to src and dst is cut in proportion. An empty or
  // reversed rectangle (Right <= Left or Bottom <= Top) draws nothing: mirroring is done
  // with FlipHorz / FlipVert.
  void DrawStretched(const Rect& dst, const Bitmap32& src, const Rect& srcRect);
  // The whole of src stretched over the whole of this bitmap.
  void DrawStretched(const Bitmap32& src);

  void FlipHorz();  // mirror left to right
  void FlipVert();  // mirror top to bottom
  void SetAlpha(uint8_t a);

  bool SamePixels(const Bitmap32& o) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t, PixelAllocator<uint32_t>> data_;
  StretchFilter filter_ = StretchFilter::Nearest;
  DrawMode mode_ = DrawMode::Opaque;
};

}  // namespace qv
