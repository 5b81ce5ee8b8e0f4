#include "mainwindow/MosaicView.h"

#include <QPainter>
#include <QRadioButton>
#include <QRegion>
#include <QSlider>
#include <QSpinBox>
#include <algorithm>

#include "base/Errors.h"
#include "base/Rounding.h"
#include "controls/BitmapImage.h"
#include "engine/CellGrid.h"
#include "engine/QVData.h"
#include "imaging/RasterUtils.h"
#include "imaging/TileOps.h"
#include "models/ZoomModel.h"

namespace qv {

TMosaicView::TMosaicView(TDrawGrid* grid, TQVData* library, TQVData* plan, TQVData* mosaic, QObject* parent)
    : QObject(parent), DrawGrid1(grid), library_(library), plan_(plan), mosaic_(mosaic) {
  if (DrawGrid1->objectName().isEmpty()) DrawGrid1->setObjectName("DrawGrid1");
  DrawGrid1->SetColCount(1);
  DrawGrid1->SetRowCount(1);
  DrawGrid1->SetDefaultColWidth(kZoomInitial);
  DrawGrid1->SetDefaultRowHeight(kZoomInitial);
  DrawGrid1->SetGridLineWidth(0);
  DrawGrid1->OnDrawCell = [this](QPainter& p, int col, int row, const QRect& rect, const TGridDrawState& state) {
    DrawGrid1DrawCell(p, col, row, rect, state);
  };

  TrackBar1 = new QSlider(Qt::Horizontal, DrawGrid1);
  TrackBar1->setObjectName("TrackBar1");
  TrackBar1->setRange(kZoomMin, kZoomMax);
  TrackBar1->setValue(kZoomInitial);
  TrackBar1->hide();
  connect(TrackBar1, &QSlider::valueChanged, this, &TMosaicView::TrackBar1Change);
}

// ---- View state ----

void TMosaicView::ConnectViewControls(QRadioButton* source, QRadioButton* target, QRadioButton* difference,
                                      QRadioButton* enhance, QWidget* groupBox2, QSpinBox* color, QSpinBox* blend) {
  radio_[int(TGridView::Source)] = source;
  radio_[int(TGridView::Target)] = target;
  radio_[int(TGridView::Difference)] = difference;
  radio_[int(TGridView::Enhance)] = enhance;
  groupBox2_ = groupBox2;
  for (int v = 0; v < 4; ++v) {
    if (!radio_[v]) continue;
    connect(radio_[v], &QRadioButton::toggled, this, [this, v](bool on) {
      if (on) SetView(TGridView(v));
    });
  }
  if (color) {
    color_ = color->value();
    connect(color, &QSpinBox::valueChanged, this, &TMosaicView::SetColor);
  }
  if (blend) {
    blend_ = blend->value();
    connect(blend, &QSpinBox::valueChanged, this, &TMosaicView::SetBlend);
  }
  SyncViewControls();
}

void TMosaicView::SyncViewControls() {
  if (QRadioButton* r = radio_[int(view_)]; r && !r->isChecked()) r->setChecked(true);
  if (groupBox2_) {
    groupBox2_->setVisible(view_ == TGridView::Enhance);
    groupBox2_->update();
  }
}

void TMosaicView::SetView(TGridView view) {
  if (view == view_) return;
  view_ = view;
  SyncViewControls();
  Repaint();
  emit ViewChanged(view_);
}

void TMosaicView::SetColor(int percent) {
  if (percent == color_) return;
  color_ = percent;
  Repaint();
}

void TMosaicView::SetBlend(int percent) {
  if (percent == blend_) return;
  blend_ = percent;
  Repaint();
}

void TMosaicView::Repaint() { DrawGrid1->viewport()->update(); }

// ---- Cells ----

int32_t TMosaicView::CellToRow(int32_t row, int32_t col) const {
  return qv::CellToRow(row, col, DrawGrid1->ColCount());
}

void TMosaicView::RowToCell(int32_t number, int32_t& col, int32_t& row) const {
  qv::RowToCell(number, DrawGrid1->ColCount(), col, row);
}

void TMosaicView::AutoShowDetailed(int kind) {
  plan_->ShowThumbs = false;
  if (kind == 1)
    mosaic_->ShowThumbs = true;
  else if (kind == 2)
    mosaic_->ShowThumbs = false;
  else
    mosaic_->ShowThumbs = DetailsShownAt(DrawGrid1->DefaultColWidth(), mosaic_->GridW);
}

void TMosaicView::DrawGrid1DrawCell(QPainter& p, int col, int row, const QRect& rect, const TGridDrawState& state) {
  if (!plan_->TableIsOpen() || state.Fixed) return;
  const int32_t n = CellToRow(row, col);
  const bool marker = state.Selected || state.Focused;
  try {
    if (view_ == TGridView::Enhance && color_ + blend_ > 0) {
      PaintEnhanced(p, n, rect);
      if (marker) DrawSelectionMarker(p, rect);
    } else if (view_ == TGridView::Difference) {
      PaintDifference(p, n, rect);
      if (marker) DrawSelectionMarker(p, rect);
    } else if (view_ == TGridView::Source) {
      PaintPicture(p, *plan_, n, rect);
      if (marker) DrawSelectionMarker(p, rect);
      if (RecordReadable(*plan_, n) && plan_->RecordStatus(n) > kMaxUseCount) DrawDeletedCross(p, rect);
    } else {
      PaintPicture(p, *mosaic_, n, rect);
      if (marker) DrawSelectionMarker(p, rect);
    }
  } catch (const EQuivara&) {
    // A record that cannot be read shows blank, as the engine's cleared record does.
    p.fillRect(rect, Qt::white);
  }
  if (!preview_.isNull() && col == previewCol_ && row == previewRow_) {
    p.drawImage(rect, preview_);
    p.save();
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const int w = std::min(2, rect.width() / 2), h = std::min(2, rect.height() / 2);
    QRegion frame(rect);
    frame -= QRegion(rect.adjusted(w, h, -w, -h));
    for (const QRect& band : frame) p.drawRect(band);
    p.restore();
  }
}

void TMosaicView::ShowPreview(int col, int row, const QImage& picture) {
  ClearPreview();
  if (picture.isNull()) return;
  preview_ = picture;
  previewCol_ = col;
  previewRow_ = row;
  DrawGrid1->InvalidateCell(col, row);
}

void TMosaicView::ClearPreview() {
  if (preview_.isNull()) return;
  preview_ = QImage();
  DrawGrid1->InvalidateCell(previewCol_, previewRow_);
}

void TMosaicView::PaintPicture(QPainter& p, const TQVData& table, int32_t n, const QRect& rect) {
  const QImage image = thumbnails_.RecordPicture(table, n);
  if (image.isNull())
    p.fillRect(rect, Qt::white);
  else
    p.drawImage(rect, image);  // plain (nearest) stretching: no smooth transform is set
}

void TMosaicView::PaintDifference(QPainter& p, int32_t n, const QRect& rect) {
  if (!RecordReadable(*mosaic_, n) || !RecordReadable(*plan_, n)) {
    p.fillRect(rect, Qt::white);
    return;
  }
  const Bitmap24 tile = RecordSignatureBitmap(*mosaic_, n);
  const Bitmap24 source = RecordSignatureBitmap(*plan_, n);
  Bitmap24 diff(tile.Width(), tile.Height());
  DifferenceImage(tile, source, diff);
  // Drawn inverted, as a NOT-source copy: equal colours white, large differences dark.
  QImage image = ToQImage(diff);
  image.invertPixels();
  p.drawImage(rect, image);
}

void TMosaicView::PaintEnhanced(QPainter& p, int32_t n, const QRect& rect) {
  const QImage tile = thumbnails_.RecordPicture(*mosaic_, n);
  const QImage source = thumbnails_.RecordPicture(*plan_, n);
  if (tile.isNull() || source.isNull()) {
    p.fillRect(rect, Qt::white);
    return;
  }
  const int alpha = ClampByte(RoundHalfEven(blend_ / 100.0 * 255));
  const Bitmap24 cell =
      DrawEnhancedCell(ToBitmap24(tile), ToBitmap24(source), alpha, color_, rect.width(), rect.height());
  p.drawImage(rect.topLeft(), ToQImage(cell));
}

void TMosaicView::DrawSelectionMarker(QPainter& p, const QRect& rect) const {
  // A 2-pixel black pen in "screen OR NOT pen" mode inverts what it covers: a frame on the
  // cell's two outermost pixels, drawn as one closed path so no pixel is inverted twice.
  const int l = rect.left(), t = rect.top(), r = rect.left() + rect.width(), b = rect.top() + rect.height();
  QPen pen(Qt::black, 2);
  pen.setJoinStyle(Qt::MiterJoin);
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.setCompositionMode(QPainter::RasterOp_SourceOrNotDestination);
  const QPoint corners[4] = {{l + 1, t + 1}, {r - 1, t + 1}, {r - 1, b - 1}, {l + 1, b - 1}};
  p.drawPolygon(corners, 4);
  p.restore();
}

void TMosaicView::DrawDeletedCross(QPainter& p, const QRect& rect) const {
  const int l = rect.left(), t = rect.top(), r = rect.left() + rect.width(), b = rect.top() + rect.height();
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(l, t, r, b);
  p.drawLine(r, t, l, b);
  p.restore();
}

// ---- After changes ----

void TMosaicView::CellChanged(int32_t cellNumber, const TGridDrawState& state) {
  int32_t col, row;
  RowToCell(cellNumber, col, row);
  if (!preview_.isNull() && col == previewCol_ && row == previewRow_) preview_ = QImage();
  PaintCellNow(col, row, state);
}

void TMosaicView::PaintCellNow(int col, int row, const TGridDrawState& state) {
  DrawGrid1->DrawCellNow(col, row, state);
}

void TMosaicView::SetGridSizeFromPlan() {
  const bool open = plan_->TableIsOpen();
  DrawGrid1->SetColCount(open ? plan_->Cols : 1);
  DrawGrid1->SetRowCount(open ? plan_->Rows : 1);
}

void TMosaicView::ProjectOpened() {
  preview_ = QImage();
  thumbnails_.Clear();
  SetGridSizeFromPlan();
  FitToWindow();
  Repaint();
}

void TMosaicView::ProjectClosed() {
  preview_ = QImage();
  thumbnails_.Clear();
  SetGridSizeFromPlan();
  Repaint();
}

// ---- Zoom ----

bool TMosaicView::GridShown() const { return DrawGrid1->GridLineWidth() != 0; }

void TMosaicView::SetCellSize(int width, int height) {
  DrawGrid1->SetDefaultColWidth(width);
  DrawGrid1->SetDefaultRowHeight(height);
}

void TMosaicView::SetZoomPosition(int position) {
  TrackBar1->setValue(ClampZoomPosition(position));
  // The slider tells only when its value changes; the cells may differ from it all the same
  // (a fit wider than the zoom range while the slider already stands at its end).
  TrackBar1Change();
}

void TMosaicView::TrackBar1Change() {
  if (!plan_->TableIsOpen()) return;
  const TZoomStep step =
      ZoomPositionChange(TrackBar1->value(), DrawGrid1->DefaultColWidth(), mosaic_->GridW, plan_->PropX, plan_->PropY);
  if (!step.Changed) return;
  AutoShowDetailed(0);
  SetCellSize(step.Cell.Width, step.Cell.Height);
}

void TMosaicView::ZoomIn() { SetZoomPosition(ZoomInPosition(TrackBar1->value())); }

void TMosaicView::ZoomOut() { SetZoomPosition(ZoomOutPosition(TrackBar1->value())); }

void TMosaicView::View100() {
  if (!mosaic_->TableIsOpen()) return;
  int width = 0;
  if (library_->TableIsOpen() && !library_->ThumbBitmap.Empty()) {
    width = library_->ThumbBitmap.Width();
  } else {
    // Without a library the tiles' own thumbnails in the mosaic give the size.
    try {
      width = thumbnails_.RecordPicture(*mosaic_, CellToRow(DrawGrid1->Row(), DrawGrid1->Col()), true).width();
    } catch (const EQuivara&) {
      width = 0;  // an unreadable cell leaves the zoom as it is
    }
  }
  if (width > 0) SetZoomPosition(width);
  mosaic_->ShowThumbs = true;
  Repaint();
}

void TMosaicView::FastView() {
  if (!plan_->TableIsOpen()) return;
  plan_->GoRecord(CellToRow(DrawGrid1->Row(), DrawGrid1->Col()));
  SetZoomPosition(plan_->ThumbBitmap.Width());
  mosaic_->ShowThumbs = false;
  Repaint();
}

QSize TMosaicView::FitBox() const { return DrawGrid1->maximumViewportSize(); }

void TMosaicView::FitToWindow() {
  if (!mosaic_->TableIsOpen() || !plan_->TableIsOpen()) return;
  const QSize box = FitBox();
  const TCellSize cell = FitToWindowCells(plan_->Cols, plan_->Rows, plan_->PropX, plan_->PropY, box.width(),
                                          box.height(), DrawGrid1->GridLineWidth());
  if (cell.Width <= 0 || cell.Height <= 0) return;
  SetCellSize(cell.Width, cell.Height);
  SetZoomPosition(cell.Width);
}

void TMosaicView::FitToSelection() {
  if (!mosaic_->TableIsOpen() || !plan_->TableIsOpen()) return;
  const TGridRect sel = DrawGrid1->Selection();
  if (sel.IsOneCell()) return;
  const QSize box = FitBox();
  const TCellSize cell = FitToSelectionCells(sel.Right - sel.Left + 1, sel.Bottom - sel.Top + 1, plan_->PropX,
                                             plan_->PropY, box.width(), box.height(), DrawGrid1->GridLineWidth());
  if (cell.Width <= 0 || cell.Height <= 0) return;
  SetCellSize(cell.Width, cell.Height);
  SetZoomPosition(cell.Width);
  DrawGrid1->SetTopRow(sel.Top);
  DrawGrid1->SetLeftCol(sel.Left);
}

void TMosaicView::ShowDetails() {
  if (!plan_->TableIsOpen()) return;
  mosaic_->ShowThumbs = true;
  Repaint();
}

void TMosaicView::HideDetails() {
  if (!plan_->TableIsOpen()) return;
  mosaic_->ShowThumbs = false;
  Repaint();
}

void TMosaicView::ShowGrid() { DrawGrid1->SetGridLineWidth(1); }

void TMosaicView::HideGrid() { DrawGrid1->SetGridLineWidth(0); }

}  // namespace qv
