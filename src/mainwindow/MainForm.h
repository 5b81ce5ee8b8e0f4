#pragma once
// TForm1: the main window. It owns the three engine instances (QVLib1 the library, QVPlan1
// the plan, QVMosaic1 the mosaic), the tool panel with its buttons and composition settings,
// the mosaic grid and its view, the menus and the status bar.
//
// The class is split over several files by concern:
//   MainForm.cpp           construction: tool panel, status bar, grid; helpers
//   MainFormMenus.cpp      menus, actions, opening handlers, help commands
//   MainFormStatus.cpp     ShowStatus, SetButtonsOnOff, status panels, focus hints
//   MainFormSettings.cpp   ReadInitialIni, StartUpSetup, write-back when the window goes
//   MainFormFiles.cpp      libraries, projects, recent lists, close query
//   MainFormRun.cpp        composition runs, flip passes, locking during a pass
//   MainFormStatistic.cpp  "Save statistic..."
#include <QMainWindow>
#include <QString>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "engine/CellGrid.h"
#include "engine/QVData.h"
#include "mainwindow/Prompts.h"
#include "settings/RecentFiles.h"

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QRadioButton;
class QToolButton;

namespace qv {

class TDrawGrid;
class TMosaicView;
class TSourcePictureWindow;
class TSplashForm;
class TVNCharSpinEdit;
class TVNSpinEdit;
using TSpinEdit = TVNSpinEdit;

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // FormCreate: builds the window, fills the recent-file menus, restores the bounds and reads
  // the start-up values from the settings file (SettingsPath must be set).
  explicit TForm1(QWidget* parent = nullptr);
  // FormDestroy: writes the window's state and bounds to the settings file.
  ~TForm1() override;

  // ---- Engine instances ----
  TQVData QVLib1;
  TQVData QVPlan1;
  TQVData QVMosaic1;

  // ---- Tool panel ----
  QFrame* Panel1 = nullptr;
  QToolButton* SpeedButton1 = nullptr;   // "Create new library"
  QToolButton* SpeedButton2 = nullptr;   // "Open library"
  QToolButton* SpeedButton3 = nullptr;   // "Open image"
  QToolButton* SpeedButton4 = nullptr;   // "Open project"
  QToolButton* SpeedButton5 = nullptr;   // "Save project"
  QToolButton* SpeedButton6 = nullptr;   // "Save mosaic image"
  QToolButton* SpeedButton7 = nullptr;   // "Render mosaic"
  QToolButton* SpeedButton8 = nullptr;   // "Manual render"
  QToolButton* SpeedButton9 = nullptr;   // "Stop"
  QToolButton* SpeedButton10 = nullptr;  // "Exit"
  QToolButton* SpeedButton11 = nullptr;  // "Run Quivara wizard"
  QToolButton* SpeedButton12 = nullptr;  // "Fast View"
  QToolButton* SpeedButton13 = nullptr;  // "Zoom Out"
  QToolButton* SpeedButton14 = nullptr;  // "Zoom In"
  QToolButton* SpeedButton15 = nullptr;  // "View 100% mosaic"
  QRadioButton* RBDelta1 = nullptr;      // "Difference"
  QRadioButton* RBSource1 = nullptr;     // "Source"
  QRadioButton* RBTarget1 = nullptr;     // "Target"
  QRadioButton* RBEnhance1 = nullptr;    // "Enhance"
  QGroupBox* GroupBox2 = nullptr;        // "Color" and "Blend", shown in the Enhance view
  TSpinEdit* SpinEdit2 = nullptr;        // "Color"
  TVNSpinEdit* VNSpinEdit1 = nullptr;    // "Blend"
  QLabel* LabelDistance = nullptr;       // "Distance:"
  TVNSpinEdit* SpinRadius2 = nullptr;
  QLabel* LabelRepeat = nullptr;  // "Repeat:"
  TVNCharSpinEdit* SpinRepetition2 = nullptr;
  QCheckBox* ChkFixAuto = nullptr;          // "Fix auto"
  QCheckBox* ChkFixManual = nullptr;        // "Fix custom"
  QCheckBox* ChkInvertSelection = nullptr;  // "Inv select"
  QGroupBox* GroupBox1 = nullptr;           // "Use tiles: "
  QCheckBox* CBFlipOriginal = nullptr;      // "Original"
  QCheckBox* CBFlipH = nullptr;             // "H Flip"
  QCheckBox* CBFlipV = nullptr;             // "V Flip"
  QCheckBox* CBRota180 = nullptr;           // "180"
  // The progress bar of a flip pass (its progress event steps it); null between passes.
  QProgressBar* ProgressBar = nullptr;

