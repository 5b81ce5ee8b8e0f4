#pragma once
// TDrawGrid: an owner-drawn grid of equal cells on a scroll area, without fixed rows or
// columns. It draws nothing of a cell itself: every visible cell is handed to OnDrawCell.
// It keeps a current cell and a range selection (inclusive, 0-based), changed with the mouse
// (click, drag, Shift+click) and the keyboard (arrows, Home/End, PgUp/PgDn, with Shift
// extending the range), and scrolls while the scroll thumb is dragged.
//
// Cell (col, row) lies at ((col - LeftCol) x (width + line), (row - TopRow) x (height + line))
// in the viewport; a grid line of GridLineWidth pixels follows every cell to the right and
// below and shows the background. The scroll bars count whole columns and rows.
#include <QAbstractScrollArea>
#include <QRect>
#include <QTimer>
#include <functional>

namespace qv {

// The draw state passed with a cell: selected, focused (the current cell), fixed.
struct TGridDrawState {
  bool Selected = false;
  bool Focused = false;
  bool Fixed = false;  // never set: the grid has no fixed cells
};

// Inclusive 0-based selection rectangle, as the status texts and commands use it.
struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TGridRect&) const = default;
  bool IsOneCell() const { return Left == Right && Top == Bottom; }
};

class TDrawGrid : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TDrawGrid(QWidget* parent = nullptr);

  int ColCount() const;
  int RowCount() const;
  void SetColCount(int n);  // at least 1; the current cell and selection are clamped
  void SetRowCount(int n);
  int DefaultColWidth() const;
  int DefaultRowHeight() const;
  void SetDefaultColWidth(int w);   // at least 1
  void SetDefaultRowHeight(int h);  // at least 1
  int GridLineWidth() const;        // 0 or 1
  void SetGridLineWidth(int w);

  int Col() const;  // current cell
  int Row() const;
  // Also makes the selection that one cell and scrolls it into view; emits SelectCell when
  // the current cell changes.
  void SetCurrent(int col, int row);
  TGridRect Selection() const;
  // Current cell becomes r's top-left corner, the range's anchor its bottom-right corner
  // (corners given in any order; clamped to the grid). Does not scroll or emit SelectCell.
  void SetSelection(const TGridRect& r);
  int LeftCol() const;  // first visible column and row
  int TopRow() const;
  void SetLeftCol(int col);
  void SetTopRow(int row);
  int VisibleColCount() const;  // whole columns that fit the viewport
  int VisibleRowCount() const;
  // The largest first column and row the scroll bars reach.
  int MaxLeftCol() const;
  int MaxTopRow() const;

  // Cell rectangle in viewport coordinates (Right/Bottom exclusive, as QRect's width and
  // height); an empty rectangle when the cell is not visible.
  QRect CellRect(int col, int row) const;
  // Cell under a viewport point; false when the point is outside every cell.
  bool MouseToCell(const QPoint& pos, int& col, int& row) const;
  // Repaints one cell (only that cell's rectangle).
  void InvalidateCell(int col, int row);
  // Paints one cell at once through OnDrawCell with the given state (used after a placement).
  void DrawCellNow(int col, int row, const TGridDrawState& state);

  // Painting of one cell: the painter is clipped to the cell rectangle.
  std::function<void(QPainter& p, int col, int row, const QRect& rect, const TGridDrawState& state)> OnDrawCell;

 signals:
  void SelectCell(int col, int row);  // the current cell changed
  void SelectionChanged();
  void MouseMovedOverGrid(const QPoint& pos);
  void CellContextMenu(int col, int row, const QPoint& globalPos);
  void CellDoubleClicked(int col, int row);
  void EnterPressed();
  void DeletePressed();
  void TopLeftChanged();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void UpdateScrollBars();
  int PitchX() const { return colWidth_ + lineWidth_; }
  int PitchY() const { return rowHeight_ + lineWidth_; }
  // Columns (rows) whose cells fit the viewport whole, at least 1.
  int FitCols() const;
  int FitRows() const;
  // Moves the current cell (clamped), extending the range from the anchor when extend is
  // set, and scrolls it into view.
  void MoveCurrent(int col, int row, bool extend);
  void ScrollIntoView(int col, int row);
  // Sets anchor, current cell and selection; repaints what changed and emits the signals.
  void ChangeSelection(int anchorCol, int anchorRow, int col, int row, bool notifyCurrent);
  void ClampToGrid();
  // The cell a drag reaches at a viewport point: points beyond an edge give the edge cell.
  void DragCell(const QPoint& pos, int& col, int& row) const;
  void DragAutoScroll();
  void UpdateSelectionArea(const TGridRect& a, const TGridRect& b);
  QRect RangeRect(const TGridRect& r) const;  // viewport area of a cell range, clipped

  int colCount_ = 1, rowCount_ = 1;
  int colWidth_ = 32, rowHeight_ = 32, lineWidth_ = 0;
  int col_ = 0, row_ = 0;
  int anchorCol_ = 0, anchorRow_ = 0;
  TGridRect selection_;
  bool dragging_ = false;
  QPoint dragPos_;
  QTimer dragTimer_;
  // DrawCellNow: the one cell painted with a given state during a synchronous repaint.
  bool stateOverride_ = false;
  int overrideCol_ = 0, overrideRow_ = 0;
  TGridDrawState overrideState_;
};

}  // namespace qv
