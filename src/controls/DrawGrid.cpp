#include "controls/DrawGrid.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace qv {

namespace {
constexpr int kDragScrollMs = 60;

TGridRect Normalized(int c1, int r1, int c2, int r2) {
  return {std::min(c1, c2), std::min(r1, r2), std::max(c1, c2), std::max(r1, r2)};
}
}  // namespace

TDrawGrid::TDrawGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  horizontalScrollBar()->setSingleStep(1);
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setTracking(true);
  verticalScrollBar()->setTracking(true);
  dragTimer_.setInterval(kDragScrollMs);
  connect(&dragTimer_, &QTimer::timeout, this, &TDrawGrid::DragAutoScroll);
  UpdateScrollBars();
}

// ---- Geometry ----

int TDrawGrid::ColCount() const { return colCount_; }
int TDrawGrid::RowCount() const { return rowCount_; }
int TDrawGrid::DefaultColWidth() const { return colWidth_; }
int TDrawGrid::DefaultRowHeight() const { return rowHeight_; }
int TDrawGrid::GridLineWidth() const { return lineWidth_; }

void TDrawGrid::SetColCount(int n) {
  n = std::max(1, n);
  if (n == colCount_) return;
  colCount_ = n;
  ClampToGrid();
  UpdateScrollBars();
  viewport()->update();
}

void TDrawGrid::SetRowCount(int n) {
  n = std::max(1, n);
  if (n == rowCount_) return;
  rowCount_ = n;
  ClampToGrid();
  UpdateScrollBars();
  viewport()->update();
}

void TDrawGrid::SetDefaultColWidth(int w) {
  w = std::max(1, w);
  if (w == colWidth_) return;
  colWidth_ = w;
  UpdateScrollBars();
  viewport()->update();
}

void TDrawGrid::SetDefaultRowHeight(int h) {
  h = std::max(1, h);
  if (h == rowHeight_) return;
  rowHeight_ = h;
  UpdateScrollBars();
  viewport()->update();
}

void TDrawGrid::SetGridLineWidth(int w) {
  w = std::clamp(w, 0, 1);
  if (w == lineWidth_) return;
  lineWidth_ = w;
  UpdateScrollBars();
  viewport()->update();
}

int TDrawGrid::FitCols() const { return std::max(1, (viewport()->width() + lineWidth_) / PitchX()); }
int TDrawGrid::FitRows() const { return std::max(1, (viewport()->height() + lineWidth_) / PitchY()); }
int TDrawGrid::MaxLeftCol() const { return std::max(0, colCount_ - FitCols()); }
int TDrawGrid::MaxTopRow() const { return std::max(0, rowCount_ - FitRows()); }
int TDrawGrid::VisibleColCount() const { return std::min(FitCols(), colCount_ - LeftCol()); }
int TDrawGrid::VisibleRowCount() const { return std::min(FitRows(), rowCount_ - TopRow()); }

void TDrawGrid::UpdateScrollBars() {
  QScrollBar* h = horizontalScrollBar();
  QScrollBar* v = verticalScrollBar();
  h->setRange(0, MaxLeftCol());
  h->setPageStep(FitCols());
  v->setRange(0, MaxTopRow());
  v->setPageStep(FitRows());
}

void TDrawGrid::ClampToGrid() {
  auto clampCol = [this](int c) { return std::clamp(c, 0, colCount_ - 1); };
  auto clampRow = [this](int r) { return std::clamp(r, 0, rowCount_ - 1); };
  col_ = clampCol(col_);
  row_ = clampRow(row_);
  anchorCol_ = clampCol(anchorCol_);
  anchorRow_ = clampRow(anchorRow_);
  selection_ = Normalized(anchorCol_, anchorRow_, col_, row_);
}

int TDrawGrid::LeftCol() const { return horizontalScrollBar()->value(); }
int TDrawGrid::TopRow() const { return verticalScrollBar()->value(); }
void TDrawGrid::SetLeftCol(int col) { horizontalScrollBar()->setValue(std::clamp(col, 0, MaxLeftCol())); }
void TDrawGrid::SetTopRow(int row) { verticalScrollBar()->setValue(std::clamp(row, 0, MaxTopRow())); }

QRect TDrawGrid::CellRect(int col, int row) const {
  if (col < LeftCol() || row < TopRow() || col >= colCount_ || row >= rowCount_) return {};
  const int x = (col - LeftCol()) * PitchX();
  const int y = (row - TopRow()) * PitchY();
  if (x >= viewport()->width() || y >= viewport()->height()) return {};
  return QRect(x, y, colWidth_, rowHeight_);
}

bool TDrawGrid::MouseToCell(const QPoint& pos, int& col, int& row) const {
  if (pos.x() < 0 || pos.y() < 0) return false;
  const int c = LeftCol() + pos.x() / PitchX();
  const int r = TopRow() + pos.y() / PitchY();
  if (c >= colCount_ || r >= rowCount_) return false;
  col = c;
  row = r;
  return true;
}

