#include "controls/SpinEdits.h"

#include <QLineEdit>

namespace qv {

TVNSpinEdit::TVNSpinEdit(QWidget* parent) : QSpinBox(parent) {
  setRange(0, 100);
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

TVNSpinEdit::TVNSpinEdit(int minValue, int maxValue, int increment, int value, QWidget* parent) : TVNSpinEdit(parent) {
  setRange(minValue, maxValue);
  setSingleStep(increment);
  setValue(value);
}

TVNCharSpinEdit::TVNCharSpinEdit(QWidget* parent) : TVNSpinEdit(parent) { lineEdit()->setText(textFromValue(value())); }

TVNCharSpinEdit::TVNCharSpinEdit(int minValue, int maxValue, int increment, int value, QWidget* parent)
    : TVNSpinEdit(minValue, maxValue, increment, value, parent) {
  // The base constructor showed the value before the text override was in place.
  lineEdit()->setText(textFromValue(this->value()));
}

void TVNCharSpinEdit::SetCharValue(int v) {
  charValue_ = v;
  lineEdit()->setText(textFromValue(value()));
}

void TVNCharSpinEdit::SetCharText(const QString& text) {
  charText_ = text;
  lineEdit()->setText(textFromValue(value()));
}

QString TVNCharSpinEdit::textFromValue(int value) const {
  return value == charValue_ ? charText_ : QSpinBox::textFromValue(value);
}

int TVNCharSpinEdit::valueFromText(const QString& text) const {
  if (text.trimmed().compare(charText_, Qt::CaseInsensitive) == 0) return charValue_;
  return QSpinBox::valueFromText(text);
}

QValidator::State TVNCharSpinEdit::validate(QString& input, int& pos) const {
  const QString t = input.trimmed();
  if (t.compare(charText_, Qt::CaseInsensitive) == 0) return QValidator::Acceptable;
  if (!t.isEmpty() && charText_.startsWith(t, Qt::CaseInsensitive)) return QValidator::Intermediate;
  return QSpinBox::validate(input, pos);
}

}  // namespace qv
