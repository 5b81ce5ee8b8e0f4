// quivara-cli's project and compose commands, run as a user runs them; the composed cells
// are read back through "project info --cells" and checked against Distance and Repeat.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <sstream>

#include "cli/CliTestSupport.h"
#include "codecs/JpegCodec.h"
#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "support/TestFiles.h"

namespace {

using qvtest::Cli;
using qvtest::RunResult;

// Column, row (both from 1) and tile number of every cell, from "project info --cells".
std::map<std::pair<int, int>, int> CellsOf(const std::string& project) {
  const RunResult r = Cli("project info " + project + " --cells");
  std::map<std::pair<int, int>, int> cells;
  std::istringstream in(r.output);
  std::string line;
  bool table = false;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    if (!table) {
      std::string a, b;
      words >> a >> b;
      table = a == "column" && b == "row";
      continue;
    }
    int col, row, tile;
    if (words >> col >> row >> tile) cells[{col, row}] = tile;
  }
  return cells;
}

// Number of pairs of equal tiles within distance, plus tiles used more than repeat times.
int RuleViolations(const std::map<std::pair<int, int>, int>& cells, int distance, int repeat) {
  int faults = 0;
  std::map<int, int> uses;
  for (auto a = cells.begin(); a != cells.end(); ++a) {
    if (a->second <= 0 || a->second >= qv::kCustomPictureTileNo) continue;
    ++uses[a->second];
    for (auto b = std::next(a); b != cells.end(); ++b)
      if (b->second == a->second && std::abs(a->first.first - b->first.first) <= distance &&
          std::abs(a->first.second - b->first.second) <= distance)
        ++faults;
  }
  for (const auto& [tile, n] : uses) faults += repeat > 0 && n > repeat;
  return faults;
}

class CmdProjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::mkdir(tiles_.c_str(), 0777), 0);
    for (int k = 0; k < 30; ++k) qvtest::WriteTestJpeg(tiles_ + "/t" + std::to_string(k) + ".jpg", 48, 40, uint32_t(k));
    qvtest::WriteTestJpeg(source_, 300, 200, 99);
    RunResult r = Cli("library create " + lib_ + " --root " + tiles_);
    ASSERT_EQ(r.status, 0) << r.output;
  }
  qvtest::TempDir dir_;
  std::string tiles_ = dir_.File("tiles");
  std::string source_ = dir_.File("source.jpg");
  std::string lib_ = dir_.File("lib.qv2");
  std::string project_ = dir_.File("p.qvp");
};

TEST_F(CmdProjectTest, CreateComposeInEveryOrderAndCheckTheRules) {
  RunResult r =
      Cli("project create " + project_ + " --library " + lib_ + " --source " + source_ + " --cols 9 --rows 8");
  ASSERT_EQ(r.status, 0) << r.output;
  qv::TQVData plan, mosaic;
  ASSERT_TRUE(plan.OpenProject(project_, mosaic));
  EXPECT_EQ(plan.Cols, 9);
  EXPECT_EQ(plan.Rows, 8);
  EXPECT_EQ(plan.SourceFileName, source_);
  EXPECT_EQ(plan.LibraryFileName, lib_);
  EXPECT_EQ(plan.SourceRect, (qv::Rect{38, 0, 263, 200}));  // 9 x 4 : 8 x 4, centred (37.5 rounds to 38)
  EXPECT_EQ(plan.ProjectReserved[0], 0);
  r = Cli("project info " + project_);
  EXPECT_NE(r.output.find("0 with library tiles, 0 with custom pictures, 72 empty"), std::string::npos) << r.output;

  const std::string project = dir_.File("c.qvp");
  for (const char* mode : {"top", "random", "smart"}) {
    SCOPED_TRACE(mode);
    qvtest::WriteFile(project, qvtest::FileBytes(project_));
    r = Cli("compose " + project + " --mode " + mode + " --distance 2 --repeat 3 --seed 4");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("72 of 72 cells filled"), std::string::npos) << r.output;
    const auto cells = CellsOf(project);
    ASSERT_EQ(cells.size(), 72u);
    for (const auto& [at, tile] : cells) EXPECT_TRUE(tile >= 1 && tile <= 30);
    EXPECT_EQ(RuleViolations(cells, 2, 3), 0);
    EXPECT_GT(RuleViolations(cells, 3, 2), 0);  // the check sees faults where there are some
  }

  // A selection (columns 2..4, rows 3..5), then everything else with mirrored tiles too.
  qvtest::WriteFile(project, qvtest::FileBytes(project_));
  r = Cli("compose " + project + " --select 4,5,2,3 --distance 1");
  ASSERT_EQ(r.status, 0) << r.output;
  auto cells = CellsOf(project);
  for (const auto& [at, tile] : cells)
    EXPECT_EQ(tile > 0, at.first >= 2 && at.first <= 4 && at.second >= 3 && at.second <= 5);
  r = Cli("compose " + project + " --select 2,3,4,5 --invert --fix-auto --use original,h --distance 1");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("63 of 63 cells filled"), std::string::npos) << r.output;
  cells = CellsOf(project);
  EXPECT_EQ(RuleViolations(cells, 1, 0), 0);
  qv::TQVData lib;
  ASSERT_TRUE(lib.Open(lib_));
  EXPECT_EQ(lib.FlipKinds[0], qv::kFlipHorizontal);  // added and saved for the run
}

TEST_F(CmdProjectTest, RulesThatCannotBeMetEndWithStatus2) {
  ASSERT_EQ(
      Cli("project create " + project_ + " --library " + lib_ + " --source " + source_ + " --cols 10 --rows 10").status,
      0);
  const std::string before = qvtest::FileBytes(project_);
  RunResult r = Cli("compose " + project_ + " --distance 6");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("You need 36 tiles in the library but have only 30.\nPlease decrease \"Distance\" value."),
            std::string::npos)
      << r.output;
  r = Cli("compose " + project_ + " --repeat 3 --distance 0");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("You need 33 tiles"), std::string::npos) << r.output;
  r = Cli("compose " + project_ + " --distance 5");  // 25 tiles pass the check, the square needs more
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("Quivara run out of tiles:\nThere is not enough tiles"), std::string::npos) << r.output;
  EXPECT_EQ(qvtest::FileBytes(project_), before);
}

TEST_F(CmdProjectTest, FramesFromARectangleAndStretchedCells) {
  RunResult r = Cli("project create " + project_ + " --library " + lib_ + " --source " + source_ +
                    " --cols 4 --rows 2 --rect 10,20,110,120");
  ASSERT_EQ(r.status, 0) << r.output;
  qv::TQVData plan, mosaic;
  ASSERT_TRUE(plan.OpenProject(project_, mosaic));
  EXPECT_EQ(plan.SourceRect, (qv::Rect{10, 45, 110, 95}));  // 2 : 1 inside the 100 x 100 box
  r = Cli("project create " + project_ + " --library " + lib_ + " --source " + source_ +
          " --cols 30 --rows 30 --stretch");
  ASSERT_EQ(r.status, 0) << r.output;
  ASSERT_TRUE(plan.OpenProject(project_, mosaic));
  EXPECT_EQ(plan.SourceRect, (qv::Rect{0, 0, 300, 200}));
  EXPECT_EQ(plan.PropX, 1000);  // round(300 x 100 / 30)
  EXPECT_EQ(plan.PropY, 667);
  r = Cli("project create " + project_ + " --library " + lib_ + " --source " + source_ +
          " --cols 4 --rows 2 --rect 0,0,400,10");
  EXPECT_EQ(r.status, 1);
}

}  // namespace
