// Composition runs from the main window: whole grid and selections with the flag boxes, the
// checks before a run, the lock while it runs, stopping, closing during a run, flip passes
// and errors.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <functional>

#include "MainFormFixture.h"
#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"

using namespace qv;
using qvtest::CellTiles;
using qvtest::Child;
using qvtest::FilledCells;
using qvtest::TMainFormFixture;

namespace {

// Calls f each time the run lets window messages through (once per filled cell).
struct TEveryCell {
  QTimer timer;
  int Ticks = 0;
  explicit TEveryCell(std::function<void(int)> f) {
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [this, f] { f(++Ticks); });
    timer.start();
  }
};

struct TRunFixture : TMainFormFixture {
  std::string Library;
  std::string Project;
  TRunFixture(int tiles, int cols, int rows) {
    Library = MakeLibrary("lib", tiles);
    Project = MakeProject("proj", Library, cols, rows);
  }
};

}  // namespace

class MainFormRunTest : public QObject {
  Q_OBJECT
 private slots:
  void WholeGrid() {
    TRunFixture fx(20, 4, 3);
    TForm1 form(fx.Settings());
    form.OpenQVP(fx.Project);
    form.ShowStatus();
    const QString caption = form.windowTitle();
    Child<TVNSpinEdit>(form, "SpinRadius2")->SetValue(1);
    Child<QAction>(form, "Mosaicall1")->trigger();
    QCOMPARE(FilledCells(form.QVMosaic1), 12);
    QVERIFY(form.QVMosaic1.Modified);
    QVERIFY(Child<QRadioButton>(form, "RBTarget1")->isChecked());
    QVERIFY(form.QVMosaic1.ShowThumbs);
    QCOMPARE(form.StatusText(0), QString("100%"));
    QRegularExpression texts(R"(^\(\d+h:\d+m:\d+\.\ds\)/\(\d+h:\d+m:\d+\.\ds\) 12 - 12 = 0$)");
    QVERIFY2(texts.match(form.StatusText(1)).hasMatch(), qPrintable(form.StatusText(1)));
    QCOMPARE(form.windowTitle(), caption);
    QCOMPARE(form.ApplicationTitle(), QString("Quivara 3"));
    QVERIFY(!form.MosaicRunning());
    QVERIFY(Child<QFrame>(form, "Panel1")->findChild<QProgressBar*>() == nullptr);
    QVERIFY(Child<QToolButton>(form, "SpeedButton5")->isEnabled());
    QVERIFY(!Child<QToolButton>(form, "SpeedButton9")->isEnabled());
    // Neighbours never share a tile at Distance 1.
    std::vector<int32_t> t = CellTiles(form.QVMosaic1);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) QVERIFY(t[r * 4 + c] != t[r * 4 + c + 1]);
  }

  void RenderButtonUsesTheDefaultOrder() {
    TRunFixture fx(20, 3, 3);
    TForm1 form(fx.Settings());
    form.OpenQVP(fx.Project);
    TMainPreferences topToBottom = form.Preferences();
    topToBottom.RenderType = 0;
    form.SetPreferences(topToBottom);
    // Top to bottom: after the first cell only record 1 is filled.
    std::vector<int32_t> afterFirst;
    {
      TEveryCell tick([&](int n) {
        if (n == 1) afterFirst = CellTiles(form.QVMosaic1);
      });
      Child<QToolButton>(form, "SpeedButton7")->click();
    }
    QCOMPARE(FilledCells(form.QVMosaic1), 9);
    QVERIFY(afterFirst[0] > 0);
    QCOMPARE(std::count_if(afterFirst.begin(), afterFirst.end(), [](int32_t v) { return v > 0; }), 1);
  }

  void Selection() {
    TRunFixture fx(30, 4, 3);
    TForm1 form(fx.Settings());
    form.OpenQVP(fx.Project);
    Child<TVNSpinEdit>(form, "SpinRadius2")->SetValue(0);
    Child<TDrawGrid>(form, "DrawGrid1")->SetSelection({1, 0, 2, 1});  // columns 1..2, rows 0..1
    Child<QAction>(form, "Smartmosaic1")->trigger();
    std::vector<int32_t> t = CellTiles(form.QVMosaic1);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 4; ++c) QCOMPARE(t[r * 4 + c] > 0, c >= 1 && c <= 2 && r <= 1);
    QCOMPARE(form.StatusText(1).right(9), QString("4 - 4 = 0"));

    // Inverted: everything outside the selection; the inside keeps its tiles.
    Child<QCheckBox>(form, "ChkInvertSelection")->setChecked(true);
    Child<QCheckBox>(form, "ChkFixManual")->setChecked(false);
    Child<QAction>(form, "Randommosaic1")->trigger();
    std::vector<int32_t> u = CellTiles(form.QVMosaic1);
    QCOMPARE(FilledCells(form.QVMosaic1), 12);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 4; ++c)
        if (c >= 1 && c <= 2 && r <= 1) QCOMPARE(u[r * 4 + c], t[r * 4 + c]);

    // Inverted with the whole grid selected: nothing to do, nothing changes.
    Child<TDrawGrid>(form, "DrawGrid1")->SetSelection({0, 0, 3, 2});
    Child<QAction>(form, "Mosaicall1")->trigger();
    QCOMPARE(CellTiles(form.QVMosaic1), u);
  }

  void FixAutoAndFixCustom() {
    TRunFixture fx(30, 3, 2);
    TForm1 form(fx.Settings());
    form.OpenQVP(fx.Project);
    Child<TVNSpinEdit>(form, "SpinRadius2")->SetValue(0);
    // Cell 1 holds a library tile, cell 2 a custom picture.
    form.QVLib1.GoRecord(5);
    form.QVMosaic1.PlaceTile(1, form.QVLib1, true);
    TPictureValues values{10, 10, 0, 0, 10, 10};
    form.QVMosaic1.PlaceCustomPicture(2, qvtest::DrawTestPicture(10, 10, 3), 1000000000, values, "custom.jpg");
    const int32_t library = form.QVMosaic1.RecordTileNo(1);

    Child<QCheckBox>(form, "ChkFixAuto")->setChecked(true);
    Child<QCheckBox>(form, "ChkFixManual")->setChecked(false);
    Child<QAction>(form, "Mosaicall1")->trigger();
    std::vector<int32_t> t = CellTiles(form.QVMosaic1);
    QCOMPARE(t[0], library);
    QCOMPARE(t[1], 1000000000);
    QCOMPARE(FilledCells(form.QVMosaic1), 6);

    // Only "Fix custom": the library tile may change, the custom picture stays.
    Child<QCheckBox>(form, "ChkFixAuto")->setChecked(false);
    Child<QCheckBox>(form, "ChkFixManual")->setChecked(true);
    Child<QAction>(form, "Mosaicall1")->trigger();
    QCOMPARE(form.QVMosaic1.RecordTileNo(2), 1000000000);
    // Neither: the custom picture is replaced by a library tile.
    Child<QCheckBox>(form, "ChkFixManual")->setChecked(false);
    Child<QAction>(form, "Mosaicall1")->trigger();
    QVERIFY(form.QVMosaic1.RecordTileNo(2) > 0 && form.QVMosaic1.RecordTileNo(2) < 1000000000);
  }

  void ChecksBeforeARun() {
    TRunFixture fx(5, 4, 3);
    TForm1 form(fx.Settings());
    form.OpenQVP(fx.Project);
    Child<TVNSpinEdit>(form, "SpinRadius2")->SetValue(10);  // capped at the grid: 4 x 3 = 12 tiles needed
    Child<QAction>(form, "Mosaicall1")->trigger();
    QCOMPARE(fx.Prompts.LastText(), QString("There are not enough tiles for current distance between tiles setting.\r"
                                            "You need 12 tiles in the library but have only 5.\r"
                                            "Please decrease \"Distance\" value."));
    QCOMPARE(fx.Prompts.Messages.back().Caption, QString("Quivara 3"));
    QCOMPARE(fx.Prompts.Messages.back().Icon, TPromptIcon::Error);
    QCOMPARE(FilledCells(form.QVMosaic1), 0);

    Child<TVNSpinEdit>(form, "SpinRadius2")->SetValue(0);
    Child<TVNCharSpinEdit>(form, "SpinRepetition2")->SetValue(2);  // 2 x 5 < 12
    Child<QAction>(form, "Mosaicall1")->trigger();
    QCOMPARE(fx.Prompts.LastText(), QString("There are not enough tiles for current tile repetition setting.\r"
                                            "You need 6 tiles in the library but have only 5.\r"
                                            "Please increase \"Repeat\" value\r"
                                            "or set it to \"Auto\" to use as many repetitons as needed."));
    QCOMPARE(FilledCells(form.QVMosaic1), 0);

    Child<TVNCharSpinEdit>(form, "SpinRepetition2")->SetValue(0);
    Child<QCheckBox>(form, "CBFlipOriginal")->setChecked(false);
    Child<QAction>(form, "Mosaicall1")->trigger();
    QCOMPARE(fx.Prompts.LastText(), QString("Please check any tile orienitation(s) to use."));
    QCOMPARE(FilledCells(form.QVMosaic1), 0);
    QVERIFY(!form.MosaicRunning());
    QVERIFY(Child<QToolButton>(form, "SpeedButton2")->isEnabled());
  }

  void WindowLockedWhileItRuns() {
    TRunFixture fx(20, 4, 3);
    TForm1 form(fx.Settings());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.OpenQVP(fx.Project);
    Child<TVNSpinEdit>(form, "SpinRadius2")->SetValue(0);
    bool checked = false;
    TEveryCell tick([&](int n) {
      if (n != 3) return;
      checked = true;
      QVERIFY(form.MosaicRunning());
      QVERIFY(Child<QToolButton>(form, "SpeedButton9")->isEnabled());
      QVERIFY(Child<QAction>(form, "Stopmosaicprocess1")->isEnabled());
      for (QToolButton* b : {Child<QToolButton>(form, "SpeedButton1"), Child<QToolButton>(form, "SpeedButton2"),
                             Child<QToolButton>(form, "SpeedButton3"), Child<QToolButton>(form, "SpeedButton4"),
                             Child<QToolButton>(form, "SpeedButton5"), Child<QToolButton>(form, "SpeedButton6"),
                             Child<QToolButton>(form, "SpeedButton7"), Child<QToolButton>(form, "SpeedButton8"),
                             Child<QToolButton>(form, "SpeedButton10"), Child<QToolButton>(form, "SpeedButton11"),
                             Child<QToolButton>(form, "SpeedButton12"), Child<QToolButton>(form, "SpeedButton13"),
                             Child<QToolButton>(form, "SpeedButton14"), Child<QToolButton>(form, "SpeedButton15")})
        QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
      for (QAction* a :
           {Child<QAction>(form, "Mosaicall1"), Child<QAction>(form, "Randommosaic1"),
            Child<QAction>(form, "Smartmosaic1"), Child<QAction>(form, "SaveQVP1"), Child<QAction>(form, "Openqvp1"),
            Child<QAction>(form, "ZoomIn1"), Child<QAction>(form, "Savestatistic1")})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
      for (QMenu* m : {Child<QMenu>(form, "File1"), Child<QMenu>(form, "Edit1"), Child<QMenu>(form, "View1")})
        QVERIFY(!m->menuAction()->isEnabled());
      QVERIFY(Child<QMenu>(form, "Run1")->menuAction()->isEnabled());
      for (QWidget* w : std::initializer_list<QWidget*>{
               Child<QRadioButton>(form, "RBSource1"), Child<QRadioButton>(form, "RBTarget1"),
               Child<QRadioButton>(form, "RBDelta1"), Child<QRadioButton>(form, "RBEnhance1"),
               Child<QLabel>(form, "LabelDistance"), Child<QLabel>(form, "LabelRepeat"),
               Child<TVNSpinEdit>(form, "SpinRadius2"), Child<TVNCharSpinEdit>(form, "SpinRepetition2"),
               Child<QGroupBox>(form, "GroupBox1"), Child<QCheckBox>(form, "CBFlipOriginal"),
               Child<QCheckBox>(form, "CBFlipH"), Child<QCheckBox>(form, "CBFlipV"),
               Child<QCheckBox>(form, "CBRota180"), Child<QCheckBox>(form, "ChkFixAuto"),
               Child<QCheckBox>(form, "ChkFixManual"), Child<QCheckBox>(form, "ChkInvertSelection")})
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
      // The progress bar sits at the bottom of the tool panel, as wide as it.
      auto* bar = Child<QFrame>(form, "Panel1")->findChild<QProgressBar*>();
      QVERIFY(bar && bar->isVisible());
      QCOMPARE(bar->maximum(), 12);
      QCOMPARE(bar->value(), 3);
      QVERIFY(bar->geometry().bottom() > Child<QCheckBox>(form, "ChkInvertSelection")->geometry().bottom());
      QVERIFY(bar->width() >= Child<QFrame>(form, "Panel1")->width() - 8);
      QCOMPARE(form.StatusText(0), QString("25%"));
      QCOMPARE(form.windowTitle(), QString("25% Quivara 3"));
    });
    Child<QAction>(form, "Mosaicall1")->trigger();
    QVERIFY(checked);
    QCOMPARE(FilledCells(form.QVMosaic1), 12);
    for (QToolButton* b : {Child<QToolButton>(form, "SpeedButton2"), Child<QToolButton>(form, "SpeedButton4"),
                           Child<QToolButton>(form, "SpeedButton5"), Child<QToolButton>(form, "SpeedButton7"),
                           Child<QToolButton>(form, "SpeedButton10"), Child<QToolButton>(form, "SpeedButton12"),
                           Child<QToolButton>(form, "SpeedButton15")})
      QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
    QVERIFY(!Child<QToolButton>(form, "SpeedButton9")->isEnabled() &&
            !Child<QAction>(form, "Stopmosaicprocess1")->isEnabled());
    QVERIFY(Child<QMenu>(form, "File1")->menuAction()->isEnabled() &&
            Child<QMenu>(form, "View1")->menuAction()->isEnabled());
    QVERIFY(Child<QAction>(form, "SaveQVP1")->isEnabled() && Child<QAction>(form, "ZoomIn1")->isEnabled());
    QVERIFY(Child<TVNSpinEdit>(form, "SpinRadius2")->isEnabled() && Child<QCheckBox>(form, "ChkFixAuto")->isEnabled() &&
            Child<QRadioButton>(form, "RBSource1")->isEnabled());
  }

  void EscStopsTheRun() {
    TRunFixture fx(20, 5, 4);
    TForm1 form(fx.Settings());
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.OpenQVP(fx.Project);
    form.ShowStatus();
    Child<TVNSpinEdit>(form, "SpinRadius2")->SetValue(0);
    TEveryCell tick([&](int n) {
      if (n == 4) QTest::keyClick(&form, Qt::Key_Escape);
    });
    Child<QAction>(form, "Mosaicall1")->trigger();
    QCOMPARE(FilledCells(form.QVMosaic1), 4);  // the cell in work was finished
    QVERIFY(form.QVMosaic1.Modified);
    QVERIFY(!form.MosaicRunning());
    QVERIFY(!form.StopRequested);
    QCOMPARE(form.StatusText(0), QString("20%"));  // the texts stay
    QCOMPARE(form.windowTitle(), QString("Quivara 3 - (5x4) - proj.qvp"));
    QVERIFY(Child<QToolButton>(form, "SpeedButton7")->isEnabled());
    // The stop button does the same.
    TEveryCell again([&](int n) {
      if (n == 2) Child<QToolButton>(form, "SpeedButton9")->click();
    });
    Child<QCheckBox>(form, "ChkFixAuto")->setChecked(true);
    Child<QAction>(form, "Mosaicall1")->trigger();
    QCOMPARE(FilledCells(form.QVMosaic1), 6);
  }

  void ClosingDuringARunEndsTheRunFirst() {
    TRunFixture fx(20, 5, 4);
    auto* form = new TForm1(fx.Settings());
    form->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<TForm1> alive(form);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    form->OpenQVP(fx.Project);
    Child<TVNSpinEdit>(*form, "SpinRadius2")->SetValue(0);
    fx.Prompts.Answers = {pbNo};  // the save question after the run
    TEveryCell tick([&](int n) {
      if (n == 2) QVERIFY(!form->close());  // refused for now
    });
    Child<QAction>(*form, "Mosaicall1")->trigger();
    QVERIFY(alive);
    QCOMPARE(FilledCells(form->QVMosaic1), 2);
    QTRY_VERIFY(!alive);  // closed once the run had cleaned up
    QCOMPARE(fx.Prompts.LastText(), QString("Project was modified. Save before close?"));
  }

  void FlipPass() {
    TRunFixture fx(12, 4, 3);
    TForm1 form(fx.Settings());
    form.OpenQVP(fx.Project);
    Child<TVNSpinEdit>(form, "SpinRadius2")->SetValue(0);
    Child<QGroupBox>(form, "GroupBox1")->show();
    form.SetStatusText(1, "before");
    Child<QCheckBox>(form, "CBFlipH")->setChecked(true);
    Child<QCheckBox>(form, "CBRota180")->setChecked(true);
    Child<QCheckBox>(form, "CBFlipOriginal")->setChecked(false);
    Child<QAction>(form, "Mosaicall1")->trigger();
    QCOMPARE(form.QVLib1.UnflippedCount, 12);
    QCOMPARE(form.QVLib1.Count, 36);
    QVERIFY(Child<QCheckBox>(form, "CBFlipH")->isChecked() && Child<QCheckBox>(form, "CBRota180")->isChecked());
    QVERIFY(form.StatusText(2).startsWith("Lib: 12 (HR) rec. (YCC)"));
    QCOMPARE(FilledCells(form.QVMosaic1), 12);
    // Every placed tile is a flipped copy: its rectangle's corners are reversed.
    for (int n = 1; n <= 12; ++n) {
      form.QVMosaic1.GoRecord(n);
      QVERIFY(form.QVMosaic1.CropRight < form.QVMosaic1.CropLeft);
    }
    // The library file has the blocks too.
    TQVData lib;
    lib.Open(fx.Library);
    QCOMPARE(lib.Count, 36);

    // A block that is present already starts no pass: the status bar stays as it was.
    form.SetStatusText(1, "unchanged");
    form.AddFlips(true, false, false);
    QCOMPARE(form.StatusText(1), QString("unchanged"));
  }

  void RunningOutOfTilesIsReportedAfterTheCleanUp() {
    TRunFixture fx(12, 4, 3);
    TForm1 form(fx.Settings());
    form.OpenQVP(fx.Project);
    form.ShowStatus();
    Child<TVNSpinEdit>(form, "SpinRadius2")->SetValue(0);
    Child<TVNCharSpinEdit>(form, "SpinRepetition2")->SetValue(1);  // 12 x 1 tiles pass the check...
    form.QVLib1.SetRecordStatus(3, 255);                           // ... but two of them are deleted
    form.QVLib1.SetRecordStatus(7, 255);
    Child<QAction>(form, "Mosaicall1")->trigger();
    QVERIFY(fx.Prompts.LastText().startsWith("Quivara run out of tiles:"));
    QCOMPARE(FilledCells(form.QVMosaic1), 10);
    QVERIFY(!form.MosaicRunning());
    QVERIFY(Child<QToolButton>(form, "SpeedButton7")->isEnabled() &&
            Child<TVNSpinEdit>(form, "SpinRadius2")->isEnabled());
    QVERIFY(Child<QFrame>(form, "Panel1")->findChild<QProgressBar*>() == nullptr);
    QCOMPARE(form.windowTitle(), QString("Quivara 3 - (4x3) - proj.qvp"));
  }
};

QTEST_MAIN(MainFormRunTest)
#include "MainFormRunTest.moc"
