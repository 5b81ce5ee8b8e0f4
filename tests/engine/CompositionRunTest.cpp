// The composition run: checks, regions, kept cells, visiting orders, progress texts, stop,
// clean-up; the completion of a library with flipped copies; the time format.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "base/Errors.h"
#include "engine/CompositionRun.h"
#include "engine/MatchingTestSupport.h"
#include "engine/QVData.h"
#include "support/TestFiles.h"

namespace {

using qv::TCompositionOutcome;
using qv::TCompositionSettings;
using qv::TQVData;

TEST(FormatElapsedTest, HoursMinutesSecondsTenths) {
  EXPECT_EQ(qv::FormatElapsed(3723456), "1h:2m:3.4s");
  EXPECT_EQ(qv::FormatElapsed(0), "0h:0m:0.0s");
  EXPECT_EQ(qv::FormatElapsed(59999), "0h:0m:59.9s");
  EXPECT_EQ(qv::FormatElapsed(int64_t(100) * 3600000), "100h:0m:0.0s");
}

class CompositionTest : public qvtest::RandomProjectTest {
 protected:
  void SetUp() override { OpenProject(40, 6, 5); }

  // A library of `tiles` random 2 x 2 signatures and a project of cols x rows cells, every
  // cell showing its plan.
  void OpenProject(int tiles, int32_t cols, int32_t rows, const std::vector<uint8_t>& statuses = {}) {
    OpenRandomProject(tiles, cols, rows, uint32_t(tiles * 7 + cols), 5, statuses);
    if (HasFatalFailure()) return;
    for (int32_t n = 1; n <= mosaic_.Count; ++n) {
      plan_.Go(n);
      ASSERT_TRUE(mosaic_.RestoreCellFromPlan(n, plan_));
    }
    settings_.Cols = cols;
    settings_.Rows = rows;
  }

  qv::TCompositionResult Run() { return qv::RunComposition(lib_, plan_, mosaic_, settings_, hooks_); }

  // True when no tile stands twice within distance (in cells that hold tiles) and none is
  // used more than repeat times (0: no limit).
  bool ObeysRules(int32_t distance, int32_t repeat) const {
    const std::vector<int32_t> cells = Cells();
    std::map<int32_t, int> uses;
    const int32_t cols = settings_.Cols, rows = settings_.Rows;
    for (int32_t i = 0; i < cols * rows; ++i) {
      const int32_t t = cells[size_t(i)];
      if (t <= 0 || t >= qv::kCustomPictureTileNo) continue;
      ++uses[t];
      for (int32_t j = i + 1; j < cols * rows; ++j)
        if (cells[size_t(j)] == t && std::abs(i % cols - j % cols) <= distance &&
            std::abs(i / cols - j / cols) <= distance)
          return false;
    }
    for (const auto& [t, n] : uses)
      if (repeat > 0 && n > repeat) return false;
    return true;
  }

  bool CountsAreReset() const {
    for (int32_t n = 1; n <= lib_.Count; ++n)
      if (lib_.RecordStatus(n) >= 1 && lib_.RecordStatus(n) <= 250) return false;
    return true;
  }

