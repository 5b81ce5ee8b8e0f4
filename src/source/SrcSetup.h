#pragma once
// TSrcSetup: the window "Source image setup". The user loads a picture (file, clipboard or
// scanner), chooses the tiles across and down, frames the part of the picture that becomes
// the mosaic (its proportions follow from the tile counts and the library's tile
// proportions), may correct the picture, and "Apply" makes a project of it: the framed part
// is cut out at full resolution, the engine creates the project file, the main window opens
// it with every cell showing its part of the picture, and saves it.
#include <QDialog>
#include <functional>
#include <string>

#include "base/Geometry.h"

class QAction;
class QCheckBox;
class QLabel;
class QMenuBar;
class QPushButton;

namespace qv {

class TEnCropImage;
class TSourceSetupHost;
class TVNSpinEdit;

class TSrcSetup : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 18;
  static constexpr int kTiffResolution = 250;

  explicit TSrcSetup(TSourceSetupHost& host, QWidget* parent = nullptr);
  ~TSrcSetup() override;  // saves the window's bounds

  // Loads the picture into the crop view, shows its name in the status bar and frames the
  // largest area of the mosaic's proportions. A file that cannot be decoded (or holds no
  // pixels) raises EPictureError and changes nothing.
  void OpenImage(const std::string& fileName);
  // Keeps the frame inside its present area with the mosaic's proportions.
  void FitImg();
  // The largest frame of the mosaic's proportions in the whole picture.
  void OriginalFitImg();
  // "Apply": makes the project; true when it was made (the window then closes). The cut-out
  // and the project file are made on a worker thread while the window keeps painting; until
  // that ends the window takes no command and cannot be closed.
  bool Apply();
  // True while Apply makes the project.
  bool Busy() const { return busy_; }
  void reject() override;
  // "Save image as...": true when the picture was saved (and reloaded from the file).
  bool SaveImageAs();
  void Paste();
  void Acquire();
  void SelectSource();
  void PictureCorrection();
  // "Open...": the picture dialog, then OpenImage.
  void OpenClick();
  // The picture dialog of this window, starting in the remembered "Source" folder; the
  // chosen file, or empty.
  std::string ChoosePicture();

  // ---- What the main window sets and reads ----
  TEnCropImage* CropImage() const { return CropImage1; }
  int XTiles() const;
  int YTiles() const;
  void SetTiles(int x, int y);
  bool StretchTiles() const;
  void SetStretchVisible(bool visible);
  void SetGridChecked(bool on);
  QString StatusText() const;
  void SetStatusText(const QString& text);
  // The mosaic's proportions W x H from the tile counts and the library's tile proportions.
  Rect MosaicProportions() const;

  // The proposed project name: picture-library-XxY.qvp.
  std::string ProposedProjectName() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateMenus(QMenuBar* bar);
  // Keeps the user away from the window's controls while a project is made.
  void SetBusy(bool busy);
  void CountsChanged();
  void UpdateButtons();
  void Guarded(const std::function<void()>& command);
  // Sets the frame (picture pixels), at least one pixel each way.
  void SetFrame(const Rect& r);

  TSourceSetupHost& host_;
  TEnCropImage* CropImage1 = nullptr;
  TVNSpinEdit* SpinXTiles = nullptr;
  TVNSpinEdit* SpinYTiles = nullptr;
  QCheckBox* CBStretch = nullptr;
  QCheckBox* CBGrid = nullptr;
  QPushButton* BtnOpen = nullptr;
  QPushButton* BtnApply = nullptr;
  QPushButton* BtnCancel = nullptr;
  QPushButton* BtnMax = nullptr;
  QPushButton* BtnHelp = nullptr;
  QLabel* StatusPanel0 = nullptr;
  QAction* Saveimageas1 = nullptr;
  QAction* Picturecorrectiontools1 = nullptr;
  QAction* Selectmaximumarea1 = nullptr;
  QWidget* Panel1 = nullptr;
  QMenuBar* MenuBar1 = nullptr;
  bool busy_ = false;
};

}  // namespace qv