QRect TDrawGrid::RangeRect(const TGridRect& r) const {
  const int x0 = (std::max(r.Left, LeftCol()) - LeftCol()) * PitchX();
  const int y0 = (std::max(r.Top, TopRow()) - TopRow()) * PitchY();
  const int x1 = (r.Right + 1 - LeftCol()) * PitchX();
  const int y1 = (r.Bottom + 1 - TopRow()) * PitchY();
  if (x1 <= x0 || y1 <= y0) return {};
  return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1)) & viewport()->rect();
}

// ---- Painting ----

void TDrawGrid::InvalidateCell(int col, int row) {
  const QRect r = CellRect(col, row);
  if (!r.isEmpty()) viewport()->update(r);
}

void TDrawGrid::DrawCellNow(int col, int row, const TGridDrawState& state) {
  const QRect r = CellRect(col, row);
  if (r.isEmpty()) return;
  stateOverride_ = true;
  overrideCol_ = col;
  overrideRow_ = row;
  overrideState_ = state;
  viewport()->repaint(r);
  stateOverride_ = false;
}

void TDrawGrid::paintEvent(QPaintEvent* e) {
  if (!OnDrawCell) return;
  const QRect area = e->rect() & viewport()->rect();
  if (area.isEmpty()) return;
  const int left = LeftCol(), top = TopRow();
  const int c0 = left + area.left() / PitchX();
  const int c1 = std::min(colCount_ - 1, left + area.right() / PitchX());
  const int r0 = top + area.top() / PitchY();
  const int r1 = std::min(rowCount_ - 1, top + area.bottom() / PitchY());
  const bool focused = hasFocus();
  QPainter p(viewport());
  for (int r = r0; r <= r1; ++r) {
    for (int c = c0; c <= c1; ++c) {
      const QRect rect((c - left) * PitchX(), (r - top) * PitchY(), colWidth_, rowHeight_);
      if (!rect.intersects(area)) continue;  // the point lies on a grid line
      TGridDrawState state;
      if (stateOverride_ && c == overrideCol_ && r == overrideRow_) {
        state = overrideState_;
      } else {
        state.Selected = selection_.Left <= c && c <= selection_.Right && selection_.Top <= r && r <= selection_.Bottom;
        state.Focused = focused && c == col_ && r == row_;
      }
      p.save();
      p.setClipRect(rect);
      OnDrawCell(p, c, r, rect, state);
      p.restore();
    }
  }
}

void TDrawGrid::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  UpdateScrollBars();
}

void TDrawGrid::scrollContentsBy(int dx, int dy) {
  // The scroll bars count cells; the painted cells move by whole cell pitches.
  const int px = dx * PitchX(), py = dy * PitchY();
  if (std::abs(px) < viewport()->width() && std::abs(py) < viewport()->height())
    viewport()->scroll(px, py);
  else
    viewport()->update();
  emit TopLeftChanged();
}

// ---- Current cell and selection ----

int TDrawGrid::Col() const { return col_; }
int TDrawGrid::Row() const { return row_; }
TGridRect TDrawGrid::Selection() const { return selection_; }

void TDrawGrid::SetCurrent(int col, int row) {
  col = std::clamp(col, 0, colCount_ - 1);
  row = std::clamp(row, 0, rowCount_ - 1);
  ScrollIntoView(col, row);
  ChangeSelection(col, row, col, row, true);
}

void TDrawGrid::SetSelection(const TGridRect& r) {
  const TGridRect n = Normalized(std::clamp(r.Left, 0, colCount_ - 1), std::clamp(r.Top, 0, rowCount_ - 1),
                                 std::clamp(r.Right, 0, colCount_ - 1), std::clamp(r.Bottom, 0, rowCount_ - 1));
  ChangeSelection(n.Right, n.Bottom, n.Left, n.Top, false);
}

void TDrawGrid::ChangeSelection(int anchorCol, int anchorRow, int col, int row, bool notifyCurrent) {
  const TGridRect old = selection_;
  const int oldCol = col_, oldRow = row_;
  anchorCol_ = anchorCol;
  anchorRow_ = anchorRow;
  col_ = col;
  row_ = row;
  selection_ = Normalized(anchorCol_, anchorRow_, col_, row_);
  const bool currentMoved = oldCol != col_ || oldRow != row_;
  if (currentMoved) {
    InvalidateCell(oldCol, oldRow);
    InvalidateCell(col_, row_);
  }
  if (!(old == selection_)) UpdateSelectionArea(old, selection_);
  if (currentMoved && notifyCurrent) emit SelectCell(col_, row_);
  if (!(old == selection_)) emit SelectionChanged();
}

void TDrawGrid::UpdateSelectionArea(const TGridRect& a, const TGridRect& b) {
  // Cells whose selected state changed lie in the union of both ranges.
  viewport()->update(RangeRect(a) | RangeRect(b));
}

