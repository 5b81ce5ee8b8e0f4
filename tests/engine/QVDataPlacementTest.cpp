// Writing into mosaic cells and priming the used-tile table.
#include <gtest/gtest.h>

#include <cstring>

#include "base/Errors.h"
#include "engine/MatchingTestSupport.h"
#include "engine/QVData.h"
#include "raster/Resample.h"
#include "support/TestFiles.h"

namespace {

using qv::TQVData;

class PlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvtest::WriteSyntheticLibrary(libFile_, 4);
    ASSERT_TRUE(lib_.Open(libFile_));
    lib_.ShowThumbs = true;
    lib_.CreateProject(projectFile_, qvtest::DrawTestPicture(40, 30, 2), {}, qv::Size{4, 3});
    ASSERT_TRUE(plan_.OpenProject(projectFile_, mosaic_));
  }

  qvtest::TempDir dir_;
  std::string libFile_ = dir_.File("tiles.qv2");
  std::string projectFile_ = dir_.File("p.qvp");
  TQVData lib_, plan_, mosaic_;
};

TEST_F(PlacementTest, PlaceTileWritesTheLibrarysCurrentRecord) {
  ASSERT_TRUE(lib_.AddFlippedCopies(qv::kFlipHorizontal));
  ASSERT_TRUE(lib_.GoRecord(8));  // the last record of block 1
  ASSERT_TRUE(mosaic_.PlaceTile(5, lib_, true));
  EXPECT_TRUE(mosaic_.Modified);
  qv::TTileInfo info = mosaic_.RecordInfo(5);
  EXPECT_EQ(info.TileNo, 4);  // UnflippedCount
  EXPECT_EQ(info.SlotOffset, mosaic_.SlotOffset(5) + 5);
  EXPECT_EQ(info.Name, "tile4");
  EXPECT_EQ(info.CropLeft, lib_.CropLeft);  // the copy's reversed corners
  EXPECT_GT(info.CropLeft, info.CropRight);
  EXPECT_EQ(info.CellRow, 0);
  EXPECT_EQ(mosaic_.RecordThumbJpeg(5), lib_.ThumbJpeg);
  EXPECT_EQ(mosaic_.RecordStatus(5), 0);
  // The library is RGB like the mosaic: its signature bytes are copied.
  EXPECT_EQ(std::memcmp(mosaic_.RecordSignature(5), lib_.Signature.data(), 108), 0);
  ASSERT_TRUE(mosaic_.PlaceTile(6, lib_, false));
  EXPECT_EQ(mosaic_.RecordTileNo(6), 8);
}

TEST_F(PlacementTest, PlaceTileConvertsBetweenColourSystems) {
  std::vector<qv::SignatureBytes> sigs(2, qv::SignatureBytes(108, 40));
  qvtest::WriteLibraryOfSignatures(dir_.File("ycc.qv2"), sigs, 6, 6, {0, 255}, qv::kColorYCC);
  TQVData ycc;
  ycc.ShowThumbs = true;
  ASSERT_TRUE(ycc.Open(dir_.File("ycc.qv2")));
  ASSERT_TRUE(ycc.GoRecord(2));
  ASSERT_TRUE(mosaic_.PlaceTile(1, ycc, true));
  const qv::SignatureBytes expected =
      qv::SignatureOf(qv::Resample(ycc.ThumbBitmap, 6, 6, qv::kFilterMitchell), qv::kColorRGB);
  EXPECT_EQ(std::memcmp(mosaic_.RecordSignature(1), expected.data(), 108), 0);
  EXPECT_EQ(mosaic_.RecordStatus(1), 255);  // a deleted tile stays marked in the cell
}

