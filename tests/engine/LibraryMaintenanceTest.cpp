// Library maintenance: deleted marks, repeated names, removing deleted tiles, the tile orders
// and the project that shows a library as a mosaic, checked through the files written.
#include <gtest/gtest.h>

#include "base/Errors.h"
#include "codecs/JpegCodec.h"
#include "engine/EngineTestSupport.h"
#include "engine/LibraryMaintenance.h"
#include "engine/QVData.h"
#include "support/TestFiles.h"

namespace {

using qv::TQVData;

// A library whose record k has the given name, a signature of one plain colour
// (colours[k - 1], B, G, R) and a thumbnail of that colour.
void WriteNamedLibrary(const std::string& path, const std::vector<std::string>& names,
                       const std::vector<uint32_t>& colours = {}) {
  TQVData t;
  t.OpenWorkFiles(qvtest::TableSettings(2, 2, qv::kColorRGB));
  for (size_t i = 0; i < names.size(); ++i) {
    const uint32_t c = i < colours.size() ? colours[i] : uint32_t(0x102030 * (i + 1));
    qv::Bitmap24 thumb(8, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        thumb.Pixel(x, y)[0] = uint8_t(c);
        thumb.Pixel(x, y)[1] = uint8_t(c >> 8);
        thumb.Pixel(x, y)[2] = uint8_t(c >> 16);
      }
    qv::SignatureBytes sig(12);
    for (int j = 0; j < 4; ++j) {
      sig[size_t(j) * 3] = uint8_t(c);
      sig[size_t(j) * 3 + 1] = uint8_t(c >> 8);
      sig[size_t(j) * 3 + 2] = uint8_t(c >> 16);
    }
    qv::TTileInfo info;
    info.PicWidth = uint16_t(100 + i);
    info.PicHeight = 80;
    info.CropRight = 80;
    info.CropBottom = 80;
    info.Name = names[i];
    std::string jpeg = qv::EncodeJpeg(thumb, 95);
    t.AppendWorkRecord(0, sig.data(), info, &jpeg, true);
    ++t.AddedCount;
  }
  ASSERT_TRUE(t.WriteLibraryFile(path));
}

std::vector<uint8_t> SigOf(const TQVData& t, int n) {
  return std::vector<uint8_t>(t.RecordSignature(n), t.RecordSignature(n) + t.SigSize);
}

class LibraryMaintenanceTest : public ::testing::Test {
 protected:
  void Make(const std::vector<std::string>& names, const std::vector<uint32_t>& colours = {}) {
    WriteNamedLibrary(lib_, names, colours);
    ASSERT_TRUE(t_.Open(lib_));
  }
  // The library as the file holds it after a save.
  void SaveAndReopen() {
    t_.Save();
    ASSERT_TRUE(back_.Open(lib_));
  }
  qvtest::TempDir dir_;
  std::string lib_ = dir_.File("lib.qv2");
  TQVData t_, back_;
};

TEST_F(LibraryMaintenanceTest, DeletedMarkCoversTheFlippedCopiesAndIsSaved) {
  Make({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"});
  ASSERT_TRUE(t_.AddFlippedCopies(qv::kFlipHorizontal));
  t_.Modified = false;
  qv::SetTileDeleted(t_, 2, true);
  EXPECT_TRUE(t_.Modified);
  SaveAndReopen();
  for (int n = 1; n <= 6; ++n) EXPECT_EQ(back_.RecordStatus(n), (n == 2 || n == 5) ? 255 : 0) << n;
  EXPECT_EQ(qv::DeletedTileCount(back_), 1);

  // A use count survives a restore only on tiles that were not deleted.
  t_.SetRecordStatus(1, 7);
  qv::SetTileDeleted(t_, 2, false);
  qv::SetTileDeleted(t_, 1, false);
  EXPECT_EQ(t_.RecordStatus(1), 7);
  EXPECT_EQ(t_.RecordStatus(2), 0);
  EXPECT_EQ(t_.RecordStatus(5), 0);
  EXPECT_THROW(qv::SetTileDeleted(t_, 4, true), qv::EQuivara);  // a flipped copy is no tile
}

TEST_F(LibraryMaintenanceTest, RepeatedNamesAreMarkedAfterTheirFirstTile) {
  Make({"/p/a.jpg", "/p/b.jpg", "/p/a.jpg", "/q/a.jpg", "/p/b.jpg", "/p/a.jpg", "/p/A.jpg"});
  qv::SetTileDeleted(t_, 6, true);  // already marked: not counted again
  EXPECT_EQ(qv::MarkRepeatedNames(t_), 2);
  SaveAndReopen();
  const std::vector<int> want = {0, 0, 255, 0, 255, 255, 0};
  for (int n = 1; n <= 7; ++n) EXPECT_EQ(back_.RecordStatus(n), want[size_t(n - 1)]) << n;
  EXPECT_EQ(qv::MarkRepeatedNames(t_), 0);
}

TEST_F(LibraryMaintenanceTest, RemovingDeletedTilesKeepsTheRestAndTheirFlipBlocks) {
  Make({"/p/1.jpg", "/p/2.jpg", "/p/3.jpg", "/p/4.jpg", "/p/5.jpg"});
  ASSERT_TRUE(t_.AddFlippedCopies(qv::kFlipHorizontal));
  ASSERT_TRUE(t_.AddFlippedCopies(qv::kFlipRotate180));
  std::vector<std::vector<uint8_t>> sigs;
  std::vector<std::string> thumbs;
  for (int n = 1; n <= 15; ++n) {
    sigs.push_back(SigOf(t_, n));
    thumbs.push_back(t_.RecordThumbJpeg(n));
  }
  t_.SetRecordStatus(3, 9);  // a use count stays with its record
  qv::SetTileDeleted(t_, 2, true);
  qv::SetTileDeleted(t_, 4, true);
  std::vector<int32_t> map = qv::RemoveDeletedTiles(t_);
  EXPECT_EQ(map, (std::vector<int32_t>{0, 1, 0, 2, 0, 3}));
  SaveAndReopen();
  EXPECT_EQ(back_.UnflippedCount, 3);
  EXPECT_EQ(back_.Count, 9);
  EXPECT_EQ(back_.FlipKinds[0], qv::kFlipHorizontal);
  EXPECT_EQ(back_.FlipKinds[1], qv::kFlipRotate180);
  EXPECT_EQ(back_.FlipKinds[2], 0);
  const int oldOf[4] = {0, 1, 3, 5};
  for (int b = 0; b < 3; ++b)
    for (int k = 1; k <= 3; ++k) {
      const int n = b * 3 + k, old = b * 5 + oldOf[k];
      EXPECT_EQ(SigOf(back_, n), sigs[size_t(old - 1)]) << n;
      EXPECT_EQ(back_.RecordThumbJpeg(n), thumbs[size_t(old - 1)]) << n;
      EXPECT_EQ(back_.RecordName(n), "/p/" + std::to_string(oldOf[k]) + ".jpg");
      EXPECT_EQ(back_.RecordInfo(n).SlotOffset, back_.SlotOffset(n)) << n;
      EXPECT_EQ(back_.RecordStatus(n), n == 2 ? 9 : 0) << n;
    }
  // The crop corners still carry the flips.
  EXPECT_GT(back_.RecordInfo(4).CropLeft, back_.RecordInfo(4).CropRight);
  // Flip blocks can still be removed and added on the new table.
  back_.RemoveFlippedCopies();
  EXPECT_EQ(back_.Count, 3);
  EXPECT_TRUE(back_.AddFlippedCopies(qv::kFlipVertical));
  EXPECT_EQ(back_.Count, 6);
}

TEST_F(LibraryMaintenanceTest, SavingWithoutDeletedTilesWritesTheSameFileAndKeepsTheTable) {
  Make({"/p/1.jpg", "/p/2.jpg", "/p/3.jpg", "/p/4.jpg"});
  ASSERT_TRUE(t_.AddFlippedCopies(qv::kFlipVertical));
  qv::SetTileDeleted(t_, 1, true);
  qv::SetTileDeleted(t_, 3, true);
  qvtest::TableSnapshot before(t_);
  const std::string saved = dir_.File("saved.qv2");
  EXPECT_EQ(qv::SaveWithoutDeletedTiles(t_, saved), (std::vector<int32_t>{0, 0, 1, 0, 2}));
  EXPECT_TRUE(before == qvtest::TableSnapshot(t_));
  EXPECT_THROW(qv::SaveWithoutDeletedTiles(t_, dir_.File("no/such/dir/x.qv2")), qv::EStreamError);
  EXPECT_TRUE(before == qvtest::TableSnapshot(t_));

  qv::RemoveDeletedTiles(t_);
  const std::string removed = dir_.File("removed.qv2");
  ASSERT_TRUE(t_.SaveLibraryFile(removed));
  EXPECT_EQ(qvtest::FileBytes(saved), qvtest::FileBytes(removed));
}

TEST_F(LibraryMaintenanceTest, RemovingEveryTileIsRefusedAndChangesNothing) {
  Make({"/p/1.jpg", "/p/2.jpg"});
  qv::SetTileDeleted(t_, 1, true);
  qv::SetTileDeleted(t_, 2, true);
  qvtest::TableSnapshot before(t_);
  EXPECT_THROW(qv::RemoveDeletedTiles(t_), qv::EQuivara);
  EXPECT_TRUE(before == qvtest::TableSnapshot(t_));
}

TEST_F(LibraryMaintenanceTest, TileOrders) {
  // Colours B, G, R in the low, middle and high byte.
  Make({"/z/b.jpg", "/a/c.jpg", "/m/a.jpg", "/m/dup.jpg"}, {0x0000F0, 0xF00000, 0x00F000, 0xE00000});
  qv::SetTileDeleted(t_, 4, true);
  using qv::TTileOrder;
  EXPECT_EQ(qv::LibraryTileOrder(t_, TTileOrder::AsIs), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(qv::LibraryTileOrder(t_, TTileOrder::ByPathAndName), (std::vector<int32_t>{2, 3, 1}));
  EXPECT_EQ(qv::LibraryTileOrder(t_, TTileOrder::ByFileName), (std::vector<int32_t>{3, 1, 2}));
  // 0xRRGGBB: nearest to red is the tile stored with R = F0.
  std::vector<int32_t> red = qv::LibraryTileOrder(t_, TTileOrder::ByColor, 0xFF0000);
  ASSERT_EQ(red.size(), 3u);
  EXPECT_EQ(red[0], 2);
  EXPECT_EQ(qv::LibraryTileOrder(t_, TTileOrder::ByColor, 0x0000FF)[0], 1);
  EXPECT_EQ(t_.OrderKeyWidth, 0);  // the library's order is cleared again
}

class LibraryMosaicTest : public LibraryMaintenanceTest {
 protected:
  void SetUp() override { Make({"/p/1.jpg", "/p/2.jpg", "/p/3.jpg", "/p/4.jpg", "/p/5.jpg"}); }
  std::string project_ = dir_.File("lib.qvp");
  TQVData plan_, mosaic_;
};

TEST_F(LibraryMosaicTest, CellsHoldTheTilesInOrderAndTheRestStayEmpty) {
  std::vector<int32_t> order = {5, 3, 1, 2, 4};
  int calls = 0;
  qv::TLibraryMosaicHooks hooks;
  hooks.OnProgress = [&](int32_t done, int32_t total) {
    EXPECT_EQ(total, 6);
    EXPECT_EQ(done, ++calls);
  };
  ASSERT_TRUE(qv::CreateLibraryMosaic(t_, project_, 3, 2, order, hooks));
  ASSERT_TRUE(plan_.OpenProject(project_, mosaic_));
  EXPECT_EQ(plan_.Cols, 3);
  EXPECT_EQ(plan_.Rows, 2);
  EXPECT_EQ(plan_.LibraryFileName, lib_);
  for (int c = 1; c <= 5; ++c) {
    mosaic_.GoRecord(c);
    EXPECT_EQ(mosaic_.TileNo, order[size_t(c - 1)]) << c;
    EXPECT_EQ(mosaic_.Name, "/p/" + std::to_string(order[size_t(c - 1)]) + ".jpg");
    // The plan's cell is the tile's own colour (as its thumbnail holds it).
    const std::vector<uint8_t> cell = SigOf(plan_, c), tile = SigOf(t_, order[size_t(c - 1)]);
    for (size_t i = 0; i < cell.size(); ++i) EXPECT_NEAR(cell[i], tile[i], 16) << c << " byte " << i;
  }
  mosaic_.GoRecord(6);
  EXPECT_EQ(mosaic_.TileNo, 0);
  EXPECT_EQ(mosaic_.Name, "  ");
  EXPECT_FALSE(t_.ShowThumbs);  // the library's cursor setting is given back

  EXPECT_THROW(qv::CreateLibraryMosaic(t_, project_, 2, 2, order), qv::EQuivara);  // too few cells
}

TEST_F(LibraryMosaicTest, StoppingWritesNothing) {
  qvtest::WriteFile(project_, "old");
  qv::TLibraryMosaicHooks hooks;
  hooks.StopRequested = [] { return true; };
  EXPECT_FALSE(qv::CreateLibraryMosaic(t_, project_, 3, 2, {1, 2, 3}, hooks));
  EXPECT_EQ(qvtest::FileBytes(project_), "old");
}

TEST_F(LibraryMosaicTest, ProjectFollowsTheLibraryThroughRemovalAndResampling) {
  ASSERT_TRUE(qv::CreateLibraryMosaic(t_, project_, 3, 2, {1, 2, 3, 4, 5}));
  ASSERT_TRUE(plan_.OpenProject(project_, mosaic_));
  mosaic_.Modified = false;

  // Tiles 2 and 4 go: the cells keep their pictures; their numbers follow the library.
  qv::SetTileDeleted(t_, 2, true);
  qv::SetTileDeleted(t_, 4, true);
  std::vector<int32_t> map = qv::RemoveDeletedTiles(t_);
  t_.Save();
  EXPECT_EQ(qv::RenumberMosaicTiles(mosaic_, map), 4);  // 2 and 4 gone, 3 and 5 renumbered
  EXPECT_TRUE(mosaic_.Modified);
  const int32_t want[6] = {1, 0, 2, 0, 3, 0};
  for (int c = 1; c <= 6; ++c) EXPECT_EQ(mosaic_.RecordTileNo(c), want[c - 1]) << c;
  mosaic_.GoRecord(4);
  EXPECT_EQ(mosaic_.Name, "/p/4.jpg");  // the picture stays in its cell
  // Same geometry: the library still fits the project.
  EXPECT_EQ(plan_.CompareLibraryFile(lib_), 0);

  // A resampled copy has other signatures: the project refuses it as another sampling.
  const std::string resampled = dir_.File("lib8.qv2");
  ASSERT_TRUE(t_.ResampleLibrary(resampled, {.GridW = 3, .GridH = 3, .ColorSystem = qv::kColorYCC}));
  EXPECT_EQ(plan_.CompareLibraryFile(resampled), 2);
}

}  // namespace
