// Decoding cost of library building: 100 different 640 x 480 JPEGs (quality 90, made in
// memory with our encoder) decoded at 1/8 scale, as the fast JPEG path does, and at full
// size for comparison.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "codecs/JpegCodec.h"

namespace {

// Photo-like content: smooth colour fields, edges and fine noise, different per seed.
qv::Bitmap24 PhotoLike(int w, int h, uint32_t seed) {
  qv::Bitmap24 bmp(w, h);
  uint32_t r = seed * 2654435761u;
  const double cx = (seed % 7) * w / 7.0, cy = (seed % 5) * h / 5.0;
  for (int y = 0; y < h; ++y) {
    uint8_t* row = bmp.Row(y);
    for (int x = 0; x < w; ++x) {
      r = r * 1664525u + 1013904223u;
      const int noise = int(r >> 28) - 8;
      const double d = std::hypot(x - cx, y - cy);
      const int edge = (int(d) / 40) % 2 ? 60 : 0;
      row[x * 3] = uint8_t(std::clamp(int(128 + 100 * std::sin(x / 50.0 + seed)) + noise, 0, 255));
      row[x * 3 + 1] = uint8_t(std::clamp(int(d / 3) % 256 / 2 + edge + noise, 0, 255));
      row[x * 3 + 2] = uint8_t(std::clamp(int(128 + 100 * std::cos(y / 40.0 + seed)) + noise, 0, 255));
    }
  }
  return bmp;
}

const std::vector<std::string>& Jpegs() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> v;
    for (uint32_t i = 0; i < 100; ++i) v.push_back(qv::EncodeJpeg(PhotoLike(640, 480, i + 1), 90));
    return v;
  }();
  return files;
}

void Decode100(benchmark::State& state, int scale) {
  const auto& files = Jpegs();
  size_t bytes = 0;
  for (const auto& f : files) bytes += f.size();
  for (auto _ : state)
    for (const auto& f : files)
      benchmark::DoNotOptimize(qv::DecodeJpegMemory(reinterpret_cast<const uint8_t*>(f.data()), f.size(), scale));
  state.counters["avg_kB"] = double(bytes) / files.size() / 1024;
  state.counters["per_picture_us"] = benchmark::Counter(double(files.size()) * state.iterations(),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Decode100AtEighth(benchmark::State& s) { Decode100(s, 3); }
void Decode100AtQuarter(benchmark::State& s) { Decode100(s, 2); }
void Decode100FullSize(benchmark::State& s) { Decode100(s, 0); }

}  // namespace

BENCHMARK(Decode100AtEighth)->Unit(benchmark::kMillisecond);
BENCHMARK(Decode100AtQuarter)->Unit(benchmark::kMillisecond);
BENCHMARK(Decode100FullSize)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
