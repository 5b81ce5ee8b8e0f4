#pragma once
// Tables with hand-picked signatures for the search, placement and composition tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "support/TestFiles.h"

namespace qvtest {

// A library of one record per signature (status from statuses, 0 when not given), written
// through the work files: names "tile<k>", an 8 x 8 thumbnail each, colour system RGB unless
// told otherwise.
inline void WriteLibraryOfSignatures(const std::string& path, const std::vector<qv::SignatureBytes>& sigs, int gridW,
                                     int gridH, const std::vector<uint8_t>& statuses = {},
                                     uint8_t colorSystem = qv::kColorRGB) {
  qv::TQVData t;
  t.OpenWorkFiles(TableSettings(gridW, gridH, colorSystem));
  for (size_t i = 0; i < sigs.size(); ++i) {
    qv::TTileInfo info;
    info.PicWidth = 100;
    info.PicHeight = 80;
    info.CropLeft = 1;
    info.CropTop = 2;
    info.CropRight = uint16_t(30 + i);
    info.CropBottom = 40;
    info.Name = "tile" + std::to_string(i + 1);
    const std::string jpeg = qv::EncodeJpeg(DrawTestPicture(8, 8, uint32_t(i + 1)), 75);
    t.AppendWorkRecord(i < statuses.size() ? statuses[i] : 0, sigs[i].data(), info, &jpeg, true);
    ++t.AddedCount;
  }
  t.WriteLibraryFile(path);
}

// One-cell (1 x 1 grid) signatures: the three bytes all v.
inline std::vector<qv::SignatureBytes> GreySignatures(const std::vector<int>& values) {
  std::vector<qv::SignatureBytes> out;
  for (int v : values) out.push_back(qv::SignatureBytes(3, uint8_t(v)));
  return out;
}

// Composition and optimising tests: a library of random 2 x 2 signatures and a project over
// a test picture, both opened, in files of a folder of the test's own.
class RandomProjectTest : public ::testing::Test {
 protected:
  // `tiles` signatures drawn from sigSeed (statuses as given) in colorSystem, a project of
  // cols x rows cells over a picture drawn from pictureSeed; each call writes new files.
  void OpenRandomProject(int tiles, int32_t cols, int32_t rows, uint32_t sigSeed, uint32_t pictureSeed,
                         const std::vector<uint8_t>& statuses, uint8_t colorSystem = qv::kColorRGB) {
    std::mt19937 rng(sigSeed);
    std::vector<qv::SignatureBytes> sigs;
    for (int k = 0; k < tiles; ++k) {
      qv::SignatureBytes s(12);
      for (auto& b : s) b = uint8_t(rng());
      sigs.push_back(s);
    }
    const std::string libFile = dir_.File("lib" + std::to_string(++files_) + ".qv2");
    WriteLibraryOfSignatures(libFile, sigs, 2, 2, statuses, colorSystem);
    ASSERT_TRUE(lib_.Open(libFile));
    lib_.ShowThumbs = true;
    const std::string file = dir_.File("p" + std::to_string(files_) + ".qvp");
    lib_.CreateProject(file, DrawTestPicture(cols * 8, rows * 8, pictureSeed), {}, qv::Size{cols, rows});
    ASSERT_TRUE(plan_.OpenProject(file, mosaic_));
  }

  // The tile number of every cell, in cell order.
  std::vector<int32_t> Cells() const {
    std::vector<int32_t> out;
    for (int32_t n = 1; n <= mosaic_.Count; ++n) out.push_back(mosaic_.RecordTileNo(n));
    return out;
  }

  TempDir dir_;
  int files_ = 0;
  qv::TQVData lib_, plan_, mosaic_;
};

}  // namespace qvtest
