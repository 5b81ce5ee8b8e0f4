// TWizard: the mosaic path (pages 6-10): the library, the source picture and its framed part,
// the project file, and "Create", which makes the project and leaves the composition to the
// main window.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/CodecSupport.h"
#include "controls/CropImage.h"
#include "controls/OffThreadWork.h"
#include "controls/SpinEdits.h"
#include "imaging/RasterUtils.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Prompts.h"
#include "models/CellErasing.h"
#include "settings/AppSettings.h"
#include "source/SourcePictures.h"
#include "wizard/AdvanceRender.h"
#include "wizard/Wizard.h"

namespace qv {

namespace {

const char kLibraryFilter[] = "Quivara picture library (*.qv2)";

QString RecordsLine(const TBaseInfo& info) {
  return QString("There are %1 records (%2x%3) in the base.").arg(info.Count).arg(info.PropX).arg(info.PropY);
}

}  // namespace

void TWizard::LocateOpenLibraryClick() {
  const QString picked = Prompts().OpenFile({"Open the image tile library",
                                             FromCore(LastPathFolder(form_.SettingsPath(), kLastPathLibrary)),
                                             kLibraryFilter,
                                             {},
                                             {}});
  if (picked.isEmpty()) return;
  const std::string name = ToCore(picked);
  TBaseInfo info;
  try {
    form_.QVLib1.ReadLibraryInfo(name, info);
  } catch (const std::exception&) {
    info = TBaseInfo{};
  }
  if (info.FileName.empty() || info.PropX <= 0 || info.PropY <= 0) {
    ShowError("File " + picked + " is not Quivara base and can't be open.");
    return;
  }
  RememberLastPath(form_.SettingsPath(), kLastPathLibrary, name);
  WizardLibraryInfo = info;
  WizardLibraryInfo.FileName = name;
  EditOpenLibrary->setText(picked);
  LabelCurrentBase->setText(RecordsLine(info));
  FitCrop();
}

void TWizard::UseCurrentLibraryClick() {
  TQVData& lib = form_.QVLib1;
  if (!lib.TableIsOpen()) return;
  lib.GetInfo(WizardLibraryInfo);
  WizardLibraryInfo.FileName = lib.BaseName();
  EditOpenLibrary->setText(FromCore(lib.BaseName()));
  LabelCurrentBase->setText(RecordsLine(WizardLibraryInfo));
  FitCrop();
}

bool TWizard::LoadSourcePicture(const std::string& fileName) {
  if (!FileExists(fileName)) {
    ShowError("File: " + FromCore(fileName) + " not found.");
    return false;
  }
  try {
    const TLargePictureAllowance large;  // shown from a reduced copy, cut out at full size
    CropImage1->SetPictureFileName(fileName);
  } catch (const EQuivara&) {
    ShowError("Wrong format. File: " + FromCore(fileName) + " can't be open.");
    return false;
  }
  if (!CropImage1->HasPicture()) {
    ShowError("Wrong format. File: " + FromCore(fileName) + " can't be open.");
    return false;
  }
  EditSource->setText(FromCore(fileName));
  FitCrop();
  return true;
}

void TWizard::LocateSourceClick() {
  const QString picked = Prompts().OpenFile({"Open the source image",
                                             FromCore(LastPathFolder(form_.SettingsPath(), kLastPathSource)),
                                             PictureFilter(),
                                             {},
                                             {}});
  if (picked.isEmpty()) return;
  RememberLastPath(form_.SettingsPath(), kLastPathSource, ToCore(picked));
  LoadSourcePicture(ToCore(picked));
}

void TWizard::UseCurrentPictureClick() {
  const std::string& source = form_.QVPlan1.SourceFileName;
  if (!form_.QVPlan1.TableIsOpen() || source.empty()) return;
  LoadSourcePicture(source);
}

void TWizard::FitCrop() {
  const int cols = SpinColumns->Value(), rows = SpinRows->Value();
  const int propX = std::max(WizardLibraryInfo.PropX, 1), propY = std::max(WizardLibraryInfo.PropY, 1);
  CropImage1->SetCells(cols, rows);
  if (CropImage1->HasPicture()) {
    const Bitmap24& picture = CropImage1->Picture();
    const Rect whole{0, 0, picture.Width(), picture.Height()};
    Rect f = FitRectKeepAspect(Rect{0, 0, cols * propX, rows * propY}, whole);
    // A frame of extreme proportions on a small picture keeps at least one pixel each way.
    f.Left = std::clamp(f.Left, 0, whole.Right - 1);
    f.Top = std::clamp(f.Top, 0, whole.Bottom - 1);
    f.Right = std::clamp(f.Right, f.Left + 1, whole.Right);
    f.Bottom = std::clamp(f.Bottom, f.Top + 1, whole.Bottom);
    CropImage1->SetCropRect(f);
  }
  CropImage1->SetScaleStyle(TScaleStyle::ssFullScale);
  CropImage1->SetScale(cols * propX, rows * propY);
  UpdateButtons();
}

void TWizard::LocateProjectClick() {
  TFileRequest r;
  r.Title = "Save a new Quivara Picture Project file";
  r.Folder = FromCore(LastPathFolder(form_.SettingsPath(), kLastPathProject));
  r.Filter = "Quivara pictures projects (*.qvp)";
  r.DefaultSuffix = "qvp";
  r.FileName = EditProject->text();
  if (r.FileName.isEmpty())
    r.FileName = FromCore(WizardProjectName(ToCore(EditSource->text()), ToCore(EditOpenLibrary->text()),
                                            SpinColumns->Value(), SpinRows->Value()));
  const QString picked = Prompts().SaveFile(r);
  if (picked.isEmpty()) return;
  std::string name = ToCore(picked);
  if (ExtractFileExt(name).empty()) name += ".qvp";
  EditProject->setText(FromCore(name));
}

void TWizard::AdvancedClick() {
  TAdvanceRender dialog(WizardDistance, WizardRepeat, this);
  if (Prompts().ExecDialog(dialog) != QDialog::Accepted) return;
  WizardDistance = dialog.Distance();
  WizardRepeat = dialog.Repeat();
}

int TWizard::RenderChoice() const {
  if (RBSmart->isChecked()) return 3;
  if (RBRandom->isChecked()) return 2;
  if (RBNormal->isChecked()) return 1;
  return 0;
}

void TWizard::CreateMosaicClick() {
  const int choice = RenderChoice();
  if (busy_ || choice == 0) return;
  const std::string library = ToCore(EditOpenLibrary->text());
  const std::string project = ToCore(EditProject->text());
  if (!FileExists(library)) {
    ShowError("File: " + EditOpenLibrary->text() + " not found.");
    return;
  }
  if (!CropImage1->HasPicture()) {
    ShowError("Please open the source image first.");
    return;
  }
  if (!DirectoryExists(ExtractFileDir(project))) {
    ShowError("The folder of the project file\r" + EditProject->text() + "\rdoes not exist.");
    return;
  }
  // The open project is replaced: a modified one is offered for saving first.
  if (!form_.ConfirmReplaceProject()) return;
  bool opened = false;
  try {
    opened = form_.OpenLibraryByName(library);
  } catch (const std::exception& e) {
    ShowError("The library\r" + EditOpenLibrary->text() + "\rcannot be opened:\r" + QString::fromUtf8(e.what()));
  }
  form_.ShowStatus();
  form_.SetButtonsOnOff();
  if (!opened || !form_.QVLib1.TableIsOpen()) return;
  RememberLastPath(form_.SettingsPath(), kLastPathProject, project);

  const TSourceImageRecord source{CropImage1->PictureFileName(), CropImage1->PictureCropRect()};
  const TPicturePtr picture = CropImage1->SharedPicture();  // kept while the worker reads it
  const Size cells{SpinColumns->Value(), SpinRows->Value()};
  SetBusy(true);
  try {
    RunOffTheWindowThread([&] { CreateProjectFromPicture(form_.QVLib1, project, *picture, source, cells); });
  } catch (...) {
    SetBusy(false);
    throw;
  }
  SetBusy(false);

  form_.InsertRecentFile(project);
  if (!source.FileName.empty()) form_.InsertRecentFile(source.FileName);
  form_.OpenQVP(project);
  for (int32_t n = 1; n <= form_.QVMosaic1.Count; ++n) EraseCell(form_.QVPlan1, form_.QVMosaic1, n);
  form_.SaveQVP();
  form_.WizardRenderChoice = choice;
  form_.SetDistanceAndRepeat(WizardDistance, WizardRepeat);
  form_.ShowStatus();
  form_.SetButtonsOnOff();
  accept();
}

}  // namespace qv
