#pragma once
// The arithmetic of the mosaic grid's zoom: the wanted cell width is a position between
// kZoomMin and kZoomMax, every zoom command computes a new position, and a change of position
// resizes the cells with the tile proportion. The window (TMosaicView) applies the results to
// the grid; everything here is plain integer and real arithmetic without a window.
#include <cstdint>

namespace qv {

constexpr int kZoomMin = 5;
constexpr int kZoomMax = 100;
constexpr int kZoomInitial = 32;

struct TCellSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const TCellSize&) const = default;
};

// The position the zoom slider takes for a wanted value: clamped to kZoomMin..kZoomMax.
int ClampZoomPosition(int position);

// "Zoom In" and "Zoom Out": Round(position x 1.2) and Round(position x 0.8), clamped.
int ZoomInPosition(int position);
int ZoomOutPosition(int position);

// Cell height for a cell width with the tile proportion propX : propY:
// Round(propY / propX x width). A proportion without width keeps the cell square.
int CellHeightFor(int width, int32_t propX, int32_t propY);

// Whether the cells show tile thumbnails rather than signature grids at a cell width: only
// when the signature grid is drawn more than twice enlarged (gridW x 2 < cellWidth).
bool DetailsShownAt(int cellWidth, int32_t gridW);

// What a change of the zoom position does, deciding the details from the width before the
// change. Changed is false when the position already equals the cell width; then nothing
// else is set.
struct TZoomStep {
  bool Changed = false;
  bool ShowThumbs = false;
  TCellSize Cell;
};
TZoomStep ZoomPositionChange(int position, int currentCellWidth, int32_t gridW, int32_t propX, int32_t propY);

// "Fit to window": cols x rows cells of proportion propX : propY fitted, keeping the aspect,
// into a box of boxW x boxH pixels less one grid line per column and per row; each cell is
// the fitted size divided by the cell count, rounded, or truncated where the rounded size
// would not fit the box (scroll bars on a fitted mosaic). The result may lie outside the zoom
// range (the slider clamps it afterwards). A grid or box without area gives {0, 0}.
TCellSize FitToWindowCells(int32_t cols, int32_t rows, int32_t propX, int32_t propY, int boxW, int boxH, int lineWidth);

// "Fit to selection": selCols x selRows cells into a box of boxW x boxH pixels less one grid
// line per selected column and row. The width comes from the box width; when the rows then
// do not fit the box height, the height comes from the box height and the width from the
// proportion. {0, 0} for an empty selection or box.
TCellSize FitToSelectionCells(int32_t selCols, int32_t selRows, int32_t propX, int32_t propY, int boxW, int boxH,
                              int lineWidth);

}  // namespace qv
