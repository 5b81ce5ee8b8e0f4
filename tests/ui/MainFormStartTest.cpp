// The main window as it comes up: values from the settings file (or their defaults), the
// layout, menus and shortcuts, the status texts, hints, help, and what it writes back when
// it goes.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

#include "MainFormFixture.h"
#include "MenuItems.h"
#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/SplashForm.h"
#include "mainwindow/StatusPanel.h"
#include "outputui/SaveMosaic.h"
#include "settings/IniFile.h"

using namespace qv;
using qvtest::Child;
using qvtest::TMainFormFixture;

class MainFormStartTest : public QObject {
  Q_OBJECT
 private slots:
  void NoSettingsFile() {
    TMainFormFixture fx;
    TForm1 form(fx.Settings());
    QCOMPARE(Child<TVNSpinEdit>(form, "SpinRadius2")->Value(), 6);
    QCOMPARE(Child<TVNCharSpinEdit>(form, "SpinRepetition2")->Value(), 0);
    QCOMPARE(Child<TVNCharSpinEdit>(form, "SpinRepetition2")->text(), QString("Auto"));
    QVERIFY(!Child<QCheckBox>(form, "ChkFixAuto")->isChecked());
    QVERIFY(Child<QCheckBox>(form, "ChkFixManual")->isChecked());
    QVERIFY(!Child<QCheckBox>(form, "ChkInvertSelection")->isChecked());
    QCOMPARE(Child<TVNSpinEdit>(form, "SpinEdit2")->Value(), 40);
    QCOMPARE(Child<TVNSpinEdit>(form, "VNSpinEdit1")->Value(), 10);
    QCOMPARE(form.Preferences().RenderType, 2);
    QCOMPARE(Child<QAction>(form, "Smartmosaic1")->shortcut(), QKeySequence("Ctrl+R"));
    QVERIFY(Child<QAction>(form, "Mosaicall1")->shortcut().isEmpty());
    QVERIFY(Child<QAction>(form, "Randommosaic1")->shortcut().isEmpty());
    const TMainPreferences& p = form.Preferences();
    QVERIFY(p.WizardOnStart);
    QVERIFY(!p.StretchAllowed && !p.FlipRotateAllowed);
    QCOMPARE(p.CandidateCount, 5);
    QVERIFY(p.CandidatePopupAllowed && p.FastJpegAllowed && p.DetailedBackground);
    // "Use tiles: " starts hidden with only "Original" ticked; the view is "Source".
    QVERIFY(Child<QGroupBox>(form, "GroupBox1")->isHidden());
    QVERIFY(Child<QCheckBox>(form, "CBFlipOriginal")->isChecked());
    QVERIFY(!Child<QCheckBox>(form, "CBFlipH")->isChecked() && !Child<QCheckBox>(form, "CBFlipV")->isChecked() &&
            !Child<QCheckBox>(form, "CBRota180")->isChecked());
    QVERIFY(Child<QRadioButton>(form, "RBSource1")->isChecked());
    QVERIFY(Child<QGroupBox>(form, "GroupBox2")->isHidden());
    QCOMPARE(form.windowTitle(), QString("Quivara 3"));
    QCOMPARE(QCoreApplication::applicationName(), QString("Quivara"));
  }

