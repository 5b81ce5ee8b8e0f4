#pragma once
// The tile preview window "TilePrev": one library tile's picture in a crop view whose frame
// (not draggable) marks the part of the picture the tile uses. When the picture file is gone
// it shows the stored thumbnail instead. Opened by the grid's pop-up menu, the library
// inspector and the manual tiles window for the library's current record. Its bounds are
// kept under "LayOut"/"TilePreview".
#include <QDialog>
#include <string>

#include "base/Geometry.h"
#include "raster/Bitmap24.h"

class QLabel;
class QPushButton;

namespace qv {

class TCropImage;
class TQVData;

class TTilePrev : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 30;
  // The window's bounds live in the settings file settingsPath.
  explicit TTilePrev(std::string settingsPath, QWidget* parent = nullptr);
  ~TTilePrev() override;

  // Shows the tile: the picture file when it exists (the frame on crop, whose corners may be
  // reversed for a flipped tile), else the stored thumbnail with the whole of it framed. A
  // picture file that exists but cannot be decoded is treated like a missing one.
  void SetTile(const std::string& fileName, const Rect& crop, const Bitmap24& thumbnail);
  // SetTile for the library's current record.
  void SetTile(const TQVData& library);

  // Opens the window modally for the library's current record.
  static void ShowTile(const TQVData& library, const std::string& settingsPath, QWidget* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void done(int result) override;

 private:
  void PlacePicture();

  QWidget* Panel1 = nullptr;  // the picture panel
  TCropImage* CropImage1 = nullptr;
  QLabel* Label1 = nullptr;        // the full path under the picture
  QPushButton* Button1 = nullptr;  // "Close"
  Rect crop_;
  bool boundsSaved_ = false;
  const std::string settingsPath_;
};

}  // namespace qv
