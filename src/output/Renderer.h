#pragma once
// The mosaic renderer: walks a rectangle of grid cells row by row, builds one picture per
// cell at its output size (scaling, sharpening, colour correction, blending, empty cells,
// missing tile files) and hands the cell pictures, in order, to a writer.
//
// Cells are composed on a pool of worker threads a few cells ahead of the writer; the writer
// always receives them in cell order, and progress, stop and the tile-not-found question
// behave as in a one-cell-at-a-time run (questions are asked on the calling thread, after
// every earlier cell has been handed over). The output does not depend on the thread count.
//
// Records are read by number; the tables' cursors are not moved. The mosaic's ShowThumbs is
// switched on for the run and restored afterwards. Thumbnails are decoded once per distinct
// thumbnail per run, and stretched to a cell size and sharpened once per thumbnail and cell
// size (two bounded caches), so a cell that repeats a tile only adds its correction and blend;
// the source picture is decoded at most once per run.
#include <cstdint>
#include <functional>
#include <string>

#include "output/RenderSettings.h"
#include "raster/Bitmap24.h"

namespace qv {

// One finished cell handed to the writer.
struct RenderedCell {
  int32_t Col = 0, Row = 0;          // absolute grid position, 0-based
  int32_t AreaCol = 0, AreaRow = 0;  // position inside the render area
  int32_t X = 0, Y = 0;              // top left in the output picture, borders included
  int32_t Record = 0;                // record number in the mosaic and the plan
  std::string TileName;              // the tile's file name as stored ("" for an empty cell)
  bool Drawn = true;                 // false for a cell answered with "Cancel": Picture is empty
  Bitmap24 Picture;                  // exactly the cell's size
};

using CellSink = std::function<void(const RenderedCell& cell)>;

// How a writer treats cells whose tile picture file is missing.
struct MissingTilePolicy {
  // "Auto replace with source" may be answered (the wizard's writers hide it).
  bool OfferSourceAnswer = true;
  // With UseOriginals, an empty cell is asked about like a missing file instead of being
  // filled as an empty cell (the wizard's writers, the picture sequence).
  bool EmptyCellsAsMissing = false;
  // A replaced tile is its stored picture stretched to the cell without sharpening,
  // correction or blending (the picture sequence), instead of composed like any other cell.
  bool PlainReplacement = false;
};

struct RenderResult {
  bool Stopped = false;      // the stop flag ended the run (also after "Cancel")
  int64_t CellsDone = 0;     // cells handed to the writer (a "Cancel" cell included)
  std::string LastTileName;  // tile file name of the last cell handed over
};

// Renders the area. The cell picture's place is (BorderLeft + x0, BorderTop + y0) with
// x0 = Round(OutputWidth / Cols x c) over the area's columns, and likewise y0. Errors of the
// writer or of decoding the whole source picture end the run as exceptions; cells already
// handed over stay written.
RenderResult RenderCells(const RenderSource& source, const RenderSettings& settings, const RenderArea& area,
                         const RenderCallbacks& callbacks, const CellSink& sink,
                         const MissingTilePolicy& policy = MissingTilePolicy());

// A cell's rectangle in the mosaic area (borders excluded) and its region of the source
// picture.
Rect CellRectInArea(const RenderSettings& settings, const RenderArea& area, int32_t areaCol, int32_t areaRow);
Rect CellSourceRegion(const RenderSource& source, int32_t col, int32_t row);

}  // namespace qv
