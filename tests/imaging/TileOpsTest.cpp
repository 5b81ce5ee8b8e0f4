#include "imaging/TileOps.h"

#include <gtest/gtest.h>

#include "codecs/JpegCodec.h"
#include "support/TestFiles.h"

namespace {

using namespace qv;

Bitmap32 Solid32(int w, int h, uint32_t c) {
  Bitmap32 b(w, h);
  b.Fill(c);
  return b;
}

TEST(TileOps, Convolve3x3SharpenKernel) {
  // A uniform picture and a picture only 2 pixels high do not change.
  Bitmap32 uniform = Solid32(5, 5, MakeColor32(100, 150, 200));
  Bitmap32 before = uniform;
  Convolve3x3(uniform, SharpenKernel, kSharpenDivisor);
  EXPECT_TRUE(uniform.SamePixels(before));
  Bitmap32 low(6, 2);
  for (int x = 0; x < 6; ++x) low.At(x, 0) = MakeColor32(uint8_t(x * 40), 7, 9);
  before = low;
  Convolve3x3(low, SharpenKernel, kSharpenDivisor);
  EXPECT_TRUE(low.SamePixels(before));

  // An isolated 200 on 100 becomes 255; its neighbours read the unfiltered copy:
  // (1600 - 200 - 7 x 100) / 8 = 87. The edge keeps its values.
  Bitmap32 spot = Solid32(5, 5, MakeColor32(100, 100, 100));
  spot.At(2, 2) = MakeColor32(200, 200, 200);
  Convolve3x3(spot, SharpenKernel, kSharpenDivisor);
  EXPECT_EQ(spot.At(2, 2), MakeColor32(255, 255, 255));
  for (int y = 1; y <= 3; ++y)
    for (int x = 1; x <= 3; ++x) {
      if (x == 2 && y == 2) continue;
      EXPECT_EQ(RedOf(spot.At(x, y)), 87) << x << "," << y;
    }
  EXPECT_EQ(RedOf(spot.At(0, 0)), 100);
  EXPECT_EQ(RedOf(spot.At(4, 2)), 100);
}

TEST(TileOps, ChannelRmsAndColourCorrection) {
  Bitmap32 half(4, 2);
  half.Fill(MakeColor32(0, 0, 0));
  for (int x = 0; x < 4; ++x) half.At(x, 1) = MakeColor32(255, 255, 255);
  EXPECT_EQ(ChannelRms(half), MakeColor32(180, 180, 180));

  // Reference (200, 100, 50), target (100, 100, 100), 50 %: (+50, 0, -25).
  Bitmap32 ref = Solid32(3, 3, MakeColor32(200, 100, 50));
  Bitmap32 target = Solid32(4, 4, MakeColor32(100, 100, 100));
  ColourCorrectToward(ref, target, 50);
  EXPECT_EQ(target.At(0, 0), MakeColor32(150, 100, 75));
  EXPECT_EQ(target.At(3, 3), MakeColor32(150, 100, 75));
  Bitmap32 untouched = Solid32(2, 2, MakeColor32(1, 2, 3));
  ColourCorrectToward(ref, untouched, 0);
  EXPECT_EQ(untouched.At(1, 1), MakeColor32(1, 2, 3));
  ShiftChannels(untouched, 300, -300, 0);
  EXPECT_EQ(untouched.At(0, 0), MakeColor32(255, 0, 3));
}

TEST(TileOps, CropFlipResampleMirrorsReversedCorners) {
  Bitmap32 src(60, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) src.At(x, y) = MakeColor32(uint8_t(x * 4), uint8_t(y * 6), 33);
  Bitmap32 out;
  CropFlipResample(src, 40, 0, 0, 30, 40, 30, out);
  ASSERT_EQ(out.Width(), 40);
  ASSERT_EQ(out.Height(), 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(out.At(x, y), src.At(39 - x, y)) << x << "," << y;
  // Both corners reversed: a half turn.
  CropFlipResample(src, 40, 30, 0, 0, 40, 30, out);
  EXPECT_EQ(out.At(0, 0), src.At(39, 29));
  EXPECT_EQ(out.At(39, 29), src.At(0, 0));
}

TEST(TileOps, ComposeCellWithoutCorrectionIsTheScaledTile) {
  Bitmap24 tile(8, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      uint8_t* p = tile.Pixel(x, y);
      p[0] = uint8_t(x * 30);
      p[1] = uint8_t(y * 40);
      p[2] = 77;
    }
  Bitmap24 source;
  source.SetSize(2, 2, 0, 0, 255);
  ComposeCellParams p;
  p.Width = 20;
  p.Height = 15;
  Bitmap24 plain = ComposeCell(tile, source, p);
  Bitmap32 t32, expect(20, 15);
  t32.CopyFrom(tile);
  t32.SetFilter(StretchFilter::Mitchell);
  expect.DrawStretched(t32);
  EXPECT_TRUE(plain == expect.ToBitmap24());

  // Alpha 255: only the source area shows.
  p.Alpha = 255;
  Bitmap24 covered = ComposeCell(tile, source, p);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x) {
      const uint8_t* q = covered.Pixel(x, y);
      ASSERT_EQ(q[0], 0);
      ASSERT_EQ(q[2], 255);
    }
}

TEST(TileOps, LoadPictureRegionMissingOrBrokenFileGivesBlack) {
  qvtest::TempDir dir;
  Bitmap32 out;
  LoadPictureRegion(dir.File("missing.jpg"), 0, 0, 10, 10, 1, 1, 7, 5, true, out);
  ASSERT_EQ(out.Width(), 7);
  ASSERT_EQ(out.Height(), 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(out.At(x, y), MakeColor32(0, 0, 0));
  std::FILE* f = std::fopen(dir.File("broken.jpg").c_str(), "wb");
  std::fputs("not a picture", f);
  std::fclose(f);
  LoadPictureRegion(dir.File("broken.jpg"), 0, 0, 10, 10, 1, 1, 3, 2, true, out);
  EXPECT_EQ(out.Width(), 3);
  EXPECT_EQ(out.At(2, 1), MakeColor32(0, 0, 0));
}

TEST(TileOps, LoadPictureRegionReducedJpegDividesTheCorners) {
  // A 400 x 200 picture, left half red, right half blue; the region is the right half.
  qvtest::TempDir dir;
  Bitmap24 pic(400, 200);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 400; ++x) {
      uint8_t* p = pic.Pixel(x, y);
      p[0] = x < 200 ? 0 : 255;
      p[2] = x < 200 ? 255 : 0;
    }
  SaveJpegFile(dir.File("halves.jpg"), pic, 95);
  Bitmap32 fast, full;
  // Cell 25 x 25 for a 200 x 200 region: decoded at 1/8, the corners divided by 8.
  LoadPictureRegion(dir.File("halves.jpg"), 200, 0, 400, 200, RegionDivisor(200, 400, 400), RegionDivisor(0, 200, 200),
                    25, 25, true, fast);
  LoadPictureRegion(dir.File("halves.jpg"), 200, 0, 400, 200, 1, 1, 25, 25, false, full);
  ASSERT_EQ(fast.Width(), 25);
  for (int x = 2; x < 23; ++x) {
    EXPECT_GT(BlueOf(fast.At(x, 12)), 200) << x;
    EXPECT_LT(RedOf(fast.At(x, 12)), 60) << x;
    EXPECT_NEAR(BlueOf(fast.At(x, 12)), BlueOf(full.At(x, 12)), 40) << x;
  }
}

TEST(TileOps, BlockColourCorrectUsesBlocksOfFourWhenCellsAreSmall) {
  // 100 pixels across and 40 cells: 100 / 40 = 2.5 is not above 4, so 25 blocks of 4. Each
  // 4-pixel block of the source has its own colour; each block of the picture takes it.
  Bitmap24 source(100, 8), picture;
  picture.SetSize(100, 8, 100, 100, 100);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 100; ++x) source.Pixel(x, y)[1] = uint8_t((x / 4) * 10);
  BlockColourCorrect(picture, source, Size{40, 2}, 100);
  for (int x = 0; x < 100; ++x) ASSERT_EQ(picture.Pixel(x, 0)[1], (x / 4) * 10) << x;
}

TEST(TileOps, BlendOverAndEnhancedCell) {
  Bitmap24 pic, over;
  pic.SetSize(10, 10, 0, 0, 0);
  over.SetSize(5, 5, 255, 255, 255);
  BlendOver(pic, over, 255);
  EXPECT_EQ(pic.Pixel(9, 9)[0], 255);
  pic.SetSize(10, 10, 0, 0, 0);
  BlendOver(pic, over, 0);
  EXPECT_EQ(pic.Pixel(3, 3)[1], 0);

  Bitmap24 tile, src;
  tile.SetSize(4, 4, 100, 100, 100);
  src.SetSize(2, 2, 200, 200, 200);
  Bitmap24 cell = DrawEnhancedCell(tile, src, 0, 100, 9, 7);
  ASSERT_EQ(cell.Width(), 9);
  ASSERT_EQ(cell.Height(), 7);
  EXPECT_EQ(cell.Pixel(8, 6)[0], 200);  // corrected all the way to the source's level
}

}  // namespace
