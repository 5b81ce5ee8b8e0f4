// TCellEditStep and the undo command it pushes (see CellEditStep.h).
#include "mainwindow/CellEditStep.h"

#include <QUndoCommand>
#include <QUndoStack>
#include <utility>
#include <vector>

#include "mainwindow/MainForm.h"

namespace qv {
namespace {

class TCellEditCommand : public QUndoCommand {
 public:
  struct TCellChange {
    int32_t Cell;
    TCellRecord Before;
    TCellRecord After;
  };
  TCellEditCommand(TForm1& form, const QString& text, std::vector<TCellChange> changes)
      : QUndoCommand(text), form_(form), changes_(std::move(changes)) {}

  void undo() override {
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it)
      form_.QVMosaic1.WriteCellRecord(it->Cell, it->Before);
    Repaint();
  }
  void redo() override {
    // The edit itself made the changes before the command was pushed.
    if (first_) {
      first_ = false;
      return;
    }
    for (const TCellChange& c : changes_) form_.QVMosaic1.WriteCellRecord(c.Cell, c.After);
    Repaint();
  }

 private:
  void Repaint() {
    std::vector<int32_t> cells;
    cells.reserve(changes_.size());
    for (const TCellChange& c : changes_) cells.push_back(c.Cell);
    form_.CellsRestored(cells);
  }
  TForm1& form_;
  std::vector<TCellChange> changes_;
  bool first_ = true;
};

}  // namespace

TCellEditStep::TCellEditStep(TForm1& form, const QString& text) : form_(form), text_(text) {}

TCellEditStep::~TCellEditStep() {
  if (committed_) return;
  try {
    Commit();
  } catch (...) {
    // The error that ended the command is reported by its caller; a step that cannot be
    // recorded is lost, the mosaic keeps its changes.
  }
}

void TCellEditStep::Touch(int32_t cellNumber) {
  TQVData& mosaic = form_.QVMosaic1;
  if (committed_ || cellNumber < 1 || cellNumber > mosaic.Count || before_.count(cellNumber)) return;
  before_.emplace(cellNumber, mosaic.CellRecord(cellNumber));
}

void TCellEditStep::Commit() {
  if (committed_) return;
  committed_ = true;
  TQVData& mosaic = form_.QVMosaic1;
  std::vector<TCellEditCommand::TCellChange> changes;
  for (auto& [cell, before] : before_) {
    if (cell > mosaic.Count) continue;
    TCellRecord after = mosaic.CellRecord(cell);
    if (SameCellContent(before, after)) continue;
    changes.push_back({cell, std::move(before), std::move(after)});
  }
  before_.clear();
  if (changes.empty()) return;
  form_.UndoStack().push(new TCellEditCommand(form_, text_, std::move(changes)));
}

}  // namespace qv
