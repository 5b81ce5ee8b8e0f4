// The selection arithmetic, erase patterns and texts of the editing commands, and the erase
// pass on a real project.
#include "models/CellSelection.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "models/CellErasing.h"
#include "support/TestFiles.h"

namespace {

using qv::TCellRect;
using qv::TErasePattern;

// The (col, row) cells an erase command touches in a work area.
std::set<std::pair<int, int>> Erased(const qv::TWorkArea& area, TErasePattern pattern) {
  std::set<std::pair<int, int>> cells;
  for (int32_t n : area.CellNumbers()) {
    int32_t c, r;
    qv::RowToCell(n, area.Cols(), c, r);
    if (qv::PatternSelects(pattern, c, r)) cells.insert({c, r});
  }
  return cells;
}

TEST(CellSelectionTest, WorkAreasAndPatternParityCountGridColumnsAndRows) {
  // Columns 1..4 of row 2: "V Lines" erases the even grid columns 2 and 4.
  const qv::TWorkArea cols = qv::EraseWorkArea({1, 2, 4, 2}, false, 8, 6);
  EXPECT_EQ(Erased(cols, TErasePattern::VLines), (std::set<std::pair<int, int>>{{2, 2}, {4, 2}}));
  // Rows 0..3 of column 5: "H Lines" erases rows 1 and 3.
  const qv::TWorkArea rows = qv::EraseWorkArea({5, 0, 5, 3}, false, 8, 6);
  EXPECT_EQ(Erased(rows, TErasePattern::HLines), (std::set<std::pair<int, int>>{{5, 1}, {5, 3}}));
  // The two checkerboards split a block between them.
  const qv::TWorkArea block = qv::EraseWorkArea({1, 1, 2, 2}, false, 8, 6);
  EXPECT_EQ(Erased(block, TErasePattern::CheckBoard1), (std::set<std::pair<int, int>>{{2, 1}, {1, 2}}));
  EXPECT_EQ(Erased(block, TErasePattern::CheckBoard2), (std::set<std::pair<int, int>>{{1, 1}, {2, 2}}));
  EXPECT_EQ(Erased(block, TErasePattern::All).size(), 4u);

  // Inverted over the whole grid: nothing; inverted around a block: the rest, in row order.
  EXPECT_TRUE(qv::EraseWorkArea({0, 0, 7, 5}, true, 8, 6).CellNumbers().empty());
  const qv::TWorkArea outside = qv::EraseWorkArea({1, 0, 3, 1}, true, 4, 2);
  EXPECT_EQ(outside.CellNumbers(), (std::vector<int32_t>{1, 5}));
  EXPECT_EQ(outside.CellCount(), 2);
  // A selection given corner to corner the other way round, or reaching past the grid.
  EXPECT_EQ(qv::EraseWorkArea({3, 1, 2, 0}, false, 4, 2).CellNumbers(), (std::vector<int32_t>{3, 4, 7, 8}));
  EXPECT_EQ(qv::EraseWorkArea({2, 1, 9, 9}, false, 4, 2).CellNumbers(), (std::vector<int32_t>{7, 8}));

  // Erasing works on one selected cell as it is; filling takes it as the whole grid.
  EXPECT_EQ(qv::EraseWorkArea({1, 1, 1, 1}, false, 3, 2).CellNumbers(), (std::vector<int32_t>{5}));
  EXPECT_EQ(qv::EraseWorkArea({1, 1, 1, 1}, true, 3, 2).CellCount(), 5);
  EXPECT_EQ(qv::FillWorkArea({1, 1, 1, 1}, true, 3, 2).CellCount(), 6);
  EXPECT_EQ(qv::FillWorkArea({0, 0, 1, 0}, true, 3, 2).CellNumbers(), (std::vector<int32_t>{3, 4, 5, 6}));
}

TEST(CellSelectionTest, StatusTextsAndPopupCaptions) {
  const TCellRect sel{0, 0, 2, 1};  // 3 x 2 cells from the top-left corner
  EXPECT_EQ(qv::SelectionStatusText(sel, false), "1:1 x 3:2");
  EXPECT_EQ(qv::SelectionStatusText(sel, true), "Not 1:1 x 3:2");
  EXPECT_EQ(qv::SelectionStatusText({4, 4, 4, 4}, true), "");
  const qv::TPopupActions actions = qv::SelectionActionItems(sel, false);
  EXPECT_EQ(actions[0].Caption, "Render cells from 1x1 to 3x2");
  EXPECT_EQ(actions[1].Caption, "Erase cells from 1x1 to 3x2");
  EXPECT_EQ(actions[2].Caption, "Save cells from 1x1 to 3x2 as a mosaic image");
  EXPECT_EQ(actions[1].Tag, qv::kEraseCellsTag);
  const qv::TPopupActions inverted = qv::SelectionActionItems(sel, true);
  EXPECT_EQ(inverted[0].Caption, "Render cells outside of 1x1 to 3x2");
  EXPECT_EQ(inverted[1].Caption, "Erase cells outside of 1x1 to 3x2");
  EXPECT_EQ(inverted[2].Caption, "Save cells from 1x1 to 3x2 as a mosaic image");

  EXPECT_EQ(qv::CellPictureText("  ", 1, 1, ""), "Pic: No pic for this cell.");
  EXPECT_EQ(qv::CellPictureText("/t/a.jpg", 640, 480, "H"), "Pic: /t/a.jpg (640/480) H");
  EXPECT_EQ(qv::ManualCellText(3, 6, "/t/a.jpg", 640, 480), "Cell: 4:7  Pic: /t/a.jpg (640/480)");

  // An empty cell's three items are disabled; a filled one shows the name without folder.
  const qv::TPopupActions empty = qv::CellItems(3, 6, 25, "  ", 1, 1, false, "");
  for (const qv::TPopupItem& item : empty) {
    EXPECT_FALSE(item.Enabled);
    EXPECT_EQ(item.Tag, 25);
  }
  EXPECT_EQ(empty[1].Caption, "Erase this cell (4x7)");
  const qv::TPopupActions filled = qv::CellItems(3, 6, 25, "/t/a.jpg", 640, 480, true, "180");
  EXPECT_TRUE(filled[0].Enabled && filled[1].Enabled && filled[2].Enabled);
  EXPECT_EQ(filled[0].Caption, "Show file a.jpg (640/480) 180");
  EXPECT_EQ(qv::CellItems(3, 6, 25, "/t/a.jpg", 640, 480, false, "180")[0].Caption, "Show file a.jpg (640/480)");
  EXPECT_EQ(qv::CandidateCaption("/t/b.jpg", 10, 20, "V"), "/t/b.jpg (10/20) V");

  // Five shown: seven asked; a library with three candidates shows three.
  EXPECT_EQ(qv::CandidatesAsked(5), 7);
  EXPECT_EQ(qv::CandidatesShown(5, 7), 5);
  EXPECT_EQ(qv::CandidatesShown(5, 3), 3);

  // The list is cut to one column of the screen below the three fixed items: 1000 pixels of
  // 40-pixel items hold 25 items, 22 of them candidates; a tiny screen still lists one.
  EXPECT_EQ(qv::CandidatesListed(999999, 1000, 40), 22);
  EXPECT_EQ(qv::CandidatesListed(5, 1000, 40), 5);
  EXPECT_EQ(qv::CandidatesListed(22, 1000, 40), 22);
  EXPECT_EQ(qv::CandidatesListed(23, 1000, 40), 22);
  EXPECT_EQ(qv::CandidatesListed(999999, 100, 40), 1);
  EXPECT_EQ(qv::CandidatesListed(0, 1000, 40), 0);
}

// The erase pass on a 4 x 3 project whose every cell holds a tile, cell 6 a custom picture.
class CellErasingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvtest::WriteSyntheticLibrary(libFile_, 4);
    ASSERT_TRUE(lib_.Open(libFile_));
    lib_.CreateProject(projectFile_, qvtest::DrawTestPicture(40, 30, 2), {}, qv::Size{4, 3});
    ASSERT_TRUE(plan_.OpenProject(projectFile_, mosaic_));
    for (int32_t n = 1; n <= 12; ++n) {
      lib_.GoRecord((n - 1) % 4 + 1);
      ASSERT_TRUE(mosaic_.PlaceTile(n, lib_, true));
    }
    ASSERT_TRUE(mosaic_.PlaceCustomPicture(6, qvtest::DrawTestPicture(8, 8, 1), qv::kCustomPictureTileNo, {}, "c"));
  }
  std::vector<int32_t> Empty() const {
    std::vector<int32_t> cells;
    for (int32_t n = 1; n <= 12; ++n)
      if (mosaic_.RecordTileNo(n) == 0) cells.push_back(n);
    return cells;
  }

  qvtest::TempDir dir_;
  std::string libFile_ = dir_.File("tiles.qv2");
  std::string projectFile_ = dir_.File("p.qvp");
  qv::TQVData lib_, plan_, mosaic_;
};

