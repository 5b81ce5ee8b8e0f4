// Library files: the bytes the writers produce, reading them back, the cursor over them,
// and the header probes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "support/TestFiles.h"

namespace {

using qv::TQVData;

std::string SectionBytes(const qv::ByteSection& s) {
  return std::string(reinterpret_cast<const char*>(s.Data()), size_t(s.Size()));
}

class LibraryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pictures_ = dir_.File("pictures");
    ASSERT_EQ(::mkdir(pictures_.c_str(), 0777), 0);
    qvtest::WriteTestJpeg(pictures_ + "/a.jpg", 400, 300, 1);
    qvtest::WriteTestJpeg(pictures_ + "/b.JPEG", 300, 400, 2);
    qvtest::WriteTestJpeg(pictures_ + "/c.jpg", 640, 480, 3);
    TQVData builder;
    ASSERT_TRUE(builder.CreateLibrary(lib_, qvtest::NewLibrarySettings(pictures_)));
  }

  uint32_t At32(const std::string& b, size_t at) {
    return qv::GetLE32(reinterpret_cast<const uint8_t*>(b.data()) + at);
  }
  uint16_t At16(const std::string& b, size_t at) {
    return qv::GetLE16(reinterpret_cast<const uint8_t*>(b.data()) + at);
  }

  qvtest::TempDir dir_;
  std::string pictures_;
  std::string lib_ = dir_.File("lib.qv2");
};

TEST_F(LibraryFileTest, BuiltLibraryHasTheLayoutOfTheHeaderAndSections) {
  std::string b = qvtest::FileBytes(lib_);
  ASSERT_GT(b.size(), 79u);
  EXPECT_EQ(b.substr(0, 8), std::string("\x00\xFF\x20QVB21", 8));
  EXPECT_EQ(At32(b, 8), 3u);                           // Count
  EXPECT_EQ(uint8_t(b[12]), 3);                        // FormatByte
  EXPECT_EQ(uint8_t(b[13]), 1);                        // YCC
  EXPECT_EQ(uint8_t(b[14]), 6);                        // Mitchell
  EXPECT_EQ(At32(b, 15), 3u);                          // UnflippedCount
  EXPECT_EQ(b.substr(19, 36), std::string(36, '\0'));  // reserved byte, FlipKinds, 32 reserved
  EXPECT_EQ(At16(b, 55), 4);
  EXPECT_EQ(At16(b, 57), 4);
  EXPECT_EQ(At16(b, 59), 6);
  EXPECT_EQ(At16(b, 61), 6);
  EXPECT_EQ(At32(b, 63), 108u);
  const uint32_t text = At32(b, 67), data = At32(b, 71), thumb = At32(b, 75);
  EXPECT_EQ(text, 79u);
  EXPECT_EQ(data - text, 4u + 3 * (38 + 0) + (pictures_.size() + 6) * 2 + (pictures_.size() + 7));
  EXPECT_EQ(thumb - data, 4u + 3 * 113);
  EXPECT_EQ(b.substr(text, 4), ".txt");
  EXPECT_EQ(b.substr(data, 4), ".dat");
  EXPECT_EQ(b.substr(thumb, 4), ".tmb");

  // Files in name order; record 2 is the portrait picture.
  const size_t slot2 = data + 4 + 113;
  EXPECT_EQ(uint8_t(b[slot2]), 0);  // status
  const uint32_t info2 = text + At32(b, slot2 + 1);
  EXPECT_EQ(At16(b, info2), pictures_.size() + 7);             // name length
  EXPECT_EQ(At32(b, info2 + 2), 4u + 113 + 5);                 // the signature's offset
  EXPECT_GT(At32(b, info2 + 6), 4u);                           // thumbnail
  EXPECT_EQ(At32(b, info2 + 10), 0u);                          // TileNo
  EXPECT_EQ(b.substr(info2 + 14, 12), std::string(12, '\0'));  // CellRow, Detail
  EXPECT_EQ(At16(b, info2 + 26), 300);
  EXPECT_EQ(At16(b, info2 + 28), 400);
  EXPECT_EQ(At16(b, info2 + 30), 0);  // centre crop of a portrait picture
  EXPECT_EQ(At16(b, info2 + 32), 50);
  EXPECT_EQ(At16(b, info2 + 34), 300);
  EXPECT_EQ(At16(b, info2 + 36), 350);
  EXPECT_EQ(b.substr(info2 + 38, pictures_.size() + 7), pictures_ + "/b.JPEG");
  // The thumbnail entry: a length and a 42 x 42 JPEG.
  const uint32_t t2 = thumb + At32(b, info2 + 6);
  const uint32_t len = At32(b, t2);
  qv::Bitmap24 th = qv::DecodeJpegMemory(reinterpret_cast<const uint8_t*>(b.data()) + t2 + 4, len);
  EXPECT_EQ(th.Width(), 42);
  EXPECT_EQ(th.Height(), 42);
}

