#include "models/ZoomModel.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv {
namespace {

TEST(ZoomModel, ZoomInStepsFromTheInitialPositionAndStopsAtTheMaximum) {
  std::vector<int> seen;
  int pos = kZoomInitial;
  for (int i = 0; i < 8; ++i) seen.push_back(pos = ZoomInPosition(pos));
  EXPECT_EQ(seen, (std::vector<int>{38, 46, 55, 66, 79, 95, 100, 100}));
  EXPECT_EQ(ZoomInPosition(95), 100);  // 114 clamped
}

TEST(ZoomModel, ZoomOutStopsAtTheMinimum) {
  EXPECT_EQ(ZoomOutPosition(6), 5);  // Round(4.8)
  EXPECT_EQ(ZoomOutPosition(5), 5);  // Round(4) clamped
  EXPECT_EQ(ZoomOutPosition(32), 26);
  EXPECT_EQ(ZoomOutPosition(100), 80);
}

TEST(ZoomModel, CellHeightFollowsTheTileProportionRoundingHalvesToEven) {
  EXPECT_EQ(CellHeightFor(32, 4, 3), 24);
  EXPECT_EQ(CellHeightFor(38, 4, 3), 28);  // 28.5
  EXPECT_EQ(CellHeightFor(30, 4, 3), 22);  // 22.5
  EXPECT_EQ(CellHeightFor(10, 3, 4), 13);  // 13.33
  EXPECT_EQ(CellHeightFor(17, 0, 0), 17);  // no proportion: square
}

TEST(ZoomModel, DetailsFollowTheWidthBeforeTheStep) {
  // Grid width 10: from 20 to 24 thumbnails stay off (2 x 10 is not less than 20)...
  TZoomStep a = ZoomPositionChange(ZoomInPosition(20), 20, 10, 4, 4);
  EXPECT_TRUE(a.Changed);
  EXPECT_FALSE(a.ShowThumbs);
  EXPECT_EQ(a.Cell, (TCellSize{24, 24}));
  // ...and the next step, from 24, turns them on.
  TZoomStep b = ZoomPositionChange(ZoomInPosition(24), 24, 10, 4, 4);
  EXPECT_TRUE(b.ShowThumbs);
  EXPECT_EQ(b.Cell, (TCellSize{29, 29}));
}

TEST(ZoomModel, APositionEqualToTheCellWidthChangesNothing) {
  TZoomStep s = ZoomPositionChange(50, 50, 6, 4, 3);
  EXPECT_FALSE(s.Changed);
}

TEST(ZoomModel, FitToSelectionTakesTheHeightFromTheBoxWhenTheRowsDoNotFit) {
  // 10 x 2 cells in 500 x 90, 1:1: width 50 gives rows of 100 > 90, so 45 x 45.
  EXPECT_EQ(FitToSelectionCells(10, 2, 1, 1, 500, 90, 0), (TCellSize{45, 45}));
  // Rows that fit keep the width from the box: 10 x 2 in 500 x 200 with 4:3 gives 50 x 38.
  EXPECT_EQ(FitToSelectionCells(10, 2, 4, 3, 500, 200, 0), (TCellSize{50, 38}));
  // With grid lines one pixel per selected column and row comes off the box first.
  EXPECT_EQ(FitToSelectionCells(10, 2, 1, 1, 510, 500, 1), (TCellSize{50, 50}));
  EXPECT_EQ(FitToSelectionCells(0, 2, 1, 1, 500, 90, 0), (TCellSize{}));
}

TEST(ZoomModel, FitToWindowGivesWidthsBeyondTheZoomRangeToBeClamped) {
  // A 3 x 3 mosaic in a large window asks for 400-pixel cells...
  TCellSize fit = FitToWindowCells(3, 3, 4, 4, 1600, 1200, 0);
  EXPECT_EQ(fit, (TCellSize{400, 400}));
  // ...the slider clamps the position to 100 and the cells follow it.
  const int pos = ClampZoomPosition(fit.Width);
  EXPECT_EQ(pos, 100);
  TZoomStep s = ZoomPositionChange(pos, fit.Width, 6, 4, 4);
  EXPECT_TRUE(s.Changed);
  EXPECT_TRUE(s.ShowThumbs);
  EXPECT_EQ(s.Cell, (TCellSize{100, 100}));
}

TEST(ZoomModel, FitToWindowKeepsTheMosaicProportionInsideTheBoxLessGridLines) {
  // 4 x 3 cells of 4:3 make 16 x 9 content; a 403 x 300 box is relatively taller, so the
  // width fills it (403) and the height is Round(9 x 403 / 16) = 227: cells Round(100.75)
  // would be 101 wide, 404 pixels for the four, one more than the box; so 100 x 76.
  EXPECT_EQ(FitToWindowCells(4, 3, 4, 3, 403, 300, 0), (TCellSize{100, 76}));
  // With lines the box is 399 x 297: height Round(9 x 399 / 16) = 224, cells 99 x 75 (100
  // would need 400 pixels).
  EXPECT_EQ(FitToWindowCells(4, 3, 4, 3, 403, 300, 1), (TCellSize{99, 75}));
  EXPECT_EQ(FitToWindowCells(4, 3, 4, 3, 3, 300, 1), (TCellSize{}));
}

TEST(ZoomModel, FitToWindowNeverOverflowsTheBox) {
  // The 48 x 36 sample in the grid of a first-start window: Round(1097 / 48) = 23 would need
  // 1104 pixels.
  EXPECT_EQ(FitToWindowCells(48, 36, 4, 4, 1097, 823, 0), (TCellSize{22, 22}));
  for (int cols : {3, 7, 48, 100})
    for (int rows : {2, 9, 36})
      for (int box = 200; box < 1300; box += 37)
        for (int line : {0, 1}) {
          const TCellSize c = FitToWindowCells(cols, rows, 4, 3, box, box * 3 / 4 + 11, line);
          EXPECT_LE(cols * (c.Width + line), box) << cols << "x" << rows << " in " << box;
          EXPECT_LE(rows * (c.Height + line), box * 3 / 4 + 11) << cols << "x" << rows << " in " << box;
        }
}

}  // namespace
}  // namespace qv
