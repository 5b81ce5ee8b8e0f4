// TForm1: cell selection and editing. The Edit menu's "Undo", "Redo", "Erase cell", "Select
// all", "Erase selection" and "Special erasing"; the grid's Enter, Delete and double click;
// the status texts that follow the current cell and the selection; the erase pass, which
// locks the window like a composition run. Every edit is one step on the undo stack.
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QProgressBar>
#include <QUndoStack>

#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "imaging/RasterUtils.h"
#include "mainwindow/CellEditStep.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/ManualTilesWindow.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Resources.h"
#include "models/CellErasing.h"
#include "settings/AppSettings.h"

namespace qv {

namespace {

// At most this many edits can be undone; each holds its cells' records twice.
constexpr int kUndoLimit = 100;

TCellRect ToCellRect(const TGridRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

}  // namespace

void TForm1::CreateEditCommands() {
  UndoStack1 = new QUndoStack(this);
  UndoStack1->setObjectName("UndoStack1");
  UndoStack1->setUndoLimit(kUndoLimit);
  connect(UndoStack1, &QUndoStack::indexChanged, this, [this] { UpdateEditCommands(); });

  // "Undo" and "Redo" come first, then the cell commands at their place.
  QAction* first = Edit1->actions().isEmpty() ? nullptr : Edit1->actions().first();
  auto make = [this](const char* name, const QString& caption, const QString& glyph, QKeySequence key) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    if (!glyph.isEmpty()) a->setIcon(GlyphIcon(glyph));
    a->setShortcut(key);
    return a;
  };
  Undo1 = make("Undo1", "Undo", "", QKeySequence(Qt::CTRL | Qt::Key_Z));
  Redo1 = make("Redo1", "Redo", "", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  connect(Undo1, &QAction::triggered, this, [this] {
    Guarded([this] {
      if (!mosaicRunning_) UndoStack1->undo();
    });
  });
  connect(Redo1, &QAction::triggered, this, [this] {
    Guarded([this] {
      if (!mosaicRunning_) UndoStack1->redo();
    });
  });
  Edit1->insertAction(first, Undo1);
  Edit1->insertAction(first, Redo1);
  Edit1->insertSeparator(first);

  auto command = [this](const char* name, const QString& caption, void (TForm1::*handler)()) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    AddMenuAction(TMenuPlace::EditCells, a);
    return a;
  };
  Erasecell1 = command("Erasecell1", "Erase cell", &TForm1::Erasecell1Click);
  Selectall1 = command("Selectall1", "Select all", &TForm1::SelectallGrid);
  Selectall1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
  Eraseselection1 = command("Eraseselection1", "Erase selection", &TForm1::Eraseselection1Click);
  Specialerasing1 = new QMenu("Special erasing", this);
  Specialerasing1->setObjectName("Specialerasing1");
  const std::pair<const char*, TErasePattern> patterns[] = {{"CheckBoard11", TErasePattern::CheckBoard1},
                                                            {"CheckBoard21", TErasePattern::CheckBoard2},
                                                            {"HLines1", TErasePattern::HLines},
                                                            {"VLines1", TErasePattern::VLines}};
  for (const auto& [name, pattern] : patterns) {
    QAction* a = Specialerasing1->addAction(ErasePatternCaption(pattern));
    a->setObjectName(name);
    const TErasePattern p = pattern;
    connect(a, &QAction::triggered, this, [this, p] { Guarded([this, p] { EraseSelection(p); }); });
  }
  AddMenuAction(TMenuPlace::EditCells, Specialerasing1->menuAction());
  ConnectGridEditing();
}

void TForm1::ConnectGridEditing() {
  connect(DrawGrid1, &TDrawGrid::SelectCell, this,
          [this](int c, int r) { Guarded([&] { DrawGrid1SelectCell(c, r); }); });
  connect(DrawGrid1, &TDrawGrid::MouseMovedOverGrid, this, [this] { SelectionStatus(); });
  connect(ChkInvertSelection, &QCheckBox::toggled, this, [this] { SelectionStatus(); });
  connect(DrawGrid1, &TDrawGrid::EnterPressed, this, [this] { Guarded([this] { Replacemanually(); }); });
  connect(DrawGrid1, &TDrawGrid::CellDoubleClicked, this, [this] { Guarded([this] { Replacemanually(); }); });
  connect(DrawGrid1, &TDrawGrid::DeletePressed, this, [this] { Guarded([this] { DeleteKeyInGrid(); }); });
  connect(DrawGrid1, &TDrawGrid::CellContextMenu, this, [this](int c, int r, const QPoint& at) {
    Guarded([&] {
      if (PrepareGridPopup(c, r)) ShowPopup(at);
    });
  });
  Panel1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Panel1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    if (mosaicRunning_) return;
    PrepareToolPanelPopup();
    ShowPopup(Panel1->mapToGlobal(pos));
  });
}

