#pragma once
// The main window's view of the manual tiles window, which the manual layer installs
// (InstallManualTilesCommands): the main window keeps it informed of the current grid cell and
// lets it fill that cell when the user presses Enter or double-clicks the grid.
#include <cstdint>

namespace qv {

// The pages of the manual tiles window, in tab order.
enum class TManualPage { LibraryTiles, CustomTiles, ForcedTiles };

class TManualTilesWindow {
 public:
  virtual ~TManualTilesWindow() = default;
  // Whether the window is shown (it is created once and hidden by "Close").
  virtual bool IsShown() const = 0;
  virtual TManualPage Page() const = 0;
  // Grid cell (col, row) became current while the window is shown on the "Library tiles" or
  // "Custom tiles" page: the window takes it as its target cell, shows the cell's tile and
  // status, and lists the best candidates for it.
  virtual void CellSelected(int32_t col, int32_t row) = 0;
  // Places the window's choice into mosaic record cellNumber: on "Library tiles" the tile of
  // the candidate list's current row, on "Custom tiles" the custom tile as cut (nothing
  // without a picture). True when the cell changed. The caller repaints the cell and records
  // the edit for undo.
  virtual bool ReplaceCell(int32_t cellNumber) = 0;
};

}  // namespace qv