TEST_F(PlacementTest, PlacementsThatCannotBeMadeWriteNothing) {
  const qvtest::TableSnapshot before(mosaic_);
  lib_.GoRecord(1);
  EXPECT_FALSE(mosaic_.PlaceTile(0, lib_, true));
  EXPECT_FALSE(mosaic_.PlaceTile(13, lib_, true));  // no clamping onto the last cell
  EXPECT_FALSE(mosaic_.PlaceCustomPicture(13, qvtest::DrawTestPicture(5, 5, 1), 7, {}, "x"));
  TQVData other;  // another signature grid
  qvtest::WriteSyntheticLibrary(dir_.File("g.qv2"), 2, 3, 3);
  ASSERT_TRUE(other.Open(dir_.File("g.qv2")));
  other.GoRecord(1);
  EXPECT_FALSE(mosaic_.PlaceTile(1, other, true));
  TQVData none;  // no current record
  EXPECT_FALSE(mosaic_.PlaceTile(1, none, true));
  EXPECT_TRUE(qvtest::TableSnapshot(mosaic_) == before);
  EXPECT_FALSE(mosaic_.Modified);
}

TEST_F(PlacementTest, CustomPicturesAndRestoredCells) {
  const qv::Bitmap24 pic = qvtest::DrawTestPicture(20, 16, 9);
  ASSERT_TRUE(mosaic_.PlaceCustomPicture(3, pic, qv::kCustomPictureTileNo, {20, 16, 0, 0, 20, 16}, "/me.png"));
  qv::TTileInfo info = mosaic_.RecordInfo(3);
  EXPECT_EQ(info.TileNo, qv::kCustomPictureTileNo);
  EXPECT_EQ(info.Name, "/me.png");
  EXPECT_EQ(info.CropRight, 20);
  const qv::SignatureBytes sig = qv::SignatureOf(qv::Resample(pic, 6, 6, qv::kFilterMitchell), qv::kColorRGB);
  EXPECT_EQ(std::memcmp(mosaic_.RecordSignature(3), sig.data(), 108), 0);
  EXPECT_EQ(mosaic_.RecordThumbJpeg(3), qv::EncodeJpeg(pic, mosaic_.JpegQuality));

  // Erasing: the plan's cell comes back, with its colour grid as thumbnail.
  mosaic_.ShowThumbs = true;
  ASSERT_TRUE(mosaic_.GoRecord(3));
  plan_.Go(3);
  plan_.SetRecordStatus(3, 255);
  plan_.Go(3);
  ASSERT_TRUE(mosaic_.RestoreCellFromPlan(3, plan_));
  EXPECT_EQ(mosaic_.TileNo, 0);  // the current record was reloaded
  EXPECT_EQ(mosaic_.Name, "  ");
  EXPECT_EQ(mosaic_.RecordStatus(3), 255);
  EXPECT_EQ(std::memcmp(mosaic_.RecordSignature(3), plan_.Signature.data(), 108), 0);
  EXPECT_EQ(mosaic_.RecordThumbJpeg(3), qv::EncodeJpeg(plan_.SignatureBitmap, mosaic_.JpegQuality));
}

TEST_F(PlacementTest, UsedTilesArePrimedFromTheMosaic) {
  lib_.GoRecord(2);
  ASSERT_TRUE(mosaic_.PlaceTile(1, lib_, true));
  ASSERT_TRUE(mosaic_.PlaceCustomPicture(12, qvtest::DrawTestPicture(4, 4, 1), qv::kCustomPictureTileNo, {}, "c"));
  std::vector<int32_t> used;
  mosaic_.FillUsedTiles(used, 1);
  EXPECT_EQ(used, (std::vector<int32_t>{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, qv::kCustomPictureTileNo}));
  mosaic_.FillUsedTiles(used, -1);
  EXPECT_EQ(used, std::vector<int32_t>(12, -1));
  // Columns 1..2, rows 1..2 (1-based) will be filled.
  mosaic_.FillUsedTilesForSelection(used, false, {1, 1}, {2, 2}, {4, 3});
  EXPECT_EQ(used, (std::vector<int32_t>{-1, -1, 0, 0, -1, -1, 0, 0, 0, 0, 0, qv::kCustomPictureTileNo}));
  mosaic_.FillUsedTilesForSelection(used, true, {1, 1}, {2, 2}, {4, 3});
  EXPECT_EQ(used, (std::vector<int32_t>{2, 0, -1, -1, 0, 0, -1, -1, -1, -1, -1, -1}));
  mosaic_.FillUsedTilesForSelection(used, false, {-1, 0}, {2, 2}, {4, 3});
  EXPECT_EQ(used, std::vector<int32_t>(12, -1));
  EXPECT_THROW(mosaic_.FillUsedTilesForSelection(used, false, {1, 1}, {2, 2}, {5, 3}), qv::EQuivara);
}

