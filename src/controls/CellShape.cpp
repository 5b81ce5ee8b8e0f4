#include "controls/CellShape.h"

#include <QPainter>
#include <algorithm>

#include "base/Rounding.h"

namespace qv {

namespace {

// Draws with a white line and a black dashed line over it.
template <typename DrawFn>
void TwoColour(QPainter& p, int width, DrawFn draw) {
  QPen under(Qt::white, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
  p.setPen(under);
  draw();
  QPen over(Qt::black, width, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
  over.setDashPattern({3.0, 3.0});
  p.setPen(over);
  draw();
}

}  // namespace

TCellShape::TCellShape(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  resize(65, 65);
}

void TCellShape::SetShape(TShapeType shape) {
  shape_ = shape;
  update();
}
void TCellShape::SetPen(const QPen& pen) {
  pen_ = pen;
  update();
}
void TCellShape::SetBrush(const QBrush& brush) {
  brush_ = brush;
  update();
}
void TCellShape::SetCells(int cellX, int cellY) {
  cellX_ = std::max(cellX, 1);
  cellY_ = std::max(cellY, 1);
  update();
}
void TCellShape::SetFocusMark(bool on) {
  if (focusMark_ == on) return;
  focusMark_ = on;
  update();
}

std::vector<int> TCellShape::GridLines(int length, int cells) {
  std::vector<int> lines;
  if (cells <= 1 || length <= 1) return lines;
  if (cells >= length) {
    // Lines closer than a pixel: every inner pixel carries one.
    for (int x = 1; x < length; ++x) lines.push_back(x);
    return lines;
  }
  lines.reserve(size_t(cells - 1));
  for (int g = 1; g < cells; ++g) {
    const int x = RoundHalfEven(double(length) / cells * g);
    if (lines.empty() || lines.back() != x) lines.push_back(x);
  }
  return lines;
}

void TCellShape::Paint(QPainter& p, const QRect& outline, TShapeType shape, int cellX, int cellY, bool focusMark,
                       const QBrush& brush) {
  QRect r = outline;
  if (shape == stSquare || shape == stRoundSquare || shape == stCircle) {
    const int side = std::min(r.width(), r.height());
    r = QRect(r.left() + (r.width() - side) / 2, r.top() + (r.height() - side) / 2, side, side);
  }
  if (r.width() <= 0 || r.height() <= 0) return;
  p.save();
  // The outline lies on the rectangle's outermost pixels, as a one-pixel pen inset by half
  // its width draws it.
  const QRect line(r.left(), r.top(), r.width() - 1, r.height() - 1);
  p.setBrush(brush);
  const int radius = std::min(r.width(), r.height()) / 4;
  TwoColour(p, 1, [&] {
    switch (shape) {
      case stRectangle:
      case stSquare:
        p.drawRect(line);
        break;
      case stRoundRect:
      case stRoundSquare:
        p.drawRoundedRect(line, radius, radius);
        break;
      case stEllipse:
      case stCircle:
        p.drawEllipse(line);
        break;
    }
  });
  p.setBrush(Qt::NoBrush);
  if (shape == stRectangle || shape == stSquare) {
    const std::vector<int> rows = GridLines(line.height(), cellY);
    const std::vector<int> cols = GridLines(line.width(), cellX);
    TwoColour(p, 1, [&] {
      for (int y : rows) p.drawLine(line.left(), line.top() + y, line.right(), line.top() + y);
      for (int x : cols) p.drawLine(line.left() + x, line.top(), line.left() + x, line.bottom());
    });
  }
  if (focusMark) {
    // Eight 7 x 7 handles drawn with a 3-pixel pen: the corners and the middles of the sides.
    const int xs[3] = {line.left(), line.left() + line.width() / 2, line.right()};
    const int ys[3] = {line.top(), line.top() + line.height() / 2, line.bottom()};
    p.setPen(QPen(Qt::black, 3));
    p.setBrush(Qt::white);
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        if (i != 1 || j != 1) p.drawRect(QRect(xs[i] - 3, ys[j] - 3, 7, 7).adjusted(1, 1, -1, -1));
  }
  p.restore();
}

void TCellShape::paintEvent(QPaintEvent*) {
  QPainter p(this);
  Paint(p, rect(), shape_, cellX_, cellY_, focusMark_, brush_);
}

}  // namespace qv