  void Layout() {
    TMainFormFixture fx;
    TForm1 form(fx.Settings());
    InstallSaveMosaic(form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.minimumSize(), QSize(508, 457));
    QCOMPARE(Child<QFrame>(form, "Panel1")->width(), 113);
    QCOMPARE(Child<QLabel>(form, "StatusPanel0")->width(), 82);
    QCOMPARE(Child<QLabel>(form, "StatusPanel1")->width(), 270);
    QVERIFY(Child<QLabel>(form, "StatusPanel2")->width() >= 50);
    QVERIFY(Child<QLabel>(form, "StatusPanel0")->alignment() & Qt::AlignHCenter);
    QCOMPARE(form.statusBar()->objectName(), QString("StatusBar1"));
    // The grid fills the rest of the window, right of the panel.
    QVERIFY(Child<TDrawGrid>(form, "DrawGrid1")->geometry().left() >=
            Child<QFrame>(form, "Panel1")->geometry().right());
    QVERIFY(Child<TDrawGrid>(form, "DrawGrid1")->width() > 300);
    // Toolbar buttons: 28 x 28 in one column, four small ones beside the first; names as tips.
    QCOMPARE(Child<QToolButton>(form, "SpeedButton2")->size(), QSize(28, 28));
    QCOMPARE(Child<QToolButton>(form, "SpeedButton2")->toolTip(), QString("Open library"));
    QCOMPARE(Child<QToolButton>(form, "SpeedButton15")->toolTip(), QString("View 100% mosaic"));
    QVERIFY(Child<QToolButton>(form, "SpeedButton4")->y() > Child<QToolButton>(form, "SpeedButton2")->y());
    QVERIFY(Child<QToolButton>(form, "SpeedButton12")->x() > Child<QToolButton>(form, "SpeedButton2")->x());
    // At start "Save project", "Render mosaic" and "Stop" are off; "Open" buttons on.
    QVERIFY(!Child<QToolButton>(form, "SpeedButton5")->isEnabled());
    QVERIFY(!Child<QToolButton>(form, "SpeedButton7")->isEnabled());
    QVERIFY(!Child<QToolButton>(form, "SpeedButton9")->isEnabled());
    QVERIFY(Child<QToolButton>(form, "SpeedButton2")->isEnabled() &&
            Child<QToolButton>(form, "SpeedButton4")->isEnabled() &&
            Child<QToolButton>(form, "SpeedButton10")->isEnabled());
    // Commands of windows not installed show nowhere.
    for (QToolButton* b : {Child<QToolButton>(form, "SpeedButton1"), Child<QToolButton>(form, "SpeedButton3"),
                           Child<QToolButton>(form, "SpeedButton8"), Child<QToolButton>(form, "SpeedButton11")})
      QVERIFY(!b->isVisible());
    QVERIFY(Child<QToolButton>(form, "SpeedButton6")->isVisible());
    QVERIFY(!Child<QToolButton>(form, "SpeedButton6")->isEnabled());  // "Save mosaic image" needs a mosaic
    // The Edit menu holds the window's own cell commands.
    QVERIFY(Child<QMenu>(form, "Edit1")->menuAction()->isVisible());
    // The radio buttons, fields and boxes in their order down the panel.
    QVERIFY(Child<QRadioButton>(form, "RBDelta1")->y() < Child<QRadioButton>(form, "RBSource1")->y());
    QVERIFY(Child<QRadioButton>(form, "RBSource1")->y() < Child<QRadioButton>(form, "RBTarget1")->y());
    QVERIFY(Child<QRadioButton>(form, "RBTarget1")->y() < Child<QRadioButton>(form, "RBEnhance1")->y());
    QVERIFY(Child<QRadioButton>(form, "RBEnhance1")->y() < Child<TVNSpinEdit>(form, "SpinRadius2")->y());
    QVERIFY(Child<TVNSpinEdit>(form, "SpinRadius2")->y() < Child<TVNCharSpinEdit>(form, "SpinRepetition2")->y());
    QVERIFY(Child<TVNCharSpinEdit>(form, "SpinRepetition2")->y() < Child<QCheckBox>(form, "ChkFixAuto")->y());
    QVERIFY(Child<QCheckBox>(form, "ChkFixAuto")->y() < Child<QCheckBox>(form, "ChkFixManual")->y());
    QVERIFY(Child<QCheckBox>(form, "ChkFixManual")->y() < Child<QCheckBox>(form, "ChkInvertSelection")->y());
    // "Enhance" shows the "Color" and "Blend" group.
    Child<QRadioButton>(form, "RBEnhance1")->setChecked(true);
    QVERIFY(Child<QGroupBox>(form, "GroupBox2")->isVisible());
    Child<QRadioButton>(form, "RBTarget1")->setChecked(true);
    QVERIFY(!Child<QGroupBox>(form, "GroupBox2")->isVisible());
  }

