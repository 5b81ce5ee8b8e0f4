#include "controls/CropImage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "base/FileUtil.h"
#include "codecs/PictureLoader.h"
#include "controls/BitmapImage.h"
#include "controls/CellShape.h"
#include "imaging/PictureScaling.h"
#include "raster/Resample.h"

namespace qv {

namespace {

QRect ToQRect(const Rect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

const Bitmap24& EmptyPicture() {
  static const Bitmap24 empty;
  return empty;
}

}  // namespace

TCropImage::TCropImage(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  shape_ = new TCellShape(this);
  shape_->setObjectName("CellShape1");
  shape_->hide();
}

void TCropImage::SetCells(int cellX, int cellY) {
  cellX_ = std::max(cellX, 1);
  cellY_ = std::max(cellY, 1);
  shape_->SetCells(showCells_ ? cellX_ : 1, showCells_ ? cellY_ : 1);
}

void TCropImage::SetShowCells(bool on) {
  showCells_ = on;
  SetCells(cellX_, cellY_);
}

void TCropImage::SetScale(int scaleW, int scaleH) {
  model_.ScaleW = scaleW;
  model_.ScaleH = scaleH;
}

void TCropImage::SetPictureStretch(bool on) {
  model_.PictureStretch = on;
  model_.Layout();
  PlaceShape();
  update();
}

void TCropImage::SetPictureCrops(bool on) {
  pictureCrops_ = on;
  PlaceShape();
}

void TCropImage::SetCropBounds(int left, int top, int width, int height) {
  model_.SetFrame({left, top, left + width, top + height});
  PlaceShape();
}

void TCropImage::SetPictureFileName(const std::string& fileName) {
  if (!FileExists(fileName)) return;
  auto picture = std::make_shared<Bitmap24>(LoadPicture24(fileName));
  SetPicture(std::move(picture), fileName);
}

QImage TCropImage::DisplayImage(const Bitmap24& picture) {
  if (picture.Width() > kDisplayMaxSide || picture.Height() > kDisplayMaxSide)
    return ToQImage(ReduceToFit(picture, kDisplayMaxSide));
  return ToQImage(picture);
}

void TCropImage::SetPicture(TPicturePtr picture, const std::string& fileName, QImage display) {
  picture_ = std::move(picture);
  fileName_ = fileName;
  display_ = QImage();
  if (HasPicture()) {
    display_ = display.isNull() ? DisplayImage(*picture_) : std::move(display);
    model_.SetPanelSize(width(), height());
    model_.SetPictureSize(picture_->Width(), picture_->Height());
  } else {
    model_.SetPictureSize(0, 0);
  }
  PlaceShape();
  update();
}

void TCropImage::SetDisplayImage(QImage display) {
  if (!HasPicture() || display.isNull()) return;
  display_ = std::move(display);
  update();
}

const Bitmap24& TCropImage::Picture() const { return picture_ ? *picture_ : EmptyPicture(); }

void TCropImage::SetCropRect(const Rect& r) {
  model_.SetCropRect(r);
  PlaceShape();
}

void TCropImage::Relayout() {
  model_.SetPanelSize(width(), height());
  PlaceShape();
  update();
  emit ChangeCropPos();
}

QRect TCropImage::PictureRect() const { return HasPicture() ? ToQRect(model_.Control()) : QRect(); }

void TCropImage::PlaceShape() {
  const bool visible =
      HasPicture() && pictureCrops_ && !model_.Dragging() && model_.Frame().Width() > 0 && model_.Frame().Height() > 0;
  if (visible) shape_->setGeometry(ToQRect(model_.Frame()));
  shape_->setVisible(visible);
  update();
}

Bitmap24 TCropImage::GetCropBitmap(double sy, double sx) const {
  if (!HasPicture()) return {};
  const TCutOut c = model_.CutOut(sy, sx, pictureCrops_);
  if (c.Width <= 0 || c.Height <= 0) return {};
  if (!c.Scaled) return CutCopy(*picture_, c.Source);
  if (resampleStyle_ == rsNone || !pictureCrops_) return StretchCopy(*picture_, c.Source, c.Width, c.Height);
  // A filtered cut-out: the framed part drawn plainly first (at twice the target size when
  // it is more than twice as high, else at its own size), then resampled. Auto takes Mitchell.
  const int filter = resampleStyle_ == rsAuto ? kFilterMitchell : int(resampleStyle_) - 1;
  const Bitmap24 intermediate = c.Source.Height() > 2 * c.Height
                                    ? StretchCopy(*picture_, c.Source, 2 * c.Width, 2 * c.Height)
                                    : CutCopy(*picture_, c.Source);
  return Resample(intermediate, c.Width, c.Height, filter);
}

void TCropImage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  if (!HasPicture()) return;
  p.setRenderHint(QPainter::SmoothPixmapTransform, display_.width() > model_.Control().Width());
  p.drawImage(ToQRect(model_.Control()), display_);
  if (model_.Dragging()) {
    // The frame is hidden during a drag; a dotted rectangle shows where it goes.
    const Rect& f = model_.Frame();
    const QRect r(f.Left, f.Top, f.Width() - 1, f.Height() - 1);
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(r);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(r);
  }
}

void TCropImage::resizeEvent(QResizeEvent*) {
  model_.SetPanelSize(width(), height());
  PlaceShape();
}

void TCropImage::UpdateCursor(QPoint pos, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::ShiftModifier) {
    setCursor(Qt::CrossCursor);
    return;
  }
  const int kind = frameEnabled_ && pictureCrops_ && HasPicture() ? model_.HitTest({pos.x(), pos.y()}) : dkNone;
  switch (kind) {
    case dkTopLeft:
    case dkBottomRight:
      setCursor(Qt::SizeFDiagCursor);
      break;
    case dkTopRight:
    case dkBottomLeft:
      setCursor(Qt::SizeBDiagCursor);
      break;
    case dkLeft:
    case dkRight:
      setCursor(Qt::SizeHorCursor);
      break;
    case dkTop:
    case dkBottom:
      setCursor(Qt::SizeVerCursor);
      break;
    case dkMove:
      setCursor(Qt::OpenHandCursor);
      break;
    default:
      unsetCursor();
      break;
  }
}

