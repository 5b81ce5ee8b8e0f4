#pragma once
// TLibrayMosaic: the "Library inspector". It lists the unflipped tiles of the main window's
// library one per row (thumbnail, file name, record number, picture size, path), shows a
// tile's picture in the tile preview, finds the tile a mosaic cell uses, and maintains the
// library: deleted marks, flip blocks, resampling, appending a folder, repeated names,
// removing deleted tiles, and a project that shows the library as a mosaic.
//
// Long commands run on the user-interface thread, letting pending events through as they
// go, with a progress bar and a stop button at the top of the window; the other commands
// are locked meanwhile. The maintenance commands live in LibraryInspectorCommands.cpp.
#include <QCache>
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QTimer>
#include <atomic>
#include <functional>
#include <string>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;
class QToolButton;

namespace qv {

class TForm1;
class TQVData;
class TTileRowsModel;
class TVNSpinEdit;

class TLibrayMosaic : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 32;
  static constexpr int kPopupHelpContext = 11;
  explicit TLibrayMosaic(TForm1& mainForm, QWidget* parent = nullptr);
  ~TLibrayMosaic() override;

  // The opener's steps: the summary labels, the grid's rows and the columns offered.
  void ShowLibInfo();
  void SetTileRows();
  // When set before the window is shown, the window looks for the tile with this file name
  // once it has come up (the grid pop-up's "Find this tile in the Library Inspector").
  std::string SearchFileName;
  // Looks for the tile with this full file name, with progress and stop; true when found
  // (then its row is the grid's top row and selected).
  bool FindTile(const std::string& fileName);

  // The grid row (1-based, = record number) of the current tile; 0 when none.
  int CurrentTile() const;
  void SelectTile(int tile);
  // The Del key and the pop-up's second entry: toggles the deleted mark of a tile.
  void ToggleDeleted(int tile);
  // The pop-up menu of a row, built as a right click builds it (tests look at it).
  QMenu* PopupFor(int tile);
  // "Show file": the tile preview of a tile.
  void ShowFile(int tile);

  // ---- Commands ----
  void CreateClick();         // "Create" of "Make Mosaic from Library"
  void AddFlipsClick();       // "Add flips"
  void RemoveFlipsClick();    // "Remove flips"
  void ResampleClick();       // "Resample library..."
  void AppendClick();         // "Append images from folder..."
  void CleanDoubleClick();    // "Clean double Path+Name"
  bool RemoveDeletedClick();  // "Remove deleted tiles"; false when the library was not written
  bool PassRunning() const { return passRunning_; }
  void StopPass() { stopRequested_ = true; }

  // The colour of the colour-distance order (0xRRGGBB).
  QColor SampleColor() const { return sample_; }
  void SetSampleColor(const QColor& c);

 protected:
  // "Close", the window's close button and Esc: during a pass they stop it; with unsaved
  // changes they ask the closing question, whose Cancel keeps the window.
  void reject() override;
  void showEvent(QShowEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void CreateControls();
  QGroupBox* CreateMosaicGroup();
  void ColumnsChanged(int columns);
  void RowsChanged(int rows);
  void RowContextMenu(const QPoint& pos);
  void RowResized(int logical, int oldSize, int newSize);
  void UpdateCommands();
  void Refresh();  // after the library changed: labels, rows, commands
  // The top bar of a long pass: shown with the text and stop caption, hidden by EndPass.
  void BeginPass(const QString& text, const QString& stopCaption, int maximum);
  void StepPass(int value);
  void EndPass();
  bool AskFlipsDialog(bool& h, bool& v, bool& r180);
  void SampleTimerTick();
  // Reopens the library from its file, dropping changes that were not written.
  void DiscardChanges();
  void ReportLibraryWriteFailure(const std::exception& e);
  // False, with a message, when the library file is read-only: it is then never replaced.
  bool LibraryFileWritable();

 public:
  // Painting of one row (the grid's delegate calls it).
  void PaintRow(QPainter& p, const QRect& rect, int tile, bool selected, bool focused);
  QImage ThumbnailOf(int tile);

 private:
  TForm1& main_;
  TQVData& lib_;
  QTableView* DrawGrid1 = nullptr;
  TTileRowsModel* rows_ = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label4 = nullptr;
  QPushButton* SpeedButton2 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  TVNSpinEdit* VNSpinEdit1 = nullptr;
  TVNSpinEdit* VNSpinEdit2 = nullptr;
  QButtonGroup* order_ = nullptr;
  QRadioButton* orderButtons_[4] = {};
  QToolButton* Shape1 = nullptr;
  QToolButton* SpeedButton1 = nullptr;
  QPushButton* BtnCreate = nullptr;
  QPushButton* BtnClose = nullptr;
  QPushButton* BtnAddFlips = nullptr;
  QPushButton* BtnRemoveFlips = nullptr;
  QPushButton* BtnResample = nullptr;
  QPushButton* BtnAppend = nullptr;
  QPushButton* BtnCleanDouble = nullptr;
  QPushButton* BtnRemoveDeleted = nullptr;
  QWidget* passPanel_ = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QLabel* LabelPass = nullptr;
  QPushButton* BtnStopPass = nullptr;
  QMenu* popup_ = nullptr;
  QTimer Timer1;
  QColor sample_ = QColor(128, 128, 128);
  QCache<int, QImage> thumbs_;
  bool passRunning_ = false;
  std::atomic<bool> stopRequested_{false};
  bool searchedOnce_ = false;
  bool settingSides_ = false;
  bool settingRowHeight_ = false;
};

}  // namespace qv
