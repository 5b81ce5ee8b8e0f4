// The manual tiles window: the candidate list and its placement, custom tiles cut from a
// picture file, the forced library's checks and "Replace all" over a selection, and closing
// the window while "Replace all" runs.
#include <QCheckBox>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>
#include <fstream>
#include <set>

#include "MainFormFixture.h"
#include "controls/CropImage.h"
#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "mainwindow/MosaicView.h"
#include "manual/ManualCommands.h"
#include "manual/ManualForma.h"
#include "manual/TileList.h"
#include "models/ManualTiles.h"
#include "settings/IniFile.h"

using namespace qv;
using qvtest::CellTiles;
using qvtest::Child;
using qvtest::TMainFormFixture;

namespace {

void Click(QObject* o, const char* name) { QTest::mouseClick(Child<QPushButton>(o, name), Qt::LeftButton); }

int CustomCells(const TQVData& mosaic) {
  const std::vector<int32_t> tiles = CellTiles(mosaic);
  return int(std::count(tiles.begin(), tiles.end(), kCustomPictureTileNo));
}

// A main window with a project of cols x rows cells on a library of tiles tiles, and its
// manual tiles window installed.
struct TManualFixture : TMainFormFixture {
  std::string Library, Project;
  std::unique_ptr<TForm1> Form;
  TManualForma* Window = nullptr;
  TManualFixture(int tiles, int cols, int rows) {
    Library = MakeLibrary("lib", tiles);
    Project = MakeProject("proj", Library, cols, rows);
    Form = std::make_unique<TForm1>(Settings());
    Window = InstallManualTilesCommands(*Form);
    Form->OpenQVP(Project);
  }
  TDrawGrid& Grid() { return *Form->MosaicView().DrawGrid1; }
  TTileList& Candidates() { return *Child<TTileList>(Window, "DrawGrid1"); }
};

}  // namespace

