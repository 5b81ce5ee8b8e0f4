// The project file: creation (short form), the two part readers, the writer (long form) and
// the compaction before a save, checked byte by byte against the layout.
#include <gtest/gtest.h>

#include <cstring>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "imaging/RasterUtils.h"
#include "raster/Resample.h"
#include "support/TestFiles.h"

namespace {

using qv::TQVData;

int32_t I32(const std::string& b, size_t at) { return qv::GetLE32s(reinterpret_cast<const uint8_t*>(b.data()) + at); }
uint16_t U16(const std::string& b, size_t at) { return qv::GetLE16(reinterpret_cast<const uint8_t*>(b.data()) + at); }

std::string ImageOf(const TQVData& t) {
  std::string out;
  t.WriteLibraryImage([&](const void* p, size_t n) { out.append(static_cast<const char*>(p), n); });
  return out;
}

class ProjectFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvtest::WriteSyntheticLibrary(libFile_, 5);
    ASSERT_TRUE(lib_.Open(libFile_));
    lib_.ShowThumbs = true;
    picture_ = qvtest::DrawTestPicture(97, 61, 3);
  }

  // Creates a project and opens it as plan_ and mosaic_, every cell erased to its plan.
  void MakeProject(const std::string& file, int32_t cols, int32_t rows, const std::string& source = "/src/pic.jpg") {
    lib_.CreateProject(file, picture_, {source, {1, 2, 96, 60}}, qv::Size{cols, rows});
    ASSERT_TRUE(plan_.OpenProject(file, mosaic_));
    for (int32_t n = 1; n <= mosaic_.Count; ++n) {
      plan_.Go(n);
      ASSERT_TRUE(mosaic_.RestoreCellFromPlan(n, plan_));
    }
  }

  qvtest::TempDir dir_;
  std::string libFile_ = dir_.File("tiles.qv2");
  qv::Bitmap24 picture_;
  TQVData lib_, plan_, mosaic_;
};

