// The optimising pass: the optimum of tiny cases found by trying every assignment, the rules
// after the pass on random cases, stops, repeatability and a start that breaks the rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "engine/CompositionRun.h"
#include "engine/MatchingTestSupport.h"
#include "engine/MosaicQuality.h"
#include "engine/OptimizeComposition.h"
#include "engine/QVData.h"
#include "support/TestFiles.h"

namespace {

using qv::TOptimizeOutcome;
using qv::TQVData;

class OptimizeTest : public qvtest::RandomProjectTest {
 protected:
  // A library of `tiles` random 2 x 2 signatures (statuses as given) and a project of
  // cols x rows cells over a random picture.
  void OpenProject(int tiles, int32_t cols, int32_t rows, uint32_t seed, const std::vector<uint8_t>& statuses = {}) {
    OpenRandomProject(tiles, cols, rows, seed, seed, statuses);
    s_.Rules = {};
    s_.Rules.Cols = cols;
    s_.Rules.Rows = rows;
    s_.Rules.Mode = qv::kVisitTopToBottom;
  }

  // Empties every cell, then fills them by a composition run.
  void Compose() {
    for (int32_t n = 1; n <= mosaic_.Count; ++n) {
      plan_.Go(n);
      ASSERT_TRUE(mosaic_.RestoreCellFromPlan(n, plan_));
    }
    const qv::TCompositionResult r = qv::RunComposition(lib_, plan_, mosaic_, s_.Rules);
    ASSERT_EQ(r.Outcome, qv::TCompositionOutcome::Completed);
  }

  qv::TOptimizeResult Optimize() { return qv::OptimizeComposition(lib_, plan_, mosaic_, s_, hooks_); }

  // The rules over the cells holding library tiles, counted here from the mosaic itself.
  // Uses count in the work area only, as a composition run of that area counts them.
  ::testing::AssertionResult ObeysRules() const {
    const qv::TCellRect sel = s_.Rules.Selection;
    const bool whole = sel.Left == sel.Right && sel.Top == sel.Bottom;
    const std::vector<int32_t> cells = Cells();
    const int32_t cols = s_.Rules.Cols, d = s_.Rules.Distance;
    std::map<int32_t, int> uses;
    for (size_t i = 0; i < cells.size(); ++i) {
      const int32_t t = cells[i];
      if (t <= 0 || t >= qv::kCustomPictureTileNo) continue;
      if (whole || sel.Contains(int32_t(i % cols), int32_t(i / cols)) != s_.Rules.InvertSelection) ++uses[t];
      for (size_t j = i + 1; j < cells.size(); ++j)
        if (cells[j] == t && std::abs(int(i % cols) - int(j % cols)) <= d &&
            std::abs(int(i / cols) - int(j / cols)) <= d)
          return ::testing::AssertionFailure() << "tile " << t << " twice within " << d;
    }
    for (const auto& [t, n] : uses)
      if (s_.Rules.Repeat > 0 && n > s_.Rules.Repeat) return ::testing::AssertionFailure() << "tile " << t << " x" << n;
    return ::testing::AssertionSuccess();
  }

  uint64_t D(int32_t cell, int32_t tile) const {
    return qv::SignatureDistanceInt(plan_.RecordSignature(cell), lib_.RecordSignature(tile), lib_.SigSize);
  }

  // The lowest total over every assignment of tiles to cells with at most `repeat` uses each.
  uint64_t BruteForceOptimum(int32_t repeat) const {
    const int32_t cells = plan_.Count, tiles = lib_.UnflippedCount;
    std::vector<int32_t> uses(size_t(tiles) + 1, 0);
    uint64_t best = UINT64_MAX;
    std::function<void(int32_t, uint64_t)> go = [&](int32_t cell, uint64_t sum) {
      if (sum >= best) return;
      if (cell > cells) {
        best = sum;
        return;
      }
      for (int32_t t = 1; t <= tiles; ++t) {
        if (uses[size_t(t)] >= repeat) continue;
        ++uses[size_t(t)];
        go(cell + 1, sum + D(cell, t));
        --uses[size_t(t)];
      }
    };
    go(1, 0);
    return best;
  }

