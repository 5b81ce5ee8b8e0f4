#include "raster/Bitmap32.h"

#include <gtest/gtest.h>

#include <random>

#include "raster/Bitmap24.h"
#include "raster/Resample.h"
#include "support/TestPictures.h"

namespace qv {
namespace {

Bitmap32 Random32(int w, int h, std::mt19937& rng) {
  Bitmap32 bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp.At(x, y) = uint32_t(rng()) | 0xFF000000u;
  return bmp;
}

Bitmap32 Uniform32(int w, int h, uint32_t c) {
  Bitmap32 bmp(w, h);
  bmp.Fill(c);
  return bmp;
}

TEST(Bitmap32, SizeFillAndBitmap24RoundTrip) {
  Bitmap32 bmp(3, 2);
  EXPECT_EQ(bmp.At(2, 1), 0xFF000000u);
  EXPECT_EQ(bmp.Filter(), StretchFilter::Nearest);
  EXPECT_EQ(bmp.Mode(), DrawMode::Opaque);
  bmp.SetSize(-4, 2);
  EXPECT_TRUE(bmp.Empty());

  Bitmap24 pic(5, 3);
  pic.Pixel(1, 2)[0] = 10;  // blue
  pic.Pixel(1, 2)[1] = 20;  // green
  pic.Pixel(1, 2)[2] = 30;  // red
  bmp.CopyFrom(pic);
  EXPECT_EQ(bmp.Width(), 5);
  EXPECT_EQ(bmp.At(1, 2), MakeColor32(30, 20, 10));
  EXPECT_EQ(bmp.At(1, 2), 0xFF1E140Au);
  EXPECT_EQ(bmp.At(0, 0), 0xFF000000u);
  EXPECT_EQ(bmp.ToBitmap24(), pic);
}

TEST(Bitmap32, BlendArithmeticKeepsDestinationAlpha) {
  Bitmap32 dst = Uniform32(1, 1, MakeColor32(0, 255, 10, 77));
  Bitmap32 src = Uniform32(1, 1, MakeColor32(200, 100, 50, 128));
  src.SetMode(DrawMode::Blend);
  dst.Draw(0, 0, src);
  // (200·128 + 0·127) / 255 = 100, (100·128 + 255·127) / 255 = 177, (50·128 + 10·127) / 255 = 30.
  EXPECT_EQ(dst.At(0, 0), MakeColor32(100, 177, 30, 77));

  Bitmap32 full = Uniform32(1, 1, MakeColor32(1, 2, 3, 255)), none = Uniform32(1, 1, MakeColor32(9, 9, 9, 0));
  full.SetMode(DrawMode::Blend);
  none.SetMode(DrawMode::Blend);
  dst.Draw(0, 0, none);
  EXPECT_EQ(dst.At(0, 0), MakeColor32(100, 177, 30, 77));
  dst.Draw(0, 0, full);
  EXPECT_EQ(dst.At(0, 0), MakeColor32(1, 2, 3, 77));
  // Opaque drawing copies the whole word, alpha included.
  dst.Draw(0, 0, Uniform32(1, 1, MakeColor32(5, 6, 7, 9)));
  EXPECT_EQ(dst.At(0, 0), MakeColor32(5, 6, 7, 9));
}

TEST(Bitmap32, DrawClipsAtEveryEdge) {
  std::mt19937 rng(3);
  const Bitmap32 src = Random32(4, 3, rng);
  Bitmap32 dst(5, 5);
  dst.Draw(-2, 3, src);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool inside = x < 2 && y >= 3;
      EXPECT_EQ(dst.At(x, y), inside ? src.At(x + 2, y - 3) : 0xFF000000u) << x << "," << y;
    }
  dst.Draw(7, 0, src);
  dst.Draw(0, -9, src);
  EXPECT_EQ(dst.At(4, 0), 0xFF000000u);
}

TEST(Bitmap32, MirrorsAndAlpha) {
  Bitmap32 bmp(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) bmp.At(x, y) = MakeColor32(uint8_t(x), uint8_t(y), 0);
  Bitmap32 h = bmp;
  h.FlipHorz();
  Bitmap32 v = bmp;
  v.FlipVert();
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(h.At(x, y), bmp.At(2 - x, y));
      EXPECT_EQ(v.At(x, y), bmp.At(x, 1 - y));
    }
  bmp.SetAlpha(40);
  EXPECT_EQ(bmp.At(2, 1), MakeColor32(2, 1, 0, 40));
  EXPECT_FALSE(bmp.SamePixels(h));
}

