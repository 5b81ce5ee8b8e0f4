// The library inspector: its summary and rows, the columns and rows of "Make Mosaic from
// Library", the search for a cell's tile, the deleted marks and pop-up, and every maintenance
// command checked through the library file and the project made from the library.
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <filesystem>

#include "MainFormFixture.h"
#include "MenuItems.h"
#include "controls/SpinEdits.h"
#include "engine/LibraryMaintenance.h"
#include "library/LibResSetDlg.h"
#include "library/LibraryCommands.h"
#include "library/LibraryInspector.h"
#include "mainwindow/MosaicView.h"

using namespace qv;
using qvtest::Child;
using qvtest::TMainFormFixture;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

void Click(QObject* o, const char* name) { QTest::mouseClick(Child<QPushButton>(o, name), Qt::LeftButton); }

// An inspector opened as the main window opens it.
struct TOpened {
  TLibrayMosaic Form;
  explicit TOpened(TForm1& main, bool show = true) : Form(main) {
    main.QVLib1.ClearOrder();
    Form.ShowLibInfo();
    Form.SetTileRows();
    if (show) Form.show();
  }
  int Rows() { return Child<QTableView>(&Form, "DrawGrid1")->model()->rowCount(); }
  QString Summary() { return Child<QLabel>(&Form, "Label1")->text(); }
};

}  // namespace

