// The program's start-up as main() runs it: the wizard comes up by itself when
// "StartUp"/"WizardOnStart" is on (also when the key is missing, its default) and not when it
// is off, once, after the files named on the command line have been opened.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "MainFormFixture.h"
#include "app/StartUp.h"
#include "settings/IniFile.h"
#include "wizard/Wizard.h"

using namespace qv;
using qvtest::Child;
using qvtest::TMainFormFixture;

namespace {

// What the test saw of each wizard that came up.
struct TSeenWizard {
  bool ShowOnStartTicked = false;
  bool SaveLeadsOn = false;  // "Save mosaic." enables "Next >": the project was open
};

void ExpectWizards(TMainFormFixture& fx, std::vector<TSeenWizard>& seen, int count) {
  for (int i = 0; i < count; ++i)
    fx.Prompts.Dialogs.push_back([&seen](QDialog& d) {
      auto& w = dynamic_cast<TWizard&>(d);
      w.show();
      TSeenWizard s;
      s.ShowOnStartTicked = Child<QCheckBox>(w, "ChkShowOnStart")->isChecked();
      Child<QRadioButton>(w, "RBSaveMosaic")->click();
      s.SaveLeadsOn = Child<QPushButton>(w, "BtnNext")->isEnabled();
      seen.push_back(s);
      return int(QDialog::Rejected);
    });
}

// Lets the event loop run long enough for anything queued at the window's first showing.
void Settle() {
  for (int i = 0; i < 5; ++i) QTest::qWait(20);
}

}  // namespace

class StartUpTest : public QObject {
  Q_OBJECT
 private slots:
  void WizardAtStart_data() {
    QTest::addColumn<QString>("setting");  // "" leaves the key out
    QTest::addColumn<int>("wizards");
    QTest::newRow("on") << "1" << 1;
    QTest::newRow("missing key") << "" << 1;
    QTest::newRow("off") << "0" << 0;
  }

  void WizardAtStart() {
    QFETCH(QString, setting);
    QFETCH(int, wizards);
    TMainFormFixture fx;
    if (!setting.isEmpty()) IniWriteBool(fx.Settings(), "StartUp", "WizardOnStart", setting == "1");
    const std::string library = fx.MakeLibrary("tiles", 6);
    const std::string project = fx.MakeProject("beach", library, 4, 3);
    std::vector<TSeenWizard> seen;
    // Room for a second showing, which would be a fault.
    ExpectWizards(fx, seen, 2);

    std::unique_ptr<TForm1> form =
        StartMainWindow({fx.Settings(), nullptr, {QString::fromStdString(project)}, true, QSize(700, 500)});
    QVERIFY(form->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(int(seen.size()), wizards, 10000);
    Settle();
    // Activation after the first showing offers nothing more.
    form->activateWindow();
    form->hide();
    form->show();
    Settle();
    QCOMPARE(int(seen.size()), wizards);
    QCOMPARE(fx.Prompts.Unanswered, 0);
    for (const TSeenWizard& s : seen) {
      QVERIFY(s.ShowOnStartTicked);
      QVERIFY2(s.SaveLeadsOn, "the project named on the command line was not open when the wizard came up");
    }
    // The command stays in the menu either way.
    QVERIFY(Child<QAction>(*form, "RunQuivaraWizard1")->isEnabled());
  }

  // A window started only to take its picture never offers the wizard.
  void NoWizardWhenNotOffered() {
    TMainFormFixture fx;
    IniWriteBool(fx.Settings(), "StartUp", "WizardOnStart", true);
    std::vector<TSeenWizard> seen;
    ExpectWizards(fx, seen, 1);
    std::unique_ptr<TForm1> form = StartMainWindow({fx.Settings(), nullptr, {}, false, QSize()});
    Settle();
    QVERIFY(seen.empty());
  }
};

QTEST_MAIN(StartUpTest)
#include "StartUpTest.moc"
