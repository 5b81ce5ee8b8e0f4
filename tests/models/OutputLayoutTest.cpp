#include "models/OutputLayout.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

// 40 x 30 cells of 50 x 50 tiles, as the window opens them without a stored width.
struct OutputLayoutTest : ::testing::Test {
  TOutputGrid grid{40, 30, 50, 50};
  TOutputSettings s;
  void SetUp() override { DefaultOutputSize(s, grid); }
};

TEST_F(OutputLayoutTest, OpensAtTheGridsNaturalSizeWithItsFigures) {
  EXPECT_EQ(s.OutputWidth, 2000);
  EXPECT_EQ(s.OutputHeight, 1500);
  const TOutputFigures f = OutputFigures(s, grid);
  EXPECT_EQ(f.TileSize, "50 x 50 pixels");
  EXPECT_EQ(f.OutputSize, "2000 x 1500 pixels");
  EXPECT_EQ(f.FileSize, "File size: 8.58 MB");
  EXPECT_EQ(f.OutputInch, "13.33 x 10.00 inch");
  EXPECT_EQ(f.OutputCm, "33.87 x 25.40 cm");
  EXPECT_EQ(f.TileInch, "0.33 x 0.33 inch");
  EXPECT_EQ(f.TileCm, "0.85 x 0.85 cm");
}

TEST_F(OutputLayoutTest, WidthAndHeightKeepTheGridsProportions) {
  ASSERT_TRUE(SetWidthEntry(s, grid, 3000));
  EXPECT_EQ(s.OutputHeight, 2250);
  ASSERT_TRUE(SetHeightEntry(s, grid, 1000));
  EXPECT_EQ(s.OutputWidth, 1333);  // 2000 x 1000 / 1500, rounded
  // Proportions of 0 make both handlers do nothing.
  EXPECT_FALSE(SetWidthEntry(s, TOutputGrid{40, 30, 0, 50}, 500));
  EXPECT_FALSE(SetHeightEntry(s, TOutputGrid{40, 0, 50, 50}, 500));
  EXPECT_EQ(s.OutputWidth, 1333);
}

TEST_F(OutputLayoutTest, CentimetresAndInchesConvertAtTheResolution) {
  s.Units = kUnitsCm;
  ASSERT_TRUE(SetWidthEntry(s, grid, 10));
  EXPECT_EQ(s.OutputWidth, 591);  // Round(10 x 150 x 0.3937)
  EXPECT_EQ(EntryText(s, 591), "10.0076");
  s.Units = kUnitsInches;
  s.Resolution = 300;
  ASSERT_TRUE(SetHeightEntry(s, grid, 2.5));
  EXPECT_EQ(s.OutputHeight, 750);
  EXPECT_EQ(s.OutputWidth, 1000);
  EXPECT_EQ(EntryText(s, 750), "2.5000");
  s.Units = kUnitsPixels;
  EXPECT_EQ(EntryText(s, 750), "750");
  EXPECT_STREQ(UnitCaption(kUnitsCm), "cm");
  EXPECT_STREQ(UnitCaption(kUnitsInches), "In");
  EXPECT_STREQ(UnitCaption(kUnitsPixels), "Pix");
}

TEST_F(OutputLayoutTest, BordersCountOnlyWhileAddBordersIsOn) {
  s.BorderLeft = s.BorderTop = s.BorderRight = s.BorderBottom = 20;
  EXPECT_EQ(OutputFigures(s, grid).OutputSize, "2000 x 1500 pixels");
  EXPECT_EQ(LayoutPreview(s, grid, 282).Target.Left, 0);
  EXPECT_EQ(MakeRenderSettings(s, {}).BorderLeft, 0);
  EXPECT_EQ(EntryText(s, s.BorderLeft), "20");  // the entries still show them
  s.Borders = true;
  EXPECT_EQ(OutputFigures(s, grid).OutputSize, "2040 x 1540 pixels");
  EXPECT_EQ(MakeRenderSettings(s, {}).PictureWidth(), 2040);
}

