// The cell distances a fidelity report gives: the distance the composition minimised (also for
// a library in another colour system than the plan's, and for flipped copies), cells without a
// library tile, and the figures over a known distribution.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "base/Errors.h"
#include "engine/CompositionRun.h"
#include "engine/MatchingTestSupport.h"
#include "engine/MosaicQuality.h"
#include "engine/QVData.h"

namespace {

class MosaicQualityTest : public qvtest::RandomProjectTest {
 protected:
  // A library of random 2 x 2 signatures in colorSystem and an RGB project of cols x rows cells.
  void OpenProject(uint8_t colorSystem, int tiles, int32_t cols, int32_t rows, uint32_t seed) {
    OpenRandomProject(tiles, cols, rows, seed, seed, {}, colorSystem);
  }

  void Compose(const qv::TOrientationSet& o) {
    qv::TCompositionSettings s;
    s.Cols = plan_.Cols;
    s.Rows = plan_.Rows;
    s.Distance = 0;
    s.Repeat = 0;
    s.Orientations = o;
    s.Mode = qv::kVisitTopToBottom;
    ASSERT_EQ(qv::RunComposition(lib_, plan_, mosaic_, s).Outcome, qv::TCompositionOutcome::Completed);
  }

  // The plan signature of cell c against library record n, with the plan taken into YCC
  // when the library is YCC: what a search compares.
  int64_t SearchDistance(int32_t c, int32_t n) const {
    const uint8_t* p = plan_.RecordSignature(c);
    const qv::SignatureBytes target =
        lib_.ColorSystem == qv::kColorYCC ? qv::ConvertRgbToYcc(p, 12) : qv::SignatureBytes(p, p + 12);
    return int64_t(qv::SignatureDistanceInt(target.data(), lib_.RecordSignature(n), 12));
  }
};

TEST_F(MosaicQualityTest, MeasuresWhatTheSearchMinimisedInTheLibrarysColourSystem) {
  // Repeat Auto, Distance 0: every cell took the tile nearest to it, so its distance is the
  // smallest over the library, measured in the library's YCC (the signature the mosaic stores
  // is the tile's thumbnail in RGB, and measures something else).
  OpenProject(qv::kColorYCC, 20, 5, 4, 7);
  Compose({true, false, false, false});
  const std::vector<int64_t> d = qv::CellDistances(lib_, plan_, mosaic_);
  ASSERT_EQ(d.size(), 20u);
  uint64_t total = 0, stored = 0;
  for (int32_t c = 1; c <= 20; ++c) {
    int64_t best = INT64_MAX;
    for (int32_t n = 1; n <= lib_.Count; ++n) best = std::min(best, SearchDistance(c, n));
    EXPECT_EQ(d[size_t(c - 1)], best) << "cell " << c;
    total += uint64_t(best);
    stored += qv::SignatureDistanceInt(plan_.RecordSignature(c), mosaic_.RecordSignature(c), 12);
  }
  EXPECT_EQ(qv::MosaicDistance(lib_, plan_, mosaic_), total);
  EXPECT_NE(stored, total);
}

TEST_F(MosaicQualityTest, FlippedCopiesAreMeasuredAsShownAndCellsWithoutTilesLeftOut) {
  OpenProject(qv::kColorRGB, 12, 4, 3, 11);
  ASSERT_TRUE(lib_.AddFlippedCopies(qv::kFlipHorizontal));
  Compose({false, true, false, false});  // mirrored copies only
  // Cell 2 emptied, cell 5 a custom picture, cell 7 a tile number past the library's end.
  plan_.Go(2);
  ASSERT_TRUE(mosaic_.RestoreCellFromPlan(2, plan_));
  ASSERT_TRUE(mosaic_.PlaceCustomPicture(5, qvtest::DrawTestPicture(8, 8, 3), qv::kCustomPictureTileNo, {}, "own.jpg"));
  lib_.GoRecord(3);
  ASSERT_TRUE(mosaic_.PlaceTile(7, lib_, false));
  lib_.GoRecord(lib_.UnflippedCount + 3);
  ASSERT_TRUE(mosaic_.PlaceTile(8, lib_, false));  // TileNo = the copy's record number
  const std::vector<int64_t> d = qv::CellDistances(lib_, plan_, mosaic_);
  EXPECT_EQ(d[1], qv::kNoTileDistance);
  EXPECT_EQ(d[4], qv::kCustomTileDistance);
  EXPECT_EQ(d[7], qv::kForeignTileDistance);
  EXPECT_EQ(d[6], SearchDistance(7, 3));  // crop corners of the unflipped tile
  for (int32_t c : {1, 3, 4, 6, 9, 10, 11, 12}) {
    const int32_t copy = lib_.UnflippedCount + mosaic_.RecordTileNo(c);
    EXPECT_EQ(d[size_t(c - 1)], SearchDistance(c, copy)) << "cell " << c;
    EXPECT_NE(SearchDistance(c, copy), SearchDistance(c, mosaic_.RecordTileNo(c)));
  }
}

TEST(QualityFiguresTest, PercentilesCountsAndUsesOfAKnownDistribution) {
  // Distances 1..200 in a shuffled order, then an empty cell, a custom picture and a foreign tile.
  std::vector<int64_t> d(200);
  std::iota(d.begin(), d.end(), 1);
  std::shuffle(d.begin(), d.end(), std::mt19937(4));
  std::vector<int32_t> tiles(200);
  for (size_t i = 0; i < tiles.size(); ++i) tiles[i] = int32_t(i % 50) + 1;  // 50 tiles, 4 uses each
  tiles[17] = 99;                                                            // one more tile, used once
  tiles[18] = 1;                                                             // tile 1 now 5 times
  d.insert(d.end(), {qv::kNoTileDistance, qv::kCustomTileDistance, qv::kForeignTileDistance});
  tiles.insert(tiles.end(), {0, qv::kCustomPictureTileNo, 5000});

  const qv::TQualityFigures f = qv::QualityFigures(d, tiles);
  EXPECT_EQ(f.Cells, 203);
  EXPECT_EQ(f.Measured, 200);
  EXPECT_EQ(f.Empty, 1);
  EXPECT_EQ(f.Custom, 1);
  EXPECT_EQ(f.Foreign, 1);
  EXPECT_EQ(f.Total, 20100u);
  EXPECT_DOUBLE_EQ(f.Mean, 100.5);
  EXPECT_EQ(f.P50, 100);
  EXPECT_EQ(f.P90, 180);
  EXPECT_EQ(f.P99, 198);
  EXPECT_EQ(f.Largest, 200);
  EXPECT_EQ(f.DistinctTiles, 51);
  EXPECT_EQ(f.MostUses, 5);

  // Nearest rank on small sets: the smallest value at least p % of them keep to.
  EXPECT_EQ(qv::Percentile({7}, 50), 7);
  EXPECT_EQ(qv::Percentile({1, 2, 3}, 50), 2);
  EXPECT_EQ(qv::Percentile({1, 2, 3, 4}, 50), 2);
  EXPECT_EQ(qv::Percentile({1, 2, 3, 4}, 99), 4);
  EXPECT_EQ(qv::Percentile({}, 90), 0);
  EXPECT_EQ(qv::QualityFigures({}, {}).Measured, 0);
  EXPECT_THROW(qv::QualityFigures({1, 2}, {1}), qv::EQuivara);
}

}  // namespace
