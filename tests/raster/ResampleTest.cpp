#include "raster/Resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "base/Errors.h"
#include "raster/ResampleCore.h"
#include "raster/ResampleFilters.h"
#include "raster/ResampleKernels.h"
#include "support/KernelSets.h"
#include "support/TestPictures.h"

namespace qv {
namespace {

using qvtest::GreyRow;
using qvtest::RandomBitmap24;
using qvtest::UniformBitmap24;

std::vector<int> BlueRow(const Bitmap24& bmp, int y = 0) {
  std::vector<int> v;
  for (int x = 0; x < bmp.Width(); ++x) v.push_back(bmp.Pixel(x, y)[0]);
  return v;
}

TEST(Resample, FilterTableNamesAndSupport) {
  const char* names[] = {"Box", "Triangle", "Hermite", "Bell", "B-Spline", "Lanczos3", "Mitchell"};
  const float support[] = {0.5f, 1.0f, 1.0f, 1.5f, 2.0f, 3.0f, 2.0f};
  for (int f = 0; f <= 6; ++f) {
    EXPECT_STREQ(ResampleFilterName(f), names[f]);
    EXPECT_EQ(ResampleFilterSupport(f), support[f]);
  }
  EXPECT_STREQ(ResampleFilterName(9), "Mitchell");
  // Kernel values at a few points that tell the formulas apart.
  EXPECT_EQ(ResampleKernel(kFilterBox, 0.5f), 1.0f);
  EXPECT_EQ(ResampleKernel(kFilterBox, -0.5f), 0.0f);
  EXPECT_FLOAT_EQ(ResampleKernel(kFilterHermite, 0.5f), 0.5f);
  EXPECT_FLOAT_EQ(ResampleKernel(kFilterBell, 1.0f), 0.125f);
  EXPECT_FLOAT_EQ(ResampleKernel(kFilterBSpline, 0.0f), 2.0f / 3.0f);
  EXPECT_FLOAT_EQ(ResampleKernel(kFilterLanczos3, 0.0f), 1.0f);
  EXPECT_NEAR(ResampleKernel(kFilterLanczos3, 1.5f), -0.1351, 1e-4);
  EXPECT_FLOAT_EQ(ResampleKernel(kFilterMitchell, 0.0f), 16.0f / 18.0f);
  EXPECT_NEAR(ResampleKernel(kFilterMitchell, 1.5f), -0.0347, 1e-4);
  EXPECT_EQ(ResampleKernel(kFilterMitchell, 2.0f), 0.0f);
}

TEST(Resample, WorkedEnlargements) {
  // Box 2 -> 3: centres 0, 0.5, 1; the middle pixel takes source 0 only.
  EXPECT_EQ(BlueRow(Resample(GreyRow({40, 200}), 3, 1, kFilterBox)), (std::vector<int>{40, 40, 200}));
  // Triangle 2 -> 3: the middle pixel is (128 * 10 + 128 * 21) div 256.
  EXPECT_EQ(BlueRow(Resample(GreyRow({10, 21}), 3, 1, kFilterTriangle)), (std::vector<int>{10, 15, 21}));
  // Equal size is the identity for the interpolating filters.
  const int row[] = {0, 17, 255, 128, 3, 99};
  for (int f : {kFilterBox, kFilterTriangle, kFilterHermite, kFilterLanczos3})
    EXPECT_EQ(BlueRow(Resample(GreyRow(row), 6, 1, f)), std::vector<int>(std::begin(row), std::end(row))) << f;
}

TEST(Resample, OnePixelWideSourceFillsEveryColumn) {
  // Every target column reads the single source column, also with Lanczos3 whose reach
  // exceeds the picture on both sides.
  Bitmap24 src(1, 4);
  const int values[] = {0, 90, 255, 31};
  for (int y = 0; y < 4; ++y) src.Pixel(0, y)[0] = src.Pixel(0, y)[1] = src.Pixel(0, y)[2] = uint8_t(values[y]);
  for (int f = 0; f <= 6; ++f) {
    Bitmap24 out = Resample(src, 10, 4, f);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 10; ++x) ASSERT_EQ(out.Pixel(x, y)[1], out.Pixel(0, y)[1]) << f;
    if (f == kFilterLanczos3 || f == kFilterBox) {
      for (int y = 0; y < 4; ++y) EXPECT_EQ(out.Pixel(5, y)[2], values[y]);
    }
  }
  Bitmap24 dot = UniformBitmap24(1, 1, 7, 8, 9);
  EXPECT_EQ(Resample(dot, 5, 3, kFilterLanczos3), UniformBitmap24(5, 3, 7, 8, 9));
}

TEST(Resample, UniformColourStaysExactForEveryFilter) {
  const int sizes[][4] = {{17, 13, 40, 29}, {40, 29, 17, 13}, {100, 80, 6, 6}, {6, 6, 42, 42},
                          {9, 9, 1, 1},     {1, 7, 3, 1},     {2000, 3, 2, 3}, {3, 700, 3, 1}};
  for (int f = 0; f <= 6; ++f)
    for (const auto& s : sizes) {
      Bitmap24 src = UniformBitmap24(s[0], s[1], 250, 3, 128);
      EXPECT_EQ(Resample(src, s[2], s[3], f), UniformBitmap24(s[2], s[3], 250, 3, 128))
          << ResampleFilterName(f) << " " << s[0] << "x" << s[1] << " -> " << s[2] << "x" << s[3];
    }
}

TEST(Resample, MitchellOvershootIsClamped) {
  // A hard black/white edge: the negative lobes push some sums below 0 and above 255; those
  // pixels must clamp to 0 and 255, not wrap around.
  const int edge[] = {0, 0, 0, 0, 255, 255, 255, 255};
  const auto lists = BuildContributors(8, 29, kFilterMitchell, 0);
  std::vector<int> out = BlueRow(Resample(GreyRow(edge), 29, 1, kFilterMitchell));
  int below = 0, above = 0;
  for (int x = 0; x < 29; ++x) {
    int sum = 0, weights = 0;
    for (const Contributor& c : lists[x]) {
      sum += c.weight * edge[c.index];
      weights += c.weight;
    }
    const int unclamped = sum / weights;
    if (unclamped < 0) {
      ++below;
      EXPECT_EQ(out[x], 0) << x;
    } else if (unclamped > 255) {
      ++above;
      EXPECT_EQ(out[x], 255) << x;
    } else {
      EXPECT_EQ(out[x], unclamped) << x;
    }
  }
  EXPECT_GT(below, 0);
  EXPECT_GT(above, 0);
}

TEST(Resample, ShrinkReachWidensByTheScale) {
  // 100 -> 50: sx = 49/99, so each centre gathers R * 99/49 source pixels on each side and the
  // weights, scaled by sx, still add up to about 256.
  for (int f = 0; f <= 6; ++f) {
    const float reach = ResampleFilterSupport(f) * 99.0f / 49.0f;
    const auto lists = BuildContributors(100, 50, f, 0);
    ASSERT_EQ(lists.size(), 50u);
    const float centre = 25 * 99.0f / 49.0f;
    int sum = 0;
    for (const Contributor& c : lists[25]) {
      EXPECT_LE(std::fabs(c.index - centre), reach + 1) << f;
      sum += c.weight;
    }
    EXPECT_NEAR(sum, 256, 4) << f;
    EXPECT_GE(int(lists[25].size()), int(2 * reach) - 2) << f;
    EXPECT_LE(int(lists[25].size()), int(2 * reach + 3)) << f;
  }
}

TEST(Resample, EdgeIndicesMirrorThenClamp) {
  // Triangle 3 -> 5 at target 0: centre 0, j = -1..1, source -1 mirrors to 1.
  auto lists = BuildContributors(3, 5, kFilterLanczos3, 0);
  for (const auto& list : lists)
    for (const Contributor& c : list) {
      EXPECT_GE(c.index, 0);
      EXPECT_LT(c.index, 3);
    }
  // Box 2 -> 2 with a wide custom radius: indices far outside clamp to the edges.
  lists = BuildContributors(2, 2, kFilterBox, 5.0f);
  ASSERT_EQ(lists[1].size(), 1u);
  EXPECT_EQ(lists[1][0].index, 1);
  EXPECT_EQ(lists[1][0].weight, 256);
}

TEST(Resample, SinglePixelTargetAveragesTheWholeSource) {
  // (DW - 1) / (SW - 1) would be 0 and every centre i / 0 undefined. A single target pixel
  // takes the scale 1/SW centred on the source's middle: Triangle over 10..50 with weights
  // 31, 61, 61, 51, 51 after mirroring (sum 255) gives 7950 div 255 = 31.
  const int row[] = {10, 20, 30, 40, 50};
  EXPECT_EQ(BlueRow(Resample(GreyRow(row), 1, 1, kFilterTriangle)), std::vector<int>{31});
  for (int f = 0; f <= 6; ++f) {
    int v = Resample(GreyRow(row), 1, 1, f).Pixel(0, 0)[0];
    EXPECT_GE(v, 20) << f;
    EXPECT_LE(v, 40) << f;
  }
  // Both directions at once, and one direction only.
  std::mt19937 rng(5);
  Bitmap24 src = RandomBitmap24(9, 7, rng);
  EXPECT_EQ(Resample(src, 1, 1, kFilterMitchell).Width(), 1);
  EXPECT_EQ(Resample(src, 1, 5, kFilterMitchell), ResampleReference(src, 1, 5, kFilterMitchell));
  EXPECT_EQ(Resample(src, 4, 1, kFilterMitchell), ResampleReference(src, 4, 1, kFilterMitchell));
}

TEST(Resample, ExtremeReductionDoesNotTurnBlack) {
  // At 1/1000 every weight in 1/256 units would round to 0 and the pixel would come out
  // black; such lists use finer units.
  EXPECT_EQ(Resample(UniformBitmap24(1000, 2, 200, 100, 50), 1, 1, kFilterMitchell),
            UniformBitmap24(1, 1, 200, 100, 50));
  EXPECT_EQ(Resample(UniformBitmap24(3000, 1, 9, 99, 199), 3, 1, kFilterBox), UniformBitmap24(3, 1, 9, 99, 199));
  std::vector<int> ramp(1200);
  for (int i = 0; i < 1200; ++i) ramp[i] = i * 255 / 1199;
  Bitmap24 src(1200, 1);
  for (int x = 0; x < 1200; ++x) src.Pixel(x, 0)[0] = uint8_t(ramp[x]);
  // Two targets from 1200: corner to corner, each reaching over the whole ramp, so the
  // triangle-weighted means of the mirrored ramp are about 1/3 and 2/3 of 255.
  std::vector<int> out = BlueRow(Resample(src, 2, 1, kFilterTriangle));
  EXPECT_NEAR(out[0], 85, 2);
  EXPECT_NEAR(out[1], 170, 2);
  EXPECT_NEAR(BlueRow(Resample(src, 1, 1, kFilterMitchell))[0], 127, 2);
}

TEST(Resample, SizeLimits) {
  Bitmap24 src = UniformBitmap24(4, 4, 1, 2, 3);
  EXPECT_TRUE(Resample(src, 0, 5, kFilterMitchell).Empty());
  EXPECT_TRUE(Resample(src, 5, 0, kFilterMitchell).Empty());
  EXPECT_TRUE(ResampleReference(src, 0, 0, kFilterBox).Empty());
  try {
    Resample(Bitmap24(0, 3), 4, 4, kFilterMitchell);
    FAIL() << "no error";
  } catch (const EPictureError& e) {
    EXPECT_STREQ(e.what(), "Source bitmap too small");
  }
  EXPECT_THROW(ResampleReference(Bitmap24(3, 0), 4, 4, kFilterBox), EPictureError);
}

// The fast resampler and every set of vector kernels against the reference.
class ResampleKernelSets : public qvtest::KernelSetTest<ResampleKernels, ResampleKernelChoice> {};

TEST_P(ResampleKernelSets, FastEqualsReference) {
  std::mt19937 rng(1234 + GetParam());
  std::uniform_int_distribution<int> size(1, 70), small(1, 6);
  for (int round = 0; round < 150; ++round) {
    const int filter = round % 7;
    const int sw = round % 5 == 0 ? small(rng) : size(rng), sh = round % 3 == 0 ? small(rng) : size(rng);
    const int dw = round % 4 == 0 ? small(rng) : size(rng), dh = size(rng);
    const float radius = round % 11 == 0 ? 0.75f + round % 4 : 0.0f;
    Bitmap24 src = RandomBitmap24(sw, sh, rng, round % 2 == 0);
    ASSERT_EQ(Resample(src, dw, dh, filter, radius), ResampleReference(src, dw, dh, filter, radius))
        << kernels_->name << " " << ResampleFilterName(filter) << " " << sw << "x" << sh << " -> " << dw << "x" << dh
        << " radius " << radius;
  }
  // The shapes the program uses most: a picture to a thumbnail, a thumbnail to a signature.
  Bitmap24 photo = RandomBitmap24(317, 211, rng, true);
  EXPECT_EQ(Resample(photo, 42, 28, kFilterMitchell), ResampleReference(photo, 42, 28, kFilterMitchell));
  Bitmap24 thumb = RandomBitmap24(42, 42, rng);
  EXPECT_EQ(Resample(thumb, 6, 6, kFilterLanczos3), ResampleReference(thumb, 6, 6, kFilterLanczos3));
  EXPECT_EQ(Resample(thumb, 130, 97, kFilterBSpline), ResampleReference(thumb, 130, 97, kFilterBSpline));
}

TEST_P(ResampleKernelSets, WindowEqualsPartOfTheWhole) {
  std::mt19937 rng(77);
  for (int channels : {3, 4}) {
    const int sw = 23, sh = 19, dw = 41, dh = 11;
    std::vector<uint8_t> src(sw * sh * channels);
    for (auto& b : src) b = uint8_t(rng());
    PixelsIn in{src.data(), sw * channels, sw, sh, channels};
    std::vector<uint8_t> whole(dw * dh * channels), part(dw * dh * channels, 0);
    const Rect all{0, 0, dw, dh}, window{5, 3, 30, 9};
    ResamplePixelsReference(in, dw, dh, kFilterMitchell, 0, all, PixelsOut{whole.data(), dw * channels});
    for (auto fn : {ResamplePixels, ResamplePixelsReference}) {
      fn(in, dw, dh, kFilterMitchell, 0, window, PixelsOut{part.data(), dw * channels});
      for (int y = 0; y < window.Height(); ++y)
        for (int e = 0; e < window.Width() * channels; ++e)
          ASSERT_EQ(part[y * dw * channels + e], whole[(y + window.Top) * dw * channels + window.Left * channels + e]);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kernels, ResampleKernelSets, ::testing::Range(0, 2));  // portable, AVX2

}  // namespace
}  // namespace qv
