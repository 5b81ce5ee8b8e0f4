// Cell selection and editing in the main window: the status texts of the selection and the
// current cell, the erase commands and patterns with "Fix custom" and "Inv select", the erase
// pass's lock and stop, the cell pop-up menu in its cases, its length and its handlers, and undo.
#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>
#include <QtTest>
#include <functional>

#include "MainFormFixture.h"
#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "mainwindow/ManualTilesWindow.h"
#include "settings/IniFile.h"

using namespace qv;
using qvtest::CellTiles;
using qvtest::Child;
using qvtest::TMainFormFixture;

namespace {

struct TEditFixture : TMainFormFixture {
  std::string Library;
  std::string Project;
  TEditFixture(int tiles, int cols, int rows) {
    Library = MakeLibrary("lib", tiles);
    Project = MakeProject("proj", Library, cols, rows);
  }
};

// A window with the project open and composed top to bottom at Distance 1.
struct TComposed {
  TForm1 Form;
  TDrawGrid* Grid;
  explicit TComposed(const TEditFixture& fx) : Form(fx.Settings()) {
    Form.OpenQVP(fx.Project);
    Grid = Child<TDrawGrid>(Form, "DrawGrid1");
    Child<TVNSpinEdit>(Form, "SpinRadius2")->SetValue(1);
    Child<QAction>(Form, "Mosaicall1")->trigger();
  }
  QAction* Item(int i) { return Form.CellPopupMenu()->actions()[i]; }
  QStringList Shown() {
    QStringList s;
    for (QAction* a : Form.CellPopupMenu()->actions())
      if (a->isVisible()) s << a->text();
    return s;
  }
};

std::string FileBytes(const std::string& file) { return qvtest::FileBytes(file); }

// A manual tiles window that records what the main window tells it and places library
// record 1 into the cell it is asked to fill.
struct TFakeManualWindow : TManualTilesWindow {
  TForm1& Form;
  bool Shown = true;
  TManualPage Shows = TManualPage::LibraryTiles;
  std::vector<std::pair<int, int>> Selected;
  std::vector<int32_t> Replaced;
  explicit TFakeManualWindow(TForm1& form) : Form(form) {}
  bool IsShown() const override { return Shown; }
  TManualPage Page() const override { return Shows; }
  void CellSelected(int32_t col, int32_t row) override { Selected.push_back({col, row}); }
  bool ReplaceCell(int32_t cellNumber) override {
    Replaced.push_back(cellNumber);
    Form.QVLib1.GoRecord(1);
    return Form.QVMosaic1.PlaceTile(cellNumber, Form.QVLib1, true);
  }
};

}  // namespace

class MainFormEditTest : public QObject {
  Q_OBJECT
 private slots:
  void SelectionAndCellStatus() {
    TEditFixture fx(20, 4, 3);
    TComposed w(fx);
    // A 3 x 2 selection from the top-left corner.
    w.Grid->SetSelection({0, 0, 2, 1});
    w.Form.SelectionStatus();
    QCOMPARE(w.Form.StatusText(0), QString("1:1 x 3:2"));
    Child<QCheckBox>(w.Form, "ChkInvertSelection")->setChecked(true);
    QCOMPARE(w.Form.StatusText(0), QString("Not 1:1 x 3:2"));
    QVERIFY(w.Form.PrepareGridPopup(1, 1));
    QCOMPARE(w.Shown(), QStringList({"Render cells outside of 1x1 to 3x2", "Erase cells outside of 1x1 to 3x2"}));
    Child<QCheckBox>(w.Form, "ChkInvertSelection")->setChecked(false);
    QVERIFY(w.Form.PrepareGridPopup(1, 1));
    QCOMPARE(w.Item(0)->text(), QString("Render cells from 1x1 to 3x2"));
    // The tool panel's items carry no coordinates.
    w.Form.PrepareToolPanelPopup();
    QCOMPARE(w.Shown(), QStringList({"Render cells from ", "Erase cells from "}));

    // Ctrl+A selects the whole grid.
    Child<QAction>(w.Form, "Selectall1")->trigger();
    QCOMPARE(w.Grid->Selection(), (TGridRect{0, 0, 3, 2}));
    QCOMPARE(w.Form.StatusText(0), QString("1:1 x 4:3"));

    // A cell becoming current: its position, its tile, the hint.
    w.Grid->SetCurrent(1, 2);
    QCOMPARE(w.Form.StatusText(0), QString("2:3"));
    QVERIFY(w.Form.StatusText(2).startsWith("Pic: " + QString::fromStdString(w.Form.QVMosaic1.RecordName(10))));
    QCOMPARE(w.Form.StatusText(1), QString("Press <Del> key to erase cell"));
    QTest::keyClick(w.Grid, Qt::Key_Delete);
    QCOMPARE(w.Form.QVMosaic1.RecordTileNo(10), 0);
    w.Grid->SetCurrent(0, 0);
    w.Grid->SetCurrent(1, 2);
    QCOMPARE(w.Form.StatusText(2), QString("Pic: No pic for this cell."));
  }

