#pragma once
// The arithmetic of the manual tiles window, Qt-free: the lines of the custom page's ranked
// cell list, the size a custom tile is kept at, and the placement of one tile of a forced
// library at the free cell of the work area whose source part it suits best.
#include <cstdint>
#include <functional>
#include <string>

#include "raster/Bitmap24.h"

namespace qv {

class TQVData;

// One line of the ranked cell list: Format("%.3d  %.3d  (%.3d)") of col + 1, row + 1 and the
// rank (col and row 0-based).
std::string CellRankLine(int32_t col, int32_t row, int32_t rank);

// The size a custom tile cut of width x height is kept at in the mosaic: fitted into the
// library's thumbnail box (its proportions kept), never enlarged. The mosaic stores the tile
// as the cell's thumbnail; the output reads the picture file itself.
void CustomTileSize(int32_t width, int32_t height, int32_t thumbWidth, int32_t thumbHeight, int32_t& outWidth,
                    int32_t& outHeight);

// The cell a forced tile goes to: orders the plan by picture (the tile's thumbnail), walks
// that order from the best cell and takes the first cell that lies in the work area and holds
// no custom or forced tile yet (IsCustomTile). The plan's order is
// cleared afterwards. Returns the cell's record number, 0 when no cell is free.
int32_t BestFreeCell(TQVData& plan, const TQVData& mosaic, const Bitmap24& picture,
                     const std::function<bool(int32_t cell)>& inWorkArea);

// Writes the forced library's current record into mosaic cell: its thumbnail, kCustomPictureTileNo,
// its six picture values and its name. False when nothing was written.
bool PlaceForcedTile(TQVData& mosaic, int32_t cell, const TQVData& forced);

}  // namespace qv
