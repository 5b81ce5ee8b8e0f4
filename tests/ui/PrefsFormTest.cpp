// The preferences dialog: what it shows on opening, what "Save" writes and applies to the
// running main window, the reset and the clearing of the recent lists, and settings files that
// cannot be written or hold garbage.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "MainFormFixture.h"
#include "MenuItems.h"
#include "controls/SpinEdits.h"
#include "mainwindow/HelpWindow.h"
#include "prefs/PrefsForm.h"
#include "settings/IniFile.h"
#include "settings/RecentFiles.h"

using namespace qv;
using qvtest::Child;
using qvtest::TMainFormFixture;

namespace {

bool Checked(const QObject& o, const char* name) { return Child<QAbstractButton>(o, name)->isChecked(); }

}  // namespace

class PrefsFormTest : public QObject {
  Q_OBJECT
 private slots:
  void OpensFromTheEditMenu() {
    TMainFormFixture fx;
    TForm1 form(fx.Settings());
    InstallPreferences(form);
    QCOMPARE(qvtest::ShownCaptions(Child<QMenu>(form, "Edit1")).last(), QString("Preferences..."));
    QStringList seen;
    int contexts[3] = {0, 0, 0};
    fx.Prompts.Dialogs.push_back([&](QDialog& d) {
      seen << d.windowTitle();
      auto* pages = Child<QTabWidget>(d, "PageControl1");
      for (int i = 0; i < pages->count(); ++i) seen << pages->tabText(i);
      contexts[0] = HelpContextOf(&d);
      contexts[1] = HelpContextOf(Child<QWidget>(d, "CheckBox1"));
      contexts[2] = HelpContextOf(Child<QWidget>(d, "CheckBox5"));
      return int(QDialog::Rejected);
    });
    Child<QAction>(form, "Preferences1")->trigger();
    QCOMPARE(seen, QStringList({"Preferences", "General", "Advanced"}));
    QCOMPARE(contexts[0], 34);
    QCOMPARE(contexts[1], 35);
    QCOMPARE(contexts[2], 36);
    QCOMPARE(fx.Prompts.DialogNames, std::vector<QString>{"PrefsForm"});
    // "Help" and the two pages have topics of their own.
    TPrefsForm prefs(form);
    Child<QPushButton>(prefs, "BitBtnHlp")->click();
    QCOMPARE(HelpWindow()->CurrentUrl(), QUrl("qrc:/help/topic34.html"));
    for (int context : {35, 36}) QVERIFY(HelpTopicUrl(context) != HelpContentsUrl());
    HelpWindow()->close();
  }

