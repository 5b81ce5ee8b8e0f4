// Resampler speed on the two shapes the program uses most: a photograph to a thumbnail and
// a thumbnail to a signature grid; plus a tile enlarged to an output cell. The rate counter
// counts source megapixels per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "raster/Resample.h"
#include "raster/ResampleKernels.h"

namespace {

qv::Bitmap24 Photo(int w, int h) {
  qv::Bitmap24 bmp(w, h);
  std::mt19937 rng(42);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = bmp.Row(y);
    for (int x = 0; x < w * 3; ++x) row[x] = uint8_t((x / 3 + y) / 8 + (rng() & 15));
  }
  return bmp;
}

template <qv::Bitmap24 (*Fn)(const qv::Bitmap24&, int, int, int, float)>
void Run(benchmark::State& state, int sw, int sh, int dw, int dh, int kernelSet) {
  auto& choice = qv::ResampleKernelChoice();
  const qv::KernelChoice<qv::ResampleKernels>::Override use(choice, kernelSet ? &choice.Portable() : nullptr);
  const qv::Bitmap24 src = Photo(sw, sh);
  for (auto _ : state) benchmark::DoNotOptimize(Fn(src, dw, dh, qv::kFilterMitchell, 0));
  state.counters["MP/s"] = benchmark::Counter(double(sw) * sh * state.iterations() / 1e6, benchmark::Counter::kIsRate);
  state.SetLabel(choice.Active().name);
}

void PhotoToThumb(benchmark::State& s) { Run<qv::Resample>(s, 2000, 1500, 42, 42, 0); }
void PhotoToThumbPortable(benchmark::State& s) { Run<qv::Resample>(s, 2000, 1500, 42, 42, 1); }
void PhotoToThumbReference(benchmark::State& s) { Run<qv::ResampleReference>(s, 2000, 1500, 42, 42, 0); }
void ThumbToGrid(benchmark::State& s) { Run<qv::Resample>(s, 42, 42, 6, 6, 0); }
void ThumbToGridPortable(benchmark::State& s) { Run<qv::Resample>(s, 42, 42, 6, 6, 1); }
void ThumbToGridReference(benchmark::State& s) { Run<qv::ResampleReference>(s, 42, 42, 6, 6, 0); }
void TileToCell(benchmark::State& s) { Run<qv::Resample>(s, 42, 42, 120, 120, 0); }
void TileToCellPortable(benchmark::State& s) { Run<qv::Resample>(s, 42, 42, 120, 120, 1); }
void TileToCellReference(benchmark::State& s) { Run<qv::ResampleReference>(s, 42, 42, 120, 120, 0); }

BENCHMARK(PhotoToThumb)->Unit(benchmark::kMillisecond);
BENCHMARK(PhotoToThumbPortable)->Unit(benchmark::kMillisecond);
BENCHMARK(PhotoToThumbReference)->Unit(benchmark::kMillisecond);
BENCHMARK(ThumbToGrid)->Unit(benchmark::kMicrosecond);
BENCHMARK(ThumbToGridPortable)->Unit(benchmark::kMicrosecond);
BENCHMARK(ThumbToGridReference)->Unit(benchmark::kMicrosecond);
BENCHMARK(TileToCell)->Unit(benchmark::kMicrosecond);
BENCHMARK(TileToCellPortable)->Unit(benchmark::kMicrosecond);
BENCHMARK(TileToCellReference)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
