#include "outputui/SaveMosaic.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QRadioButton>

#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "engine/CellGrid.h"
#include "engine/QVData.h"
#include "imaging/StretchDraw.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "outputui/OutputSetup.h"

namespace qv {

namespace {

// Restores a table's ShowThumbs on every way out.
struct TShowThumbsKeeper {
  TQVData& table;
  bool old;
  explicit TShowThumbsKeeper(TQVData& t) : table(t), old(t.ShowThumbs) {}
  ~TShowThumbsKeeper() { table.ShowThumbs = old; }
};

}  // namespace

std::unique_ptr<TOutputSetup> PrepareOutputSetup(TForm1& form) {
  TQVData& plan = form.QVPlan1;
  TQVData& mosaic = form.QVMosaic1;
  if (!plan.TableIsOpen() || !mosaic.TableIsOpen() || plan.Cols <= 0 || plan.Rows <= 0) return nullptr;

  TShowThumbsKeeper keepMosaic(mosaic);
  const bool planThumbs = plan.ShowThumbs;
  plan.ShowThumbs = false;
  mosaic.ShowThumbs = false;
  mosaic.GoRecord(CellToRow(form.MosaicView().DrawGrid1->Row(), form.MosaicView().DrawGrid1->Col(), plan.Cols));
  const TGridRect sel = form.MosaicView().DrawGrid1->Selection();
  const RenderArea area = RenderAreaFromSelection(Rect{sel.Left, sel.Top, sel.Right, sel.Bottom}, plan.Cols, plan.Rows);
  const TOutputGrid grid{area.Cols, area.Rows, mosaic.PropX, mosaic.PropY};
  bool thumbs = !sel.IsOneCell();

  auto dialog = std::make_unique<TOutputSetup>(form.SettingsPath(), &form);
  const TMosaicView& view = form.MosaicView();
  if (view.View() == TGridView::Enhance) dialog->SetBlendAndCorrection(view.Blend(), view.Color());

  const TPreviewPass pass = PreviewPassGeometry(grid, dialog->LayoutBoxWidth());
  if (thumbs && !PreviewUsesThumbs(pass, mosaic.GridW)) thumbs = false;
  mosaic.ShowThumbs = thumbs;

  // The preview pass, cell by cell on this thread, in the main window's busy state.
  form.SetForStartMosaic();
  QProgressBar* bar = form.CreatePanelProgressBar(area.Rows);
  const QString oldStatus = form.StatusText(1);
  form.SetStatusText(1, "Making preview...");
  Bitmap24 mosaicPreview(std::max(pass.Width, 1), std::max(pass.Height, 1));
  Bitmap24 sourcePreview(mosaicPreview.Width(), mosaicPreview.Height());
  bool stopped = false;
  try {
    for (int32_t r = 0; r < area.Rows && !stopped; ++r) {
      for (int32_t c = 0; c < area.Cols; ++c) {
        const int32_t n = CellToRow(area.FirstRow + r, area.FirstCol + c, plan.Cols);
        mosaic.GoRecord(n);
        plan.GoRecord(n);
        const Rect cell = pass.CellRect(c, r);
        StretchDraw(mosaicPreview, cell, mosaic.ThumbBitmap);
        StretchDraw(sourcePreview, cell, plan.ThumbBitmap);
        QCoreApplication::processEvents();
        if (form.StopRequested.load()) {
          stopped = true;
          break;
        }
      }
      if (bar) bar->setValue(r + 1);
    }
  } catch (...) {
    form.DeletePanelProgressBar(bar);
    form.SetStatusText(1, oldStatus);
    mosaic.ShowThumbs = keepMosaic.old;
    plan.ShowThumbs = planThumbs;
    form.SetForEndMosaic();
    throw;
  }
  dialog->SetPreviews(std::move(mosaicPreview), std::move(sourcePreview));
  form.DeletePanelProgressBar(bar);
  form.SetStatusText(1, oldStatus);
  mosaic.ShowThumbs = keepMosaic.old;
  plan.ShowThumbs = planThumbs;
  form.SetForEndMosaic();  // also loads the current records afresh
  if (stopped) return nullptr;

  dialog->SetGrid(grid);
  DefaultOutputSize(dialog->Settings(), grid);
  TOutputSource source;
  source.Mosaic = &mosaic;
  source.Plan = &plan;
  source.Library = &form.QVLib1;
  source.Area = area;
  source.StopRequested = &form.StopRequested;
  source.DetailedBackground = form.Preferences().DetailedBackground;
  // The grid reads the tables while it paints; it stays as it is while a writer runs.
  TDrawGrid* gridView = form.MosaicView().DrawGrid1;
  source.OnRunning = [gridView](bool running) { gridView->viewport()->setUpdatesEnabled(!running); };
  dialog->SetSource(source);
  dialog->RefreshFigures();
  dialog->RefreshPreview();
  return dialog;
}

void Mosaiclayoutsetup1Click(TForm1& form) {
  if (!form.QVPlan1.TableIsOpen() || form.MosaicRunning()) return;
  std::unique_ptr<TOutputSetup> dialog = PrepareOutputSetup(form);
  if (dialog) dialog->exec();
}

void InstallSaveMosaic(TForm1& form) {
  TMainCommand save;
  save.Name = "Mosaiclayoutsetup1";
  save.Caption = "Save mosaic...";
  save.Glyph = "savemosaic";
  save.Run = [&form] { Mosaiclayoutsetup1Click(form); };
  save.Enabled = [&form] { return form.QVPlan1.TableIsOpen(); };
  save.Button = "SpeedButton6";
  form.AddCommand(TMenuPlace::SaveMosaic, save);
  // The cell pop-up's "Save cells from ...".
  form.SaveMosaicCommand = [&form] { Mosaiclayoutsetup1Click(form); };
}

}  // namespace qv