TEST_F(LibraryFileTest, SaveAndReopenGiveTheSameBytes) {
  TQVData t;
  t.ShowThumbs = true;
  ASSERT_TRUE(t.Open(lib_));
  EXPECT_EQ(t.BaseName(), lib_);
  EXPECT_TRUE(t.TableIsOpen());
  EXPECT_FALSE(t.Modified);
  EXPECT_EQ(t.RecNo, 1);
  EXPECT_EQ(t.ColorSystemName(), "YCC");
  const std::string copy = dir_.File("copy.qv2");
  ASSERT_TRUE(t.SaveLibraryFile(copy));
  EXPECT_EQ(qvtest::FileBytes(copy), qvtest::FileBytes(lib_));

  TQVData u;
  u.ShowThumbs = true;
  ASSERT_TRUE(u.Open(copy));
  EXPECT_EQ(SectionBytes(u.TextSection), SectionBytes(t.TextSection));
  EXPECT_EQ(SectionBytes(u.DataSection), SectionBytes(t.DataSection));
  EXPECT_EQ(u.ThumbSection.ReadString(0, u.ThumbSection.Size()), t.ThumbSection.ReadString(0, t.ThumbSection.Size()));
  EXPECT_EQ(u.RecNo, 1);
  EXPECT_EQ(u.Name, t.Name);
  EXPECT_EQ(u.ThumbJpeg, t.ThumbJpeg);
  EXPECT_TRUE(u.ThumbBitmap == t.ThumbBitmap);

  u.Modified = true;
  u.Save();
  EXPECT_FALSE(u.Modified);
  EXPECT_EQ(qvtest::FileBytes(copy), qvtest::FileBytes(lib_));
}

TEST_F(LibraryFileTest, CurrentRecordIsLoadedWithThumbnailAndColourGrid) {
  TQVData t;
  t.ShowThumbs = true;
  ASSERT_TRUE(t.Open(lib_));
  ASSERT_TRUE(t.GoRecord(3));
  EXPECT_EQ(t.Name, pictures_ + "/c.jpg");
  EXPECT_EQ(t.PicWidth, 640);
  EXPECT_EQ(t.PicHeight, 480);
  EXPECT_EQ(t.CropLeft, 80);
  EXPECT_EQ(t.CropRight, 560);
  EXPECT_EQ(t.Signature.size(), 108u);
  EXPECT_EQ(t.SignatureBitmap.Width(), 6);
  EXPECT_EQ(t.ThumbBitmap.Width(), 42);
  EXPECT_FALSE(t.ThumbJpeg.empty());
  EXPECT_EQ(t.ThumbJpeg, t.RecordThumbJpeg(3));
  EXPECT_EQ(t.DataSection.Position, t.SlotOffset(3) + 113);
  // Without ShowThumbs the colour grid stands in for the thumbnail.
  t.ShowThumbs = false;
  ASSERT_TRUE(t.GoRecord(2));
  EXPECT_TRUE(t.ThumbJpeg.empty());
  EXPECT_TRUE(t.ThumbBitmap == t.SignatureBitmap);
}

TEST_F(LibraryFileTest, GoClampsToTheTable) {
  TQVData t;
  ASSERT_TRUE(t.Open(lib_));
  t.Go(0);
  EXPECT_EQ(t.RecNo, 1);
  t.Go(t.Count + 5);
  EXPECT_EQ(t.RecNo, 3);
  EXPECT_EQ(t.Name, pictures_ + "/c.jpg");
}

