// "Optimise mosaic" from the main window: the pass over a composed project keeps the rules
// and is one undo step, a stop during the pass, and a mosaic composed under other rules.
#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>
#include <QtTest>
#include <cstdlib>

#include "MainFormFixture.h"
#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "engine/MosaicQuality.h"

using namespace qv;
using qvtest::CellTiles;
using qvtest::Child;
using qvtest::TMainFormFixture;

namespace {

// A project of 8 x 6 cells on 40 tiles, composed top to bottom (the greedy order that leaves
// the most to gain) at Distance 1, Repeat 2, then saved.
struct TOptimiseFixture : TMainFormFixture {
  std::string Library = MakeLibrary("lib", 40);
  std::string Project = MakeProject("proj", Library, 8, 6);
  TForm1 Form{Settings()};
  TOptimiseFixture() {
    Form.OpenQVP(Project);
    Child<TVNSpinEdit>(Form, "SpinRadius2")->SetValue(1);
    Child<TVNSpinEdit>(Form, "SpinRepetition2")->SetValue(2);
    Child<QAction>(Form, "Mosaicall1")->trigger();
    Form.SaveQVP();
  }
  QAction* Optimise() { return Child<QAction>(Form, "Optimisemosaic1"); }
  uint64_t Total() const { return MosaicDistance(Form.QVLib1, Form.QVPlan1, Form.QVMosaic1); }
  // Over the cells, how far the mean colour of each tile's signature lies from its cell's.
  uint64_t ColourError() const {
    uint64_t sum = 0;
    for (int32_t c = 1; c <= Form.QVMosaic1.Count; ++c) {
      const int32_t id = Form.QVMosaic1.RecordTileNo(c);
      if (id <= 0 || id > Form.QVLib1.UnflippedCount) continue;
      const SignatureBytes target = CellTarget(Form.QVLib1, Form.QVPlan1, c);
      const uint8_t* tile = Form.QVLib1.RecordSignature(RecordShownInCell(Form.QVLib1, Form.QVMosaic1, c, id));
      for (size_t ch = 0; ch < 3; ++ch) {
        int64_t a = 0, b = 0;
        for (size_t i = ch; i < target.size(); i += 3) {
          a += target[i];
          b += tile[i];
        }
        sum += uint64_t(std::llabs(a - b));
      }
    }
    return sum;
  }
};

// The rule checker the composed projects are checked with (scripts/check-mosaic); its
// report when the saved project breaks a rule, else empty.
QString RuleFaults(const std::string& project, int distance, int repeat) {
  QProcess p;
  p.start("python3",
          {QDir::cleanPath(QUIVARA_TEST_DATA_DIR "/../../scripts/check-mosaic"), QString::fromStdString(project),
           "--distance", QString::number(distance), "--repeat", QString::number(repeat), "--cli", QUIVARA_CLI});
  if (!p.waitForFinished(60000)) return "check-mosaic did not finish";
  if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) return {};
  return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

}  // namespace

