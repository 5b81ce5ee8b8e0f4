// TWizard: construction, navigation between the pages, the enabling of "Next >", and the
// library path (pages 1-5).
#include "wizard/Wizard.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <algorithm>

#include "base/FileUtil.h"
#include "controls/CropImage.h"
#include "controls/SpinEdits.h"
#include "engine/BuildSettings.h"
#include "library/Q2BaseDlg.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/Prompts.h"
#include "settings/AppSettings.h"
#include "settings/IniFile.h"
#include "wizard/TileCropDrawing.h"

namespace qv {

TWizard::TWizard(TForm1& form, QWidget* parent) : QDialog(parent), form_(form) {
  setObjectName("Wizard");
  setWindowTitle("Quivara Wizard");
  SetHelpContext(this, kWizardHelpContext);
  CreatePages();
  ConnectControls();
  resize(600, 460);
  SetCurrentBaseText("Current base: " + FromCore(form_.QVLib1.BaseName()));
  WizardDistance = form_.Distance();
  WizardRepeat = form_.Repeat();
  TaskChanged();
  UpdateCropDrawing();
  ShowPage(kPageTask);
}

TWizard::~TWizard() = default;

void TWizard::ConnectControls() {
  connect(BtnNext, &QPushButton::clicked, this, [this] { BtnNextClick(); });
  connect(BtnBack, &QPushButton::clicked, this, [this] { BtnBackClick(); });
  connect(BtnHelp, &QPushButton::clicked, this, [this] { BtnHelpClick(); });
  connect(BtnCancel, &QPushButton::clicked, this, [this] { reject(); });
  auto guarded = [this](void (TWizard::*handler)()) {
    return [this, handler] {
      try {
        (this->*handler)();
      } catch (const std::exception& e) {
        ShowException(e);
      }
      UpdateButtons();
    };
  };
  auto update = [this] { UpdateButtons(); };

  for (QRadioButton* b : {RBNewLibrary, RBNewMosaic, RBSaveMosaic})
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (on) TaskChanged();
    });
  connect(ChkShowOnStart, &QCheckBox::clicked, this, [this](bool on) {
    IniWriteBool(form_.SettingsPath(), "StartUp", "WizardOnStart", on);
    TMainPreferences p = form_.Preferences();
    p.WizardOnStart = on;
    form_.SetPreferences(p);
  });

  connect(BtnLocateFolder, &QPushButton::clicked, this, guarded(&TWizard::LocateFolderClick));
  for (QCheckBox* b : typeBoxes_) connect(b, &QCheckBox::toggled, this, update);
  for (QRadioButton* b : {RBSquare, RBPortrait, RBLandscape, RBCustom, RadioButtonSA})
    connect(b, &QRadioButton::toggled, this, [this] { UpdateCropDrawing(); });
  for (QRadioButton* b : anchorButtons_) connect(b, &QRadioButton::toggled, this, [this] { UpdateCropDrawing(); });
  for (TVNSpinEdit* s : {SpinCustomX, SpinCustomY, SpinMargin})
    connect(s, &QSpinBox::valueChanged, this, [this] { UpdateCropDrawing(); });
  connect(BtnLocateLibraryFile, &QPushButton::clicked, this, guarded(&TWizard::LocateLibraryFileClick));
  connect(BtnCreateLibrary, &QPushButton::clicked, this, guarded(&TWizard::CreateLibraryClick));

  connect(BtnLocateOpenLibrary, &QPushButton::clicked, this, guarded(&TWizard::LocateOpenLibraryClick));
  connect(BtnUseCurrentLibrary, &QPushButton::clicked, this, guarded(&TWizard::UseCurrentLibraryClick));
  connect(BtnLocateSource, &QPushButton::clicked, this, guarded(&TWizard::LocateSourceClick));
  connect(BtnUseCurrentPicture, &QPushButton::clicked, this, guarded(&TWizard::UseCurrentPictureClick));
  for (TVNSpinEdit* s : {SpinColumns, SpinRows}) connect(s, &QSpinBox::valueChanged, this, [this] { FitCrop(); });
  connect(ChkPreviewCells, &QCheckBox::toggled, this, [this](bool on) { CropImage1->SetShowCells(on); });
  connect(BtnLocateProject, &QPushButton::clicked, this, guarded(&TWizard::LocateProjectClick));
  for (QRadioButton* b : {RBNormal, RBRandom, RBSmart}) connect(b, &QRadioButton::toggled, this, update);
  connect(BtnAdvanced, &QPushButton::clicked, this, guarded(&TWizard::AdvancedClick));
  connect(BtnCreateMosaic, &QPushButton::clicked, this, guarded(&TWizard::CreateMosaicClick));

  for (TVNSpinEdit* s : {SpinCellWidth, SpinDpi})
    connect(s, &QSpinBox::valueChanged, this, [this] { RefreshReadouts(); });
  connect(ChkSelectedArea, &QCheckBox::toggled, this, [this] { RefreshReadouts(); });
  connect(BtnLocateMosaic, &QPushButton::clicked, this, guarded(&TWizard::LocateMosaicClick));
  connect(EditMosaic, &QLineEdit::textChanged, this, [this](const QString& text) {
    LabelSaveLine->setText(FromCore(WizardSaveLine(ToCore(text), true)));
    UpdateButtons();
  });
  connect(BtnSave, &QPushButton::clicked, this, guarded(&TWizard::SaveClick));
  connect(BtnStop, &QPushButton::clicked, this, [this] { StopClick(); });
  for (QLineEdit* e : {EditFolder, EditLibraryFile, EditOpenLibrary, EditSource, EditProject})
    connect(e, &QLineEdit::textChanged, this, update);
}

