#pragma once
// Integer spin edits of the component kit.
//
// TVNSpinEdit: an integer field with up and down buttons, a minimum, a maximum and a step;
// a typed value outside the range is pulled back into it when the field is left.
// TVNCharSpinEdit: the same, showing a text instead of one value (the "Repeat:" field shows
// "Auto" for 0); typing the text, in any case, gives that value.
#include <QSpinBox>
#include <QString>

namespace qv {

class TVNSpinEdit : public QSpinBox {
  Q_OBJECT
 public:
  explicit TVNSpinEdit(QWidget* parent = nullptr);
  TVNSpinEdit(int minValue, int maxValue, int increment, int value, QWidget* parent = nullptr);

  int Value() const { return value(); }
  void SetValue(int v) { setValue(v); }
  int MinValue() const { return minimum(); }
  int MaxValue() const { return maximum(); }
  int Increment() const { return singleStep(); }
  void SetRange(int minValue, int maxValue) { setRange(minValue, maxValue); }
  void SetIncrement(int step) { setSingleStep(step); }
};

// The "Color" field of the main window and the plain spin edits of the dialogs.
using TSpinEdit = TVNSpinEdit;

class TVNCharSpinEdit : public TVNSpinEdit {
  Q_OBJECT
 public:
  explicit TVNCharSpinEdit(QWidget* parent = nullptr);
  TVNCharSpinEdit(int minValue, int maxValue, int increment, int value, QWidget* parent = nullptr);

  // The value shown as text (0 unless set) and the text ("Auto" unless set).
  int CharValue() const { return charValue_; }
  QString CharText() const { return charText_; }
  void SetCharValue(int v);
  void SetCharText(const QString& text);

 protected:
  QString textFromValue(int value) const override;
  int valueFromText(const QString& text) const override;
  QValidator::State validate(QString& input, int& pos) const override;

 private:
  int charValue_ = 0;
  QString charText_ = QStringLiteral("Auto");
};

}  // namespace qv