TEST(Bitmap32, StretchedUniformPictureStaysUniform) {
  const uint32_t colour = MakeColor32(201, 7, 99, 255);
  for (StretchFilter f : {StretchFilter::Nearest, StretchFilter::Mitchell, StretchFilter::Linear}) {
    Bitmap32 src = Uniform32(13, 9, colour);
    src.SetFilter(f);
    for (auto [w, h] : {std::pair{40, 31}, std::pair{5, 4}, std::pair{1, 1}, std::pair{13, 9}}) {
      Bitmap32 dst(w, h);
      dst.DrawStretched(src);
      EXPECT_TRUE(dst.SamePixels(Uniform32(w, h, colour))) << int(f) << " " << w << "x" << h;
    }
  }
}

TEST(Bitmap32, NearestSamplesPixelCentres) {
  Bitmap32 src(4, 1);
  for (int x = 0; x < 4; ++x) src.At(x, 0) = MakeColor32(uint8_t(x), 0, 0);
  Bitmap32 half(2, 1), twice(8, 1);
  half.DrawStretched(src);
  twice.DrawStretched(src);
  EXPECT_EQ(RedOf(half.At(0, 0)), 1);
  EXPECT_EQ(RedOf(half.At(1, 0)), 3);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(RedOf(twice.At(x, 0)), x / 2);
  Bitmap32 same(4, 1);
  same.DrawStretched(src);
  EXPECT_TRUE(same.SamePixels(src));
}

TEST(Bitmap32, LinearInterpolatesBetweenCentres) {
  Bitmap32 src(2, 1);
  src.At(0, 0) = MakeColor32(0, 100, 255, 255);
  src.At(1, 0) = MakeColor32(200, 100, 55, 255);
  src.SetFilter(StretchFilter::Linear);
  Bitmap32 same(2, 1), wide(4, 1);
  same.DrawStretched(src);
  EXPECT_TRUE(same.SamePixels(src));
  wide.DrawStretched(src);
  // Target centres 0.5, 1.5, 2.5, 3.5 map to source positions -0.25 (clamped), 0.25, 0.75, 1.25.
  EXPECT_EQ(wide.At(0, 0), src.At(0, 0));
  EXPECT_EQ(wide.At(1, 0), MakeColor32(50, 100, 205, 255));
  EXPECT_EQ(wide.At(2, 0), MakeColor32(150, 100, 105, 255));
  EXPECT_EQ(wide.At(3, 0), src.At(1, 0));
}

TEST(Bitmap32, MitchellMatchesTheResampler) {
  std::mt19937 rng(11);
  const Bitmap24 pic = qvtest::RandomBitmap24(37, 23, rng, true);
  Bitmap32 src;
  src.CopyFrom(pic);
  src.SetFilter(StretchFilter::Mitchell);
  for (auto [w, h] : {std::pair{60, 50}, std::pair{12, 7}, std::pair{37, 23}}) {
    Bitmap32 dst(w, h);
    dst.DrawStretched(src);
    EXPECT_EQ(dst.ToBitmap24(), Resample(pic, w, h, kFilterMitchell)) << w << "x" << h;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ASSERT_EQ(AlphaOf(dst.At(x, y)), 255);
  }
  // A rectangle of the source scales like the same pixels cut out first.
  Bitmap24 part(20, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x)
      for (int ch = 0; ch < 3; ++ch) part.Pixel(x, y)[ch] = pic.Pixel(x + 5, y + 8)[ch];
  Bitmap32 dst(31, 17);
  dst.DrawStretched(Rect{0, 0, 31, 17}, src, Rect{5, 8, 25, 18});
  EXPECT_EQ(dst.ToBitmap24(), Resample(part, 31, 17, kFilterMitchell));
}

TEST(Bitmap32, MitchellBlendWithUniformAlpha) {
  Bitmap32 overlay = Uniform32(6, 6, MakeColor32(255, 255, 255));
  overlay.SetAlpha(51);
  overlay.SetFilter(StretchFilter::Mitchell);
  overlay.SetMode(DrawMode::Blend);
  Bitmap32 cell = Uniform32(15, 15, MakeColor32(0, 100, 200));
  cell.DrawStretched(overlay);
  // 255·51 / 255 = 51; (255·51 + 100·204) / 255 = 131; (255·51 + 200·204) / 255 = 211.
  EXPECT_TRUE(cell.SamePixels(Uniform32(15, 15, MakeColor32(51, 131, 211))));
}

