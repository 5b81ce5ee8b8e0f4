// FindTileForCell, the search of a composition run, cell after cell of a 100 x 100 project
// in smart order against libraries of 1000 and 10 000 tiles, Distance 6, Repeat "Auto".
// Arguments: tiles, scan mode (0 plain scan, 1/2 packed portable without cut-off / with
// cut-off and bound, 3/4/5 packed AVX2 without cut-off / with cut-off / with both). Only the searches are timed; when
// every cell has been searched, the used tiles and counts start again from an empty mosaic.
#include <benchmark/benchmark.h>

#include <chrono>

#include "BenchData.h"

namespace {

void FindTile(benchmark::State& state) {
  const int tiles = int(state.range(0));
  std::string label;
  qv::TQVData lib, plan, mosaic;
  lib.Open(qvbench::BenchFiles::Get().Library(tiles));
  plan.OpenProject(qvbench::BenchFiles::Get().Project(tiles, 100, 100), mosaic);
  const qvbench::SearchMode mode = qvbench::SearchModeFor(state.range(1), label);
  const qv::KernelChoice<qv::TileSearchKernels>::Override use(qv::TileSearchKernelChoice(), mode.Kernels);
  lib.SearchOptions = mode.Options;
  state.SetLabel(label);
  const int32_t cols = plan.Cols, rows = plan.Rows;

  plan.OrderByDetail();  // the smart order
  std::vector<int32_t> cells;
  for (int32_t i = 1; i <= plan.OrderCount; ++i) {
    plan.Go(i);
    cells.push_back(plan.RecNo);
  }
  plan.ClearOrder();
  std::vector<int32_t> used(cells.size(), 0);
  const qv::TOrientationSet original{true, false, false, false};
  size_t k = 0;
  double seconds = 0;
  uint64_t evaluations = 0, candidates = 0;
  for (auto _ : state) {
    if (k == cells.size()) {
      std::fill(used.begin(), used.end(), 0);
      lib.ResetUseCounts();
      k = 0;
    }
    const int32_t cell = cells[k++];
    plan.GoRecord(cell);
    bool newTile;
    const qv::TTileSearchStats before = lib.SearchStats;
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(
        lib.FindTileForCell(plan, used, original, -1, 6, cols, rows, (cell - 1) % cols, (cell - 1) / cols, newTile));
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(s);
    seconds += s;
    evaluations += lib.SearchStats.Evaluations - before.Evaluations;
    candidates += lib.SearchStats.Candidates - before.Candidates;
  }
  state.counters["cells/s"] = double(state.iterations()) / seconds;
  state.counters["evals/s"] = double(evaluations) / seconds;
  state.counters["records/s"] = double(candidates) / seconds;
  state.counters["evals/cell"] = double(evaluations) / double(state.iterations());
}

BENCHMARK(FindTile)
    ->ArgsProduct({{1000, 10000}, {0, 1, 2, 3, 4, 5}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
