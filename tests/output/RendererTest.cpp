#include "output/Renderer.h"

#include <gtest/gtest.h>

#include <atomic>

#include "codecs/JpegCodec.h"
#include "imaging/TileOps.h"
#include "output/RenderTestSupport.h"

namespace {

using namespace qv;
using qvtest::TestCell;
using qvtest::TestMosaic;

std::vector<RenderedCell> Render(TestMosaic& m, const RenderSettings& st, RenderArea area, RenderCallbacks cb = {},
                                 const MissingTilePolicy& policy = {}, RenderResult* result = nullptr) {
  std::vector<RenderedCell> cells;
  RenderResult r = RenderCells(
      m.Source(), st, area, cb, [&](const RenderedCell& c) { cells.push_back(c); }, policy);
  if (result) *result = r;
  return cells;
}

RenderSettings Settings(int w, int h) {
  RenderSettings st;
  st.OutputWidth = w;
  st.OutputHeight = h;
  st.Sharpen = false;
  return st;
}

TEST(RenderGeometry, CellsTileTheAreaWithRoundHalfEven) {
  RenderSettings st = Settings(1000, 90);
  RenderArea area{0, 0, 3, 1};
  EXPECT_EQ(CellRectInArea(st, area, 0, 0), (Rect{0, 0, 333, 90}));
  EXPECT_EQ(CellRectInArea(st, area, 1, 0), (Rect{333, 0, 667, 90}));
  EXPECT_EQ(CellRectInArea(st, area, 2, 0), (Rect{667, 0, 1000, 90}));
  // 10 / 4 x 1 = 2.5 rounds to 2, x 3 = 7.5 rounds to 8.
  EXPECT_EQ(SplitPoint(10, 4, 1), 2);
  EXPECT_EQ(SplitPoint(10, 4, 3), 8);

  RenderSource src;
  src.GridCols = 4;
  src.GridRows = 2;
  src.SourceRect = Rect{10, 20, 20, 30};
  EXPECT_EQ(CellSourceRegion(src, 1, 1), (Rect{12, 25, 15, 30}));

  EXPECT_EQ(RenderAreaFromSelection(Rect{2, 1, 2, 1}, 8, 6), WholeGrid(8, 6));
  EXPECT_EQ(RenderAreaFromSelection(Rect{4, 3, 2, 2}, 8, 6), (RenderArea{2, 2, 3, 2}));
  EXPECT_EQ(BlendAlphaFromPercent(20), 51);
  EXPECT_EQ(BlendAlphaFromPercent(100), 255);
}

TEST(Renderer, CellsInOrderAtTheirPlacesAsScaledStoredPictures) {
  TestMosaic m(3, 2, qvtest::ColouredCells(6));
  RenderSettings st = Settings(1000, 200);
  st.BorderLeft = 7;
  st.BorderTop = 5;
  m.Mosaic.ShowThumbs = false;
  // A 2 x 1 selection renders exactly those cells at the full output size.
  auto cells = Render(m, st, RenderArea{1, 1, 2, 1});
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_FALSE(m.Mosaic.ShowThumbs);  // restored
  EXPECT_EQ(cells[0].Col, 1);
  EXPECT_EQ(cells[0].Row, 1);
  EXPECT_EQ(cells[0].Record, 5);
  EXPECT_EQ(cells[0].X, 7);
  EXPECT_EQ(cells[0].Y, 5);
  EXPECT_EQ(cells[0].Picture.Width(), 500);
  EXPECT_EQ(cells[0].Picture.Height(), 200);
  EXPECT_EQ(cells[1].X, 507);
  EXPECT_EQ(cells[1].TileName, "/nowhere/tile0.jpg");

  // Correction 0 and blend 0: exactly the stretched stored picture.
  Bitmap24 thumb = DecodeJpegMemory(reinterpret_cast<const uint8_t*>(m.Mosaic.RecordThumbJpeg(5).data()),
                                    m.Mosaic.RecordThumbJpeg(5).size());
  ComposeCellParams p;
  p.Width = 500;
  p.Height = 200;
  EXPECT_TRUE(cells[0].Picture == ComposeCell(thumb, Bitmap24(2, 2), p));
}

TEST(Renderer, FullCorrectionBringsEveryCellToItsTargetLevel) {
  // Uniform targets of 100: correction 100 gives level 100 in every channel; an empty cell
  // (no stored picture) comes out at the target too, not white.
  std::vector<TestCell> cells = qvtest::ColouredCells(4);
  cells[3].Name = "";
  cells[3].Thumb = Bitmap24();
  for (auto& c : cells) c.Target[0] = c.Target[1] = c.Target[2] = 100;
  TestMosaic m(2, 2, cells);
  RenderSettings st = Settings(40, 30);
  st.CorrectionPercent = 100;
  auto out = Render(m, st, WholeGrid(2, 2));
  ASSERT_EQ(out.size(), 4u);
  for (const auto& c : out) {
    Bitmap32 b;
    b.CopyFrom(c.Picture);
    const uint32_t level = ChannelRms(b);
    EXPECT_NEAR(RedOf(level), 100, 1) << c.Record;
    EXPECT_NEAR(GreenOf(level), 100, 1) << c.Record;
  }
}

TEST(Renderer, WorkerPoolOutputEqualsTheSequentialRun) {
  qvtest::TempDir dir;
  Bitmap24 source = qvtest::SolidPicture(400, 300, 10, 20, 30);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x) source.Pixel(x, y)[1] = uint8_t((x * y) % 251);
  SaveJpegFile(dir.File("source.jpg"), source, 90);
  TestMosaic m(6, 5, qvtest::ColouredCells(30), dir.File("source.jpg"));
  RenderSettings st = Settings(613, 401);
  st.Sharpen = true;
  st.CorrectionPercent = 30;
  st.BlendAlpha = 51;
  st.DetailedBlend = true;
  RenderCallbacks one, many;
  one.Threads = 1;
  many.Threads = 4;
  auto a = Render(m, st, WholeGrid(6, 5), one);
  auto b = Render(m, st, WholeGrid(6, 5), many);
  ASSERT_EQ(a.size(), 30u);
  ASSERT_EQ(b.size(), 30u);
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].Record, b[i].Record);
    EXPECT_TRUE(a[i].Picture == b[i].Picture) << i;
  }
}

