// The library reader against damaged files: every one raises the format error, none crashes
// or reads out of bounds, and the instance keeps the table it had. These tests also run in
// the AddressSanitizer build (engine_reader_asan_tests).
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

class LibraryReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Three tiles on a 3 x 2 grid with a block of horizontal copies: small, and every kind
    // of record and header field is present.
    qvtest::WriteSyntheticLibrary(original_, 3, 3, 2);
    TQVData t;
    ASSERT_TRUE(t.Open(original_));
    ASSERT_TRUE(t.AddFlippedCopies(qv::kFlipHorizontal));
    t.Save();
    bytes_ = qvtest::FileBytes(original_);
    ASSERT_TRUE(open_.Open(original_));
    open_.ShowThumbs = true;
  }

  // Writes bytes as a file and expects Open to refuse it without touching the open table.
  void ExpectRejected(const std::string& bytes, const std::string& why) {
    // A new file each time: rewriting one file in place makes the file system flush it.
    const std::string file = dir_.File("damaged" + std::to_string(++files_) + ".qv2");
    qvtest::WriteFile(file, bytes);
    TableSnapshot before(open_);
    EXPECT_THROW(open_.Open(file), EFormatError) << why;
    EXPECT_TRUE(TableSnapshot(open_) == before) << why;
    ::unlink(file.c_str());
  }

  std::string Patched32(size_t at, uint32_t v) const {
    std::string b = bytes_;
    qv::PutLE32(reinterpret_cast<uint8_t*>(b.data()) + at, v);
    return b;
  }

  int32_t HeaderI32(size_t at) const { return qv::GetLE32s(reinterpret_cast<const uint8_t*>(bytes_.data()) + at); }

  qvtest::TempDir dir_;
  std::string original_ = dir_.File("small.qv2");
  std::string damaged_ = dir_.File("damaged.qv2");
  std::string bytes_;
  int files_ = 0;
  TQVData open_;
};

TEST_F(LibraryReaderTest, WrongMagicGivesTheFormatMessage) {
  std::string b = bytes_;
  b[3] = 'X';
  qvtest::WriteFile(damaged_, b);
  try {
    open_.Open(damaged_);
    FAIL() << "no error";
  } catch (const EFormatError& e) {
    EXPECT_STREQ(e.what(), "Wrong file format. Not quivara base");
  }
  qvtest::WriteFile(damaged_, "");
  EXPECT_THROW(open_.Open(damaged_), EFormatError);
  EXPECT_EQ(open_.BaseName(), original_);
}

TEST_F(LibraryReaderTest, DamagedFilesSayWhatIsWrong) {
  qvtest::WriteFile(damaged_, Patched32(63, 17));
  try {
    open_.Open(damaged_);
    FAIL() << "no error";
  } catch (const EFormatError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Damaged file: " + damaged_, 0), 0u) << e.what();
  }
}

TEST_F(LibraryReaderTest, InconsistentHeadersAreRefused) {
  const int32_t text = HeaderI32(67), data = HeaderI32(71), thumb = HeaderI32(75);
  std::string b;
  b = bytes_;
  b[59] = 0;
  b[60] = 0;
  ExpectRejected(b, "grid width 0");
  ExpectRejected(Patched32(63, 3 * 2 * 3 + 1), "SigSize not GridW x GridH x 3");
  ExpectRejected(Patched32(8, 7), "Count not a multiple of the blocks");
  ExpectRejected(Patched32(8, 0x7FFFFFFF), "huge Count");
  ExpectRejected(Patched32(8, 0xFFFFFFFF), "negative Count");
  ExpectRejected(Patched32(15, 2), "UnflippedCount that does not match Count");
  b = bytes_;
  b[20] = 0;
  b[21] = 1;
  ExpectRejected(b, "flip block 2 without block 1");
  b = bytes_;
  b[21] = 1;
  ExpectRejected(b, "the same flip kind twice");
  b = bytes_;
  b[20] = 7;
  ExpectRejected(b, "unknown flip kind");
  ExpectRejected(Patched32(67, 10), "text section starting inside the header");
  ExpectRejected(Patched32(71, uint32_t(text - 1)), "data before text");
  ExpectRejected(Patched32(75, uint32_t(bytes_.size() + 1)), "thumbnails beyond the end");
  ExpectRejected(Patched32(75, uint32_t(thumb + 1)), "data section one byte longer than its records");
  ExpectRejected(Patched32(71, uint32_t(data + 1)), "data section one byte shorter");
  b = bytes_;
  b[size_t(text)] = 'X';
  ExpectRejected(b, "text tag");
  b = bytes_;
  b[size_t(data) + 1] = 'X';
  ExpectRejected(b, "data tag");
  b = bytes_;
  b[size_t(thumb) + 3] = 'X';
  ExpectRejected(b, "thumbnail tag");
}

