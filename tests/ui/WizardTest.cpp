// The wizard: which pages each choice reaches and when "Next >" lets the user on, the output
// size read-outs, and its three paths driven end to end from the main window's command, each
// leaving the files a user expects. Files that vanish between pages, a library that cannot
// be opened at "Create" and closing the wizard during a save end in a message or a stop,
// never in a crash.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "MainFormFixture.h"
#include "codecs/PictureLoader.h"
#include "controls/CropImage.h"
#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "imaging/RasterUtils.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MosaicView.h"
#include "settings/IniFile.h"
#include "wizard/AdvanceRender.h"
#include "wizard/Wizard.h"
#include "wizard/WizardCommand.h"

using namespace qv;
using qvtest::Child;
using qvtest::FilledCells;
using qvtest::TMainFormFixture;

namespace {

void Click(TWizard& w, const char* name) { Child<QAbstractButton>(w, name)->click(); }
bool Enabled(TWizard& w, const char* name) { return Child<QWidget>(w, name)->isEnabled(); }
QString Text(TWizard& w, const char* name) { return Child<QLabel>(w, name)->text(); }
void Next(TWizard& w) {
  QVERIFY(Enabled(w, "BtnNext"));
  Click(w, "BtnNext");
}
void SetSpin(TWizard& w, const char* name, int v) { Child<QSpinBox>(w, name)->setValue(v); }

// Queues the wizard itself for the main window's command: drive acts on it while it is up.
void DriveWizard(TMainFormFixture& fx, std::function<void(TWizard&)> drive) {
  fx.Prompts.Dialogs.push_back([drive](QDialog& d) {
    auto& w = dynamic_cast<TWizard&>(d);
    w.show();
    drive(w);
    return w.result();
  });
}

// A folder of pictures for a new library.
std::string PictureFolder(TMainFormFixture& fx, int count) {
  const std::string root = fx.Dir.File("holiday pictures");
  std::filesystem::create_directories(root + "/more");
  for (int i = 0; i < count; ++i)
    qvtest::WriteTestJpeg(root + (i % 2 ? "/more/p" : "/p") + std::to_string(i) + ".jpg", 40, 30, 10 + i);
  return root;
}

}  // namespace

