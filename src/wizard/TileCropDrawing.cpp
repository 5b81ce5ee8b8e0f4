#include "wizard/TileCropDrawing.h"

#include <QPainter>

namespace qv {

namespace {
constexpr int kInset = 4;
}

TTileCropDrawing::TTileCropDrawing(QWidget* parent) : QWidget(parent) {
  setObjectName("CropDrawing");
  setFixedSize(sizeHint());
}

QSize TTileCropDrawing::sizeHint() const { return {kSide + 2 * kInset, kSide + 2 * kInset}; }

void TTileCropDrawing::SetChoice(const TChoice& choice) {
  choice_ = choice;
  update();
}

Rect TTileCropDrawing::Outer() const { return {kInset, kInset, kInset + kSide, kInset + kSide}; }

Rect TTileCropDrawing::Kept() const {
  return WizardKeptPart(Outer(), choice_.Shape, choice_.CustomX, choice_.CustomY, choice_.MarginPercent,
                        choice_.AnchorColumn, choice_.AnchorRow, choice_.Stretch);
}

void TTileCropDrawing::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const Rect o = Outer();
  p.setPen(QPen(palette().color(QPalette::WindowText), 1));
  p.setBrush(palette().color(QPalette::Base));
  p.drawRect(o.Left, o.Top, o.Width() - 1, o.Height() - 1);
  if (choice_.Shape == TTileShape::None && !choice_.Stretch) return;
  const Rect k = Kept();
  if (k.Width() <= 0 || k.Height() <= 0) return;
  p.setPen(QPen(Qt::red, 1));
  p.setBrush(QColor(255, 0, 0, 40));
  p.drawRect(k.Left, k.Top, k.Width() - 1, k.Height() - 1);
}

}  // namespace qv
