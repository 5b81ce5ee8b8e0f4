#pragma once
// TForm1: the main window. It owns the three engine instances (QVLib1 the library, QVPlan1
// the plan, QVMosaic1 the mosaic), the tool panel with its buttons and composition settings,
// the mosaic grid and its view, the menus and the status bar.
//
// How the other windows reach the main window's state
// ----------------------------------------------------
// - The window that opens them passes what they need: the main window itself (TForm1&) for
//   windows that work on its tables or update its status, otherwise only the values they use.
// - Tables: QVLib1, QVPlan1 and QVMosaic1 are public and live as long as the window; change
//   them only through the engine's operations, then call ShowStatus and SetButtonsOnOff.
// - Settings file: SettingsPath() (fixed by the splash window at start and handed to the
//   window); every window reads and writes its keys there (LastPath, LayOut, its section).
// - Passes: MosaicRunning() is true while a composition, flip or report pass runs; a command
//   that changes the tables does nothing then. A long pass of another window brackets itself
//   with SetForStartMosaic and SetForEndMosaic and polls StopRequested ("Stop").
// - Preferences(): the values the preferences dialog sets (SetPreferences applies them).
// - Message boxes and file dialogs: Prompts() (mainwindow/Prompts.h), never QMessageBox or
//   QFileDialog directly, so that tests can answer them; ShowMessage for a plain message.
// - Menus and toolbar: AddCommand puts another window's command at its place in the menus
//   (TMenuPlace) with its enabling rule, and shows and connects its toolbar button.
// - Widgets are private; tests find them with findChild by their objectName (the control's
//   name: "SpinRadius2", "Openqvp1", "StatusPanel1"...).
//
// The class is split over several files by concern:
//   MainForm.cpp           construction: tool panel, status bar, grid; helpers
//   MainFormMenus.cpp      menus, actions, commands of other windows, help commands
//   MainFormStatus.cpp     ShowStatus, SetButtonsOnOff, status panels, focus hints
//   MainFormSettings.cpp   ReadInitialIni, StartUpSetup, preferences, write-back at the end
//   MainFormFiles.cpp      libraries, projects, recent lists, close query
//   MainFormRun.cpp        composition runs, flip passes, locking during a pass
//   MainFormStatistic.cpp  "Save statistic..."
//   MainFormEdit.cpp       cell selection and editing: the Edit menu's cell commands, erase
//                          passes, Enter/Delete/double click in the grid, cell status, undo
//   MainFormPopup.cpp      the cell pop-up menu of the grid and the tool panel, its handlers
#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/CellGrid.h"
#include "engine/QVData.h"
#include "mainwindow/Prompts.h"
#include "models/CellSelection.h"
#include "settings/RecentFiles.h"

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLayout;
class QMenu;
class QProgressBar;
class QRadioButton;
class QScreen;
class QToolButton;
class QUndoStack;