TEST_F(LibraryFileTest, GoWithoutRecordsClearsTheCurrentRecord) {
  TQVData t;
  ASSERT_TRUE(t.Open(lib_));
  t.GoRecord(2);
  t.Close();
  EXPECT_FALSE(t.TableIsOpen());
  qv::TBaseInfo info;
  info.FileName = "x";
  t.GetInfo(info);
  EXPECT_EQ(info.FileName, "");
  EXPECT_EQ(t.Count, 3);  // the last table's counts stay
  EXPECT_FALSE(t.Go(1));
  EXPECT_EQ(t.Name, "");
  EXPECT_EQ(t.PicWidth, 1);
  EXPECT_EQ(t.CropRight, 1);
  EXPECT_EQ(t.RecNo, 2);
  EXPECT_FALSE(t.SaveLibraryFile(dir_.File("closed.qv2")));  // nothing to write
}

TEST_F(LibraryFileTest, OrderEntriesWalkRecordsBySlotOrSignatureOffset) {
  TQVData t;
  ASSERT_TRUE(t.Open(lib_));
  t.BeginOrder(8);
  t.AppendOrderEntry(int32_t(t.SlotOffset(3)), 1.0);
  t.AppendOrderEntry(int32_t(t.SlotOffset(1) + 5), 2.0);  // a signature offset
  t.AppendOrderEntry(int32_t(t.SlotOffset(2)), 0.5);
  t.SortOrder(false);
  ASSERT_EQ(t.OrderCount, 3);
  t.Go(1);
  EXPECT_EQ(t.RecNo, 2);
  t.Go(2);
  EXPECT_EQ(t.RecNo, 3);
  t.Go(3);
  EXPECT_EQ(t.RecNo, 1);
  EXPECT_EQ(t.Name, pictures_ + "/a.jpg");
  EXPECT_EQ(t.RecordNumberAt(t.SlotOffset(2)), t.RecordNumberAt(t.SlotOffset(2) + 5));
  t.Go(99);
  EXPECT_EQ(t.OrderPos, 2);
  t.ClearOrder();
  EXPECT_EQ(t.OrderCount, 3);
  t.Go(2);
  EXPECT_EQ(t.RecNo, 2);
}

TEST(TableOrderTest, SortIsStableAndKeepsTheBest) {
  qvtest::TempDir dir;
  qvtest::WriteSyntheticLibrary(dir.File("s.qv2"), 5);
  TQVData t;
  ASSERT_TRUE(t.Open(dir.File("s.qv2")));
  const double keys[5] = {3, 1, 3, 1, 2};
  t.BeginOrder(8);
  for (int n = 1; n <= 5; ++n) t.AppendOrderEntry(int32_t(t.SlotOffset(n)), keys[n - 1]);
  t.SortOrder(true);
  std::vector<int> order;
  for (int i = 0; i < 5; ++i) order.push_back(t.RecordNumberAt(t.OrderEntrySlot(i)));
  EXPECT_EQ(order, (std::vector<int>{1, 3, 5, 2, 4}));
  t.BeginOrder(8);
  for (int n = 1; n <= 5; ++n) t.AppendOrderEntry(int32_t(t.SlotOffset(n)), keys[n - 1]);
  t.SortOrder(false, 3);
  EXPECT_EQ(t.OrderCount, 3);
  EXPECT_EQ(t.OrderStream.Size(), 3 * 12);
  EXPECT_EQ(t.RecordNumberAt(t.OrderEntrySlot(2)), 5);
  t.BeginOrder(8);
  t.SortOrder(false);
  EXPECT_FALSE(t.Go(1));  // an empty order
}

TEST_F(LibraryFileTest, RecordWithoutThumbnailShowsItsColourGrid) {
  const std::string lib = dir_.File("nothumb.qv2");
  qvtest::WriteSyntheticLibrary(lib, 3, 6, 6, {2});
  TQVData t;
  t.ShowThumbs = true;
  ASSERT_TRUE(t.Open(lib));
  ASSERT_TRUE(t.GoRecord(2));
  EXPECT_TRUE(t.ThumbJpeg.empty());
  EXPECT_TRUE(t.ThumbBitmap == t.SignatureBitmap);
  EXPECT_EQ(t.RecordThumbJpeg(2), "");
  ASSERT_TRUE(t.GoRecord(1));
  EXPECT_EQ(t.ThumbBitmap.Width(), 8);
}

