#pragma once
// Pictures and libraries made in code for the engine tests.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/FileUtil.h"
#include "codecs/JpegCodec.h"
#include "engine/QVData.h"
#include "raster/Bitmap24.h"

namespace qvtest {

// A picture with a colour gradient and a few blocks, different for every seed.
inline qv::Bitmap24 DrawTestPicture(int w, int h, uint32_t seed) {
  qv::Bitmap24 b(w, h);
  uint32_t s = seed * 2654435761u + 12345u;
  auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return s >> 8;
  };
  int r0 = int(next() % 256), g0 = int(next() % 256), b0 = int(next() % 256);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = b.Pixel(x, y);
      p[0] = uint8_t((b0 + x * 255 / w) & 255);
      p[1] = uint8_t((g0 + y * 255 / h) & 255);
      p[2] = uint8_t((r0 + (x + y) * 128 / (w + h)) & 255);
    }
  for (int k = 0; k < 4; ++k) {
    int bx = int(next() % unsigned(w)), by = int(next() % unsigned(h));
    int bw = 1 + int(next() % unsigned(w / 3 + 1)), bh = 1 + int(next() % unsigned(h / 3 + 1));
    uint8_t c[3] = {uint8_t(next()), uint8_t(next()), uint8_t(next())};
    for (int y = by; y < std::min(h, by + bh); ++y)
      for (int x = bx; x < std::min(w, bx + bw); ++x) {
        uint8_t* p = b.Pixel(x, y);
        p[0] = c[0];
        p[1] = c[1];
        p[2] = c[2];
      }
  }
  return b;
}

// What must not change when an Open fails: sections, counts, grid, current record.
struct TableSnapshot {
  std::string baseName, text, data, thumb, name;
  int32_t count, unflipped, sigSize, gridW, gridH, recNo;
  uint8_t flips[3];

  explicit TableSnapshot(const qv::TQVData& t)
      : baseName(t.BaseName()),
        text(reinterpret_cast<const char*>(t.TextSection.Data()), size_t(t.TextSection.Size())),
        data(reinterpret_cast<const char*>(t.DataSection.Data()), size_t(t.DataSection.Size())),
        thumb(t.ThumbSection.ReadString(0, t.ThumbSection.Size())),
        name(t.Name),
        count(t.Count),
        unflipped(t.UnflippedCount),
        sigSize(t.SigSize),
        gridW(t.GridW),
        gridH(t.GridH),
        recNo(t.RecNo),
        flips{t.FlipKinds[0], t.FlipKinds[1], t.FlipKinds[2]} {}

  bool operator==(const TableSnapshot& o) const {
    return baseName == o.baseName && text == o.text && data == o.data && thumb == o.thumb && name == o.name &&
           count == o.count && unflipped == o.unflipped && sigSize == o.sigSize && gridW == o.gridW &&
           gridH == o.gridH && recNo == o.recNo && std::equal(flips, flips + 3, o.flips);
  }
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

inline void WriteTestJpeg(const std::string& path, int w, int h, uint32_t seed) {
  qv::SaveJpegFile(path, DrawTestPicture(w, h, seed), 90);
}

inline std::string FileBytes(const std::string& path) { return qv::ReadWholeFile(path); }

// Build settings of a new library as the new library dialog sets them (the defaults), over
// the JPEG files below root.
inline qv::TBuildSettings NewLibrarySettings(const std::string& root) {
  qv::TBuildSettings s;
  s.RootFolder = root;
  s.PictureExtensions = "*.JPG*.JPEG";
  return s;
}

// Settings for a table written by hand through the work files.
inline qv::TBuildSettings TableSettings(int gridW, int gridH, uint8_t colorSystem) {
  qv::TBuildSettings s;
  s.GridW = gridW;
  s.GridH = gridH;
  s.ColorSystem = colorSystem;
  return s;
}

// A library written through the work files, with made-up signatures and small thumbnails;
// needs no picture files. Record k (1-based) has the name "tile<k>", picture 100+k x 50+k,
// crop (1, 2, 30+k, 40+k); thumbnails of the given records are left out (offset 0).
inline void WriteSyntheticLibrary(const std::string& path, int count, int gridW = 6, int gridH = 6,
                                  const std::vector<int>& withoutThumb = {}) {
  qv::TQVData t;
  t.OpenWorkFiles(TableSettings(gridW, gridH, qv::kColorRGB));
  for (int k = 1; k <= count; ++k) {
    qv::SignatureBytes sig(size_t(gridW) * gridH * 3);
    for (size_t i = 0; i < sig.size(); ++i) sig[i] = uint8_t(k * 37 + i * 11);
    qv::TTileInfo info;
    info.PicWidth = uint16_t(100 + k);
    info.PicHeight = uint16_t(50 + k);
    info.CropLeft = 1;
    info.CropTop = 2;
    info.CropRight = uint16_t(30 + k);
    info.CropBottom = uint16_t(40 + k);
    info.Name = "tile" + std::to_string(k);
    std::string jpeg = qv::EncodeJpeg(DrawTestPicture(8, 8, uint32_t(k)), 75);
    bool thumb = std::find(withoutThumb.begin(), withoutThumb.end(), k) == withoutThumb.end();
    t.AppendWorkRecord(0, sig.data(), info, thumb ? &jpeg : nullptr, true);
    ++t.AddedCount;
  }
  t.WriteLibraryFile(path);
}

}  // namespace qvtest