TEST_F(OutputLayoutTest, ResolutionZeroShowsPixelsButNoPhysicalSizes) {
  s.Resolution = 0;
  const TOutputFigures f = OutputFigures(s, grid);
  EXPECT_EQ(f.OutputSize, "2000 x 1500 pixels");
  EXPECT_EQ(f.FileSize, "File size: 8.58 MB");
  EXPECT_EQ(f.OutputInch, "0.00 x 0.00 inch");
  EXPECT_EQ(f.OutputCm, "0.00 x 0.00 cm");
  EXPECT_EQ(f.TileCm, "0.00 x 0.00 cm");
  // In inches at 0 dpi every entry would be 0 pixels: refused, the size stays.
  s.Units = kUnitsInches;
  EXPECT_FALSE(SetWidthEntry(s, grid, 10));
  EXPECT_EQ(s.OutputWidth, 2000);
}

TEST_F(OutputLayoutTest, BadEntriesAreRefusedAndChangeNothing) {
  for (const char* text : {"", "abc", "12a", "0x20", "1e3", "inf", "nan", " "})
    EXPECT_FALSE(ParseEntry(text).has_value()) << text;
  EXPECT_EQ(*ParseEntry(" 12,5 "), 12.5);
  EXPECT_EQ(*ParseEntry("-3"), -3.0);
  for (double v : {0.0, -5.0, 1e9, 1e300}) EXPECT_FALSE(SetWidthEntry(s, grid, v)) << v;
  EXPECT_FALSE(SetHeightEntry(s, grid, 0));
  EXPECT_FALSE(SetBorderEntry(s, kBorderLeft, -1));
  EXPECT_FALSE(SetBorderEntry(s, kBorderTop, 2e6));
  EXPECT_FALSE(SetResolutionEntry(s, -1));
  EXPECT_FALSE(SetResolutionEntry(s, 70000));
  EXPECT_EQ(s.OutputWidth, 2000);
  EXPECT_EQ(s.OutputHeight, 1500);
  EXPECT_EQ(s.BorderLeft, 0);
  EXPECT_EQ(s.Resolution, 150);
  // A width whose height would be beyond the limit is refused as a whole.
  TOutputGrid tall{1, 1000, 10, 10};
  EXPECT_FALSE(SetWidthEntry(s, tall, 5000));
  // A very flat grid keeps a height of at least one pixel.
  TOutputGrid flat{1000, 1, 10, 1};
  ASSERT_TRUE(SetWidthEntry(s, flat, 100));
  EXPECT_EQ(s.OutputHeight, 1);
  // Borders larger than the mosaic are allowed.
  ASSERT_TRUE(SetBorderEntry(s, kBorderRight, 5000));
  s.Borders = true;
  EXPECT_EQ(TotalWidth(s), 5100);
}

TEST_F(OutputLayoutTest, PreviewPlacesTheMosaicAndTheGridInsideTheBorders) {
  s.Borders = true;
  s.BorderLeft = 100;
  s.BorderRight = 100;
  s.BorderTop = 50;
  s.BorderBottom = 250;
  s.Grid = true;
  const TLayoutPreview p = LayoutPreview(s, TOutputGrid{4, 3, 50, 50}, 282);
  EXPECT_EQ(p.Width, 423);
  EXPECT_DOUBLE_EQ(p.Scale, 423.0 / 2200);
  EXPECT_EQ(p.Height, 346);  // Round(423 / 2200 x 1800)
  EXPECT_EQ(p.Target, (Rect{19, 10, 404, 298}));
  ASSERT_EQ(p.GridLines.size(), 5u + 4u);
  EXPECT_EQ(p.GridLines[0].X0, 19);
  EXPECT_EQ(p.GridLines[1].X0, 115);  // Round(s x (500 + 100))
  EXPECT_EQ(p.GridLines[4].X0, 404);
  EXPECT_EQ(p.GridLines[5].Y0, 10);
  EXPECT_EQ(p.GridLines[8].Y0, 298);
  // Without borders the last lines would fall just outside the picture; they take its edge.
  s.Borders = false;
  const TLayoutPreview q = LayoutPreview(s, TOutputGrid{4, 3, 50, 50}, 282);
  EXPECT_EQ(q.GridLines[4].X0, q.Width - 1);
  EXPECT_EQ(q.GridLines.back().Y0, q.Height - 1);
}