void TForm1::UpdateEditCommands() {
  if (!Undo1) return;
  const bool idle = !mosaicRunning_;
  Undo1->setEnabled(idle && UndoStack1->canUndo());
  Undo1->setText(UndoStack1->canUndo() ? "Undo " + UndoStack1->undoText() : QString("Undo"));
  Redo1->setEnabled(idle && UndoStack1->canRedo());
  Redo1->setText(UndoStack1->canRedo() ? "Redo " + UndoStack1->redoText() : QString("Redo"));
  const bool editable = idle && QVLib1.TableIsOpen() && QVPlan1.TableIsOpen() && QVMosaic1.TableIsOpen();
  Erasecell1->setEnabled(editable);
  Eraseselection1->setEnabled(editable);
  Specialerasing1->menuAction()->setEnabled(editable);
  for (QAction* a : Specialerasing1->actions()) a->setEnabled(editable);
  Selectall1->setEnabled(idle && QVPlan1.TableIsOpen());
}

void TForm1::ClearUndo() {
  if (UndoStack1) UndoStack1->clear();
}

void TForm1::CellsRestored(const std::vector<int32_t>& cells) {
  for (int32_t n : cells) MosaicView1->CellChanged(n, TGridDrawState{});
  if (QVMosaic1.TableIsOpen() && QVLib1.TableIsOpen() && QVPlan1.TableIsOpen())
    SetStatusText(2, FromCore(CellPictureText(
                         QVMosaic1.Name, QVMosaic1.PicWidth, QVMosaic1.PicHeight,
                         FlipCode(QVMosaic1.CropLeft, QVMosaic1.CropTop, QVMosaic1.CropRight, QVMosaic1.CropBottom))));
  SetButtonsOnOff();
}

void TForm1::PaintEditedCell(int32_t cellNumber) {
  TGridDrawState focused;
  focused.Focused = true;
  MosaicView1->CellChanged(cellNumber, focused);
}

// ---- Selection ----

void TForm1::SelectionStatus() {
  const std::string text = SelectionStatusText(ToCellRect(DrawGrid1->Selection()), ChkInvertSelection->isChecked());
  if (!text.empty()) SetStatusText(0, FromCore(text));
}

void TForm1::SelectallGrid() {
  DrawGrid1->SetSelection({0, 0, DrawGrid1->ColCount() - 1, DrawGrid1->RowCount() - 1});
  SelectionStatus();
}

void TForm1::SelectCurrent() {
  const int c = DrawGrid1->Col(), r = DrawGrid1->Row();
  DrawGrid1->SetSelection({c, r, c, r});
}

void TForm1::DrawGrid1SelectCell(int col, int row) {
  if (!QVLib1.TableIsOpen() || !QVPlan1.TableIsOpen() || mosaicRunning_) return;
  SetStatusText(0, FromCore(CellPositionText(col, row)));
  const int32_t n = MosaicView1->CellToRow(row, col);
  if (QVMosaic1.TableIsOpen()) {
    QVMosaic1.GoRecord(n);
    const TQVData& m = QVMosaic1;
    SetStatusText(2, FromCore(CellPictureText(m.Name, m.PicWidth, m.PicHeight,
                                              FlipCode(m.CropLeft, m.CropTop, m.CropRight, m.CropBottom))));
  } else {
    SetStatusText(2, LibrarySummary());
  }
  if (ManualWindow && ManualWindow->IsShown() && ManualWindow->Page() != TManualPage::ForcedTiles) {
    SetStatusText(1, kReplaceOrEraseHint);
    ManualWindow->CellSelected(col, row);
  } else {
    SetStatusText(1, kEraseHint);
  }
}