class MainFormOptimiseTest : public QObject {
  Q_OBJECT
 private slots:
  void LowersTheTotalKeepsTheRulesAndUndoesInOneStep() {
    TOptimiseFixture fx;
    const std::string saved = qvtest::FileBytes(fx.Project);
    const std::vector<int32_t> composed = CellTiles(fx.Form.QVMosaic1);
    const uint64_t before = fx.Total();
    emit Child<QMenu>(fx.Form, "Run1")->aboutToShow();
    QVERIFY(fx.Optimise()->isEnabled());

    fx.Optimise()->trigger();
    const uint64_t after = fx.Total();
    QVERIFY2(after < before, qPrintable(QString("%1 -> %2").arg(before).arg(after)));
    QVERIFY(CellTiles(fx.Form.QVMosaic1) != composed);
    QVERIFY(fx.Form.QVMosaic1.Modified);
    QVERIFY(!fx.Form.MosaicRunning());
    QVERIFY(fx.Prompts.Messages.empty());
    // The status bar tells the change, with the totals the mosaic now has.
    const QRegularExpression summary(
        R"(^Optimised: total distance (\d+) -> (\d+) \(-\d+\.\d %\), (\d+) cells changed$)");
    const QRegularExpressionMatch m = summary.match(fx.Form.StatusText(2));
    QVERIFY2(m.hasMatch(), qPrintable(fx.Form.StatusText(2)));
    QVERIFY(m.captured(2).toULongLong() < m.captured(1).toULongLong());
    const std::vector<int32_t> optimised = CellTiles(fx.Form.QVMosaic1);
    int otherTile = 0;
    for (size_t i = 0; i < composed.size(); ++i) otherTile += optimised[i] != composed[i];
    QVERIFY(m.captured(3).toInt() >= otherTile);
    fx.Form.SaveQVP();
    const QString faults = RuleFaults(fx.Project, 1, 2);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));

    // One step gives back the composed project byte for byte; redo the optimised one.
    auto* undo = Child<QAction>(fx.Form, "Undo1");
    emit Child<QMenu>(fx.Form, "Edit1")->aboutToShow();
    QCOMPARE(undo->text(), QString("Undo Optimise mosaic"));
    undo->trigger();
    QCOMPARE(CellTiles(fx.Form.QVMosaic1), composed);
    fx.Form.SaveQVP();
    QVERIFY(qvtest::FileBytes(fx.Project) == saved);
    fx.Form.UndoStack().redo();
    QCOMPARE(CellTiles(fx.Form.QVMosaic1), optimised);
  }

  // "Optimise mosaic for colour" weighs the cells' mean colours: from the same composed
  // mosaic it ends closer to the cells' colours than the plain command, under the same rules.
  void ForColourBringsTheColoursCloser() {
    TOptimiseFixture fx;
    fx.Optimise()->trigger();
    const uint64_t plain = fx.ColourError();
    fx.Form.UndoStack().undo();
    emit Child<QMenu>(fx.Form, "Run1")->aboutToShow();
    auto* forColour = Child<QAction>(fx.Form, "Optimisemosaicforcolour1");
    QVERIFY(forColour->isEnabled());
    forColour->trigger();
    const uint64_t coloured = fx.ColourError();
    QVERIFY2(coloured < plain, qPrintable(QString("%1 against %2").arg(coloured).arg(plain)));
    QVERIFY2(fx.Form.StatusText(2).startsWith("Optimised: colour-weighted distance "),
             qPrintable(fx.Form.StatusText(2)));
    fx.Form.SaveQVP();
    const QString faults = RuleFaults(fx.Project, 1, 2);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
    emit Child<QMenu>(fx.Form, "Edit1")->aboutToShow();
    QCOMPARE(Child<QAction>(fx.Form, "Undo1")->text(), QString("Undo Optimise mosaic for colour"));
  }

  void WorksInTheSelectionsWorkAreaOnly() {
    TOptimiseFixture fx;
    const std::vector<int32_t> composed = CellTiles(fx.Form.QVMosaic1);
    // Inverted around columns 2..5, rows 1..4: only the frame may change.
    Child<TDrawGrid>(fx.Form, "DrawGrid1")->SetSelection({2, 1, 5, 4});
    Child<QCheckBox>(fx.Form, "ChkInvertSelection")->setChecked(true);
    fx.Optimise()->trigger();
    const std::vector<int32_t> t = CellTiles(fx.Form.QVMosaic1);
    QVERIFY(t != composed);
    for (int r = 1; r <= 4; ++r)
      for (int c = 2; c <= 5; ++c) QCOMPARE(t[size_t(r * 8 + c)], composed[size_t(r * 8 + c)]);
    // Repeat counts the uses within the work area, as a composition run of the selection
    // does; the Distance rule holds across the whole grid.
    fx.Form.SaveQVP();
    const QString faults = RuleFaults(fx.Project, 1, 0);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
  }

  void StopsWithTheWindowLockedWhileItRuns() {
    TOptimiseFixture fx;
    const std::vector<int32_t> composed = CellTiles(fx.Form.QVMosaic1);
    // The first messages the pass lets through come after the candidate lists: the window
    // is locked then, and Esc ("Stop mosaic process") ends the pass before any move.
    bool locked = false;
    QTimer::singleShot(0, [&] {
      locked = fx.Form.MosaicRunning() && !fx.Optimise()->isEnabled() &&
               !Child<QAction>(fx.Form, "Smartmosaic1")->isEnabled() &&
               Child<QToolButton>(fx.Form, "SpeedButton9")->isEnabled() &&
               fx.Form.StatusText(2).startsWith("Optimising: ");
      Child<QAction>(fx.Form, "Stopmosaicprocess1")->trigger();
    });
    const int steps = fx.Form.UndoStack().count();
    fx.Optimise()->trigger();
    QVERIFY(locked);
    QCOMPARE(CellTiles(fx.Form.QVMosaic1), composed);
    QVERIFY2(fx.Form.StatusText(2).endsWith(", 0 cells changed, stopped"), qPrintable(fx.Form.StatusText(2)));
    QCOMPARE(fx.Form.UndoStack().count(), steps);
    QVERIFY(!fx.Form.MosaicRunning());
    emit Child<QMenu>(fx.Form, "Run1")->aboutToShow();
    QVERIFY(fx.Optimise()->isEnabled());
    QVERIFY(!Child<QAction>(fx.Form, "Stopmosaicprocess1")->isEnabled());
  }

  // Composed at Distance 1, the mosaic has some tile too near its other use at Distance 3:
  // declined, the mosaic is left as it is; accepted, it is composed again at Distance 3 and
  // optimised, two undo steps, and keeps the rules.
  void AMosaicThatBreaksTheRulesIsComposedAgainWhenTheUserAgrees() {
    TOptimiseFixture fx;
    Child<TVNSpinEdit>(fx.Form, "SpinRadius2")->SetValue(3);
    const std::vector<int32_t> composed = CellTiles(fx.Form.QVMosaic1);
    const int steps = fx.Form.UndoStack().count();
    fx.Prompts.Answers.push_back(pbNo);
    fx.Optimise()->trigger();
    QCOMPARE(fx.Prompts.Messages.size(), size_t(1));
    QCOMPARE(fx.Prompts.Messages.back().Icon, TPromptIcon::Question);
    QVERIFY2(fx.Prompts.LastText().endsWith("Compose the mosaic again with these settings (Smart mosaic) and then "
                                            "optimise it?"),
             qPrintable(fx.Prompts.LastText()));
    QCOMPARE(CellTiles(fx.Form.QVMosaic1), composed);
    QCOMPARE(fx.Form.UndoStack().count(), steps);
    QVERIFY(!fx.Form.MosaicRunning());

    fx.Prompts.Answers.push_back(pbYes);
    fx.Optimise()->trigger();
    QCOMPARE(fx.Prompts.Messages.size(), size_t(2));
    QCOMPARE(fx.Form.UndoStack().count(), steps + 2);
    QVERIFY2(fx.Form.StatusText(2).startsWith("Optimised: total distance"), qPrintable(fx.Form.StatusText(2)));
    fx.Form.SaveQVP();
    const QString faults = RuleFaults(fx.Project, 3, 2);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
  }
};

QTEST_MAIN(MainFormOptimiseTest)
#include "MainFormOptimiseTest.moc"
