// The arithmetic of the new library dialog and the library inspector.
#include <gtest/gtest.h>

#include "models/LibraryInspectorModel.h"
#include "models/NewLibraryModel.h"

namespace {

using namespace qv;

TEST(NewLibraryModelTest, ShowShapeKeepsTheLongerSideAt64AndTheMarginInside) {
  TTileShapes s = ShowShape(3, 4, 10);
  EXPECT_EQ(s.Outline, (TShapeRect{0, 0, 48, 64}));
  // b = 4.8, c = 6.4: offsets Round(2.4) = 2, Round(3.2) = 3; sizes 48 - 5, 64 - 6.
  EXPECT_EQ(s.Kept, (TShapeRect{2, 3, 43, 58}));
  EXPECT_EQ(ShowShape(4, 3, 0, 10, 20).Outline, (TShapeRect{10, 20, 64, 48}));
  EXPECT_EQ(ShowShape(4, 4, 0).Kept, (TShapeRect{0, 0, 64, 64}));
  EXPECT_EQ(ShowShape(4, 4, 100).Kept, (TShapeRect{32, 32, 0, 0}));
}

TEST(NewLibraryModelTest, PictureTypesRoundTripThroughImgExts) {
  TPictureTypeTicks ticks = TicksFromImgExts(".JPG");
  for (int i = 0; i < kPictureTypeCount; ++i) EXPECT_EQ(ticks[size_t(i)], i == 1) << i;
  // The JPG box covers .JPEG files too.
  EXPECT_EQ(PictExtsFromTicks(ticks), "*.JPG*.JPEG");
  EXPECT_EQ(ImgExtsFromTicks(ticks), ".JPG");

  // The settings list PCD before PCX, whatever order they were stored in.
  ticks = TicksFromImgExts(".DIB.PCX.BMP.PCD");
  EXPECT_EQ(ImgExtsFromTicks(ticks), ".BMP.PCD.PCX.DIB");
  EXPECT_EQ(PictExtsFromTicks(ticks), "*.BMP*.PCD*.PCX*.DIB");
  EXPECT_EQ(PictExtsFromTicks(TicksFromImgExts("")), "");
}

TEST(NewLibraryModelTest, LibraryFileNameGetsTheQv2Extension) {
  EXPECT_EQ(LibraryFileNameFor("/home/u/tiles.qvb"), "/home/u/tiles.qv2");
  EXPECT_EQ(LibraryFileNameFor("/home/u/tiles"), "/home/u/tiles.qv2");
  EXPECT_EQ(LibraryFileNameFor("/home/u/tiles.qv2"), "/home/u/tiles.qv2");
  EXPECT_EQ(LibraryFileNameFor("/home/u.v1/tiles"), "/home/u.v1/tiles.qv2");
  EXPECT_EQ(LibraryFileNameFor("a.b.jpg"), "a.b.qv2");
}

TEST(NewLibraryModelTest, ProportionAndCropMode) {
  EXPECT_EQ(ClampProportion(2), 3);
  EXPECT_EQ(ClampProportion(7), 4);
  EXPECT_EQ(ClampProportion(3), 3);
  EXPECT_EQ(CropModeOf(0, 0), 0);
  EXPECT_EQ(CropModeOf(1, 1), 4);
  EXPECT_EQ(CropModeOf(2, 2), 8);
  EXPECT_EQ(CropModeOf(1, 2), 7);
}

TEST(NewLibraryModelTest, ProgressLineEstimatesTheTimeLeft) {
  EXPECT_EQ(PassProgressText(0, 40, 0, "pictures"), "0 of 40 pictures, 0h:0m:0.0s elapsed");
  EXPECT_EQ(PassProgressText(10, 40, 2000, "pictures"), "10 of 40 pictures, 0h:0m:2.0s elapsed, 0h:0m:6.0s left");
  EXPECT_EQ(PassProgressText(40, 40, 8000, "pictures"), "40 of 40 pictures, 0h:0m:8.0s elapsed");
}

TEST(LibraryInspectorModelTest, ColumnsAndRowsCoverEveryTile) {
  EXPECT_EQ(InitialColumns(10), 3);
  EXPECT_EQ(CoveringSide(10, 3), 4);
  EXPECT_EQ(CoveringSide(10, 5), 2);
  EXPECT_EQ(CoveringSide(10, 10), 1);
  EXPECT_EQ(CoveringSide(10, 11), 1);
  EXPECT_EQ(CoveringSide(0, 3), 1);
  EXPECT_EQ(InitialColumns(0), 1);
  EXPECT_EQ(InitialColumns(2), 1);  // Round(1.414)
  EXPECT_EQ(InitialColumns(42), 6);
}

TEST(LibraryInspectorModelTest, FlipsTextAndSummary) {
  const uint8_t none[3] = {0, 0, 0}, hr[3] = {2, 1, 0}, all[3] = {3, 2, 1};
  EXPECT_EQ(FlipsText(none), "");
  EXPECT_EQ(FlipsText(hr), " (HR)");
  EXPECT_EQ(FlipsText(all), " (HVR)");
  TLibrarySummaryValues v;
  v.UnflippedCount = 10;
  v.FlipKinds[0] = 1;
  v.FlipKinds[1] = 2;
  v.ColorSystemName = "YCC";
  v.PropX = 3;
  v.PropY = 4;
  v.GridW = v.GridH = 6;
  EXPECT_EQ(LibrarySummaryLine(v), "10 (HR) rec. (YCC) 3/4 - 6/6");
}

TEST(LibraryInspectorModelTest, RowGeometry) {
  EXPECT_EQ(ThumbWidthForRow(40, 3, 4), 30);
  EXPECT_EQ(ThumbWidthForRow(42, 4, 3), 56);
  EXPECT_EQ(InspectorRowHeight(20, 13), 45);
  EXPECT_EQ(InspectorRowHeight(60, 13), 60);
}

}  // namespace