TEST_F(LibraryReaderTest, RecordOffsetsAreChecked) {
  const int32_t text = HeaderI32(67), data = HeaderI32(71), thumb = HeaderI32(75);
  const size_t slot1 = size_t(data) + 4;  // record 1's slot in the file
  const int32_t textSize = data - text;
  ExpectRejected(Patched32(slot1 + 1, uint32_t(textSize)), "text offset at the end of the text section");
  ExpectRejected(Patched32(slot1 + 1, 2), "text offset inside the tag");
  ExpectRejected(Patched32(slot1 + 1, 0x80000000u), "negative text offset");
  // record 1's TileInfo is the first one, right after the ".txt" tag
  const size_t info1 = size_t(text) + 4;
  std::string b = bytes_;
  qv::PutLE16(reinterpret_cast<uint8_t*>(b.data()) + info1, 0xFFFF);
  ExpectRejected(b, "name running past the text section");
  ExpectRejected(Patched32(info1 + 2, uint32_t(thumb - data)), "slot field outside the data section");
  ExpectRejected(Patched32(info1 + 6, uint32_t(bytes_.size() - size_t(thumb))), "thumbnail offset at the end");
  ExpectRejected(Patched32(info1 + 6, 1), "thumbnail offset inside the tag");
  ExpectRejected(Patched32(size_t(thumb) + 4, 0x7FFFFFF0u), "thumbnail length past the end");
  ExpectRejected(Patched32(size_t(thumb) + 4, 0xFFFFFFFFu), "negative thumbnail length");
}

TEST_F(LibraryReaderTest, UnflippedCountBelowOneMeansCount) {
  TQVData t;
  qvtest::WriteSyntheticLibrary(damaged_, 4);
  std::string b = qvtest::FileBytes(damaged_);
  qv::PutLE32(reinterpret_cast<uint8_t*>(b.data()) + 15, 0);
  qvtest::WriteFile(damaged_, b);
  ASSERT_TRUE(t.Open(damaged_));
  EXPECT_EQ(t.UnflippedCount, 4);
  EXPECT_EQ(t.Count, 4);
}

TEST_F(LibraryReaderTest, EveryTruncationIsRefused) {
  for (size_t len = 0; len < bytes_.size(); ++len) {
    SCOPED_TRACE("length " + std::to_string(len));
    ExpectRejected(bytes_.substr(0, len), "truncated");
  }
}

// Random damage: a file that still opens must be fully usable; one that does not must be
// refused with the format error. Nothing else may happen.
TEST_F(LibraryReaderTest, RandomByteDamageNeverCrashes) {
  std::mt19937 rng(20240611);
  int opened = 0, refused = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string b = bytes_;
    int flips = 1 + int(rng() % 3);
    for (int k = 0; k < flips; ++k) {
      size_t at = (rng() % 3 == 0) ? rng() % qv::kLibraryHeaderSize : rng() % b.size();
      b[at] = char(uint8_t(b[at]) ^ uint8_t(1 + rng() % 255));
    }
    const std::string file = dir_.File("random" + std::to_string(round) + ".qv2");
    qvtest::WriteFile(file, b);
    TQVData t;
    t.ShowThumbs = true;
    try {
      ASSERT_TRUE(t.Open(file));
    } catch (const EFormatError&) {
      ++refused;
      ::unlink(file.c_str());
      continue;
    }
    ++opened;
    for (int32_t n = 1; n <= t.Count; ++n) {
      ASSERT_TRUE(t.GoRecord(n));
      t.RecordThumbJpeg(n);
      t.RecordInfo(n);
    }
    // What opened can be written and read again.
    std::string image;
    t.WriteLibraryImage([&](const void* p, size_t n) { image.append(static_cast<const char*>(p), n); });
    qvtest::WriteFile(file, image);
    TQVData again;
    ASSERT_TRUE(again.Open(file));
    EXPECT_EQ(again.Count, t.Count);
    ::unlink(file.c_str());
  }
  // Both outcomes occur: damage inside names and pictures is harmless, elsewhere it is not.
  EXPECT_GT(opened, 100);
  EXPECT_GT(refused, 100);
}

}  // namespace