  void ErasePatternsFixCustomAndUndoRestoreTheSavedFile() {
    TEditFixture fx(30, 6, 4);
    TComposed w(fx);
    TQVData& m = w.Form.QVMosaic1;
    // A custom tile in cell (2, 1), record 9.
    QVERIFY(m.PlaceCustomPicture(9, qvtest::DrawTestPicture(12, 12, 5), kCustomPictureTileNo, {12, 12, 0, 0, 12, 12},
                                 "/custom.png"));
    w.Form.SaveQVP();
    const std::string saved = FileBytes(fx.Project);
    const std::vector<int32_t> composed = CellTiles(m);

    // "V Lines" on columns 1..4, rows 0..2 with "Fix custom": columns 2 and 4 go, the custom
    // tile at (2, 1) stays.
    Child<QCheckBox>(w.Form, "ChkFixManual")->setChecked(true);
    w.Grid->SetSelection({1, 0, 4, 2});
    Child<QAction>(w.Form, "VLines1")->trigger();
    std::vector<int32_t> expected = composed;
    for (int r = 0; r <= 2; ++r)
      for (int c : {2, 4})
        if (r * 6 + c + 1 != 9) expected[size_t(r * 6 + c)] = 0;
    QCOMPARE(CellTiles(m), expected);
    QCOMPARE(w.Grid->Selection(), (TGridRect{1, 0, 4, 2}));  // the selection comes back
    QVERIFY(!w.Form.MosaicRunning());
    QVERIFY(m.Modified);

    // "H Lines" on rows 0..3 of columns 0..1 erases rows 1 and 3.
    w.Grid->SetSelection({0, 0, 1, 3});
    Child<QAction>(w.Form, "HLines1")->trigger();
    for (int r : {1, 3})
      for (int c : {0, 1}) QCOMPARE(m.RecordTileNo(r * 6 + c + 1), 0);
    QCOMPARE(m.RecordTileNo(1), composed[0]);

    // Inverted around the whole grid: nothing to erase, nothing to undo.
    const int steps = w.Form.UndoStack().count();
    Child<QCheckBox>(w.Form, "ChkInvertSelection")->setChecked(true);
    Child<QAction>(w.Form, "Selectall1")->trigger();
    Child<QAction>(w.Form, "Eraseselection1")->trigger();
    QCOMPARE(w.Form.UndoStack().count(), steps);
    Child<QCheckBox>(w.Form, "ChkInvertSelection")->setChecked(false);

    // Delete on one cell erases the custom tile although "Fix custom" is ticked.
    w.Grid->SetCurrent(2, 1);
    QTest::keyClick(w.Grid, Qt::Key_Delete);
    QCOMPARE(m.RecordTileNo(9), 0);

    // Each edit is one step; undoing them all gives back the saved file byte for byte.
    auto* undo = Child<QAction>(w.Form, "Undo1");
    emit Child<QMenu>(w.Form, "Edit1")->aboutToShow();
    QCOMPARE(undo->text(), QString("Undo Erase cell"));
    undo->trigger();
    QCOMPARE(m.RecordTileNo(9), kCustomPictureTileNo);
    emit Child<QMenu>(w.Form, "Edit1")->aboutToShow();
    QCOMPARE(undo->text(), QString("Undo H Lines"));
    undo->trigger();
    QCOMPARE(undo->text(), QString("Undo V Lines"));
    undo->trigger();
    QCOMPARE(CellTiles(m), composed);
    QVERIFY(m.Modified);
    QVERIFY(Child<QToolButton>(w.Form, "SpeedButton5")->isEnabled());
    w.Form.SaveQVP();
    QVERIFY(FileBytes(fx.Project) == saved);

    // Redo erases again; closing the project forgets the steps.
    auto* redo = Child<QAction>(w.Form, "Redo1");
    QCOMPARE(redo->text(), QString("Redo V Lines"));
    redo->trigger();
    QCOMPARE(CellTiles(m), expected);
    w.Form.SaveQVP();
    QVERIFY(w.Form.CloseProject());
    QCOMPARE(w.Form.UndoStack().count(), 0);
    emit Child<QMenu>(w.Form, "Edit1")->aboutToShow();
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
  }

