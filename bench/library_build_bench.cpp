// Library build speed: 1000 photographs of 640 x 480 (drawn in code, encoded with our JPEG
// encoder at quality 90) made into a library as the new library dialog does it, with fast
// JPEG decoding on and off, on one thread and with the decoding worker threads, in helper
// processes (as the programs run it) and in this process. The rate counter counts pictures
// per second.
//
// The pictures are written once into $TMPDIR/quivara_bench_640x480 and reused by later runs.
// QUIVARA_BENCH_PICTURES=N builds from the first N pictures only (for a quick look).
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "base/FileUtil.h"
#include "base/MemoryTuning.h"
#include "codecs/JpegCodec.h"
#include "engine/QVData.h"

namespace {

constexpr int kPictures = 1000;

// A photograph-like picture: smooth light and colour gradients, a few soft shapes and a
// little sensor noise, so the JPEG has the detail and size of a real photograph.
qv::Bitmap24 DrawPhoto(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  qv::Bitmap24 b(w, h);
  const double base[3] = {u(rng) * 200, u(rng) * 200, u(rng) * 200};
  const double gx[3] = {u(rng) - 0.5, u(rng) - 0.5, u(rng) - 0.5};
  const double gy[3] = {u(rng) - 0.5, u(rng) - 0.5, u(rng) - 0.5};
  struct Blob {
    double x, y, r, c[3];
  } blobs[6];
  for (auto& bl : blobs) bl = {u(rng) * w, u(rng) * h, 20 + u(rng) * 150, {u(rng) * 255, u(rng) * 255, u(rng) * 255}};
  std::normal_distribution<double> noise(0, 4);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b.Row(y);
    for (int x = 0; x < w; ++x) {
      double c[3];
      for (int k = 0; k < 3; ++k) c[k] = base[k] + gx[k] * x * 0.3 + gy[k] * y * 0.3;
      for (const auto& bl : blobs) {
        double d2 = ((x - bl.x) * (x - bl.x) + (y - bl.y) * (y - bl.y)) / (bl.r * bl.r);
        if (d2 < 1) {
          double a = 1 - d2;
          for (int k = 0; k < 3; ++k) c[k] = c[k] * (1 - a) + bl.c[k] * a;
        }
      }
      for (int k = 0; k < 3; ++k) {
        double v = c[k] + noise(rng) + 12 * std::sin((x + y * 0.7) * 0.15 + k);
        row[x * 3 + k] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
      }
    }
  }
  return b;
}

const std::string& PictureFolder() {
  static const std::string folder = [] {
    std::string dir = (std::filesystem::temp_directory_path() / "quivara_bench_640x480").string();
    ::mkdir(dir.c_str(), 0777);
    for (int i = 0; i < kPictures; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/pic%04d.jpg", i);
      if (!qv::FileExists(dir + name)) qv::SaveJpegFile(dir + name, DrawPhoto(640, 480, uint32_t(i + 1)), 90);
    }
    return dir;
  }();
  return folder;
}

// A folder holding the first n pictures as links, for a shorter run.
std::string FolderOfFirst(int n) {
  if (n >= kPictures) return PictureFolder();
  std::string dir = PictureFolder() + "_first" + std::to_string(n);
  ::mkdir(dir.c_str(), 0777);
  for (int i = 0; i < n; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/pic%04d.jpg", i);
    if (!qv::FileExists(dir + name)) ::symlink((PictureFolder() + name).c_str(), (dir + name).c_str());
  }
  return dir;
}

void Build(benchmark::State& state, bool fastJpeg, int threads, bool tuned = false, bool isolated = true) {
  if (tuned) qv::TuneAllocatorForLargePictures();
  const char* env = std::getenv("QUIVARA_BENCH_PICTURES");
  const int count = env ? std::clamp(std::atoi(env), 1, kPictures) : kPictures;
  const std::string folder = FolderOfFirst(count);
  const std::string out = (std::filesystem::temp_directory_path() / "quivara_bench.qv2").string();
  int64_t added = 0;
  for (auto _ : state) {
    qv::TQVData t;
    qv::TBuildSettings settings;  // a new library as the dialog makes it
    settings.PictureExtensions = "*.JPG*.JPEG";
    settings.RootFolder = folder;
    settings.FastJpeg = fastJpeg;
    settings.Threads = threads;
    settings.IsolateDecoders = isolated;
    if (!t.CreateLibrary(out, settings)) state.SkipWithError("cannot write the library");
    added += t.AddedCount;
  }
  std::remove(out.c_str());
  state.counters["pictures/s"] = benchmark::Counter(double(added), benchmark::Counter::kIsRate);
}

void FastJpegOneThread(benchmark::State& s) { Build(s, true, 1); }
void FastJpegWorkers(benchmark::State& s) { Build(s, true, 0); }
void FullJpegOneThread(benchmark::State& s) { Build(s, false, 1); }
void FullJpegWorkers(benchmark::State& s) { Build(s, false, 0); }
// The same with the pictures decoded in this process instead of in helper processes.
void FastJpegWorkersInProcess(benchmark::State& s) { Build(s, true, 0, false, false); }
void FullJpegWorkersInProcess(benchmark::State& s) { Build(s, false, 0, false, false); }
// As quivara-cli runs it: freed picture buffers are kept for the next picture. Runs last,
// since the setting stays for the rest of the process.
void FullJpegOneThreadTunedAllocator(benchmark::State& s) { Build(s, false, 1, true); }

// The pieces of one picture's work with fast JPEG on: the reduced decode, and the
// thumbnail's encoding; they show where a build's time goes.
void DecodeAtEighth(benchmark::State& state) {
  const std::string folder = PictureFolder();
  int i = 0;
  for (auto _ : state) {
    char name[32];
    std::snprintf(name, sizeof name, "/pic%04d.jpg", i++ % 100);
    benchmark::DoNotOptimize(qv::DecodeJpegFile(folder + name, 3));
  }
  state.counters["pictures/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void EncodeThumbnail(benchmark::State& state) {
  const qv::Bitmap24 thumb = DrawPhoto(42, 42, 7);
  for (auto _ : state) benchmark::DoNotOptimize(qv::EncodeJpeg(thumb, 85));
  state.counters["pictures/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(DecodeAtEighth)->Unit(benchmark::kMicrosecond);
BENCHMARK(EncodeThumbnail)->Unit(benchmark::kMicrosecond);
BENCHMARK(FastJpegOneThread)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(FastJpegWorkers)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(FullJpegOneThread)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(FullJpegWorkers)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(FastJpegWorkersInProcess)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(FullJpegWorkersInProcess)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(FullJpegOneThreadTunedAllocator)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