  TCompositionSettings settings_;
  qv::TCompositionHooks hooks_;
};

TEST_F(CompositionTest, NotEnoughTilesMessages) {
  std::string message;
  // Distance 6 on a 10 x 10 grid needs 36 tiles.
  OpenProject(30, 10, 10);
  EXPECT_TRUE(qv::WeGetNotEnoughTiles(lib_, 6, 0, 10, 10, message));
  EXPECT_EQ(message,
            "There are not enough tiles for current distance between tiles setting.\rYou need 36 tiles in the library "
            "but have only 30.\rPlease decrease \"Distance\" value.");
  EXPECT_FALSE(qv::WeGetNotEnoughTiles(lib_, 5, 0, 10, 10, message));
  EXPECT_FALSE(qv::WeGetNotEnoughTiles(lib_, 0, 0, 10, 10, message));
  // Capped at the grid: 3 x 4 = 12.
  EXPECT_FALSE(qv::WeGetNotEnoughTiles(lib_, 999999999, 0, 3, 4, message));
  EXPECT_TRUE(qv::WeGetNotEnoughTiles(lib_, 999999999, 0, 6, 6, message));
  // 10 cells, Repeat 3, 3 tiles: the need truncates to 3.
  OpenProject(3, 10, 1);
  EXPECT_TRUE(qv::WeGetNotEnoughTiles(lib_, 0, 3, 10, 1, message));
  EXPECT_EQ(
      message,
      "There are not enough tiles for current tile repetition setting.\rYou need 3 tiles in the library but "
      "have only 3.\rPlease increase \"Repeat\" value\ror set it to \"Auto\" to use as many repetitons as needed.");
  EXPECT_FALSE(qv::WeGetNotEnoughTiles(lib_, 0, 4, 10, 1, message));
  EXPECT_FALSE(qv::WeGetNotEnoughTiles(lib_, 0, 0, 10, 1, message));
  // The run stops before it starts.
  settings_.Distance = 0;
  settings_.Repeat = 3;
  bool started = false;
  hooks_.OnStart = [&](int32_t) { started = true; };
  const qv::TCompositionResult r = Run();
  EXPECT_EQ(r.Outcome, TCompositionOutcome::NotEnoughTiles);
  EXPECT_EQ(r.Message, message);
  EXPECT_FALSE(started);
}

TEST_F(CompositionTest, AWholeGridRunFillsEveryCellUnderTheRules) {
  std::vector<qv::TCompositionProgress> progress;
  std::vector<int32_t> placed;
  int64_t clock = 0;
  int started = 0, finished = 0, messages = 0;
  hooks_.OnStart = [&](int32_t total) {
    EXPECT_EQ(total, 30);
    ++started;
  };
  hooks_.OnCellPlaced = [&](int32_t cell, int32_t col, int32_t row) {
    EXPECT_EQ(cell, qv::CellToRow(row, col, 6));
    placed.push_back(cell);
  };
  hooks_.OnProgress = [&](const qv::TCompositionProgress& p) { progress.push_back(p); };
  hooks_.ProcessMessages = [&] { ++messages; };
  hooks_.OnFinish = [&] { ++finished; };
  hooks_.NowMs = [&] { return clock += 250; };
  settings_.Distance = 2;
  settings_.Mode = qv::kVisitTopToBottom;
  const qv::TCompositionResult r = Run();
  EXPECT_EQ(r.Outcome, TCompositionOutcome::Completed);
  EXPECT_EQ(r.Total, 30);
  EXPECT_EQ(r.Placed, 30);
  EXPECT_EQ(r.Done, 30);
  EXPECT_GT(r.NewTiles, 10);
  EXPECT_EQ(started, 1);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(messages, 30);
  ASSERT_EQ(placed.size(), 30u);
  for (int32_t i = 0; i < 30; ++i) EXPECT_EQ(placed[size_t(i)], i + 1);  // row by row from the top
  for (int32_t t : Cells()) EXPECT_TRUE(t >= 1 && t <= 40);
  EXPECT_TRUE(ObeysRules(2, 0));
  EXPECT_TRUE(CountsAreReset());
  EXPECT_EQ(plan_.OrderKeyWidth, 0);
  EXPECT_TRUE(mosaic_.Modified);

  // Texts: the clock advances 250 ms per reading; the first cell starts the timing.
  ASSERT_EQ(progress.size(), 30u);
  EXPECT_EQ(progress[0].PercentText, "3%");
  EXPECT_EQ(progress[0].StatusText, "(0h:0m:0.0s)/(0h:0m:0.0s) 30 - 1 = 29");
  EXPECT_EQ(progress[1].StatusText, "(0h:0m:0.0s)/(0h:0m:7.0s) 30 - 2 = 28");
  EXPECT_EQ(progress[2].StatusText, "(0h:0m:0.2s)/(0h:0m:7.0s) 30 - 3 = 27");
  EXPECT_EQ(progress[29].PercentText, "100%");
  EXPECT_TRUE(progress[29].Filled);
}

TEST_F(CompositionTest, RunningAgainRefusesTheTilesStillStandingNearby) {
  settings_.Distance = 0;
  Run();
  const std::vector<int32_t> before = Cells();
  settings_.Mode = qv::kVisitRandom;
  settings_.RandomSeed = 9;
  Run();
  const std::vector<int32_t> after = Cells();
  for (size_t i = 0; i < before.size(); ++i) EXPECT_NE(before[i], after[i]) << i;
}

TEST_F(CompositionTest, ASelectionRunFillsOnlyTheSelection) {
  // A tile stands next to the selection: it is refused within Distance of it.
  lib_.GoRecord(7);
  ASSERT_TRUE(mosaic_.PlaceTile(qv::CellToRow(1, 0, 6), lib_, true));
  settings_.Selection = {1, 1, 3, 2};
  settings_.Distance = 1;
  int32_t totalSeen = 0;
  hooks_.OnStart = [&](int32_t total) { totalSeen = total; };
  const qv::TCompositionResult r = Run();
  EXPECT_EQ(totalSeen, 6);
  EXPECT_EQ(r.Placed, 6);
  const std::vector<int32_t> cells = Cells();
  for (int32_t row = 0; row < 5; ++row)
    for (int32_t col = 0; col < 6; ++col) {
      const int32_t t = cells[size_t(row * 6 + col)];
      if (settings_.Selection.Contains(col, row)) {
        EXPECT_GT(t, 0);
        if (row <= 2 && col <= 1) {
          EXPECT_NE(t, 7);
        }
      } else {
        EXPECT_EQ(t, col == 0 && row == 1 ? 7 : 0);
      }
    }
  EXPECT_TRUE(ObeysRules(1, 0));
}

TEST_F(CompositionTest, AnInvertedSelectionFillsTheRest) {
  settings_.Selection = {1, 1, 4, 3};
  settings_.InvertSelection = true;
  settings_.Distance = 1;
  const qv::TCompositionResult r = Run();
  EXPECT_EQ(r.Total, 30 - 12);
  EXPECT_EQ(r.Placed, 18);
  const std::vector<int32_t> cells = Cells();
  for (int32_t i = 0; i < 30; ++i) EXPECT_EQ(cells[size_t(i)] == 0, settings_.Selection.Contains(i % 6, i / 6)) << i;

  // Covering the whole grid: nothing to do, total 0, no progress at all.
  settings_.Selection = {0, 0, 5, 4};
  int progressCalls = 0;
  hooks_.OnProgress = [&](const qv::TCompositionProgress&) { ++progressCalls; };
  const qv::TCompositionResult none = Run();
  EXPECT_EQ(none.Outcome, TCompositionOutcome::Completed);
  EXPECT_EQ(none.Total, 0);
  EXPECT_EQ(none.Placed, 0);
  EXPECT_EQ(progressCalls, 0);

  // A one-cell selection means the whole grid, inverted or not.
  settings_.Selection = {2, 2, 2, 2};
  EXPECT_EQ(Run().Total, 30);
}

TEST_F(CompositionTest, FixAutoAndFixCustomKeepTheirCells) {
  lib_.GoRecord(3);
  ASSERT_TRUE(mosaic_.PlaceTile(1, lib_, true));
  ASSERT_TRUE(
      mosaic_.PlaceCustomPicture(2, qvtest::DrawTestPicture(10, 10, 1), qv::kCustomPictureTileNo, {}, "me.jpg"));
  int kept = 0;
  hooks_.OnProgress = [&](const qv::TCompositionProgress& p) {
    if (!p.Filled) {
      ++kept;
      EXPECT_TRUE(p.PercentText.empty() && p.StatusText.empty());
    }
  };
  settings_.FixCustom = true;
  settings_.Distance = 0;
  qv::TCompositionResult r = Run();
  EXPECT_EQ(r.Kept, 1);
  EXPECT_EQ(r.Placed, 29);
  EXPECT_EQ(r.Done, 30);
  EXPECT_EQ(kept, 1);
  EXPECT_EQ(mosaic_.RecordTileNo(2), qv::kCustomPictureTileNo);

  settings_.FixAuto = true;  // every cell holds a tile now: nothing changes
  const std::vector<int32_t> before = Cells();
  r = Run();
  EXPECT_EQ(r.Kept, 30);
  EXPECT_EQ(r.Placed, 0);
  EXPECT_EQ(Cells(), before);

  settings_.FixAuto = settings_.FixCustom = false;
  r = Run();
  EXPECT_EQ(r.Placed, 30);
  EXPECT_LT(mosaic_.RecordTileNo(2), qv::kCustomPictureTileNo);
}

TEST_F(CompositionTest, AStopEndsTheRunAfterTheCurrentCell) {
  settings_.Mode = qv::kVisitSmart;
  int filled = 0;
  bool finished = false;
  std::vector<int32_t> placed;
  hooks_.OnCellPlaced = [&](int32_t cell, int32_t, int32_t) { placed.push_back(cell); };
  hooks_.StopRequested = [&] { return ++filled == 4; };
  hooks_.OnFinish = [&] { finished = true; };
  // The cells are visited by descending detail.
  plan_.OrderByDetail();
  std::vector<int32_t> order;
  for (int32_t i = 1; i <= 4; ++i) {
    plan_.Go(i);
    order.push_back(plan_.RecNo);
  }
  plan_.ClearOrder();
  const qv::TCompositionResult r = Run();
  EXPECT_EQ(r.Outcome, TCompositionOutcome::Stopped);
  EXPECT_EQ(r.Placed, 4);
  EXPECT_EQ(placed, order);
  EXPECT_TRUE(finished);
  EXPECT_EQ(plan_.RecNo, order[3]);
  EXPECT_EQ(mosaic_.RecNo, order[3]);
  EXPECT_EQ(plan_.OrderKeyWidth, 0);
  EXPECT_TRUE(CountsAreReset());
  int32_t filledCells = 0;
  for (int32_t t : Cells()) filledCells += t > 0;
  EXPECT_EQ(filledCells, 4);
}

TEST_F(CompositionTest, RandomOrdersAreRepeatableForASeed) {
  settings_.Mode = qv::kVisitRandom;
  settings_.RandomSeed = 1234;
  std::vector<int32_t> first, second;
  hooks_.OnCellPlaced = [&](int32_t cell, int32_t, int32_t) { first.push_back(cell); };
  Run();
  const std::vector<int32_t> cells = Cells();
  for (int32_t n = 1; n <= mosaic_.Count; ++n) {  // empty the mosaic again
    plan_.Go(n);
    mosaic_.RestoreCellFromPlan(n, plan_);
  }
  hooks_.OnCellPlaced = [&](int32_t cell, int32_t, int32_t) { second.push_back(cell); };
  Run();
  EXPECT_EQ(first, second);
  EXPECT_EQ(Cells(), cells);
  std::vector<int32_t> sorted = first;
  std::sort(sorted.begin(), sorted.end());
  for (int32_t i = 0; i < 30; ++i) EXPECT_EQ(sorted[size_t(i)], i + 1);
  EXPECT_NE(first, sorted);
}

TEST_F(CompositionTest, RunningOutOfTilesStillCleansUp) {
  // Nine cells, Repeat 1, nine tiles of which two are deleted: the eighth cell finds none.
  OpenProject(9, 3, 3, {0, 255, 0, 0, 0, 0, 255, 0, 0});
  settings_.Distance = 0;
  settings_.Repeat = 1;
  settings_.Mode = qv::kVisitTopToBottom;
  bool finished = false;
  hooks_.OnFinish = [&] { finished = true; };
  EXPECT_THROW(Run(), qv::EOutOfTiles);
  EXPECT_TRUE(finished);
  EXPECT_TRUE(CountsAreReset());
  EXPECT_EQ(lib_.RecordStatus(2), 255);
  EXPECT_EQ(plan_.OrderKeyWidth, 0);
  const std::vector<int32_t> cells = Cells();
  EXPECT_EQ(std::count(cells.begin(), cells.end(), 0), 2);
  EXPECT_EQ(std::count(cells.begin(), cells.end(), 2), 0);
}

TEST_F(CompositionTest, RunsThatCannotStart) {
  settings_.Orientations = {false, false, false, false};
  qv::TCompositionResult r = Run();
  EXPECT_EQ(r.Outcome, TCompositionOutcome::NoOrientation);
  EXPECT_EQ(r.Message, "Please check any tile orienitation(s) to use.");
  settings_.Orientations = {true, false, false, false};
  settings_.Cols = 5;
  EXPECT_THROW(Run(), qv::EQuivara);
  settings_.Cols = 6;
  TQVData closed;
  EXPECT_EQ(qv::RunComposition(closed, plan_, mosaic_, settings_).Outcome, TCompositionOutcome::NotOpen);
  EXPECT_TRUE(Cells() == std::vector<int32_t>(30, 0));
}

TEST_F(CompositionTest, AddFlipsAddsTheMissingBlocksAndSavesTheLibrary) {
  int32_t max = -1;
  int steps = 0, finished = 0;
  qv::TAddFlipsHooks hooks;
  hooks.OnStart = [&](int32_t m) { max = m; };
  hooks.OnStep = [&] { ++steps; };
  hooks.OnFinish = [&] { ++finished; };
  lib_.StopRequested = true;  // cleared by AddFlips
  const qv::TOrientationSet missing = qv::AddFlips(lib_, true, true, true, hooks);
  EXPECT_EQ(missing, (qv::TOrientationSet{false, false, false, false}));
  EXPECT_EQ(max, 3);  // 3 + 3 x (40 div 100)
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(lib_.FlipKinds[0], qv::kFlipHorizontal);
  EXPECT_EQ(lib_.FlipKinds[1], qv::kFlipVertical);
  EXPECT_EQ(lib_.FlipKinds[2], qv::kFlipRotate180);
  TQVData saved;
  ASSERT_TRUE(saved.Open(lib_.BaseName()));
  EXPECT_EQ(saved.Count, 160);

  // Nothing missing: no pass, no hook.
  max = -1;
  EXPECT_EQ(qv::AddFlips(lib_, true, false, false, hooks), (qv::TOrientationSet{false, false, false, false}));
  EXPECT_EQ(max, -1);

  // A run may now use the copies.
  settings_.Orientations = {false, false, true, false};
  EXPECT_EQ(Run().Placed, 30);
}

TEST_F(CompositionTest, AStoppedFlipPassReportsWhatIsStillMissing) {
  qv::TAddFlipsHooks hooks;
  hooks.OnStep = [&] { lib_.StopRequested = true; };
  const qv::TOrientationSet missing = qv::AddFlips(lib_, true, false, true, hooks);
  EXPECT_EQ(missing, (qv::TOrientationSet{false, true, true, false}));
  EXPECT_EQ(lib_.Count, 40);
  EXPECT_EQ(lib_.FlipKinds[0], 0);
}

}  // namespace
