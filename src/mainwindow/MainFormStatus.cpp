// TForm1: the status bar texts, the window caption, the enabled state of the toolbar
// buttons and the hints shown when a control gets the focus.
#include <QEvent>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

#include "base/FileUtil.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/StatusPanel.h"
#include "settings/AppSettings.h"

namespace qv {

namespace {

QString Num(int64_t v) { return QString::number(v); }

// " (HVR)" for the flipped blocks a library holds (horizontal, vertical, 180 degrees, in
// that order), empty when it holds none.
QString FlipLetters(const TQVData& lib) {
  QString letters;
  auto has = [&lib](int kind) { return lib.HoldsFlipKind(kind); };
  if (has(kFlipHorizontal)) letters += 'H';
  if (has(kFlipVertical)) letters += 'V';
  if (has(kFlipRotate180)) letters += 'R';
  return letters.isEmpty() ? QString() : " (" + letters + ")";
}

}  // namespace

void TForm1::SetStatusText(int panel, const QString& text, int fileStart, int fileLength) {
  StatusPanel[panel]->SetText(text, fileStart, fileLength);
}

QString TForm1::StatusText(int panel) const { return StatusPanel[panel]->text(); }

QString TForm1::LibrarySummary() const {
  const TQVData& l = QVLib1;
  return "Lib: " + Num(l.UnflippedCount) + FlipLetters(l) + " rec. (" + FromCore(l.ColorSystemName()) + ") " +
         Num(l.PropX) + "/" + Num(l.PropY) + " - " + Num(l.GridW) + "/" + Num(l.GridH) + " - " + FromCore(l.BaseName());
}

QString TForm1::PlanSummary() const {
  const TQVData& p = QVPlan1;
  return "Pic: " + Num(p.Count) + " rec. (" + FromCore(p.ColorSystemName()) + ") " + Num(p.PropX) + "/" + Num(p.PropY) +
         " - " + Num(p.GridW) + "/" + Num(p.GridH) + " - " + FromCore(p.BaseName());
}

void TForm1::ShowStatus() {
  // Without a project the caption is the program's name alone.
  if (QVPlan1.TableIsOpen())
    caption_ = QString(AppTitle) + " - (" + Num(QVPlan1.Cols) + "x" + Num(QVPlan1.Rows) + ") - " +
               FromCore(ExtractFileName(QVPlan1.BaseName()));
  else
    caption_ = AppTitle;
  if (!mosaicRunning_) setWindowTitle(caption_);

  // The summaries end with their table's file name; a tile's name stands between "Lib: " and
  // its size. A narrow panel shortens these names in their middle.
  auto showEndingInFile = [this](int panel, const QString& text, const std::string& fileName) {
    const int length = int(FromCore(fileName).size());
    SetStatusText(panel, text, int(text.size()) - length, length);
  };
  if (RBSource1->isChecked()) {
    if (QVLib1.TableIsOpen())
      showEndingInFile(2, LibrarySummary(), QVLib1.BaseName());
    else
      SetStatusText(2, QString());
  } else if (QVMosaic1.TableIsOpen() && QVMosaic1.RecNo > 0) {
    const QString name = FromCore(QVMosaic1.Name);
    SetStatusText(2, "Lib: " + name + " (" + Num(QVMosaic1.PicWidth) + "/" + Num(QVMosaic1.PicHeight) + ")", 5,
                  int(name.size()));
  } else {
    SetStatusText(2, QString());
  }

  if (QVPlan1.TableIsOpen())
    showEndingInFile(1, PlanSummary(), QVPlan1.BaseName());
  else
    SetStatusText(1, QString());
}

void TForm1::SetApplicationTitle(const QString& title) {
  applicationTitle_ = title;
  setWindowTitle(mosaicRunning_ ? applicationTitle_ : caption_);
}

void TForm1::SetButtonsOnOff() {
  SpeedButton3->setEnabled(QVLib1.TableIsOpen());
  SpeedButton5->setEnabled(QVMosaic1.Modified);
  bool mosaicOpen = QVMosaic1.TableIsOpen();
  SpeedButton6->setEnabled(mosaicOpen);
  SpeedButton7->setEnabled(mosaicOpen);
  SpeedButton8->setEnabled(mosaicOpen);
  // Menu shortcuts follow the same rules as the menus.
  UpdateMenus();
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::FocusIn) {
    QVariant hint = watched->property("quivaraHint");
    if (hint.isValid()) SetStatusText(1, hint.toString());
  }
  return QMainWindow::eventFilter(watched, e);
}

}  // namespace qv
