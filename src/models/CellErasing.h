#pragma once
// The erase pass of "Erase selection" and the special erasings: every cell of a work area
// that the pattern selects goes back to the plan's picture, row by row from the top, each
// row from the left. The window locks itself, steps its progress bar and repaints in the
// hooks; every hook may be left empty.
#include <cstdint>
#include <functional>

#include "models/CellSelection.h"

namespace qv {

class TQVData;

struct TEraseHooks {
  // Before a cell is erased (the undo step records it).
  std::function<void(int32_t cell)> BeforeErase;
  // After a cell changed.
  std::function<void(int32_t cell, int32_t col, int32_t row)> OnCellErased;
  // After every cell of the work area (pending window messages).
  std::function<void()> ProcessMessages;
  // After every row of the work area's bounds.
  std::function<void()> OnRowDone;
  std::function<bool()> StopRequested;
};

struct TEraseResult {
  int32_t Erased = 0;  // cells that changed
  bool Stopped = false;
};

// Erases mosaic cell n: moves the plan to record n and restores the cell from it. A cell that
// is already empty (tile id 0: it shows the plan's picture) is left as it is, so erasing it
// changes nothing, marks nothing modified and paints nothing. True when the cell changed.
bool EraseCell(TQVData& plan, TQVData& mosaic, int32_t cell);

// Erases the cells of area that pattern selects; with fixCustom, cells holding a custom
// picture stay. A stop ends the row at once and the pass after it; cells erased so far stay
// erased. Plan and mosaic must be open with the grid of the area.
TEraseResult EraseCells(TQVData& plan, TQVData& mosaic, const TWorkArea& area, TErasePattern pattern, bool fixCustom,
                        const TEraseHooks& hooks = {});

}  // namespace qv
