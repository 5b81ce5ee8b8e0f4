// The "Forced tiles" page: every tile of a second library placed at the free cell of the
// work area that suits it best.
#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/DrawGrid.h"
#include "mainwindow/CellEditStep.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Prompts.h"
#include "manual/ManualForma.h"
#include "manual/TileList.h"
#include "models/CellSelection.h"
#include "models/ManualTiles.h"
#include "settings/AppSettings.h"

namespace qv {

QWidget* TManualForma::CreateForcedPage() {
  auto* page = new QWidget(this);
  page->setObjectName("TabForced");
  SetHelpContext(page, kForcedHelpContext);
  auto* row = new QHBoxLayout(page);
  DrawGrid2 = new TTileList(page);
  DrawGrid2->setObjectName("DrawGrid2");
  DrawGrid2->SetRowCount(1);
  row->addWidget(DrawGrid2, 1);
  auto* side = new QVBoxLayout;
  BtnOpenBase = AddButton(page, "BtnOpenBase", "Open base");
  BtnReplaceAll = AddButton(page, "BtnReplaceAll", "Replace all");
  BtnCloseBase = AddButton(page, "BtnCloseBase", "Close base");
  auto* close = AddButton(page, "BtnClose3", "Close");
  auto* help = AddButton(page, "BtnHelp3", "Help");
  for (QPushButton* b : {BtnOpenBase, BtnReplaceAll, BtnCloseBase, close, help}) side->addWidget(b);
  side->addStretch(1);
  row->addLayout(side);

  DrawGrid2->RowAt = [this](int r) {
    TTileRow tile;
    if (!QVForcedLib1.TableIsOpen() || !QVForcedLib1.GoRecord(r)) return tile;
    tile.Thumbnail = form_.MosaicView().Thumbnails().RecordPicture(QVForcedLib1, r, true);
    tile.Title = QString::number(r);
    tile.Path = FromCore(QVForcedLib1.Name);
    tile.PicWidth = QVForcedLib1.PicWidth;
    tile.PicHeight = QVForcedLib1.PicHeight;
    tile.Deleted = QVForcedLib1.PicDeleted();
    return tile;
  };
  connect(BtnOpenBase, &QPushButton::clicked, this, [this] { form_.Guarded([this] { OpenBaseClick(); }); });
  connect(BtnReplaceAll, &QPushButton::clicked, this, [this] { form_.Guarded([this] { ReplaceAllClick(); }); });
  connect(BtnCloseBase, &QPushButton::clicked, this, [this] { form_.Guarded([this] { CloseBaseClick(); }); });
  connect(close, &QPushButton::clicked, this, [this] { CloseClick(); });
  connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(kForcedHelpContext); });
  connect(DrawGrid2, &TTileList::RowMenu, this,
          [this](int r, const QPoint& at) { form_.Guarded([this, r, at] { CandidatePopup(r)->popup(at); }); });
  return page;
}

void TManualForma::OpenBaseClick() {
  if (replaceAllRunning_ || form_.MosaicRunning()) return;
  const std::string& ini = settingsPath_;
  if (!form_.QVPlan1.TableIsOpen()) {
    Prompts().Error("Library can't be open. You should open project first!", AppTitle);
    return;
  }
  const QString picked =
      Prompts().OpenFile({"Open base", FromCore(LastPathFolder(ini, kLastPathLibrary)), "qv2 (*.qv2)", {}, {}});
  if (picked.isEmpty()) return;
  RememberLastPath(ini, kLastPathLibrary, ToCore(picked));
  OpenForcedBase(ToCore(picked));
}

