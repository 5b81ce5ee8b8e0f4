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
    TForm1 form;
    form.OpenQVP(fx.Project);
    form.ShowStatus();
    const QString caption = form.windowTitle();
    form.SpinRadius2->SetValue(1);
    form.Mosaicall1->trigger();
    QCOMPARE(FilledCells(form.QVMosaic1), 12);
    QVERIFY(form.QVMosaic1.Modified);
    QVERIFY(form.RBTarget1->isChecked());
    QVERIFY(form.QVMosaic1.ShowThumbs);
    QCOMPARE(form.StatusText(0), QString("100%"));
    QRegularExpression texts(R"(^\(\d+h:\d+m:\d+\.\ds\)/\(\d+h:\d+m:\d+\.\ds\) 12 - 12 = 0$)");
    QVERIFY2(texts.match(form.StatusText(1)).hasMatch(), qPrintable(form.StatusText(1)));
    QCOMPARE(form.windowTitle(), caption);
    QCOMPARE(form.ApplicationTitle(), QString("Quivara 3"));
    QVERIFY(!MosaicRunning);
    QVERIFY(form.Panel1->findChild<QProgressBar*>() == nullptr);
    QVERIFY(form.SpeedButton5->isEnabled());
    QVERIFY(!form.SpeedButton9->isEnabled());
    // Neighbours never share a tile at Distance 1.
    std::vector<int32_t> t = CellTiles(form.QVMosaic1);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) QVERIFY(t[r * 4 + c] != t[r * 4 + c + 1]);
  }

  void RenderButtonUsesTheDefaultOrder() {
    TRunFixture fx(20, 3, 3);
    TForm1 form;
    form.OpenQVP(fx.Project);
    RenderType = 0;
    // Top to bottom: after the first cell only record 1 is filled.
    std::vector<int32_t> afterFirst;
    {
      TEveryCell tick([&](int n) {
        if (n == 1) afterFirst = CellTiles(form.QVMosaic1);
      });
      form.SpeedButton7->click();
    }
    QCOMPARE(FilledCells(form.QVMosaic1), 9);
    QVERIFY(afterFirst[0] > 0);
    QCOMPARE(std::count_if(afterFirst.begin(), afterFirst.end(), [](int32_t v) { return v > 0; }), 1);
  }

  void Selection() {
    TRunFixture fx(30, 4, 3);
    TForm1 form;
    form.OpenQVP(fx.Project);
    form.SpinRadius2->SetValue(0);
    form.DrawGrid1->SetSelection({1, 0, 2, 1});  // columns 1..2, rows 0..1
    form.Smartmosaic1->trigger();
    std::vector<int32_t> t = CellTiles(form.QVMosaic1);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 4; ++c) QCOMPARE(t[r * 4 + c] > 0, c >= 1 && c <= 2 && r <= 1);
    QCOMPARE(form.StatusText(1).right(9), QString("4 - 4 = 0"));

    // Inverted: everything outside the selection; the inside keeps its tiles.
    form.ChkInvertSelection->setChecked(true);
    form.ChkFixManual->setChecked(false);
    form.Randommosaic1->trigger();
    std::vector<int32_t> u = CellTiles(form.QVMosaic1);
    QCOMPARE(FilledCells(form.QVMosaic1), 12);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 4; ++c)
        if (c >= 1 && c <= 2 && r <= 1) QCOMPARE(u[r * 4 + c], t[r * 4 + c]);

    // Inverted with the whole grid selected: nothing to do, nothing changes.
    form.DrawGrid1->SetSelection({0, 0, 3, 2});
    form.Mosaicall1->trigger();
    QCOMPARE(CellTiles(form.QVMosaic1), u);
  }

  void FixAutoAndFixCustom() {
    TRunFixture fx(30, 3, 2);
    TForm1 form;
    form.OpenQVP(fx.Project);
    form.SpinRadius2->SetValue(0);
    // Cell 1 holds a library tile, cell 2 a custom picture.
    form.QVLib1.GoRecord(5);
    form.QVMosaic1.PlaceTile(1, form.QVLib1, true);
    TPictureValues values{10, 10, 0, 0, 10, 10};
    form.QVMosaic1.PlaceCustomPicture(2, qvtest::DrawTestPicture(10, 10, 3), 1000000000, values, "custom.jpg");
    const int32_t library = form.QVMosaic1.RecordTileNo(1);

    form.ChkFixAuto->setChecked(true);
    form.ChkFixManual->setChecked(false);
    form.Mosaicall1->trigger();
    std::vector<int32_t> t = CellTiles(form.QVMosaic1);
    QCOMPARE(t[0], library);
    QCOMPARE(t[1], 1000000000);
    QCOMPARE(FilledCells(form.QVMosaic1), 6);

    // Only "Fix custom": the library tile may change, the custom picture stays.
    form.ChkFixAuto->setChecked(false);
    form.ChkFixManual->setChecked(true);
    form.Mosaicall1->trigger();
    QCOMPARE(form.QVMosaic1.RecordTileNo(2), 1000000000);
    // Neither: the custom picture is replaced by a library tile.
    form.ChkFixManual->setChecked(false);
    form.Mosaicall1->trigger();
    QVERIFY(form.QVMosaic1.RecordTileNo(2) > 0 && form.QVMosaic1.RecordTileNo(2) < 1000000000);
  }

  void ChecksBeforeARun() {
    TRunFixture fx(5, 4, 3);
    TForm1 form;
    form.OpenQVP(fx.Project);
    form.SpinRadius2->SetValue(10);  // capped at the grid: 4 x 3 = 12 tiles needed
    form.Mosaicall1->trigger();
    QCOMPARE(fx.Prompts.LastText(), QString("There are not enough tiles for current distance between tiles setting.\r"
                                            "You need 12 tiles in the library but have only 5.\r"
                                            "Please decrease \"Distance\" value."));
    QCOMPARE(fx.Prompts.Messages.back().Caption, QString("Quivara 3"));
    QCOMPARE(fx.Prompts.Messages.back().Icon, TPromptIcon::Error);
    QCOMPARE(FilledCells(form.QVMosaic1), 0);

    form.SpinRadius2->SetValue(0);
    form.SpinRepetition2->SetValue(2);  // 2 x 5 < 12
    form.Mosaicall1->trigger();
    QCOMPARE(fx.Prompts.LastText(), QString("There are not enough tiles for current tile repetition setting.\r"
                                            "You need 6 tiles in the library but have only 5.\r"
                                            "Please increase \"Repeat\" value\r"
                                            "or set it to \"Auto\" to use as many repetitons as needed."));
    QCOMPARE(FilledCells(form.QVMosaic1), 0);

    form.SpinRepetition2->SetValue(0);
    form.CBFlipOriginal->setChecked(false);
    form.Mosaicall1->trigger();
    QCOMPARE(fx.Prompts.LastText(), QString("Please check any tile orienitation(s) to use."));
    QCOMPARE(FilledCells(form.QVMosaic1), 0);
    QVERIFY(!MosaicRunning);
    QVERIFY(form.SpeedButton2->isEnabled());
  }

  void WindowLockedWhileItRuns() {
    TRunFixture fx(20, 4, 3);
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.OpenQVP(fx.Project);
    form.SpinRadius2->SetValue(0);
    bool checked = false;
    TEveryCell tick([&](int n) {
      if (n != 3) return;
      checked = true;
      QVERIFY(MosaicRunning);
      QVERIFY(form.SpeedButton9->isEnabled());
      QVERIFY(form.Stopmosaicprocess1->isEnabled());
      for (QToolButton* b :
           {form.SpeedButton1, form.SpeedButton2, form.SpeedButton3, form.SpeedButton4, form.SpeedButton5,
            form.SpeedButton6, form.SpeedButton7, form.SpeedButton8, form.SpeedButton10, form.SpeedButton11,
            form.SpeedButton12, form.SpeedButton13, form.SpeedButton14, form.SpeedButton15})
        QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
      for (QAction* a : {form.Mosaicall1, form.Randommosaic1, form.Smartmosaic1, form.SaveQVP1, form.Openqvp1,
                         form.ZoomIn1, form.Savestatistic1})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
      for (QMenu* m : {form.File1, form.Edit1, form.View1}) QVERIFY(!m->menuAction()->isEnabled());
      QVERIFY(form.Run1->menuAction()->isEnabled());
      for (QWidget* w : std::initializer_list<QWidget*>{
               form.RBSource1, form.RBTarget1, form.RBDelta1, form.RBEnhance1, form.LabelDistance, form.LabelRepeat,
               form.SpinRadius2, form.SpinRepetition2, form.GroupBox1, form.CBFlipOriginal, form.CBFlipH, form.CBFlipV,
               form.CBRota180, form.ChkFixAuto, form.ChkFixManual, form.ChkInvertSelection})
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
      // The progress bar sits at the bottom of the tool panel, as wide as it.
      auto* bar = form.Panel1->findChild<QProgressBar*>();
      QVERIFY(bar && bar->isVisible());
      QCOMPARE(bar->maximum(), 12);
      QCOMPARE(bar->value(), 3);
      QVERIFY(bar->geometry().bottom() > form.ChkInvertSelection->geometry().bottom());
      QVERIFY(bar->width() >= form.Panel1->width() - 8);
      QCOMPARE(form.StatusText(0), QString("25%"));
      QCOMPARE(form.windowTitle(), QString("25% Quivara 3"));
    });
    form.Mosaicall1->trigger();
    QVERIFY(checked);
    QCOMPARE(FilledCells(form.QVMosaic1), 12);
    for (QToolButton* b : {form.SpeedButton2, form.SpeedButton4, form.SpeedButton5, form.SpeedButton7,
                           form.SpeedButton10, form.SpeedButton12, form.SpeedButton15})
      QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
    QVERIFY(!form.SpeedButton9->isEnabled() && !form.Stopmosaicprocess1->isEnabled());
    QVERIFY(form.File1->menuAction()->isEnabled() && form.View1->menuAction()->isEnabled());
    QVERIFY(form.SaveQVP1->isEnabled() && form.ZoomIn1->isEnabled());
    QVERIFY(form.SpinRadius2->isEnabled() && form.ChkFixAuto->isEnabled() && form.RBSource1->isEnabled());
  }

  void EscStopsTheRun() {
    TRunFixture fx(20, 5, 4);
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.OpenQVP(fx.Project);
    form.ShowStatus();
    form.SpinRadius2->SetValue(0);
    TEveryCell tick([&](int n) {
      if (n == 4) QTest::keyClick(&form, Qt::Key_Escape);
    });
    form.Mosaicall1->trigger();
    QCOMPARE(FilledCells(form.QVMosaic1), 4);  // the cell in work was finished
    QVERIFY(form.QVMosaic1.Modified);
    QVERIFY(!MosaicRunning);
    QVERIFY(!form.StopRequested);
    QCOMPARE(form.StatusText(0), QString("20%"));  // the texts stay
    QCOMPARE(form.windowTitle(), QString("Quivara 3 - (5x4) - proj.qvp"));
    QVERIFY(form.SpeedButton7->isEnabled());
    // The stop button does the same.
    TEveryCell again([&](int n) {
      if (n == 2) form.SpeedButton9->click();
    });
    form.ChkFixAuto->setChecked(true);
    form.Mosaicall1->trigger();
    QCOMPARE(FilledCells(form.QVMosaic1), 6);
  }

  void ClosingDuringARunEndsTheRunFirst() {
    TRunFixture fx(20, 5, 4);
    auto* form = new TForm1;
    form->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<TForm1> alive(form);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    form->OpenQVP(fx.Project);
    form->SpinRadius2->SetValue(0);
    fx.Prompts.Answers = {pbNo};  // the save question after the run
    TEveryCell tick([&](int n) {
      if (n == 2) QVERIFY(!form->close());  // refused for now
    });
    form->Mosaicall1->trigger();
    QVERIFY(alive);
    QCOMPARE(FilledCells(form->QVMosaic1), 2);
    QTRY_VERIFY(!alive);  // closed once the run had cleaned up
    QCOMPARE(fx.Prompts.LastText(), QString("Project was modified. Save before close?"));
  }

  void FlipPass() {
    TRunFixture fx(12, 4, 3);
    TForm1 form;
    form.OpenQVP(fx.Project);
    form.SpinRadius2->SetValue(0);
    form.GroupBox1->show();
    form.SetStatusText(1, "before");
    form.CBFlipH->setChecked(true);
    form.CBRota180->setChecked(true);
    form.CBFlipOriginal->setChecked(false);
    form.Mosaicall1->trigger();
    QCOMPARE(form.QVLib1.UnflippedCount, 12);
    QCOMPARE(form.QVLib1.Count, 36);
    QVERIFY(form.CBFlipH->isChecked() && form.CBRota180->isChecked());
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
    TForm1 form;
    form.OpenQVP(fx.Project);
    form.ShowStatus();
    form.SpinRadius2->SetValue(0);
    form.SpinRepetition2->SetValue(1);    // 12 x 1 tiles pass the check...
    form.QVLib1.SetRecordStatus(3, 255);  // ... but two of them are deleted
    form.QVLib1.SetRecordStatus(7, 255);
    form.Mosaicall1->trigger();
    QVERIFY(fx.Prompts.LastText().startsWith("Quivara run out of tiles:"));
    QCOMPARE(FilledCells(form.QVMosaic1), 10);
    QVERIFY(!MosaicRunning);
    QVERIFY(form.SpeedButton7->isEnabled() && form.SpinRadius2->isEnabled());
    QVERIFY(form.Panel1->findChild<QProgressBar*>() == nullptr);
    QCOMPARE(form.windowTitle(), QString("Quivara 3 - (4x3) - proj.qvp"));
  }
};

QTEST_MAIN(MainFormRunTest)
#include "MainFormRunTest.moc"
