#pragma once
// TOutputSetup: the modal "Output mosaic setup" window. The user sets the output size (in
// pixels, inches or cm at a resolution), borders, grid lines, colour correction and
// blending, a few quality and memory options, and saves with "Save as", which asks for a
// file and a type and runs the writer of that type off the user-interface thread (the
// window keeps repainting, shows the run's progress in its status bar and stops on "Stop").
//
// The window keeps a layout preview and the derived figures up to date while the user
// edits; their arithmetic is in models/OutputLayout. The opener ("Save mosaic...") gives it
// the part of the mosaic being saved, the two previews and the tables to write from.
#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>
#include <string>

#include "models/OutputLayout.h"
#include "output/RenderSettings.h"
#include "output/WriterCommon.h"
#include "raster/Bitmap24.h"
#include "settings/OutputSettings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace qv {

class TQVData;
class TVNSpinEdit;

// What the writers work from: the tables of the open project, the cells being saved and the
// stop flag that "Stop" sets.
struct TOutputSource {
  TQVData* Mosaic = nullptr;
  TQVData* Plan = nullptr;
  TQVData* Library = nullptr;  // its current tile's stored picture decides the resample warning
  RenderArea Area;
  std::atomic<bool>* StopRequested = nullptr;
  bool DetailedBackground = true;  // the preference "Use detailed background"
  // Called with true before a writer starts and with false after it ends (the opener keeps
  // its views from reading the tables meanwhile).
  std::function<void(bool running)> OnRunning;
};

class TOutputSetup : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 20;
  static constexpr int kLayoutBoxWidth = 282;
  static constexpr int kInitialJpegQuality = 80;

  // Loads the settings from the settings file settingsPath and restores the window's bounds.
  explicit TOutputSetup(std::string settingsPath, QWidget* parent = nullptr);
  // Saves the settings and the bounds.
  ~TOutputSetup() override;

  // ---- Set by the opener ----
  void SetSource(const TOutputSource& source) { source_ = source; }
  // The cells across and down being saved and the tile proportions.
  void SetGrid(const TOutputGrid& grid) { grid_ = grid; }
  const TOutputGrid& Grid() const { return grid_; }
  void SetPreviews(Bitmap24 mosaicPreview, Bitmap24 sourcePreview);
  // The main window's Enhance values: "Blend tile colors %" and "Color correction %".
  void SetBlendAndCorrection(int blendPercent, int correctionPercent);
  // The state behind the entries; after changing it call RefreshFigures and RefreshPreview.
  TOutputSettings& Settings() { return settings_; }
  const TOutputSettings& Settings() const { return settings_; }
  int LayoutBoxWidth() const;

  void RefreshFigures();
  void RefreshPreview();

  // ---- What the writers receive ----
  RenderSettings CurrentRenderSettings() const;
  int JpegQuality() const { return jpegQuality_; }
  bool Running() const { return running_; }
  QString StatusText() const;
  // The layout preview as shown (before fitting into the box).
  const Bitmap24& LayoutPicture() const { return layout_; }

  // ---- Buttons ----
  void BtnSaveAsClick();
  void BtnCloseClick();
  void BtnStopClick();
  void BtnHelpClick();
  // Saves to fileName as type (kType*), as "Save as" does after its file dialog: the JPEG
  // quality and resample questions, the writer, the question to open the picture.
  void SaveAs(const QString& fileName, int type);
  void SaveSettings();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void reject() override;

 private:
  void BuildControls();
  void LoadSettings();
  void ConnectHandlers();
  void ShowSwitches();
  void SetStatus(const QString& text);
  void SetRunning(bool running);
  void ShowLayout();
  void SwatchClicked(bool border);
  void ShowSwatch(QPushButton* swatch, uint32_t colorRef);
  // The stored picture the resample warning compares with the output cell size.
  Bitmap24 StoredTilePicture() const;
  // Runs the writer of type; throws what the writer throws.
  WriteOutcome RunWriter(const std::string& fileName, int type, const RenderSettings& settings);

  // Change handlers.
  void EditWidthChange();
  void EditHeightChange();
  void EditBorderChange(TBorderSide side);
  void EditResolutionChange();
  void ComboUnitsChange();
  void ChkBordersClick();
  void ChkGridClick();
  void BlendOrCorrectionChange();

  // ---- Controls ----
  QLineEdit* EditWidth;
  QLineEdit* EditHeight;
  QLabel* LabelUnitWidth;
  QLabel* LabelUnitHeight;
  QComboBox* ComboUnits;
  QLineEdit* EditResolution;
  QCheckBox* ChkBorders;
  QPushButton* ShapeBorderColor;
  QLabel* LabelBorderColor;
  QLineEdit* EditBorderLeft;
  QLineEdit* EditBorderTop;
  QLineEdit* EditBorderRight;
  QLineEdit* EditBorderBottom;
  QLabel* LabelBorderLeft;
  QLabel* LabelBorderTop;
  QLabel* LabelBorderRight;
  QLabel* LabelBorderBottom;
  QLabel* LabelUnitBorders;
  QCheckBox* ChkGrid;
  QPushButton* ShapeGridColor;
  QLabel* LabelGridColor;
  TVNSpinEdit* SpinGridWidth;
  QLabel* LabelGridWidth;
  TVNSpinEdit* SpinCorrection;
  TVNSpinEdit* SpinBlend;
  QCheckBox* ChkDetailedBlend;
  QCheckBox* ChkUseThumb;
  QCheckBox* ChkSharpen;
  QCheckBox* ChkDirectToDisk;
  QCheckBox* ChkFastJpeg;
  QCheckBox* ChkOpenAfterSave;
  QLabel* LabelLayout;     // "Layout", the caption of GroupLayout
  QGroupBox* GroupLayout;  // the layout preview's box
  QLabel* ImageLayout;
  QLabel* LabelTileSize;
  QLabel* LabelTileInch;
  QLabel* LabelTileCm;
  QLabel* LabelOutputSize;
  QLabel* LabelOutputInch;
  QLabel* LabelOutputCm;
  QLabel* LabelFileSize;
  QPushButton* BtnSaveAs;
  QPushButton* BtnClose;
  QPushButton* BtnStop;
  QPushButton* BtnHelp;
  QStatusBar* StatusBar1;
  QLabel* StatusPanel0;
  QProgressBar* ProgressBar1;

  // ---- State ----
  TOutputSettings settings_;
  TOutputGrid grid_;
  TOutputSource source_;
  Bitmap24 mosaicPreview_, sourcePreview_, layout_;
  bool Updating = false;
  bool running_ = false;
  QLineEdit* editing_ = nullptr;  // the entry the user is typing in
  int jpegQuality_ = kInitialJpegQuality;
  const std::string settingsPath_;
};

}  // namespace qv