class WizardTest : public QObject {
  Q_OBJECT
 private slots:
  // Page 0 decides the pages; each page keeps "Next >" off until its input is there.
  void PagesAndNextRules() {
    TMainFormFixture fx;
    TForm1 form(fx.Settings());
    TWizard w(form);
    PrepareWizard(form, w);
    w.show();
    QCOMPARE(w.windowTitle(), QString("Quivara Wizard"));
    QCOMPARE(Text(w, "LabelExplanation"), QString("(Please select)"));
    QVERIFY(!Enabled(w, "BtnNext"));
    QVERIFY(!Enabled(w, "BtnBack"));

    // No project: nothing to save.
    Click(w, "RBSaveMosaic");
    QVERIFY(Text(w, "LabelExplanation").startsWith("You can't save anything yet."));
    QVERIFY(!Enabled(w, "BtnNext"));

    Click(w, "RBNewLibrary");
    QVERIFY(Enabled(w, "BtnNext"));
    for (int p = 0; p < kWizardPageCount; ++p) QCOMPARE(w.ShownPages()[size_t(p)], p <= 5);
    // The start-up box writes its key at once.
    Child<QCheckBox>(w, "ChkShowOnStart")->click();
    QCOMPARE(IniReadBool(fx.Settings(), "StartUp", "WizardOnStart", true), false);
    QVERIFY(!form.Preferences().WizardOnStart);

    Next(w);
    QCOMPARE(w.CurrentPage(), 1);
    QCOMPARE(HelpContextOf(Child<QWidget>(w, "EditFolder")), 15);
    QVERIFY(!Enabled(w, "BtnNext"));
    // The folder browser starts at the home folder while the field is empty.
    const std::string folder = PictureFolder(fx, 2);
    fx.Prompts.Folders.push_back(QString::fromStdString(folder));
    Click(w, "BtnLocateFolder");
    QCOMPARE(Child<QLineEdit>(w, "EditFolder")->text(), QString::fromStdString(folder) + "/");
    QVERIFY(Enabled(w, "BtnNext"));

    // The folder goes before "Next >": reported, and the page stays.
    std::filesystem::rename(folder, folder + "-gone");
    Click(w, "BtnNext");
    QCOMPARE(w.CurrentPage(), 1);
    QVERIFY(fx.Prompts.LastText().contains("does not exist any more"));
    QVERIFY(!Enabled(w, "BtnNext"));
    std::filesystem::rename(folder + "-gone", folder);
    Click(w, "BtnLocateFolder");  // no folder queued: cancelled, field kept
    QVERIFY(Enabled(w, "BtnNext"));
    Next(w);

    // Page 2: at least one type.
    QCOMPARE(w.CurrentPage(), 2);
    QVERIFY(!Enabled(w, "BtnNext"));
    Click(w, "chkJPG");
    Click(w, "chkPCD");
    QVERIFY(Enabled(w, "BtnNext"));
    Click(w, "chkJPG");
    QVERIFY(Enabled(w, "BtnNext"));
    Click(w, "chkPCD");
    QVERIFY(!Enabled(w, "BtnNext"));
    Click(w, "chkJPG");
    Next(w);

    // Page 3: a proportion; "Custom" is hidden as the main window prepares it.
    QVERIFY(!Enabled(w, "BtnNext"));
    QVERIFY(Child<QWidget>(w, "RBCustom")->isHidden());
    Click(w, "RBPortrait");
    Next(w);
    // Page 4: the file field, then page 5, the end of this path.
    QVERIFY(!Enabled(w, "BtnNext"));
    fx.Prompts.Files.push_back(QString::fromStdString(fx.Dir.File("tiles")));
    Click(w, "BtnLocateLibraryFile");
    QCOMPARE(fx.Prompts.SaveRequests.back().FileName, QString("NewPictureBase.qv2"));
    QCOMPARE(Child<QLineEdit>(w, "EditLibraryFile")->text(), QString::fromStdString(fx.Dir.File("tiles.qv2")));
    Next(w);
    QCOMPARE(w.CurrentPage(), 5);
    QVERIFY(!Enabled(w, "BtnNext"));
    // Back walks the shown pages only, and changing the task changes them.
    Click(w, "BtnBack");
    QCOMPARE(w.CurrentPage(), 4);
    for (int i = 0; i < 4; ++i) Click(w, "BtnBack");
    QCOMPARE(w.CurrentPage(), 0);
    QVERIFY(!Enabled(w, "BtnBack"));
    Click(w, "RBNewMosaic");
    Next(w);
    QCOMPARE(w.CurrentPage(), 6);
    QCOMPARE(HelpContextOf(Child<QWidget>(w, "EditOpenLibrary")), 16);
    QVERIFY(!Enabled(w, "BtnNext"));
  }

