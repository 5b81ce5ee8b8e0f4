// TForm1: "Optimise mosaic", the core's optimising pass over the composed mosaic under the
// window's rules. The pass runs on the window's thread and lets window messages through
// while it searches (the mosaic is only read then), so the window paints and "Stop" gets in;
// the changed cells are written at the end, each recorded for undo first, and the whole pass
// is one undo step.
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRadioButton>
#include <cstdio>
#include <vector>

#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "engine/OptimizeComposition.h"
#include "mainwindow/CellEditStep.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "settings/AppSettings.h"

namespace qv {
namespace {

// "123456 -> 98765 (-20.0 %)"
QString DistanceChange(uint64_t from, uint64_t to) {
  const double change = from > 0 ? 100.0 * (double(to) - double(from)) / double(from) : 0.0;
  char text[96];
  std::snprintf(text, sizeof text, "%llu -> %llu (%+.1f %%)", static_cast<unsigned long long>(from),
                static_cast<unsigned long long>(to), change);
  return QString::fromLatin1(text);
}

// How often the search lets window messages through.
constexpr qint64 kMessagesEveryMs = 40;
// One command searches this long at most, as quivara-cli optimize does by default: the chains
// of moves sought at the end can take minutes on a large grid without showing progress. The
// command run again goes on from the mosaic it left.
constexpr int64_t kTimeLimitMs = 10000;

}  // namespace

void TForm1::OptimiseMosaic(bool composedFirst, double colourWeight) {
  if (!QVPlan1.TableIsOpen() || !QVLib1.TableIsOpen() || !QVMosaic1.TableIsOpen() || mosaicRunning_) return;
  if (!CheckAnyFlip()) return;
  AddFlips(CBFlipH->isChecked(), CBFlipV->isChecked(), CBRota180->isChecked());
  if (closePending_ || !CheckAnyFlip()) return;

  TOptimizeSettings settings;
  settings.TimeLimitMs = kTimeLimitMs;
  settings.ColourWeight = colourWeight;
  // With a colour weight the totals are in the weighted measure, and said so.
  const bool forColour = colourWeight != 1.0;
  const QString measure = forColour ? "colour-weighted distance " : "total distance ";
  TCompositionSettings& rules = settings.Rules;
  rules.Distance = SpinRadius2->Value();
  rules.Repeat = SpinRepetition2->Value();
  rules.FixAuto = ChkFixAuto->isChecked();
  rules.FixCustom = ChkFixManual->isChecked();
  rules.InvertSelection = ChkInvertSelection->isChecked();
  rules.Orientations = Orientations();
  rules.Cols = DrawGrid1->ColCount();
  rules.Rows = DrawGrid1->RowCount();
  const TGridRect sel = DrawGrid1->Selection();
  rules.Selection = TCellRect{sel.Left, sel.Top, sel.Right, sel.Bottom};

  TCellEditStep step(*this, forColour ? "Optimise mosaic for colour" : "Optimise mosaic");
  std::vector<int32_t> changed;
  QElapsedTimer sinceMessages;
  sinceMessages.start();
  uint64_t startDistance = 0;
  bool started = false;
  TOptimizeHooks hooks;
  hooks.StopRequested = [&] {
    if (sinceMessages.elapsed() >= kMessagesEveryMs) {
      QCoreApplication::processEvents();
      sinceMessages.restart();
    }
    return StopRequested.load();
  };
  hooks.OnProgress = [&](const TOptimizeProgress& p) {
    if (!started) {
      started = true;
      startDistance = p.TotalDistance;
    }
    SetStatusText(0, QString("Sweep %1").arg(p.Sweep));
    SetStatusText(2, "Optimising: " + measure + DistanceChange(startDistance, p.TotalDistance));
    QCoreApplication::processEvents();
    sinceMessages.restart();
  };
  hooks.BeforePlace = [&](int32_t cell) {
    step.Touch(cell);
    changed.push_back(cell);
  };

  MosaicView1->AutoShowDetailed(1);
  RBTarget1->setChecked(true);
  SetForStartMosaic();
  SetStatusText(1, "Optimising, Esc stops...");
  SetStatusText(2, "Optimising: listing the best tiles of each cell...");
  QCoreApplication::processEvents();
  // Also after an error: what was written is one undo step and the window is unlocked.
  auto finish = [&] {
    step.Commit();
    for (int32_t cell : changed) MosaicView1->CellChanged(cell, TGridDrawState{});
    SetForEndMosaic();
    SetStatusText(0, "");
  };
  TOptimizeResult result;
  try {
    result = OptimizeComposition(QVLib1, QVPlan1, QVMosaic1, settings, hooks);
  } catch (...) {
    finish();
    SetStatusText(1, "");
    throw;
  }
  finish();
  SetStatusText(1, FromCore("(" + FormatElapsed(result.ElapsedMs) + ")"));
  switch (result.Outcome) {
    case TOptimizeOutcome::NotOpen:
      SetStatusText(1, "");
      return;
    case TOptimizeOutcome::NoOrientation:
      SetStatusText(1, "");
      ShowMessage(result.Message, TPromptIcon::Error);
      return;
    case TOptimizeOutcome::RulesBroken:
      SetStatusText(1, "");
      SetStatusText(2, "Not optimised: the mosaic does not keep the rules");
      // A mosaic composed under other rules (another Distance or Repeat) is composed again
      // under these, then optimised, when the user wants it.
      if (composedFirst) {
        ShowMessage(result.Message + "\rCompose the mosaic with these settings first; it was not changed.",
                    TPromptIcon::Error);
        return;
      }
      if (Prompts().Message({FromCore(result.Message) +
                                 "\rCompose the mosaic again with these settings (Smart mosaic) and then optimise it?",
                             kApplicationTitle, TPromptIcon::Question, pbYes | pbNo, pbYes}) == pbYes &&
          RenderMosaic(2))
        OptimiseMosaic(true, colourWeight);
      return;
    default:
      break;
  }
  QString done = "Optimised: " + measure + DistanceChange(result.StartDistance, result.EndDistance) +
                 QString(", %1 cells changed").arg(result.Changed);
  if (result.Outcome == TOptimizeOutcome::Stopped) done += ", stopped";
  if (result.Outcome == TOptimizeOutcome::TimeUp) done += ", run again for more";
  SetStatusText(2, done);
}

}  // namespace qv