TEST(OutputPreviewPass, GeometryDefaultsAndThumbRule) {
  const TPreviewPass p = PreviewPassGeometry(TOutputGrid{40, 30, 4, 3}, 282);
  EXPECT_EQ(p.Width, 423);
  EXPECT_EQ(p.Height, 238);  // Round(423 / 160 x 90)
  EXPECT_EQ(p.CellRect(0, 0), (Rect{0, 0, 11, 8}));
  EXPECT_EQ(p.CellRect(39, 29).Right, 423);
  EXPECT_EQ(p.CellRect(39, 29).Bottom, 238);
  EXPECT_FALSE(PreviewUsesThumbs(p, 6));  // 12 > 10.575
  EXPECT_TRUE(PreviewUsesThumbs(PreviewPassGeometry(TOutputGrid{3, 2, 4, 3}, 282), 6));

  // OutputWidth 0 with 40 columns at 4 x 3 opens with 160 x 90.
  TOutputSettings s;
  DefaultOutputSize(s, TOutputGrid{40, 30, 4, 3});
  EXPECT_EQ(s.OutputWidth, 160);
  EXPECT_EQ(s.OutputHeight, 90);
  // A stored width and height follow the proportions of a new grid.
  DefaultOutputSize(s, TOutputGrid{10, 10, 4, 3});
  EXPECT_EQ(s.OutputWidth, 160);
  EXPECT_EQ(s.OutputHeight, 120);
}

TEST(OutputRun, RenderSettingsAndResampleWarning) {
  TOutputSettings s;
  s.OutputWidth = 1000;
  s.OutputHeight = 800;
  s.Borders = true;
  s.BorderLeft = 10;
  s.BorderTop = 20;
  s.BorderRight = 30;
  s.BorderBottom = 40;
  s.Blending = 50;
  s.ColorCorrection = 30;
  s.UseThumb = false;
  s.Resolution = 300;
  const RenderSettings r = MakeRenderSettings(s, TOutputRunOptions{3, false, 77, false});
  EXPECT_EQ(r.PictureWidth(), 1040);
  EXPECT_EQ(r.PictureHeight(), 860);
  EXPECT_EQ(r.GridWidth, 0);  // "Draw grid" off
  EXPECT_EQ(r.BlendAlpha, 128);
  EXPECT_EQ(r.CorrectionPercent, 30);
  EXPECT_TRUE(r.UseOriginals);
  EXPECT_FALSE(r.FastJpeg);
  EXPECT_EQ(r.JpegQuality, 77);
  EXPECT_EQ(r.Resolution, 300);
  s.Grid = true;
  EXPECT_EQ(MakeRenderSettings(s, TOutputRunOptions{3, false, 77, false}).GridWidth, 3);

  // Cells of 1000 div 40 = 25 by 800 div 30 = 26 pixels.
  const TOutputGrid g{40, 30, 4, 3};
  EXPECT_FALSE(ThumbsTooSmall(s, g, 25, 26));
  EXPECT_TRUE(ThumbsTooSmall(s, g, 24, 26));
  EXPECT_TRUE(ThumbsTooSmall(s, g, 25, 25));
}

TEST(OutputTypes, FiltersInTheSaveDialogsOrder) {
  EXPECT_EQ(OutputTypeFilters(),
            "Tiff files (*.tif);;Jpeg files (*.jpg);;BMP files (*.bmp);;Text list of images (*.txt);;"
            "Image sequence (*.bmp);;HTML table (*.html)");
  EXPECT_EQ(OutputTypeOfFilter("Image sequence (*.bmp)"), kTypeSequence);
  EXPECT_EQ(OutputTypeOfFilter("BMP files (*.bmp)"), kTypeBmp);
  EXPECT_EQ(OutputTypeOfFilter("nothing"), 0);
  EXPECT_STREQ(OutputTypeExtension(kTypeHtml), ".html");
}

}  // namespace
}  // namespace qv