class LibraryInspectorTest : public QObject {
  Q_OBJECT
 private slots:
  void SummaryRowsAndMosaicSides() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 10);
    TForm1 form(fx.Settings());
    form.OpenLibraryByName(lib);
    QVERIFY(form.QVLib1.AddFlippedCopies(kFlipHorizontal));
    QVERIFY(form.QVLib1.AddFlippedCopies(kFlipRotate180));
    form.QVLib1.Save();
    TOpened in(form);
    QCOMPARE(in.Summary(), QString("10 (HR) rec. (YCC) 4/4 - 6/6"));
    QCOMPARE(Child<QLabel>(&in.Form, "Label4")->text(), "Lib: " + Q(lib));
    QCOMPARE(in.Rows(), 10);  // flipped copies get no rows
    auto* cols = Child<TVNSpinEdit>(&in.Form, "VNSpinEdit1");
    auto* rows = Child<TVNSpinEdit>(&in.Form, "VNSpinEdit2");
    QCOMPARE(cols->Value(), 3);
    QCOMPARE(rows->Value(), 4);
    cols->SetValue(5);
    QCOMPARE(rows->Value(), 2);
    rows->SetValue(3);
    QCOMPARE(cols->Value(), 4);
    // The sample swatch shows only with the colour order.
    QVERIFY(Child<QToolButton>(&in.Form, "Shape1")->isHidden());
    Child<QRadioButton>(&in.Form, "RadioButtonColor")->setChecked(true);
    QVERIFY(!Child<QToolButton>(&in.Form, "Shape1")->isHidden());
    // A row resized by the user sets every row's height, at least three lines of text.
    QHeaderView* rowHeads = Child<QTableView>(&in.Form, "DrawGrid1")->verticalHeader();
    rowHeads->resizeSection(4, 90);
    QCOMPARE(rowHeads->sectionSize(0), 90);
    QCOMPARE(rowHeads->sectionSize(9), 90);
    rowHeads->resizeSection(2, 5);
    QCOMPARE(rowHeads->sectionSize(7), 3 * QFontMetrics(in.Form.font()).height() + 6);
    // The window paints every kind of row (deleted, selected) without trouble.
    SetTileDeleted(form.QVLib1, 2, true);
    in.Form.SelectTile(2);
    in.Form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&in.Form));
    QVERIFY(!in.Form.grab().isNull());
    SetTileDeleted(form.QVLib1, 2, false);
    form.QVLib1.Modified = false;
  }

  void FindsTheTileOfACell() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 10);
    TForm1 form(fx.Settings());
    form.OpenLibraryByName(lib);
    TOpened in(form);
    const std::string name = form.QVLib1.RecordName(7);
    QVERIFY(in.Form.FindTile(name));
    QCOMPARE(in.Form.CurrentTile(), 7);
    QVERIFY(fx.Prompts.Messages.empty());

    // A name that is not there: the warning, and the grid back at row 1.
    QVERIFY(!in.Form.FindTile("/elsewhere/custom.jpg"));
    QCOMPARE(fx.Prompts.LastText(), QString("File\r/elsewhere/custom.jpg\rwas not found in the current library.\r"
                                            "It seems that this file was added as a custom tile\r"
                                            "or belongs to another library."));
    QCOMPARE(fx.Prompts.Messages.back().Caption, QString("Quivara"));
    QCOMPARE(in.Form.CurrentTile(), 1);

    // Opened to find a tile, the window looks once when it comes up.
    TOpened finder(form, false);
    finder.Form.SearchFileName = form.QVLib1.RecordName(9);
    QTimer::singleShot(0, &finder.Form, [&] {
      QTRY_COMPARE(finder.Form.CurrentTile(), 9);
      finder.Form.close();
    });
    finder.Form.exec();
  }

  void DeletedMarksPopupAndRemoval() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 5);
    TForm1 form(fx.Settings());
    form.OpenLibraryByName(lib);
    TOpened in(form);
    QVERIFY(!Child<QPushButton>(&in.Form, "BtnRemoveDeleted")->isEnabled());
    QMenu* menu = in.Form.PopupFor(2);
    QVERIFY(menu->actions()[0]->text().startsWith("Show file p1.jpg ("));
    QCOMPARE(menu->actions()[1]->text(), QString("Mark deleted this tile (Del)"));
    in.Form.SelectTile(2);
    QTest::keyClick(Child<QTableView>(&in.Form, "DrawGrid1"), Qt::Key_Delete);
    QVERIFY(TileDeleted(form.QVLib1, 2));
    QCOMPARE(in.Form.PopupFor(2)->actions()[1]->text(), QString("Restore this tile (Del)"));
    in.Form.PopupFor(4)->actions()[1]->trigger();
    QVERIFY(TileDeleted(form.QVLib1, 4));
    QVERIFY(Child<QPushButton>(&in.Form, "BtnRemoveDeleted")->isEnabled());

    // Closing asks; Cancel keeps the window, Yes removes the deleted tiles and writes the file.
    fx.Prompts.Answers.push_back(pbCancel);
    QVERIFY(!in.Form.close());
    QCOMPARE(fx.Prompts.LastText(), QString("Library was changed.\rSave before exit?"));
    QCOMPARE(fx.Prompts.Messages.back().Default, pbNo);
    fx.Prompts.Answers.push_back(pbYes);
    QVERIFY(in.Form.close());
    TQVData back;
    QVERIFY(back.Open(lib));
    QCOMPARE(back.Count, 3);
    QCOMPARE(back.RecordName(2), form.QVLib1.RecordName(2));
    QVERIFY(!form.QVLib1.Modified);
  }

  void ShowFileFramesThePictureOrShowsTheThumbnail() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 3);
    TForm1 form(fx.Settings());
    form.OpenLibraryByName(lib);
    TOpened in(form);
    QString caption, label;
    auto look = [&](QDialog& d) {
      caption = d.windowTitle();
      label = Child<QLabel>(&d, "Label1")->text();
      return int(QDialog::Accepted);
    };
    fx.Prompts.Dialogs.push_back(look);
    in.Form.PopupFor(2)->actions()[0]->trigger();
    QCOMPARE(fx.Prompts.DialogNames.back(), QString("TilePrev"));
    QCOMPARE(caption, QString("p1.jpg (24x18)"));
    QCOMPARE(label, Q(fx.Dir.File("lib_pictures/p1.jpg")));
    std::filesystem::remove(fx.Dir.File("lib_pictures/p1.jpg"));
    fx.Prompts.Dialogs.push_back(look);
    in.Form.ShowFile(2);
    QCOMPARE(caption, QString("File not found, it's a stored thumbnial (42x42)"));
    QCOMPARE(label, Q(fx.Dir.File("lib_pictures/p1.jpg") + " (not found!)"));
  }

  void NoDiscardsTheMarks() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 3);
    TForm1 form(fx.Settings());
    form.OpenLibraryByName(lib);
    TOpened in(form);
    in.Form.ToggleDeleted(1);
    // Esc asks the closing question too.
    fx.Prompts.Answers.push_back(pbCancel);
    QTest::keyClick(&in.Form, Qt::Key_Escape);
    QVERIFY(in.Form.isVisible());
    QCOMPARE(fx.Prompts.LastText(), QString("Library was changed.\rSave before exit?"));
    fx.Prompts.Answers.push_back(pbNo);
    QVERIFY(in.Form.close());
    QVERIFY(!form.QVLib1.Modified);
    QVERIFY(!TileDeleted(form.QVLib1, 1));  // the library is as its file has it
  }

  void AFailedWriteKeepsTheWindowAndTheFile() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 3);
    const std::string moved = fx.Dir.File("sub");
    std::filesystem::create_directories(moved);
    std::filesystem::copy_file(lib, moved + "/lib.qv2");
    TForm1 form(fx.Settings());
    form.OpenLibraryByName(moved + "/lib.qv2");
    TOpened in(form);
    in.Form.ToggleDeleted(2);
    std::filesystem::remove_all(moved);  // the folder is gone: nothing can be written there
    fx.Prompts.Answers.push_back(pbYes);
    QVERIFY(!in.Form.close());
    QVERIFY(fx.Prompts.LastText().contains("The library file was left as it was."));
    QVERIFY(form.QVLib1.Modified);
    // Removing every tile is refused with a message.
    in.Form.ToggleDeleted(1);
    in.Form.ToggleDeleted(3);
    QVERIFY(!in.Form.RemoveDeletedClick());
    QVERIFY(fx.Prompts.LastText().startsWith("Every tile of the library is marked deleted."));
    fx.Prompts.Answers.push_back(pbNo);
    QVERIFY(in.Form.close());
  }

  void AReadOnlyLibraryIsNeverReplaced() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 3);
    TForm1 form(fx.Settings());
    form.OpenLibraryByName(lib);
    TOpened in(form);
    const std::string before = qvtest::FileBytes(lib);
    std::filesystem::permissions(lib, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    in.Form.ToggleDeleted(2);
    QVERIFY(!in.Form.RemoveDeletedClick());
    QCOMPARE(fx.Prompts.LastText(), Q("Library file\r" + lib + "\ris read-only: it was left as it was."));
    Click(&in.Form, "BtnAddFlips");
    QVERIFY(fx.Prompts.DialogNames.empty());  // refused before asking which flips
    QCOMPARE(qvtest::FileBytes(lib), before);
    fx.Prompts.Answers.push_back(pbNo);
    QVERIFY(in.Form.close());
  }

  void AppendCleanDoublesAndFlips() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 4);
    TForm1 form(fx.Settings());
    form.OpenLibraryByName(lib);
    TOpened in(form);
    // The same folder once more: every name comes twice.
    fx.Prompts.Folders.push_back(Q(fx.Dir.File("lib_pictures")));
    Click(&in.Form, "BtnAppend");
    QCOMPARE(form.QVLib1.Count, 8);
    QCOMPARE(in.Rows(), 8);
    QCOMPARE(fx.Prompts.LastText(), QString("4 pictures were appended to the library."));
    Click(&in.Form, "BtnCleanDouble");
    QCOMPARE(fx.Prompts.LastText(), QString("4 tiles with a repeated path and name were marked deleted."));
    for (int k = 1; k <= 8; ++k) QCOMPARE(TileDeleted(form.QVLib1, k), k > 4);
    QVERIFY(in.Form.RemoveDeletedClick());
    QCOMPARE(fx.Prompts.LastText(), QString("4 deleted tiles were removed from the library."));
    QCOMPARE(in.Rows(), 4);

    // Asked with the main window's orientation captions.
    fx.Prompts.Dialogs.push_back([](QDialog& d) {
      auto* h = Child<QCheckBox>(&d, "CBFlipH");
      auto* r = Child<QCheckBox>(&d, "CBRota180");
      if (h->text() != "H Flip" || r->text() != "180") return int(QDialog::Rejected);
      h->setChecked(true);
      r->setChecked(true);
      return int(QDialog::Accepted);
    });
    Click(&in.Form, "BtnAddFlips");
    TQVData back;
    QVERIFY(back.Open(lib));
    QCOMPARE(back.Count, 12);
    QCOMPARE(back.FlipKinds[0], uint8_t(kFlipHorizontal));
    QCOMPARE(back.FlipKinds[1], uint8_t(kFlipRotate180));
    QCOMPARE(in.Summary(), QString("4 (HR) rec. (YCC) 4/4 - 6/6"));
    Click(&in.Form, "BtnRemoveFlips");
    QVERIFY(back.Open(lib));
    QCOMPARE(back.Count, 4);
    QCOMPARE(back.FlipKinds[0], uint8_t(0));
    QVERIFY(!Child<QPushButton>(&in.Form, "BtnRemoveFlips")->isEnabled());
  }

  void ResampleIntoANewFileAndOpenIt() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 4);
    TForm1 form(fx.Settings());
    form.OpenLibraryByName(lib);
    TOpened in(form);
    int startGrid = 0;
    fx.Prompts.Dialogs.push_back([&](QDialog& d) {
      startGrid = Child<TVNSpinEdit>(&d, "VNSpinEdit1")->Value();  // starts at the library's grid
      Child<TVNSpinEdit>(&d, "VNSpinEdit1")->SetValue(8);
      Child<TVNSpinEdit>(&d, "VNSpinEdit2")->SetValue(5);
      Child<QRadioButton>(&d, "RadioButton2")->setChecked(true);
      Click(&d, "BitBtn2");
      return d.result();
    });
    const std::string out = fx.Dir.File("lib8.qv2");
    fx.Prompts.Files.push_back(Q(out));
    fx.Prompts.Answers.push_back(pbYes);
    in.Form.ResampleClick();
    QCOMPARE(startGrid, 6);
    QCOMPARE(fx.Prompts.DialogNames.back(), QString("LibResSetDlg"));
    QCOMPARE(fx.Prompts.SaveRequests.back().FileName, Q(fx.Dir.Path() + "/lib_8x5rgb.qv2"));
    QCOMPARE(Q(form.QVLib1.BaseName()), Q(out));
    QCOMPARE(form.QVLib1.GridW, 8);
    QCOMPARE(form.QVLib1.GridH, 5);
    QCOMPARE(form.QVLib1.ColorSystem, uint8_t(kColorRGB));
    QCOMPARE(in.Summary(), QString("4 rec. (RGB) 4/4 - 8/5"));

    // The open library's own file is refused as the target.
    fx.Prompts.Dialogs.push_back([](QDialog& d) {
      Click(&d, "BitBtn2");
      return d.result();
    });
    fx.Prompts.Files.push_back(Q(out));
    in.Form.ResampleClick();
    QVERIFY(fx.Prompts.LastText().startsWith("The resampled library needs a file of its own"));
  }

  void CreateShowsTheLibraryAsAMosaic() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 5);
    TForm1 form(fx.Settings());
    InstallLibraryCommands(form);
    form.OpenLibraryByName(lib);
    const std::string project = fx.Dir.File("shown.qvp");
    fx.Prompts.Files.push_back(Q(project));
    QTimer::singleShot(0, this, [&] {
      auto* in = qobject_cast<TLibrayMosaic*>(QApplication::activeModalWidget());
      QVERIFY(in);
      QCOMPARE(Child<TVNSpinEdit>(in, "VNSpinEdit1")->Value(), 2);
      QCOMPARE(Child<TVNSpinEdit>(in, "VNSpinEdit2")->Value(), 3);
      in->ToggleDeleted(3);  // a deleted tile is left out
      Child<QRadioButton>(in, "RadioButtonAsIs")->setChecked(true);
      Click(in, "BtnCreate");
    });
    emit Child<QMenu>(form, "Edit1")->aboutToShow();
    form.findChild<QAction*>("Showlibraryasmosaic1")->trigger();
    QVERIFY(form.QVPlan1.TableIsOpen());
    QCOMPARE(Q(form.QVPlan1.BaseName()), Q(project));
    QCOMPARE(form.QVPlan1.Cols, 2);
    QCOMPARE(form.QVPlan1.Rows, 3);
    QCOMPARE(qvtest::CellTiles(form.QVMosaic1), (std::vector<int32_t>{1, 2, 4, 5, 0, 0}));
    QVERIFY(Child<QRadioButton>(form, "RBTarget1")->isChecked());
    QVERIFY(form.MosaicView().View() == TGridView::Target);
    // The deleted mark was written before the project opened its library.
    QVERIFY(TileDeleted(form.QVLib1, 3));

    // Removing the deleted tile renumbers the open project's cells.
    QTimer::singleShot(0, this, [&] {
      auto* in = qobject_cast<TLibrayMosaic*>(QApplication::activeModalWidget());
      QVERIFY(in->RemoveDeletedClick());
      in->close();
    });
    emit Child<QMenu>(form, "Edit1")->aboutToShow();
    form.findChild<QAction*>("Libraryinspector1")->trigger();
    QCOMPARE(qvtest::CellTiles(form.QVMosaic1), (std::vector<int32_t>{1, 2, 3, 4, 0, 0}));
    QVERIFY(form.QVMosaic1.Modified);
  }

  void MainWindowEntries() {
    TMainFormFixture fx;
    TForm1 form(fx.Settings());
    InstallLibraryCommands(form);
    QAction* newLibrary = form.findChild<QAction*>("Newlibrary1");
    QAction* inspector = form.findChild<QAction*>("Libraryinspector1");
    QAction* asMosaic = form.findChild<QAction*>("Showlibraryasmosaic1");
    QVERIFY(newLibrary && inspector && asMosaic);
    const QList<QAction*> file = qvtest::ShownActions(Child<QMenu>(form, "File1"));
    QCOMPARE(file.first(), newLibrary);
    QVERIFY(file[1]->isSeparator());
    QCOMPARE(newLibrary->text(), QString("New library..."));
    QVERIFY(Child<QMenu>(form, "Edit1")->menuAction()->isVisible());
    emit Child<QMenu>(form, "Edit1")->aboutToShow();
    QVERIFY(!inspector->isEnabled());
    QVERIFY(!asMosaic->isEnabled());
    form.OpenLibraryByName(fx.MakeLibrary("lib", 2));
    emit Child<QMenu>(form, "Edit1")->aboutToShow();
    QVERIFY(inspector->isEnabled());
    form.SetForStartMosaic();
    emit Child<QMenu>(form, "Edit1")->aboutToShow();
    QVERIFY(!inspector->isEnabled());
    form.SetForEndMosaic();
    // The toolbar button opens the dialog.
    QTimer::singleShot(0, this, [] {
      QWidget* d = QApplication::activeModalWidget();
      QVERIFY(d);
      QCOMPARE(d->windowTitle(), QString("New library"));
      d->close();
    });
    Child<QToolButton>(form, "SpeedButton1")->click();
  }
};

QTEST_MAIN(LibraryInspectorTest)
#include "LibraryInspectorTest.moc"