namespace qv {

class TDrawGrid;
class TManualTilesWindow;
class TMosaicView;
class TSourcePictureWindow;
class TSplashForm;
class TStatusPanel;
class TVNCharSpinEdit;
class TVNSpinEdit;
using TSpinEdit = TVNSpinEdit;

// The main window's values that the preferences dialog changes (read from the settings file
// at start).
struct TMainPreferences {
  // The order of the "Render mosaic" button and the item with Ctrl+R: 0 "Mosaic all" (top to
  // bottom), 1 "Random mosaic", 2 "Smart mosaic".
  int RenderType = 2;
  bool WizardOnStart = true;
  bool StretchAllowed = false;     // open a library of another tile proportion by stretching
  bool FlipRotateAllowed = false;  // the group "Use tiles: " is shown
  bool CandidatePopupAllowed = true;
  int CandidateCount = 5;          // how many best candidates the grid pop-up lists
  bool FastJpegAllowed = true;     // new libraries decode JPEG pictures at reduced size
  bool DetailedBackground = true;  // the renderer draws empty cells from the source picture
};

// Where commands of other windows join the main window's menus, in menu order.
enum class TMenuPlace {
  NewLibrary,          // File, first, then a separator: "New library..."
  OpenSourceImage,     // File, after "Open project...": "Open source image..."
  RecentSourceImages,  // File, after "Recent libraries": the "Recent source images" sub-menu
  SaveMosaic,          // File, before "Save statistic...": "Save mosaic..."
  EditCells,           // Edit, after "Undo"/"Redo": "Erase cell", "Select all", "Erase selection"...
  EditLibrary,         // Edit, between separators: "Library inspector..."
  EditPreferences,     // Edit, last: "Preferences..."
  Wizard,              // Mosaic, first, then a separator: "Run Quivara Wizard"
  ManualTiles,         // Mosaic, then a separator: "Manual tiles mode"
  SourceImage,         // View, last, after a separator: "Source image"
};

// A command of another window in the main window's menus.
struct TMainCommand {
  const char* Name = "";  // the action's objectName, "Newlibrary1"
  QString Caption;        // "New library..."
  QString Glyph;          // the menu picture's name (GlyphIcon), empty for none
  QKeySequence Shortcut;
  // Runs the command; an error it raises is shown by the error handler.
  std::function<void()> Run;
  // Whether the command is enabled, asked whenever the menus' rules are applied (as its menu
  // opens and after every command); no rule: always. During a pass it is off either way.
  std::function<bool()> Enabled;
  // The toolbar button that runs it too ("SpeedButton1"); it is shown from then on.
  const char* Button = nullptr;
};

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // FormCreate: builds the window, fills the recent-file menus, restores the bounds and reads
  // the start-up values from the settings file settingsPath.
  explicit TForm1(std::string settingsPath, QWidget* parent = nullptr);
  // FormDestroy: writes the window's state and bounds to the settings file.
  ~TForm1() override;

  // ---- Engine instances ----
  TQVData QVLib1;
  TQVData QVPlan1;
  TQVData QVMosaic1;

  // ---- State shared with the other windows ----
  const std::string& SettingsPath() const { return settingsPath_; }
  // True from SetForStartMosaic to SetForEndMosaic.
  bool MosaicRunning() const { return mosaicRunning_; }
  // Set by "Stop" (and by closing the window during a pass); the passes poll it.
  std::atomic<bool> StopRequested{false};
  const TMainPreferences& Preferences() const { return preferences_; }
  // Takes the values and applies them: Ctrl+R, the "Use tiles: " group, the grid pop-up's
  // candidate items.
  void SetPreferences(const TMainPreferences& preferences);
  // "Reset all settings to default" for the tool panel: Distance 6, Repeat "Auto", "Fix
  // custom" alone ticked, "Color" 50, "Blend" 20, only "Original" ticked; writes the run and
  // orientation keys ("Color" and "Blend" reach the file when the window closes).
  void ResetRunSettings();
  // The splash window the program keeps, shown again by "About..." (one is made on demand
  // when there is none).
  void SetSplashForm(TSplashForm* splash);
  // The grid view: views, zoom and repainting of the mosaic grid.
  TMosaicView& MosaicView() const { return *MosaicView1; }
  // The four "Use tiles: " boxes, indexed by flip kind.
  TOrientationSet Orientations() const;
  // "Distance:" and "Inv select" as the composition runs take them.
  int32_t Distance() const;
  bool InvertSelection() const;
  // "Repeat:" (0 "Auto").
  int32_t Repeat() const;
  // Sets "Distance:" and "Repeat:" (the wizard hands over its advanced render options).
  void SetDistanceAndRepeat(int32_t distance, int32_t repeat);
  // What the wizard asked for when it closed: 0 nothing, 1 "Mosaic all" (top to bottom), 2
  // "Random mosaic", 3 "Smart mosaic"; the wizard command composes it and saves the project.
  int WizardRenderChoice = 0;

  // ---- Menus and toolbar ----
  QAction* AddCommand(TMenuPlace place, const TMainCommand& command);
  // Puts an action made elsewhere (a sub-menu's menuAction()) at a place.
  void AddMenuAction(TMenuPlace place, QAction* action);
  // Applies the enabling rules of all menus (also for their shortcuts).
  void UpdateMenus();
  // Moves Ctrl+R to the item of the render type (0 "Mosaic all", 1 "Random mosaic", 2
  // "Smart mosaic"); the other two get none.
  void SetRenderShortcut(int renderType);

