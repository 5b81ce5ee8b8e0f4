#pragma once
// Mosaics made in code for the output tests: a mosaic table and a plan table written
// through the engine's work files and opened again, with the project values set by hand.
#include <memory>
#include <string>
#include <vector>

#include "base/Geometry.h"
#include "codecs/JpegCodec.h"
#include "engine/QVData.h"
#include "output/RenderSettings.h"
#include "raster/Bitmap24.h"
#include "support/TestFiles.h"

namespace qvtest {

// One cell of a test mosaic.
struct TestCell {
  std::string Name;    // tile file name ("" = empty cell)
  qv::Bitmap24 Thumb;  // stored picture; empty = no thumbnail
  qv::Rect Crop{0, 0, 1, 1};
  uint8_t Target[3] = {128, 128, 128};  // the plan's colour of the cell (B, G, R)
  uint8_t Blank[3] = {90, 90, 90};      // the mosaic record's colour grid (B, G, R)
};

inline qv::Bitmap24 SolidPicture(int w, int h, uint8_t b, uint8_t g, uint8_t r) {
  qv::Bitmap24 bmp;
  bmp.SetSize(w, h, b, g, r);
  return bmp;
}

// Writes a table of the cells (2 x 2 RGB signature grid) and opens it.
inline void MakeTable(qv::TQVData& t, const std::string& path, const std::vector<TestCell>& cells, bool plan) {
  qv::TQVData w;
  qv::TBuildSettings settings;  // 2 x 2 RGB signatures of 4 : 3 tiles
  settings.GridW = settings.GridH = 2;
  settings.PropY = 3;
  settings.ColorSystem = qv::kColorRGB;
  w.OpenWorkFiles(settings);
  for (const TestCell& c : cells) {
    qv::SignatureBytes sig(12);
    const uint8_t* col = plan ? c.Target : c.Blank;
    for (size_t i = 0; i < sig.size(); ++i) sig[i] = col[i % 3];
    qv::TTileInfo info;
    info.PicWidth = 1000;
    info.PicHeight = 1000;
    info.CropLeft = uint16_t(c.Crop.Left);
    info.CropTop = uint16_t(c.Crop.Top);
    info.CropRight = uint16_t(c.Crop.Right);
    info.CropBottom = uint16_t(c.Crop.Bottom);
    info.Name = plan ? "  " : c.Name;
    std::string jpeg;
    if (!plan && !c.Thumb.Empty()) jpeg = qv::EncodeJpeg(c.Thumb, 95);
    w.AppendWorkRecord(0, sig.data(), info, jpeg.empty() ? nullptr : &jpeg, true);
    ++w.AddedCount;
  }
  w.WriteLibraryFile(path);
  t.Open(path, 0);
}

// A mosaic of cols x rows cells (row by row) with its plan.
struct TestMosaic {
  TempDir Dir;
  qv::TQVData Mosaic;
  qv::TQVData Plan;

  TestMosaic(int cols, int rows, const std::vector<TestCell>& cells, const std::string& sourceFile = "",
             qv::Rect sourceRect = qv::Rect{0, 0, 400, 300}) {
    MakeTable(Mosaic, Dir.File("mosaic.qv2"), cells, false);
    MakeTable(Plan, Dir.File("plan.qv2"), cells, true);
    Plan.Cols = Mosaic.Cols = cols;
    Plan.Rows = Mosaic.Rows = rows;
    Plan.SourceFileName = sourceFile;
    Plan.SourceRect = sourceRect;
  }
  qv::RenderSource Source() { return qv::RenderSourceFromProject(Mosaic, Plan); }
};

// cols x rows cells whose stored pictures are solid colours differing per cell.
inline std::vector<TestCell> ColouredCells(int count, const std::string& namePrefix = "/nowhere/tile") {
  std::vector<TestCell> cells(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    TestCell& c = cells[size_t(i)];
    c.Name = namePrefix + std::to_string(i % 5) + ".jpg";
    c.Thumb = SolidPicture(16, 12, uint8_t(40 * (i % 6)), uint8_t(255 - 30 * (i % 7)), uint8_t(20 * (i % 11)));
    c.Crop = qv::Rect{0, 0, 40, 30};
    c.Target[0] = uint8_t(10 * i);
    c.Target[1] = 128;
    c.Target[2] = uint8_t(250 - 5 * i);
  }
  return cells;
}

}  // namespace qvtest