// ---- Set by the main window ----

void TWizard::SetShowOnStart(bool on) { ChkShowOnStart->setChecked(on); }
void TWizard::SetCustomVisible(bool visible) {
  RBCustom->setVisible(visible);
  customFields_->setVisible(visible);
}
void TWizard::SetUseThumbs(bool on, bool enabled) {
  ChkUseThumbs->setChecked(on);
  ChkUseThumbs->setEnabled(enabled);
}
void TWizard::SetDirectToDisk(bool on, bool enabled) {
  ChkDirect->setChecked(on);
  ChkDirect->setEnabled(enabled);
}
void TWizard::SetSelectedArea(bool on, bool enabled) {
  ChkSelectedArea->setChecked(on);
  ChkSelectedArea->setEnabled(enabled);
}
void TWizard::SetCurrentBaseText(const QString& text) { LabelCurrentBase->setText(text); }

// ---- Navigation ----

int TWizard::CurrentPage() const { return Pages->currentIndex(); }

TWizardTask TWizard::Task() const {
  if (RBNewLibrary->isChecked()) return TWizardTask::NewLibrary;
  if (RBNewMosaic->isChecked()) return TWizardTask::NewMosaic;
  if (RBSaveMosaic->isChecked()) return TWizardTask::SaveMosaic;
  return TWizardTask::None;
}

void TWizard::TaskChanged() {
  const bool open = form_.QVPlan1.TableIsOpen();
  shown_ = WizardPagesShown(Task(), open);
  LabelExplanation->setText(WizardExplanation(Task(), open));
  UpdateButtons();
}

void TWizard::ShowPage(int page) {
  Pages->setCurrentIndex(page);
  if (page == kPageCreateLibrary) {
    LabelLibrarySummary->setText("Quivara is ready to make the library\n" + EditLibraryFile->text() +
                                 "\nfrom the pictures in\n" + EditFolder->text() +
                                 (ChkSubfolders->isChecked() ? " and its subfolders." : ".") +
                                 "\n\nPress \"Create\" to start.");
  }
  if (page == kPageOutputSize) RefreshReadouts();
  if (page == kPageGrid) FitCrop();
  UpdateButtons();
}