TEST(Renderer, StopEndsTheRunAfterTheCell) {
  TestMosaic m(4, 3, qvtest::ColouredCells(12));
  std::atomic<bool> stop{false};
  RenderCallbacks cb;
  cb.Threads = 3;
  cb.StopRequested = &stop;
  int64_t lastDone = 0, total = 0;
  cb.OnProgress = [&](int64_t done, int64_t t) {
    lastDone = done;
    total = t;
    if (done == 5) stop = true;
  };
  RenderResult r;
  auto cells = Render(m, Settings(80, 60), WholeGrid(4, 3), cb, {}, &r);
  EXPECT_TRUE(r.Stopped);
  EXPECT_EQ(cells.size(), 5u);
  EXPECT_EQ(lastDone, 5);
  EXPECT_EQ(total, 12);
}

// A mosaic whose tiles name files that do not exist, rendered with UseOriginals.
struct MissingRun {
  std::vector<std::string> asked;
  std::vector<bool> offered;
  std::vector<int> answers;
  std::atomic<bool> stop{false};
  RenderResult result;
  std::vector<RenderedCell> Run(TestMosaic& m, RenderSettings st, const MissingTilePolicy& policy = {}) {
    RenderCallbacks cb;
    cb.Threads = 2;
    cb.StopRequested = &stop;
    cb.AskTileNotFound = [this](const std::string& name, bool offer) {
      asked.push_back(name);
      offered.push_back(offer);
      int a = answers.empty() ? kAnswerAuto : answers.front();
      if (!answers.empty()) answers.erase(answers.begin());
      return a;
    };
    st.UseOriginals = true;
    return Render(m, st, WholeGrid(m.Plan.Cols, m.Plan.Rows), cb, policy, &result);
  }
};