  qv::TOptimizeSettings s_;
  qv::TOptimizeHooks hooks_;
};

TEST_F(OptimizeTest, ReachesTheOptimumOfTinyGrids) {
  struct Case {
    int tiles;
    int32_t cols, rows, repeat;
  };
  // The last has more tile uses to spare than the auction takes on: the path searches solve it.
  for (const Case c : {Case{6, 3, 2, 1}, Case{6, 3, 3, 2}, Case{9, 3, 3, 1}, Case{5, 2, 2, 1}, Case{8, 2, 2, 2}}) {
    for (uint32_t seed = 1; seed <= 6; ++seed) {
      SCOPED_TRACE("case " + std::to_string(c.cols) + "x" + std::to_string(c.rows) + " seed " + std::to_string(seed));
      OpenProject(c.tiles, c.cols, c.rows, seed * 31 + uint32_t(c.tiles));
      s_.Rules.Distance = 0;
      s_.Rules.Repeat = c.repeat;
      s_.Candidates = c.tiles;
      Compose();
      const uint64_t greedy = qv::MosaicDistance(lib_, plan_, mosaic_);
      const uint64_t optimum = BruteForceOptimum(c.repeat);
      const qv::TOptimizeResult r = Optimize();
      EXPECT_EQ(r.Outcome, TOptimizeOutcome::Completed);
      EXPECT_EQ(r.StartDistance, greedy);
      EXPECT_EQ(r.EndDistance, optimum);
      EXPECT_EQ(qv::MosaicDistance(lib_, plan_, mosaic_), optimum);  // what the mosaic now holds
      EXPECT_TRUE(ObeysRules());
    }
  }
}

// When the Distance square of every cell covers the whole grid, no tile may stand twice
// anywhere, and the block moves solve the grid as one block.
TEST_F(OptimizeTest, ReachesTheOptimumWhenOneBlockCoversTheGrid) {
  struct Case {
    int tiles;
    int32_t cols, rows, distance;
  };
  for (const Case c : {Case{8, 2, 2, 1}, Case{8, 3, 2, 2}, Case{7, 3, 2, 5}}) {
    for (uint32_t seed = 1; seed <= 5; ++seed) {
      SCOPED_TRACE("case " + std::to_string(c.cols) + "x" + std::to_string(c.rows) + " seed " + std::to_string(seed));
      OpenProject(c.tiles, c.cols, c.rows, seed * 17 + uint32_t(c.distance));
      s_.Rules.Distance = c.distance;
      s_.Rules.Repeat = 0;
      s_.Candidates = 2;  // short lists: the blocks must find the rest
      Compose();
      const qv::TOptimizeResult r = Optimize();
      EXPECT_EQ(r.Outcome, TOptimizeOutcome::Completed);
      EXPECT_EQ(r.EndDistance, BruteForceOptimum(1));
      EXPECT_EQ(qv::MosaicDistance(lib_, plan_, mosaic_), r.EndDistance);
      EXPECT_TRUE(ObeysRules());
    }
  }
}

TEST_F(OptimizeTest, KeepsEveryRuleOnRandomCases) {
  std::mt19937 rng(7);
  int improved = 0;
  for (int round = 0; round < 24; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const int tiles = 30 + int(rng() % 30);
    const int32_t cols = 5 + int32_t(rng() % 5), rows = 4 + int32_t(rng() % 5);
    std::vector<uint8_t> statuses(size_t(tiles), 0);
    for (auto& st : statuses)
      if (rng() % 8 == 0) st = qv::kDeletedStatus;
    OpenProject(tiles, cols, rows, 1000 + uint32_t(round), statuses);
    const bool flips = round % 3 == 0;
    if (flips) {
      ASSERT_TRUE(lib_.AddFlippedCopies(qv::kFlipHorizontal));
    }
    s_.Rules.Orientations = {true, flips, false, false};
    s_.Rules.Distance = int32_t(rng() % 3);
    s_.Rules.Repeat = int32_t(rng() % 4);  // 0: Auto
    if (s_.Rules.Repeat > 0 && s_.Rules.Repeat * (tiles * 7 / 8 - 2) < cols * rows) s_.Rules.Repeat = 0;
    // Every fourth round the whole grid is free, with a Distance rule and no Repeat limit,
    // which is where the pass may lay the grid out afresh by classes.
    const bool allFree = round % 4 == 2;
    if (allFree) {
      s_.Rules.Distance = 1 + int32_t(rng() % 2);
      s_.Rules.Repeat = 0;
    }
    s_.Candidates = 4 + int32_t(rng() % 12);
    s_.Seed = rng();
    Compose();

    // A custom picture and, in some rounds, a selection whose outside stays as it is.
    if (!allFree) {
      ASSERT_TRUE(
          mosaic_.PlaceCustomPicture(2, qvtest::DrawTestPicture(10, 10, 1), qv::kCustomPictureTileNo, {}, "me"));
    }
    s_.Rules.Selection = {};
    if (round % 2 == 1) s_.Rules.Selection = {1, 1, cols - 2, rows - 2};
    s_.Rules.InvertSelection = round % 4 == 3;
    const std::vector<int32_t> before = Cells();
    const qv::TOptimizeResult r = Optimize();
    ASSERT_EQ(r.Outcome, TOptimizeOutcome::Completed) << r.Message;
    EXPECT_TRUE(ObeysRules());
    EXPECT_LE(r.EndDistance, r.StartDistance);
    if (r.EndDistance < r.StartDistance) ++improved;
    const std::vector<int32_t> after = Cells();
    const qv::TCellRect sel = s_.Rules.Selection;
    const bool whole = sel.Left == sel.Right && sel.Top == sel.Bottom;
    for (int32_t c = 0; c < cols * rows; ++c) {
      const bool inArea = whole || (sel.Contains(c % cols, c / cols) != s_.Rules.InvertSelection);
      if (!inArea || before[size_t(c)] >= qv::kCustomPictureTileNo) {
        EXPECT_EQ(after[size_t(c)], before[size_t(c)]);
      }
      if (after[size_t(c)] != before[size_t(c)]) {
        EXPECT_LE(lib_.RecordStatus(after[size_t(c)]), qv::kMaxUseCount) << "a deleted tile was chosen";
      }
      // Only allowed orientations: a cell shows the crop of its tile's unflipped or (with
      // flips allowed) horizontal copy.
      const qv::TTileInfo shown = mosaic_.RecordInfo(c + 1);
      const int32_t t = after[size_t(c)];
      if (t < 1 || t > tiles) continue;
      const qv::TTileInfo plain = lib_.RecordInfo(t);
      bool allowed = shown.CropLeft == plain.CropLeft && shown.CropRight == plain.CropRight;
      if (flips) {
        const qv::TTileInfo mirrored = lib_.RecordInfo(tiles + t);
        allowed = allowed || (shown.CropLeft == mirrored.CropLeft && shown.CropRight == mirrored.CropRight);
      }
      EXPECT_TRUE(allowed) << "cell " << c;
    }
  }
  EXPECT_GT(improved, 12);  // the greedy start is seldom the best
}

TEST_F(OptimizeTest, FixAutoKeepsEveryTile) {
  OpenProject(40, 6, 5, 3);
  s_.Rules.Distance = 1;
  Compose();
  s_.Rules.FixAuto = true;
  const std::vector<int32_t> before = Cells();
  const qv::TOptimizeResult r = Optimize();
  EXPECT_EQ(r.Cells, 0);
  EXPECT_EQ(r.Changed, 0);
  EXPECT_EQ(Cells(), before);
}

TEST_F(OptimizeTest, AStopLeavesAValidMosaic) {
  OpenProject(60, 9, 8, 11);
  s_.Rules.Distance = 2;
  s_.Rules.Repeat = 2;
  Compose();
  const std::vector<int32_t> start = Cells();
  hooks_.StopRequested = [] { return true; };
  qv::TOptimizeResult r = Optimize();
  EXPECT_EQ(r.Outcome, TOptimizeOutcome::Stopped);
  EXPECT_EQ(r.Moves, 0);
  EXPECT_EQ(Cells(), start);

  // Stopped at a later poll: whatever was done so far is written and keeps the rules. With
  // Distance 0 the stop comes during the assignment solvers (the auction with Repeat 1 and
  // more tiles than cells, the path searches with Repeat 2).
  struct Rules {
    int tiles;
    int32_t distance, repeat;
  };
  std::mt19937 rng(5);
  for (const Rules rules : {Rules{60, 2, 2}, Rules{60, 2, 0}, Rules{90, 0, 1}, Rules{60, 0, 2}}) {
    OpenProject(rules.tiles, 9, 8, 11);
    s_.Rules.Distance = rules.distance;
    s_.Rules.Repeat = rules.repeat;
    for (int k = 0; k < 6; ++k) {
      SCOPED_TRACE("distance " + std::to_string(rules.distance) + " repeat " + std::to_string(rules.repeat));
      Compose();
      const uint64_t greedy = qv::MosaicDistance(lib_, plan_, mosaic_);
      int polls = 0;
      const int stopAt = 1 + int(rng() % 150);
      hooks_.StopRequested = [&] { return ++polls >= stopAt; };
      r = Optimize();
      EXPECT_TRUE(ObeysRules());
      EXPECT_EQ(qv::MosaicDistance(lib_, plan_, mosaic_), r.EndDistance);
      EXPECT_LE(r.EndDistance, greedy);
    }
  }
}

TEST_F(OptimizeTest, TheSameSeedGivesTheSameMosaic) {
  OpenProject(50, 8, 6, 21);
  s_.Rules.Distance = 2;
  s_.Seed = 99;
  for (int32_t repeat : {2, 0}) {
    s_.Rules.Repeat = repeat;
    std::vector<std::vector<int32_t>> results;
    for (int threads : {1, 2}) {
      s_.Threads = threads;
      Compose();
      Optimize();
      results.push_back(Cells());
    }
    EXPECT_EQ(results[0], results[1]) << "repeat " << repeat;
  }
}

TEST_F(OptimizeTest, AMosaicThatBreaksTheRulesIsLeftAlone) {
  OpenProject(40, 6, 5, 4);
  s_.Rules.Distance = 0;
  Compose();
  lib_.GoRecord(7);
  ASSERT_TRUE(mosaic_.PlaceTile(1, lib_, true));
  ASSERT_TRUE(mosaic_.PlaceTile(2, lib_, true));
  const std::vector<int32_t> before = Cells();
  s_.Rules.Distance = 1;
  const qv::TOptimizeResult r = Optimize();
  EXPECT_EQ(r.Outcome, TOptimizeOutcome::RulesBroken);
  EXPECT_NE(r.Message.find("Tile 7"), std::string::npos) << r.Message;
  EXPECT_EQ(Cells(), before);
}

// One grey cell, dark on the left and light on the right, and two tiles made from its plan:
// A flat at the cell's mean colour, B with the cell's pattern but 12 darker. By the plain
// distance B is closer (the run and the plain pass keep it); with the mean colour weighing
// 4 times the pattern, A is.
TEST_F(OptimizeTest, AColourWeightPrefersTheCellsMeanColourToItsPattern) {
  qv::Bitmap24 picture(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      for (int ch = 0; ch < 3; ++ch) picture.Pixel(x, y)[ch] = x < 8 ? 100 : 160;
  const std::string first = dir_.File("first.qv2");
  qvtest::WriteLibraryOfSignatures(first, {qv::SignatureBytes(12, 0)}, 2, 2);
  ASSERT_TRUE(lib_.Open(first));
  const std::string file = dir_.File("one.qvp");
  lib_.CreateProject(file, picture, {}, qv::Size{1, 1});
  ASSERT_TRUE(plan_.OpenProject(file, mosaic_));
  const qv::SignatureBytes cell(plan_.RecordSignature(1), plan_.RecordSignature(1) + 12);
  ASSERT_GT(cell[3] - cell[0], 20);  // the resampler keeps the two halves apart
  int sum = 0;
  for (uint8_t v : cell) sum += v;
  qv::SignatureBytes flat(12, uint8_t((sum + 6) / 12)), darker = cell;
  for (uint8_t& v : darker) v = uint8_t(v - 12);
  const std::string two = dir_.File("two.qv2");
  qvtest::WriteLibraryOfSignatures(two, {flat, darker}, 2, 2);
  ASSERT_TRUE(lib_.Open(two));

  s_.Rules = {};
  s_.Rules.Cols = s_.Rules.Rows = 1;
  Compose();
  ASSERT_EQ(Cells(), std::vector<int32_t>{2});
  EXPECT_EQ(Optimize().Outcome, TOptimizeOutcome::Completed);
  EXPECT_EQ(Cells(), std::vector<int32_t>{2});
  s_.ColourWeight = 4;
  EXPECT_EQ(Optimize().Outcome, TOptimizeOutcome::Completed);
  EXPECT_EQ(Cells(), std::vector<int32_t>{1});
}

}  // namespace
