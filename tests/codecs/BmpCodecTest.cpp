// The 24-bit BMP writer, byte by byte.
#include <gtest/gtest.h>

#include "CodecTestUtil.h"
#include "base/ByteIO.h"
#include "base/Errors.h"
#include "codecs/BmpCodec.h"
#include "codecs/PictureLoader.h"
#include "support/TestFiles.h"

using namespace qv;

namespace {

const uint8_t* U(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST(BmpCodecTest, HeaderFollowsTheLayout) {
  auto h = MakeBmpHeader(1001, 3);
  const uint8_t* p = h.data();
  EXPECT_EQ(p[0], 'B');
  EXPECT_EQ(p[1], 'M');
  EXPECT_EQ(GetLE32(p + 2), 54u + 3004u * 3u);
  EXPECT_EQ(GetLE16(p + 6), 0);
  EXPECT_EQ(GetLE16(p + 8), 0);
  EXPECT_EQ(GetLE32(p + 10), 54u);
  EXPECT_EQ(GetLE32(p + 14), 40u);
  EXPECT_EQ(GetLE32s(p + 18), 1001);
  EXPECT_EQ(GetLE32s(p + 22), 3);
  EXPECT_EQ(GetLE16(p + 26), 1);
  EXPECT_EQ(GetLE16(p + 28), 24);
  for (int off = 30; off < 54; ++off) EXPECT_EQ(p[off], 0) << off;
  EXPECT_EQ(BmpRowSize(1001), 3004);
  EXPECT_EQ(BmpRowSize(4), 12);
  EXPECT_EQ(BmpRowSize(1), 4);
  EXPECT_THROW(MakeBmpHeader(70000, 70000), EOutputTooLarge);
}

TEST(BmpCodecTest, RowsAreStoredBottomUpWithZeroPadding) {
  Bitmap24 bmp = qvtest::MakeTestPicture(1001, 3);
  bmp.Row(1)[3003] = 0xAB;  // stray bytes in the bitmap's own padding are not written
  std::string bytes = EncodeBmp(bmp);
  ASSERT_EQ(bytes.size(), 54u + 3004u * 3u);
  for (int y = 0; y < 3; ++y) {
    size_t row = 54 + 3004 * size_t(2 - y);
    EXPECT_EQ(std::memcmp(U(bytes) + row, bmp.Row(y), 3003), 0) << y;
    EXPECT_EQ(U(bytes)[row + 3003], 0) << y;
  }
}

TEST(BmpCodecTest, SavedFileMatchesEncodingAndLoadsBack) {
  qvtest::TempDir dir;
  Bitmap24 bmp = qvtest::MakeTestPicture(37, 11);
  SaveBmpFile(dir.File("a.bmp"), bmp);
  EXPECT_EQ(qvtest::ReadBytes(dir.File("a.bmp")), EncodeBmp(bmp));
  EXPECT_TRUE(LoadPicture24(dir.File("a.bmp")) == bmp);
  EXPECT_THROW(SaveBmpFile(dir.File("missing/a.bmp"), bmp), EStreamError);
}

TEST(BmpCodecTest, EmptyPictureGivesHeaderOnly) { EXPECT_EQ(EncodeBmp(Bitmap24()).size(), 54u); }

}  // namespace
