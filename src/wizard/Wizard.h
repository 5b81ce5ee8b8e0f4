#pragma once
// TWizard: "Quivara Wizard". Leads through one of three jobs in a row of pages with "< Back"
// and "Next >": a new tile library from a folder of pictures (pages 1-5), a new mosaic
// project from a library and a source picture (pages 6-10, ending with the order to compose
// it), or the open mosaic saved as a large picture (pages 11-13). It does no work of its own:
// it collects the choices and calls the new library dialog, the project creation, the main
// window's open and save commands and the wizard's writers.
//
// Pages are found by objectName "Page0".."Page13" in the stack "Pages"; each control by its
// name (see the fields below). Files and folders named on a page are checked again when the
// page is left and when "Create" or "Save" uses them, since they may vanish meanwhile.
#include <QDialog>
#include <array>
#include <string>

#include "engine/QVData.h"
#include "models/NewLibraryModel.h"
#include "models/WizardModel.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace qv {

class TCropImage;
class TForm1;
class TTileCropDrawing;
class TVNSpinEdit;

class TWizard : public QDialog {
  Q_OBJECT
 public:
  explicit TWizard(TForm1& form, QWidget* parent = nullptr);
  ~TWizard() override;

  // ---- Set by the main window before it shows the wizard ----
  void SetShowOnStart(bool on);
  void SetCustomVisible(bool visible);
  void SetUseThumbs(bool on, bool enabled);
  void SetDirectToDisk(bool on, bool enabled);
  void SetSelectedArea(bool on, bool enabled);
  void SetCurrentBaseText(const QString& text);

  int WizardJpegQuality = 75;
  int WizardDistance = 6;
  int WizardRepeat = 0;
  TBaseInfo WizardLibraryInfo;

  // ---- State ----
  int CurrentPage() const;
  TWizardTask Task() const;
  const TWizardPages& ShownPages() const { return shown_; }
  bool Saving() const { return saving_; }
  // The output of the save path as page 11 shows it.
  TWizardOutputSize OutputSize() const;

  // ---- Buttons ----
  void BtnNextClick();
  void BtnBackClick();
  void BtnHelpClick();

 protected:
  // "Cancel", Esc and the window's close button: during a save they stop it and the wizard
  // closes when the writer has ended; while a library or project is being made they wait.
  void reject() override;

 private:
  // ---- Construction (WizardPages.cpp) ----
  void CreatePages();
  QWidget* NewPage(int index, const QString& title);
  void CreateTaskPage();
  void CreateFolderPage();
  void CreateTypesPage();
  void CreateProportionsPage();
  void CreateLibraryNamePage();
  void CreateCreateLibraryPage();
  void CreateOpenLibraryPage();
  void CreateSourcePage();
  void CreateGridPage();
  void CreateProjectPage();
  void CreateCreateMosaicPage();
  void CreateOutputSizePage();
  void CreateMosaicNamePage();
  void CreateSavePage();
  void ConnectControls();

  // ---- Navigation (Wizard.cpp) ----
  void ShowPage(int page);
  void TaskChanged();
  void UpdateButtons();
  // Whether the page's required input is there (files and folders are looked at again).
  bool PageComplete(int page) const;
  // Leaving a page by "Next >": a file or folder that has gone since is reported.
  bool CheckPageStillValid(int page);
  void SetBusy(bool busy);
  void ShowError(const QString& text);

  // ---- Library path (Wizard.cpp) ----
  void LocateFolderClick();
  TTileShape Shape() const;
  void UpdateCropDrawing();
  void LocateLibraryFileClick();
  void CreateLibraryClick();

  // ---- Mosaic path (WizardMosaic.cpp) ----
  void LocateOpenLibraryClick();
  void UseCurrentLibraryClick();
  void LocateSourceClick();
  void UseCurrentPictureClick();
  bool LoadSourcePicture(const std::string& fileName);
  void FitCrop();
  void LocateProjectClick();
  void AdvancedClick();
  int RenderChoice() const;
  void CreateMosaicClick();

  // ---- Save path (WizardSave.cpp) ----
  void RefreshReadouts();
  void LocateMosaicClick();
  void SaveClick();
  void StopClick();
  void SetSaving(bool saving);

