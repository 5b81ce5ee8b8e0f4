#include "raster/Bitmap32.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "raster/Bitmap24.h"
#include "raster/Resample.h"
#include "raster/ResampleCore.h"

namespace qv {

// The resampler reads the words as bytes blue, green, red, alpha.
static_assert(std::endian::native == std::endian::little);

namespace {

// (src × a + dst × (255 − a)) / 255 per colour channel, a = src's alpha; dst keeps its alpha.
inline uint32_t BlendPixel(uint32_t src, uint32_t dst) {
  const uint32_t a = src >> 24;
  if (a == 255) return (src & 0x00FFFFFFu) | (dst & 0xFF000000u);
  if (a == 0) return dst;
  const uint32_t na = 255 - a;
  const uint32_t r = (RedOf(src) * a + RedOf(dst) * na) / 255;
  const uint32_t g = (GreenOf(src) * a + GreenOf(dst) * na) / 255;
  const uint32_t b = (BlueOf(src) * a + BlueOf(dst) * na) / 255;
  return (dst & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

inline void PutPixel(uint32_t* dst, uint32_t src, DrawMode mode) {
  *dst = mode == DrawMode::Blend ? BlendPixel(src, *dst) : src;
}

void PutRow(uint32_t* dst, const uint32_t* src, int count, DrawMode mode) {
  if (mode == DrawMode::Opaque) {
    std::memcpy(dst, src, static_cast<size_t>(count) * 4);
    return;
  }
  for (int i = 0; i < count; ++i) dst[i] = BlendPixel(src[i], dst[i]);
}

// Source position of target pixel t out of n spread over m source pixels, by pixel centres.
inline int NearestIndex(int t, int n, int m) { return int((int64_t(2 * t + 1) * m) / (int64_t(2) * n)); }

// Bilinear sampling positions: source pixel, its right (or lower) neighbour and the
// neighbour's weight in 1/256 units, from pixel centres, clamped to the source.
struct LinearTap {
  int i0, i1, w1;
};

LinearTap LinearPosition(int t, int n, int m) {
  const int64_t fixed = ((int64_t(2 * t + 1) * m * 256) / (int64_t(2) * n)) - 128;  // in 1/256
  const int64_t clamped = std::clamp<int64_t>(fixed, 0, int64_t(m - 1) * 256);
  const int i0 = int(clamped >> 8), w1 = int(clamped & 255);
  return {i0, std::min(i0 + 1, m - 1), w1};
}

inline uint32_t Lerp4(uint32_t p, uint32_t q, int w) {  // w in 0..256
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = int((p >> shift) & 255), b = int((q >> shift) & 255);
    out |= uint32_t((a * (256 - w) + b * w + 128) >> 8) << shift;
  }
  return out;
}

}  // namespace

void Bitmap32::SetSize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  data_.assign(static_cast<size_t>(width_) * height_, 0xFF000000u);
}

void Bitmap32::Reshape(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  data_.resize(static_cast<size_t>(width_) * height_);
}

void Bitmap32::Fill(uint32_t color) { std::fill(data_.begin(), data_.end(), color); }

void Bitmap32::CopyFrom(const Bitmap24& src) {
  Reshape(src.Width(), src.Height());
  for (int y = 0; y < height_; ++y) {
    const uint8_t* in = src.Row(y);
    uint32_t* out = Row(y);
    for (int x = 0; x < width_; ++x) out[x] = MakeColor32(in[x * 3 + 2], in[x * 3 + 1], in[x * 3]);
  }
}

void Bitmap32::ToBitmap24(Bitmap24& out) const {
  out.Reshape(width_, height_);
  for (int y = 0; y < height_; ++y) {
    const uint32_t* in = Row(y);
    uint8_t* p = out.Row(y);
    for (int x = 0; x < width_; ++x) {
      p[x * 3] = BlueOf(in[x]);
      p[x * 3 + 1] = GreenOf(in[x]);
      p[x * 3 + 2] = RedOf(in[x]);
    }
  }
}

Bitmap24 Bitmap32::ToBitmap24() const {
  Bitmap24 out;
  ToBitmap24(out);
  return out;
}

void Bitmap32::Draw(int x, int y, const Bitmap32& src) {
  if (&src == this) {
    const Bitmap32 copy = src;
    Draw(x, y, copy);
    return;
  }
  const int sx0 = std::max(0, -x), sy0 = std::max(0, -y);
  const int sx1 = std::min(src.Width(), width_ - x), sy1 = std::min(src.Height(), height_ - y);
  if (sx1 <= sx0 || sy1 <= sy0) return;
  for (int sy = sy0; sy < sy1; ++sy) PutRow(Row(sy + y) + sx0 + x, src.Row(sy) + sx0, sx1 - sx0, src.Mode());
}

void Bitmap32::DrawStretched(const Rect& dstRect, const Bitmap32& src, const Rect& srcRect) {
  if (&src == this) {
    const Bitmap32 copy = src;
    DrawStretched(dstRect, copy, srcRect);
    return;
  }
  Rect s = srcRect, d = dstRect;
  if (s.Width() <= 0 || s.Height() <= 0 || d.Width() <= 0 || d.Height() <= 0 || src.Empty() || Empty()) return;

  // A source rectangle reaching outside the source is cut to it, and the target with it in
  // proportion.
  const int64_t sw = s.Width(), sh = s.Height(), dw = d.Width(), dh = d.Height();
  const int cl = std::max(s.Left, 0), cr = std::min(s.Right, src.Width());
  const int ct = std::max(s.Top, 0), cb = std::min(s.Bottom, src.Height());
  if (cr <= cl || cb <= ct) return;
  if (cl != s.Left || cr != s.Right || ct != s.Top || cb != s.Bottom) {
    d = Rect{int(dstRect.Left + (cl - s.Left) * dw / sw), int(dstRect.Top + (ct - s.Top) * dh / sh),
             int(dstRect.Left + (cr - s.Left) * dw / sw), int(dstRect.Top + (cb - s.Top) * dh / sh)};
    s = Rect{cl, ct, cr, cb};
    if (d.Width() <= 0 || d.Height() <= 0) return;
  }

  // The visible part of the target, relative to the target rectangle.
  const Rect window{std::max(0, -d.Left), std::max(0, -d.Top), std::min(d.Width(), width_ - d.Left),
                    std::min(d.Height(), height_ - d.Top)};
  if (window.Width() <= 0 || window.Height() <= 0) return;
  const int srcW = s.Width(), srcH = s.Height(), tw = d.Width(), th = d.Height();
  const DrawMode mode = src.Mode();

  switch (src.Filter()) {
    case StretchFilter::Mitchell: {
      const PixelsIn in{reinterpret_cast<const uint8_t*>(src.Row(s.Top) + s.Left), ptrdiff_t(src.Width()) * 4, srcW,
                        srcH, 4};
      if (mode == DrawMode::Opaque) {  // straight into place
        ResamplePixels(in, tw, th, kFilterMitchell, 0, window,
                       PixelsOut{reinterpret_cast<uint8_t*>(Row(d.Top + window.Top) + d.Left + window.Left),
                                 ptrdiff_t(width_) * 4});
        break;
      }
      std::vector<uint32_t> scaled(static_cast<size_t>(window.Width()) * window.Height());
      ResamplePixels(in, tw, th, kFilterMitchell, 0, window,
                     PixelsOut{reinterpret_cast<uint8_t*>(scaled.data()), ptrdiff_t(window.Width()) * 4});
      for (int y = 0; y < window.Height(); ++y)
        PutRow(Row(d.Top + window.Top + y) + d.Left + window.Left, scaled.data() + size_t(y) * window.Width(),
               window.Width(), mode);
      break;
    }
    case StretchFilter::Linear: {
      std::vector<LinearTap> cols(window.Width());
      for (int x = 0; x < window.Width(); ++x) cols[x] = LinearPosition(window.Left + x, tw, srcW);
      for (int y = window.Top; y < window.Bottom; ++y) {
        const LinearTap row = LinearPosition(y, th, srcH);
        const uint32_t* r0 = src.Row(s.Top + row.i0) + s.Left;
        const uint32_t* r1 = src.Row(s.Top + row.i1) + s.Left;
        uint32_t* out = Row(d.Top + y) + d.Left + window.Left;
        for (int x = 0; x < window.Width(); ++x) {
          const LinearTap& c = cols[x];
          const uint32_t top = Lerp4(r0[c.i0], r0[c.i1], c.w1), bottom = Lerp4(r1[c.i0], r1[c.i1], c.w1);
          PutPixel(out + x, Lerp4(top, bottom, row.w1), mode);
        }
      }
      break;
    }
    default: {  // nearest neighbour
      std::vector<int> cols(window.Width());
      for (int x = 0; x < window.Width(); ++x) cols[x] = s.Left + NearestIndex(window.Left + x, tw, srcW);
      for (int y = window.Top; y < window.Bottom; ++y) {
        const uint32_t* in = src.Row(s.Top + NearestIndex(y, th, srcH));
        uint32_t* out = Row(d.Top + y) + d.Left + window.Left;
        for (int x = 0; x < window.Width(); ++x) PutPixel(out + x, in[cols[x]], mode);
      }
      break;
    }
  }
}

void Bitmap32::DrawStretched(const Bitmap32& src) {
  DrawStretched(Rect{0, 0, width_, height_}, src, Rect{0, 0, src.Width(), src.Height()});
}

void Bitmap32::FlipHorz() {
  for (int y = 0; y < height_; ++y) std::reverse(Row(y), Row(y) + width_);
}

void Bitmap32::FlipVert() {
  for (int y = 0; y < height_ / 2; ++y) std::swap_ranges(Row(y), Row(y) + width_, Row(height_ - 1 - y));
}

void Bitmap32::SetAlpha(uint8_t a) {
  const uint32_t alpha = uint32_t(a) << 24;
  for (uint32_t& p : data_) p = (p & 0x00FFFFFFu) | alpha;
}

bool Bitmap32::SamePixels(const Bitmap32& o) const {
  return width_ == o.width_ && height_ == o.height_ && data_ == o.data_;
}

}  // namespace qv