void TDrawGrid::ScrollIntoView(int col, int row) {
  if (col < LeftCol())
    SetLeftCol(col);
  else if (col >= LeftCol() + FitCols())
    SetLeftCol(col - FitCols() + 1);
  if (row < TopRow())
    SetTopRow(row);
  else if (row >= TopRow() + FitRows())
    SetTopRow(row - FitRows() + 1);
}

void TDrawGrid::MoveCurrent(int col, int row, bool extend) {
  col = std::clamp(col, 0, colCount_ - 1);
  row = std::clamp(row, 0, rowCount_ - 1);
  ScrollIntoView(col, row);
  if (extend)
    ChangeSelection(anchorCol_, anchorRow_, col, row, true);
  else
    ChangeSelection(col, row, col, row, true);
}

// ---- Mouse ----

void TDrawGrid::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(e);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  int c, r;
  if (!MouseToCell(e->position().toPoint(), c, r)) return;
  const bool extend = e->modifiers() & Qt::ShiftModifier;
  MoveCurrent(c, r, extend);
  dragging_ = true;
  dragPos_ = e->position().toPoint();
}

void TDrawGrid::DragCell(const QPoint& pos, int& col, int& row) const {
  const QRect vp = viewport()->rect();
  const int x = std::clamp(pos.x(), 0, std::max(0, vp.width() - 1));
  const int y = std::clamp(pos.y(), 0, std::max(0, vp.height() - 1));
  col = std::min(colCount_ - 1, LeftCol() + x / PitchX());
  row = std::min(rowCount_ - 1, TopRow() + y / PitchY());
}

void TDrawGrid::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  emit MouseMovedOverGrid(pos);
  if (!dragging_) return;
  dragPos_ = pos;
  int c, r;
  DragCell(pos, c, r);
  ChangeSelection(anchorCol_, anchorRow_, c, r, true);
  if (viewport()->rect().contains(pos))
    dragTimer_.stop();
  else if (!dragTimer_.isActive())
    dragTimer_.start();
}

void TDrawGrid::DragAutoScroll() {
  if (!dragging_) {
    dragTimer_.stop();
    return;
  }
  const QRect vp = viewport()->rect();
  if (dragPos_.x() < 0) SetLeftCol(LeftCol() - 1);
  if (dragPos_.x() >= vp.width()) SetLeftCol(LeftCol() + 1);
  if (dragPos_.y() < 0) SetTopRow(TopRow() - 1);
  if (dragPos_.y() >= vp.height()) SetTopRow(TopRow() + 1);
  int c, r;
  DragCell(dragPos_, c, r);
  // Beyond the right or bottom edge the drag reaches the next column or row as it scrolls in.
  if (dragPos_.x() >= vp.width()) c = std::min(colCount_ - 1, LeftCol() + VisibleColCount() - 1);
  if (dragPos_.y() >= vp.height()) r = std::min(rowCount_ - 1, TopRow() + VisibleRowCount() - 1);
  ChangeSelection(anchorCol_, anchorRow_, c, r, true);
}

void TDrawGrid::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) {
    QAbstractScrollArea::mouseReleaseEvent(e);
    return;
  }
  dragging_ = false;
  dragTimer_.stop();
}

void TDrawGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  int c, r;
  if (e->button() == Qt::LeftButton && MouseToCell(e->position().toPoint(), c, r)) emit CellDoubleClicked(c, r);
}

void TDrawGrid::contextMenuEvent(QContextMenuEvent* e) {
  int c, r;
  if (e->reason() == QContextMenuEvent::Mouse) {
    if (!MouseToCell(e->pos(), c, r)) return;
  } else {
    c = col_;
    r = row_;
  }
  emit CellContextMenu(c, r, e->globalPos());
}

// ---- Keyboard ----

void TDrawGrid::keyPressEvent(QKeyEvent* e) {
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  int c = col_, r = row_;
  switch (e->key()) {
    case Qt::Key_Left:
      --c;
      break;
    case Qt::Key_Right:
      ++c;
      break;
    case Qt::Key_Up:
      --r;
      break;
    case Qt::Key_Down:
      ++r;
      break;
    case Qt::Key_Home:
      c = 0;
      if (ctrl) r = 0;
      break;
    case Qt::Key_End:
      c = colCount_ - 1;
      if (ctrl) r = rowCount_ - 1;
      break;
    case Qt::Key_PageUp:
      r -= FitRows();
      SetTopRow(TopRow() - FitRows());
      break;
    case Qt::Key_PageDown:
      r += FitRows();
      SetTopRow(TopRow() + FitRows());
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit EnterPressed();
      return;
    case Qt::Key_Delete:
      emit DeletePressed();
      return;
    default:
      QAbstractScrollArea::keyPressEvent(e);
      return;
  }
  MoveCurrent(c, r, shift);
}

// Only the current cell's focused state changes; the base class would repaint everything.
void TDrawGrid::focusInEvent(QFocusEvent*) { InvalidateCell(col_, row_); }

void TDrawGrid::focusOutEvent(QFocusEvent*) { InvalidateCell(col_, row_); }

}  // namespace qv
