#pragma once
// Tables with hand-picked signatures for the search, placement and composition tests.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"

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

}  // namespace qvtest