  void MenusAndShortcuts() {
    TMainFormFixture fx;
    TForm1 form(fx.Settings());
    InstallSaveMosaic(form);
    auto captions = [&form](const char* menu) { return qvtest::ShownCaptions(Child<QMenu>(form, menu)); };
    QCOMPARE(captions("File1"),
             QStringList({"Open library...", "Open project...", "-", "Revert project", "Close project", "-",
                          "Recent projects", "Recent libraries", "-", "Save project", "Save project as...", "-",
                          "Save mosaic...", "Save statistic...", "-", "Exit"}));
    QCOMPARE(captions("Run1"), QStringList({"Mosaic all", "Random mosaic", "Smart mosaic", "Optimise mosaic",
                                            "Optimise mosaic for colour", "Mosaic quality...", "Stop mosaic process"}));
    QCOMPARE(captions("View1"), QStringList({"Hide details", "Show details", "-", "Fast view", "100%", "Fit to window",
                                             "Fit to selection", "-", "Zoom In", "Zoom Out", "-", "View Source",
                                             "View Target", "View Enhance", "-", "Show grid"}));
    QCOMPARE(captions("Help1"), QStringList({"Help", "Visit Quivara online...", "About..."}));
    QCOMPARE(Child<QAction>(form, "SaveQVP1")->shortcut(), QKeySequence("Ctrl+S"));
    QCOMPARE(Child<QAction>(form, "SaveQVPas1")->shortcut(), QKeySequence("Ctrl+Shift+S"));
    QCOMPARE(Child<QAction>(form, "Stopmosaicprocess1")->shortcut(), QKeySequence(Qt::Key_Escape));
    QCOMPARE(Child<QAction>(form, "Hidedetails1")->shortcut(), QKeySequence("Ctrl+F7"));
    QCOMPARE(Child<QAction>(form, "Showdetails1")->shortcut(), QKeySequence("Ctrl+F8"));
    QCOMPARE(Child<QAction>(form, "Fastview1")->shortcut(), QKeySequence("Ctrl+1"));
    QCOMPARE(Child<QAction>(form, "N1001")->shortcut(), QKeySequence("Ctrl+9"));
    QCOMPARE(Child<QAction>(form, "Fittowindow1")->shortcut(), QKeySequence("Ctrl+0"));
    QCOMPARE(Child<QAction>(form, "Fittoselection1")->shortcut(), QKeySequence("Ctrl+Shift+0"));
    QCOMPARE(Child<QAction>(form, "ZoomIn1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Equal));
    QCOMPARE(Child<QAction>(form, "ZoomOut1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Minus));
    QCOMPARE(Child<QAction>(form, "ViewSource1")->shortcut(), QKeySequence("Ctrl+2"));
    QCOMPARE(Child<QAction>(form, "ViewTarget1")->shortcut(), QKeySequence("Ctrl+3"));
    QCOMPARE(Child<QAction>(form, "ViewEnhance1")->shortcut(), QKeySequence("Ctrl+4"));

    // Nothing open: only the always-enabled items.
    form.UpdateMenus();
    QVERIFY(Child<QAction>(form, "Openlibrary1")->isEnabled() && Child<QAction>(form, "Openqvp1")->isEnabled() &&
            Child<QAction>(form, "Exit1")->isEnabled());
    QVERIFY(!Child<QAction>(form, "Revertproject1")->isEnabled() &&
            !Child<QAction>(form, "Closeproject1")->isEnabled());
    QVERIFY(!Child<QAction>(form, "SaveQVP1")->isEnabled() && !Child<QAction>(form, "SaveQVPas1")->isEnabled() &&
            !Child<QAction>(form, "Savestatistic1")->isEnabled());
    form.UpdateMenus();
    QVERIFY(!Child<QAction>(form, "Mosaicall1")->isEnabled() &&
            !Child<QAction>(form, "Stopmosaicprocess1")->isEnabled());

    // "Show grid" and "Hide grid": only one visible, and it has Ctrl+5.
    form.UpdateMenus();
    QVERIFY(Child<QAction>(form, "Showgrid1")->isVisible() && !Child<QAction>(form, "Hidegrid1")->isVisible());
    QCOMPARE(Child<QAction>(form, "Showgrid1")->shortcut(), QKeySequence("Ctrl+5"));
    Child<QAction>(form, "Showgrid1")->trigger();
    form.UpdateMenus();
    QVERIFY(!Child<QAction>(form, "Showgrid1")->isVisible() && Child<QAction>(form, "Hidegrid1")->isVisible());
    QCOMPARE(Child<QAction>(form, "Hidegrid1")->shortcut(), QKeySequence("Ctrl+5"));
    QVERIFY(Child<QAction>(form, "Showgrid1")->shortcut().isEmpty());
    QCOMPARE(Child<TDrawGrid>(form, "DrawGrid1")->GridLineWidth(), 1);
  }

  void CommandsOfOtherWindowsJoinTheirPlaces() {
    TMainFormFixture fx;
    TForm1 form(fx.Settings());
    int runs = 0;
    bool ready = false;
    TMainCommand open;
    open.Name = "Opensourceimage1";
    open.Caption = "Open source image...";
    open.Run = [&] { ++runs; };
    open.Enabled = [&] { return ready; };
    QAction* openItem = form.AddCommand(TMenuPlace::OpenSourceImage, open);
    TMainCommand preferences;
    preferences.Name = "Preferences1";
    preferences.Caption = "Preferences...";
    form.AddCommand(TMenuPlace::EditPreferences, preferences);
    TMainCommand wizard;
    wizard.Name = "RunQuivaraWizard1";
    wizard.Caption = "Run Quivara Wizard";
    wizard.Shortcut = QKeySequence("Ctrl+W");
    wizard.Run = [&] { runs += 10; };
    wizard.Button = "SpeedButton11";
    QAction* wizardItem = form.AddCommand(TMenuPlace::Wizard, wizard);

    // Each at its place; the separators around places that are still empty do not show.
    QCOMPARE(qvtest::ShownCaptions(Child<QMenu>(form, "File1")).mid(0, 4),
             QStringList({"Open library...", "Open project...", "Open source image...", "-"}));
    QVERIFY(Child<QMenu>(form, "Edit1")->menuAction()->isVisible());
    QCOMPARE(qvtest::ShownCaptions(Child<QMenu>(form, "Edit1")),
             QStringList({"Undo", "Redo", "-", "Erase cell", "Select all", "Erase selection", "Special erasing", "-",
                          "Preferences..."}));
    QCOMPARE(qvtest::ShownCaptions(Child<QMenu>(form, "Run1")),
             QStringList({"Run Quivara Wizard", "-", "Mosaic all", "Random mosaic", "Smart mosaic", "Optimise mosaic",
                          "Optimise mosaic for colour", "Mosaic quality...", "Stop mosaic process"}));
    QCOMPARE(wizardItem->shortcut(), QKeySequence("Ctrl+W"));

    // The rule is asked as the menu opens.
    emit Child<QMenu>(form, "File1")->aboutToShow();
    QVERIFY(!openItem->isEnabled());
    ready = true;
    emit Child<QMenu>(form, "File1")->aboutToShow();
    QVERIFY(openItem->isEnabled());
    openItem->trigger();
    QCOMPARE(runs, 1);

    // The toolbar button shows and runs the command.
    auto* button = Child<QToolButton>(form, "SpeedButton11");
    QVERIFY(!button->isHidden());
    button->click();
    QCOMPARE(runs, 11);

    // A pass locks every added command, whatever its rule says; its end gives the rules back.
    form.SetForStartMosaic();
    form.UpdateMenus();
    QVERIFY(!wizardItem->isEnabled() && !openItem->isEnabled());
    form.SetForEndMosaic();
    QVERIFY(wizardItem->isEnabled() && openItem->isEnabled());
  }

  void CtrlRFollowsDefaultMosaicMode_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("type");
    QTest::newRow("TopBottom") << "TopBottom" << 0;
    QTest::newRow("Random") << "Random" << 1;
    QTest::newRow("Smart") << "Smart" << 2;
    QTest::newRow("other") << "Anything" << 2;
  }
  void CtrlRFollowsDefaultMosaicMode() {
    QFETCH(QString, mode);
    QFETCH(int, type);
    TMainFormFixture fx;
    IniWriteString(fx.Settings(), "StartUp", "DefaultMosaicMode", mode.toStdString());
    std::string lib = fx.MakeLibrary("lib", 16);
    std::string project = fx.MakeProject("p", lib, 3, 2);
    TForm1 form(fx.Settings());
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(form.Preferences().RenderType, type);
    QAction* items[3] = {Child<QAction>(form, "Mosaicall1"), Child<QAction>(form, "Randommosaic1"),
                         Child<QAction>(form, "Smartmosaic1")};
    for (int i = 0; i < 3; ++i) QCOMPARE(items[i]->shortcut() == QKeySequence("Ctrl+R"), i == type);
    form.OpenQVP(project);
    Child<TVNSpinEdit>(form, "SpinRadius2")->SetValue(0);
    QSignalSpy spy(items[type], &QAction::triggered);
    QTest::keyClick(&form, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(qvtest::FilledCells(form.QVMosaic1), 6);
  }

  void SettingsReadAndWrittenBack() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("p", lib, 2, 2);
    IniWriteInt(fx.Settings(), "Render", "Radius", 4);
    IniWriteInt(fx.Settings(), "render", "repetition", 3);
    IniWriteBool(fx.Settings(), "Render", "FixAuto", true);
    IniWriteString(fx.Settings(), "Render", "FixManual", "0");
    IniWriteString(fx.Settings(), "Render", "InvSelection", "2");  // any non-zero number is true
    IniWriteInt(fx.Settings(), "Advanced", "MainScrColor", 70);
    IniWriteString(fx.Settings(), "Advanced", "MainScrBlend", "abc");  // not a number: the default
    IniWriteBool(fx.Settings(), "StartUp", "WizardOnStart", false);
    IniWriteString(fx.Settings(), "LayOut", "MainForm", "30,40,730,640");
    {
      TForm1 form(fx.Settings());
      QCOMPARE(Child<TVNSpinEdit>(form, "SpinRadius2")->Value(), 4);
      QCOMPARE(Child<TVNCharSpinEdit>(form, "SpinRepetition2")->text(), QString("3"));
      QVERIFY(Child<QCheckBox>(form, "ChkFixAuto")->isChecked());
      QVERIFY(!Child<QCheckBox>(form, "ChkFixManual")->isChecked());
      QVERIFY(Child<QCheckBox>(form, "ChkInvertSelection")->isChecked());
      QCOMPARE(Child<TVNSpinEdit>(form, "SpinEdit2")->Value(), 70);
      QCOMPARE(Child<TVNSpinEdit>(form, "VNSpinEdit1")->Value(), 10);
      QVERIFY(!form.Preferences().WizardOnStart);
      QCOMPARE(form.geometry(), QRect(30, 40, 700, 600));

      form.OpenQVP(project);
      Child<TVNSpinEdit>(form, "SpinRadius2")->SetValue(2);
      Child<TVNCharSpinEdit>(form, "SpinRepetition2")->SetValue(0);
      Child<QCheckBox>(form, "ChkFixAuto")->setChecked(false);
      Child<QCheckBox>(form, "ChkInvertSelection")->setChecked(false);
      Child<QCheckBox>(form, "CBFlipH")->setChecked(true);
      Child<TVNSpinEdit>(form, "SpinEdit2")->SetValue(20);
      Child<TVNSpinEdit>(form, "VNSpinEdit1")->SetValue(50);
      form.setGeometry(50, 60, 650, 520);
    }
    const std::string& ini = fx.Settings();
    QCOMPARE(IniReadString(ini, "Render", "Radius", ""), std::string("2"));
    QCOMPARE(IniReadString(ini, "Render", "Repetition", ""), std::string("0"));
    QCOMPARE(IniReadString(ini, "Render", "FixAuto", ""), std::string("0"));
    QCOMPARE(IniReadString(ini, "Render", "FixManual", ""), std::string("0"));
    QCOMPARE(IniReadString(ini, "Render", "InvSelection", ""), std::string("0"));
    QCOMPARE(IniReadString(ini, "Advanced", "UseOriginalFlip", ""), std::string("1"));
    QCOMPARE(IniReadString(ini, "Advanced", "UseHFlip", ""), std::string("1"));
    QCOMPARE(IniReadString(ini, "Advanced", "Use180Flip", ""), std::string("0"));
    QCOMPARE(IniReadString(ini, "Advanced", "MainScrColor", ""), std::string("20"));
    QCOMPARE(IniReadString(ini, "Advanced", "MainScrBlend", ""), std::string("50"));
    QCOMPARE(IniReadString(ini, "StartUp", "LastProject", ""), project);
    QCOMPARE(IniReadString(ini, "StartUp", "LastBase", ""), lib);
    QCOMPARE(IniReadString(ini, "LayOut", "MainForm", ""), std::string("50,60,700,580"));
    // The next window starts from what the last one left.
    TForm1 next(fx.Settings());
    QCOMPARE(Child<TVNSpinEdit>(next, "SpinRadius2")->Value(), 2);
    QCOMPARE(Child<TVNSpinEdit>(next, "SpinEdit2")->Value(), 20);
    QCOMPARE(next.geometry(), QRect(50, 60, 650, 520));
  }

  void StartUpOpensWhatTheSettingsAsk() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("p", lib, 3, 2);
    const std::string& ini = fx.Settings();
    {
      // A last library that is gone: nothing open, no message.
      IniWriteString(ini, "StartUp", "OpenOnStart", "Base");
      IniWriteString(ini, "StartUp", "LastBase", fx.Dir.File("gone.qv2"));
      TForm1 form(fx.Settings());
      form.StartUpSetup();
      QVERIFY(!form.QVLib1.TableIsOpen());
      QCOMPARE(int(fx.Prompts.Messages.size()), 0);
    }
    IniWriteString(ini, "StartUp", "LastBase", lib);  // (the closing form wrote its own state)
    {
      TForm1 form(fx.Settings());
      form.StartUpSetup();
      QVERIFY(form.QVLib1.TableIsOpen());
      QVERIFY(!form.QVPlan1.TableIsOpen());
      QVERIFY(form.StatusText(2).startsWith("Lib: 8 rec. (YCC) 4/4 - 6/6 - "));
      QVERIFY(Child<QToolButton>(form, "SpeedButton3")->isEnabled() ||
              Child<QToolButton>(form, "SpeedButton3")->isHidden());
    }
    {
      IniWriteString(ini, "StartUp", "OpenOnStart", "Project");
      IniWriteString(ini, "StartUp", "LastProject", project);
      TForm1 form(fx.Settings());
      form.StartUpSetup();
      QVERIFY(form.QVPlan1.TableIsOpen());
      QVERIFY(form.QVLib1.TableIsOpen());  // the project's own library
      QCOMPARE(Child<TDrawGrid>(form, "DrawGrid1")->ColCount(), 3);
      QCOMPARE(Child<TDrawGrid>(form, "DrawGrid1")->RowCount(), 2);
    }
    {
      IniWriteString(ini, "StartUp", "OpenOnStart", "No");
      TForm1 form(fx.Settings());
      form.StartUpSetup();
      QVERIFY(!form.QVPlan1.TableIsOpen() && !form.QVLib1.TableIsOpen());
    }
  }

  void StatusTexts() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("proj", lib, 4, 3);
    TForm1 form(fx.Settings());
    form.OpenLibraryByName(lib);
    QCOMPARE(form.StatusText(2), QString::fromStdString("Lib: 8 rec. (YCC) 4/4 - 6/6 - " + lib));
    form.OpenQVP(project);
    form.ShowStatus();
    QCOMPARE(form.windowTitle(), QString("Quivara 3 - (4x3) - proj.qvp"));
    QCOMPARE(form.StatusText(1), QString::fromStdString("Pic: 12 rec. (RGB) 4/4 - 6/6 - " + project));
    // Flipped blocks show as letters, horizontal, vertical, 180 in that order.
    form.QVLib1.AddFlippedCopies(kFlipRotate180);
    form.QVLib1.AddFlippedCopies(kFlipHorizontal);
    form.ShowStatus();
    QCOMPARE(form.StatusText(2), QString::fromStdString("Lib: 8 (HR) rec. (YCC) 4/4 - 6/6 - " + lib));
    // Any other view: the current cell's tile of the mosaic.
    Child<QRadioButton>(form, "RBTarget1")->setChecked(true);
    form.QVLib1.GoRecord(3);
    form.QVMosaic1.PlaceTile(5, form.QVLib1, true);
    form.QVMosaic1.GoRecord(5);
    form.ShowStatus();
    QCOMPARE(form.StatusText(2), "Lib: " + QString::fromStdString(form.QVMosaic1.Name) + " (" +
                                     QString::number(form.QVMosaic1.PicWidth) + "/" +
                                     QString::number(form.QVMosaic1.PicHeight) + ")");
    QVERIFY(form.StatusText(2).contains(".jpg (24/18)"));
    // Closing the project leaves the program's name as the caption.
    fx.Prompts.Answers.push_back(pbNo);
    form.CloseProject();
    QCOMPARE(form.windowTitle(), QString("Quivara 3"));
    QCOMPARE(form.StatusText(1), QString());
  }

  void StatusPanelsShortenFileNamesInTheMiddle() {
    TMainFormFixture fx;
    const std::string folder = fx.Dir.File(std::string(120, 'f'));
    std::filesystem::create_directories(folder);
    std::string lib = fx.MakeLibrary("lib", 4);
    std::string project = fx.MakeProject("proj", lib, 4, 3);
    const std::string moved = folder + "/proj.qvp";
    std::filesystem::rename(project, moved);
    TForm1 form(fx.Settings());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.OpenQVP(moved);
    form.ShowStatus();
    auto* panel1 = Child<TStatusPanel>(form, "StatusPanel1");
    const QString whole = QString::fromStdString("Pic: 12 rec. (RGB) 4/4 - 6/6 - " + moved);
    QCOMPARE(panel1->text(), whole);
    QCOMPARE(panel1->toolTip(), whole);
    // The summary stays whole; the file name loses the middle of its folder and keeps its name.
    const QString shown = panel1->ShownText();
    QVERIFY2(shown.startsWith("Pic: 12 rec. (RGB) 4/4 - 6/6 - /") && shown.endsWith("/proj.qvp") &&
                 shown.contains(QChar(0x2026)),
             qPrintable(shown));
    QVERIFY(panel1->fontMetrics().horizontalAdvance(shown) <= panel1->contentsRect().width());
    // The last panel takes the rest of the bar.
    auto* panel2 = Child<TStatusPanel>(form, "StatusPanel2");
    QVERIFY(panel2->geometry().right() >= form.statusBar()->width() - 30);
    // A text without a file name is cut at its end.
    QCOMPARE(ElideStatusText("abcdefghij", panel1->fontMetrics(), panel1->fontMetrics().horizontalAdvance("abcd…")),
             QString("abcd…"));
  }

  void ProjectWithoutItsLibrary() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("proj", lib, 2, 2);
    std::filesystem::remove(lib);
    TForm1 form(fx.Settings());
    form.OpenQVP(project);
    form.ShowStatus();
    QVERIFY(form.StatusText(1).startsWith("Pic: 4 rec. (RGB) 4/4 - 6/6 - "));
    QVERIFY(!form.QVLib1.TableIsOpen());
    QVERIFY(!Child<QToolButton>(form, "SpeedButton3")->isEnabled());  // "Open image" needs a library
    QVERIFY(Child<QToolButton>(form, "SpeedButton7")->isEnabled());   // the mosaic is open
    form.UpdateMenus();
    QVERIFY(!Child<QAction>(form, "Mosaicall1")->isEnabled());  // composing needs the library too
  }