// ---- Editing ----

void TForm1::Erasecell1Click() {
  if (!QVLib1.TableIsOpen() || !QVPlan1.TableIsOpen() || !QVMosaic1.TableIsOpen() || mosaicRunning_) return;
  const int32_t n = MosaicView1->CellToRow(DrawGrid1->Row(), DrawGrid1->Col());
  TCellEditStep step(*this, "Erase cell");
  step.Touch(n);
  // "Fix custom" and "Fix auto" protect cells from passes, not from this command.
  if (EraseCell(QVPlan1, QVMosaic1, n)) PaintEditedCell(n);
  step.Commit();
  SetButtonsOnOff();
}

void TForm1::DeleteKeyInGrid() {
  if (DrawGrid1->Selection().IsOneCell())
    Erasecell1Click();
  else
    Eraseselection1Click();
  DrawGrid1->setFocus();
}

void TForm1::EraseSelection(TErasePattern pattern) {
  if (!QVPlan1.TableIsOpen() || !QVLib1.TableIsOpen() || !QVMosaic1.TableIsOpen() || mosaicRunning_) return;
  const TGridRect selection = DrawGrid1->Selection();
  const TWorkArea area = EraseWorkArea(ToCellRect(selection), ChkInvertSelection->isChecked(), DrawGrid1->ColCount(),
                                       DrawGrid1->RowCount());
  SelectCurrent();
  const bool thumbs = QVMosaic1.ShowThumbs;
  QVMosaic1.ShowThumbs = false;
  SetForStartMosaic();
  const TCellRect bounds = area.Bounds();
  QProgressBar* bar = CreatePanelProgressBar(bounds.Bottom - bounds.Top + 1);
  TCellEditStep step(*this, ErasePatternCaption(pattern));

  TGridDrawState state;
  state.Selected = !area.Inverted();
  TEraseHooks hooks;
  hooks.BeforeErase = [&step](int32_t n) { step.Touch(n); };
  hooks.OnCellErased = [this, state](int32_t n, int32_t, int32_t) { MosaicView1->CellChanged(n, state); };
  hooks.ProcessMessages = [] { QCoreApplication::processEvents(); };
  hooks.OnRowDone = [&bar] {
    if (bar) bar->setValue(std::min(bar->value() + 1, bar->maximum()));
  };
  hooks.StopRequested = [this] { return StopRequested.load(); };
  auto finish = [&] {
    SetForEndMosaic();
    DrawGrid1->SetSelection(selection);
    SelectionStatus();
    DeletePanelProgressBar(bar);
    QVMosaic1.ShowThumbs = thumbs;
    // The cells erased so far stay erased, also after a stop or an error: one step undoes them.
    step.Commit();
    SetButtonsOnOff();
  };
  try {
    EraseCells(QVPlan1, QVMosaic1, area, pattern, ChkFixManual->isChecked(), hooks);
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TForm1::Replacemanually() {
  if (!QVLib1.TableIsOpen() || !QVPlan1.TableIsOpen() || !QVMosaic1.TableIsOpen() || mosaicRunning_) return;
  if (!ManualWindow || !ManualWindow->IsShown() || ManualWindow->Page() == TManualPage::ForcedTiles) return;
  const int32_t n = MosaicView1->CellToRow(DrawGrid1->Row(), DrawGrid1->Col());
  TCellEditStep step(*this, ManualWindow->Page() == TManualPage::CustomTiles ? "Place custom tile" : "Replace cell");
  step.Touch(n);
  if (ManualWindow->ReplaceCell(n)) PaintEditedCell(n);
  step.Commit();
  SetButtonsOnOff();
}

}  // namespace qv
