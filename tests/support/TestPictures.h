#pragma once
// Pictures built in code for the pixel tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "raster/Bitmap24.h"

namespace qvtest {

// A picture of random bytes; smooth = true gives gentle gradients with some noise instead,
// closer to a photograph.
inline qv::Bitmap24 RandomBitmap24(int width, int height, std::mt19937& rng, bool smooth = false) {
  qv::Bitmap24 bmp(width, height);
  std::uniform_int_distribution<int> byte(0, 255), noise(-8, 8);
  const int base[3] = {byte(rng), byte(rng), byte(rng)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int ch = 0; ch < 3; ++ch) {
        int v = smooth ? base[ch] + (x * (ch + 1) * 7 + y * (3 - ch) * 5) % 97 + noise(rng) : byte(rng);
        bmp.Pixel(x, y)[ch] = uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
      }
  return bmp;
}

// Checks pixel (x, y) of a picture against a red, green, blue colour.
inline void ExpectColour(const qv::Bitmap24& bmp, int x, int y, int r, int g, int b) {
  ASSERT_TRUE(x < bmp.Width() && y < bmp.Height());
  EXPECT_EQ(bmp.Pixel(x, y)[2], r) << x << "," << y;
  EXPECT_EQ(bmp.Pixel(x, y)[1], g) << x << "," << y;
  EXPECT_EQ(bmp.Pixel(x, y)[0], b) << x << "," << y;
}

inline qv::Bitmap24 UniformBitmap24(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
  qv::Bitmap24 bmp;
  bmp.SetSize(width, height, b, g, r);
  return bmp;
}

// A one-row picture whose blue, green and red bytes all hold the given values.
template <size_t N>
qv::Bitmap24 GreyRow(const int (&values)[N]) {
  qv::Bitmap24 bmp(static_cast<int>(N), 1);
  for (size_t x = 0; x < N; ++x)
    for (int ch = 0; ch < 3; ++ch) bmp.Pixel(int(x), 0)[ch] = uint8_t(values[x]);
  return bmp;
}

}  // namespace qvtest