void TWizard::BtnNextClick() {
  if (busy_ || saving_) return;
  const int page = CurrentPage();
  if (!CheckPageStillValid(page) || !PageComplete(page)) {
    UpdateButtons();
    return;
  }
  const int next = NextWizardPage(shown_, page);
  if (next < 0) return;
  if (page == kPageMosaicName) LabelSaveLine->setText(FromCore(WizardSaveLine(ToCore(EditMosaic->text()), false)));
  ShowPage(next);
}

void TWizard::BtnBackClick() {
  if (busy_ || saving_) return;
  const int previous = PreviousWizardPage(shown_, CurrentPage());
  if (previous >= 0) ShowPage(previous);
}

void TWizard::BtnHelpClick() {
  const int page = std::clamp(CurrentPage(), int(kPageTask), int(kPageSave));
  ShowHelpTopic(kWizardPageHelpContexts[page]);
}

bool TWizard::PageComplete(int page) const {
  switch (page) {
    case kPageTask:
      return WizardTaskReady(Task(), form_.QVPlan1.TableIsOpen());
    case kPageFolder:
      return !EditFolder->text().isEmpty() && DirectoryExists(ToCore(EditFolder->text()));
    case kPageTypes:
      for (const QCheckBox* b : typeBoxes_)
        if (b->isChecked()) return true;
      return false;
    case kPageProportions:
      return Shape() != TTileShape::None;
    case kPageLibraryName:
      return !EditLibraryFile->text().isEmpty();
    case kPageOpenLibrary:
      return FileExists(ToCore(EditOpenLibrary->text())) && !WizardLibraryInfo.FileName.empty();
    case kPageSource:
      return FileExists(ToCore(EditSource->text())) && CropImage1->HasPicture();
    case kPageGrid:
      return CropImage1->HasPicture();
    case kPageProject:
      return !EditProject->text().isEmpty();
    case kPageOutputSize:
      return form_.QVPlan1.TableIsOpen() && OutputSize().Writable();
    case kPageMosaicName:
      return !EditMosaic->text().isEmpty();
    default:
      return true;
  }
}

bool TWizard::CheckPageStillValid(int page) {
  if (page == kPageFolder && !DirectoryExists(ToCore(EditFolder->text()))) {
    ShowError("The folder\r" + EditFolder->text() + "\rdoes not exist any more. Please locate another one.");
    return false;
  }
  if ((page == kPageOpenLibrary && !FileExists(ToCore(EditOpenLibrary->text()))) ||
      (page == kPageSource && !FileExists(ToCore(EditSource->text())))) {
    QLineEdit* e = page == kPageOpenLibrary ? EditOpenLibrary : EditSource;
    ShowError("File: " + e->text() + " not found.");
    return false;
  }
  return true;
}

void TWizard::UpdateButtons() {
  const int page = CurrentPage();
  const bool idle = !busy_ && !saving_;
  BtnBack->setEnabled(idle && PreviousWizardPage(shown_, page) >= 0);
  BtnNext->setEnabled(idle && NextWizardPage(shown_, page) >= 0 && PageComplete(page));
  BtnCancel->setEnabled(idle);
  BtnHelp->setEnabled(idle);
  Pages->setEnabled(!busy_);
  BtnUseCurrentLibrary->setEnabled(form_.QVLib1.TableIsOpen());
  BtnUseCurrentPicture->setEnabled(form_.QVPlan1.TableIsOpen() && FileExists(form_.QVPlan1.SourceFileName));
  BtnCreateMosaic->setEnabled(idle && RenderChoice() != 0);
  BtnSave->setEnabled(idle);
}

void TWizard::SetBusy(bool busy) {
  busy_ = busy;
  UpdateButtons();
}

void TWizard::ShowError(const QString& text) { Prompts().Error(text, AppTitle); }

void TWizard::reject() {
  if (busy_) return;
  if (saving_) {
    // The writer ends after its cell; the wizard closes when it has.
    closeAfterSave_ = true;
    form_.StopRequested = true;
    return;
  }
  QDialog::reject();
}

// ---- Library path ----

