// Signature distance speed: one target against a library of 108-byte signatures laid end to
// end, as a search scans them. The rate counter counts distance evaluations per second.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/Signature.h"
#include "engine/SignatureDistance.h"

namespace {

constexpr int kSigSize = 108;
constexpr int kRecords = 10000;

using DistanceFn = uint64_t (*)(const uint8_t* a, const uint8_t* b, int n);

void Scan(benchmark::State& state, DistanceFn fn) {
  if (!fn) {
    state.SkipWithError("processor lacks these instructions");
    return;
  }
  std::mt19937 rng(1);
  std::vector<uint8_t> library(size_t(kSigSize) * kRecords), target(kSigSize);
  for (auto& v : library) v = uint8_t(rng());
  for (auto& v : target) v = uint8_t(rng());
  for (auto _ : state) {
    uint64_t best = UINT64_MAX;
    for (int r = 0; r < kRecords; ++r) {
      const uint64_t d = fn(library.data() + size_t(r) * kSigSize, target.data(), kSigSize);
      if (d < best) best = d;
    }
    benchmark::DoNotOptimize(best);
  }
  state.counters["evals/s"] = benchmark::Counter(double(kRecords) * state.iterations(), benchmark::Counter::kIsRate);
}

DistanceFn Of(const qv::SignatureDistanceKernels* k) { return k ? k->distance : nullptr; }

void Portable(benchmark::State& s) { Scan(s, qv::SignatureDistanceKernelChoice().Portable().distance); }
void Sse2(benchmark::State& s) { Scan(s, Of(qv::Sse2SignatureDistanceKernels())); }
void Avx2(benchmark::State& s) { Scan(s, Of(qv::Avx2SignatureDistanceKernels())); }
void Dispatched(benchmark::State& s) { Scan(s, qv::SignatureDistanceInt); }

BENCHMARK(Portable)->Unit(benchmark::kMicrosecond);
BENCHMARK(Sse2)->Unit(benchmark::kMicrosecond);
BENCHMARK(Avx2)->Unit(benchmark::kMicrosecond);
BENCHMARK(Dispatched)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
