#pragma once
// TCropImage: a panel that shows a picture and a crop frame (TCellShape) over it. The user
// moves and resizes the frame with the mouse or the arrow keys; the panel reports the chosen
// rectangle in picture pixels (PictureCropRect) and cuts it out on request (GetCropBitmap).
// The geometry lives in TCropModel; this class feeds it events and draws what it says.
//
// The picture is kept at full size and shared (never copied on assignment); a picture
// larger than kDisplayMaxSide on a side is shown from a reduced copy.
#include <QImage>
#include <QWidget>
#include <memory>
#include <string>

#include "models/CropModel.h"
#include "raster/Bitmap24.h"

namespace qv {

class TCellShape;

using TPicturePtr = std::shared_ptr<const Bitmap24>;

class TCropImage : public QWidget {
  Q_OBJECT
 public:
  enum TResampleStyle { rsNone, rsBox, rsTriangle, rsHermite, rsBell, rsBSpline, rsLanczos3, rsMitchell, rsAuto };
  static constexpr int kDisplayMaxSide = 2048;

  explicit TCropImage(QWidget* parent = nullptr);

  // ---- Properties ----
  int CellX() const { return cellX_; }
  int CellY() const { return cellY_; }
  void SetCells(int cellX, int cellY);
  bool ShowCells() const { return showCells_; }
  void SetShowCells(bool on);
  int ScaleW() const { return model_.ScaleW; }
  int ScaleH() const { return model_.ScaleH; }
  void SetScale(int scaleW, int scaleH);
  TResampleStyle ResampleStyle() const { return resampleStyle_; }
  void SetResampleStyle(TResampleStyle style) { resampleStyle_ = style; }
  TScaleStyle ScaleStyle() const { return model_.ScaleStyle; }
  void SetScaleStyle(TScaleStyle style) { model_.ScaleStyle = style; }
  bool PictureStretch() const { return model_.PictureStretch; }
  void SetPictureStretch(bool on);
  bool PictureCrops() const { return pictureCrops_; }
  void SetPictureCrops(bool on);
  // False: the frame is shown but cannot be dragged or moved by keys.
  bool FrameEnabled() const { return frameEnabled_; }
  void SetFrameEnabled(bool on) { frameEnabled_ = on; }
  // The frame's bounds in panel pixels.
  int CropLeft() const { return model_.Frame().Left; }
  int CropTop() const { return model_.Frame().Top; }
  int CropWidth() const { return model_.Frame().Width(); }
  int CropHeight() const { return model_.Frame().Height(); }
  void SetCropBounds(int left, int top, int width, int height);

  // ---- Picture ----
  const std::string& PictureFileName() const { return fileName_; }
  // Loads the file (LoadPicture24) and lays the panel out. A file that does not exist is
  // ignored; one that cannot be decoded raises EPictureError and changes nothing.
  virtual void SetPictureFileName(const std::string& fileName);
  // Shows a picture (kept, not copied) under a file name (empty for one that has none);
  // display is the picture as shown when the caller has already made it (see DisplayImage).
  void SetPicture(TPicturePtr picture, const std::string& fileName = {}, QImage display = {});
  // What the view shows of a picture: the picture, or a reduced copy of a large one.
  static QImage DisplayImage(const Bitmap24& picture);
  // Shows another image in the picture's place (a quick preview of a change to a large
  // picture); the picture itself stays. The next SetPicture replaces it.
  void SetDisplayImage(QImage display);
  // The picture shown, at full size; an empty bitmap when there is none.
  const Bitmap24& Picture() const;
  TPicturePtr SharedPicture() const { return picture_; }
  bool HasPicture() const { return picture_ && !picture_->Empty(); }

  // ---- Crop ----
  void SetCropRect(const Rect& r);
  Rect PictureCropRect() const { return model_.PictureCropRect(); }
  // The framed part (the four cases of PictureStretch and PictureCrops); scales sy, sx.
  Bitmap24 GetCropBitmap(double sy, double sx) const;
  // Lays the panel out again and fires ChangeCropPos.
  void Relayout();

  const TCropModel& Model() const { return model_; }
  TCellShape* Shape() const { return shape_; }
  // The picture control's place in the panel.
  QRect PictureRect() const;

 signals:
  void ChangeCropPos();
  // Mouse events on the picture outside the frame, in panel coordinates.
  void PictureMouseDown(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void PictureMouseMove(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void PlaceShape();
  void UpdateCursor(QPoint pos, Qt::KeyboardModifiers modifiers);

  TCropModel model_;
  TPicturePtr picture_;
  QImage display_;
  std::string fileName_;
  TCellShape* shape_ = nullptr;
  int cellX_ = 1;
  int cellY_ = 1;
  bool showCells_ = true;
  bool pictureCrops_ = true;
  bool frameEnabled_ = true;
  TResampleStyle resampleStyle_ = rsNone;
  bool pictureButtonDown_ = false;
};

}  // namespace qv
