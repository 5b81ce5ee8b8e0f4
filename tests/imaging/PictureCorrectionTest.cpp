#include "imaging/PictureCorrection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "support/TestPictures.h"

namespace qv {
namespace {

// A 256 x 1 picture whose pixel i holds i in every channel.
Bitmap24 Ramp() {
  Bitmap24 bmp(256, 1);
  for (int i = 0; i < 256; ++i) bmp.Pixel(i, 0)[0] = bmp.Pixel(i, 0)[1] = bmp.Pixel(i, 0)[2] = uint8_t(i);
  return bmp;
}

int At(const Bitmap24& bmp, int i, int ch = 0) { return bmp.Pixel(i, 0)[ch]; }

TEST(PictureCorrection, ContrastTablesAtBothEnds) {
  Bitmap24 up = Ramp(), down = Ramp();
  ApplyContrast(up, 255, 0);
  ApplyContrast(down, -255, 0);
  // 0 − 127.5 truncates to −127 and clamps; 64 − 63; 200 + 71 = 271 clamps.
  EXPECT_EQ(At(up, 0), 0);
  EXPECT_EQ(At(up, 64), 1);
  EXPECT_EQ(At(up, 127), 127);
  EXPECT_EQ(At(up, 128), 128);
  EXPECT_EQ(At(up, 200), 255);
  EXPECT_EQ(At(down, 0), 127);
  EXPECT_EQ(At(down, 64), 127);
  EXPECT_EQ(At(down, 128), 128);
  EXPECT_EQ(At(down, 200), 129);
  EXPECT_EQ(At(down, 255), 129);
}

TEST(PictureCorrection, BrightnessTables) {
  Bitmap24 dark = Ramp(), bright = Ramp();
  ApplyBrightness(dark, -128, 0);
  ApplyBrightness(bright, 255, 0);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(At(dark, i), (i + 1) / 2) << i;  // halves, rounding up
  EXPECT_EQ(At(dark, 255), 128);
  EXPECT_EQ(At(bright, 0), 254);
  EXPECT_EQ(At(bright, 255), 255);
  EXPECT_EQ(At(bright, 128), 128 + 126);  // floor(127 · 255 / 256) = 126
}

TEST(PictureCorrection, ChannelSelection) {
  // channel 1 red, 2 green, 3 blue; bytes are blue, green, red.
  for (int channel = 1; channel <= 3; ++channel) {
    Bitmap24 bmp = qvtest::UniformBitmap24(2, 2, 100, 100, 100);
    ApplyBrightness(bmp, -128, channel);
    const int changed = 3 - channel;  // byte index of the chosen channel
    for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(bmp.Pixel(1, 1)[ch], ch == changed ? 50 : 100) << channel;
  }
  Bitmap24 bmp = qvtest::UniformBitmap24(2, 2, 100, 100, 100);
  ApplyContrast(bmp, 200, 7);
  EXPECT_EQ(bmp, qvtest::UniformBitmap24(2, 2, 100, 100, 100));
}

TEST(PictureCorrection, Saturation) {
  Bitmap24 bmp(2, 1);
  const uint8_t px[2][3] = {{10, 100, 250}, {0, 0, 255}};
  for (int x = 0; x < 2; ++x)
    for (int ch = 0; ch < 3; ++ch) bmp.Pixel(x, 0)[ch] = px[x][ch];
  // Saturation 0: every chosen channel becomes m = (B + G + R) div 3.
  Bitmap24 grey = bmp;
  ApplySaturation(grey, 0, 0);
  EXPECT_EQ(grey.Pixel(0, 0)[0], 120);
  EXPECT_EQ(grey.Pixel(0, 0)[2], 120);
  EXPECT_EQ(grey.Pixel(1, 0)[1], 85);
  Bitmap24 redOnly = bmp;
  ApplySaturation(redOnly, 0, 1);
  EXPECT_EQ(redOnly.Pixel(0, 0)[2], 120);
  EXPECT_EQ(redOnly.Pixel(0, 0)[0], 10);
  // 510: m − floor(510 m / 256) + floor(510 v / 256) with m = 120: blue 120 − 239 + 19 -> 0,
  // green 120 − 239 + 199 = 80, red 120 − 239 + 498 -> 255.
  Bitmap24 vivid = bmp;
  ApplySaturation(vivid, 510, 0);
  EXPECT_EQ(vivid.Pixel(0, 0)[0], 0);
  EXPECT_EQ(vivid.Pixel(0, 0)[1], 80);
  EXPECT_EQ(vivid.Pixel(0, 0)[2], 255);
  // 256 leaves colours alone; 255 moves them by at most one.
  std::mt19937 rng(4);
  const Bitmap24 pic = qvtest::RandomBitmap24(31, 17, rng);
  Bitmap24 same = pic, near = pic;
  ApplySaturation(same, 256, 0);
  EXPECT_EQ(same, pic);
  ApplySaturation(near, 255, 0);
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 31 * 3; ++x) ASSERT_LE(std::abs(near.Row(y)[x] - pic.Row(y)[x]), 1);
}

TEST(PictureCorrection, SharpenUniformPictureUnchanged) {
  for (int a : {1, -1, 3, 10, -10}) {
    Bitmap24 bmp = qvtest::UniformBitmap24(9, 6, 17, 128, 250);
    ApplySharpen(bmp, a, 0);
    EXPECT_EQ(bmp, qvtest::UniformBitmap24(9, 6, 17, 128, 250)) << a;
  }
}

TEST(PictureCorrection, SharpenWorksInPlace) {
  // A bright pixel 200 at (3, 3) in a field of 100, amount 1. Worked in place from the top
  // left, each pixel sees the new values of the neighbours processed before it:
  //   (2,2): 8 others sum 900 -> (25600 − 14400) div 128 = 87
  //   (3,2): with (2,2) = 87: sum 887 -> 89;   (4,2): with (3,2) = 89: sum 889 -> 88
  //   (1,3): with (2,2) = 87: sum 787 -> 101;  (2,3): sum 877 -> 90
  //   (3,3): sum 754 -> (51200 − 12064) div 128 = 305 -> 255
  //   (4,3): sees the new centre 255: sum 933 -> 83
  {
    const int a = 1;
    Bitmap24 bmp = qvtest::UniformBitmap24(7, 7, 100, 100, 100);
    for (int ch = 0; ch < 3; ++ch) bmp.Pixel(3, 3)[ch] = 200;
    ApplySharpen(bmp, a, 0);
    EXPECT_EQ(bmp.Pixel(2, 2)[0], 87);
    EXPECT_EQ(bmp.Pixel(3, 2)[1], 89);
    EXPECT_EQ(bmp.Pixel(4, 2)[2], 88);
    EXPECT_EQ(bmp.Pixel(1, 3)[0], 101);
    EXPECT_EQ(bmp.Pixel(2, 3)[0], 90);
    EXPECT_EQ(bmp.Pixel(3, 3)[0], 255);
    EXPECT_EQ(bmp.Pixel(4, 3)[0], 83);
    EXPECT_EQ(bmp.Pixel(0, 0)[0], 100);
  }
}

// The left side of the slider blurs: a bright dot spreads and falls, no value leaves the
// range of the picture, and a pattern of fine stripes loses most of its contrast.
TEST(PictureCorrection, NegativeAmountsBlur) {
  for (int a : {-1, -2}) {
    Bitmap24 dot = qvtest::UniformBitmap24(7, 7, 100, 100, 100);
    for (int ch = 0; ch < 3; ++ch) dot.Pixel(3, 3)[ch] = 200;
    ApplySharpen(dot, a, 0);
    EXPECT_GT(dot.Pixel(3, 3)[0], 100) << a;
    EXPECT_LT(dot.Pixel(3, 3)[0], 150) << a;
    int brightened = 0;
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 7; ++x) {
        EXPECT_GE(dot.Pixel(x, y)[0], 100);
        EXPECT_LE(dot.Pixel(x, y)[0], 200);
        brightened += (x != 3 || y != 3) && dot.Pixel(x, y)[0] > 100;
      }
    EXPECT_GE(brightened, 8) << a;
  }
  Bitmap24 stripes(12, 12);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x)
      for (int ch = 0; ch < 3; ++ch) stripes.Pixel(x, y)[ch] = x % 2 ? 220 : 20;
  ApplySharpen(stripes, -1, 0);
  for (int y = 0; y < 12; ++y)
    for (int x = 1; x < 11; ++x) EXPECT_LT(std::abs(stripes.Pixel(x, y)[1] - stripes.Pixel(x - 1, y)[1]), 100);
}

TEST(PictureCorrection, SharpenClampsOffsetsAndChannel) {
  // On a 1 x 1 picture every sample is the centre: 2c − c = c.
  Bitmap24 dot = qvtest::UniformBitmap24(1, 1, 9, 99, 199);
  ApplySharpen(dot, 5, 0);
  EXPECT_EQ(dot, qvtest::UniformBitmap24(1, 1, 9, 99, 199));
  // Only blue changes with channel 3; a dark pixel at the corner goes to 0, truncating.
  Bitmap24 bmp = qvtest::UniformBitmap24(4, 4, 100, 100, 100);
  for (int ch = 0; ch < 3; ++ch) bmp.Pixel(0, 0)[ch] = 10;
  ApplySharpen(bmp, 2, 3);
  // (0,0): samples at columns 0, 0, 2 and rows 0, 0, 2: others = 10·2 + 100·6 = 620,
  // (2560 − 9920) div 128 = −57 -> 0.
  EXPECT_EQ(bmp.Pixel(0, 0)[0], 0);
  EXPECT_EQ(bmp.Pixel(0, 0)[1], 10);
  EXPECT_EQ(bmp.Pixel(0, 0)[2], 10);
}

}  // namespace
}  // namespace qv
