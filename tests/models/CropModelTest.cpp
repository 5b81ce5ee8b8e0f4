#include "models/CropModel.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

// A 1000 x 500 picture in a 400 x 300 panel: shown 400 x 200 at top 50 (2.5 picture pixels
// per panel pixel).
TCropModel WidePicture() {
  TCropModel m;
  m.SetPanelSize(400, 300);
  m.SetPictureSize(1000, 500);
  return m;
}

// A 400 x 400 picture in a 400 x 400 panel: panel and picture pixels agree.
TCropModel SquareOneToOne(const Rect& crop, TScaleStyle style = TScaleStyle::ssNoScale) {
  TCropModel m;
  m.ScaleStyle = style;
  m.SetPanelSize(400, 400);
  m.SetPictureSize(400, 400);
  m.SetCropRect(crop);
  return m;
}

Rect Drag(TCropModel& m, Point from, Point to) {
  m.BeginDrag(m.HitTest(from), from);
  m.DragTo(to);
  m.EndDrag();
  return m.Frame();
}

TEST(CropModelLayout, FitsPictureAndPlacesFrameOverItsPixels) {
  TCropModel m = WidePicture();
  EXPECT_EQ(m.Control(), (Rect{0, 50, 400, 250}));
  m.SetCropRect({100, 50, 601, 451});
  EXPECT_EQ(m.PictureCropRect(), (Rect{100, 50, 601, 451}));  // kept exactly
  // Sides: round(100 / 1000 x 400) = 40, round(50 / 500 x 200 + 50) = 70, round(240.4) = 240,
  // round(180.4 + 50) = 230.
  EXPECT_EQ(m.Frame(), (Rect{40, 70, 240, 230}));

  // A relatively wider panel centres the picture horizontally: 200 wide, (300 - 200) div 2 = 50.
  m.SetPanelSize(300, 100);
  EXPECT_EQ(m.Control(), (Rect{50, 0, 250, 100}));
  EXPECT_EQ(m.Frame(), (Rect{70, 10, 170, 90}));  // the same picture pixels after the relayout
  EXPECT_EQ(m.PictureCropRect(), (Rect{100, 50, 601, 451}));

  m.PictureStretch = true;
  m.Layout();
  EXPECT_EQ(m.Control(), (Rect{0, 0, 300, 100}));
}

TEST(CropModelLayout, NewPictureKeepsAFittingCropAndClampsOthers) {
  TCropModel m = WidePicture();
  m.SetCropRect({10, 10, 60, 60});
  m.SetPictureSize(100, 100);
  EXPECT_EQ(m.PictureCropRect(), (Rect{10, 10, 60, 60}));
  m.SetPictureSize(40, 30);
  EXPECT_EQ(m.PictureCropRect(), (Rect{10, 10, 40, 30}));
  TCropModel fresh;
  fresh.SetPanelSize(200, 200);
  fresh.SetPictureSize(1, 1);  // a 1-pixel picture
  EXPECT_EQ(fresh.PictureCropRect(), (Rect{0, 0, 1, 1}));
  EXPECT_EQ(fresh.Control(), (Rect{0, 0, 200, 200}));
}

TEST(CropModelMouse, HitZonesAreFourPixelsInsideTheFrame) {
  TCropModel m = SquareOneToOne({100, 100, 200, 150});
  EXPECT_EQ(m.HitTest({99, 120}), dkNone);
  EXPECT_EQ(m.HitTest({100, 100}), dkTopLeft);
  EXPECT_EQ(m.HitTest({199, 103}), dkTopRight);
  EXPECT_EQ(m.HitTest({103, 149}), dkBottomLeft);
  EXPECT_EQ(m.HitTest({197, 147}), dkBottomRight);
  EXPECT_EQ(m.HitTest({150, 103}), dkTop);
  EXPECT_EQ(m.HitTest({150, 104}), dkMove);
  EXPECT_EQ(m.HitTest({103, 120}), dkLeft);
  EXPECT_EQ(m.HitTest({196, 120}), dkMove);  // w - 4 < x: 196 is not yet on the right edge
  EXPECT_EQ(m.HitTest({197, 120}), dkRight);
  EXPECT_EQ(m.HitTest({150, 147}), dkBottom);
  EXPECT_EQ(m.HitTest({200, 120}), dkNone);
}