  void ErasePassLocksTheWindowAndStops() {
    TEditFixture fx(20, 5, 4);
    TComposed w(fx);
    w.Form.SelectallGrid();
    bool locked = false, barShown = false, popup = true;
    QTimer tick;
    tick.setInterval(0);
    int ticks = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
      if (++ticks != 2) return;
      locked = w.Form.MosaicRunning() && !Child<QAction>(w.Form, "Erasecell1")->isEnabled();
      barShown = Child<QFrame>(w.Form, "Panel1")->findChild<QProgressBar*>() != nullptr;
      popup = w.Form.PrepareGridPopup(0, 0);                // no pop-up while a pass runs
      Child<QToolButton>(w.Form, "SpeedButton9")->click();  // "Stop"
    });
    tick.start();
    w.Form.Eraseselection1Click();
    tick.stop();
    QVERIFY(locked);
    QVERIFY(barShown);
    QVERIFY(!popup);
    // The first row was left at the stop; the rest stays as composed.
    const std::vector<int32_t> t = CellTiles(w.Form.QVMosaic1);
    int erased = 0;
    for (int32_t id : t) erased += id == 0;
    QVERIFY2(erased >= 1 && erased < 5, qPrintable(QString::number(erased)));
    for (size_t i = 5; i < t.size(); ++i) QVERIFY(t[i] > 0);
    QVERIFY(!w.Form.MosaicRunning());
    QVERIFY(Child<QFrame>(w.Form, "Panel1")->findChild<QProgressBar*>() == nullptr);
    QCOMPARE(w.Form.UndoStack().undoText(), QString("Erase selection"));
    // A composition run is a step too.
    w.Form.UndoStack().undo();
    QCOMPARE(w.Form.UndoStack().undoText(), QString("Mosaic all"));
  }

  // The undo steps hold no more than UndoMemoryLimit together. A whole-grid step of 120
  // cells keeps well over 64 KB (two 108-byte signatures and a thumbnail a cell), a one-cell
  // step a few KB: with a 64 KB limit the composition's step goes once five cells are erased,
  // those five stay and undo in order; a step larger than the limit is kept alone.
  void UndoStepsKeepWithinTheirMemory() {
    TEditFixture fx(20, 12, 10);
    TComposed w(fx);
    TQVData& m = w.Form.QVMosaic1;
    QUndoStack& undo = w.Form.UndoStack();
    const std::vector<int32_t> composed = CellTiles(m);
    QCOMPARE(undo.count(), 1);
    w.Form.UndoMemoryLimit = 64 << 10;

    const std::vector<std::pair<int, int>> cells{{0, 0}, {5, 2}, {11, 9}, {3, 7}, {8, 4}};
    for (auto [c, r] : cells) {
      w.Grid->SetCurrent(c, r);
      w.Form.Erasecell1Click();
      QCOMPARE(m.RecordTileNo(r * 12 + c + 1), 0);
    }
    QCOMPARE(undo.count(), 5);
    for (int i = 0; i < 5; ++i) QCOMPARE(undo.text(i), QString("Erase cell"));
    for (size_t i = cells.size(); i-- > 0;) {
      QVERIFY(undo.canUndo());
      undo.undo();
      const auto [c, r] = cells[i];
      QCOMPARE(m.RecordTileNo(r * 12 + c + 1), composed[size_t(r * 12 + c)]);
    }
    QVERIFY(!undo.canUndo());  // the composition cannot be undone any more
    QCOMPARE(CellTiles(m), composed);

    // Redo the first two, then a whole-grid erase: larger than the limit, it stays alone and
    // undoes, and redoes, the whole grid.
    undo.redo();
    undo.redo();
    w.Form.SelectallGrid();
    w.Form.Eraseselection1Click();
    QCOMPARE(undo.count(), 1);
    QCOMPARE(undo.undoText(), QString("Erase selection"));
    for (int32_t tile : CellTiles(m)) QCOMPARE(tile, 0);
    undo.undo();
    std::vector<int32_t> expected = composed;
    for (int i = 0; i < 2; ++i) expected[size_t(cells[size_t(i)].second * 12 + cells[size_t(i)].first)] = 0;
    QCOMPARE(CellTiles(m), expected);
    undo.redo();
    for (int32_t tile : CellTiles(m)) QCOMPARE(tile, 0);
  }

  void ManualTilesWindowIsToldAndFillsTheCell() {
    TEditFixture fx(20, 4, 3);
    TComposed w(fx);
    TFakeManualWindow manual(w.Form);
    w.Form.ManualWindow = &manual;
    w.Grid->SetCurrent(3, 1);
    QCOMPARE(manual.Selected, (std::vector<std::pair<int, int>>{{3, 1}}));
    QCOMPARE(w.Form.StatusText(1), QString("Press <Enter> to replace, <Del> to erase cell"));
    // Enter and a double click place the window's choice into the current cell, one step each.
    QTest::keyClick(w.Grid, Qt::Key_Return);
    QCOMPARE(manual.Replaced, std::vector<int32_t>{8});
    QCOMPARE(w.Form.QVMosaic1.RecordTileNo(8), 1);
    QCOMPARE(w.Form.UndoStack().undoText(), QString("Replace cell"));
    w.Form.UndoStack().undo();
    QVERIFY(w.Form.QVMosaic1.RecordTileNo(8) != 1);
    // The right click takes the cell under the mouse and shows the cell items only.
    QVERIFY(w.Form.PrepareGridPopup(0, 2));
    QCOMPARE(manual.Selected.back(), (std::pair<int, int>{0, 2}));
    QCOMPARE(w.Shown().size(), 2);
    QVERIFY(!w.Shown()[0].endsWith(") "));  // no flip code in this case
    // On "Forced tiles" the window is not told and Enter does nothing.
    manual.Shows = TManualPage::ForcedTiles;
    w.Grid->SetCurrent(1, 1);
    QCOMPARE(manual.Selected.size(), size_t(2));
    QCOMPARE(w.Form.StatusText(1), QString("Press <Del> key to erase cell"));
    QTest::keyClick(w.Grid, Qt::Key_Return);
    QCOMPARE(manual.Replaced.size(), size_t(1));
    w.Form.ManualWindow = nullptr;
  }

  void CandidatePopupAndCellItems() {
    TEditFixture fx(20, 4, 3);
    TComposed w(fx);
    TMainPreferences p = w.Form.Preferences();
    p.CandidateCount = 5;
    p.CandidatePopupAllowed = true;
    w.Form.SetPreferences(p);
    QCOMPARE(w.Form.CellPopupMenu()->actions().size(), 8);

    QVERIFY(w.Form.PrepareGridPopup(2, 1));
    QCOMPARE(w.Grid->Col(), 2);
    QCOMPARE(w.Form.QVLib1.OrderCount, 7);  // two more asked than shown
    const QStringList shown = w.Shown();
    QCOMPARE(shown.size(), 2 + 5);  // no library inspector installed: no "Find this tile ..."
    QVERIFY(shown[0].startsWith("Show file p"));
    QCOMPARE(shown[1], QString("Erase this cell (3x2)"));
    for (int i = 3; i < 8; ++i) {
      QVERIFY(w.Item(i)->isVisible() && w.Item(i)->isEnabled());
      QVERIFY(!w.Item(i)->icon().isNull());  // the tile's thumbnail
      QCOMPARE(w.Item(i)->data().toInt(), i - 2);
    }
    QVERIFY(!w.Item(0)->icon().isNull());
    // The third best: its tile goes into the cell.
    w.Form.QVLib1.Go(3);
    const int32_t third = w.Form.QVLib1.TileNumberOf(w.Form.QVLib1.RecNo);
    QVERIFY(w.Item(5)->text().startsWith(QString::fromStdString(w.Form.QVLib1.Name) + " ("));
    const int32_t before = w.Form.QVMosaic1.RecordTileNo(7);
    // Another search reorders the library before the click: the tile shown is still placed.
    w.Form.QVLib1.OrderByName(false);
    w.Item(5)->trigger();
    QCOMPARE(w.Form.QVMosaic1.RecordTileNo(7), third);
    QCOMPARE(w.Form.UndoStack().undoText(), QString("Replace cell"));
    w.Form.UndoStack().undo();
    QCOMPARE(w.Form.QVMosaic1.RecordTileNo(7), before);

    // "Show file" of a tile whose picture has gone shows the stored thumbnail.
    QVERIFY(w.Form.PrepareGridPopup(2, 1));
    QVERIFY(QFile::remove(QString::fromStdString(w.Form.QVMosaic1.RecordName(7))));
    QString title;
    fx.Prompts.Dialogs.push_back([&](QDialog& d) {
      title = d.windowTitle();
      return 0;
    });
    w.Item(0)->trigger();
    QVERIFY2(title.startsWith("File not found, it's a stored thumbnial ("), qPrintable(title));

    // "Erase this cell", then the empty cell's three items are disabled.
    w.Item(1)->trigger();
    QCOMPARE(w.Form.QVMosaic1.RecordTileNo(7), 0);
    QVERIFY(w.Form.PrepareGridPopup(2, 1));
    for (int i = 0; i < 2; ++i) QVERIFY(!w.Item(i)->isEnabled());

    // Without candidates in the pop-up only the cell items show.
    p.CandidatePopupAllowed = false;
    w.Form.SetPreferences(p);
    QVERIFY(w.Form.PrepareGridPopup(1, 1));
    QCOMPARE(w.Shown().size(), 2);
  }

  // The stored candidate number may be as large as 999999. The pop-up then lists what fits
  // on the screen in one column (a menu of a million items froze the window at its start and
  // at every right click), and the screen is filled.
  void HugeCandidateCountListsOneScreenful() {
    TEditFixture fx(40, 4, 3);
    IniWriteInt(fx.Settings(), "Advanced", "ShowBestCndidates", 999999);
    TComposed w(fx);
    QCOMPARE(w.Form.Preferences().CandidateCount, 999999);
    QMenu* menu = w.Form.CellPopupMenu();
    QVERIFY(menu->actions().size() < 200);
    Child<TVNSpinEdit>(w.Form, "SpinRadius2")->SetValue(0);  // every tile may be a candidate
    QVERIFY(w.Form.PrepareGridPopup(1, 1));
    const int candidates = int(w.Shown().size()) - 2;
    QVERIFY(candidates >= 5 && candidates < 40);
    QVERIFY(w.Form.QVLib1.OrderCount <= candidates + 2);

    const QRect screen = w.Form.screen()->availableGeometry();
    QRect first, last;
    for (QAction* a : menu->actions()) {
      if (!a->isVisible()) continue;
      const QRect r = menu->actionGeometry(a);
      if (first.isNull()) first = r;
      QCOMPARE(r.left(), first.left());  // no second column
      last = r;
    }
    QVERIFY(menu->sizeHint().height() <= screen.height());
    QVERIFY2(last.bottom() + 2 * last.height() > screen.height(),
             qPrintable(QString("%1 items end at %2 of %3").arg(candidates).arg(last.bottom()).arg(screen.height())));
    // The last candidate listed is placed like any other.
    const QList<QAction*> items = menu->actions();
    items[candidates + 2]->trigger();
    QCOMPARE(w.Form.UndoStack().undoText(), QString("Replace cell"));
  }
};

QTEST_MAIN(MainFormEditTest)
#include "MainFormEditTest.moc"
