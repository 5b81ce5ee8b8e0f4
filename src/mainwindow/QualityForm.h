#pragma once
// "Mosaic quality": how closely the open mosaic matches its plan. Shows the cell distances the
// composition minimises (total, mean, percentiles), the distinct tiles and the largest use
// count, a heat map of the distance of every cell, and on request the PSNR, SSIM and cell-mean
// error of the mosaic rendered at a chosen width against the framed source picture. The map
// can be saved as a PNG file. Its bounds are kept under "LayOut"/"MosaicQuality".
#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/MosaicQuality.h"
#include "raster/Bitmap24.h"

class QGridLayout;
class QLabel;
class QPushButton;

namespace qv {

class TVNSpinEdit;
class TQVData;

class TQualityForm : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 37;
  // Measures the mosaic at once; the tables must stay open while the window lives.
  TQualityForm(TQVData& library, TQVData& plan, TQVData& mosaic, std::string settingsPath, QWidget* parent = nullptr);
  ~TQualityForm() override;

  const TQualityFigures& Figures() const { return figures_; }

  // "Compare": renders the mosaic at the width of SpinWidth1 and shows how close it comes to
  // the source picture (an error message when the source picture cannot be read).
  void CompareClick();
  // "Save map...": asks for a file name and writes the heat map as PNG.
  void SaveMapClick();

 protected:
  void done(int result) override;

 private:
  QLabel* AddFigure(QGridLayout* grid, int row, const QString& caption, const char* name);

  TQVData& lib_;
  TQVData& plan_;
  TQVData& mosaic_;
  const std::string settingsPath_;
  TQualityFigures figures_;
  Bitmap24 map_;
  bool boundsSaved_ = false;

  QLabel* Map1 = nullptr;     // the heat map
  QLabel* Legend1 = nullptr;  // the colour ramp under it
  QLabel* LabelLow = nullptr;
  QLabel* LabelHigh = nullptr;
  QLabel* LabelCells = nullptr;
  QLabel* LabelTotal = nullptr;
  QLabel* LabelMean = nullptr;
  QLabel* LabelP50 = nullptr;
  QLabel* LabelP90 = nullptr;
  QLabel* LabelP99 = nullptr;
  QLabel* LabelLargest = nullptr;
  QLabel* LabelTiles = nullptr;
  QLabel* LabelUses = nullptr;
  TVNSpinEdit* SpinWidth1 = nullptr;
  QPushButton* BtnCompare = nullptr;
  QLabel* LabelPsnr = nullptr;
  QLabel* LabelSsim = nullptr;
  QLabel* LabelCellError = nullptr;
  QPushButton* BtnSaveMap = nullptr;
  QPushButton* BtnClose = nullptr;
};

}  // namespace qv
