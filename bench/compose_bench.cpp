// A whole composition run (RunComposition, as "Smart mosaic" and quivara-cli compose run
// it): a 100 x 100 project against libraries of 1000 and 10 000 tiles, Distance 6, Repeat
// "Auto", original tiles, the library showing thumbnails as the main window's does.
// Arguments: tiles, scan mode (as find_tile_bench). Each run starts from the freshly opened
// project; only the run is timed.
#include <benchmark/benchmark.h>

#include <chrono>

#include "BenchData.h"
#include "engine/CompositionRun.h"

namespace {

void Compose(benchmark::State& state) {
  const int tiles = int(state.range(0));
  std::string label;
  const std::string libFile = qvbench::BenchFiles::Get().Library(tiles);
  const std::string project = qvbench::BenchFiles::Get().Project(tiles, 100, 100);
  const qvbench::SearchMode mode = qvbench::SearchModeFor(state.range(1), label);
  const qv::KernelChoice<qv::TileSearchKernels>::Override use(qv::TileSearchKernelChoice(), mode.Kernels);
  state.SetLabel(label);
  double seconds = 0;
  uint64_t evaluations = 0, candidates = 0, cells = 0;
  for (auto _ : state) {
    qv::TQVData lib, plan, mosaic;
    lib.Open(libFile);
    lib.ShowThumbs = true;
    lib.SearchOptions = mode.Options;
    plan.OpenProject(project, mosaic);
    qv::TCompositionSettings s;
    s.Mode = qv::kVisitSmart;
    s.Distance = 6;
    s.Repeat = 0;
    s.Cols = plan.Cols;
    s.Rows = plan.Rows;
    const auto start = std::chrono::steady_clock::now();
    const qv::TCompositionResult r = qv::RunComposition(lib, plan, mosaic, s);
    const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(t);
    seconds += t;
    evaluations += lib.SearchStats.Evaluations;
    candidates += lib.SearchStats.Candidates;
    cells += uint64_t(r.Placed);
  }
  state.counters["cells/s"] = double(cells) / seconds;
  state.counters["evals/s"] = double(evaluations) / seconds;
  state.counters["records/s"] = double(candidates) / seconds;
}

BENCHMARK(Compose)
    ->ArgsProduct({{1000, 10000}, {0, 3, 4, 5}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
