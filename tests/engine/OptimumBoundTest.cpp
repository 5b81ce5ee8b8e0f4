// The lower bound on the best total under a Distance rule: never above the best mosaic, found by
// trying every one, of tiny grids; as high as the best layout on a picture of one colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "MatchingTestSupport.h"
#include "engine/MosaicQuality.h"
#include "engine/OptimumBound.h"
#include "engine/Signature.h"
#include "raster/Bitmap24.h"

namespace {

class OptimumBoundTest : public qvtest::RandomProjectTest {
 protected:
  uint64_t D(int32_t cell, int32_t tile) const {
    return qv::SignatureDistanceInt(qv::CellTarget(lib_, plan_, cell).data(), lib_.RecordSignature(tile), lib_.SigSize);
  }

  // The lowest total over every mosaic of the cols x rows grid keeping the Distance rule.
  uint64_t BruteForceOptimum(int32_t cols, int32_t rows, int32_t distance) const {
    const int32_t cells = cols * rows, tiles = lib_.UnflippedCount;
    std::vector<int32_t> tile(size_t(cells), 0);
    uint64_t best = UINT64_MAX;
    std::function<void(int32_t, uint64_t)> go = [&](int32_t c, uint64_t sum) {
      if (sum >= best) return;
      if (c == cells) {
        best = sum;
        return;
      }
      for (int32_t t = 1; t <= tiles; ++t) {
        bool clash = false;
        for (int32_t o = 0; o < c && !clash; ++o)
          clash = tile[size_t(o)] == t && std::abs(o % cols - c % cols) <= distance &&
                  std::abs(o / cols - c / cols) <= distance;
        if (clash) continue;
        tile[size_t(c)] = t;
        go(c + 1, sum + D(c + 1, t));
      }
    };
    go(0, 0);
    return best;
  }

  uint64_t Bound(int32_t cols, int32_t rows, int32_t distance, uint64_t known) const {
    qv::TBoundSettings s;
    s.Cols = cols;
    s.Rows = rows;
    s.Distance = distance;
    s.Iterations = 400;
    s.KnownTotal = known;
    return qv::OptimumLowerBound(lib_, plan_, s).LowerBound;
  }
};

TEST_F(OptimumBoundTest, NeverAboveTheBestMosaicOfTinyGrids) {
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const int32_t cols = 3 + int32_t(seed % 2), rows = 3;
    OpenRandomProject(7, cols, rows, seed, seed + 50, {});
    const uint64_t best = BruteForceOptimum(cols, rows, 1);
    const uint64_t bound = Bound(cols, rows, 1, best);
    EXPECT_LE(bound, best);
    EXPECT_GT(bound, best / 2);  // not a trivial bound
  }
}

TEST_F(OptimumBoundTest, AsHighAsTheBestLayoutOfAPictureOfOneColour) {
  // Every cell alike: the best mosaic repeats the 4 closest tiles every 2 cells across and
  // down, a total of 9 times their distances on 6 x 6 cells at Distance 1.
  OpenRandomProject(20, 6, 6, 3, 3, {});
  qv::Bitmap24 plain;
  plain.SetSize(48, 48, 40, 120, 200);
  const std::string file = dir_.File("plain.qvp");
  lib_.CreateProject(file, plain, {}, qv::Size{6, 6});
  ASSERT_TRUE(plan_.OpenProject(file, mosaic_));
  std::vector<uint64_t> d;
  for (int32_t t = 1; t <= lib_.UnflippedCount; ++t) d.push_back(D(1, t));
  std::sort(d.begin(), d.end());
  const uint64_t best = 9 * (d[0] + d[1] + d[2] + d[3]);
  const uint64_t bound = Bound(6, 6, 1, best);
  EXPECT_LE(bound, best);
  EXPECT_GE(bound, best - best / 100);
}

}  // namespace