TEST_F(ProjectFileTest, CreateProjectWritesTheShortForm) {
  const std::string file = dir_.File("new.qvp");
  lib_.BuildFilterCode = 4;  // the plan's filter code; the library's own (6) resamples the source
  lib_.CreateProject(file, picture_, {"/src/pic.jpg", {1, 2, 96, 60}}, qv::Size{10, 8});
  EXPECT_EQ(lib_.BuildFilterCode, 4);
  EXPECT_FALSE(lib_.Work);

  const std::string b = qvtest::FileBytes(file);
  const std::string libName = lib_.BaseName(), srcName = "/src/pic.jpg";
  const size_t l1 = libName.size(), l2 = srcName.size();
  const uint8_t magic[8] = {0x00, 0xFF, 0x20, 'Q', 'V', 'P', '2', '1'};
  ASSERT_EQ(std::memcmp(b.data(), magic, 8), 0);
  EXPECT_EQ(U16(b, 8), 10);
  EXPECT_EQ(U16(b, 10), 8);
  const int32_t a = I32(b, 12), bOffset = I32(b, 16);
  EXPECT_EQ(a, int32_t(40 + l1 + l2));
  EXPECT_EQ(U16(b, 20), l1);
  EXPECT_EQ(b.substr(22, l1), libName);
  EXPECT_EQ(U16(b, 22 + l1), l2);
  EXPECT_EQ(b.substr(24 + l1, l2), srcName);
  EXPECT_EQ(I32(b, 24 + l1 + l2), 1);
  EXPECT_EQ(I32(b, 36 + l1 + l2), 60);
  const int32_t la = I32(b, size_t(a));
  EXPECT_EQ(bOffset, a + 4 + la);
  const int32_t lb = I32(b, size_t(bOffset));
  EXPECT_EQ(b.size(), size_t(bOffset) + 4 + size_t(lb));
  const std::string planPart = b.substr(size_t(a) + 4, size_t(la));
  EXPECT_EQ(planPart, b.substr(size_t(bOffset) + 4, size_t(lb)));

  // The plan part is a library file with the library's geometry and the plan's codes.
  const qv::TLibraryHeader h = qv::DecodeLibraryHeader(reinterpret_cast<const uint8_t*>(planPart.data()));
  EXPECT_EQ(h.Count, 80);
  EXPECT_EQ(h.UnflippedCount, 80);
  EXPECT_EQ(h.FormatByte, lib_.FormatByte);
  EXPECT_EQ(h.ColorSystem, qv::kColorRGB);
  EXPECT_EQ(h.FilterCode, 4);
  EXPECT_EQ(h.PropX, lib_.PropX);
  EXPECT_EQ(h.GridW, 6);
  EXPECT_EQ(h.SigSize, 108u);

  // Its records: the source cut into 10 x 8 cells of 6 x 6 signature pixels.
  const qv::Bitmap24 grid = qv::Resample(picture_, 60, 48, qv::ResampleFilterFromCode(lib_.FilterCode));
  TQVData plan;
  ASSERT_TRUE(plan.Open(file, 1));
  for (int32_t r = 0; r < 8; ++r)
    for (int32_t c = 0; c < 10; ++c) {
      const int32_t n = qv::CellToRow(r, c, 10);
      qv::Bitmap24 cell(6, 6);
      cell.Draw(grid, -c * 6, -r * 6);
      const qv::SignatureBytes sig = qv::SignatureOf(cell, qv::kColorRGB);
      ASSERT_EQ(std::memcmp(plan.RecordSignature(n), sig.data(), 108), 0) << n;
      EXPECT_EQ(plan.RecordStatus(n), 0);
      const qv::TTileInfo info = plan.RecordInfo(n);
      EXPECT_EQ(info.SlotOffset, plan.SlotOffset(n) + 5);
      EXPECT_EQ(info.ThumbOffset, 0);
      EXPECT_EQ(info.TileNo, 0);
      EXPECT_EQ(info.CellRow, r);
      EXPECT_EQ(info.Detail, qv::DetailOf(sig.data(), 108));
      EXPECT_EQ(info.Name, "  ");
      EXPECT_EQ(info.PicWidth + info.PicHeight + info.CropLeft + info.CropTop + info.CropRight + info.CropBottom, 0);
    }
}

TEST_F(ProjectFileTest, TheTwoReadersFillTheirProjectValues) {
  const std::string file = dir_.File("p.qvp");
  lib_.CreateProject(file, picture_, {"/src/pic.jpg", {1, 2, 96, 60}}, qv::Size{10, 8});
  TQVData plan, mosaic;
  plan.ProjectReserved[0] = 5;
  mosaic.SourceFileName = "untouched";
  ASSERT_TRUE(plan.Open(file, 1));
  ASSERT_TRUE(mosaic.Open(file, 2));
  EXPECT_EQ(plan.Cols, 10);
  EXPECT_EQ(plan.Rows, 8);
  EXPECT_EQ(plan.Count, 80);
  EXPECT_EQ(plan.LibraryFileName, libFile_);
  EXPECT_EQ(plan.SourceFileName, "/src/pic.jpg");
  EXPECT_EQ(plan.SourceRect, (qv::Rect{1, 2, 96, 60}));
  EXPECT_EQ(plan.ProjectReserved[0], 0);  // the short form has none
  EXPECT_EQ(plan.BaseName(), file);
  EXPECT_EQ(mosaic.Cols, 10);
  EXPECT_EQ(mosaic.Count, 80);
  EXPECT_EQ(mosaic.LibraryFileName, libFile_);
  EXPECT_EQ(mosaic.SourceFileName, "untouched");
  EXPECT_EQ(mosaic.BaseName(), file);
  EXPECT_FALSE(plan.Open(dir_.File("missing.qvp"), 1));
  EXPECT_EQ(plan.BaseName(), file);
}

