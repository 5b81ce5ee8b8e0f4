// The erase pass (see CellErasing.h).
#include "models/CellErasing.h"

#include "engine/QVData.h"

namespace qv {

bool EraseCell(TQVData& plan, TQVData& mosaic, int32_t cell) {
  if (cell < 1 || cell > mosaic.Count || cell > plan.Count) return false;
  if (mosaic.RecordTileNo(cell) == 0) return false;
  plan.GoRecord(cell);
  return mosaic.RestoreCellFromPlan(cell, plan);
}

TEraseResult EraseCells(TQVData& plan, TQVData& mosaic, const TWorkArea& area, TErasePattern pattern, bool fixCustom,
                        const TEraseHooks& hooks) {
  TEraseResult result;
  auto stop = [&] { return hooks.StopRequested && hooks.StopRequested(); };
  if (area.CellCount() == 0) return result;
  const TCellRect b = area.Bounds();
  for (int32_t r = b.Top; r <= b.Bottom; ++r) {
    for (int32_t c = b.Left; c <= b.Right; ++c) {
      if (!area.Contains(c, r)) continue;
      const int32_t n = CellToRow(r, c, area.Cols());
      plan.GoRecord(n);
      mosaic.GoRecord(n);
      if (fixCustom && IsCustomTile(mosaic.TileNo)) continue;
      if (!PatternSelects(pattern, c, r)) continue;
      if (hooks.BeforeErase) hooks.BeforeErase(n);
      if (EraseCell(plan, mosaic, n)) {
        ++result.Erased;
        if (hooks.OnCellErased) hooks.OnCellErased(n, c, r);
      }
      if (hooks.ProcessMessages) hooks.ProcessMessages();
      if (stop()) break;
    }
    if (hooks.OnRowDone) hooks.OnRowDone();
    if (stop()) {
      result.Stopped = true;
      break;
    }
  }
  return result;
}

}  // namespace qv
