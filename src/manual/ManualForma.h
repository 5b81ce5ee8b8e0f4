#pragma once
// TManualForma: the "Manual tiles" window. It fills single mosaic cells of the main window by
// hand, one way per page: a tile from the best library candidates for the target cell
// ("Library tiles"), a tile cut from any picture file ("Custom tiles"), or every tile of a
// second, forced library at the free cell of the work area that suits it best ("Forced
// tiles"). It is created once, stays above the main window without being modal, and is told
// of the main grid's current cell through TManualTilesWindow.
//
// The pages live in ManualForma.cpp (window, library page), ManualFormaCustom.cpp and
// ManualFormaForced.cpp.
#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/QVData.h"
#include "mainwindow/ManualTilesWindow.h"
#include "raster/Bitmap24.h"

class QFileSystemModel;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTreeView;

namespace qv {

class TCropImage;
class TForm1;
class TTileList;
class TVNSpinEdit;

class TManualForma : public QDialog, public TManualTilesWindow {
  Q_OBJECT
 public:
  static constexpr int kLibraryHelpContext = 27;
  static constexpr int kCustomHelpContext = 28;
  static constexpr int kForcedHelpContext = 29;
  static constexpr int kPopupHelpContext = 11;

  // Reads its bounds, the file panel's width and "Show best:" from the main window's
  // settings file.
  explicit TManualForma(TForm1& form);
  // Writes the three settings back.
  ~TManualForma() override;

  // ---- TManualTilesWindow ----
  bool IsShown() const override { return isVisible(); }
  TManualPage Page() const override;
  void CellSelected(int32_t col, int32_t row) override;
  bool ReplaceCell(int32_t cellNumber) override;

  // The forced library (thumbnails on).
  TQVData QVForcedLib1;
  // The main-grid cell "Replace" writes to; -1 when none.
  int32_t TargetCol = -1;
  int32_t TargetRow = -1;
  // The custom tile as cut from the picture of the custom page.
  Bitmap24 CustomTile;

  // "Manual tiles mode": no target cell, the candidate list sized for the library, then the
  // window is shown and raised.
  void ShowWindow();
  void SetPage(TManualPage page);
  // "Close" on every page: no target cell, no candidate order, the window hidden. During
  // "Replace all" the pass is stopped and the window closes when it has ended.
  void CloseClick();

  // ---- Library tiles ----
  void FindClick();
  void ReplaceClick();
  // Selecting a row of the candidate list: the tile previewed in the target cell.
  void CandidateSelected(int row);
  // The pop-up of a candidate row (row >= 1) or, for row 0, of Image1 (the target cell's tile).
  QMenu* CandidatePopup(int row);

  // ---- Custom tiles ----
  // Choosing a picture file: shown in the crop view with the largest frame of the library's
  // proportion centred in it. A file that cannot be loaded is ignored.
  void OpenCustomPicture(const std::string& fileName);
  bool HasCustomPicture() const;
  // The frame moved: the custom tile cut again and previewed.
  void CropMoved();
  void FindCustomClick();
  // A line of the ranked cell list chosen: its cell becomes the main grid's current cell and
  // the target, with the custom tile previewed there.
  void CellLineClicked(int line);
  void ReplaceCustomClick();

  // ---- Forced tiles ----
  void OpenBaseClick();
  // Opens a forced library after the checks against the project (messages for a library
  // that does not fit).
  void OpenForcedBase(const std::string& fileName);
  void CloseBaseClick();
  void ReplaceAllClick();
  bool ReplaceAllRunning() const { return replaceAllRunning_; }

 protected:
  void reject() override;  // Esc and the window's close button go the way of "Close"
  void showEvent(QShowEvent* e) override;

 private:
  QWidget* CreateLibraryPage();
  QWidget* CreateCustomPage();
  QWidget* CreateForcedPage();
  QPushButton* AddButton(QWidget* page, const char* name, const QString& caption);
  void PageChanged();
  void UpdateButtons();
  // The list's rows for the library: none open one row, else min("Show best:", available).
  void SizeCandidateList();
  void ListCandidatesFor(int32_t col, int32_t row);
  void ShowTargetTile();
  void SetStatus(const QString& text);
  void Preview(const QImage& picture);
  // Makes the target cell the main grid's current cell without asking for candidates again.
  void MakeTargetCurrent();
  void CellPlaced(int32_t cell);
  // Places the page's choice into the target cell as one undo step.
  void ReplaceTarget(const QString& stepText);
  bool CutCustomTile();
  void ShowFilePopup(const TQVData& table, QMenu* menu);
  void FitImage1();
  // The placements of "Replace all" between SetForStartMosaic and SetForEndMosaic.
  void RunReplaceAll(int32_t n, const std::function<bool(int32_t cell)>& inArea);

  TForm1& form_;
  // A copy: the window is destroyed with the main window, after the main window's members.
  const std::string settingsPath_;
  QTabWidget* PageControl1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QLabel* StatusPanel1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  // Library tiles
  TVNSpinEdit* VNSpinEdit1 = nullptr;
  QWidget* Panel2 = nullptr;  // the frame of Image1
  QLabel* Image1 = nullptr;
  TTileList* DrawGrid1 = nullptr;
  QPushButton* BtnFind1 = nullptr;
  QPushButton* BtnReplace1 = nullptr;
  // Custom tiles
  QSplitter* Splitter1 = nullptr;
  QFileSystemModel* FileModel1 = nullptr;
  QTreeView* FileTree1 = nullptr;
  TCropImage* CropImage1 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QPushButton* BtnFind2 = nullptr;
  QPushButton* BtnReplace2 = nullptr;
  // Forced tiles
  TTileList* DrawGrid2 = nullptr;
  QPushButton* BtnOpenBase = nullptr;
  QPushButton* BtnReplaceAll = nullptr;
  QPushButton* BtnCloseBase = nullptr;

  QMenu* popup_ = nullptr;
  QImage targetTile_;
  bool replaceAllRunning_ = false;
  bool closeAfterPass_ = false;
  bool movingGrid_ = false;
  bool splitterPlaced_ = false;
};

}  // namespace qv
