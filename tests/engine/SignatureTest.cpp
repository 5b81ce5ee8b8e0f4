#include "engine/Signature.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <vector>

#include "engine/SignatureDistance.h"

namespace qv {
namespace {

std::vector<uint8_t> Ycc(uint8_t r, uint8_t g, uint8_t b) {
  uint8_t out[3];
  RgbToYcc(r, g, b, out);
  return {out[0], out[1], out[2]};
}

Bitmap24 Cells(std::initializer_list<std::array<uint8_t, 3>> bgr, int width) {
  Bitmap24 bmp(width, int(bgr.size()) / width);
  int i = 0;
  for (const auto& c : bgr) {
    uint8_t* p = bmp.Pixel(i % width, i / width);
    p[0] = c[0];
    p[1] = c[1];
    p[2] = c[2];
    ++i;
  }
  return bmp;
}

TEST(Signature, LightnessCurve) {
  EXPECT_EQ(LightnessCurve(0), 0.0);
  EXPECT_DOUBLE_EQ(LightnessCurve(255), 255.0);
  EXPECT_NEAR(LightnessCurve(128), 194.3, 0.05);
  EXPECT_NEAR(LightnessCurve(1), 5.85, 0.01);
}

TEST(Signature, YccOfKnownColours) {
  EXPECT_EQ(Ycc(0, 0, 0), (std::vector<uint8_t>{0, 128, 128}));
  EXPECT_EQ(Ycc(255, 255, 255), (std::vector<uint8_t>{255, 128, 128}));
  EXPECT_EQ(Ycc(128, 128, 128), (std::vector<uint8_t>{194, 128, 128}));
  // Pure red: Cr' = 0.5 · 255 + 128 = 255.5 rounds to 256 and clamps to 255.
  EXPECT_EQ(Ycc(255, 0, 0), (std::vector<uint8_t>{76, 85, 255}));
  // Pure blue: Y' = 0.114 · 255 = 29.07, Cr' = 128 − 0.0813 · 255 = 107.27.
  EXPECT_EQ(Ycc(0, 0, 255), (std::vector<uint8_t>{29, 255, 107}));
}

TEST(Signature, SignatureOfEachColourSystem) {
  // Cells in storage order: (B, G, R) = (0, 0, 255) red, then grey 128.
  const Bitmap24 bmp = Cells({{0, 0, 255}, {128, 128, 128}}, 2);
  EXPECT_EQ(SignatureOf(bmp, kColorRGB), (SignatureBytes{0, 0, 255, 128, 128, 128}));
  EXPECT_EQ(SignatureOf(bmp, kColorY), (SignatureBytes{0, 0, 255, 128, 128, 128}));
  EXPECT_EQ(SignatureOf(bmp, kColorYCC), (SignatureBytes{76, 85, 255, 194, 128, 128}));
  EXPECT_TRUE(SignatureOf(bmp, 7).empty());
  const SignatureBytes rgb = SignatureOf(bmp, kColorRGB);
  EXPECT_EQ(ConvertRgbToYcc(rgb.data(), 6), SignatureOf(bmp, kColorYCC));
  EXPECT_EQ(ConvertRgbToYcc(rgb.data(), 5).size(), 3u);  // length div 3 cells
}

TEST(Signature, DrawSignatureByColourSystem) {
  Bitmap24 bmp(2, 1);
  const uint8_t rgb[] = {1, 2, 3, 4, 5, 6};
  DrawSignature(rgb, kColorRGB, bmp);
  EXPECT_EQ(bmp, Cells({{1, 2, 3}, {4, 5, 6}}, 2));
  // YCC back to colours without undoing the curve: (194, 128, 128) is grey 194;
  // (76, 85, 255) gives blue 76 − 76.196 -> 0, green 76 + 14.798 − 90.695 -> 0, red 254.05 -> 254.
  const uint8_t ycc[] = {194, 128, 128, 76, 85, 255};
  DrawSignature(ycc, kColorYCC, bmp);
  EXPECT_EQ(bmp, Cells({{194, 194, 194}, {0, 0, 254}}, 2));
  const Bitmap24 before = bmp;
  DrawSignature(rgb, kColorY, bmp);
  DrawSignature(rgb, 0, bmp);
  EXPECT_EQ(bmp, before);
}

// YccToRgb undoes RgbToYcc up to the rounding of the YCC bytes: each colour comes back within
// a few steps (more where the curve is flat, in the light colours), and its YCC bytes within
// one; SignaturePixels gives pixels whose signature is the one drawn.
TEST(Signature, YccToRgbIsTheInverseOfRgbToYcc) {
  int worst = 0;
  for (int r = 0; r < 256; r += 5)
    for (int g = 0; g < 256; g += 5)
      for (int b = 0; b < 256; b += 5) {
        uint8_t ycc[3], again[3], back[3];
        RgbToYcc(uint8_t(r), uint8_t(g), uint8_t(b), ycc);
        YccToRgb(ycc, back[0], back[1], back[2]);
        worst = std::max({worst, std::abs(back[0] - r), std::abs(back[1] - g), std::abs(back[2] - b)});
        RgbToYcc(back[0], back[1], back[2], again);
        for (int i = 0; i < 3; ++i) ASSERT_LE(std::abs(again[i] - ycc[i]), 1) << r << " " << g << " " << b;
      }
  EXPECT_LE(worst, 4);
  // Black and white exactly; f(127) = 193.67 and f(128) = 194.28, so Y' 194 is grey 128.
  const uint8_t ycc[] = {0, 128, 128, 255, 128, 128, 194, 128, 128};
  Bitmap24 bmp(3, 1);
  SignaturePixels(ycc, kColorYCC, bmp);
  EXPECT_EQ(bmp, Cells({{0, 0, 0}, {255, 255, 255}, {128, 128, 128}}, 3));
  SignatureBytes drawn = SignatureOf(bmp, kColorYCC);
  EXPECT_EQ(drawn, SignatureBytes(ycc, ycc + 9));
  const uint8_t bgr[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  SignaturePixels(bgr, kColorRGB, bmp);
  EXPECT_EQ(bmp, Cells({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, 3));
}

TEST(Signature, DistanceOfWorkedCases) {
  std::vector<uint8_t> a(108), b(108);
  for (int i = 0; i < 108; ++i) {
    a[i] = uint8_t(i * 2);
    b[i] = uint8_t(i * 2 + 1);
  }
  EXPECT_EQ(SignatureDistance(a.data(), a.data(), 108), 0.0);
  EXPECT_EQ(SignatureDistance(a.data(), b.data(), 108), 108.0);
  std::vector<uint8_t> black(108, 0), white(108, 255);
  EXPECT_EQ(SignatureDistanceInt(black.data(), white.data(), 108), 108u * 255 * 255);
  EXPECT_EQ(SignatureDistanceInt(white.data(), black.data(), 0), 0u);
  // Long enough for the 32-bit lanes to need emptying: 100 000 · 255² exceeds 2^32.
  std::vector<uint8_t> lo(100000, 0), hi(100000, 255);
  EXPECT_EQ(SignatureDistanceInt(lo.data(), hi.data(), 100000), 100000ull * 255 * 255);
}

TEST(Signature, FastDistanceEqualsPortable) {
  const auto& choice = SignatureDistanceKernelChoice();
  const auto portable = choice.Portable().distance;
  std::mt19937 rng(8);
  std::vector<uint8_t> a(20000), b(20000);
  for (auto& v : a) v = uint8_t(rng());
  for (auto& v : b) v = uint8_t(rng());
  std::vector<int> lengths{0,  1,  3,  7,  8,   15,  16,  17,   31,   32,   33,
                           48, 63, 64, 95, 108, 300, 432, 4095, 4097, 8193, 20000};
  for (int n = 0; n < 200; ++n) lengths.push_back(int(rng() % 2000));
  for (const SignatureDistanceKernels* k : choice.Available())
    for (int n : lengths)
      for (int offset : {0, 1, 5}) {
        if (n + offset > 20000) continue;
        ASSERT_EQ(k->distance(a.data() + offset, b.data(), n), portable(a.data() + offset, b.data(), n))
            << k->name << " " << n << " " << offset;
      }
  EXPECT_EQ(SignatureDistanceInt(a.data(), b.data(), 108), portable(a.data(), b.data(), 108));
}

TEST(Signature, DetailPairsCellsInStorageOrder) {
  const SignatureBytes uniform(108, 77);
  EXPECT_EQ(DetailOf(uniform.data(), 108), 0.0);
  const uint8_t one[] = {10, 200, 30};
  EXPECT_EQ(DetailOf(one, 3), 0.0);
  // Two cells, n = 6: D = 10, 20, 30 give Round(1.67) + Round(3.33) + Round(5) = 2 + 3 + 5.
  const uint8_t two[] = {0, 0, 0, 10, 20, 30};
  EXPECT_EQ(DetailOf(two, 6), 10.0);
  // Halves go to the even neighbour: 3/6 -> 0, 9/6 -> 2, 15/6 -> 2.
  const uint8_t ties[] = {0, 0, 0, 3, 9, 15};
  EXPECT_EQ(DetailOf(ties, 6), 4.0);
  // A 2 x 2 grid: the last cell of the first row meets the first cell of the second row.
  const uint8_t grid[] = {0, 0, 0, 0, 0, 0, 240, 0, 0, 240, 0, 0};
  EXPECT_EQ(DetailOf(grid, 12), 20.0);  // D0 = 240, Round(240 / 12) = 20
}

}  // namespace
}  // namespace qv