TEST_F(ProjectFileTest, SaveProjectWritesTheLongForm) {
  const std::string file = dir_.File("p.qvp");
  MakeProject(file, 4, 3);
  plan_.ProjectReserved[0] = 7;
  plan_.ProjectReserved[1] = -9;
  plan_.LibraryFileName = "/elsewhere/old.qv2";  // the open library's name is written
  mosaic_.CompactSections();
  plan_.SaveProject(file, mosaic_, lib_);

  const std::string b = qvtest::FileBytes(file);
  const size_t l1 = libFile_.size(), l2 = plan_.SourceFileName.size();
  EXPECT_EQ(U16(b, 8), 4);
  EXPECT_EQ(U16(b, 10), 3);
  const int32_t a = I32(b, 12), bOffset = I32(b, 16);
  EXPECT_EQ(a, int32_t(64 + l1 + l2));
  EXPECT_EQ(b.substr(22, l1), libFile_);
  EXPECT_EQ(I32(b, 40 + l1 + l2), 0);
  EXPECT_EQ(I32(b, 44 + l1 + l2), 7);
  EXPECT_EQ(I32(b, 48 + l1 + l2), -9);
  EXPECT_EQ(b.substr(52 + l1 + l2, 12), std::string(12, '\0'));
  const std::string plan = ImageOf(plan_), mosaic = ImageOf(mosaic_);
  EXPECT_EQ(I32(b, size_t(a)), int32_t(plan.size()));
  EXPECT_EQ(b.substr(size_t(a) + 4, plan.size()), plan);
  EXPECT_EQ(bOffset, a + 4 + int32_t(plan.size()));
  EXPECT_EQ(I32(b, size_t(bOffset)), int32_t(mosaic.size()));
  EXPECT_EQ(b.substr(size_t(bOffset) + 4), mosaic);

  TQVData plan2, mosaic2;
  ASSERT_TRUE(plan2.OpenProject(file, mosaic2));
  EXPECT_EQ(plan2.ProjectReserved[0], 7);
  EXPECT_EQ(plan2.ProjectReserved[1], -9);
  EXPECT_EQ(plan2.LibraryFileName, libFile_);
  EXPECT_EQ(ImageOf(mosaic2), mosaic);
}

TEST_F(ProjectFileTest, WithoutAnOpenLibraryTheProjectKeepsItsLibraryName) {
  const std::string file = dir_.File("p.qvp");
  MakeProject(file, 2, 2);
  TQVData closed;
  plan_.SaveProject(file, mosaic_, closed);
  TQVData plan, mosaic;
  ASSERT_TRUE(plan.OpenProject(file, mosaic));
  EXPECT_EQ(plan.LibraryFileName, libFile_);
}

TEST_F(ProjectFileTest, AnEmptySourceNameIsValid) {
  const std::string file = dir_.File("p.qvp");
  MakeProject(file, 3, 2, "");
  EXPECT_EQ(I32(qvtest::FileBytes(file), 12), int32_t(40 + libFile_.size()));
  EXPECT_EQ(plan_.SourceFileName, "");
  plan_.SaveProject(file, mosaic_, lib_);
  TQVData plan, mosaic;
  ASSERT_TRUE(plan.OpenProject(file, mosaic));
  EXPECT_EQ(plan.SourceFileName, "");
  EXPECT_EQ(mosaic.Count, 6);
}

TEST_F(ProjectFileTest, SavingRefusesTablesThatMakeNoProject) {
  const std::string file = dir_.File("p.qvp");
  MakeProject(file, 3, 2);
  const std::string before = qvtest::FileBytes(file);
  plan_.Cols = 4;
  EXPECT_THROW(plan_.SaveProject(file, mosaic_, lib_), qv::EQuivara);
  plan_.Cols = 3;
  EXPECT_THROW(plan_.SaveProject(dir_.File("no/such/folder.qvp"), mosaic_, lib_), qv::EStreamError);
  EXPECT_EQ(qvtest::FileBytes(file), before);
}