TEST(Renderer, TileNotFoundAnswers) {
  TestMosaic m(3, 2, qvtest::ColouredCells(6, "/missing/t"));
  RenderSettings st = Settings(60, 40);

  // "Auto" is remembered for the run only.
  MissingRun autoRun;
  autoRun.answers = {kAnswerAuto};
  auto cells = autoRun.Run(m, st);
  EXPECT_EQ(autoRun.asked.size(), 1u);
  EXPECT_EQ(autoRun.asked[0], "/missing/t0.jpg");
  EXPECT_TRUE(autoRun.offered[0]);
  EXPECT_EQ(cells.size(), 6u);
  // Replaced cells are composed from the stored picture, like with UseOriginals off.
  auto stored = Render(m, st, WholeGrid(3, 2));
  for (size_t i = 0; i < 6; ++i) EXPECT_TRUE(cells[i].Picture == stored[i].Picture) << i;
  MissingRun again;
  again.Run(m, st);
  EXPECT_EQ(again.asked.size(), 1u);

  // "Replace" asks again at the next missing file.
  MissingRun replace;
  replace.answers = {kAnswerReplace, kAnswerReplace, kAnswerAuto};
  replace.Run(m, st);
  EXPECT_EQ(replace.asked.size(), 3u);

  // "Replace all rest" switches UseOriginals off: no more questions.
  MissingRun rest;
  rest.answers = {kAnswerReplace, kAnswerReplaceAllRest, kAnswerCancel};
  cells = rest.Run(m, st);
  EXPECT_EQ(rest.asked.size(), 2u);
  EXPECT_EQ(cells.size(), 6u);
  EXPECT_FALSE(rest.result.Stopped);

  // "Cancel" draws nothing for the cell, sets the stop flag and ends the run there.
  MissingRun cancel;
  cancel.answers = {kAnswerReplace, kAnswerCancel};
  cells = cancel.Run(m, st);
  EXPECT_TRUE(cancel.stop.load());
  EXPECT_TRUE(cancel.result.Stopped);
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_TRUE(cells[0].Drawn);
  EXPECT_FALSE(cells[1].Drawn);

  // ... also when the caller passed no stop flag.
  RenderCallbacks noFlag;
  noFlag.Threads = 2;
  int asked = 0;
  noFlag.AskTileNotFound = [&asked](const std::string&, bool) { return ++asked == 1 ? kAnswerReplace : kAnswerCancel; };
  st.UseOriginals = true;
  RenderResult unflagged;
  cells = Render(m, st, WholeGrid(3, 2), noFlag, {}, &unflagged);
  st.UseOriginals = false;
  EXPECT_TRUE(unflagged.Stopped);
  EXPECT_EQ(asked, 2);
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_FALSE(cells[1].Drawn);

  // "Auto replace with source" without a source file counts as "Auto".
  MissingRun noSource;
  noSource.answers = {kAnswerAutoSource};
  cells = noSource.Run(m, st);
  EXPECT_EQ(noSource.asked.size(), 1u);
  for (size_t i = 0; i < 6; ++i) EXPECT_TRUE(cells[i].Picture == stored[i].Picture) << i;
}

TEST(Renderer, AutoReplaceWithSourceFillsFromTheSourcePicture) {
  qvtest::TempDir dir;
  Bitmap24 source(300, 200);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) source.Pixel(x, y)[2] = uint8_t(x < 150 ? 250 : 10);
  SaveJpegFile(dir.File("src.jpg"), source, 95);
  TestMosaic m(2, 1, qvtest::ColouredCells(2, "/missing/t"), dir.File("src.jpg"), Rect{0, 0, 300, 200});
  MissingRun run;
  run.answers = {kAnswerAutoSource};
  auto cells = run.Run(m, Settings(60, 40));
  EXPECT_EQ(run.asked.size(), 1u);
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_GT(cells[0].Picture.Pixel(15, 20)[2], 200);  // red left half
  EXPECT_LT(cells[1].Picture.Pixel(15, 20)[2], 50);
}

TEST(Renderer, EmptyCellsWithOriginals) {
  qvtest::TempDir dir;
  SaveJpegFile(dir.File("src.jpg"), qvtest::SolidPicture(100, 100, 0, 200, 0), 95);
  SaveJpegFile(dir.File("tile.jpg"), qvtest::SolidPicture(40, 30, 200, 0, 0), 95);
  std::vector<TestCell> cells(2);
  cells[0].Name = dir.File("tile.jpg");
  cells[0].Thumb = qvtest::SolidPicture(8, 6, 0, 0, 200);  // differs from the original on purpose
  cells[0].Crop = Rect{0, 0, 40, 30};
  cells[1].Name = "";  // empty: its colour grid is Blank (90, 90, 90)
  TestMosaic m(2, 1, cells, dir.File("src.jpg"), Rect{0, 0, 100, 100});
  RenderSettings st = Settings(40, 20);
  st.UseOriginals = true;

  // The tile comes from its file (blue), the empty cell from the source (green).
  MissingRun run;
  auto out = run.Run(m, st);
  EXPECT_TRUE(run.asked.empty());
  EXPECT_GT(out[0].Picture.Pixel(10, 10)[0], 180);
  EXPECT_LT(out[0].Picture.Pixel(10, 10)[2], 40);
  EXPECT_GT(out[1].Picture.Pixel(10, 10)[1], 180);

  // Without "Use detailed background": the blank picture stretched, nothing else.
  st.DetailedBackground = false;
  st.CorrectionPercent = 100;
  out = run.Run(m, st);
  EXPECT_EQ(out[1].Picture.Pixel(10, 10)[1], 90);

  // The wizard's behaviour: the empty cell is asked about, without answer 6.
  MissingRun wizard;
  MissingTilePolicy policy;
  policy.OfferSourceAnswer = false;
  policy.EmptyCellsAsMissing = true;
  wizard.answers = {kAnswerAutoSource};
  wizard.Run(m, st, policy);
  ASSERT_EQ(wizard.asked.size(), 1u);
  EXPECT_EQ(wizard.asked[0], "");
  EXPECT_FALSE(wizard.offered[0]);
}

}  // namespace
