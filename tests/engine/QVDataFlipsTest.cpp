// Blocks of flipped copies: their records, their order, rollback and removal.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/ByteIO.h"
#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "support/TestFiles.h"

namespace {

using qv::TQVData;

constexpr int kTiles = 3, kGridW = 3, kGridH = 2;

class FlipsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvtest::WriteSyntheticLibrary(lib_, kTiles, kGridW, kGridH);
    ASSERT_TRUE(t_.Open(lib_));
  }

  std::vector<uint8_t> Sig(int n) {
    return std::vector<uint8_t>(t_.RecordSignature(n), t_.RecordSignature(n) + t_.SigSize);
  }
  // The cell (column c, row r) of record n's signature.
  std::vector<uint8_t> Cell(int n, int c, int r) {
    const uint8_t* p = t_.RecordSignature(n) + (r * kGridW + c) * 3;
    return std::vector<uint8_t>(p, p + 3);
  }

  qvtest::TempDir dir_;
  std::string lib_ = dir_.File("lib.qv2");
  TQVData t_;
};

TEST_F(FlipsTest, HorizontalCopiesMirrorSignatureCropAndThumbnail) {
  t_.JpegQuality = 95;
  ASSERT_TRUE(t_.AddFlippedCopies(qv::kFlipHorizontal));
  EXPECT_EQ(t_.Count, 2 * kTiles);
  EXPECT_EQ(t_.FlipKinds[0], 1);
  EXPECT_EQ(t_.FlipKinds[1], 0);
  EXPECT_TRUE(t_.Modified);
  for (int k = 1; k <= kTiles; ++k) {
    const int copy = kTiles + k;
    for (int r = 0; r < kGridH; ++r)
      for (int c = 0; c < kGridW; ++c) EXPECT_EQ(Cell(copy, c, r), Cell(k, kGridW - 1 - c, r));
    qv::TTileInfo a = t_.RecordInfo(k), b = t_.RecordInfo(copy);
    EXPECT_EQ(b.CropLeft, a.CropRight);
    EXPECT_EQ(b.CropRight, a.CropLeft);
    EXPECT_EQ(b.CropTop, a.CropTop);
    EXPECT_EQ(b.PicWidth, a.PicWidth);
    EXPECT_EQ(b.Name, a.Name);
    EXPECT_EQ(b.SlotOffset, t_.SlotOffset(copy));
    EXPECT_EQ(t_.RecordStatus(copy), t_.RecordStatus(k));
    EXPECT_EQ(t_.TileNumberOf(copy), k);
    // The copy's thumbnail is the tile's picture mirrored (re-encoded, so nearly equal).
    auto decode = [](const std::string& j) {
      return qv::DecodeJpegMemory(reinterpret_cast<const uint8_t*>(j.data()), j.size());
    };
    qv::Bitmap24 ta = decode(t_.RecordThumbJpeg(k)), tb = decode(t_.RecordThumbJpeg(copy));
    ASSERT_EQ(tb.Width(), ta.Width());
    long diff = 0;
    for (int y = 0; y < ta.Height(); ++y)
      for (int x = 0; x < ta.Width(); ++x)
        for (int ch = 0; ch < 3; ++ch) diff += std::abs(ta.Pixel(x, y)[ch] - tb.Pixel(ta.Width() - 1 - x, y)[ch]);
    EXPECT_LT(double(diff) / (ta.Width() * ta.Height() * 3), 12.0);
  }
}

TEST_F(FlipsTest, VerticalAndHalfTurnPermuteCellsAndCorners) {
  ASSERT_TRUE(t_.AddFlippedCopies(qv::kFlipVertical));
  ASSERT_TRUE(t_.AddFlippedCopies(qv::kFlipRotate180));
  EXPECT_EQ(t_.Count, 3 * kTiles);
  EXPECT_EQ(t_.FlipKinds[0], 3);
  EXPECT_EQ(t_.FlipKinds[1], 2);
  for (int k = 1; k <= kTiles; ++k) {
    const int v = kTiles + k, h = 2 * kTiles + k;
    for (int r = 0; r < kGridH; ++r)
      for (int c = 0; c < kGridW; ++c) {
        EXPECT_EQ(Cell(v, c, r), Cell(k, c, kGridH - 1 - r));
        EXPECT_EQ(Cell(h, c, r), Cell(k, kGridW - 1 - c, kGridH - 1 - r));
      }
    qv::TTileInfo a = t_.RecordInfo(k), bv = t_.RecordInfo(v), bh = t_.RecordInfo(h);
    EXPECT_EQ(bv.CropTop, a.CropBottom);
    EXPECT_EQ(bv.CropBottom, a.CropTop);
    EXPECT_EQ(bv.CropLeft, a.CropLeft);
    EXPECT_EQ(bh.CropLeft, a.CropRight);
    EXPECT_EQ(bh.CropTop, a.CropBottom);
  }
}