  // A plan of 40 x 30 cells with tiles of 4 x 3: cells of 32 x 24 make 1280 x 720 pixels.
  void OutputSizeReadouts() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 3, 4, 3);
    const std::string project = fx.MakeProject("proj", lib, 40, 30);
    TForm1 form(fx.Settings());
    form.OpenQVP(project);
    TWizard w(form);
    PrepareWizard(form, w);
    w.show();
    QVERIFY(!Enabled(w, "ChkSelectedArea"));  // one cell selected
    Click(w, "RBSaveMosaic");
    for (int p = 0; p < kWizardPageCount; ++p) QCOMPARE(w.ShownPages()[size_t(p)], p == 0 || p >= 11);
    Next(w);
    QCOMPARE(w.CurrentPage(), 11);
    QCOMPARE(Text(w, "LabelCells"), QString("40 x 30 cells"));
    QCOMPARE(Text(w, "LabelPixels"), QString("1280 x 720 pixels"));
    QCOMPARE(w.OutputSize().Bytes, int64_t(2764800));
    QCOMPARE(Text(w, "LabelBytes"), QString::fromStdString(FormatByteSize(2764800)));
    QCOMPARE(Text(w, "LabelInch"), QString("8.53 x 4.80 inch"));
    QCOMPARE(Text(w, "LabelCm"), QString("21.67 x 12.19 cm"));
    SetSpin(w, "SpinCellWidth", 33);  // Floor(24.75)
    QCOMPARE(w.OutputSize().CellHeight, int64_t(24));
    QCOMPARE(Text(w, "LabelPixels"), QString("1320 x 720 pixels"));
    // A size no writer takes keeps the user on the page.
    SetSpin(w, "SpinCellWidth", 999999);
    QVERIFY(!Enabled(w, "BtnNext"));
    SetSpin(w, "SpinCellWidth", 32);
    QVERIFY(Enabled(w, "BtnNext"));

    // A selection of 3 x 2 cells: the box is offered ticked and the size follows it.
    form.MosaicView().DrawGrid1->SetSelection(TGridRect{2, 1, 4, 2});
    TWizard w2(form);
    PrepareWizard(form, w2);
    QVERIFY(Enabled(w2, "ChkSelectedArea"));
    QVERIFY(Child<QCheckBox>(w2, "ChkSelectedArea")->isChecked());
    QCOMPARE(w2.OutputSize().Width, int64_t(96));
    QCOMPARE(w2.OutputSize().Height, int64_t(48));
  }

  // Path 1: a folder of pictures becomes a library that the main window opens.
  void NewLibraryPath() {
    TMainFormFixture fx;
    const std::string folder = PictureFolder(fx, 6);
    const std::string library = fx.Dir.File("holiday.qv2");
    TForm1 form(fx.Settings());
    InstallWizard(form, false);
    auto* action = form.findChild<QAction*>("RunQuivaraWizard1");
    QVERIFY(action);
    QCOMPARE(action->text(), QString("Run Quivara Wizard"));
    QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
    fx.Prompts.Folders.push_back(QString::fromStdString(folder));
    fx.Prompts.Files.push_back(QString::fromStdString(library));
    bool closed = false;
    DriveWizard(fx, [&](TWizard& w) {
      Click(w, "RBNewLibrary");
      Next(w);
      Click(w, "BtnLocateFolder");
      Next(w);
      Click(w, "chkJPG");
      Next(w);
      Click(w, "RBLandscape");
      SetSpin(w, "SpinMargin", 10);
      Next(w);
      Click(w, "BtnLocateLibraryFile");
      Next(w);
      Click(w, "BtnCreateLibrary");
      closed = !w.isVisible() && w.result() == QDialog::Accepted;
    });
    Child<QToolButton>(form, "SpeedButton11")->click();
    QVERIFY(closed);
    QVERIFY(FileExists(library));
    QCOMPARE(form.QVLib1.BaseName(), library);
    QCOMPARE(form.QVLib1.Count, 6);  // the subfolder too
    QCOMPARE(form.QVLib1.PropX, 4);
    QCOMPARE(form.QVLib1.PropY, 3);
    QCOMPARE(form.WizardRenderChoice, 0);
  }

  // Path 2: library and source picture make a project; the main window composes it in the
  // chosen order with the advanced options and saves it.
  void NewMosaicPath() {
    TMainFormFixture fx;
    const std::string library = fx.MakeLibrary("holiday", 40);
    const std::string source = fx.Dir.File("beach.jpg");
    qvtest::WriteTestJpeg(source, 300, 200, 5);
    const std::string project = fx.Dir.File("beach-holiday6x4.qvp");
    TForm1 form(fx.Settings());
    int defaultDistance = -1;
    fx.Prompts.Files = {QString::fromStdString(library), QString::fromStdString(source),
                        QString::fromStdString(project)};
    DriveWizard(fx, [&](TWizard& w) {
      Click(w, "RBNewMosaic");
      Next(w);
      QVERIFY(!Enabled(w, "BtnUseCurrentLibrary"));
      Click(w, "BtnLocateOpenLibrary");
      QCOMPARE(Text(w, "LabelCurrentBase"), QString("There are 40 records (4x4) in the base."));
      Next(w);
      Click(w, "BtnLocateSource");
      Next(w);
      // The frame: the largest 6 x 4 area (4 x 4 tiles) centred in the picture, 300 x 200.
      SetSpin(w, "SpinColumns", 6);
      SetSpin(w, "SpinRows", 4);
      QCOMPARE(Child<TCropImage>(w, "CropImage1")->PictureCropRect(), (Rect{0, 0, 300, 200}));
      SetSpin(w, "SpinColumns", 4);
      QCOMPARE(Child<TCropImage>(w, "CropImage1")->PictureCropRect(), (Rect{50, 0, 250, 200}));
      SetSpin(w, "SpinColumns", 6);
      Next(w);
      QVERIFY(!Enabled(w, "BtnNext"));
      Click(w, "BtnLocateProject");
      Next(w);
      QVERIFY(!Enabled(w, "BtnCreateMosaic"));
      Click(w, "RBSmart");
      Click(w, "BtnAdvanced");
      QCOMPARE(w.WizardDistance, 1);
      Click(w, "BtnCreateMosaic");
      QVERIFY(!w.isVisible());
    });
    // "Advanced...": Distance 1, Repeat 2.
    fx.Prompts.Dialogs.push_back([&defaultDistance](QDialog& d) -> int {
      auto& a = dynamic_cast<TAdvanceRender&>(d);
      Child<QPushButton>(a, "BtnDefault")->click();
      defaultDistance = a.Distance();
      Child<QSpinBox>(a, "SpinDistance")->setValue(1);
      Child<QSpinBox>(a, "SpinRepeat")->setValue(2);
      return int(QDialog::Accepted);
    });
    RunQuivaraWizard1Click(form);
    QCOMPARE(defaultDistance, 6);
    // The project name proposed from the picture, the library and the grid.
    QCOMPARE(fx.Prompts.SaveRequests.back().FileName, QString("beach-holiday6x4.qvp"));
    QCOMPARE(fx.Prompts.Unanswered, 0);
    QCOMPARE(form.Distance(), 1);
    QCOMPARE(form.Repeat(), 2);
    QCOMPARE(form.QVPlan1.BaseName(), project);
    QCOMPARE(form.QVPlan1.SourceFileName, source);
    QVERIFY(!form.QVMosaic1.Modified);
    // Saved composed: every cell of the file holds a tile.
    TQVData plan, mosaic;
    QVERIFY(plan.OpenProject(project, mosaic));
    QCOMPARE(mosaic.Count, 24);
    QCOMPARE(FilledCells(mosaic), 24);
    QCOMPARE(plan.Cols, 6);
    QCOMPARE(plan.Rows, 4);
  }

  // A library that cannot be opened at "Create" keeps the wizard open without a project.
  void LibraryFailsAtCreate() {
    TMainFormFixture fx;
    const std::string library = fx.MakeLibrary("holiday", 10);
    const std::string source = fx.Dir.File("beach.jpg");
    qvtest::WriteTestJpeg(source, 120, 90, 5);
    const std::string project = fx.Dir.File("p.qvp");
    TForm1 form(fx.Settings());
    TWizard w(form);
    PrepareWizard(form, w);
    w.show();
    fx.Prompts.Files = {QString::fromStdString(library), QString::fromStdString(source),
                        QString::fromStdString(project)};
    Click(w, "RBNewMosaic");
    Next(w);
    Click(w, "BtnLocateOpenLibrary");
    Next(w);
    Click(w, "BtnLocateSource");
    Next(w);
    Next(w);
    Click(w, "BtnLocateProject");
    Next(w);
    Click(w, "RBNormal");
    // The library is damaged after it was chosen.
    std::ofstream(library, std::ios::binary | std::ios::trunc) << "not a library at all";
    const size_t messages = fx.Prompts.Messages.size();
    Click(w, "BtnCreateMosaic");
    QVERIFY(fx.Prompts.Messages.size() > messages);
    QVERIFY(w.isVisible());
    QCOMPARE(w.CurrentPage(), 10);
    QVERIFY(!FileExists(project));
    QVERIFY(!form.QVPlan1.TableIsOpen());
    QCOMPARE(form.WizardRenderChoice, 0);
    // Gone altogether: reported as not found.
    std::filesystem::remove(library);
    Click(w, "BtnCreateMosaic");
    QVERIFY(fx.Prompts.LastText().contains("not found"));
    QVERIFY(w.isVisible());
  }

  // Path 3: the open mosaic saved as a BMP (through the in-memory poster, since "Write image
  // file direct to disk" is off) of the size page 11 shows; then closing during a save.
  void SaveMosaicPath() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 30, 4, 3);
    const std::string project = fx.MakeProject("proj", lib, 6, 4);
    TForm1 form(fx.Settings());
    form.OpenQVP(project);
    form.Smartmosaic1Click();
    QCOMPARE(FilledCells(form.QVMosaic1), 24);
    const std::string typed = fx.Dir.File("poster");  // no extension: the chosen type's
    fx.Prompts.Files.push_back(QString::fromStdString(typed));
    fx.Prompts.FileTypes.push_back("BMP files (*.bmp)");
    QString statusAfterSave;
    DriveWizard(fx, [&](TWizard& w) {
      QVERIFY(!Enabled(w, "ChkDirect"));
      QVERIFY(!Enabled(w, "ChkUseThumbs"));
      Click(w, "RBSaveMosaic");
      Next(w);
      SetSpin(w, "SpinCellWidth", 20);  // cells of 20 x 15
      Next(w);
      QVERIFY(!Enabled(w, "BtnNext"));
      Click(w, "BtnLocateMosaic");
      QCOMPARE(fx.Prompts.SaveRequests.back().FileName, QString("proj"));
      QCOMPARE(Child<QLineEdit>(w, "EditMosaic")->text(), QString::fromStdString(typed + ".bmp"));
      Next(w);
      QCOMPARE(Text(w, "LabelSaveLine"),
               QString::fromStdString("Now press the Save button and Quivara will save your finished mosaic to " +
                                      typed + ".bmp"));
      Click(w, "BtnSave");
      statusAfterSave = form.StatusText(1);
      QVERIFY(!w.isVisible());  // "Close Wizard"
    });
    RunQuivaraWizard1Click(form);
    QCOMPARE(fx.Prompts.Unanswered, 0);
    const std::string bmp = typed + ".bmp";
    QVERIFY(FileExists(bmp));
    const Bitmap24 picture = LoadPicture24(bmp);
    QCOMPARE(picture.Width(), 120);
    QCOMPARE(picture.Height(), 60);
    QCOMPARE(statusAfterSave, QString::fromStdString("Saved to file " + bmp));  // the poster's words

    // A JPEG: the quality question, then closing the wizard while it saves.
    const std::string jpeg = fx.Dir.File("big.jpg");
    fx.Prompts.Files.push_back(QString::fromStdString(jpeg));
    fx.Prompts.FileTypes.push_back("");
    fx.Prompts.Dialogs.push_back([](QDialog&) { return 60; });
    TWizard w(form);
    PrepareWizard(form, w);
    w.show();
    Click(w, "RBSaveMosaic");
    Next(w);
    SetSpin(w, "SpinCellWidth", 800);
    Next(w);
    Click(w, "BtnLocateMosaic");
    QCOMPARE(w.WizardJpegQuality, 60);
    Next(w);
    bool lockedDuringSave = false;
    QTimer::singleShot(0, &w, [&] {
      lockedDuringSave = !Enabled(w, "BtnCancel") && !Enabled(w, "BtnBack") && Enabled(w, "BtnStop") &&
                         !Child<QWidget>(w, "BtnSave")->isVisible();
      w.close();
    });
    Click(w, "BtnSave");
    QVERIFY(lockedDuringSave);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QVERIFY(!w.Saving());
    QVERIFY(!form.StopRequested.load());
  }
};

QTEST_MAIN(WizardTest)
#include "WizardTest.moc"