  // ---- Start-up (MainFormSettings.cpp) ----
  void StartUpSetup();
  // Opens a file named on the command line as the recent-file menus open it; reports a file
  // that does not exist.
  void OpenCommandLineFile(const QString& fileName);

  // ---- Status (MainFormStatus.cpp) ----
  void ShowStatus();
  void SetButtonsOnOff();
  // Shows text in a status panel (whole as its tool tip); a narrow panel shortens the file
  // name at [fileStart, fileStart + fileLength) in its middle, other texts at their end.
  void SetStatusText(int panel, const QString& text, int fileStart = -1, int fileLength = 0);
  QString StatusText(int panel) const;
  // "Lib: " + tiles + flip letters + " rec. (" ... of the open library.
  QString LibrarySummary() const;
  // "Pic: " + cells + " rec. (" ... of the open plan.
  QString PlanSummary() const;
  // The title shown while a pass runs ("37% Quivara 3"); the caption of ShowStatus otherwise.
  void SetApplicationTitle(const QString& title);
  QString ApplicationTitle() const { return applicationTitle_; }

  // ---- Menu commands (the wizard and other windows run them too) ----
  void Openqvp1Click();
  void Openlibrary1Click();
  void SaveQVP1Click();
  void SaveQVPas1Click();
  void Revertproject1Click();
  void Closeproject1Click();
  void Savestatistic1Click();  // MainFormStatistic.cpp
  void Mosaicall1Click() { RenderMosaic(0); }
  void Randommosaic1Click() { RenderMosaic(1); }
  void Smartmosaic1Click() { RenderMosaic(2); }
  void Optimisemosaic1Click() { OptimiseMosaic(); }
  void Optimisemosaicforcolour1Click() { OptimiseMosaic(false, kOptimiseColourWeight); }
  void Mosaicquality1Click();  // MainFormQuality.cpp: the "Mosaic quality" window
  void SpeedButton7Click();    // "Render mosaic": the order of Preferences().RenderType
  void SpeedButton9Click();    // "Stop"
  void Stopmosaicprocess1Click() { SpeedButton9Click(); }

  // ---- Files (MainFormFiles.cpp) ----
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

  // ---- Manual tiles ----
  // The manual tiles window, installed with its commands by the manual layer; null until then.
  TManualTilesWindow* ManualWindow = nullptr;

  // ---- Cell editing (MainFormEdit.cpp) ----
  // Every edit of mosaic cells is one step here (mainwindow/CellEditStep.h); opening and
  // closing a project clears it.
  QUndoStack& UndoStack() const { return *UndoStack1; }
  // The memory the undo steps may hold together (each keeps two records of every cell it
  // changed, thumbnails included): past it the oldest steps go, the newest always stays.
  size_t UndoMemoryLimit = size_t(256) << 20;
  // After undo or redo wrote these mosaic records: repaint them, mark the project modified
  // (the engine did), refresh the status of the current cell and the buttons.
  void CellsRestored(const std::vector<int32_t>& cells);
  // Paints mosaic record cellNumber at once with the focused state, as the editing commands do.
  void PaintEditedCell(int32_t cellNumber);
  // Commands of the Edit menu and the grid's keys.
  void Erasecell1Click();  // "Erase cell": the current cell, "Fix custom" or not
  void Eraseselection1Click() { EraseSelection(TErasePattern::All); }
  void EraseSelection(TErasePattern pattern);  // "Erase selection" and the special erasings
  void Replacemanually();                      // Enter or a double click: the manual tiles window's choice
  void SelectallGrid();                        // "Select all" (Ctrl+A)
  void SelectCurrent();                        // the selection becomes the current cell
  void SelectionStatus();                      // status panel 0 for a selection of more than one cell
  // The grid's current cell (col, row) changed: the cell status texts, and the manual tiles
  // window is told.
  void DrawGrid1SelectCell(int col, int row);
  // Hooks of the layers above: "Find this tile in the Library Inspector" (the library layer
  // installs it with "Library inspector..."), "Save cells from ..." (the output layer, with
  // "Save mosaic..."). Their pop-up items are hidden or do nothing while unset.
  std::function<void(const std::string& tileFileName)> FindTileInLibraryInspector;
  std::function<void()> SaveMosaicCommand;

