#pragma once
// TCellShape: a frame that can draw a grid of CellX x CellY cells inside itself. It takes no
// mouse input and no focus. The outline and the grid are drawn as a white line under a black
// dashed one, so they stay visible on any picture (light, dark or mid-grey).
#include <QBrush>
#include <QPen>
#include <QWidget>

namespace qv {

class TCellShape : public QWidget {
  Q_OBJECT
 public:
  enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

  explicit TCellShape(QWidget* parent = nullptr);

  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType shape);
  const QPen& Pen() const { return pen_; }
  void SetPen(const QPen& pen);
  const QBrush& Brush() const { return brush_; }
  void SetBrush(const QBrush& brush);
  int CellX() const { return cellX_; }
  int CellY() const { return cellY_; }
  void SetCells(int cellX, int cellY);
  // Eight handles in the corners and on the sides (shown while the owner has the focus).
  bool FocusMark() const { return focusMark_; }
  void SetFocusMark(bool on);

  // Draws a shape of the given kind into outline (a rectangle or square gets the grid);
  // used by the widget and by owners that draw the frame themselves.
  static void Paint(QPainter& painter, const QRect& outline, TShapeType shape, int cellX, int cellY, bool focusMark,
                    const QBrush& brush);
  // The pixel offsets of the inner grid lines across a length for a number of cells: round(
  // length / cells x g) for g = 1 .. cells - 1, each offset once (many cells on few pixels
  // give every pixel once).
  static std::vector<int> GridLines(int length, int cells);

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  TShapeType shape_ = stRectangle;
  QPen pen_;
  QBrush brush_{Qt::NoBrush};
  int cellX_ = 1;
  int cellY_ = 1;
  bool focusMark_ = false;
};

}  // namespace qv
