#include "raster/Bitmap24.h"

#include <algorithm>
#include <cstring>

namespace qv {

void Bitmap24::SetSize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  width_ = width;
  height_ = height;
  stride_ = StrideFor(width);
  data_.assign(static_cast<size_t>(stride_) * height_, 0);
}

void Bitmap24::SetSize(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
  Reshape(width, height);
  Fill(b, g, r);
}

void Bitmap24::Reshape(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  stride_ = StrideFor(width_);
  data_.resize(static_cast<size_t>(stride_) * height_);
  const int pad = stride_ - width_ * 3;
  if (pad > 0)
    for (int y = 0; y < height_; ++y) std::memset(Row(y) + width_ * 3, 0, static_cast<size_t>(pad));
}

void Bitmap24::Fill(uint8_t b, uint8_t g, uint8_t r) {
  if (Empty()) return;
  uint8_t* first = Row(0);
  for (int x = 0; x < width_; ++x) {
    first[x * 3] = b;
    first[x * 3 + 1] = g;
    first[x * 3 + 2] = r;
  }
  for (int y = 1; y < height_; ++y) std::memcpy(Row(y), first, static_cast<size_t>(width_) * 3);
}

void Bitmap24::Draw(const Bitmap24& src, int x, int y) {
  int sx0 = std::max(0, -x), sy0 = std::max(0, -y);
  int sx1 = std::min(src.Width(), width_ - x), sy1 = std::min(src.Height(), height_ - y);
  if (sx1 <= sx0 || sy1 <= sy0) return;
  for (int sy = sy0; sy < sy1; ++sy)
    std::memcpy(Row(sy + y) + (sx0 + x) * 3, src.Row(sy) + sx0 * 3, static_cast<size_t>(sx1 - sx0) * 3);
}

bool Bitmap24::operator==(const Bitmap24& o) const {
  if (width_ != o.width_ || height_ != o.height_) return false;
  for (int y = 0; y < height_; ++y)
    if (std::memcmp(Row(y), o.Row(y), static_cast<size_t>(width_) * 3) != 0) return false;
  return true;
}

}  // namespace qv