  // With no "OpenOnStart" key the start-up opens nothing, yet the dialog shows "Open last
  // project", and saving it unchanged stores "Project".
  void MissingOpenOnStartShowsLastProject() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 4);
    std::string project = fx.MakeProject("p", lib, 2, 2);
    IniWriteString(fx.Settings(), "StartUp", "LastProject", project);
    TForm1 form(fx.Settings());
    form.StartUpSetup();
    QVERIFY(!form.QVPlan1.TableIsOpen());
    TPrefsForm prefs(form);
    QVERIFY(Checked(prefs, "RadioButton3"));
    QVERIFY(!Checked(prefs, "RadioButton1") && !Checked(prefs, "RadioButton2"));
    // The other defaults of a missing file.
    QVERIFY(Checked(prefs, "CheckBox1") && !Checked(prefs, "CheckBox2") && Checked(prefs, "RadioButton6"));
    QVERIFY(Checked(prefs, "CheckBox5") && Checked(prefs, "CheckBox6") && Checked(prefs, "CheckBox7"));
    QVERIFY(!Checked(prefs, "CheckBox3") && !Checked(prefs, "CheckBox4"));
    QCOMPARE(Child<TVNSpinEdit>(prefs, "SpinEdit1")->Value(), 5);
    prefs.SaveSettings();
    QCOMPARE(IniReadString(fx.Settings(), "StartUp", "OpenOnStart", ""), std::string("Project"));
    // The stored choices: "Blank" for anything but "Base" and "Project".
    for (auto [stored, radio] : {std::pair{"Base", "RadioButton2"}, {"No", "RadioButton1"}, {"xyz", "RadioButton1"}}) {
      IniWriteString(fx.Settings(), "StartUp", "OpenOnStart", stored);
      TPrefsForm again(form);
      QVERIFY2(Checked(again, radio), stored);
    }
  }

  void SaveWritesAndAppliesAtOnce() {
    TMainFormFixture fx;
    TForm1 form(fx.Settings());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    TPrefsForm prefs(form);
    Child<QRadioButton>(prefs, "RadioButton2")->setChecked(true);
    Child<QCheckBox>(prefs, "CheckBox1")->setChecked(false);
    Child<QCheckBox>(prefs, "CheckBox2")->setChecked(true);
    Child<QRadioButton>(prefs, "RadioButton5")->setChecked(true);
    Child<QCheckBox>(prefs, "CheckBox3")->setChecked(true);
    Child<QCheckBox>(prefs, "CheckBox4")->setChecked(true);
    Child<TVNSpinEdit>(prefs, "SpinEdit1")->SetValue(9);
    Child<QCheckBox>(prefs, "CheckBox6")->setChecked(false);
    Child<QCheckBox>(prefs, "CheckBox7")->setChecked(false);
    prefs.SaveSettings();

    const std::string& ini = fx.Settings();
    QCOMPARE(IniReadString(ini, "StartUp", "OpenOnStart", ""), std::string("Base"));
    QCOMPARE(IniReadString(ini, "StartUp", "WizardOnStart", ""), std::string("0"));
    QCOMPARE(IniReadString(ini, "StartUp", "RememberBlendSetting", ""), std::string("1"));
    QCOMPARE(IniReadString(ini, "StartUp", "DefaultMosaicMode", ""), std::string("Random"));
    QCOMPARE(IniReadString(ini, "StartUp", "AllowStretchTiles", ""), std::string("1"));
    QCOMPARE(IniReadString(ini, "Advanced", "AllowFlipRotate", ""), std::string("1"));
    QCOMPARE(IniReadString(ini, "Advanced", "AllowPopUpCndidates", ""), std::string("1"));
    QCOMPARE(IniReadString(ini, "Advanced", "ShowBestCndidates", ""), std::string("9"));
    QCOMPARE(IniReadString(ini, "Advanced", "AllowFastJpg", ""), std::string("0"));
    QCOMPARE(IniReadString(ini, "Advanced", "DetailedBackground", ""), std::string("0"));

    const TMainPreferences& p = form.Preferences();
    QCOMPARE(p.RenderType, 1);
    QCOMPARE(Child<QAction>(form, "Randommosaic1")->shortcut(), QKeySequence("Ctrl+R"));
    QVERIFY(Child<QAction>(form, "Smartmosaic1")->shortcut().isEmpty());
    QVERIFY(p.StretchAllowed && p.FlipRotateAllowed && !p.FastJpegAllowed && !p.DetailedBackground);
    QCOMPARE(p.CandidateCount, 9);
    QVERIFY(Child<QGroupBox>(form, "GroupBox1")->isVisible());

    // Flips forbidden again: the group goes and only "Original" stays ticked.
    Child<QCheckBox>(form, "CBFlipH")->setChecked(true);
    Child<QCheckBox>(form, "CBFlipOriginal")->setChecked(false);
    TPrefsForm second(form);
    QVERIFY(Checked(second, "CheckBox4") && Checked(second, "CheckBox3"));
    Child<QCheckBox>(second, "CheckBox4")->setChecked(false);
    Child<QCheckBox>(second, "CheckBox5")->setChecked(false);
    second.SaveSettings();
    QVERIFY(!Child<QGroupBox>(form, "GroupBox1")->isVisible());
    QVERIFY(Checked(form, "CBFlipOriginal") && !Checked(form, "CBFlipH"));
    QVERIFY(!form.Preferences().CandidatePopupAllowed);
    QCOMPARE(fx.Prompts.Messages.size(), size_t(0));
  }

  void CandidateFieldFollowsThePopUpBox() {
    TMainFormFixture fx;
    TForm1 form(fx.Settings());
    TPrefsForm prefs(form);
    auto* box = Child<QCheckBox>(prefs, "CheckBox5");
    QVERIFY(Child<TVNSpinEdit>(prefs, "SpinEdit1")->isEnabled());
    box->click();
    for (const char* name : {"SpinEdit1", "Label1", "Label2"}) QVERIFY(!Child<QWidget>(prefs, name)->isEnabled());
    box->click();
    for (const char* name : {"SpinEdit1", "Label1", "Label2"}) QVERIFY(Child<QWidget>(prefs, name)->isEnabled());
    // The dialog opens on the window's own candidate settings, not the file's.
    IniWriteInt(fx.Settings(), "Advanced", "ShowBestCndidates", 12);
    IniWriteBool(fx.Settings(), "Advanced", "AllowPopUpCndidates", false);
    TPrefsForm fromWindow(form);
    QCOMPARE(Child<TVNSpinEdit>(fromWindow, "SpinEdit1")->Value(), 5);
    QVERIFY(Checked(fromWindow, "CheckBox5"));
  }

  // Saving a new candidate number changes the candidate items of the next grid pop-up.
  void CandidateNumberChangesThePopUp() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 20);
    std::string project = fx.MakeProject("p", lib, 4, 3);
    TForm1 form(fx.Settings());
    form.OpenQVP(project);
    Child<QAction>(form, "Smartmosaic1")->trigger();
    Child<TVNSpinEdit>(form, "SpinRadius2")->SetValue(0);  // every tile may be a candidate
    auto shownCandidates = [&form] {
      int n = 0;
      const QList<QAction*> items = form.CellPopupMenu()->actions();
      for (int i = 3; i < items.size(); ++i) n += items[i]->isVisible();
      return n;
    };
    QVERIFY(form.PrepareGridPopup(1, 1));
    const int before = shownCandidates();
    TPrefsForm prefs(form);
    Child<TVNSpinEdit>(prefs, "SpinEdit1")->SetValue(9);
    prefs.SaveSettings();
    QCOMPARE(form.Preferences().CandidateCount, 9);
    QCOMPARE(form.CellPopupMenu()->actions().size(), 9 + 3);
    QVERIFY(form.PrepareGridPopup(1, 1));
    QCOMPARE(before, 5);
    QCOMPARE(shownCandidates(), 9);
  }

  // The switches the dialog shows are what the window does from the start.
  void StretchAndFlipKeysApplyAtStart() {
    TMainFormFixture fx;
    IniWriteBool(fx.Settings(), "StartUp", "AllowStretchTiles", true);
    IniWriteBool(fx.Settings(), "Advanced", "AllowFlipRotate", true);
    TForm1 form(fx.Settings());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(form.Preferences().StretchAllowed);
    QVERIFY(Child<QGroupBox>(form, "GroupBox1")->isVisible());
    QVERIFY(Checked(form, "CBFlipOriginal") && !Checked(form, "CBFlipH"));
    TPrefsForm prefs(form);
    QVERIFY(Checked(prefs, "CheckBox3") && Checked(prefs, "CheckBox4"));
  }

  // "Reset all settings to default" gives "Color" 50 and "Blend" 20, while a file without
  // those keys reads 40 and 10.
  void ResetAllSettings() {
    TMainFormFixture fx;
    const std::string& ini = fx.Settings();
    IniWriteString(ini, "StartUp", "DefaultMosaicMode", "TopBottom");
    IniWriteBool(ini, "StartUp", "AllowStretchTiles", true);
    IniWriteBool(ini, "Advanced", "AllowFlipRotate", true);
    IniWriteInt(ini, "Advanced", "ShowBestCndidates", 8);
    IniWriteBool(ini, "Advanced", "AllowFastJpg", false);
    {
      TForm1 fresh(ini);
      QCOMPARE(Child<TVNSpinEdit>(fresh, "SpinEdit2")->Value(), 40);
      QCOMPARE(Child<TVNSpinEdit>(fresh, "VNSpinEdit1")->Value(), 10);
    }
    // (The closing window wrote its values; empty ones read as missing.)
    for (const char* key : {"MainScrColor", "MainScrBlend"}) IniWriteString(ini, "Advanced", key, "");
    IniWriteString(ini, "Render", "Radius", "3");
    IniWriteBool(ini, "Render", "FixAuto", true);
    TForm1 form(ini);
    Child<TVNSpinEdit>(form, "SpinEdit2")->SetValue(70);
    Child<TVNCharSpinEdit>(form, "SpinRepetition2")->SetValue(4);
    Child<QCheckBox>(form, "ChkInvertSelection")->setChecked(true);
    Child<QCheckBox>(form, "CBFlipV")->setChecked(true);
    TPrefsForm prefs(form);

    fx.Prompts.Answers.push_back(pbCancel);
    prefs.BitBtn3Click();
    QCOMPARE(fx.Prompts.Messages.back().Text, QString("Reset all settings to default?"));
    QCOMPARE(fx.Prompts.Messages.back().Caption, QString("Quivara 3"));
    QCOMPARE(fx.Prompts.Messages.back().Icon, TPromptIcon::Question);
    QCOMPARE(Child<TVNSpinEdit>(form, "SpinRadius2")->Value(), 3);  // cancelled: nothing

    fx.Prompts.Answers.push_back(pbOK);
    prefs.BitBtn3Click();
    QCOMPARE(Child<TVNSpinEdit>(form, "SpinRadius2")->Value(), 6);
    QCOMPARE(Child<TVNCharSpinEdit>(form, "SpinRepetition2")->Value(), 0);
    QVERIFY(!Checked(form, "ChkFixAuto") && Checked(form, "ChkFixManual") && !Checked(form, "ChkInvertSelection"));
    QCOMPARE(Child<TVNSpinEdit>(form, "SpinEdit2")->Value(), 50);
    QCOMPARE(Child<TVNSpinEdit>(form, "VNSpinEdit1")->Value(), 20);
    QVERIFY(Checked(form, "CBFlipOriginal") && !Checked(form, "CBFlipV"));
    QCOMPARE(IniReadString(ini, "Render", "Radius", ""), std::string("6"));
    QCOMPARE(IniReadString(ini, "Render", "FixAuto", ""), std::string("0"));
    QCOMPARE(IniReadString(ini, "Render", "FixManual", ""), std::string("1"));
    QCOMPARE(IniReadString(ini, "Advanced", "UseVFlip", ""), std::string("0"));
    QCOMPARE(IniReadString(ini, "Advanced", "UseOriginalFlip", ""), std::string("1"));
    // "Color" and "Blend" reach the file only when the window closes.
    QCOMPARE(IniReadString(ini, "Advanced", "MainScrColor", "none"), std::string(""));
    // The advanced switches, in the dialog, the file and the window; stretching, the render
    // mode and the start-up choice stay.
    QVERIFY(!Checked(prefs, "CheckBox3") && !Checked(prefs, "CheckBox4"));
    QVERIFY(Checked(prefs, "CheckBox5") && Checked(prefs, "CheckBox6") && Checked(prefs, "CheckBox7"));
    QCOMPARE(Child<TVNSpinEdit>(prefs, "SpinEdit1")->Value(), 5);
    QCOMPARE(IniReadString(ini, "Advanced", "AllowFlipRotate", ""), std::string("0"));
    QCOMPARE(IniReadString(ini, "Advanced", "ShowBestCndidates", ""), std::string("5"));
    QCOMPARE(IniReadString(ini, "Advanced", "AllowFastJpg", ""), std::string("1"));
    QCOMPARE(IniReadString(ini, "StartUp", "AllowStretchTiles", ""), std::string("1"));
    QCOMPARE(IniReadString(ini, "StartUp", "DefaultMosaicMode", ""), std::string("TopBottom"));
    const TMainPreferences& p = form.Preferences();
    QVERIFY(!p.FlipRotateAllowed && p.StretchAllowed && p.FastJpegAllowed && p.CandidatePopupAllowed);
    QCOMPARE(p.CandidateCount, 5);
    QCOMPARE(p.RenderType, 0);
    QVERIFY(Child<QGroupBox>(form, "GroupBox1")->isHidden());
  }

  // After cleaning, the three sub-menus are empty and the file holds the fifteen keys empty.
  void CleanRecentFiles() {
    TMainFormFixture fx;
    const std::string& ini = fx.Settings();
    for (TRecentKind kind : {TRecentKind::Project, TRecentKind::Library, TRecentKind::Image})
      WriteRecentList(ini, kind,
                      {fx.Dir.File("a"), fx.Dir.File("b"), fx.Dir.File("c"), fx.Dir.File("d"), fx.Dir.File("e")});
    TForm1 form(ini);
    for (TRecentKind kind : {TRecentKind::Project, TRecentKind::Library, TRecentKind::Image})
      QVERIFY(!qvtest::ShownActions(form.RecentMenu(kind)).isEmpty());
    TPrefsForm prefs(form);
    fx.Prompts.Answers.push_back(pbOK);
    prefs.BitBtn4Click();
    QCOMPARE(fx.Prompts.Messages.back().Text, QString("Clean all recent used files menu?"));
    QCOMPARE(fx.Prompts.Messages.back().Buttons, pbOK | pbCancel);
    int emptyKeys = 0;
    for (TRecentKind kind : {TRecentKind::Project, TRecentKind::Library, TRecentKind::Image}) {
      for (int i = 0; i < kRecentCount; ++i) {
        const std::string key = RecentKey(kind, i);
        QVERIFY2(IniReadString(ini, RecentSection(kind), key, "missing").empty(), key.c_str());
        ++emptyKeys;
      }
      QVERIFY(qvtest::ShownActions(form.RecentMenu(kind)).isEmpty());
    }
    QCOMPARE(emptyKeys, 15);
  }

  // A settings file that cannot be written: the values still apply for this run, and the
  // dialog says once that they cannot be kept.
  void SettingsFileNotWritable() {
    TMainFormFixture fx;
    const std::string blocker = fx.Dir.File("not-a-folder");
    std::ofstream(blocker) << "x";
    const std::string ini = blocker + "/qv003.ini";
    TForm1 form(ini);
    TPrefsForm prefs(form);
    Child<QRadioButton>(prefs, "RadioButton4")->setChecked(true);
    Child<QCheckBox>(prefs, "CheckBox4")->setChecked(true);
    prefs.SaveSettings();
    QCOMPARE(form.Preferences().RenderType, 0);
    QCOMPARE(Child<QAction>(form, "Mosaicall1")->shortcut(), QKeySequence("Ctrl+R"));
    QVERIFY(form.Preferences().FlipRotateAllowed);
    QCOMPARE(fx.Prompts.Messages.size(), size_t(1));
    QVERIFY(fx.Prompts.Messages[0].Text.contains("cannot be written"));
    QCOMPARE(fx.Prompts.Messages[0].Icon, TPromptIcon::Warning);
    // Said once: neither a second save nor a reset repeats it.
    prefs.SaveSettings();
    fx.Prompts.Answers.push_back(pbOK);
    prefs.BitBtn3Click();
    QCOMPARE(fx.Prompts.Messages.size(), size_t(2));  // the reset's question only
    QCOMPARE(Child<TVNSpinEdit>(form, "SpinEdit2")->Value(), 50);
  }

  // Garbage in every key the main window and the dialog read: each falls back to its default.
  void GarbageValuesReadAsDefaults() {
    TMainFormFixture fx;
    const std::string& ini = fx.Settings();
    for (const char* key : {"OpenOnStart", "LastBase", "LastProject", "DefaultMosaicMode", "WizardOnStart",
                            "RememberBlendSetting", "AllowStretchTiles"})
      IniWriteString(ini, "StartUp", key, "abc");
    for (const char* key : {"Radius", "Repetition", "FixAuto", "FixManual", "InvSelection"})
      IniWriteString(ini, "Render", key, "#!");
    for (const char* key : {"MainScrColor", "MainScrBlend", "AllowFlipRotate", "AllowPopUpCndidates",
                            "ShowBestCndidates", "AllowFastJpg", "DetailedBackground"})
      IniWriteString(ini, "Advanced", key, "1e9x");
    IniWriteString(ini, "LayOut", "MainForm", "garbage");
    {
      TForm1 form(ini);
      form.StartUpSetup();
      QVERIFY(!form.QVLib1.TableIsOpen() && !form.QVPlan1.TableIsOpen());
      QCOMPARE(Child<TVNSpinEdit>(form, "SpinRadius2")->Value(), 6);
      QCOMPARE(Child<TVNCharSpinEdit>(form, "SpinRepetition2")->Value(), 0);
      QVERIFY(!Checked(form, "ChkFixAuto") && Checked(form, "ChkFixManual") && !Checked(form, "ChkInvertSelection"));
      QCOMPARE(Child<TVNSpinEdit>(form, "SpinEdit2")->Value(), 40);
      QCOMPARE(Child<TVNSpinEdit>(form, "VNSpinEdit1")->Value(), 10);
      const TMainPreferences& p = form.Preferences();
      QVERIFY(p.RenderType == 2 && p.WizardOnStart && !p.StretchAllowed && !p.FlipRotateAllowed);
      QVERIFY(p.CandidatePopupAllowed && p.CandidateCount == 5 && p.FastJpegAllowed && p.DetailedBackground);
      TPrefsForm prefs(form);
      QVERIFY(Checked(prefs, "RadioButton1"));  // "abc" is neither "Base" nor "Project"
      QVERIFY(Checked(prefs, "CheckBox1") && !Checked(prefs, "CheckBox2") && Checked(prefs, "RadioButton6"));
      QCOMPARE(Child<TVNSpinEdit>(prefs, "SpinEdit1")->Value(), 5);
    }
    // Numbers out of their fields' ranges count as garbage too.
    IniWriteInt(ini, "Render", "Radius", -4);
    IniWriteInt(ini, "Advanced", "MainScrColor", 400);
    IniWriteInt(ini, "Advanced", "ShowBestCndidates", 0);
    TForm1 form(ini);
    QCOMPARE(Child<TVNSpinEdit>(form, "SpinRadius2")->Value(), 6);
    QCOMPARE(Child<TVNSpinEdit>(form, "SpinEdit2")->Value(), 40);
    QCOMPARE(form.Preferences().CandidateCount, 5);
  }
};

QTEST_MAIN(PrefsFormTest)
#include "PrefsFormTest.moc"
