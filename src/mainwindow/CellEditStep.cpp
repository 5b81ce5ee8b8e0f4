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
      : QUndoCommand(text), form_(form), changes_(std::move(changes)) {
    bytes_ = sizeof *this + changes_.capacity() * sizeof(TCellChange);
    for (const TCellChange& c : changes_) bytes_ += HeldBytes(c.Before) + HeldBytes(c.After);
  }

  size_t Bytes() const { return bytes_; }
  // Gives the changes to a new command that takes this one's place; this one is deleted next.
  std::vector<TCellChange> TakeChanges() { return std::move(changes_); }

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
  static size_t HeldBytes(const TCellRecord& r) {
    return r.Signature.capacity() + r.Info.Name.capacity() + r.ThumbJpeg.capacity();
  }
  TForm1& form_;
  std::vector<TCellChange> changes_;
  size_t bytes_ = 0;
  bool first_ = true;
};

// Drops the oldest steps while the steps hold more than the window's UndoMemoryLimit, keeping
// the newest. Called right after a push, so there is nothing to redo. QUndoStack removes
// steps from the bottom only through its step limit, which it takes on an empty stack alone:
// the steps that stay are moved into new commands, the stack is cleared and they go back in
// their order, without being done again (the mosaic keeps its state throughout).
void KeepUndoWithinMemory(TForm1& form) {
  QUndoStack& stack = form.UndoStack();
  const int count = stack.count();
  if (count < 2 || stack.index() != count) return;
  size_t held = 0;
  int keepFrom = count;
  for (int i = count - 1; i >= 0; --i) {
    const auto* step = dynamic_cast<const TCellEditCommand*>(stack.command(i));
    if (!step) return;
    if (i < count - 1 && held + step->Bytes() > form.UndoMemoryLimit) break;
    held += step->Bytes();
    keepFrom = i;
  }
  if (keepFrom == 0) return;
  struct TKept {
    QString Text;
    std::vector<TCellEditCommand::TCellChange> Changes;
  };
  std::vector<TKept> kept;
  for (int i = keepFrom; i < count; ++i) {
    // The stack hands its commands out as const; they are ours, made here, and about to go.
    auto* step = const_cast<TCellEditCommand*>(static_cast<const TCellEditCommand*>(stack.command(i)));
    kept.push_back({step->text(), step->TakeChanges()});
  }
  stack.clear();
  for (TKept& k : kept) stack.push(new TCellEditCommand(form, k.Text, std::move(k.Changes)));
}

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
  KeepUndoWithinMemory(form_);
}

}  // namespace qv