TEST_F(FlipsTest, KindsFillTheBlocksInTheOrderAdded) {
  ASSERT_TRUE(t_.AddFlippedCopies(qv::kFlipHorizontal));
  ASSERT_TRUE(t_.AddFlippedCopies(qv::kFlipRotate180));
  EXPECT_FALSE(t_.AddFlippedCopies(qv::kFlipHorizontal));  // already there: nothing happens
  EXPECT_FALSE(t_.AddFlippedCopies(0));
  EXPECT_EQ(t_.Count, 3 * kTiles);
  t_.Save();
  TQVData u;
  ASSERT_TRUE(u.Open(lib_));
  EXPECT_EQ(u.Count, 3 * kTiles);
  EXPECT_EQ(u.UnflippedCount, kTiles);
  EXPECT_EQ(u.FlipKinds[0], 1);
  EXPECT_EQ(u.FlipKinds[1], 2);
  EXPECT_EQ(u.FlipKinds[2], 0);
  ASSERT_TRUE(u.AddFlippedCopies(qv::kFlipVertical));
  EXPECT_EQ(u.Count, 4 * kTiles);
  EXPECT_FALSE(u.AddFlippedCopies(qv::kFlipVertical));
}

TEST_F(FlipsTest, RemovingRestoresTheSections) {
  const int64_t text = t_.TextSection.Size(), data = t_.DataSection.Size(), thumb = t_.ThumbSection.Size();
  ASSERT_TRUE(t_.AddFlippedCopies(qv::kFlipHorizontal));
  ASSERT_TRUE(t_.AddFlippedCopies(qv::kFlipVertical));
  t_.Modified = false;
  t_.RemoveFlippedCopies();
  EXPECT_EQ(t_.Count, kTiles);
  EXPECT_EQ(t_.TextSection.Size(), text);
  EXPECT_EQ(t_.DataSection.Size(), data);
  EXPECT_EQ(t_.ThumbSection.Size(), thumb);
  EXPECT_EQ(t_.FlipKinds[0] + t_.FlipKinds[1] + t_.FlipKinds[2], 0);
  EXPECT_TRUE(t_.Modified);
  t_.Save();
  EXPECT_EQ(qvtest::FileBytes(lib_).size(), size_t(t_.LibraryImageSize()));
}

TEST_F(FlipsTest, StopRollsBackAndWarns) {
  const int64_t text = t_.TextSection.Size(), data = t_.DataSection.Size(), thumb = t_.ThumbSection.Size();
  std::string warning, caption;
  t_.OnWarning = [&](const std::string& a, const std::string& b) {
    warning = a;
    caption = b;
  };
  int events = 0;
  t_.OnProgress = [&](TQVData& d) {
    ++events;
    EXPECT_EQ(d.Progress, 0);
    d.StopRequested = true;
  };
  t_.Modified = false;
  EXPECT_FALSE(t_.AddFlippedCopies(qv::kFlipHorizontal));
  EXPECT_EQ(events, 1);
  EXPECT_EQ(warning, "Flipped tiles was not added to the library.");
  EXPECT_EQ(caption, "Procedure stopped");
  EXPECT_EQ(t_.Count, kTiles);
  EXPECT_EQ(t_.FlipKinds[0], 0);
  EXPECT_EQ(t_.TextSection.Size(), text);
  EXPECT_EQ(t_.DataSection.Size(), data);
  EXPECT_EQ(t_.ThumbSection.Size(), thumb);
  EXPECT_TRUE(t_.Modified);
}

// A copy whose thumbnail cannot be flipped shares its tile's thumbnail; removing the copies
// must not cut the tiles' own thumbnails away.
TEST_F(FlipsTest, RemovingKeepsThumbnailsSharedWithCopies) {
  std::string b = qvtest::FileBytes(lib_);
  const uint32_t thumb = qv::GetLE32(reinterpret_cast<const uint8_t*>(b.data()) + 75);
  b[thumb + 8] = 0;  // record 1's JPEG loses its start marker
  qvtest::WriteFile(lib_, b);
  TQVData t;
  ASSERT_TRUE(t.Open(lib_));
  std::vector<std::string> before;
  for (int n = 1; n <= kTiles; ++n) before.push_back(t.RecordThumbJpeg(n));
  const int64_t thumbSize = t.ThumbSection.Size();
  ASSERT_TRUE(t.AddFlippedCopies(qv::kFlipHorizontal));
  EXPECT_EQ(t.RecordInfo(kTiles + 1).ThumbOffset, t.RecordInfo(1).ThumbOffset);
  t.RemoveFlippedCopies();
  EXPECT_EQ(t.ThumbSection.Size(), thumbSize);
  for (int n = 1; n <= kTiles; ++n) EXPECT_EQ(t.RecordThumbJpeg(n), before[size_t(n) - 1]);
  t.Save();
  TQVData u;
  EXPECT_TRUE(u.Open(lib_));
}

}  // namespace
