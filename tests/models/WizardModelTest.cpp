// The wizard's rules without a window: the drawing of the kept part of a tile, the proposed
// project name, the writer a file name selects and the name the mosaic field takes.
#include "models/WizardModel.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using qv::Rect;
using qv::TTileShape;

const Rect kOuter{10, 20, 90, 100};  // an 80 x 80 picture

TEST(WizardModel, KeptPartFollowsProportionMarginAndAnchor) {
  // Square, no margin: the whole picture.
  EXPECT_EQ(qv::WizardKeptPart(kOuter, TTileShape::Square, 0, 0, 0, 1, 1, false), kOuter);
  // Portrait keeps 3/4 of the width: 60 x 80, at the left, centre or right.
  EXPECT_EQ(qv::WizardKeptPart(kOuter, TTileShape::Portrait, 0, 0, 0, 0, 1, false), (Rect{10, 20, 70, 100}));
  EXPECT_EQ(qv::WizardKeptPart(kOuter, TTileShape::Portrait, 0, 0, 0, 1, 1, false), (Rect{20, 20, 80, 100}));
  EXPECT_EQ(qv::WizardKeptPart(kOuter, TTileShape::Portrait, 0, 0, 0, 2, 0, false), (Rect{30, 20, 90, 100}));
  // Landscape 80 x 60 less a 10 % margin: 72 x 54, at the bottom right.
  EXPECT_EQ(qv::WizardKeptPart(kOuter, TTileShape::Landscape, 0, 0, 10, 2, 2, false), (Rect{18, 46, 90, 100}));
  // Custom: the longer side spans the picture, the other is scaled.
  EXPECT_EQ(qv::WizardKeptPart(kOuter, TTileShape::Custom, 2, 1, 0, 1, 0, false), (Rect{10, 20, 90, 60}));
  EXPECT_EQ(qv::WizardKeptPart(kOuter, TTileShape::Custom, 1, 4, 0, 0, 0, false), (Rect{10, 20, 30, 100}));
  // Stretch ignores proportion and anchor: the margin only, centred.
  EXPECT_EQ(qv::WizardKeptPart(kOuter, TTileShape::Portrait, 0, 0, 50, 0, 0, true), (Rect{30, 40, 70, 80}));
}

TEST(WizardModel, ProjectNameWritersAndMosaicNames) {
  EXPECT_EQ(qv::WizardProjectName("/pictures/beach.jpg", "/libraries/holiday.qv2", 30, 30), "beach-holiday30x30.qvp");
  EXPECT_EQ(qv::WizardProjectName("beach", "", 4, 3), "beach-4x3.qvp");

  using W = qv::TWizardWriter;
  EXPECT_EQ(qv::WizardWriterFor("/a/m.JPG", true), W::Poster);
  EXPECT_EQ(qv::WizardWriterFor("/a/m.bmp", false), W::Poster);
  EXPECT_EQ(qv::WizardWriterFor("/a/m.Bmp", true), W::DiskBmp);
  EXPECT_EQ(qv::WizardWriterFor("/a/m.tif", false), W::Poster);
  EXPECT_EQ(qv::WizardWriterFor("/a/m.TIF", true), W::DiskTiff);
  EXPECT_EQ(qv::WizardWriterFor("/a/m.png", true), W::None);
  EXPECT_EQ(qv::WizardWriterFor("/a.jpg/m", false), W::None);

  // A name without one of the three extensions gets the chosen type's; one with it stays.
  EXPECT_EQ(qv::WizardMosaicFileName("/a/m", "BMP files (*.bmp)"), "/a/m.bmp");
  EXPECT_EQ(qv::WizardMosaicFileName("/a/m.png", "Tiff files (*.tif)"), "/a/m.png.tif");
  EXPECT_EQ(qv::WizardMosaicFileName("/a/m.JPG", "Tiff files (*.tif)"), "/a/m.JPG");
  EXPECT_EQ(qv::WizardMosaicFileName("/a/m", ""), "/a/m.jpg");
}

TEST(WizardModel, OutputSizeInSixtyFourBits) {
  // 999999 columns of 999999 pixels: far beyond 32 bits, and refused.
  const qv::TWizardOutputSize s = qv::WizardOutputSize(999999, 999999, 999999, 4, 3);
  EXPECT_EQ(s.Width, int64_t(999999) * 999999);
  EXPECT_EQ(s.Bytes, INT64_MAX);  // more than 64 bits of bytes: held, not wrapped
  EXPECT_FALSE(s.Writable());
  EXPECT_TRUE(qv::WizardOutputSize(1, 1, 1000000, 1, 1).Writable());
  EXPECT_EQ(qv::WizardReadouts(qv::WizardOutputSize(40, 30, 32, 4, 3), 0).Inch, "-- inch");
}

}  // namespace