TEST_F(LibraryFileTest, UndecodableThumbnailLeavesThePreviousPicture) {
  const std::string lib = dir_.File("badthumb.qv2");
  qvtest::WriteSyntheticLibrary(lib, 2);
  std::string b = qvtest::FileBytes(lib);
  const uint32_t thumb = At32(b, 75);
  // Record 2's JPEG is the second entry; spoil its start-of-image marker.
  const uint32_t second = thumb + 4 + 4 + At32(b, thumb + 4);
  b[second + 4] = 0;
  qvtest::WriteFile(lib, b);
  TQVData t;
  t.ShowThumbs = true;
  ASSERT_TRUE(t.Open(lib));
  qv::Bitmap24 first = t.ThumbBitmap;
  ASSERT_TRUE(t.GoRecord(2));
  EXPECT_EQ(t.Name, "tile2");
  EXPECT_FALSE(t.ThumbJpeg.empty());
  EXPECT_TRUE(t.ThumbBitmap == first);
}

TEST_F(LibraryFileTest, SettingBaseNameToAMissingFileChangesNothing) {
  TQVData t;
  t.SetBaseName(lib_);
  ASSERT_TRUE(t.TableIsOpen());
  t.GoRecord(2);
  t.SetBaseName(dir_.File("missing.qv2"));
  EXPECT_EQ(t.BaseName(), lib_);
  EXPECT_EQ(t.Count, 3);
  EXPECT_EQ(t.RecNo, 2);
  EXPECT_FALSE(t.Open(dir_.File("missing.qv2")));
}

TEST_F(LibraryFileTest, ProbesReadTheHeaderOnly) {
  TQVData t;
  qv::TBaseInfo info;
  t.ReadLibraryInfo(lib_, info);
  EXPECT_EQ(info.FileName, lib_);
  EXPECT_EQ(info.Count, 3);
  EXPECT_EQ(info.PropX, 4);
  EXPECT_EQ(info.GridW, 6);
  t.ReadLibraryInfo(dir_.File("missing.qv2"), info);
  EXPECT_EQ(info.FileName, "");
  EXPECT_EQ(info.Count, 3);  // the numbers are left as they were

  ASSERT_TRUE(t.Open(lib_));
  EXPECT_EQ(t.CompareLibraryFile(lib_), 0);
  EXPECT_EQ(t.CompareLibraryFile(dir_.File("missing.qv2")), -1);
  qvtest::WriteFile(dir_.File("junk.qv2"), "not a library at all, but long enough to hold a header of 79 bytes......");
  EXPECT_EQ(t.CompareLibraryFile(dir_.File("junk.qv2")), -1);

  std::string b = qvtest::FileBytes(lib_);
  qv::PutLE16(reinterpret_cast<uint8_t*>(b.data()) + 55, 3);  // other proportion, same grid
  qvtest::WriteFile(dir_.File("prop.qv2"), b);
  EXPECT_EQ(t.CompareLibraryFile(dir_.File("prop.qv2")), 1);
  qv::PutLE16(reinterpret_cast<uint8_t*>(b.data()) + 59, 5);  // and another grid
  qvtest::WriteFile(dir_.File("both.qv2"), b);
  EXPECT_EQ(t.CompareLibraryFile(dir_.File("both.qv2")), 2);
}

TEST_F(LibraryFileTest, FailedSaveKeepsThePreviousFile) {
  TQVData t;
  ASSERT_TRUE(t.Open(lib_));
  const std::string before = qvtest::FileBytes(lib_);
  EXPECT_FALSE(t.SaveLibraryFile(dir_.File("no/such/folder/x.qv2")));
  // A folder in the way of the rename: the save fails and leaves no temporary file behind.
  const std::string blocked = dir_.File("blocked.qv2");
  ASSERT_EQ(::mkdir(blocked.c_str(), 0777), 0);
  EXPECT_FALSE(t.SaveLibraryFile(blocked));
  EXPECT_TRUE(qv::DirectoryExists(blocked));
  t.Close();
  EXPECT_FALSE(t.SaveLibraryFile(lib_));
  EXPECT_EQ(qvtest::FileBytes(lib_), before);
  EXPECT_THROW(t.Save(), qv::EStreamError);
}

}  // namespace