// What undo relies on: a cell taken by CellRecord and written back is the cell it was, down
// to the saved project's bytes and the tile ids the next run's used-tile table reads.
TEST_F(PlacementTest, CellRecordsWrittenBackRestoreTheSavedProjectExactly) {
  ASSERT_TRUE(lib_.AddFlippedCopies(qv::kFlipHorizontal));
  lib_.GoRecord(6);
  ASSERT_TRUE(mosaic_.PlaceTile(2, lib_, true));
  ASSERT_TRUE(mosaic_.PlaceCustomPicture(4, qvtest::DrawTestPicture(9, 7, 3), qv::kCustomPictureTileNo,
                                         {9, 7, 9, 0, 0, 7}, "/c.png"));
  mosaic_.CompactSections();  // as every save does
  plan_.SaveProject(projectFile_, mosaic_, lib_);
  const std::string saved = qvtest::FileBytes(projectFile_);
  std::vector<int32_t> usedBefore;
  mosaic_.FillUsedTiles(usedBefore, 1);

  std::vector<qv::TCellRecord> before;
  for (int32_t n = 1; n <= 12; ++n) before.push_back(mosaic_.CellRecord(n));
  // Cells 1 and 3 still hold the project's own records (cell row and detail of the plan).
  lib_.GoRecord(1);
  ASSERT_TRUE(mosaic_.PlaceTile(1, lib_, true));
  plan_.GoRecord(2);
  ASSERT_TRUE(mosaic_.RestoreCellFromPlan(2, plan_));
  plan_.GoRecord(3);
  ASSERT_TRUE(mosaic_.RestoreCellFromPlan(3, plan_));
  lib_.GoRecord(3);
  ASSERT_TRUE(mosaic_.PlaceTile(4, lib_, false));
  EXPECT_FALSE(qv::SameCellContent(mosaic_.CellRecord(4), before[3]));

  mosaic_.Modified = false;
  mosaic_.ShowThumbs = true;
  mosaic_.GoRecord(4);
  for (int32_t n = 1; n <= 4; ++n) ASSERT_TRUE(mosaic_.WriteCellRecord(n, before[size_t(n - 1)]));
  EXPECT_TRUE(mosaic_.Modified);
  EXPECT_EQ(mosaic_.TileNo, qv::kCustomPictureTileNo);  // the current record was reloaded
  EXPECT_EQ(mosaic_.Name, "/c.png");
  for (int32_t n = 1; n <= 12; ++n) EXPECT_TRUE(qv::SameCellContent(mosaic_.CellRecord(n), before[size_t(n - 1)]));
  std::vector<int32_t> usedAfter;
  mosaic_.FillUsedTiles(usedAfter, 1);
  EXPECT_EQ(usedAfter, usedBefore);
  mosaic_.CompactSections();
  plan_.SaveProject(projectFile_, mosaic_, lib_);
  EXPECT_TRUE(qvtest::FileBytes(projectFile_) == saved);

  qv::TCellRecord wrong = before[0];
  wrong.Signature.pop_back();
  EXPECT_FALSE(mosaic_.WriteCellRecord(1, wrong));
  EXPECT_FALSE(mosaic_.WriteCellRecord(13, before[0]));
}

TEST(CellNumbersTest, CellToRowAndBack) {
  EXPECT_EQ(qv::CellToRow(0, 0, 7), 1);
  EXPECT_EQ(qv::CellToRow(2, 3, 7), 18);
  int32_t col = -1, row = -1;
  qv::RowToCell(18, 7, col, row);
  EXPECT_EQ(col, 3);
  EXPECT_EQ(row, 2);
  qv::RowToCell(7, 7, col, row);
  EXPECT_EQ(col, 6);
  EXPECT_EQ(row, 0);
}

}  // namespace
