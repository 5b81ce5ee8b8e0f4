#pragma once
// Data for the search and composition benchmarks, made in code: photo-like pictures, tile
// libraries built from them (42 x 42 JPEG thumbnails, 6 x 6 YCC signatures, as a new library
// has them) and projects of a photo-like source. Files go to a folder in the system
// temporary folder that is removed when the benchmark ends.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "codecs/JpegCodec.h"
#include "engine/QVData.h"
#include "engine/TileSearch.h"
#include "raster/Resample.h"

namespace qvbench {

// Smooth two-colour gradients with a few soft blobs and a little noise.
inline qv::Bitmap24 PhotoLikePicture(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  auto colour = [&] { return std::array<double, 3>{double(rng() % 256), double(rng() % 256), double(rng() % 256)}; };
  const auto c0 = colour(), c1 = colour();
  const double angle = double(rng() % 628) / 100;
  struct Blob {
    double x, y, r;
    std::array<double, 3> c;
  };
  std::vector<Blob> blobs;
  for (int k = 0; k < 3; ++k)
    blobs.push_back({double(rng() % unsigned(w)), double(rng() % unsigned(h)),
                     double(w) / 8 + rng() % unsigned(w / 3 + 1), colour()});
  std::normal_distribution<double> noise(0, 4);
  qv::Bitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double t =
          0.5 + 0.5 * std::sin(angle) * (double(x) / w - 0.5) + 0.5 * std::cos(angle) * (double(y) / h - 0.5);
      std::array<double, 3> p;
      for (int ch = 0; ch < 3; ++ch) p[size_t(ch)] = c0[size_t(ch)] * (1 - t) + c1[size_t(ch)] * t;
      for (const Blob& bl : blobs) {
        const double d = std::hypot(x - bl.x, y - bl.y) / bl.r, a = d < 1 ? (1 - d * d) * 0.8 : 0;
        for (int ch = 0; ch < 3; ++ch) p[size_t(ch)] = p[size_t(ch)] * (1 - a) + bl.c[size_t(ch)] * a;
      }
      for (int ch = 0; ch < 3; ++ch) b.Pixel(x, y)[ch] = uint8_t(std::clamp(p[size_t(ch)] + noise(rng), 0.0, 255.0));
    }
  return b;
}

class BenchFiles {
 public:
  static BenchFiles& Get() {
    static BenchFiles files;
    return files;
  }
  ~BenchFiles() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // A library of `tiles` tiles, written once per process.
  const std::string& Library(int tiles) {
    auto it = libraries_.find(tiles);
    if (it != libraries_.end()) return it->second;
    const std::string file = dir_ + "/lib" + std::to_string(tiles) + ".qv2";
    qv::TQVData t;
    t.OpenWorkFiles(qv::TBuildSettings());  // a new library's: 6 x 6 YCC signatures, Mitchell
    for (int k = 0; k < tiles; ++k) {
      const qv::Bitmap24 thumb = PhotoLikePicture(42, 42, uint32_t(k + 1));
      const qv::SignatureBytes sig = qv::SignatureOf(qv::Resample(thumb, 6, 6, qv::kFilterMitchell), qv::kColorYCC);
      qv::TTileInfo info;
      info.PicWidth = info.PicHeight = 42;
      info.CropRight = info.CropBottom = 42;
      info.Name = "/pictures/tile" + std::to_string(k + 1) + ".jpg";
      const std::string jpeg = qv::EncodeJpeg(thumb, 85);
      t.AppendWorkRecord(0, sig.data(), info, &jpeg, true);
      ++t.AddedCount;
    }
    t.WriteLibraryFile(file);
    return libraries_[tiles] = file;
  }

  // A project of cols x rows cells for a library, every cell showing its source part.
  const std::string& Project(int tiles, int cols, int rows) {
    const std::string key = std::to_string(tiles) + "-" + std::to_string(cols) + "x" + std::to_string(rows);
    auto it = projects_.find(key);
    if (it != projects_.end()) return it->second;
    const std::string file = dir_ + "/project" + key + ".qvp";
    qv::TQVData lib, plan, mosaic;
    lib.Open(Library(tiles));
    lib.CreateProject(file, PhotoLikePicture(cols * 8, rows * 8, 424242), {}, qv::Size{cols, rows});
    plan.OpenProject(file, mosaic);
    for (int32_t n = 1; n <= mosaic.Count; ++n) {
      plan.Go(n);
      mosaic.RestoreCellFromPlan(n, plan);
    }
    mosaic.CompactSections();
    plan.SaveProject(file, mosaic, lib);
    return projects_[key] = file;
  }

 private:
  BenchFiles() {
    dir_ = (std::filesystem::temp_directory_path() / ("qvbench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(dir_);
  }
  std::string dir_;
  std::map<int, std::string> libraries_;
  std::map<std::string, std::string> projects_;
};

// A way to search, by number, for benchmark arguments: the options and the scan kernels
// (nullptr: the best the processor has).
struct SearchMode {
  qv::TTileSearchOptions Options;
  const qv::TileSearchKernels* Kernels = nullptr;
};

inline SearchMode SearchModeFor(int64_t mode, std::string& label) {
  const qv::TileSearchKernels* portable = &qv::TileSearchKernelChoice().Portable();
  const qv::TileSearchKernels* avx2 = qv::Avx2TileSearchKernels();
  switch (mode) {
    case 0:
      label = "plain scan";
      return {{false, false, false}, portable};
    case 1:
      label = "packed, portable, no cut-off";
      return {{true, false, false}, portable};
    case 2:
      label = "packed, portable, cut-off and bound";
      return {{true, true, true}, portable};
    case 3:
      label = "packed, AVX2, no cut-off";
      return {{true, false, false}, avx2};
    case 4:
      label = "packed, AVX2, cut-off";
      return {{true, true, false}, avx2};
    default:
      label = "packed, AVX2, cut-off and bound";
      return {{true, true, true}, avx2};
  }
}

}  // namespace qvbench