  void HintsWhenControlsGetTheFocus() {
    TMainFormFixture fx;
    TForm1 form(fx.Settings());
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    struct {
      QWidget* w;
      const char* hint;
    } cases[] = {{Child<TVNSpinEdit>(form, "SpinRadius2"), "Set a distance between same tiles"},
                 {Child<TVNCharSpinEdit>(form, "SpinRepetition2"), "Set number of repetition of same tile"},
                 {Child<QCheckBox>(form, "ChkFixAuto"), "Don't rewrite or erase already rendered cells."},
                 {Child<QCheckBox>(form, "ChkFixManual"), "Don't rewrite/erase cells that were rendered manually."},
                 {Child<QCheckBox>(form, "ChkInvertSelection"), "Invert selection. Selected cells are not active."},
                 {Child<QRadioButton>(form, "RBSource1"), "View source image"},
                 {Child<QRadioButton>(form, "RBTarget1"), "View target mosaic"},
                 {Child<QRadioButton>(form, "RBDelta1"), "View difference between source and mosaic"},
                 {Child<QRadioButton>(form, "RBEnhance1"), "Show color enhanced mosaic"}};
    for (auto& c : cases) {
      c.w->setFocus();
      QCoreApplication::processEvents();
      QCOMPARE(form.StatusText(1), QString(c.hint));
      QCOMPARE(c.w->toolTip(), QString(c.hint));
    }
    Child<QGroupBox>(form, "GroupBox1")->show();
    Child<QCheckBox>(form, "CBRota180")->setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(form.StatusText(1), QString("Use 180 degs rotated tile images."));
  }

  void HelpAndAbout() {
    TMainFormFixture fx;
    TForm1 form(fx.Settings());
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(Child<TDrawGrid>(form, "DrawGrid1"), Qt::Key_F1);
    QVERIFY(HelpWindow()->isVisible());
    QCOMPARE(HelpWindow()->CurrentUrl(), HelpTopicUrl(4));
    Child<QAction>(form, "Help2")->trigger();
    QCOMPARE(HelpWindow()->CurrentUrl(), HelpContentsUrl());
    HelpWindow()->hide();

    TSplashForm splash;
    form.SetSplashForm(&splash);
    bool shownModal = false;
    QTimer::singleShot(30, &splash, [&] {
      shownModal = splash.isVisible() && splash.isModal();
      splash.FormClick();
    });
    Child<QAction>(form, "About1")->trigger();
    QVERIFY(shownModal);
  }
};

QTEST_MAIN(MainFormStartTest)
#include "MainFormStartTest.moc"