TEST_F(CellErasingTest, FixCustomKeepsCustomTilesAndEmptyCellsStayUntouched) {
  // Columns 1..2 of rows 0..2, checkerboard 2: (1,1) is cell 6, custom, kept; (2,0) and (2,2).
  std::vector<int32_t> touched;
  qv::TEraseHooks hooks;
  hooks.BeforeErase = [&](int32_t n) { touched.push_back(n); };
  qv::TEraseResult r = qv::EraseCells(plan_, mosaic_, qv::EraseWorkArea({1, 0, 2, 2}, false, 4, 3),
                                      TErasePattern::CheckBoard2, true, hooks);
  EXPECT_EQ(r.Erased, 2);
  EXPECT_EQ(Empty(), (std::vector<int32_t>{3, 11}));
  EXPECT_EQ(touched, (std::vector<int32_t>{3, 11}));
  // Without "Fix custom" the custom tile goes too; the cells already empty are not written.
  mosaic_.Modified = false;
  const int64_t textSize = mosaic_.TextSection.Size();
  r = qv::EraseCells(plan_, mosaic_, qv::EraseWorkArea({1, 0, 2, 2}, false, 4, 3), TErasePattern::CheckBoard2, false);
  EXPECT_EQ(r.Erased, 1);
  EXPECT_EQ(Empty(), (std::vector<int32_t>{3, 6, 11}));
  EXPECT_FALSE(qv::EraseCell(plan_, mosaic_, 3));
  EXPECT_EQ(mosaic_.TextSection.Size(), textSize + int64_t(qv::EncodeTileInfo(mosaic_.RecordInfo(6)).size()));
  // Erasing one cell takes no notice of "Fix custom": it is the caller's plain EraseCell.
  ASSERT_TRUE(mosaic_.PlaceCustomPicture(6, qvtest::DrawTestPicture(8, 8, 1), qv::kCustomPictureTileNo, {}, "c"));
  EXPECT_TRUE(qv::EraseCell(plan_, mosaic_, 6));
}

TEST_F(CellErasingTest, InvertedWholeGridErasesNothingAndAStopEndsTheRow) {
  EXPECT_EQ(
      qv::EraseCells(plan_, mosaic_, qv::EraseWorkArea({0, 0, 3, 2}, true, 4, 3), TErasePattern::All, false).Erased, 0);
  EXPECT_TRUE(Empty().empty());
  // Everything outside cell (0, 0); a stop after the second erased cell ends the pass.
  int rows = 0, erased = 0;
  qv::TEraseHooks hooks;
  hooks.OnCellErased = [&](int32_t, int32_t, int32_t) { ++erased; };
  hooks.OnRowDone = [&] { ++rows; };
  hooks.StopRequested = [&] { return erased == 2; };
  const qv::TEraseResult r =
      qv::EraseCells(plan_, mosaic_, qv::EraseWorkArea({0, 0, 0, 0}, true, 4, 3), TErasePattern::All, false, hooks);
  EXPECT_TRUE(r.Stopped);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(Empty(), (std::vector<int32_t>{2, 3}));
}

}  // namespace
