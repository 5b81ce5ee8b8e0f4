#include "models/ManualTiles.h"

#include <algorithm>
#include <cstdio>

#include "base/Rounding.h"
#include "engine/QVData.h"
#include "models/CellSelection.h"

namespace qv {

std::string CellRankLine(int32_t col, int32_t row, int32_t rank) {
  char line[64];
  std::snprintf(line, sizeof line, "%.3d  %.3d  (%.3d)", col + 1, row + 1, rank);
  return line;
}

void CustomTileSize(int32_t width, int32_t height, int32_t thumbWidth, int32_t thumbHeight, int32_t& outWidth,
                    int32_t& outHeight) {
  outWidth = width;
  outHeight = height;
  if (width < 1 || height < 1 || thumbWidth < 1 || thumbHeight < 1) return;
  if (width <= thumbWidth && height <= thumbHeight) return;
  const double scale = std::min(double(thumbWidth) / width, double(thumbHeight) / height);
  outWidth = std::max<int32_t>(1, RoundHalfEven(width * scale));
  outHeight = std::max<int32_t>(1, RoundHalfEven(height * scale));
}

int32_t BestFreeCell(TQVData& plan, const TQVData& mosaic, const Bitmap24& picture,
                     const std::function<bool(int32_t cell)>& inWorkArea) {
  if (picture.Empty()) return 0;
  int32_t found = 0;
  try {
    plan.OrderByPicture(picture);
    for (int32_t k = 0; k < plan.OrderCount && found == 0; ++k) {
      const int32_t cell = plan.RecordNumberAt(plan.OrderEntrySlot(k));
      if (cell < 1 || cell > mosaic.Count) continue;
      if (IsCustomTile(mosaic.RecordTileNo(cell)) || !inWorkArea(cell)) continue;
      found = cell;
    }
  } catch (...) {
    plan.ClearOrder();
    throw;
  }
  plan.ClearOrder();
  return found;
}

bool PlaceForcedTile(TQVData& mosaic, int32_t cell, const TQVData& forced) {
  const TPictureValues values{forced.PicWidth, forced.PicHeight, forced.CropLeft,
                              forced.CropTop,  forced.CropRight, forced.CropBottom};
  return mosaic.PlaceCustomPicture(cell, forced.ThumbBitmap, kCustomPictureTileNo, values, forced.Name);
}

}  // namespace qv
