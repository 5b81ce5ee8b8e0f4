#pragma once
// TAdvanceRender: "Advanced render options" of the wizard. The two composition limits the
// wizard hands to the main window with the new mosaic: "Distance between same image:" (cells)
// and "Repeat any image no more then " (times, 0 the automatic setting). A text area explains
// the field being edited or under the mouse; "Default settings" gives Distance 6 and Repeat 0.
#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qv {

class TVNCharSpinEdit;
class TVNSpinEdit;

class TAdvanceRender : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kDefaultDistance = 6;
  static constexpr int kDefaultRepeat = 0;

  TAdvanceRender(int distance, int repeat, QWidget* parent = nullptr);

  int Distance() const;
  int Repeat() const;

  void BtnDefaultClick();  // "Default settings"

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void Explain(QObject* field);

  TVNSpinEdit* SpinDistance = nullptr;
  TVNCharSpinEdit* SpinRepeat = nullptr;
  QPlainTextEdit* MemoExplain = nullptr;
  QPushButton* BtnDefault = nullptr;
  QPushButton* BtnOK = nullptr;
  QPushButton* BtnCancel = nullptr;
};

}  // namespace qv