TEST(Bitmap32, StretchedDrawingClipsLikeTheWholeDrawing) {
  std::mt19937 rng(5);
  for (StretchFilter f : {StretchFilter::Nearest, StretchFilter::Mitchell, StretchFilter::Linear}) {
    Bitmap32 src = Random32(9, 7, rng);
    src.SetFilter(f);
    // The reference: the whole target rectangle inside a big bitmap.
    Bitmap32 big(40, 40);
    big.DrawStretched(Rect{10, 10, 33, 27}, src, Rect{0, 0, 9, 7});
    // The same rectangle shifted so it hangs over the top-left and bottom-right corners.
    for (auto [dx, dy] : {std::pair{-14, -12}, std::pair{-3, -20}}) {
      Bitmap32 small(12, 9);
      small.DrawStretched(Rect{10 + dx, 10 + dy, 33 + dx, 27 + dy}, src, Rect{0, 0, 9, 7});
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
          const int bx = x - dx, by = y - dy;
          const bool inside = bx >= 10 && bx < 33 && by >= 10 && by < 27;
          ASSERT_EQ(small.At(x, y), inside ? big.At(bx, by) : 0xFF000000u) << int(f) << " " << x << "," << y;
        }
    }
  }
}

TEST(Bitmap32, DegenerateRectanglesDrawNothing) {
  std::mt19937 rng(9);
  Bitmap32 src = Random32(6, 6, rng);
  src.SetFilter(StretchFilter::Mitchell);
  const Bitmap32 blank(8, 8);
  for (const auto& [dst, part] : {std::pair{Rect{0, 0, 8, 8}, Rect{3, 0, 3, 6}},       // empty source
                                  std::pair{Rect{0, 0, 8, 8}, Rect{6, 0, 0, 6}},       // reversed source
                                  std::pair{Rect{8, 0, 0, 8}, Rect{0, 0, 6, 6}},       // reversed target
                                  std::pair{Rect{0, 0, 8, 8}, Rect{10, 10, 20, 20}},   // outside the source
                                  std::pair{Rect{20, 0, 30, 8}, Rect{0, 0, 6, 6}}}) {  // outside the target
    Bitmap32 out(8, 8);
    out.DrawStretched(dst, src, part);
    EXPECT_TRUE(out.SamePixels(blank));
  }
  Bitmap32 out(8, 8);
  out.DrawStretched(Bitmap32());
  EXPECT_TRUE(out.SamePixels(blank));
}

TEST(Bitmap32, SourceRectangleOutsideTheSourceIsCutInProportion) {
  Bitmap32 src = Uniform32(4, 4, MakeColor32(9, 8, 7));
  Bitmap32 dst(8, 8);
  // The source rectangle (-4, 0)-(4, 4) is half outside: only the right half of the target is drawn.
  dst.DrawStretched(Rect{0, 0, 8, 8}, src, Rect{-4, 0, 4, 4});
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.At(x, 5), x < 4 ? 0xFF000000u : MakeColor32(9, 8, 7)) << x;
  // Drawing a bitmap into itself reads the pixels as they were.
  Bitmap32 self(2, 1);
  self.At(0, 0) = MakeColor32(1, 1, 1);
  self.At(1, 0) = MakeColor32(2, 2, 2);
  self.DrawStretched(Rect{1, 0, 2, 1}, self, Rect{0, 0, 1, 1});
  self.Draw(1, 0, self);
  EXPECT_EQ(self.At(1, 0), MakeColor32(1, 1, 1));
}

TEST(Bitmap24, ReshapeKeepsAZeroPaddingAndColouredSizesFillOnce) {
  // Reshape to the same size keeps the pixels; to another size the padding is 0.
  Bitmap24 b;
  b.SetSize(5, 3, 1, 2, 3);
  b.Reshape(5, 3);
  EXPECT_EQ(b.Pixel(4, 2)[2], 3);
  b.Reshape(7, 4);
  ASSERT_EQ(b.Stride(), 24);
  for (int y = 0; y < 4; ++y)
    for (int i = 21; i < 24; ++i) ASSERT_EQ(b.Row(y)[i], 0) << y;
  // A picture large enough for the huge-page storage: every pixel coloured, padding 0,
  // copies and moves whole.
  Bitmap24 big;
  big.SetSize(4001, 3001, 10, 20, 30);
  ASSERT_GE(big.ByteSize(), kHugePixelBytes);
  for (int y : {0, 1500, 3000}) {
    for (int x : {0, 2000, 4000}) ASSERT_EQ(big.Pixel(x, y)[0] + big.Pixel(x, y)[1] + big.Pixel(x, y)[2], 60);
    ASSERT_EQ(big.Row(y)[12003], 0);
  }
  Bitmap24 copy = big;
  EXPECT_TRUE(copy == big);
  Bitmap24 moved = std::move(copy);
  EXPECT_EQ(moved.Pixel(4000, 3000)[2], 30);
  big.SetSize(3, 3);  // back to small storage
  EXPECT_EQ(big.Pixel(2, 2)[0], 0);
}

}  // namespace
}  // namespace qv
