// The integer spin edits of the component kit.
#include <QTest>

#include "controls/SpinEdits.h"

using qv::TVNCharSpinEdit;
using qv::TVNSpinEdit;

class SpinEditsTest : public QObject {
  Q_OBJECT
 private slots:
  void SpinEditKeepsItsRangeAndStep();
  void CharSpinEditShowsAutoForZero();
  void CharSpinEditTakesTheTypedText();
};

void SpinEditsTest::SpinEditKeepsItsRangeAndStep() {
  TVNSpinEdit blend(0, 100, 10, 10);
  QCOMPARE(blend.Value(), 10);
  QCOMPARE(blend.Increment(), 10);
  blend.stepBy(1);
  QCOMPARE(blend.Value(), 20);
  blend.SetValue(250);
  QCOMPARE(blend.Value(), 100);
  blend.SetValue(-3);
  QCOMPARE(blend.Value(), 0);
  TVNSpinEdit distance(0, 999999999, 1, 6);
  distance.SetValue(999999999);
  QCOMPARE(distance.Value(), 999999999);
}

void SpinEditsTest::CharSpinEditShowsAutoForZero() {
  TVNCharSpinEdit repeat(0, 999999, 1, 0);
  QCOMPARE(repeat.text(), QString("Auto"));
  repeat.SetValue(3);
  QCOMPARE(repeat.text(), QString("3"));
  repeat.SetValue(1);
  repeat.stepBy(-1);
  QCOMPARE(repeat.Value(), 0);
  QCOMPARE(repeat.text(), QString("Auto"));
  TVNCharSpinEdit plain;
  QCOMPARE(plain.text(), QString("Auto"));
  plain.SetCharText("None");
  QCOMPARE(plain.text(), QString("None"));
}

void SpinEditsTest::CharSpinEditTakesTheTypedText() {
  TVNCharSpinEdit repeat(0, 999999, 1, 5);
  repeat.show();
  repeat.selectAll();
  QTest::keyClicks(&repeat, "auto");
  QTest::keyClick(&repeat, Qt::Key_Return);
  QCOMPARE(repeat.Value(), 0);
  repeat.selectAll();
  QTest::keyClicks(&repeat, "12");
  QTest::keyClick(&repeat, Qt::Key_Return);
  QCOMPARE(repeat.Value(), 12);
  repeat.selectAll();
  QTest::keyClicks(&repeat, "x");  // refused
  QTest::keyClick(&repeat, Qt::Key_Return);
  QCOMPARE(repeat.Value(), 12);
}

QTEST_MAIN(SpinEditsTest)
#include "SpinEditsTest.moc"