void TManualForma::OpenForcedBase(const std::string& fileName) {
  if (!form_.QVPlan1.TableIsOpen()) {
    Prompts().Error("Library can't be open. You should open project first!", AppTitle);
    return;
  }
  const int32_t t = form_.QVPlan1.CompareLibraryFile(fileName);
  const QString file = FromCore(fileName);
  if (t < 0) {
    Prompts().Error("File " + file + " is not Quivara base and can't be open.", AppTitle);
  } else if (t == 2) {
    Prompts().Error("Library\r" + file + "\rcan't be open.\rIt has a different sampling rate.", AppTitle);
  } else if (t == 1) {
    Prompts().Error("Library\r" + file + "\rcan't be open.\rIt has a different tile height/width proportions.",
                    AppTitle);
  } else {
    QVForcedLib1.SetBaseName(fileName);
    DrawGrid2->PropX = std::max(QVForcedLib1.PropX, 1);
    DrawGrid2->PropY = std::max(QVForcedLib1.PropY, 1);
    DrawGrid2->SetRowCount(std::max(QVForcedLib1.UnflippedCount, 1));
    DrawGrid2->SetRowHeight(DrawGrid2->RowHeight());
    DrawGrid2->viewport()->update();
  }
  UpdateButtons();
}

void TManualForma::CloseBaseClick() {
  if (replaceAllRunning_) return;
  QVForcedLib1.Close();
  DrawGrid2->SetRowCount(1);
  DrawGrid2->viewport()->update();
  UpdateButtons();
}

void TManualForma::ReplaceAllClick() {
  TQVData& plan = form_.QVPlan1;
  TQVData& mosaic = form_.QVMosaic1;
  if (!QVForcedLib1.TableIsOpen() || !plan.TableIsOpen() || !mosaic.TableIsOpen()) return;
  if (replaceAllRunning_ || form_.MosaicRunning()) return;
  const TGridRect s = form_.MosaicView().DrawGrid1->Selection();
  const TWorkArea area =
      FillWorkArea(TCellRect{s.Left, s.Top, s.Right, s.Bottom}, form_.InvertSelection(), plan.Cols, plan.Rows);
  const int32_t n = int32_t(std::min<int64_t>(QVForcedLib1.UnflippedCount, area.CellCount()));
  auto inArea = [&area](int32_t cell) {
    int32_t c, r;
    RowToCell(cell, area.Cols(), c, r);
    return area.Contains(c, r);
  };

  form_.SetForStartMosaic();
  RunReplaceAll(n, inArea);
  if (closeAfterPass_) {
    closeAfterPass_ = false;
    CloseClick();
  }
}

void TManualForma::RunReplaceAll(int32_t n, const std::function<bool(int32_t)>& inArea) {
  TQVData& plan = form_.QVPlan1;
  TQVData& mosaic = form_.QVMosaic1;
  const int32_t cols = plan.Cols;
  // One undo step for the whole pass; it also takes the cells placed before a stop or an error.
  TCellEditStep step(form_, "Replace all");
  replaceAllRunning_ = true;
  UpdateButtons();
  ProgressBar1 = new QProgressBar(StatusBar1);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setRange(0, std::max(n, 1));
  StatusBar1->addWidget(ProgressBar1, 3);
  // Always afterwards, also after an error: the plan without order, the main window
  // unlocked, the bar gone.
  struct TEnd {
    TManualForma& w;
    ~TEnd() {
      w.form_.QVPlan1.ClearOrder();
      w.form_.SetForEndMosaic();
      w.form_.SetButtonsOnOff();
      delete w.ProgressBar1;
      w.ProgressBar1 = nullptr;
      w.replaceAllRunning_ = false;
      w.UpdateButtons();
    }
  } end{*this};

  for (int32_t i = 1; i <= n; ++i) {
    ProgressBar1->setValue(i);
    if (!QVForcedLib1.GoRecord(i)) continue;
    const int32_t cell = BestFreeCell(plan, mosaic, QVForcedLib1.ThumbBitmap, inArea);
    if (cell > 0) step.Touch(cell);
    if (cell > 0 && PlaceForcedTile(mosaic, cell, QVForcedLib1)) {
      RowToCell(cell, cols, TargetCol, TargetRow);
      form_.MosaicView().CellChanged(cell, TGridDrawState{});
    }
    QApplication::processEvents();
    if (form_.StopRequested) break;
  }
  step.Commit();
  if (TargetCol >= 0) ShowTargetTile();
}

}  // namespace qv