void TWizard::LocateFolderClick() {
  QString start = EditFolder->text();
  if (start.isEmpty() || !DirectoryExists(ToCore(start))) start = QDir::homePath();
  QString folder = Prompts().ChooseFolder("Source folder:", start);
  if (folder.isEmpty()) return;
  if (!folder.endsWith('/')) folder += '/';
  EditFolder->setText(folder);
}

TTileShape TWizard::Shape() const {
  if (RBSquare->isChecked()) return TTileShape::Square;
  if (RBPortrait->isChecked()) return TTileShape::Portrait;
  if (RBLandscape->isChecked()) return TTileShape::Landscape;
  if (RBCustom->isChecked()) return TTileShape::Custom;
  return TTileShape::None;
}

void TWizard::UpdateCropDrawing() {
  TTileCropDrawing::TChoice c;
  c.Shape = Shape();
  c.CustomX = SpinCustomX->Value();
  c.CustomY = SpinCustomY->Value();
  c.MarginPercent = SpinMargin->Value();
  c.Stretch = RadioButtonSA->isChecked();
  for (int i = 0; i < 9; ++i)
    if (anchorButtons_[size_t(i)]->isChecked()) {
      c.AnchorColumn = i % 3;
      c.AnchorRow = i / 3;
    }
  CropDrawing->SetChoice(c);
  UpdateButtons();
}

void TWizard::LocateLibraryFileClick() {
  TFileRequest r;
  r.Title = "Save a new picture tile database";
  r.Folder = FromCore(LastPathFolder(form_.SettingsPath(), kLastPathLibrary));
  r.Filter = "Quivara picture library (*.qv2)";
  r.DefaultSuffix = "qv2";
  r.FileName = EditLibraryFile->text().isEmpty() ? QString("NewPictureBase.qv2") : EditLibraryFile->text();
  const QString picked = Prompts().SaveFile(r);
  if (picked.isEmpty()) return;
  RememberLastPath(form_.SettingsPath(), kLastPathLibrary, ToCore(picked));
  EditLibraryFile->setText(FromCore(LibraryFileNameFor(ToCore(picked))));
}

void TWizard::CreateLibraryClick() {
  if (busy_) return;
  const std::string root = ToCore(EditFolder->text());
  if (!DirectoryExists(root)) {
    ShowError("The folder\r" + EditFolder->text() +
              "\rdoes not exist any more. Please go back and locate another one.");
    return;
  }
  TNewLibraryChoices c;
  c.FileName = ToCore(EditLibraryFile->text());
  c.RootFolder = root;
  for (int i = 0; i < kPictureTypeCount; ++i) c.Types[size_t(i)] = typeBoxes_[size_t(i)]->isChecked();
  c.MarginPercent = SpinMargin->Value();
  c.IncludeSubfolders = ChkSubfolders->isChecked();
  c.CropMode = kCropStretch;
  for (int i = 0; i < 9; ++i)
    if (anchorButtons_[size_t(i)]->isChecked()) c.CropMode = i;
  const Size prop = WizardProportion(Shape(), SpinCustomX->Value(), SpinCustomY->Value());
  c.PropX = prop.Width;
  c.PropY = prop.Height;

  std::string target;
  QDateTime before;
  SetBusy(true);
  try {
    TQ2NewBaseForm dialog(form_.SettingsPath(), &form_, this);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.SetChoices(c);
    target = dialog.TargetFileName();
    before = QFileInfo(FromCore(target)).lastModified();
    dialog.show();
    dialog.BitBtn1Click();
  } catch (...) {
    SetBusy(false);
    form_.ShowStatus();
    form_.SetButtonsOnOff();
    throw;
  }
  SetBusy(false);
  form_.ShowStatus();
  form_.SetButtonsOnOff();
  // The dialog reported whatever kept it from writing the library; the wizard stays for
  // another try then.
  const QFileInfo written(FromCore(target));
  if (written.exists() && written.lastModified() != before) accept();
}

}  // namespace qv
