// The project reader against damaged files: every one raises the format error, none crashes
// or reads out of bounds, and neither plan nor mosaic changes. These tests also run in the
// AddressSanitizer build (engine_reader_asan_tests).
#include <gtest/gtest.h>

#include <unistd.h>

#include <random>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "support/TestFiles.h"

namespace {

using qv::EFormatError;
using qv::TQVData;
using qvtest::TableSnapshot;

// A table and the project values it holds.
struct ProjectSnapshot {
  TableSnapshot table;
  int32_t cols, rows, reserved0, reserved1;
  std::string library, source;
  qv::Rect rect;
  explicit ProjectSnapshot(const TQVData& t)
      : table(t),
        cols(t.Cols),
        rows(t.Rows),
        reserved0(t.ProjectReserved[0]),
        reserved1(t.ProjectReserved[1]),
        library(t.LibraryFileName),
        source(t.SourceFileName),
        rect(t.SourceRect) {}
  bool operator==(const ProjectSnapshot& o) const {
    return table == o.table && cols == o.cols && rows == o.rows && reserved0 == o.reserved0 &&
           reserved1 == o.reserved1 && library == o.library && source == o.source && rect == o.rect;
  }
};

class ProjectReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Four tiles on a 3 x 2 signature grid, a project of 3 x 2 cells.
    qvtest::WriteSyntheticLibrary(libFile_, 4, 3, 2);
    ASSERT_TRUE(lib_.Open(libFile_));
    lib_.CreateProject(shortFile_, qvtest::DrawTestPicture(30, 20, 7), {"/pictures/source.jpg", {5, 6, 35, 26}},
                       qv::Size{3, 2});
    shortBytes_ = qvtest::FileBytes(shortFile_);

    TQVData plan, mosaic;
    ASSERT_TRUE(plan.OpenProject(shortFile_, mosaic));
    plan.ProjectReserved[0] = 11;
    plan.ProjectReserved[1] = 22;
    for (int32_t n = 1; n <= mosaic.Count; ++n) {
      plan.Go(n);
      ASSERT_TRUE(mosaic.RestoreCellFromPlan(n, plan));
    }
    mosaic.CompactSections();
    plan.SaveProject(longFile_, mosaic, lib_);
    longBytes_ = qvtest::FileBytes(longFile_);

    ASSERT_TRUE(plan_.OpenProject(longFile_, mosaic_));
  }

  // Expects every way of reading the bytes to raise the format error and change nothing.
  void ExpectRejected(const std::string& bytes, const std::string& why, bool allModes = true) {
    const std::string file = dir_.File("damaged" + std::to_string(++files_) + ".qvp");
    qvtest::WriteFile(file, bytes);
    ProjectSnapshot plan(plan_), mosaic(mosaic_);
    EXPECT_THROW(plan_.OpenProject(file, mosaic_), EFormatError) << why;
    if (allModes) {
      EXPECT_THROW(plan_.Open(file, 1), EFormatError) << why;
      EXPECT_THROW(mosaic_.Open(file, 2), EFormatError) << why;
    }
    EXPECT_TRUE(ProjectSnapshot(plan_) == plan) << why;
    EXPECT_TRUE(ProjectSnapshot(mosaic_) == mosaic) << why;
    ::unlink(file.c_str());
  }

  static std::string Patched32(std::string b, size_t at, uint32_t v) {
    qv::PutLE32(reinterpret_cast<uint8_t*>(b.data()) + at, v);
    return b;
  }
  static std::string Patched16(std::string b, size_t at, uint16_t v) {
    qv::PutLE16(reinterpret_cast<uint8_t*>(b.data()) + at, v);
    return b;
  }
  static int32_t I32(const std::string& b, size_t at) {
    return qv::GetLE32s(reinterpret_cast<const uint8_t*>(b.data()) + at);
  }

  qvtest::TempDir dir_;
  std::string libFile_ = dir_.File("tiles.qv2");
  std::string shortFile_ = dir_.File("short.qvp");
  std::string longFile_ = dir_.File("long.qvp");
  std::string shortBytes_, longBytes_;
  TQVData lib_, plan_, mosaic_;
  int files_ = 0;
};

TEST_F(ProjectReaderTest, WrongMagicGivesTheProjectMessage) {
  for (const std::string* bytes : {&shortBytes_, &longBytes_}) {
    std::string b = *bytes;
    b[5] = 'B';  // a library's magic is not a project's
    const std::string file = dir_.File("magic.qvp");
    qvtest::WriteFile(file, b);
    for (int mode : {1, 2}) {
      try {
        plan_.Open(file, mode);
        FAIL() << "no error";
      } catch (const EFormatError& e) {
        EXPECT_STREQ(e.what(), "Wrong file format. Not quivara QVP file");
      }
    }
  }
  ExpectRejected("", "empty file");
  ExpectRejected(longBytes_.substr(0, 7), "shorter than the magic");
}

