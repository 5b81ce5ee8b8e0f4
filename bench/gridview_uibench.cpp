// Mosaic grid view repaint speed, offscreen: a 200 x 200 mosaic whose 40000 cells all hold
// different 42 x 42 thumbnails, in a 1200 x 900 grid. Each iteration is one full repaint of
// the visible cells (about 38 x 29 cells at the 32-pixel zoom). "Cold" forgets the decoded
// thumbnails before every repaint, as after opening a project; "Warm" repaints with them
// kept, as when scrolling back or after a placement.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <random>

#include "codecs/JpegCodec.h"
#include "controls/DrawGrid.h"
#include "engine/QVData.h"
#include "mainwindow/MosaicView.h"
#include "support/TestFiles.h"

namespace {

constexpr int kSide = 200;
constexpr int kThumb = 42;

qv::Bitmap24 Thumbnail(uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  const int b0 = byte(rng), g0 = byte(rng), r0 = byte(rng);
  qv::Bitmap24 b(kThumb, kThumb);
  for (int y = 0; y < kThumb; ++y)
    for (int x = 0; x < kThumb; ++x) {
      uint8_t* p = b.Pixel(x, y);
      p[0] = uint8_t(b0 + x * 3);
      p[1] = uint8_t(g0 + y * 3);
      p[2] = uint8_t(r0 + (x ^ y));
    }
  return b;
}

// A library of kSide x kSide records with their own thumbnails and signatures, opened as the
// plan and as the mosaic (whose ShowThumbs each benchmark sets).
struct Mosaic {
  qvtest::TempDir Dir;
  qv::TQVData Library, Plan, Table;
  Mosaic() {
    const std::string path = Dir.File("mosaic.qv2");
    qv::TQVData w;
    qv::TBuildSettings settings;
    settings.ColorSystem = qv::kColorRGB;  // plans and mosaics keep RGB signatures
    w.OpenWorkFiles(settings);
    for (int k = 1; k <= kSide * kSide; ++k) {
      qv::SignatureBytes sig(108);
      for (size_t i = 0; i < sig.size(); ++i) sig[i] = uint8_t(k * 37 + i * 11);
      qv::TTileInfo info;
      info.PicWidth = info.PicHeight = 100;
      info.CropRight = info.CropBottom = 100;
      info.Name = "tile" + std::to_string(k);
      const std::string jpeg = qv::EncodeJpeg(Thumbnail(uint32_t(k)), 75);
      w.AppendWorkRecord(0, sig.data(), info, &jpeg, true);
      ++w.AddedCount;
    }
    w.WriteLibraryFile(path);
    for (qv::TQVData* t : {&Library, &Plan, &Table}) t->Open(path);
    Plan.Cols = Table.Cols = kSide;
    Plan.Rows = Table.Rows = kSide;
    Library.ShowThumbs = true;
  }
};

Mosaic& TheMosaic() {
  static Mosaic m;
  return m;
}

void Repaint(benchmark::State& state, qv::TGridView view, int zoom, bool details, bool cold) {
  Mosaic& m = TheMosaic();
  qv::TDrawGrid grid;
  grid.resize(1200, 900);
  qv::TMosaicView v(&grid, &m.Library, &m.Plan, &m.Table);
  v.SetGridSizeFromPlan();
  v.SetView(view);
  v.SetZoomPosition(zoom);
  m.Table.ShowThumbs = details;
  grid.SetLeftCol(50);
  grid.SetTopRow(50);
  grid.show();
  QCoreApplication::processEvents();
  int cells = 0;
  grid.OnDrawCell = [&](QPainter& p, int c, int r, const QRect& rect, const qv::TGridDrawState& s) {
    ++cells;
    v.DrawGrid1DrawCell(p, c, r, rect, s);
  };
  grid.viewport()->repaint();  // warms the cache
  cells = 0;
  for (auto _ : state) {
    if (cold) v.Thumbnails().Clear();
    grid.viewport()->repaint();
  }
  state.counters["cells"] = benchmark::Counter(double(cells) / double(state.iterations()));
  state.counters["cells/s"] = benchmark::Counter(double(cells), benchmark::Counter::kIsRate);
}

void BM_TargetThumbs32Warm(benchmark::State& s) { Repaint(s, qv::TGridView::Target, 32, true, false); }
void BM_TargetThumbs32Cold(benchmark::State& s) { Repaint(s, qv::TGridView::Target, 32, true, true); }
void BM_TargetSignatures32(benchmark::State& s) { Repaint(s, qv::TGridView::Target, 32, false, false); }
void BM_Source32(benchmark::State& s) { Repaint(s, qv::TGridView::Source, 32, false, false); }
void BM_Difference32(benchmark::State& s) { Repaint(s, qv::TGridView::Difference, 32, false, false); }
void BM_Enhance32Warm(benchmark::State& s) { Repaint(s, qv::TGridView::Enhance, 32, true, false); }
void BM_TargetSignatures5(benchmark::State& s) { Repaint(s, qv::TGridView::Target, 5, false, false); }
BENCHMARK(BM_TargetThumbs32Warm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TargetThumbs32Cold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TargetSignatures32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Source32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Difference32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Enhance32Warm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TargetSignatures5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
