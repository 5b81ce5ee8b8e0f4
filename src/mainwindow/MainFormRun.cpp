// TForm1: the composition commands ("Mosaic all", "Random mosaic", "Smart mosaic", "Render
// mosaic", "Stop"), the flip pass that completes the library first, and the locking of the
// window while a pass runs. The run itself is the core's RunComposition; the window supplies
// its settings and does the window's share in the hooks.
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "engine/CompositionRun.h"
#include "mainwindow/CellEditStep.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "settings/AppSettings.h"

namespace qv {

TOrientationSet TForm1::Orientations() const {
  TOrientationSet o;
  o[kFlipNone] = CBFlipOriginal->isChecked();
  o[kFlipHorizontal] = CBFlipH->isChecked();
  o[kFlipRotate180] = CBRota180->isChecked();
  o[kFlipVertical] = CBFlipV->isChecked();
  return o;
}

int32_t TForm1::Distance() const { return SpinRadius2->Value(); }

bool TForm1::InvertSelection() const { return ChkInvertSelection->isChecked(); }

int32_t TForm1::Repeat() const { return SpinRepetition2->Value(); }

void TForm1::SetDistanceAndRepeat(int32_t distance, int32_t repeat) {
  SpinRadius2->SetValue(distance);
  SpinRepetition2->SetValue(repeat);
}

bool TForm1::CheckAnyFlip() {
  if (AnyOrientation(Orientations())) return true;
  ShowMessage(kNoOrientationMessage, TPromptIcon::Error);
  return false;
}

void TForm1::AddFlipProgress() {
  QCoreApplication::processEvents();
  if (ProgressBar) ProgressBar->setValue(std::min(ProgressBar->value() + 1, ProgressBar->maximum()));
}

void TForm1::UntickMissingFlips() {
  auto present = [this](int kind) { return QVLib1.HoldsFlipKind(kind); };
  if (CBFlipH->isChecked() && !present(kFlipHorizontal)) CBFlipH->setChecked(false);
  if (CBFlipV->isChecked() && !present(kFlipVertical)) CBFlipV->setChecked(false);
  if (CBRota180->isChecked() && !present(kFlipRotate180)) CBRota180->setChecked(false);
}

void TForm1::AddFlips(bool h, bool v, bool r180) {
  QString savedStatus;
  TAddFlipsHooks hooks;
  hooks.OnStart = [&](int32_t progressMax) {
    SetForStartMosaic();
    savedStatus = StatusText(1);
    SetStatusText(1, kAddingFlipsText);
    ProgressBar = CreatePanelProgressBar(progressMax);
  };
  hooks.OnStep = [this] { AddFlipProgress(); };
  hooks.OnFinish = [&] {
    SetForEndMosaic();
    SetButtonsOnOff();
    DeletePanelProgressBar(ProgressBar);
    SetStatusText(1, savedStatus);
    UntickMissingFlips();
    const QString summary = LibrarySummary();
    const int nameLength = int(FromCore(QVLib1.BaseName()).size());
    SetStatusText(2, summary, int(summary.size()) - nameLength, nameLength);
  };
  qv::AddFlips(QVLib1, h, v, r180, hooks);
}

bool TForm1::RenderMosaic(int mode) {
  if (!QVPlan1.TableIsOpen() || !QVLib1.TableIsOpen() || mosaicRunning_) return false;
  if (!CheckAnyFlip()) return false;
  AddFlips(CBFlipH->isChecked(), CBFlipV->isChecked(), CBRota180->isChecked());
  if (closePending_ || !CheckAnyFlip()) return false;

  TCompositionSettings settings;
  settings.Mode = mode;
  settings.Distance = SpinRadius2->Value();
  settings.Repeat = SpinRepetition2->Value();
  settings.FixAuto = ChkFixAuto->isChecked();
  settings.FixCustom = ChkFixManual->isChecked();
  settings.InvertSelection = ChkInvertSelection->isChecked();
  settings.Orientations = Orientations();
  settings.Cols = DrawGrid1->ColCount();
  settings.Rows = DrawGrid1->RowCount();
  TGridRect sel = DrawGrid1->Selection();
  settings.Selection = TCellRect{sel.Left, sel.Top, sel.Right, sel.Bottom};

  QProgressBar* bar = nullptr;
  static const char* const kRunNames[3] = {"Mosaic all", "Random mosaic", "Smart mosaic"};
  TCellEditStep step(*this, mode >= 0 && mode < 3 ? kRunNames[mode] : "Mosaic");
  TCompositionHooks hooks;
  hooks.BeforePlace = [&step](int32_t cell) { step.Touch(cell); };
  hooks.OnStart = [&](int32_t total) {
    MosaicView1->AutoShowDetailed(1);
    RBTarget1->setChecked(true);
    SetForStartMosaic();
    bar = CreatePanelProgressBar(total);
  };
  hooks.OnCellPlaced = [this](int32_t cell, int32_t, int32_t) { MosaicView1->CellChanged(cell, TGridDrawState{}); };
  hooks.OnProgress = [&](const TCompositionProgress& p) {
    if (bar) bar->setValue(std::min(p.Done, bar->maximum()));
    if (!p.Filled) return;
    SetStatusText(0, FromCore(p.PercentText));
    SetApplicationTitle(StatusText(0) + " " + AppTitle);
    SetStatusText(1, FromCore(p.StatusText));
  };
  hooks.ProcessMessages = [] { QCoreApplication::processEvents(); };
  hooks.StopRequested = [this] { return StopRequested.load(); };
  hooks.OnFinish = [&] {
    SetForEndMosaic();
    SetButtonsOnOff();
    DeletePanelProgressBar(bar);
  };
  TCompositionResult result = RunComposition(QVLib1, QVPlan1, QVMosaic1, settings, hooks);
  step.Commit();
  SetButtonsOnOff();
  if (result.Outcome == TCompositionOutcome::NoOrientation || result.Outcome == TCompositionOutcome::NotEnoughTiles)
    ShowMessage(result.Message, TPromptIcon::Error);
  return result.Outcome == TCompositionOutcome::Completed;
}

void TForm1::SpeedButton7Click() {
  switch (preferences_.RenderType) {
    case 0:
      Mosaicall1Click();
      break;
    case 1:
      Randommosaic1Click();
      break;
    case 2:
      Smartmosaic1Click();
      break;
    default:
      break;
  }
}

void TForm1::SpeedButton9Click() {
  StopRequested = true;
  QVLib1.StopRequested = true;
}

void TForm1::QVMosaic1Progress() { QCoreApplication::processEvents(); }

// ---- Locking ----

std::vector<QWidget*> TForm1::PanelControlsLockedByRun() const {
  return {RBSource1,   RBDelta1,        RBTarget1,    RBEnhance1,        LabelRepeat, LabelDistance,
          SpinRadius2, SpinRepetition2, GroupBox1,    CBFlipOriginal,    CBFlipH,     CBFlipV,
          CBRota180,   ChkFixAuto,      ChkFixManual, ChkInvertSelection};
}

void TForm1::SetMenusEnabledForRun(bool enabled) {
  for (QMenu* menu : {File1, Edit1, View1}) {
    menu->menuAction()->setEnabled(enabled);
    // The items too, so that their shortcuts are off as well.
    for (QAction* a : menu->actions())
      if (!a->isSeparator()) a->setEnabled(enabled);
  }
}

void TForm1::SetForStartMosaic() {
  mosaicRunning_ = true;
  StopRequested = false;
  SpeedButton9->setEnabled(true);
  // Every item of the Mosaic menu but "Stop mosaic process" ("Run Quivara Wizard", "Manual
  // tiles mode" and the three orders).
  for (QAction* a : Run1->actions())
    if (!a->isSeparator()) a->setEnabled(a == Stopmosaicprocess1);
  SetMenusEnabledForRun(false);
  for (QToolButton* b :
       {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5, SpeedButton6, SpeedButton7, SpeedButton8,
        SpeedButton10, SpeedButton11, SpeedButton12, SpeedButton13, SpeedButton14, SpeedButton15})
    b->setEnabled(false);
  for (QWidget* w : PanelControlsLockedByRun()) w->setEnabled(false);
}

void TForm1::SetForEndMosaic() {
  mosaicRunning_ = false;
  StopRequested = false;
  QVLib1.StopRequested = false;
  SpeedButton9->setEnabled(false);
  for (QAction* a : Run1->actions())
    if (!a->isSeparator()) a->setEnabled(a != Stopmosaicprocess1);
  SetMenusEnabledForRun(true);
  for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton4, SpeedButton10, SpeedButton11, SpeedButton12,
                         SpeedButton13, SpeedButton14, SpeedButton15})
    b->setEnabled(true);
  SetButtonsOnOff();
  SetApplicationTitle(AppTitle);
  // Load the current records afresh.
  if (QVMosaic1.TableIsOpen() && QVMosaic1.RecNo > 0) QVMosaic1.GoRecord(QVMosaic1.RecNo);
  if (QVPlan1.TableIsOpen() && QVPlan1.RecNo > 0) QVPlan1.GoRecord(QVPlan1.RecNo);
  for (QWidget* w : PanelControlsLockedByRun()) w->setEnabled(true);
  CloseIfPending();
}

void TForm1::CloseIfPending() {
  if (closePending_) QTimer::singleShot(0, this, [this] { close(); });
}

}  // namespace qv