  TForm1& form_;
  TWizardPages shown_{};
  bool busy_ = false;
  bool saving_ = false;
  bool closeAfterSave_ = false;

  QStackedWidget* Pages = nullptr;
  std::array<QWidget*, kWizardPageCount> page_{};
  QPushButton* BtnHelp = nullptr;
  QPushButton* BtnBack = nullptr;
  QPushButton* BtnNext = nullptr;
  QPushButton* BtnCancel = nullptr;
  QProgressBar* ProgressBar1 = nullptr;

  // Page 0
  QRadioButton* RBNewLibrary = nullptr;
  QRadioButton* RBNewMosaic = nullptr;
  QRadioButton* RBSaveMosaic = nullptr;
  QLabel* LabelExplanation = nullptr;
  QCheckBox* ChkShowOnStart = nullptr;
  // Page 1
  QLineEdit* EditFolder = nullptr;
  QPushButton* BtnLocateFolder = nullptr;
  QCheckBox* ChkSubfolders = nullptr;
  // Page 2, in the order of PictureTypeExtensions
  std::array<QCheckBox*, kPictureTypeCount> typeBoxes_{};
  // Page 3
  QRadioButton* RBSquare = nullptr;
  QRadioButton* RBPortrait = nullptr;
  QRadioButton* RBLandscape = nullptr;
  QRadioButton* RBCustom = nullptr;
  TVNSpinEdit* SpinCustomX = nullptr;
  TVNSpinEdit* SpinCustomY = nullptr;
  QWidget* customFields_ = nullptr;
  TVNSpinEdit* SpinMargin = nullptr;
  std::array<QRadioButton*, 9> anchorButtons_{};
  QRadioButton* RadioButtonSA = nullptr;  // "Stretch"
  TTileCropDrawing* CropDrawing = nullptr;
  // Page 4
  QLineEdit* EditLibraryFile = nullptr;
  QPushButton* BtnLocateLibraryFile = nullptr;
  // Page 5
  QLabel* LabelLibrarySummary = nullptr;
  QPushButton* BtnCreateLibrary = nullptr;
  // Page 6
  QLineEdit* EditOpenLibrary = nullptr;
  QPushButton* BtnLocateOpenLibrary = nullptr;
  QPushButton* BtnUseCurrentLibrary = nullptr;
  QLabel* LabelCurrentBase = nullptr;
  // Page 7
  QLineEdit* EditSource = nullptr;
  QPushButton* BtnLocateSource = nullptr;
  QPushButton* BtnUseCurrentPicture = nullptr;
  // Page 8
  TVNSpinEdit* SpinColumns = nullptr;
  TVNSpinEdit* SpinRows = nullptr;
  TCropImage* CropImage1 = nullptr;
  QCheckBox* ChkPreviewCells = nullptr;
  // Page 9
  QLineEdit* EditProject = nullptr;
  QPushButton* BtnLocateProject = nullptr;
  // Page 10
  QRadioButton* RBNormal = nullptr;
  QRadioButton* RBRandom = nullptr;
  QRadioButton* RBSmart = nullptr;
  QPushButton* BtnAdvanced = nullptr;
  QPushButton* BtnCreateMosaic = nullptr;
  // Page 11
  TVNSpinEdit* SpinCellWidth = nullptr;
  TVNSpinEdit* SpinDpi = nullptr;
  QLabel* LabelCells = nullptr;
  QLabel* LabelPixels = nullptr;
  QLabel* LabelBytes = nullptr;
  QLabel* LabelInch = nullptr;
  QLabel* LabelCm = nullptr;
  QCheckBox* ChkSelectedArea = nullptr;
  // Page 12
  QLineEdit* EditMosaic = nullptr;
  QPushButton* BtnLocateMosaic = nullptr;
  // Page 13
  QWidget* saveOptions_ = nullptr;
  QLabel* LabelSaveLine = nullptr;
  QCheckBox* ChkUseThumbs = nullptr;
  QCheckBox* ChkDirect = nullptr;
  QCheckBox* ChkSharpen = nullptr;
  TVNSpinEdit* SpinCorrection = nullptr;
  TVNSpinEdit* SpinBlend = nullptr;
  QCheckBox* ChkCloseWizard = nullptr;
  QPushButton* BtnSave = nullptr;
  QPushButton* BtnStop = nullptr;
};

}  // namespace qv
