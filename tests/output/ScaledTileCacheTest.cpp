#include "output/ScaledTileCache.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "codecs/JpegCodec.h"
#include "support/TestPictures.h"

namespace {

using namespace qv;

std::string RandomJpeg(std::mt19937& rng) { return EncodeJpeg(qvtest::RandomBitmap24(24, 18, rng, true), 90); }

ScaledTile Expected(ThumbCache::Entry& thumb, int w, int h, bool sharpen) {
  ScaledTile t;
  MakeScaledTile(*thumb.Picture(), w, h, sharpen, t);
  return t;
}

TEST(ScaledTileCache, OnePictureEachPerThumbnailSizeAndSharpening) {
  std::mt19937 rng(3);
  ThumbCache thumbs;
  ScaledTileCache cache;
  auto a = thumbs.Get(RandomJpeg(rng)), b = thumbs.Get(RandomJpeg(rng));
  auto a1 = cache.Get(a, 33, 34, true);
  ASSERT_TRUE(a1);
  EXPECT_EQ(cache.Get(a, 33, 34, true), a1);  // the same picture, not made again
  EXPECT_NE(cache.Get(a, 34, 34, true), a1);
  EXPECT_NE(cache.Get(a, 33, 34, false), a1);
  EXPECT_NE(cache.Get(b, 33, 34, true), a1);
  EXPECT_EQ(cache.Entries(), 4u);

  const ScaledTile e = Expected(*a, 33, 34, true);
  EXPECT_TRUE(a1->Picture == e.Picture);
  EXPECT_EQ(a1->Level, e.Level);
  EXPECT_TRUE(cache.Get(b, 33, 34, true)->Picture == Expected(*b, 33, 34, true).Picture);

  // A thumbnail that does not decode has no scaled picture.
  EXPECT_EQ(cache.Get(thumbs.Get("not a jpeg"), 10, 10, false), nullptr);
  EXPECT_EQ(cache.Get(nullptr, 10, 10, false), nullptr);
}

TEST(ScaledTileCache, KeepsWithinItsBudgetAndPicturesInUseSurvive) {
  std::mt19937 rng(4);
  ThumbCache thumbs;
  // Room for three 40 x 40 pictures (4800 bytes and a little bookkeeping each).
  ScaledTileCache cache(3 * 5100);
  std::vector<std::shared_ptr<ThumbCache::Entry>> entries;
  for (int i = 0; i < 5; ++i) entries.push_back(thumbs.Get(RandomJpeg(rng)));
  auto first = cache.Get(entries[0], 40, 40, false);
  for (int i = 1; i < 5; ++i) cache.Get(entries[size_t(i)], 40, 40, false);
  EXPECT_EQ(cache.Entries(), 3u);
  EXPECT_LE(cache.Bytes(), 3u * 5100);
  // The dropped picture is still whole for the cell holding it, and comes back equal.
  EXPECT_TRUE(first->Picture == Expected(*entries[0], 40, 40, false).Picture);
  auto again = cache.Get(entries[0], 40, 40, false);
  EXPECT_NE(again, first);
  EXPECT_TRUE(again->Picture == first->Picture);
  // One picture larger than the whole budget is still kept, alone.
  cache.Get(entries[1], 200, 200, false);
  EXPECT_EQ(cache.Entries(), 1u);
}

TEST(ScaledTileCache, WorkersShareThePictures) {
  std::mt19937 rng(5);
  ThumbCache thumbs;
  ScaledTileCache cache;
  std::vector<std::shared_ptr<ThumbCache::Entry>> entries;
  for (int i = 0; i < 6; ++i) entries.push_back(thumbs.Get(RandomJpeg(rng)));
  std::vector<std::vector<std::shared_ptr<const ScaledTile>>> got(4);
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([&, t] {
      for (int round = 0; round < 30; ++round)
        got[size_t(t)].push_back(cache.Get(entries[size_t(round % 6)], 20 + (round / 6) % 2, 20, true));
    });
  for (auto& w : workers) w.join();
  EXPECT_EQ(cache.Entries(), 12u);
  for (int t = 1; t < 4; ++t)
    for (size_t i = 0; i < got[0].size(); ++i) ASSERT_EQ(got[size_t(t)][i], got[0][i]);
  EXPECT_TRUE(got[0][9]->Picture == Expected(*entries[3], 21, 20, true).Picture);
}

}  // namespace
