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
#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/SplashForm.h"
#include "settings/IniFile.h"

using namespace qv;
using qvtest::TMainFormFixture;

class MainFormStartTest : public QObject {
  Q_OBJECT
 private slots:
  void NoSettingsFile() {
    TMainFormFixture fx;
    TForm1 form;
    QCOMPARE(form.SpinRadius2->Value(), 6);
    QCOMPARE(form.SpinRepetition2->Value(), 0);
    QCOMPARE(form.SpinRepetition2->text(), QString("Auto"));
    QVERIFY(!form.ChkFixAuto->isChecked());
    QVERIFY(form.ChkFixManual->isChecked());
    QVERIFY(!form.ChkInvertSelection->isChecked());
    QCOMPARE(form.SpinEdit2->Value(), 40);
    QCOMPARE(form.VNSpinEdit1->Value(), 10);
    QCOMPARE(int(RenderType), 2);
    QCOMPARE(form.Smartmosaic1->shortcut(), QKeySequence("Ctrl+R"));
    QVERIFY(form.Mosaicall1->shortcut().isEmpty());
    QVERIFY(form.Randommosaic1->shortcut().isEmpty());
    QVERIFY(form.WizardOnStart);
    QVERIFY(!form.StretchAllowed);
    QCOMPARE(form.CandidateCount, 5);
    QVERIFY(form.CandidatePopupAllowed && form.FastJpegAllowed && form.DetailedBackground);
    // "Use tiles: " starts hidden with only "Original" ticked; the view is "Source".
    QVERIFY(form.GroupBox1->isHidden());
    QVERIFY(form.CBFlipOriginal->isChecked());
    QVERIFY(!form.CBFlipH->isChecked() && !form.CBFlipV->isChecked() && !form.CBRota180->isChecked());
    QVERIFY(form.RBSource1->isChecked());
    QVERIFY(form.GroupBox2->isHidden());
    QCOMPARE(form.windowTitle(), QString("Quivara 3"));
    QCOMPARE(QCoreApplication::applicationName(), QString("Quivara"));
  }