class ManualFormaTest : public QObject {
  Q_OBJECT
 private slots:
  void CandidateListAndReplace() {
    TManualFixture fx(3, 4, 3);
    QCOMPARE(fx.Form->ManualWindow, static_cast<TManualTilesWindow*>(fx.Window));
    Child<TVNSpinEdit>(fx.Window, "VNSpinEdit1")->SetValue(5);
    Child<QAction>(*fx.Form, "Manualtilesmode1")->trigger();
    QVERIFY(fx.Window->IsShown());
    QCOMPARE(fx.Window->TargetCol, -1);
    QCOMPARE(fx.Candidates().RowCount(), 3);  // "Show best:" 5 on a library of 3 tiles

    // A cell chosen in the main grid: its candidates, best first; a chosen row is previewed
    // there and "Replace" writes exactly that tile.
    fx.Window->CellSelected(2, 1);
    QCOMPARE(fx.Window->TargetCol, 2);
    QCOMPARE(fx.Window->TargetRow, 1);
    QCOMPARE(Child<QLabel>(fx.Window, "StatusPanel1")->text().left(16), QString("Cell: 3:2  Pic: "));
    QCOMPARE(fx.Candidates().RowCount(), 3);
    QCOMPARE(fx.Candidates().CurrentRow(), 1);
    QVERIFY(!fx.Form->MosaicView().HasPreview());  // the cell shows its own tile until a row is chosen
    TTileList& list = fx.Candidates();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(0, 0)).center());
    QVERIFY(fx.Form->MosaicView().HasPreview());
    fx.Candidates().SetCurrentRow(3);
    QVERIFY(fx.Form->MosaicView().HasPreview());
    // The pop-ups: a candidate's file, and the target cell's own tile (none yet: disabled).
    QAction* show = fx.Window->CandidatePopup(2)->actions().value(0);
    QVERIFY(show->text().startsWith("Show file p") && show->text().endsWith(" (24/18)"));
    QVERIFY(show->isEnabled());
    QVERIFY(!fx.Window->CandidatePopup(0)->actions().value(0)->isEnabled());
    fx.Form->QVLib1.Go(3);
    const int32_t third = fx.Form->QVLib1.TileNumberOf(fx.Form->QVLib1.RecNo);
    const std::vector<int32_t> before = CellTiles(fx.Form->QVMosaic1);
    Click(fx.Window, "BtnReplace1");
    std::vector<int32_t> after = CellTiles(fx.Form->QVMosaic1);
    QCOMPARE(after[6], third);  // cell (2, 1) of 4 columns is record 7
    after[6] = before[6];
    QCOMPARE(after, before);
    QVERIFY(!fx.Form->MosaicView().HasPreview());

    // "Close": no target, no candidate order; "Replace" then writes nothing.
    Click(fx.Window, "BtnClose1");
    QVERIFY(!fx.Window->IsShown());
    QCOMPARE(fx.Window->TargetCol, -1);
    QCOMPARE(fx.Form->QVLib1.OrderKeyWidth, 0);
  }

  void SettingsKeptWithTheMainWindow() {
    TMainFormFixture fx;
    {
      TForm1 form(fx.Settings());
      TManualForma* window = InstallManualTilesCommands(form);
      Child<TVNSpinEdit>(window, "VNSpinEdit1")->SetValue(7);
      window->show();
      window->resize(700, 450);
    }  // the window goes with the main window and writes its settings then
    QCOMPARE(IniReadInt(fx.Settings(), "LayOut", "ManualRows", 0), 7);
    QVERIFY(IniReadInt(fx.Settings(), "LayOut", "ManualFormPanel", 0) > 0);
    TForm1 form(fx.Settings());
    TManualForma* window = InstallManualTilesCommands(form);
    QCOMPARE(Child<TVNSpinEdit>(window, "VNSpinEdit1")->Value(), 7);
    QCOMPARE(window->width(), 700);
  }

  void CustomTile() {
    TManualFixture fx(6, 4, 3);
    fx.Window->ShowWindow();
    fx.Window->SetPage(TManualPage::CustomTiles);
    const std::string picture = fx.Dir.File("custom.jpg");
    qvtest::WriteTestJpeg(picture, 300, 120, 4242);
    fx.Window->OpenCustomPicture(picture);
    auto* crop = Child<TCropImage>(fx.Window, "CropImage1");
    QVERIFY(fx.Window->HasCustomPicture());
    QCOMPARE(crop->PictureCropRect(), (Rect{90, 0, 210, 120}));  // the largest 4:4 frame, centred

    // No target cell yet: "Replace" writes nothing.
    const std::vector<int32_t> empty = CellTiles(fx.Form->QVMosaic1);
    Click(fx.Window, "BtnReplace2");
    QCOMPARE(CellTiles(fx.Form->QVMosaic1), empty);
    QVERIFY(!fx.Form->QVMosaic1.Modified);

    // A picture that cannot be read leaves the view as it was.
    const std::string broken = fx.Dir.File("broken.jpg");
    std::ofstream(broken) << "not a picture";
    fx.Window->OpenCustomPicture(broken);
    QCOMPARE(crop->PictureFileName(), picture);

    // "Find" ranks every cell; a line makes its cell the main grid's current cell.
    Click(fx.Window, "BtnFind2");
    auto* list = Child<QListWidget>(fx.Window, "ListBox1");
    QCOMPARE(list->count(), 12);
    QRegularExpression line(R"(^\d{3}  \d{3}  \(001\)$)");
    QVERIFY2(line.match(list->item(0)->text()).hasMatch(), qPrintable(list->item(0)->text()));
    list->setCurrentRow(4);
    const QString text = list->item(4)->text();
    const int col = text.left(3).toInt() - 1, row = text.mid(5, 3).toInt() - 1;
    QCOMPARE(fx.Grid().Col(), col);
    QCOMPARE(fx.Grid().Row(), row);
    QCOMPARE(fx.Window->TargetCol, col);

    // Placed twice into the same cell, the mosaic still holds one valid record there.
    const int32_t cell = row * 4 + col + 1;
    Click(fx.Window, "BtnReplace2");
    Click(fx.Window, "BtnReplace2");
    TQVData& mosaic = fx.Form->QVMosaic1;
    QCOMPARE(mosaic.RecordTileNo(cell), kCustomPictureTileNo);
    QCOMPARE(fx.Form->UndoStack().undoText(), QString("Place custom tile"));
    fx.Form->SaveQVP();
    TQVData plan, reread;
    QVERIFY(plan.OpenProject(fx.Project, reread));
    QVERIFY(reread.GoRecord(cell));
    QCOMPARE(reread.TileNo, kCustomPictureTileNo);
    QCOMPARE(reread.Name, picture);
    QCOMPARE((Rect{reread.CropLeft, reread.CropTop, reread.CropRight, reread.CropBottom}), (Rect{90, 0, 210, 120}));
    QCOMPARE(reread.PicWidth, 300);
    QCOMPARE(reread.PicHeight, 120);
    QCOMPARE(CustomCells(reread), 1);
    // The cut is kept at the size of the library's thumbnails, not at the picture's.
    TQVData lib;
    lib.ShowThumbs = reread.ShowThumbs = true;
    QVERIFY(lib.Open(fx.Library) && lib.GoRecord(1) && reread.GoRecord(cell));
    QCOMPARE(reread.ThumbBitmap.Width(), lib.ThumbBitmap.Width());
    QCOMPARE(reread.ThumbBitmap.Height(), lib.ThumbBitmap.Height());

    // A composition with "Fix custom" leaves the custom tile.
    Child<QCheckBox>(*fx.Form, "ChkFixManual")->setChecked(true);
    Child<TVNSpinEdit>(*fx.Form, "SpinRadius2")->SetValue(0);
    fx.Form->Mosaicall1Click();
    QCOMPARE(mosaic.RecordTileNo(cell), kCustomPictureTileNo);
    QCOMPARE(qvtest::FilledCells(mosaic), 12);
  }

  void ForcedLibraryChecks() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 4);
    const std::string other = fx.MakeLibrary("grid4", 4, 4, 4, 4);
    const std::string wide = fx.MakeLibrary("wide", 4, 4, 3, 6);
    const std::string text = fx.Dir.File("text.qv2");
    std::ofstream(text) << "no library";
    TForm1 form(fx.Settings());
    TManualForma* window = InstallManualTilesCommands(form);
    form.OpenLibraryByName(lib);

    fx.Prompts.Files = {QString::fromStdString(other)};
    window->OpenBaseClick();
    QCOMPARE(fx.Prompts.LastText(), QString("Library can't be open. You should open project first!"));
    QCOMPARE(fx.Prompts.Messages.back().Caption, QString("Quivara 3"));

    fx.Prompts.Files.clear();
    form.OpenQVP(fx.MakeProject("proj", lib, 3, 3));
    const QString q = QString::fromStdString(other);
    window->OpenForcedBase(other);
    QCOMPARE(fx.Prompts.LastText(), "Library\r" + q + "\rcan't be open.\rIt has a different sampling rate.");
    window->OpenForcedBase(wide);
    QCOMPARE(fx.Prompts.LastText(), "Library\r" + QString::fromStdString(wide) +
                                        "\rcan't be open.\rIt has a different tile height/width proportions.");
    window->OpenForcedBase(text);
    QCOMPARE(fx.Prompts.LastText(), "File " + QString::fromStdString(text) + " is not Quivara base and can't be open.");
    QCOMPARE(fx.Prompts.Messages.back().Icon, TPromptIcon::Error);
    QVERIFY(!window->QVForcedLib1.TableIsOpen());
    QVERIFY(!Child<QPushButton>(window, "BtnReplaceAll")->isEnabled());

    fx.Prompts.Files = {QString::fromStdString(fx.MakeLibrary("forced", 5, 4, 4, 6, 300))};
    window->OpenBaseClick();
    QVERIFY(window->QVForcedLib1.TableIsOpen());
    QCOMPARE(Child<TTileList>(window, "DrawGrid2")->RowCount(), 5);
    Click(window, "BtnCloseBase");
    QVERIFY(!window->QVForcedLib1.TableIsOpen());
  }

  void ReplaceAllSpreadsOverSelection() {
    TManualFixture fx(6, 6, 4);
    const std::string forced = fx.MakeLibrary("forced", 20, 4, 4, 6, 500);
    fx.Window->ShowWindow();
    fx.Window->SetPage(TManualPage::ForcedTiles);
    fx.Window->OpenForcedBase(forced);
    fx.Grid().SetSelection({1, 1, 4, 3});  // 4 x 3 cells
    fx.Form->SaveQVP();
    const std::string saved = qvtest::FileBytes(fx.Project);
    Click(fx.Window, "BtnReplaceAll");

    // One undo step takes the whole pass back: the saved project is byte for byte as before.
    QCOMPARE(fx.Form->UndoStack().undoText(), QString("Replace all"));
    const std::vector<int32_t> placed = CellTiles(fx.Form->QVMosaic1);
    fx.Form->UndoStack().undo();
    fx.Form->SaveQVP();
    QVERIFY(qvtest::FileBytes(fx.Project) == saved);
    fx.Form->UndoStack().redo();
    QCOMPARE(CellTiles(fx.Form->QVMosaic1), placed);

    std::set<std::string> names;
    TQVData& mosaic = fx.Form->QVMosaic1;
    for (int32_t n = 1; n <= mosaic.Count; ++n) {
      const int col = (n - 1) % 6, row = (n - 1) / 6;
      const bool inside = col >= 1 && col <= 4 && row >= 1 && row <= 3;
      if (!inside) {
        QCOMPARE(mosaic.RecordTileNo(n), 0);
        continue;
      }
      QCOMPARE(mosaic.RecordTileNo(n), kCustomPictureTileNo);
      names.insert(mosaic.RecordName(n));
    }
    QCOMPARE(int(names.size()), 12);  // twelve different forced tiles
    QVERIFY(!fx.Form->MosaicRunning());
    QVERIFY(fx.Window->findChild<QProgressBar*>() == nullptr);
    QCOMPARE(fx.Form->QVPlan1.OrderKeyWidth, 0);

    // Every cell of the work area holds a forced tile now: another run places nothing, and
    // with "Inv select" the tiles go outside the selection.
    const std::vector<int32_t> full = CellTiles(mosaic);
    Click(fx.Window, "BtnReplaceAll");
    QCOMPARE(CellTiles(mosaic), full);
    Child<QCheckBox>(*fx.Form, "ChkInvertSelection")->setChecked(true);
    Click(fx.Window, "BtnReplaceAll");
    QCOMPARE(CustomCells(mosaic), 24);
  }

  void CloseDuringReplaceAll() {
    TManualFixture fx(6, 5, 4);
    const std::string forced = fx.MakeLibrary("forced", 20, 4, 4, 6, 700);
    fx.Window->ShowWindow();
    fx.Window->SetPage(TManualPage::ForcedTiles);
    fx.Window->OpenForcedBase(forced);
    bool lockedWhileRunning = false;
    QTimer::singleShot(0, fx.Window, [&] {
      lockedWhileRunning = fx.Form->MosaicRunning() && fx.Window->ReplaceAllRunning();
      fx.Window->close();
    });
    fx.Window->ReplaceAllClick();
    QVERIFY(lockedWhileRunning);
    QVERIFY(!fx.Window->IsShown());
    QVERIFY(!fx.Form->MosaicRunning());
    QVERIFY(!fx.Form->StopRequested);
    // Stopped after the tile in work: that one placed whole, nothing else touched.
    QCOMPARE(CustomCells(fx.Form->QVMosaic1), 1);
    fx.Form->SaveQVP();
    TQVData plan, reread;
    QVERIFY(plan.OpenProject(fx.Project, reread));
  }
};

QTEST_MAIN(ManualFormaTest)
#include "ManualFormaTest.moc"