TEST(CropModelMouse, MoveKeepsSizeAndStaysOnThePicture) {
  TCropModel m = SquareOneToOne({100, 100, 200, 150});
  EXPECT_EQ(Drag(m, {150, 120}, {170, 90}), (Rect{120, 70, 220, 120}));
  EXPECT_EQ(m.PictureCropRect(), (Rect{120, 70, 220, 120}));
  EXPECT_EQ(Drag(m, {150, 100}, {900, -500}), (Rect{300, 0, 400, 50}));
}

TEST(CropModelMouse, FullScaleKeepsTheRatio) {
  TCropModel m = SquareOneToOne({0, 0, 300, 200}, TScaleStyle::ssFullScale);
  m.ScaleW = 300;
  m.ScaleH = 200;
  // The bottom-right corner 30 pixels to the right: 30 wider, 20 higher.
  EXPECT_EQ(Drag(m, {298, 198}, {328, 198}), (Rect{0, 0, 330, 220}));
  // The top edge drives the height; the width follows to the right of the fixed left side,
  // limited by the picture; the height is then taken from the limited width.
  m.SetCropRect({100, 200, 250, 300});
  EXPECT_EQ(Drag(m, {150, 201}, {150, 0}), (Rect{100, 100, 400, 300}));
  // The left edge keeps the right side fixed.
  m.SetCropRect({100, 100, 250, 200});
  EXPECT_EQ(Drag(m, {101, 150}, {71, 150}), (Rect{70, 100, 250, 220}));
}

TEST(CropModelMouse, CornerScaleKeepsProportionsOnlyAtCorners) {
  TCropModel m = SquareOneToOne({100, 100, 200, 150}, TScaleStyle::ssCornerScale);
  EXPECT_EQ(Drag(m, {150, 148}, {150, 178}), (Rect{100, 100, 200, 180}));  // bottom edge: height only
  m.SetCropRect({100, 100, 200, 150});
  // Bottom-right: the horizontal movement decides, the height follows (2 : 1).
  EXPECT_EQ(Drag(m, {198, 148}, {238, 100}), (Rect{100, 100, 240, 170}));
  m.SetCropRect({100, 100, 200, 150});
  // Top-left: the vertical movement decides, the bottom-right corner stays put.
  EXPECT_EQ(Drag(m, {101, 101}, {150, 76}), (Rect{50, 75, 200, 150}));
}

TEST(CropModelMouse, ResizingStopsAtEightPixelsAndAtThePictureEdge) {
  TCropModel m = SquareOneToOne({100, 100, 108, 150});
  EXPECT_EQ(Drag(m, {107, 120}, {50, 120}), (Rect{100, 100, 108, 150}));  // 8 wide: no narrower
  m.SetCropRect({100, 100, 200, 150});
  EXPECT_EQ(Drag(m, {199, 120}, {50, 120}), (Rect{100, 100, 108, 150}));
  EXPECT_EQ(m.PictureCropRect(), (Rect{100, 100, 108, 150}));
  EXPECT_EQ(Drag(m, {104, 149}, {104, 900}), (Rect{100, 100, 108, 400}));  // bottom stops at the edge
  EXPECT_FALSE([&] {
    m.BeginDrag(dkMove, {104, 120});
    return m.EndDrag();  // no change: no new crop rectangle
  }());
}

TEST(CropModelMouse, DragOnAReducedPictureGivesPicturePixels) {
  TCropModel m = WidePicture();  // 2.5 picture pixels per panel pixel, top 50
  m.SetCropRect({0, 0, 500, 500});
  ASSERT_EQ(m.Frame(), (Rect{0, 50, 200, 250}));
  Drag(m, {100, 150}, {121, 150});
  // Left = round(1000 x 21 / 400) = round(52.5) = 52; Right = Left + round(1000 x 200 / 400).
  EXPECT_EQ(m.PictureCropRect(), (Rect{52, 0, 552, 500}));
}

