// The fast cell composition (sharpening, shift and blend, scaled tiles) against the plain
// computations that define it, with every set of kernels the processor offers.
#include "imaging/TileKernels.h"

#include <gtest/gtest.h>

#include <random>

#include "imaging/TileOps.h"
#include "support/KernelSets.h"
#include "support/TestPictures.h"

namespace {

using namespace qv;
using qvtest::RandomBitmap24;

Bitmap32 Random32(int w, int h, std::mt19937& rng, bool smooth = false) {
  Bitmap32 b;
  b.CopyFrom(RandomBitmap24(w, h, rng, smooth));
  // Alpha as it may come out of a stretched drawing: not always 255.
  std::uniform_int_distribution<int> alpha(0, 255);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (x % 3 == 1) b.At(x, y) = (b.At(x, y) & 0x00FFFFFFu) | (uint32_t(alpha(rng)) << 24);
  return b;
}

class TileKernelSets : public qvtest::KernelSetTest<TileKernels, TileKernelChoice> {};

TEST_P(TileKernelSets, SharpenEqualsThePlainConvolution) {
  std::mt19937 rng(99 + GetParam());
  std::uniform_int_distribution<int> side(1, 45);
  const int sides[][2] = {{1, 1}, {1, 7}, {7, 1}, {2, 2}, {2, 9}, {9, 2}, {3, 3}, {3, 17}, {17, 3}, {4, 4}, {5, 6}};
  std::vector<std::pair<int, int>> shapes;
  for (const auto& s : sides) shapes.push_back({s[0], s[1]});
  for (int i = 0; i < 60; ++i) shapes.push_back({side(rng), side(rng)});
  shapes.push_back({133, 101});
  for (size_t i = 0; i < shapes.size(); ++i) {
    const auto [w, h] = shapes[i];
    Bitmap32 fast = Random32(w, h, rng, i % 2 == 1);
    Bitmap32 plain = fast;
    Convolve3x3(fast, SharpenKernel, kSharpenDivisor);
    Convolve3x3Reference(plain, SharpenKernel, kSharpenDivisor);
    ASSERT_TRUE(fast.SamePixels(plain)) << kernels_->name << " " << w << " x " << h;
  }
  // Extremes: every value 0 next to 255, where the sums reach their limits.
  Bitmap32 chequer(37, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 37; ++x) chequer.At(x, y) = (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u;
  Bitmap32 plain = chequer;
  Convolve3x3(chequer, SharpenKernel, kSharpenDivisor);
  Convolve3x3Reference(plain, SharpenKernel, kSharpenDivisor);
  EXPECT_TRUE(chequer.SamePixels(plain));
}

TEST_P(TileKernelSets, FinishRowShiftsAndBlendsEveryByte) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> byte(0, 255), shift(-300, 300);
  for (int round = 0; round < 200; ++round) {
    const int pixels = round % 70 + 1;
    const int n = pixels * 3;
    std::vector<uint8_t> in(n), overlay(n), out(n), expected(n);
    for (int i = 0; i < n; ++i) {
      in[i] = uint8_t(byte(rng));
      overlay[i] = uint8_t(byte(rng));
    }
    int d[3];
    for (int ch = 0; ch < 3; ++ch) d[ch] = round % 5 == 0 ? 0 : shift(rng);
    const FinishParams p = MakeFinishParams(d, round % 7 == 0 ? 255 : (round % 11 == 0 ? 0 : byte(rng)));
    const bool blend = round % 3 != 0;
    for (int i = 0; i < n; ++i) {
      const int v = std::clamp(in[i] + d[i % 3], 0, 255);
      expected[i] = blend ? uint8_t((overlay[i] * p.alpha + v * (255 - p.alpha)) / 255) : uint8_t(v);
    }
    kernels_->finishRow(in.data(), blend ? overlay.data() : nullptr, n, p, out.data());
    ASSERT_EQ(out, expected) << kernels_->name << " round " << round;
    kernels_->finishRow(in.data(), blend ? overlay.data() : nullptr, n, p, in.data());  // in place
    ASSERT_EQ(in, expected) << kernels_->name << " round " << round;
  }
}

TEST_P(TileKernelSets, SwapRedBlue) {
  for (int count : {0, 1, 4, 5, 6, 11, 64, 101}) {
    std::vector<uint8_t> in(size_t(count) * 3), out(in.size());
    for (size_t i = 0; i < in.size(); ++i) in[i] = uint8_t(i * 7 + 1);
    kernels_->swapRedBlue(in.data(), count, out.data());
    for (int x = 0; x < count; ++x) {
      ASSERT_EQ(out[x * 3], in[x * 3 + 2]) << count;
      ASSERT_EQ(out[x * 3 + 1], in[x * 3 + 1]) << count;
      ASSERT_EQ(out[x * 3 + 2], in[x * 3]) << count;
    }
    kernels_->swapRedBlue(out.data(), count, out.data());  // in place, back again
    ASSERT_EQ(out, in) << count;
  }
}

// MakeScaledTile and FinishCell give exactly ComposeCell's pixels, for cells of any size,
// with and without sharpening, correction, blending and a detailed source.
TEST_P(TileKernelSets, ScaledTileAndFinishEqualComposeCell) {
  std::mt19937 rng(31);
  Bitmap32 source = Random32(120, 90, rng, true);
  const int sizes[][2] = {{1, 1}, {2, 3}, {3, 2}, {16, 12}, {33, 34}, {100, 100}, {7, 61}};
  for (int round = 0; round < 42; ++round) {
    const int w = sizes[round % 7][0], h = sizes[round % 7][1];
    Bitmap24 tile24 = RandomBitmap24(16 + round % 5, 12 + round % 3, rng, round % 2 == 0);
    if (round % 13 == 5) tile24 = RandomBitmap24(w, h, rng);  // already the cell's size
    Bitmap32 tile;
    tile.CopyFrom(tile24);
    Bitmap24 target = RandomBitmap24(round % 9 == 4 ? w : 6, round % 9 == 4 ? h : 6, rng, true);
    if (round == 17) target = Bitmap24();
    ComposeCellParams p;
    p.Width = w;
    p.Height = h;
    p.Sharpen = round % 2 == 1;
    p.Percent = (round / 2) % 3 == 0 ? 0 : 10 + round * 2;
    p.Alpha = round % 4 == 0 ? 0 : (round % 5 == 0 ? 255 : 5 * round);
    p.Detailed = round % 6 == 3;
    p.FullSource = &source;
    p.X1 = 10 + round;
    p.Y1 = 5;
    p.X2 = round % 12 == 3 ? 2 : 40 + round;  // mirrored now and then
    p.Y2 = 50;
    p.DetailWidth = w;
    p.DetailHeight = round % 12 == 9 ? h + 3 : h;  // stretched once more to the cell
    const Bitmap24 expected = ComposeCell(tile, target, p);

    ScaledTile scaled;
    MakeScaledTile(tile, w, h, p.Sharpen, scaled);
    Bitmap24 out = RandomBitmap24(3, 2, rng);  // reused memory of another size
    FinishCell(scaled, target, p, out);
    ASSERT_TRUE(out == expected) << kernels_->name << " round " << round << " " << w << " x " << h;
    for (int y = 0; y < h; ++y)  // the padding stays 0
      for (int i = w * 3; i < out.Stride(); ++i) ASSERT_EQ(out.Row(y)[i], 0);
  }
}

INSTANTIATE_TEST_SUITE_P(All, TileKernelSets, ::testing::Range(0, 2));  // portable, AVX2

TEST(TileOps, ChannelRmsOfBitmap24EqualsItsBitmap32) {
  std::mt19937 rng(8);
  for (int w : {1, 5, 64})
    for (int h : {1, 3, 40}) {
      Bitmap24 b = RandomBitmap24(w, h, rng);
      Bitmap32 c;
      c.CopyFrom(b);
      EXPECT_EQ(ChannelRms(b), ChannelRms(c)) << w << " x " << h;
    }
  EXPECT_EQ(ChannelRms(Bitmap24()), MakeColor32(0, 0, 0));
}

}  // namespace
