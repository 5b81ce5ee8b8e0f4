#pragma once
// TResizeWarning: shown before a picture is rendered from stored thumbnails that are
// smaller than the cells of the output. Two framed boxes, "Tile in the library:" with the
// library's stored picture at its own size and "Tile in the mosaic:" with the same picture
// stretched to the output cell size, each centred in its box (a picture larger than the box
// is shown reduced). Modal result kUseOriginals, kUseStoredThumbs or kCancel.
#include <QDialog>

#include "raster/Bitmap24.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace qv {

class TResizeWarning : public QDialog {
  Q_OBJECT
 public:
  enum TResult : int { kCancel = -1, kUseOriginals = 1, kUseStoredThumbs = 2 };
  static constexpr int kHelpContext = 23;
  // The largest picture a box shows at its own size.
  static constexpr int kMaxBoxPicture = 320;

  // thumb: the stored picture; cellWidth x cellHeight: the tile's size in the output.
  TResizeWarning(const Bitmap24& thumb, int cellWidth, int cellHeight, QWidget* parent = nullptr);

  // Asks through the program's prompts; a dialog closed without an answer is kCancel.
  static TResult AskResize(const Bitmap24& thumb, int cellWidth, int cellHeight, QWidget* parent = nullptr);

 private:
  QLabel* Label1;
  QGroupBox* GroupBox1;
  QGroupBox* GroupBox2;
  QLabel* Image1;
  QLabel* Image2;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  QPushButton* BitBtn3;
};

}  // namespace qv
