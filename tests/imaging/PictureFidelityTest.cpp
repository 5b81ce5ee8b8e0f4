// The fidelity figures on picture pairs whose PSNR, SSIM and cell-mean error are known in
// closed form, and the heat map's ramp and layout.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "base/Errors.h"
#include "imaging/HeatMap.h"
#include "imaging/PictureFidelity.h"

namespace {

qv::Bitmap24 Flat(int w, int h, uint8_t v) {
  qv::Bitmap24 p;
  p.SetSize(w, h, v, v, v);
  return p;
}

// A picture of random values in 20..230, so that offsets below 20 never clip.
qv::Bitmap24 Noise(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  qv::Bitmap24 p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w * 3; ++x) p.Row(y)[x] = uint8_t(20 + rng() % 211);
  return p;
}

// The picture with `add` added to the channel (0 blue, 1 green, 2 red) of the pixels x < xEnd, y < yEnd.
qv::Bitmap24 Offset(qv::Bitmap24 p, int channel, int add, int xEnd = 1 << 30, int yEnd = 1 << 30) {
  for (int y = 0; y < std::min(yEnd, p.Height()); ++y)
    for (int x = 0; x < std::min(xEnd, p.Width()); ++x) p.Pixel(x, y)[channel] = uint8_t(p.Pixel(x, y)[channel] + add);
  return p;
}

TEST(PictureFidelityTest, PsnrOfConstantOffsets) {
  const qv::Bitmap24 a = Noise(37, 23, 5);
  // Every byte 5 off: MSE 25.
  qv::Bitmap24 all = Offset(Offset(Offset(a, 0, 5), 1, 5), 2, 5);
  EXPECT_NEAR(qv::Psnr(a, all), 10 * std::log10(65025.0 / 25.0), 1e-9);
  EXPECT_NEAR(qv::Psnr(all, a), qv::Psnr(a, all), 1e-12);
  // One channel 6 off: MSE 36 / 3 over the three channels.
  EXPECT_NEAR(qv::Psnr(a, Offset(a, 2, 6)), 10 * std::log10(65025.0 / 12.0), 1e-9);
  EXPECT_TRUE(std::isinf(qv::Psnr(a, a)));
}

TEST(PictureFidelityTest, SsimOfFlatPicturesAndOfTheSamePicture) {
  // Flat pictures: no variance, so SSIM is the luminance term alone.
  const qv::Bitmap24 grey = Flat(20, 12, 100), lighter = Flat(20, 12, 110);
  const double c1 = 6.5025;
  EXPECT_NEAR(qv::Ssim(grey, lighter), (2 * 100.0 * 110.0 + c1) / (100.0 * 100.0 + 110.0 * 110.0 + c1), 1e-9);
  const qv::Bitmap24 a = Noise(33, 29, 9);
  EXPECT_NEAR(qv::Ssim(a, a), 1.0, 1e-9);
  // The same structure under a small offset stays close to 1; the negative falls below 0.
  EXPECT_GT(qv::Ssim(a, Offset(Offset(Offset(a, 0, 4), 1, 4), 2, 4)), 0.99);
  qv::Bitmap24 negative = a;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width() * 3; ++x) negative.Row(y)[x] = uint8_t(255 - a.Row(y)[x]);
  EXPECT_LT(qv::Ssim(a, negative), 0.0);
  // A picture smaller than a window is one window.
  EXPECT_NEAR(qv::Ssim(Flat(3, 2, 100), Flat(3, 2, 110)), qv::Ssim(grey, lighter), 1e-9);
}

TEST(PictureFidelityTest, CellMeanErrorFollowsTheRoundedCellBoundaries) {
  const qv::Bitmap24 a = Noise(7, 5, 3);
  // 2 x 2 cells of a 7 x 5 picture: the first column of cells is x 0..3 (Round(3.5) = 4), the
  // first row y 0..1 (Round(2.5) = 2). Red 6 higher in exactly the first cell: 6 / 12.
  EXPECT_NEAR(qv::CellMeanError(a, Offset(a, 2, 6, 4, 2), 2, 2), 0.5, 1e-12);
  // A change that keeps each cell's average (a pixel up, its neighbour in the cell down) counts 0.
  qv::Bitmap24 b = a;
  b.Pixel(0, 0)[1] = uint8_t(b.Pixel(0, 0)[1] + 10);
  b.Pixel(1, 0)[1] = uint8_t(b.Pixel(1, 0)[1] - 10);
  EXPECT_NEAR(qv::CellMeanError(a, b, 2, 2), 0.0, 1e-12);
  EXPECT_GT(qv::CellMeanError(a, b, 7, 5), 0.0);
  EXPECT_THROW(qv::CellMeanError(a, b, 8, 5), qv::EQuivara);
}

TEST(PictureFidelityTest, PicturesOfDifferentSizesAreNotCompared) {
  EXPECT_THROW(qv::Psnr(qv::Bitmap24(4, 4), qv::Bitmap24(4, 5)), qv::EQuivara);
  EXPECT_THROW(qv::Ssim(qv::Bitmap24(4, 4), qv::Bitmap24(5, 4)), qv::EQuivara);
  EXPECT_THROW(qv::Psnr(qv::Bitmap24(), qv::Bitmap24()), qv::EQuivara);
}

TEST(HeatMapTest, RampRunsFromDarkToRedAndCellsGetTheirColour) {
  // Lightness rises along the ramp up to its yellow stop, so low and high read apart in grey too.
  auto light = [](qv::TRgb c) { return 0.299 * c.R + 0.587 * c.G + 0.114 * c.B; };
  double last = -1;
  for (int i = 0; i <= 80; ++i) {
    const double l = light(qv::HeatColor(i / 100.0));
    EXPECT_GE(l, last - 1.0) << i;
    last = l;
  }
  EXPECT_EQ(qv::HeatColor(-3), qv::HeatColor(0));
  EXPECT_EQ(qv::HeatColor(7), qv::HeatColor(1));
  const qv::TRgb top = qv::HeatColor(1);
  EXPECT_GT(top.R, 2 * top.G);

  // 3 x 2 cells of 4 pixels: values / top place each cell on the ramp; negative ones are grey.
  const qv::Bitmap24 map = qv::HeatMapPicture({0, 5, 10, -1, 20, 2.5}, 3, 2, 4, 10);
  ASSERT_EQ(map.Width(), 12);
  ASSERT_EQ(map.Height(), 8);
  auto cell = [&](int c, int r, int dx, int dy) {
    const uint8_t* p = map.Pixel(c * 4 + dx, r * 4 + dy);
    return qv::TRgb{p[2], p[1], p[0]};
  };
  for (int d = 0; d < 4; ++d) {
    EXPECT_EQ(cell(0, 0, d, 3 - d), qv::HeatColor(0));
    EXPECT_EQ(cell(1, 0, d, d), qv::HeatColor(0.5));
    EXPECT_EQ(cell(2, 0, 3 - d, d), qv::HeatColor(1));
    EXPECT_EQ(cell(0, 1, d, d), qv::kHeatNoValue);
    EXPECT_EQ(cell(1, 1, d, 0), qv::HeatColor(1));  // above top
    EXPECT_EQ(cell(2, 1, 0, d), qv::HeatColor(0.25));
  }
  EXPECT_THROW(qv::HeatMapPicture({1, 2}, 3, 2, 4, 10), qv::EQuivara);
  EXPECT_EQ(qv::HeatMapCellPixels(100, 100), 10);
  EXPECT_EQ(qv::HeatMapCellPixels(3, 2), 32);
  EXPECT_EQ(qv::HeatMapCellPixels(2000, 10), 2);
}

}  // namespace