  // ---- The cell pop-up menu (MainFormPopup.cpp) ----
  // Empties CellPopupMenu and gives it 3 items (actions or cell items) and one for each
  // candidate it may list (CandidateCount, no more than fit on the screen in one column);
  // SetPreferences runs it again when CandidateCount changes.
  void InitPopUpMenu();
  QMenu* CellPopupMenu() const { return CellPopupMenu1; }
  // Builds the grid's pop-up for a right click on cell (col, row); false when there is none
  // (no project, a pass running, one cell selected without usable orientations).
  bool PrepareGridPopup(int col, int row);
  // Builds the tool panel's pop-up (the three actions without coordinates).
  void PrepareToolPanelPopup();

  // ---- Composition (MainFormRun.cpp) ----
  // mode 0 "Mosaic all", 1 "Random mosaic", 2 "Smart mosaic". True when the run went to its end.
  bool RenderMosaic(int mode);
  // "Optimise mosaic" (MainFormOptimise.cpp): lowers the total distance of the tiles placed
  // in the grid or the selection's work area, keeping the window's rules; one undo step. A
  // mosaic that does not keep the window's rules is, if the user agrees, composed again
  // with them by "Smart mosaic" first (an undo step of its own). "Optimise mosaic for
  // colour" runs it with kOptimiseColourWeight: a difference in a cell's mean colour then
  // counts that many times the same difference in the pattern within the cell, which brings
  // the mosaic's colours closer to the picture's at a glance.
  void OptimiseMosaic(bool composedFirst = false, double colourWeight = 1.0);
  static constexpr double kOptimiseColourWeight = 4.0;
  void AddFlips(bool h, bool v, bool r180);
  void SetForStartMosaic();
  void SetForEndMosaic();

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
  // ---- Construction (MainForm.cpp) ----
  void CreateToolPanel();
  QLayout* CreateButtonColumn();
  QLayout* CreateViewButtons();
  QWidget* CreateEnhanceGroup();
  QLayout* CreateRunFields();
  QLayout* CreateFixBoxes();
  QWidget* CreateFlipGroup();
  void CreateStatusBar();
  void CreateGrid();
  void ConnectEngines();
  QToolButton* MakeSpeedButton(const char* name, const QString& hint, const QString& glyph, int size);
  void AddHint(QWidget* w, const QString& hint);

  // ---- Menus (MainFormMenus.cpp) ----
  void CreateMenus();
  void CreateFileMenu();
  void CreateEditMenu();
  void CreateMosaicMenu();
  void CreateViewMenu();
  void CreateHelpMenu();
  void ConnectToolButtons();
  QAction* MakeAction(QMenu* menu, const char* name, const QString& caption, const QString& glyph,
                      void (TForm1::*handler)());
  // An invisible action marking where commands of other windows go.
  void MarkPlace(QMenu* menu, TMenuPlace place);
  // Opening handlers: the enabling rules of each menu.
  void File1Click();
  void Edit1Click();
  void Run1Click();
  void View1Click();
  // The rules of the commands other windows added to menu.
  void ApplyCommandRules(const QMenu* menu);
  void Help2Click();
  void VisitQuivaraonline1Click();
  void About1Click();

  // ---- Settings (MainFormSettings.cpp) ----
  void ReadInitialIni();
  void FormDestroy();

  // ---- Files (MainFormFiles.cpp) ----
  void RebuildRecentMenu(TRecentKind kind, const TRecentList& list);
  // The "Opening the library" step: open, recent list, status, remembered folder.
  void OpenLibraryFile(const std::string& fileName);
  // Asks whether to close the project for an incompatible library (OK/Cancel).
  bool AskCloseForLibrary(const std::string& fileName, const char* reason);