void TCropImage::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (!HasPicture()) return;
  const int kind = model_.HitTest({pos.x(), pos.y()});
  if (e->button() == Qt::LeftButton && !(e->modifiers() & Qt::ShiftModifier) && kind != dkNone && frameEnabled_ &&
      pictureCrops_) {
    model_.BeginDrag(kind, {pos.x(), pos.y()});
    PlaceShape();
    return;
  }
  if (PictureRect().contains(pos)) {
    pictureButtonDown_ = true;
    emit PictureMouseDown(pos, e->button(), e->modifiers());
  }
}

void TCropImage::mouseMoveEvent(QMouseEvent* e) {
  QPoint pos = e->position().toPoint();
  if (model_.Dragging()) {
    model_.DragTo({pos.x(), pos.y()});
    update();
    return;
  }
  UpdateCursor(pos, e->modifiers());
  if (!HasPicture()) return;
  // While a button is held on the picture the pointer counts as being on it.
  if (pictureButtonDown_) {
    const QRect r = PictureRect();
    pos = QPoint(std::clamp(pos.x(), r.left(), r.right()), std::clamp(pos.y(), r.top(), r.bottom()));
  }
  if (PictureRect().contains(pos) && model_.HitTest({pos.x(), pos.y()}) == dkNone)
    emit PictureMouseMove(pos, e->buttons(), e->modifiers());
}

void TCropImage::mouseReleaseEvent(QMouseEvent* e) {
  pictureButtonDown_ = false;
  if (!model_.Dragging()) return;
  const bool changed = model_.EndDrag();
  PlaceShape();
  UpdateCursor(e->position().toPoint(), e->modifiers());
  if (changed) emit ChangeCropPos();
}

void TCropImage::keyPressEvent(QKeyEvent* e) {
  TCropKey key;
  switch (e->key()) {
    case Qt::Key_Left:
      key = TCropKey::Left;
      break;
    case Qt::Key_Right:
      key = TCropKey::Right;
      break;
    case Qt::Key_Up:
      key = TCropKey::Up;
      break;
    case Qt::Key_Down:
      key = TCropKey::Down;
      break;
    default:
      QWidget::keyPressEvent(e);
      return;
  }
  e->accept();
  if (!HasPicture() || !frameEnabled_) return;
  if (model_.Key(key, e->modifiers() & Qt::ControlModifier, e->modifiers() & Qt::ShiftModifier)) {
    PlaceShape();
    emit ChangeCropPos();
  }
}

void TCropImage::focusInEvent(QFocusEvent* e) {
  shape_->SetFocusMark(frameEnabled_);
  QWidget::focusInEvent(e);
}

void TCropImage::focusOutEvent(QFocusEvent* e) {
  shape_->SetFocusMark(false);
  QWidget::focusOutEvent(e);
}

}  // namespace qv
