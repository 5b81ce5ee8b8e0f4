#pragma once
// TCellEditStep: one undoable edit of mosaic cells. A command makes a step named after itself,
// calls Touch for every cell before it changes that cell, and Commit at the end; the step then
// holds, for each touched cell that changed, its record before and after (TCellRecord: status,
// signature, tile id, the six picture values, name, cell row, detail and thumbnail, by value)
// and goes onto the main window's undo stack as one entry ("Undo Erase selection").
//
// Undo writes the earlier records back with the engine's WriteCellRecord, redo the later ones;
// either marks the mosaic modified and repaints the cells. The next composition reads the use
// of tiles from the cells' tile ids (FillUsedTiles), so they are restored with the cells.
//
// The steps on the stack hold no more than the window's UndoMemoryLimit together: a whole-grid
// command on a large mosaic keeps tens of megabytes, so the oldest steps are dropped when a
// new one would pass it (the newest is always kept, however large).
//
// A step whose cells did not change pushes nothing. A step that is never committed (an error
// left its command half-way) commits itself when it ends, so every change made so far can be
// undone.
#include <QString>
#include <cstdint>
#include <map>

#include "engine/QVData.h"

namespace qv {

class TForm1;

class TCellEditStep {  // one undoable edit of mosaic cells
 public:
  TCellEditStep(TForm1& form, const QString& text);  // "Erase selection", "Replace all"...
  ~TCellEditStep();
  TCellEditStep(const TCellEditStep&) = delete;
  TCellEditStep& operator=(const TCellEditStep&) = delete;

  void Touch(int32_t cellNumber);  // call before changing mosaic record cellNumber
  void Commit();                   // pushes one undo step if any touched cell changed

 private:
  TForm1& form_;
  QString text_;
  std::map<int32_t, TCellRecord> before_;  // by cell number
  bool committed_ = false;
};

}  // namespace qv
