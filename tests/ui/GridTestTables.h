#pragma once
// A small hand-made project for the grid view tests: a plan and a mosaic of cols x rows
// cells opened from synthetic libraries, and a library to go with them.
#include <memory>
#include <string>

#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "support/TestFiles.h"

namespace qvtest {

struct GridTables {
  TempDir Dir;
  qv::TQVData Library;
  qv::TQVData Plan;
  qv::TQVData Mosaic;

  // Plan and mosaic hold the same synthetic records (6 x 6 RGB signatures, 8 x 8
  // thumbnails), so their cells start out equal; records in withoutThumb have no thumbnail.
  GridTables(int cols, int rows, const std::vector<int>& withoutThumb = {}) {
    const std::string lib = Dir.File("cells.qv2");
    WriteSyntheticLibrary(lib, cols * rows, 6, 6, withoutThumb);
    Library.Open(lib);
    Library.ShowThumbs = true;
    Library.GoRecord(1);
    Plan.Open(lib);
    Plan.Cols = Mosaic.Cols = cols;
    Plan.Rows = Mosaic.Rows = rows;
    Plan.ShowThumbs = false;
    Mosaic.Open(lib);
    Mosaic.ShowThumbs = true;
    Plan.GoRecord(1);
    Mosaic.GoRecord(1);
  }

  // Gives mosaic record n another signature (every byte v), leaving its thumbnail.
  void SetMosaicSignature(int n, uint8_t v) {
    std::vector<uint8_t> sig(size_t(Mosaic.SigSize), v);
    Mosaic.WriteSlot(n, Mosaic.RecordStatus(n), Mosaic.RecordTextOffset(n), sig.data());
  }
};

}  // namespace qvtest