  // ---- Grid and status bar ----
  TDrawGrid* DrawGrid1 = nullptr;
  TMosaicView* MosaicView1 = nullptr;
  QLabel* StatusPanel[3] = {nullptr, nullptr, nullptr};

  // ---- Menus ----
  QMenu* File1 = nullptr;
  QMenu* Edit1 = nullptr;
  QMenu* Run1 = nullptr;  // "Mosaic"
  QMenu* View1 = nullptr;
  QMenu* Help1 = nullptr;
  QMenu* Recentprojects1 = nullptr;
  QMenu* Recentlibraries1 = nullptr;
  // Filled from the settings like the other two; it joins the File menu together with
  // "Open source image...".
  QMenu* Recentsourceimages1 = nullptr;
  QAction* Openlibrary1 = nullptr;
  QAction* Openqvp1 = nullptr;
  QAction* Revertproject1 = nullptr;
  QAction* Closeproject1 = nullptr;
  QAction* SaveQVP1 = nullptr;
  QAction* SaveQVPas1 = nullptr;
  QAction* Mosaiclayoutsetup1 = nullptr;  // "Save mosaic..."
  QAction* Savestatistic1 = nullptr;
  QAction* Exit1 = nullptr;
  QAction* Mosaicall1 = nullptr;
  QAction* Randommosaic1 = nullptr;
  QAction* Smartmosaic1 = nullptr;
  QAction* Stopmosaicprocess1 = nullptr;
  QAction* Hidedetails1 = nullptr;
  QAction* Showdetails1 = nullptr;
  QAction* Fastview1 = nullptr;
  QAction* N1001 = nullptr;  // "100%"
  QAction* Fittowindow1 = nullptr;
  QAction* Fittoselection1 = nullptr;
  QAction* ZoomIn1 = nullptr;
  QAction* ZoomOut1 = nullptr;
  QAction* ViewSource1 = nullptr;
  QAction* ViewTarget1 = nullptr;
  QAction* ViewEnhance1 = nullptr;
  QAction* Showgrid1 = nullptr;
  QAction* Hidegrid1 = nullptr;
  QAction* Help2 = nullptr;
  QAction* VisitQuivaraonline1 = nullptr;
  QAction* About1 = nullptr;

  // ---- Form fields ----
  bool WizardOnStart = true;
  bool StretchAllowed = false;
  int CandidateCount = 5;
  bool CandidatePopupAllowed = true;
  bool FastJpegAllowed = true;
  bool DetailedBackground = true;
  std::atomic<bool> StopRequested{false};
  int WizardRenderChoice = 0;
  static constexpr int kHelpContext = 4;

  // The splash window, shown again by "About..." (the program sets it; one is made on demand).
  static TSplashForm* SplashForm;

  // ---- Start-up and settings (MainFormSettings.cpp) ----
  void ReadInitialIni();
  void StartUpSetup();
  // Opens a file named on the command line as the recent-file menus open it; reports a file
  // that does not exist.
  void OpenCommandLineFile(const QString& fileName);
  void FormDestroy();

  // ---- Status (MainFormStatus.cpp) ----
  void ShowStatus();
  void SetButtonsOnOff();
  void SetStatusText(int panel, const QString& text);
  QString StatusText(int panel) const;
  // "Lib: " + tiles + flip letters + " rec. (" ... of the open library.
  QString LibrarySummary() const;
  // "Pic: " + cells + " rec. (" ... of the open plan.
  QString PlanSummary() const;
  // The title shown while a pass runs ("37% Quivara 3"); the caption of ShowStatus otherwise.
  void SetApplicationTitle(const QString& title);
  QString ApplicationTitle() const { return applicationTitle_; }

  // ---- Menus (MainFormMenus.cpp) ----
  void File1Click();
  void Edit1Click();
  void Run1Click();
  void View1Click();
  // Applies the enabling rules of all four menus (also for their shortcuts).
  void UpdateMenus();
  void Help2Click();
  void VisitQuivaraonline1Click();
  void About1Click();
  // Moves Ctrl+R to the item of the render type (0 "Mosaic all", 1 "Random mosaic", 2
  // "Smart mosaic"); the other two get none.
  void SetRenderShortcut(int renderType);