TEST_F(ProjectFileTest, CompactionKeepsOneEntryPerRecordInRecordOrder) {
  const std::string file = dir_.File("p.qvp");
  MakeProject(file, 3, 2);
  mosaic_.CompactSections();
  plan_.SaveProject(file, mosaic_, lib_);
  const int64_t sizeAfterOneRound = qv::FileSize(file);
  const int64_t sectionsAfterOneRound = mosaic_.TextSection.Size() + mosaic_.ThumbSection.Size();
  for (int round = 0; round < 20; ++round)
    for (int32_t n = 1; n <= mosaic_.Count; ++n) {
      lib_.GoRecord((n + round) % 5 + 1);
      ASSERT_TRUE(mosaic_.PlaceTile(n, lib_, true));
    }
  for (int32_t n = 1; n <= mosaic_.Count; ++n) {  // back to the plan's cells, as after the first round
    plan_.Go(n);
    ASSERT_TRUE(mosaic_.RestoreCellFromPlan(n, plan_));
  }
  EXPECT_GT(mosaic_.TextSection.Size() + mosaic_.ThumbSection.Size(), 20 * sectionsAfterOneRound);
  std::vector<std::string> thumbs, names;
  for (int32_t n = 1; n <= mosaic_.Count; ++n) thumbs.push_back(mosaic_.RecordThumbJpeg(n));
  mosaic_.CompactSections();
  plan_.SaveProject(file, mosaic_, lib_);
  EXPECT_EQ(qv::FileSize(file), sizeAfterOneRound);

  // Exactly one TileInfo and one thumbnail entry per record, in record order.
  int64_t text = 4, thumb = 4;
  for (int32_t n = 1; n <= mosaic_.Count; ++n) {
    ASSERT_EQ(mosaic_.RecordTextOffset(n), text);
    const qv::TTileInfo info = mosaic_.RecordInfo(n);
    EXPECT_EQ(info.SlotOffset, mosaic_.SlotOffset(n));
    ASSERT_EQ(info.ThumbOffset, thumb);
    EXPECT_EQ(mosaic_.RecordThumbJpeg(n), thumbs[size_t(n - 1)]);
    text += 38 + int64_t(info.Name.size());
    thumb += 4 + int64_t(thumbs[size_t(n - 1)].size());
  }
  EXPECT_EQ(mosaic_.TextSection.Size(), text);
  EXPECT_EQ(mosaic_.ThumbSection.Size(), thumb);
}

// A record without a thumbnail keeps offset 0 through compaction, so it goes on showing its
// colour grid instead of a thumbnail that does not decode.
TEST_F(ProjectFileTest, CompactionKeepsRecordsWithoutThumbnailWithoutOne) {
  const std::string file = dir_.File("p.qvp");
  lib_.CreateProject(file, picture_, {"", {0, 0, 97, 61}}, qv::Size{2, 2});
  TQVData plan, mosaic;
  ASSERT_TRUE(plan.OpenProject(file, mosaic));
  lib_.GoRecord(2);
  ASSERT_TRUE(mosaic.PlaceTile(3, lib_, true));
  mosaic.CompactSections();
  EXPECT_EQ(mosaic.RecordInfo(1).ThumbOffset, 0);
  EXPECT_EQ(mosaic.RecordInfo(3).ThumbOffset, 4);
  EXPECT_EQ(mosaic.RecordInfo(4).ThumbOffset, 0);
  EXPECT_EQ(mosaic.RecordThumbJpeg(3), lib_.ThumbJpeg);
  mosaic.ShowThumbs = true;
  ASSERT_TRUE(mosaic.GoRecord(4));
  EXPECT_TRUE(mosaic.ThumbBitmap == mosaic.SignatureBitmap);
}

TEST_F(ProjectFileTest, CreateProjectRefusesUnusableInput) {
  const std::string file = dir_.File("p.qvp");
  EXPECT_THROW(lib_.CreateProject(file, picture_, {}, qv::Size{3, 0}), qv::EQuivara);
  EXPECT_THROW(lib_.CreateProject(file, picture_, {}, qv::Size{70000, 3}), qv::EQuivara);
  TQVData closed;
  EXPECT_THROW(closed.CreateProject(file, picture_, {}, qv::Size{2, 2}), qv::EQuivara);
  EXPECT_FALSE(qv::FileExists(file));
}

}  // namespace
