#pragma once
// TTileCropDrawing: the small drawing of the wizard's proportions page. The outer square
// stands for a picture, the inner shape for the part of it a tile keeps (WizardKeptPart).
#include <QWidget>

#include "models/WizardModel.h"

namespace qv {

class TTileCropDrawing : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSide = 72;  // the outer square
  explicit TTileCropDrawing(QWidget* parent = nullptr);

  struct TChoice {
    TTileShape Shape = TTileShape::None;
    int CustomX = 4, CustomY = 4;
    int MarginPercent = 0;
    int AnchorColumn = 1, AnchorRow = 1;
    bool Stretch = false;
  };
  void SetChoice(const TChoice& choice);
  Rect Outer() const;
  // The kept part as drawn, in widget pixels.
  Rect Kept() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  TChoice choice_;
};

}  // namespace qv
