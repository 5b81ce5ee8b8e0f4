// TForm1: "Save statistic...": the report of the tiles the mosaic uses, written by the
// core's report writer and opened with the system's viewer afterwards.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QProgressBar>
#include <QUrl>

#include "base/FileUtil.h"
#include "base/Rounding.h"
#include "controls/DrawGrid.h"
#include "mainwindow/MainForm.h"
#include "output/StatisticReport.h"
#include "settings/AppSettings.h"

namespace qv {

void TForm1::Savestatistic1Click() {
  if (!QVPlan1.TableIsOpen() || !QVMosaic1.TableIsOpen() || mosaicRunning_) return;
  QString picked = Prompts().SaveFile({"Save statistic",
                                       FromCore(LastPathFolder(settingsPath_, kLastPathMosaic)),
                                       "Delimited text (*.txt);;All files (*.*)",
                                       "txt",
                                       {}});
  if (picked.isEmpty()) return;
  std::string name = ToCore(picked);
  RememberLastPath(settingsPath_, kLastPathMosaic, name);

  // The report's pass lets window messages through; the window is locked meanwhile so that
  // nothing changes the mosaic under it.
  QProgressBar* bar = nullptr;
  RenderCallbacks callbacks;
  callbacks.OnStatus = [this](const std::string& text) {
    static const std::string kSaved = "Saved to ";
    SetStatusText(text.compare(0, kSaved.size(), kSaved) == 0 ? 1 : 0, FromCore(text));
    QCoreApplication::processEvents();
  };
  callbacks.OnProgress = [&](int64_t done, int64_t total) {
    if (!bar) bar = CreatePanelProgressBar(int(total));
    bar->setValue(int(done));
    SetStatusText(0, QString::number(RoundHalfEven(double(done) / double(total) * 100.0)) + "%");
  };
  callbacks.ProcessMessages = [] { QCoreApplication::processEvents(); };
  callbacks.StopRequested = &StopRequested;
  SetForStartMosaic();
  try {
    SaveStatisticReport(name, QVMosaic1, DrawGrid1->ColCount(), callbacks);
  } catch (...) {
    SetForEndMosaic();
    DeletePanelProgressBar(bar);
    throw;
  }
  SetForEndMosaic();
  DeletePanelProgressBar(bar);
  if (FileExists(name)) QDesktopServices::openUrl(QUrl::fromLocalFile(FromCore(name)));
}

}  // namespace qv