TEST(CropModelKeys, MovesResizesAndJumps) {
  TCropModel m = SquareOneToOne({30, 0, 80, 50});
  EXPECT_TRUE(m.Key(TCropKey::Right, false, false));
  EXPECT_EQ(m.PictureCropRect(), (Rect{31, 0, 81, 50}));
  EXPECT_FALSE(m.Key(TCropKey::Up, false, false));  // would leave the picture
  m.SetCropRect({30, 0, 80, 50});
  EXPECT_FALSE(m.Key(TCropKey::Left, true, true));  // 30 < 50: no jump
  m.SetCropRect({60, 0, 110, 50});
  EXPECT_TRUE(m.Key(TCropKey::Left, true, true));
  EXPECT_EQ(m.PictureCropRect(), (Rect{10, 0, 60, 50}));
  EXPECT_TRUE(m.Key(TCropKey::Down, true, true));
  EXPECT_EQ(m.PictureCropRect(), (Rect{10, 50, 60, 100}));

  // Ctrl+Right with 4 pixels left moves by exactly 4, then nothing.
  m.SetCropRect({296, 0, 396, 50});
  EXPECT_TRUE(m.Key(TCropKey::Right, true, false));
  EXPECT_EQ(m.PictureCropRect(), (Rect{300, 0, 400, 50}));
  EXPECT_FALSE(m.Key(TCropKey::Right, true, false));
  m.SetCropRect({100, 100, 150, 150});
  EXPECT_TRUE(m.Key(TCropKey::Left, true, false));
  EXPECT_EQ(m.PictureCropRect(), (Rect{90, 100, 140, 150}));

  // Shift+Left narrows down to 2 pixels and no further.
  m.SetCropRect({100, 100, 104, 150});
  EXPECT_TRUE(m.Key(TCropKey::Left, false, true));
  EXPECT_TRUE(m.Key(TCropKey::Left, false, true));
  EXPECT_FALSE(m.Key(TCropKey::Left, false, true));
  EXPECT_EQ(m.PictureCropRect(), (Rect{100, 100, 102, 150}));
  EXPECT_TRUE(m.Key(TCropKey::Down, false, true));
  EXPECT_EQ(m.PictureCropRect(), (Rect{100, 100, 102, 151}));
  // The frame's panel rectangle follows every key.
  EXPECT_EQ(m.Frame(), (Rect{100, 100, 102, 151}));
}

TEST(CropModelKeys, FullScaleResizeKeepsTheRatioOrRefuses) {
  TCropModel m = SquareOneToOne({0, 0, 300, 200}, TScaleStyle::ssFullScale);
  m.ScaleW = 3;
  m.ScaleH = 2;
  EXPECT_TRUE(m.Key(TCropKey::Right, false, true));
  EXPECT_EQ(m.PictureCropRect(), (Rect{0, 0, 301, 201}));  // round(301 x 2 / 3) = 201
  EXPECT_TRUE(m.Key(TCropKey::Down, false, true));
  EXPECT_EQ(m.PictureCropRect(), (Rect{0, 0, 303, 202}));
  m.SetCropRect({0, 0, 399, 266});
  EXPECT_TRUE(m.Key(TCropKey::Right, false, true));  // 400 x 267 fits, ...
  m.SetCropRect({0, 0, 400, 266});
  EXPECT_FALSE(m.Key(TCropKey::Right, false, true));  // ... 401 does not
  TCropModel empty;
  EXPECT_FALSE(empty.Key(TCropKey::Right, false, false));
}

TEST(CropModelCutOut, SizesOfTheFourCases) {
  TCropModel m = WidePicture();
  m.SetCropRect({100, 50, 601, 451});  // frame 200 x 160 panel pixels
  TCutOut c = m.CutOut(1, 1, true);
  EXPECT_FALSE(c.Scaled);
  EXPECT_EQ(c.Width, 501);  // the crop rectangle exactly, at picture resolution
  EXPECT_EQ(c.Height, 401);
  EXPECT_EQ(c.Source, (Rect{100, 50, 601, 451}));
  c = m.CutOut(1, 1, false);
  EXPECT_EQ(c.Width, 400);
  EXPECT_EQ(c.Height, 200);
  m.PictureStretch = true;
  m.Layout();
  c = m.CutOut(0.5, 2, true);
  EXPECT_TRUE(c.Scaled);
  EXPECT_EQ(c.Width, 2 * m.Frame().Width());
  EXPECT_EQ(c.Height, m.Frame().Height() / 2);
  c = m.CutOut(1, 1, false);
  EXPECT_EQ(c.Width, 400);
  EXPECT_EQ(c.Height, 300);
  EXPECT_EQ(c.Source, (Rect{0, 0, 1000, 500}));
  EXPECT_EQ(TCropModel().CutOut(1, 1, true).Width, 0);
}

}  // namespace
}  // namespace qv
