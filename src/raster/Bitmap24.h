#pragma once
// The working picture: 3 bytes per pixel in the order blue, green, red, each row padded
// to a multiple of 4 bytes, rows top-down and reached through Row(y).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/PixelStore.h"

namespace qv {

class Bitmap24 {
 public:
  Bitmap24() = default;
  Bitmap24(int width, int height) { SetSize(width, height); }

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Stride() const { return stride_; }  // bytes per row, a multiple of 4
  bool Empty() const { return width_ <= 0 || height_ <= 0; }

  static int StrideFor(int width) { return (width * 3 + 3) & ~3; }

  // Gives the bitmap a new size. Every pixel (and the padding) is set to 0 (black).
  void SetSize(int width, int height);
  // Gives the bitmap a new size filled with one colour.
  void SetSize(int width, int height, uint8_t b, uint8_t g, uint8_t r);
  // Gives the bitmap a new size for pixels that the caller writes in full: the pixels are
  // left undefined (a bitmap that keeps its size keeps its pixels); the padding is 0.
  void Reshape(int width, int height);
  void Fill(uint8_t b, uint8_t g, uint8_t r);

  uint8_t* Row(int y) { return data_.data() + static_cast<size_t>(y) * stride_; }
  const uint8_t* Row(int y) const { return data_.data() + static_cast<size_t>(y) * stride_; }
  uint8_t* Pixel(int x, int y) { return Row(y) + x * 3; }
  const uint8_t* Pixel(int x, int y) const { return Row(y) + x * 3; }

  uint8_t* Data() { return data_.data(); }
  const uint8_t* Data() const { return data_.data(); }
  size_t ByteSize() const { return data_.size(); }

  // Copies pixels of src so that src's (0, 0) lands at (x, y); parts outside are clipped.
  void Draw(const Bitmap24& src, int x, int y);

  bool operator==(const Bitmap24& o) const;

 private:
  int width_ = 0;
  int height_ = 0;
  int stride_ = 0;
  std::vector<uint8_t, PixelAllocator<uint8_t>> data_;
};

}  // namespace qv
