#include "imaging/RasterUtils.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/FileUtil.h"

namespace qv {

TEST(RasterUtils, ClampHelpers) {
  EXPECT_EQ(ClampByte(-5), 0);
  EXPECT_EQ(ClampByte(300), 255);
  EXPECT_EQ(ClampByte(17), 17);
  EXPECT_EQ(ClampInt(12, 0, 10), 10);
  EXPECT_EQ(ClampInt(-3, 0, 10), 0);
  EXPECT_EQ(ClampInt(4, 0, 10), 4);
}

TEST(RasterUtils, FitRectKeepAspectWorkedExamples) {
  EXPECT_EQ(FitRectKeepAspect({0, 0, 400, 300}, {10, 20, 210, 220}), (Rect{10, 45, 210, 195}));
  // Odd margin: Round(1.5) goes to the even 2.
  EXPECT_EQ(FitRectKeepAspect({0, 0, 100, 100}, {0, 0, 103, 100}), (Rect{2, 0, 102, 100}));
  // A box without width gives the source back; a source without area leaves the result.
  EXPECT_EQ(FitRectKeepAspect({1, 2, 30, 40}, {5, 5, 5, 50}), (Rect{1, 2, 30, 40}));
  Rect untouched{7, 7, 7, 7};
  FitRectKeepAspect({0, 0, 0, 10}, {0, 0, 100, 100}, untouched);
  EXPECT_EQ(untouched, (Rect{7, 7, 7, 7}));
}

TEST(RasterUtils, FitRectOrCenterOnlyCentresWhatFits) {
  Rect r;
  FitRectOrCenter(50, 40, 200, 100, r);
  EXPECT_EQ(r, (Rect{75, 30, 125, 70}));
  FitRectOrCenter(400, 100, 200, 100, r);  // too wide: scaled down to fit
  EXPECT_EQ(r, (Rect{0, 25, 200, 75}));
}

TEST(RasterUtils, FitImageInBoxKeepsCaptionAndFrameFree) {
  // A 300 x 200 group box offers (1, 10, 299, 199): 298 x 189 below the caption.
  EXPECT_EQ(GroupBoxImageArea({0, 0, 300, 200}), (Rect{1, 10, 299, 199}));
  Rect r;
  // 4:3 is wider than the area's 298:189, so it fills the height: 252 x 189, centred.
  FitImageInBoxBounds(400, 300, {0, 0, 300, 200}, r);
  EXPECT_EQ(r, (Rect{24, 10, 276, 199}));
  // A tall picture: 63 wide, margin Round(117.5) = 118 (ties go to the even neighbour).
  FitImageInBoxBounds(100, 300, {0, 0, 300, 200}, r);
  EXPECT_EQ(r, (Rect{119, 10, 182, 199}));
  // A flat picture fills the width: height Round(74.5) = 74, top margin Round(57.5) = 58.
  FitImageInBoxBounds(400, 100, {0, 0, 300, 200}, r);
  EXPECT_EQ(r, (Rect{1, 68, 299, 142}));
  // A picture without area leaves the bounds as they were.
  Rect kept{3, 4, 5, 6};
  FitImageInBoxBounds(0, 50, {0, 0, 300, 200}, kept);
  EXPECT_EQ(kept, (Rect{3, 4, 5, 6}));
}

TEST(RasterUtils, DifferenceImageIsGreyMeanOfChannelDifferences) {
  Bitmap24 a(2, 1), b(2, 1), out;
  a.Pixel(0, 0)[0] = 10;
  a.Pixel(0, 0)[1] = 20;
  a.Pixel(0, 0)[2] = 30;
  b.Pixel(0, 0)[0] = 13;
  b.Pixel(0, 0)[1] = 10;
  b.Pixel(0, 0)[2] = 32;  // |3| + |10| + |2| = 15 -> 5
  DifferenceImage(a, b, out);
  ASSERT_EQ(out.Width(), 2);
  EXPECT_EQ(out.Pixel(0, 0)[0], 5);
  EXPECT_EQ(out.Pixel(0, 0)[2], 5);
  EXPECT_EQ(out.Pixel(1, 0)[1], 0);
}

TEST(RasterUtils, FlipCodeNamesTheMirroring) {
  EXPECT_EQ(FlipCode(0, 0, 10, 10), "");
  EXPECT_EQ(FlipCode(10, 10, 0, 20), "H");
  EXPECT_EQ(FlipCode(0, 20, 10, 10), "V");
  EXPECT_EQ(FlipCode(10, 20, 0, 10), "180");
  std::string keep = "H";
  FlipCode(5, 0, 5, 10, keep);  // equal x: left as it was
  EXPECT_EQ(keep, "H");
}

TEST(RasterUtils, FormatByteSize) {
  EXPECT_EQ(FormatByteSize(0), "0.00 Bytes");
  EXPECT_EQ(FormatByteSize(1023), "1,023.00 Bytes");
  EXPECT_EQ(FormatByteSize(1024), "1.00 KB");
  EXPECT_EQ(FormatByteSize(3000000), "2.86 MB");
  EXPECT_EQ(FormatByteSize(2764800), "2.64 MB");
  EXPECT_EQ(FormatByteSize(5LL * 1024 * 1024 * 1024 * 1024), "5,120.00 GB");
  EXPECT_EQ(FormatByteSize(1234567LL * 1024 * 1024 * 1024), "1,234,567.00 GB");
}

TEST(RasterUtils, TempFilesAndFilterCodes) {
  std::string a = MakeTempFileName("qvdata"), b = MakeTempFileName("qv");
  EXPECT_NE(a, b);
  EXPECT_TRUE(FileExists(a));
  EXPECT_EQ(ExtractFileName(a).substr(0, 3), "qvd");
  EXPECT_EQ(ExtractFileName(b).substr(0, 2), "qv");
  std::filesystem::remove(a);
  std::filesystem::remove(b);
  for (int c = 0; c <= 5; ++c) EXPECT_EQ(ResampleFilterFromCode(c), c);
  EXPECT_EQ(ResampleFilterFromCode(6), 6);
  EXPECT_EQ(ResampleFilterFromCode(200), 6);
  EXPECT_EQ(ResampleFilterFromCode(-1), 6);
}

}  // namespace qv
