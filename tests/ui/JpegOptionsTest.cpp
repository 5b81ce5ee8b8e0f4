// The JPEG quality question: its 85 ceiling, the two controls following each other, the
// stored value, and the rule that a quality of 0 cannot be confirmed.
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>

#include "ScriptedPrompts.h"
#include "outputui/JpegOptions.h"
#include "settings/AppSettings.h"
#include "settings/IniFile.h"
#include "support/TestFiles.h"

using namespace qv;

class JpegOptionsTest : public QObject {
  Q_OBJECT
  qvtest::TempDir dir_;
  std::string settings_;

 private slots:
  void init() {
    settings_ = dir_.File("qv003.ini");
    std::remove(settings_.c_str());
  }

  void StartsFromTheSettingsWithEightyFiveAsCeiling() {
    {
      Tjpegoptions d(settings_);
      QCOMPARE(d.windowTitle(), QString("JPEG Options"));
      QCOMPARE(d.Quality(), 85);  // nothing stored
      QCOMPARE(d.findChild<QSlider*>("TrackBar1")->value(), 85);
      QCOMPARE(d.findChild<QSlider*>("TrackBar1")->tickInterval(), 10);
    }
    IniWriteInt(settings_, "Output", "JPG", 60);
    QCOMPARE(Tjpegoptions(settings_).Quality(), 60);
    IniWriteInt(settings_, "Output", "JPG", 97);
    QCOMPARE(Tjpegoptions(settings_).Quality(), 85);
  }

  void ControlsFollowEachOtherAndSnapBackToEightyFive() {
    Tjpegoptions d(settings_);
    auto* spin = d.findChild<QSpinBox*>("SpinEdit1");
    auto* bar = d.findChild<QSlider*>("TrackBar1");
    bar->setValue(40);
    QCOMPARE(spin->value(), 40);
    spin->setValue(25);
    QCOMPARE(bar->value(), 25);
    bar->setValue(95);
    QCOMPARE(bar->value(), 85);
    QCOMPARE(spin->value(), 85);
    spin->setValue(100);
    QCOMPARE(spin->value(), 85);
    QCOMPARE(bar->value(), 85);
  }

  void OkWritesAndReturnsTheQualityButNotZero() {
    Tjpegoptions d(settings_);
    d.show();
    d.SetQuality(0);
    d.findChild<QPushButton*>("BitBtn1")->click();
    QVERIFY(d.isVisible());  // 0 is no modal result
    QCOMPARE(IniReadInt(settings_, "Output", "JPG", -5), -5);
    d.SetQuality(70);
    d.findChild<QPushButton*>("BitBtn1")->click();
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), 70);
    QCOMPARE(IniReadInt(settings_, "Output", "JPG", -5), 70);
  }

  void AskGivesQualityOrMinusOne() {
    qvtest::TScriptedPrompts prompts;
    SetPrompts(&prompts);
    prompts.Dialogs.push_back([](QDialog& d) {
      d.findChild<QSlider*>("TrackBar1")->setValue(55);
      d.findChild<QPushButton*>("BitBtn1")->click();
      return d.result();
    });
    QCOMPARE(Tjpegoptions::AskJpegQuality(settings_), 55);
    prompts.Dialogs.push_back([](QDialog& d) {
      d.findChild<QPushButton*>("BitBtn2")->click();
      return d.result();
    });
    QCOMPARE(Tjpegoptions::AskJpegQuality(settings_), -1);
    QCOMPARE(Tjpegoptions::AskJpegQuality(settings_), -1);  // closed without a button
    QCOMPARE(IniReadInt(settings_, "Output", "JPG", 0), 55);
    QCOMPARE(prompts.DialogNames.front(), QString("jpegoptions"));
    SetPrompts(nullptr);
  }
};

QTEST_MAIN(JpegOptionsTest)
#include "JpegOptionsTest.moc"
