// Block reduction of a part of a picture: the averages of worked blocks, the clipped edges,
// and the whole-picture reduction the views use.
#include "imaging/PictureScaling.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

// A picture whose blue is x + 10 y, green 2 x, red 100 + y.
Bitmap24 Ramp(int w, int h) {
  Bitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = b.Pixel(x, y);
      p[0] = uint8_t(x + 10 * y);
      p[1] = uint8_t(2 * x);
      p[2] = uint8_t(100 + y);
    }
  return b;
}

TEST(PictureScaling, ReduceRegionAveragesWholeBlocksOfThePart) {
  const Bitmap24 pic = Ramp(9, 7);
  // Part (1, 2)-(8, 7) by 3: 7 x 5 gives 2 x 1; the first block holds x 1..3, y 2..4, the
  // second x 4..6: blue 2 + 30 = 32 and 35, green 4 and 10, red 103.
  const Bitmap24 r = ReduceRegion(pic, {1, 2, 8, 7}, 3);
  ASSERT_EQ(r.Width(), 2);
  ASSERT_EQ(r.Height(), 1);
  EXPECT_EQ(r.Pixel(0, 0)[0], 32);
  EXPECT_EQ(r.Pixel(1, 0)[0], 35);
  EXPECT_EQ(r.Pixel(0, 0)[1], 4);
  EXPECT_EQ(r.Pixel(1, 0)[1], 10);
  EXPECT_EQ(r.Pixel(0, 0)[2], 103);
  // Factor 1 is the plain cut; a part reaching outside is clipped to the picture.
  EXPECT_EQ(ReduceRegion(pic, {2, 1, 6, 5}, 1), CutCopy(pic, {2, 1, 6, 5}));
  EXPECT_EQ(ReduceRegion(pic, {-5, -5, 20, 20}, 1), pic);
  EXPECT_TRUE(ReduceRegion(pic, {9, 0, 12, 4}, 2).Empty());
  // A part smaller than the factor still gives one pixel, its own average.
  const Bitmap24 one = ReduceRegion(pic, {0, 0, 2, 2}, 4);
  ASSERT_EQ(one.Width(), 1);
  EXPECT_EQ(one.Pixel(0, 0)[0], (0 + 1 + 10 + 11) / 4);
  // The views' reduction is the whole picture's.
  EXPECT_EQ(ReduceToFit(pic, 4), ReduceRegion(pic, {0, 0, 9, 7}, 3));
}

}  // namespace
}  // namespace qv