  void Layout() {
    TMainFormFixture fx;
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.minimumSize(), QSize(508, 457));
    QCOMPARE(form.Panel1->width(), 113);
    QCOMPARE(form.StatusPanel[0]->width(), 82);
    QCOMPARE(form.StatusPanel[1]->width(), 270);
    QVERIFY(form.StatusPanel[2]->width() >= 50);
    QVERIFY(form.StatusPanel[0]->alignment() & Qt::AlignHCenter);
    QCOMPARE(form.statusBar()->objectName(), QString("StatusBar1"));
    // The grid fills the rest of the window, right of the panel.
    QVERIFY(form.DrawGrid1->geometry().left() >= form.Panel1->geometry().right());
    QVERIFY(form.DrawGrid1->width() > 300);
    // Toolbar buttons: 28 x 28 in one column, four small ones beside the first; names as tips.
    QCOMPARE(form.SpeedButton2->size(), QSize(28, 28));
    QCOMPARE(form.SpeedButton2->toolTip(), QString("Open library"));
    QCOMPARE(form.SpeedButton15->toolTip(), QString("View 100% mosaic"));
    QVERIFY(form.SpeedButton4->y() > form.SpeedButton2->y());
    QVERIFY(form.SpeedButton12->x() > form.SpeedButton2->x());
    // At start "Save project", "Render mosaic" and "Stop" are off; "Open" buttons on.
    QVERIFY(!form.SpeedButton5->isEnabled());
    QVERIFY(!form.SpeedButton7->isEnabled());
    QVERIFY(!form.SpeedButton9->isEnabled());
    QVERIFY(form.SpeedButton2->isEnabled() && form.SpeedButton4->isEnabled() && form.SpeedButton10->isEnabled());
    // Commands of windows the program does not have yet show nowhere.
    for (QToolButton* b : {form.SpeedButton1, form.SpeedButton3, form.SpeedButton8, form.SpeedButton11})
      QVERIFY(!b->isVisible());
    QVERIFY(form.SpeedButton6->isVisible());
    QVERIFY(!form.SpeedButton6->isEnabled());  // "Save mosaic image" needs a mosaic
    QVERIFY(!form.Edit1->menuAction()->isVisible());
    // The radio buttons, fields and boxes in their order down the panel.
    QVERIFY(form.RBDelta1->y() < form.RBSource1->y());
    QVERIFY(form.RBSource1->y() < form.RBTarget1->y());
    QVERIFY(form.RBTarget1->y() < form.RBEnhance1->y());
    QVERIFY(form.RBEnhance1->y() < form.SpinRadius2->y());
    QVERIFY(form.SpinRadius2->y() < form.SpinRepetition2->y());
    QVERIFY(form.SpinRepetition2->y() < form.ChkFixAuto->y());
    QVERIFY(form.ChkFixAuto->y() < form.ChkFixManual->y());
    QVERIFY(form.ChkFixManual->y() < form.ChkInvertSelection->y());
    // "Enhance" shows the "Color" and "Blend" group.
    form.RBEnhance1->setChecked(true);
    QVERIFY(form.GroupBox2->isVisible());
    form.RBTarget1->setChecked(true);
    QVERIFY(!form.GroupBox2->isVisible());
  }

  void MenusAndShortcuts() {
    TMainFormFixture fx;
    TForm1 form;
    auto captions = [](QMenu* m) {
      QStringList s;
      for (QAction* a : m->actions()) s << (a->isSeparator() ? "-" : a->text());
      return s;
    };
    QCOMPARE(captions(form.File1),
             QStringList({"Open library...", "Open project...", "-", "Revert project", "Close project", "-",
                          "Recent projects", "Recent libraries", "-", "Save project", "Save project as...", "-",
                          "Save mosaic...", "Save statistic...", "-", "Exit"}));
    QCOMPARE(captions(form.Run1), QStringList({"Mosaic all", "Random mosaic", "Smart mosaic", "Stop mosaic process"}));
    QCOMPARE(captions(form.Help1), QStringList({"Help", "Visit Quivara online...", "About..."}));
    QCOMPARE(form.SaveQVP1->shortcut(), QKeySequence("Ctrl+S"));
    QCOMPARE(form.SaveQVPas1->shortcut(), QKeySequence("Ctrl+Shift+S"));
    QCOMPARE(form.Stopmosaicprocess1->shortcut(), QKeySequence(Qt::Key_Escape));
    QCOMPARE(form.Hidedetails1->shortcut(), QKeySequence("Ctrl+F7"));
    QCOMPARE(form.Showdetails1->shortcut(), QKeySequence("Ctrl+F8"));
    QCOMPARE(form.Fastview1->shortcut(), QKeySequence("Ctrl+1"));
    QCOMPARE(form.N1001->shortcut(), QKeySequence("Ctrl+9"));
    QCOMPARE(form.Fittowindow1->shortcut(), QKeySequence("Ctrl+0"));
    QCOMPARE(form.Fittoselection1->shortcut(), QKeySequence("Ctrl+Shift+0"));
    QCOMPARE(form.ZoomIn1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Equal));
    QCOMPARE(form.ZoomOut1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Minus));
    QCOMPARE(form.ViewSource1->shortcut(), QKeySequence("Ctrl+2"));
    QCOMPARE(form.ViewTarget1->shortcut(), QKeySequence("Ctrl+3"));
    QCOMPARE(form.ViewEnhance1->shortcut(), QKeySequence("Ctrl+4"));

    // Nothing open: only the always-enabled items.
    form.File1Click();
    QVERIFY(form.Openlibrary1->isEnabled() && form.Openqvp1->isEnabled() && form.Exit1->isEnabled());
    QVERIFY(!form.Revertproject1->isEnabled() && !form.Closeproject1->isEnabled());
    QVERIFY(!form.SaveQVP1->isEnabled() && !form.SaveQVPas1->isEnabled() && !form.Savestatistic1->isEnabled());
    form.Run1Click();
    QVERIFY(!form.Mosaicall1->isEnabled() && !form.Stopmosaicprocess1->isEnabled());

    // "Show grid" and "Hide grid": only one visible, and it has Ctrl+5.
    form.View1Click();
    QVERIFY(form.Showgrid1->isVisible() && !form.Hidegrid1->isVisible());
    QCOMPARE(form.Showgrid1->shortcut(), QKeySequence("Ctrl+5"));
    form.Showgrid1->trigger();
    form.View1Click();
    QVERIFY(!form.Showgrid1->isVisible() && form.Hidegrid1->isVisible());
    QCOMPARE(form.Hidegrid1->shortcut(), QKeySequence("Ctrl+5"));
    QVERIFY(form.Showgrid1->shortcut().isEmpty());
    QCOMPARE(form.DrawGrid1->GridLineWidth(), 1);
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
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(int(RenderType), type);
    QAction* items[3] = {form.Mosaicall1, form.Randommosaic1, form.Smartmosaic1};
    for (int i = 0; i < 3; ++i) QCOMPARE(items[i]->shortcut() == QKeySequence("Ctrl+R"), i == type);
    form.OpenQVP(project);
    form.SpinRadius2->SetValue(0);
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
      TForm1 form;
      QCOMPARE(form.SpinRadius2->Value(), 4);
      QCOMPARE(form.SpinRepetition2->text(), QString("3"));
      QVERIFY(form.ChkFixAuto->isChecked());
      QVERIFY(!form.ChkFixManual->isChecked());
      QVERIFY(form.ChkInvertSelection->isChecked());
      QCOMPARE(form.SpinEdit2->Value(), 70);
      QCOMPARE(form.VNSpinEdit1->Value(), 10);
      QVERIFY(!form.WizardOnStart);
      QCOMPARE(form.geometry(), QRect(30, 40, 700, 600));

      form.OpenQVP(project);
      form.SpinRadius2->SetValue(2);
      form.SpinRepetition2->SetValue(0);
      form.ChkFixAuto->setChecked(false);
      form.ChkInvertSelection->setChecked(false);
      form.CBFlipH->setChecked(true);
      form.SpinEdit2->SetValue(20);
      form.VNSpinEdit1->SetValue(50);
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
    TForm1 next;
    QCOMPARE(next.SpinRadius2->Value(), 2);
    QCOMPARE(next.SpinEdit2->Value(), 20);
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
      TForm1 form;
      form.StartUpSetup();
      QVERIFY(!form.QVLib1.TableIsOpen());
      QCOMPARE(int(fx.Prompts.Messages.size()), 0);
    }
    IniWriteString(ini, "StartUp", "LastBase", lib);  // (the closing form wrote its own state)
    {
      TForm1 form;
      form.StartUpSetup();
      QVERIFY(form.QVLib1.TableIsOpen());
      QVERIFY(!form.QVPlan1.TableIsOpen());
      QVERIFY(form.StatusText(2).startsWith("Lib: 8 rec. (YCC) 4/4 - 6/6 - "));
      QVERIFY(form.SpeedButton3->isEnabled() || form.SpeedButton3->isHidden());
    }
    {
      IniWriteString(ini, "StartUp", "OpenOnStart", "Project");
      IniWriteString(ini, "StartUp", "LastProject", project);
      TForm1 form;
      form.StartUpSetup();
      QVERIFY(form.QVPlan1.TableIsOpen());
      QVERIFY(form.QVLib1.TableIsOpen());  // the project's own library
      QCOMPARE(form.DrawGrid1->ColCount(), 3);
      QCOMPARE(form.DrawGrid1->RowCount(), 2);
    }
    {
      IniWriteString(ini, "StartUp", "OpenOnStart", "No");
      TForm1 form;
      form.StartUpSetup();
      QVERIFY(!form.QVPlan1.TableIsOpen() && !form.QVLib1.TableIsOpen());
    }
  }

  void StatusTexts() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("proj", lib, 4, 3);
    TForm1 form;
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
    form.RBTarget1->setChecked(true);
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

  void ProjectWithoutItsLibrary() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("proj", lib, 2, 2);
    std::filesystem::remove(lib);
    TForm1 form;
    form.OpenQVP(project);
    form.ShowStatus();
    QVERIFY(form.StatusText(1).startsWith("Pic: 4 rec. (RGB) 4/4 - 6/6 - "));
    QVERIFY(!form.QVLib1.TableIsOpen());
    QVERIFY(!form.SpeedButton3->isEnabled());  // "Open image" needs a library
    QVERIFY(form.SpeedButton7->isEnabled());   // the mosaic is open
    form.Run1Click();
    QVERIFY(!form.Mosaicall1->isEnabled());  // composing needs the library too
  }

  void HintsWhenControlsGetTheFocus() {
    TMainFormFixture fx;
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    struct {
      QWidget* w;
      const char* hint;
    } cases[] = {{form.SpinRadius2, "Set a distance between same tiles"},
                 {form.SpinRepetition2, "Set number of repetition of same tile"},
                 {form.ChkFixAuto, "Don't rewrite or erase already rendered cells."},
                 {form.ChkFixManual, "Don't rewrite/erase cells that were rendered manually."},
                 {form.ChkInvertSelection, "Invert selection. Selected cells are not active."},
                 {form.RBSource1, "View source image"},
                 {form.RBTarget1, "View target mosaic"},
                 {form.RBDelta1, "View difference between source and mosaic"},
                 {form.RBEnhance1, "Show color enhanced mosaic"}};
    for (auto& c : cases) {
      c.w->setFocus();
      QCoreApplication::processEvents();
      QCOMPARE(form.StatusText(1), QString(c.hint));
      QCOMPARE(c.w->toolTip(), QString(c.hint));
    }
    form.GroupBox1->show();
    form.CBRota180->setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(form.StatusText(1), QString("Use 180 degs rotated tile images."));
  }

  void HelpAndAbout() {
    TMainFormFixture fx;
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(form.DrawGrid1, Qt::Key_F1);
    QVERIFY(HelpWindow()->isVisible());
    QCOMPARE(HelpWindow()->CurrentUrl(), HelpTopicUrl(4));
    form.Help2->trigger();
    QCOMPARE(HelpWindow()->CurrentUrl(), HelpContentsUrl());
    HelpWindow()->hide();

    TSplashForm splash;
    TForm1::SplashForm = &splash;
    bool shownModal = false;
    QTimer::singleShot(30, &splash, [&] {
      shownModal = splash.isVisible() && splash.isModal();
      splash.FormClick();
    });
    form.About1->trigger();
    QVERIFY(shownModal);
    TForm1::SplashForm = nullptr;
  }
};

QTEST_MAIN(MainFormStartTest)
#include "MainFormStartTest.moc"