  // ---- Cell editing (MainFormEdit.cpp, MainFormPopup.cpp) ----
  void CreateEditCommands();
  void ConnectGridEditing();
  void UpdateEditCommands();
  void DeleteKeyInGrid();
  void ClearUndo();
  void ShowPopup(const QPoint& globalPos);
  // What a pop-up item does when chosen.
  enum class TPopupHandler { None, Action, Original, Delete, LibInspector, Candidate };
  void SetPopupItem(int index, const TPopupItem& item, TPopupHandler handler);
  // How many candidates the pop-up lists on screen (see CandidatesListed).
  int32_t PopupCandidatesListed(const QScreen* screen) const;
  void AddPopupItems(int items);  // appends hidden items until the menu holds items
  void PopupItemClicked(int index);
  void OnActionPopUpClick(int32_t tag);
  void OnOriginalPopUpClick(int32_t tag);
  void OnDeletePopUpClick(int32_t tag);
  void OnLibInspectorPopUpClick(int32_t tag);
  void OnCandidatePopUpClick(int32_t tag);
  // Moves the mosaic and the plan to record n when the mosaic is elsewhere.
  void GoToCell(int32_t n);
  // The cell pop-up's first three items for one cell; false when the cell is not in the grid.
  void FillCellItems(int col, int row, bool withFlipCode);

  // ---- Composition (MainFormRun.cpp) ----
  bool CheckAnyFlip();
  void AddFlipProgress();
  void QVMosaic1Progress();
  void SetMenusEnabledForRun(bool enabled);
  // The view buttons, labels, fields and boxes of the tool panel that a pass locks.
  std::vector<QWidget*> PanelControlsLockedByRun() const;
  void UntickMissingFlips();
  void CloseIfPending();

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
  TStatusPanel* StatusPanel[3] = {nullptr, nullptr, nullptr};

  // ---- Editing ----
  QUndoStack* UndoStack1 = nullptr;
  QAction* Undo1 = nullptr;
  QAction* Redo1 = nullptr;
  QAction* Erasecell1 = nullptr;
  QAction* Selectall1 = nullptr;
  QAction* Eraseselection1 = nullptr;
  QMenu* Specialerasing1 = nullptr;
  QMenu* CellPopupMenu1 = nullptr;
  std::vector<TPopupHandler> popupHandlers_;  // one per item of CellPopupMenu1
  // The library records the candidate items offered, in order, and the library they came
  // from: a candidate chosen after another search reordered the library is still the tile shown.
  std::vector<int32_t> candidateRecords_;
  std::string candidateLibrary_;

  // ---- Menus ----
  QMenu* File1 = nullptr;
  QMenu* Edit1 = nullptr;
  QMenu* Run1 = nullptr;  // "Mosaic"
  QMenu* View1 = nullptr;
  QMenu* Help1 = nullptr;
  QMenu* Recentprojects1 = nullptr;
  QMenu* Recentlibraries1 = nullptr;
  // Filled from the settings like the other two; the source image setup puts it into the File
  // menu (TMenuPlace::RecentSourceImages).
  QMenu* Recentsourceimages1 = nullptr;
  QAction* Openlibrary1 = nullptr;
  QAction* Openqvp1 = nullptr;
  QAction* Revertproject1 = nullptr;
  QAction* Closeproject1 = nullptr;
  QAction* SaveQVP1 = nullptr;
  QAction* SaveQVPas1 = nullptr;
  QAction* Savestatistic1 = nullptr;
  QAction* Exit1 = nullptr;
  QAction* Mosaicall1 = nullptr;
  QAction* Randommosaic1 = nullptr;
  QAction* Smartmosaic1 = nullptr;
  QAction* Optimisemosaic1 = nullptr;
  QAction* Optimisemosaicforcolour1 = nullptr;
  QAction* Mosaicquality1 = nullptr;
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

  struct TPlace {
    QMenu* Menu;
    QAction* Mark;  // invisible; the place's commands go before it
  };
  struct TAddedCommand {
    QAction* Action;
    QMenu* Menu;
    std::function<bool()> Enabled;
  };
  std::map<TMenuPlace, TPlace> places_;
  std::vector<TAddedCommand> addedCommands_;

  // ---- State ----
  static constexpr int kHelpContext = 4;
  const std::string settingsPath_;
  TMainPreferences preferences_;
  bool mosaicRunning_ = false;
  QPointer<TSplashForm> splash_;
  QString caption_;
  QString applicationTitle_;
  bool closePending_ = false;
  bool shownOnce_ = false;
  bool formDestroyed_ = false;
};

}  // namespace qv
