#include "wizard/WizardWriters.h"

#include <QProgressBar>
#include <algorithm>

#include "base/Errors.h"
#include "controls/DrawGrid.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "output/PosterWriter.h"
#include "outputui/OutputRun.h"
#include "outputui/TileNotFoundDlg.h"

namespace qv {

namespace {

using TJob =
    std::function<WriteOutcome(const RenderSource&, const RenderSettings&, const RenderArea&, const RenderCallbacks&)>;

WriteOutcome RunWizardWriter(TForm1& form, const TWizardSaveParams& params, QProgressBar* bar, QWidget* parent,
                             const TJob& job) {
  TQVData& plan = form.QVPlan1;
  TQVData& mosaic = form.QVMosaic1;
  if (!plan.TableIsOpen() || !mosaic.TableIsOpen()) throw EQuivara("There is no open mosaic project to save.");
  TDrawGrid* grid = form.MosaicView().DrawGrid1;
  RenderArea area = WholeGrid(plan.Cols, plan.Rows);
  if (params.SelectedOnly) {
    const TGridRect sel = grid->Selection();
    area = RenderAreaFromSelection(Rect{sel.Left, sel.Top, sel.Right, sel.Bottom}, plan.Cols, plan.Rows);
  }
  const RenderSettings settings =
      WizardRenderSettings(params, form.Preferences().FastJpegAllowed, form.Preferences().DetailedBackground);
  const RenderSource source = RenderSourceFromProject(mosaic, plan);

  if (bar) {
    bar->setRange(0, std::max(area.Count(), 1));
    bar->setValue(0);
    bar->show();
  }
  TOutputRunView view;
  view.Progress = [bar](int64_t done, int64_t total) {
    if (!bar) return;
    bar->setRange(0, int(std::min<int64_t>(total, INT32_MAX)));
    bar->setValue(int(std::min<int64_t>(done, INT32_MAX)));
  };
  view.Status = [&form](const QString& text) { form.SetStatusText(1, text); };
  view.AskTileNotFound = [parent](const std::string& file, bool offerSource) {
    return TTileNotFoundDlg::AskTileNotFound(file, offerSource, parent);
  };
  // The grid paints from the tables the writer reads; it stays as it is meanwhile.
  grid->viewport()->setUpdatesEnabled(false);
  struct TRestore {
    TDrawGrid* Grid;
    QProgressBar* Bar;
    ~TRestore() {
      Grid->viewport()->setUpdatesEnabled(true);
      if (Bar) Bar->hide();
    }
  } restore{grid, bar};
  const WriteOutcome outcome = RunOffUiThread(
      [&](const RenderCallbacks& cb) { return job(source, settings, area, cb); }, &form.StopRequested, view);
  if (!outcome.Message.empty()) form.SetStatusText(1, FromCore(outcome.Message));
  return outcome;
}

}  // namespace

WriteOutcome SavePosterWizard(TForm1& form, const TWizardSaveParams& params, QProgressBar* bar, QWidget* parent) {
  PosterOptions options;
  options.StampJpegDpi = false;
  options.Policy = WizardMissingTilePolicy();
  return RunWizardWriter(
      form, params, bar, parent,
      [&](const RenderSource& src, const RenderSettings& s, const RenderArea& a, const RenderCallbacks& cb) {
        return SavePoster(params.FileName, src, s, a, cb, options);
      });
}

WriteOutcome SaveTiffWizard(TForm1& form, const TWizardSaveParams& params, DiskFormat format, QProgressBar* bar,
                            QWidget* parent) {
  return RunWizardWriter(
      form, params, bar, parent,
      [&](const RenderSource& src, const RenderSettings& s, const RenderArea& a, const RenderCallbacks& cb) {
        return SaveTiff(params.FileName, format, src, s, a, cb, WizardMissingTilePolicy());
      });
}

}  // namespace qv
