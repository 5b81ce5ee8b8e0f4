#include "imaging/TiffWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/ByteIO.h"
#include "base/Errors.h"
#include "base/FileUtil.h"
#include "support/TestFiles.h"

namespace qv {
namespace {

Bitmap24 Pattern(int w, int h) {
  Bitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = b.Pixel(x, y);
      p[0] = uint8_t(x * 7 + y);  // blue
      p[1] = uint8_t(x + y * 13);
      p[2] = uint8_t(200 - x);  // red
    }
  return b;
}

struct Entry {
  uint16_t tag, type;
  uint32_t count, value;
};

}  // namespace

TEST(TiffWriter, LayoutMatchesTheTableByteForByte) {
  qvtest::TempDir dir;
  const int W = 5, H = 3;  // 3W = 15: no padding between rows
  std::string f = dir.File("a.tif");
  SaveBitmapAsTiff(f, Pattern(W, H), 300, 2);
  std::string s = ReadWholeFile(f);
  const uint8_t* d = reinterpret_cast<const uint8_t*>(s.data());
  ASSERT_EQ(int64_t(s.size()), 240 + 3 * W * H + 8 * H);
  EXPECT_EQ(std::string(s.data(), 4), std::string("II\x2a\0", 4));
  const uint32_t D = 32 + 3 * W * H;
  EXPECT_EQ(GetLE32(d + 4), D);
  EXPECT_EQ(std::string(s.data() + 8, 22), "Quivara Photomosaic v3");
  EXPECT_EQ(d[30], 0);  // the 23 counted bytes end in a NUL
  EXPECT_EQ(d[31], 0);
  // Pixels: red, green, blue, rows from the top, unpadded.
  Bitmap24 src = Pattern(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const uint8_t* p = d + 32 + 3 * (y * W + x);
      EXPECT_EQ(p[0], src.Pixel(x, y)[2]);
      EXPECT_EQ(p[1], src.Pixel(x, y)[1]);
      EXPECT_EQ(p[2], src.Pixel(x, y)[0]);
    }
  ASSERT_EQ(GetLE16(d + D), 15);
  const Entry expected[15] = {
      {256, 3, 1, W},       {257, 3, 1, H},       {258, 3, 3, D + 186}, {259, 3, 1, 1}, {262, 3, 1, 2},
      {273, 4, H, D + 208}, {274, 3, 1, 1},       {277, 3, 1, 3},       {278, 3, 1, 1}, {279, 4, H, D + 208 + 4 * H},
      {282, 5, 1, D + 192}, {283, 5, 1, D + 200}, {284, 3, 1, 1},       {296, 3, 1, 2}, {305, 2, 23, 8}};
  for (int i = 0; i < 15; ++i) {
    const uint8_t* e = d + D + 2 + 12 * i;
    EXPECT_EQ(GetLE16(e), expected[i].tag) << i;
    EXPECT_EQ(GetLE16(e + 2), expected[i].type) << i;
    EXPECT_EQ(GetLE32(e + 4), expected[i].count) << i;
    EXPECT_EQ(GetLE32(e + 8), expected[i].value) << i;
  }
  EXPECT_EQ(GetLE32(d + D + 182), 0u);
  EXPECT_EQ(GetLE16(d + D + 186), 8);
  EXPECT_EQ(GetLE16(d + D + 190), 8);
  EXPECT_EQ(GetLE32(d + D + 192), 300u);
  EXPECT_EQ(GetLE32(d + D + 196), 1u);
  EXPECT_EQ(GetLE32(d + D + 200), 300u);
  for (int i = 0; i < H; ++i) {
    EXPECT_EQ(GetLE32(d + D + 208 + 4 * i), uint32_t(32 + i * 3 * W));
    EXPECT_EQ(GetLE32(d + D + 208 + 4 * H + 4 * i), uint32_t(3 * W));
  }
}

TEST(TiffWriter, SizesAndLimits) {
  EXPECT_EQ(TiffFileSize(1000, 800), 2406640);
  qvtest::TempDir dir;
  std::string f = dir.File("big.tif");
  SaveBitmapAsTiff(f, Bitmap24(1000, 800), 150);
  EXPECT_EQ(FileSize(f), 2406640);
  std::string s = ReadWholeFile(f);
  EXPECT_EQ(GetLE32(reinterpret_cast<const uint8_t*>(s.data()) + 4), 2400032u);
  EXPECT_THROW(CheckTiffSize(65536, 10), EOutputTooLarge);
  EXPECT_THROW(CheckTiffSize(30000, 30000), EOutputTooLarge);  // 2.7 GB
  EXPECT_NO_THROW(CheckTiffSize(25000, 25000));                // just under 2 GiB
  EXPECT_NO_THROW(CheckTiffSize(65535, 1));
  // Refused before anything is written: an existing file stays as it was.
  std::string keep = dir.File("keep.tif");
  SaveBitmapAsTiff(keep, Bitmap24(2, 2), 72);
  int64_t before = FileSize(keep);
  EXPECT_THROW(SaveBitmapAsTiff(keep, Bitmap24(0, 0), 72), EOutputTooLarge);
  EXPECT_EQ(FileSize(keep), before);
}

// A one-row picture keeps its single strip offset and count inside the directory entries,
// where TIFF readers look for a value that fits in four bytes.
TEST(TiffWriter, OneRowPictureHasInlineStripValues) {
  qvtest::TempDir dir;
  std::string f = dir.File("row.tif");
  SaveBitmapAsTiff(f, Pattern(7, 1), 72);
  std::string s = ReadWholeFile(f);
  const uint8_t* d = reinterpret_cast<const uint8_t*>(s.data());
  const uint32_t D = 32 + 21;
  EXPECT_EQ(GetLE32(d + D + 2 + 12 * 5 + 8), 32u);  // StripOffsets
  EXPECT_EQ(GetLE32(d + D + 2 + 12 * 9 + 8), 21u);  // StripByteCounts
  EXPECT_EQ(int64_t(s.size()), 240 + 21 + 8);
}

TEST(TiffWriter, TiffinfoReadsItWithoutWarnings) {
  if (std::system("command -v tiffinfo >/dev/null 2>&1") != 0) GTEST_SKIP() << "tiffinfo not installed";
  qvtest::TempDir dir;
  std::string f = dir.File("check.tif");
  SaveBitmapAsTiff(f, Pattern(2, 2), 300);
  std::string out = dir.File("info.txt");
  ASSERT_EQ(std::system(("tiffinfo '" + f + "' >'" + out + "' 2>&1").c_str()), 0);
  std::string info = ReadWholeFile(out);
  EXPECT_EQ(info.find("Warning"), std::string::npos) << info;
  EXPECT_EQ(info.find("Error"), std::string::npos) << info;
  EXPECT_NE(info.find("Image Width: 2 Image Length: 2"), std::string::npos) << info;
  EXPECT_NE(info.find("Resolution: 300, 300 pixels/inch"), std::string::npos) << info;
  EXPECT_NE(info.find("Bits/Sample: 8"), std::string::npos) << info;
  EXPECT_NE(info.find("Rows/Strip: 1"), std::string::npos) << info;
  EXPECT_NE(info.find("RGB color"), std::string::npos) << info;
}

}  // namespace qv
