// TWizard: the save path (pages 11-13): the output size and its read-outs, the mosaic file
// and "Save", which runs the wizard's writer for the file's type.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>

#include "base/FileUtil.h"
#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Prompts.h"
#include "outputui/JpegOptions.h"
#include "settings/AppSettings.h"
#include "wizard/Wizard.h"
#include "wizard/WizardWriters.h"

namespace qv {

TWizardOutputSize TWizard::OutputSize() const {
  const TQVData& plan = form_.QVPlan1;
  int64_t cols = plan.Cols, rows = plan.Rows;
  const TGridRect sel = form_.MosaicView().DrawGrid1->Selection();
  if (ChkSelectedArea->isChecked() && !sel.IsOneCell()) {
    const RenderArea area =
        RenderAreaFromSelection(Rect{sel.Left, sel.Top, sel.Right, sel.Bottom}, plan.Cols, plan.Rows);
    cols = area.Cols;
    rows = area.Rows;
  }
  return WizardOutputSize(cols, rows, SpinCellWidth->Value(), plan.PropX, plan.PropY);
}

void TWizard::RefreshReadouts() {
  if (!form_.QVPlan1.TableIsOpen()) return;
  const TWizardReadouts r = WizardReadouts(OutputSize(), SpinDpi->Value());
  LabelCells->setText(FromCore(r.Cells));
  LabelPixels->setText(FromCore(r.Pixels));
  LabelBytes->setText(FromCore(r.Bytes));
  LabelInch->setText(FromCore(r.Inch));
  LabelCm->setText(FromCore(r.Cm));
  UpdateButtons();
}

void TWizard::LocateMosaicClick() {
  TFileRequest r;
  r.Title = "Select a name for a new mosaic";
  r.Folder = FromCore(LastPathFolder(form_.SettingsPath(), kLastPathMosaic));
  r.Filter = kWizardMosaicTypes;
  r.FileName = EditMosaic->text().isEmpty() ? FromCore(ChangeFileExt(ExtractFileName(form_.QVPlan1.BaseName()), ""))
                                            : FromCore(ChangeFileExt(ToCore(EditMosaic->text()), ""));
  QString type = kWizardJpegType;
  const QString picked = Prompts().SaveFileOfType(r, type);
  if (picked.isEmpty()) return;
  const std::string name = WizardMosaicFileName(ToCore(picked), ToCore(type));
  RememberLastPath(form_.SettingsPath(), kLastPathMosaic, name);
  if (UpperCaseAscii(ExtractFileExt(name)) == ".JPG") {
    const int quality = Tjpegoptions::AskJpegQuality(form_.SettingsPath(), this);
    if (quality < 0) return;
    WizardJpegQuality = quality;
  }
  EditMosaic->setText(FromCore(name));
}

void TWizard::SetSaving(bool saving) {
  saving_ = saving;
  BtnSave->setVisible(!saving);
  BtnStop->setVisible(saving);
  // During a save the only live control is "Stop" (boxes disabled before stay so after).
  saveOptions_->setEnabled(!saving);
  BtnStop->setEnabled(saving);
  UpdateButtons();
}

void TWizard::StopClick() {
  if (saving_) form_.StopRequested = true;
}

void TWizard::SaveClick() {
  if (saving_ || busy_) return;
  const std::string fileName = ToCore(EditMosaic->text());
  const TWizardWriter writer = WizardWriterFor(fileName, ChkDirect->isChecked());
  if (writer == TWizardWriter::None) return;
  if (!form_.QVPlan1.TableIsOpen() || !form_.QVMosaic1.TableIsOpen()) {
    ShowError("There is no open mosaic project now.");
    return;
  }
  if (!DirectoryExists(ExtractFileDir(fileName))) {
    ShowError("The folder of\r" + EditMosaic->text() + "\rdoes not exist any more. Please choose another name.");
    return;
  }
  const TWizardOutputSize size = OutputSize();
  if (!size.Writable()) {
    ShowError(QString("A mosaic of %1 x %2 pixels cannot be written. Please choose a smaller cell width.")
                  .arg(size.Width)
                  .arg(size.Height));
    return;
  }
  TWizardSaveParams p;
  p.FileName = fileName;
  p.SelectedOnly = ChkSelectedArea->isChecked();
  p.Sharpen = ChkSharpen->isChecked();
  p.JpegQuality = WizardJpegQuality;
  p.CorrectionPercent = SpinCorrection->Value();
  p.BlendPercent = SpinBlend->Value();
  p.Resolution = SpinDpi->Value();
  p.Height = int32_t(size.Height);
  p.Width = int32_t(size.Width);
  p.UseOriginals = !ChkUseThumbs->isChecked();

  form_.StopRequested = false;
  SetSaving(true);
  WriteOutcome outcome;
  bool failed = false;
  try {
    switch (writer) {
      case TWizardWriter::DiskBmp:
        outcome = SaveTiffWizard(form_, p, DiskFormat::Bmp, ProgressBar1, this);
        break;
      case TWizardWriter::DiskTiff:
        outcome = SaveTiffWizard(form_, p, DiskFormat::Tiff, ProgressBar1, this);
        break;
      default:
        outcome = SavePosterWizard(form_, p, ProgressBar1, this);
        break;
    }
  } catch (const std::exception& e) {
    failed = true;
    SetSaving(false);
    ShowError("The mosaic could not be saved to:\r" + EditMosaic->text() + "\r" + QString::fromUtf8(e.what()));
  }
  if (!failed) SetSaving(false);
  form_.StopRequested = false;
  if (closeAfterSave_) {
    QDialog::reject();
    return;
  }
  // Closed after a finished save; after a stop or an error the wizard stays for another try.
  if (!failed && !outcome.Stopped && ChkCloseWizard->isChecked()) accept();
}

}  // namespace qv