TEST_F(ProjectReaderTest, AnEmbeddedPartWithoutLibraryMagicGivesTheLibraryMessage) {
  const int32_t a = I32(longBytes_, 12), b = I32(longBytes_, 16);
  for (int32_t part : {a, b}) {
    std::string bytes = longBytes_;
    bytes[size_t(part) + 4 + 3] = 'X';
    const std::string file = dir_.File("part.qvp");
    qvtest::WriteFile(file, bytes);
    ProjectSnapshot before(plan_);
    try {
      plan_.OpenProject(file, mosaic_);
      FAIL() << "no error";
    } catch (const EFormatError& e) {
      EXPECT_STREQ(e.what(), "Wrong file format. Not quivara base");
    }
    EXPECT_TRUE(ProjectSnapshot(plan_) == before);
  }
}

TEST_F(ProjectReaderTest, InconsistentHeadersAreRefused) {
  for (const std::string* bytes : {&shortBytes_, &longBytes_}) {
    const std::string& b = *bytes;
    const int32_t a = I32(b, 12), bOffset = I32(b, 16);
    const int32_t la = I32(b, size_t(a)), lb = I32(b, size_t(bOffset));
    ExpectRejected(Patched16(b, 8, 0), "no columns");
    ExpectRejected(Patched16(b, 10, 0), "no rows");
    ExpectRejected(Patched16(b, 8, 2), "columns x rows not the record count");
    ExpectRejected(Patched16(b, 20, 0xFFFF), "library name running past the file");
    ExpectRejected(Patched32(b, 12, 30), "plan part inside the header");
    ExpectRejected(Patched32(b, 12, uint32_t(b.size() - 2)), "plan part offset at the end");
    ExpectRejected(Patched32(b, 12, 0x80000000u), "negative plan offset");
    ExpectRejected(Patched32(b, 16, uint32_t(a + 4 + la - 1)), "mosaic part inside the plan part");
    ExpectRejected(Patched32(b, 16, uint32_t(b.size())), "mosaic part offset beyond the file");
    ExpectRejected(Patched32(b, size_t(a), 0xFFFFFFFFu), "negative plan length");
    ExpectRejected(Patched32(b, size_t(a), uint32_t(b.size())), "plan part longer than the file");
    ExpectRejected(Patched32(b, size_t(bOffset), uint32_t(lb + 1)), "mosaic part running past the file");
  }
}

TEST_F(ProjectReaderTest, ADamagedMosaicChangesNeitherTable) {
  // The plan part is sound; only the mosaic's record count is wrong.
  const int32_t b = I32(longBytes_, 16);
  const std::string bytes = Patched32(longBytes_, size_t(b) + 4 + 8, 5);
  const std::string file = dir_.File("mosaic.qvp");
  qvtest::WriteFile(file, bytes);
  TQVData plan, mosaic;
  EXPECT_NO_THROW(plan.Open(file, 1));
  ProjectSnapshot planBefore(plan_), mosaicBefore(mosaic_);
  EXPECT_THROW(plan_.OpenProject(file, mosaic_), EFormatError);
  EXPECT_TRUE(ProjectSnapshot(plan_) == planBefore);
  EXPECT_TRUE(ProjectSnapshot(mosaic_) == mosaicBefore);
}

TEST_F(ProjectReaderTest, EveryTruncationIsRefused) {
  for (const std::string* bytes : {&shortBytes_, &longBytes_}) {
    for (size_t len = 0; len < bytes->size(); ++len) {
      SCOPED_TRACE("length " + std::to_string(len));
      ExpectRejected(bytes->substr(0, len), "truncated", len % 7 == 0);
    }
  }
}

// Random damage: a project that still opens must be fully usable and savable; one that does
// not must be refused with the format error.
TEST_F(ProjectReaderTest, RandomByteDamageNeverCrashes) {
  std::mt19937 rng(20240612);
  int opened = 0, refused = 0;
  for (int round = 0; round < 600; ++round) {
    std::string b = longBytes_;
    const int flips = 1 + int(rng() % 3);
    for (int k = 0; k < flips; ++k) {
      const size_t at = (rng() % 3 == 0) ? rng() % 120 : rng() % b.size();
      b[at] = char(uint8_t(b[at]) ^ uint8_t(1 + rng() % 255));
    }
    const std::string file = dir_.File("random" + std::to_string(round) + ".qvp");
    qvtest::WriteFile(file, b);
    TQVData plan, mosaic;
    mosaic.ShowThumbs = true;
    try {
      ASSERT_TRUE(plan.OpenProject(file, mosaic));
    } catch (const EFormatError&) {
      ++refused;
      ::unlink(file.c_str());
      continue;
    }
    ++opened;
    for (int32_t n = 1; n <= mosaic.Count; ++n) {
      ASSERT_TRUE(plan.GoRecord(n));
      ASSERT_TRUE(mosaic.GoRecord(n));
    }
    mosaic.CompactSections();
    plan.SaveProject(file, mosaic, lib_);
    TQVData plan2, mosaic2;
    ASSERT_TRUE(plan2.OpenProject(file, mosaic2));
    EXPECT_EQ(mosaic2.Count, mosaic.Count);
    ::unlink(file.c_str());
  }
  EXPECT_GT(opened, 20);
  EXPECT_GT(refused, 20);
}

}  // namespace
