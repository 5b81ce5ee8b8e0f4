#include "models/ZoomModel.h"

#include <algorithm>

#include "base/Rounding.h"
#include "imaging/RasterUtils.h"

namespace qv {

int ClampZoomPosition(int position) { return std::clamp(position, kZoomMin, kZoomMax); }

int ZoomInPosition(int position) { return ClampZoomPosition(RoundHalfEven(position * 1.2)); }

int ZoomOutPosition(int position) { return ClampZoomPosition(RoundHalfEven(position * 0.8)); }

int CellHeightFor(int width, int32_t propX, int32_t propY) {
  if (propX <= 0 || propY <= 0) return width;
  return RoundHalfEven(double(propY) / double(propX) * width);
}

bool DetailsShownAt(int cellWidth, int32_t gridW) { return int64_t(gridW) * 2 < cellWidth; }

TZoomStep ZoomPositionChange(int position, int currentCellWidth, int32_t gridW, int32_t propX, int32_t propY) {
  TZoomStep step;
  if (position == currentCellWidth) return step;
  step.Changed = true;
  step.ShowThumbs = DetailsShownAt(currentCellWidth, gridW);
  step.Cell = {position, CellHeightFor(position, propX, propY)};
  return step;
}

TCellSize FitToWindowCells(int32_t cols, int32_t rows, int32_t propX, int32_t propY, int boxW, int boxH,
                           int lineWidth) {
  if (cols <= 0 || rows <= 0) return {};
  const Rect content{0, 0, cols * propX, rows * propY};
  const Rect box{0, 0, boxW - lineWidth * cols, boxH - lineWidth * rows};
  if (content.Width() <= 0 || content.Height() <= 0 || box.Width() <= 0 || box.Height() <= 0) return {};
  Rect fitted = FitRectKeepAspect(content, box);
  // Rounded up, the cells would overflow the box by up to half a cell per column or row and
  // bring up scroll bars: then the cell size is the one that still fits.
  auto cellLength = [](int fittedLength, int32_t count, int room) {
    int length = RoundHalfEven(double(fittedLength) / count);
    if (int64_t(length) * count > room) length = fittedLength / count;
    return length;
  };
  return {cellLength(fitted.Width(), cols, box.Width()), cellLength(fitted.Height(), rows, box.Height())};
}

TCellSize FitToSelectionCells(int32_t selCols, int32_t selRows, int32_t propX, int32_t propY, int boxW, int boxH,
                              int lineWidth) {
  if (selCols <= 0 || selRows <= 0 || propX <= 0 || propY <= 0) return {};
  const int w = boxW - lineWidth * selCols;
  const int h = boxH - lineWidth * selRows;
  if (w <= 0 || h <= 0) return {};
  TCellSize cell;
  cell.Width = RoundHalfEven(double(w) / selCols);
  cell.Height = RoundHalfEven(double(cell.Width) / propX * propY);
  if (int64_t(selRows) * cell.Height > h) {
    cell.Height = RoundHalfEven(double(h) / selRows);
    cell.Width = RoundHalfEven(double(cell.Height) * propX / propY);
  }
  return cell;
}

}  // namespace qv