  // ---- Files (MainFormFiles.cpp) ----
  void Openqvp1Click();
  void Openlibrary1Click();
  void SaveQVP1Click();
  void SaveQVPas1Click();
  void Revertproject1Click();
  void Closeproject1Click();
  void OpenQVP(const std::string& fileName);
  bool OpenLibraryByName(const std::string& fileName);
  void SaveQVP();
  bool CloseProject();
  // Asks the save question for a modified project before another project replaces it; false
  // when the user cancels (the open project stays).
  bool ConfirmReplaceProject();
  void InsertRecentFile(const std::string& fileName);
  void InitRecentFileMenu();
  void RecentMenuClick(const std::string& fileName);
  // The menu of a recent list.
  QMenu* RecentMenu(TRecentKind kind) const;

  // ---- Source pictures ----
  // The source image setup window, installed with its commands by the source layer; null
  // until then.
  TSourcePictureWindow* SourceWindow = nullptr;
  // Opens a picture in the source image setup window; raises "Please open library first!",
  // "File: ... not found." or "Wrong format. File: ... can't be open.".
  void OpenPictureByName(const std::string& fileName);

  // ---- Composition (MainFormRun.cpp) ----
  void RenderMosaic(int mode);
  bool CheckAnyFlip();
  void AddFlips(bool h, bool v, bool r180);
  void AddFlipProgress();
  void SetForStartMosaic();
  void SetForEndMosaic();
  void Mosaicall1Click() { RenderMosaic(0); }
  void Randommosaic1Click() { RenderMosaic(1); }
  void Smartmosaic1Click() { RenderMosaic(2); }
  void SpeedButton7Click();  // "Render mosaic": the default order
  void SpeedButton9Click();  // "Stop"
  void Stopmosaicprocess1Click() { SpeedButton9Click(); }
  void QVMosaic1Progress();
  // The four "Use tiles: " boxes, indexed by flip kind.
  TOrientationSet Orientations() const;

  // ---- Output ----
  // "Save mosaic..." (menu, button "Save mosaic image"): runs SaveMosaicCommand, which the
  // output windows install (InstallSaveMosaic); needs an open plan.
  std::function<void()> SaveMosaicCommand;
  void Mosaiclayoutsetup1Click();

  // ---- Statistic (MainFormStatistic.cpp) ----
  void Savestatistic1Click();

  // ---- Helpers ----
  // Runs a command; an error it raises is shown by the application's error handler and the
  // window stays usable.
  void Guarded(const std::function<void()>& command);
  // A progress bar at the bottom of the tool panel, as wide as the panel; DeletePanelProgressBar
  // removes it.
  QProgressBar* CreatePanelProgressBar(int maximum);
  void DeletePanelProgressBar(QProgressBar*& bar);
  // Shows a message box captioned AppTitle.
  void ShowMessage(const std::string& text, TPromptIcon icon);

 protected:
  void closeEvent(QCloseEvent* e) override;  // FormCloseQuery
  void showEvent(QShowEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void CreateToolPanel();
  void CreateStatusBar();
  void CreateGrid();
  void CreateMenus();
  void CreateFileMenu();
  void CreateMosaicMenu();
  void CreateViewMenu();
  void CreateHelpMenu();
  void ConnectEngines();
  QToolButton* MakeSpeedButton(const char* name, const QString& hint, const QString& glyph, int size);
  void AddHint(QWidget* w, const QString& hint);
  QAction* MakeAction(QMenu* menu, const char* name, const QString& caption, const QString& glyph,
                      void (TForm1::*handler)());
  void RebuildRecentMenu(TRecentKind kind, const TRecentList& list);
  // The "Opening the library" step: open, recent list, status, remembered folder.
  void OpenLibraryFile(const std::string& fileName);
  // Asks whether to close the project for an incompatible library (OK/Cancel).
  bool AskCloseForLibrary(const std::string& fileName, const char* reason);
  void SetMenusEnabledForRun(bool enabled);
  // The view buttons, labels, fields and boxes of the tool panel that a pass locks.
  std::vector<QWidget*> PanelControlsLockedByRun() const;
  void UntickMissingFlips();
  void CloseIfPending();

  QString caption_;
  QString applicationTitle_;
  bool closePending_ = false;
  bool shownOnce_ = false;
  bool formDestroyed_ = false;
};

}  // namespace qv
