// Opening, saving, reverting and closing libraries and projects from the main window, the
// compatibility questions, the recent-file lists and the save question when it closes.
#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

#include "MainFormFixture.h"
#include "controls/DrawGrid.h"
#include "settings/IniFile.h"
#include "settings/RecentFiles.h"

using namespace qv;
using qvtest::Child;
using qvtest::TMainFormFixture;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QStringList MenuCaptions(QMenu* m) {
  QStringList s;
  for (QAction* a : m->actions()) s << a->data().toString();
  return s;
}

// Places library record 1 into cell n: the mosaic is modified.
void ChangeCell(TForm1& form, int n) {
  form.QVLib1.GoRecord(1);
  QVERIFY(form.QVMosaic1.PlaceTile(n, form.QVLib1, true));
  form.SetButtonsOnOff();
}

}  // namespace

class MainFormFilesTest : public QObject {
  Q_OBJECT
 private slots:
  void OpenProjectThroughItsDialog() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("proj", lib, 5, 4);
    TForm1 form(fx.Settings());
    fx.Prompts.Files.push_back(Q(project));
    Child<QToolButton>(form, "SpeedButton4")->click();
    QCOMPARE(int(fx.Prompts.OpenRequests.size()), 1);
    QCOMPARE(fx.Prompts.OpenRequests[0].Filter, QString("qvp (*.qvp);;qv2 (*.qv2)"));
    QCOMPARE(fx.Prompts.OpenRequests[0].Folder, Q(fx.Dir.Path() + "/"));  // the settings file's folder
    QVERIFY(form.QVPlan1.TableIsOpen() && form.QVMosaic1.TableIsOpen());
    QCOMPARE(Q(form.QVLib1.BaseName()), Q(lib));  // the project's library came with it
    QCOMPARE(Child<TDrawGrid>(form, "DrawGrid1")->ColCount(), 5);
    QCOMPARE(Child<TDrawGrid>(form, "DrawGrid1")->RowCount(), 4);
    QCOMPARE(form.windowTitle(), QString("Quivara 3 - (5x4) - proj.qvp"));
    QCOMPARE(MenuCaptions(Child<QMenu>(form, "Recentprojects1")), QStringList({Q(project)}));
    QCOMPARE(IniReadString(fx.Settings(), "LastPath", "Project", ""), fx.Dir.Path() + "/");
    QVERIFY(Child<QToolButton>(form, "SpeedButton7")->isEnabled());
    QVERIFY(!Child<QToolButton>(form, "SpeedButton5")->isEnabled());  // not modified yet

    // A library chosen through the dialog's second filter is refused with the engine's error.
    fx.Prompts.Files.push_back(Q(lib));
    Child<QToolButton>(form, "SpeedButton4")->click();
    QCOMPARE(int(fx.Prompts.Messages.size()), 1);
    QCOMPARE(fx.Prompts.Messages[0].Icon, TPromptIcon::Error);
    QCOMPARE(Q(form.QVPlan1.BaseName()), Q(project));  // the open project stayed
    QCOMPARE(MenuCaptions(Child<QMenu>(form, "Recentprojects1")), QStringList({Q(project)}));
  }

  void LibraryCompatibilityQuestions() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string same = fx.MakeLibrary("same", 5, 4, 4, 6, 50);
    std::string wide = fx.MakeLibrary("wide", 5, 4, 3, 6, 60);  // another proportion: test 1
    std::string fine = fx.MakeLibrary("fine", 5, 4, 4, 8, 70);  // another grid: test 2
    std::string project = fx.MakeProject("proj", lib, 3, 3);
    const std::string notLib = fx.Dir.File("proj_source.jpg");
    TForm1 form(fx.Settings());
    form.OpenQVP(project);

    // Same proportion and sampling: no question.
    QVERIFY(form.OpenLibraryByName(same));
    QCOMPARE(int(fx.Prompts.Messages.size()), 0);
    QCOMPARE(Q(form.QVLib1.BaseName()), Q(same));

    // Other sampling, Cancel: nothing changes.
    fx.Prompts.Answers = {pbCancel};
    QVERIFY(!form.OpenLibraryByName(fine));
    const TMessageRequest& q = fx.Prompts.Messages.back();
    QCOMPARE(q.Text, Q("Library \r" + fine + "\r has a different tile sampling.\r Close the current project?\r"));
    QCOMPARE(q.Caption, QString("Quivara 3"));
    QCOMPARE(q.Icon, TPromptIcon::Warning);
    QCOMPARE(q.Buttons, pbOK | pbCancel);
    QCOMPARE(q.Default, pbCancel);
    QCOMPARE(Q(form.QVLib1.BaseName()), Q(same));
    QVERIFY(form.QVPlan1.TableIsOpen());

    // OK, then Cancel to the save question of the modified project: both stay.
    ChangeCell(form, 1);
    fx.Prompts.Answers = {pbOK, pbCancel};
    QVERIFY(!form.OpenLibraryByName(fine));
    QCOMPARE(fx.Prompts.LastText(), QString("Project was modified. Save before close?"));
    QVERIFY(form.QVPlan1.TableIsOpen());
    QCOMPARE(Q(form.QVLib1.BaseName()), Q(same));

    // OK and No: the project closes unsaved, the library opens.
    fx.Prompts.Answers = {pbOK, pbNo};
    QVERIFY(form.OpenLibraryByName(fine));
    QVERIFY(!form.QVPlan1.TableIsOpen());
    QCOMPARE(Q(form.QVLib1.BaseName()), Q(fine));
    QCOMPARE(Child<TDrawGrid>(form, "DrawGrid1")->ColCount(), 1);

    // Without a project any library opens without a question.
    size_t asked = fx.Prompts.Messages.size();
    QVERIFY(form.OpenLibraryByName(wide));
    QVERIFY(form.OpenLibraryByName(same));
    QCOMPARE(fx.Prompts.Messages.size(), asked);

    // Other proportion, stretching not allowed: the close question with the ratio line.
    form.OpenQVP(project);
    fx.Prompts.Answers = {pbCancel};
    QVERIFY(!form.OpenLibraryByName(wide));
    QCOMPARE(fx.Prompts.LastText(),
             Q("Library \r" + wide + "\r has a different tile height/width ratio.\r Close the current project?\r"));

    // Stretching allowed: asked whether to stretch; OK keeps the project open.
    TMainPreferences stretching = form.Preferences();
    stretching.StretchAllowed = true;
    form.SetPreferences(stretching);
    fx.Prompts.Answers = {pbOK};
    QVERIFY(form.OpenLibraryByName(wide));
    QCOMPARE(fx.Prompts.LastText(),
             Q("Library \r" + wide + "\r has a different tile height/width ratio.\r Stretch library tiles?\r"));
    QCOMPARE(fx.Prompts.Messages.back().Icon, TPromptIcon::Question);
    QVERIFY(form.QVPlan1.TableIsOpen());
    QCOMPARE(Q(form.QVLib1.BaseName()), Q(wide));
    fx.Prompts.Answers = {pbCancel};
    QVERIFY(!form.OpenLibraryByName(lib));  // back from 4:3 to 4:4, Cancel
    QCOMPARE(Q(form.QVLib1.BaseName()), Q(wide));

    // Not a library at all.
    QVERIFY(!form.OpenLibraryByName(notLib));
    QCOMPARE(fx.Prompts.LastText(), Q("File " + notLib + " is not Quivara base and can't be open."));
    QCOMPARE(fx.Prompts.Messages.back().Icon, TPromptIcon::Error);
    QCOMPARE(fx.Prompts.Unanswered, 0);

    // The libraries opened are on their recent list, newest first (a project's own library
    // opened with it is not).
    QCOMPARE(MenuCaptions(Child<QMenu>(form, "Recentlibraries1")), QStringList({Q(wide), Q(same), Q(fine)}));
    QCOMPARE(IniReadString(fx.Settings(), "LastPath", "Library", ""), fx.Dir.Path() + "/");
  }

  void RecentLists() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::vector<std::string> p;
    for (int i = 0; i < 6; ++i) p.push_back(fx.MakeProject("p" + std::to_string(i), lib, 2, 2));
    TForm1 form(fx.Settings());
    form.OpenQVP(p[0]);
    form.OpenQVP(p[0]);
    QCOMPARE(MenuCaptions(Child<QMenu>(form, "Recentprojects1")), QStringList({Q(p[0])}));
    for (int i = 1; i < 6; ++i) form.OpenQVP(p[i]);
    QCOMPARE(MenuCaptions(Child<QMenu>(form, "Recentprojects1")),
             QStringList({Q(p[5]), Q(p[4]), Q(p[3]), Q(p[2]), Q(p[1])}));
    // The third entry, chosen from the menu, goes to the top; the others keep their order.
    Child<QMenu>(form, "Recentprojects1")->actions()[2]->trigger();
    QCOMPARE(Q(form.QVPlan1.BaseName()), Q(p[3]));
    QCOMPARE(MenuCaptions(Child<QMenu>(form, "Recentprojects1")),
             QStringList({Q(p[3]), Q(p[5]), Q(p[4]), Q(p[2]), Q(p[1])}));
    QCOMPARE(Child<QMenu>(form, "Recentprojects1")->actions()[0]->text(), Q(p[3]));
    // The lists survive in the settings file.
    QCOMPARE(ReadRecentList(fx.Settings(), TRecentKind::Project)[1], p[5]);
    TForm1 next(fx.Settings());
    QCOMPARE(MenuCaptions(Child<QMenu>(next, "Recentprojects1")).size(), 5);

    // A project named in upper or lower case is opened as a project.
    std::string upper = fx.Dir.File("UPPER.QVP");
    std::filesystem::copy_file(p[0], upper);
    next.RecentMenuClick(upper);
    QCOMPARE(Q(next.QVPlan1.BaseName()), Q(upper));
    next.RecentMenuClick(p[1]);
    QCOMPARE(Q(next.QVPlan1.BaseName()), Q(p[1]));

    // A project that has gone is skipped without a message and stays on the list.
    QCOMPARE(MenuCaptions(Child<QMenu>(next, "Recentprojects1")),
             QStringList({Q(p[1]), Q(upper), Q(p[3]), Q(p[5]), Q(p[4])}));
    std::filesystem::remove(p[4]);
    Child<QMenu>(next, "Recentprojects1")->actions()[4]->trigger();
    QCOMPARE(Q(next.QVPlan1.BaseName()), Q(p[1]));
    QCOMPARE(int(fx.Prompts.Messages.size()), 0);
    QCOMPARE(MenuCaptions(Child<QMenu>(next, "Recentprojects1")),
             QStringList({Q(p[1]), Q(upper), Q(p[3]), Q(p[5]), Q(p[4])}));

    // A library on the list opens through the compatibility test.
    next.RecentMenuClick(lib);
    QCOMPARE(Q(next.QVLib1.BaseName()), Q(lib));
  }

  void FileNamesWithAmpersandsShowAsTheyAre() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string odd = fx.Dir.File("cats & dogs.qv2");
    std::filesystem::copy_file(lib, odd);
    TForm1 form(fx.Settings());
    form.OpenLibraryByName(odd);
    QAction* item = Child<QMenu>(form, "Recentlibraries1")->actions()[0];
    QCOMPARE(item->data().toString(), Q(odd));
    QCOMPARE(item->iconText(), Q(odd));
  }

  void SaveAndSaveAs() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("proj", lib, 3, 2);
    TForm1 form(fx.Settings());
    form.OpenQVP(project);
    form.UpdateMenus();
    QVERIFY(!Child<QAction>(form, "SaveQVP1")->isEnabled() && !Child<QAction>(form, "Revertproject1")->isEnabled());
    QVERIFY(Child<QAction>(form, "SaveQVPas1")->isEnabled() && Child<QAction>(form, "Closeproject1")->isEnabled() &&
            Child<QAction>(form, "Savestatistic1")->isEnabled());

    ChangeCell(form, 2);
    QVERIFY(Child<QToolButton>(form, "SpeedButton5")->isEnabled());
    QVERIFY(Child<QAction>(form, "SaveQVP1")->isEnabled() && Child<QAction>(form, "Revertproject1")->isEnabled());

    // "Save project as..." writes a copy; the open project keeps its name and stays modified.
    std::string copy = fx.Dir.File("copy.qvp");
    fx.Prompts.Files.push_back(Q(copy));
    Child<QAction>(form, "SaveQVPas1")->trigger();
    QCOMPARE(fx.Prompts.SaveRequests.back().Filter, QString("qvp (*.qvp)"));
    QCOMPARE(fx.Prompts.SaveRequests.back().DefaultSuffix, QString("qvp"));
    QVERIFY(FileExists(copy));
    QCOMPARE(Q(form.QVPlan1.BaseName()), Q(project));
    QVERIFY(form.QVMosaic1.Modified);
    {
      TQVData plan, mosaic;
      QVERIFY(plan.OpenProject(copy, mosaic));
      QVERIFY(mosaic.RecordTileNo(2) > 0);
      QVERIFY(plan.OpenProject(project, mosaic));
      QCOMPARE(mosaic.RecordTileNo(2), 0);  // the project's own file is as it was
    }
    // ... so closing still asks.
    fx.Prompts.Answers = {pbCancel};
    QVERIFY(!form.CloseProject());
    QCOMPARE(fx.Prompts.LastText(), QString("Project was modified. Save before close?"));
    QCOMPARE(fx.Prompts.Messages.back().Caption, QString("Quivara"));
    QCOMPARE(fx.Prompts.Messages.back().Buttons, pbYes | pbNo | pbCancel);

    // Ctrl+S saves under the project's own name.
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!form.QVMosaic1.Modified && !form.QVPlan1.Modified);
    QVERIFY(!Child<QToolButton>(form, "SpeedButton5")->isEnabled());
    TQVData plan, mosaic;
    QVERIFY(plan.OpenProject(project, mosaic));
    QCOMPARE(mosaic.RecordTileNo(2), form.QVMosaic1.RecordTileNo(2));
  }

  void RevertAndClose() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("proj", lib, 3, 2);
    TForm1 form(fx.Settings());
    form.OpenQVP(project);

    // Without changes: reopened without a question.
    form.Revertproject1Click();
    QCOMPARE(int(fx.Prompts.Messages.size()), 0);
    QVERIFY(form.QVPlan1.TableIsOpen());

    ChangeCell(form, 3);
    fx.Prompts.Answers = {pbCancel};
    form.Revertproject1Click();
    QCOMPARE(fx.Prompts.LastText(), QString("Discard all changes and revert to last saved?"));
    QCOMPARE(fx.Prompts.Messages.back().Caption, QString("Quivara"));
    QCOMPARE(fx.Prompts.Messages.back().Icon, TPromptIcon::Question);
    QVERIFY(form.QVMosaic1.RecordTileNo(3) > 0);
    fx.Prompts.Answers = {pbOK};
    form.Revertproject1Click();
    QCOMPARE(form.QVMosaic1.RecordTileNo(3), 0);
    QVERIFY(!form.QVMosaic1.Modified);

    // Close without changes: no question; the library stays open.
    size_t asked = fx.Prompts.Messages.size();
    Child<QAction>(form, "Closeproject1")->trigger();
    QCOMPARE(fx.Prompts.Messages.size(), asked);
    QVERIFY(!form.QVPlan1.TableIsOpen() && !form.QVMosaic1.TableIsOpen());
    QVERIFY(form.QVLib1.TableIsOpen());
    QCOMPARE(Child<TDrawGrid>(form, "DrawGrid1")->ColCount(), 1);
    QCOMPARE(Child<TDrawGrid>(form, "DrawGrid1")->RowCount(), 1);
    QVERIFY(!Child<QToolButton>(form, "SpeedButton7")->isEnabled());

    // Close with changes, Yes: saved first.
    form.OpenQVP(project);
    ChangeCell(form, 4);
    int32_t placed = form.QVMosaic1.RecordTileNo(4);
    fx.Prompts.Answers = {pbYes};
    QVERIFY(form.CloseProject());
    TQVData plan, mosaic;
    QVERIFY(plan.OpenProject(project, mosaic));
    QCOMPARE(mosaic.RecordTileNo(4), placed);
  }

  void RevertKeepsTheProjectWhenItsFileHasGone() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("proj", lib, 2, 2);
    TForm1 form(fx.Settings());
    form.OpenQVP(project);
    ChangeCell(form, 1);
    std::filesystem::remove(project);
    fx.Prompts.Answers = {pbOK};
    Child<QAction>(form, "Revertproject1")->trigger();
    QVERIFY(form.QVPlan1.TableIsOpen());
    QVERIFY(form.QVMosaic1.Modified);
    QCOMPARE(fx.Prompts.LastText(), Q("File: " + project + " not found."));
  }

  void OpeningAnotherProjectAsksAboutUnsavedChanges() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string a = fx.MakeProject("a", lib, 2, 2);
    std::string b = fx.MakeProject("b", lib, 2, 2);
    TForm1 form(fx.Settings());
    form.OpenQVP(a);
    ChangeCell(form, 1);
    fx.Prompts.Files = {Q(b)};
    fx.Prompts.Answers = {pbCancel};
    Child<QAction>(form, "Openqvp1")->trigger();
    QCOMPARE(Q(form.QVPlan1.BaseName()), Q(a));
    QVERIFY(form.QVMosaic1.Modified);
    fx.Prompts.Answers = {pbNo};
    form.RecentMenuClick(b);
    QCOMPARE(Q(form.QVPlan1.BaseName()), Q(b));
  }

  void CloseQuery() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("proj", lib, 2, 2);
    TForm1 form(fx.Settings());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.OpenQVP(project);
    ChangeCell(form, 1);
    fx.Prompts.Answers = {pbCancel};
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    fx.Prompts.Answers = {pbNo};
    QVERIFY(form.close());
    TQVData plan, mosaic;
    QVERIFY(plan.OpenProject(project, mosaic));
    QCOMPARE(mosaic.RecordTileNo(1), 0);  // closed without saving

    TForm1 other(fx.Settings());
    other.show();
    other.OpenQVP(project);
    ChangeCell(other, 1);
    fx.Prompts.Answers = {pbYes};
    QVERIFY(other.close());
    QVERIFY(plan.OpenProject(project, mosaic));
    QVERIFY(mosaic.RecordTileNo(1) > 0);

    TForm1 unchanged(fx.Settings());
    unchanged.show();
    unchanged.OpenQVP(project);
    size_t asked = fx.Prompts.Messages.size();
    QVERIFY(unchanged.close());
    QCOMPARE(fx.Prompts.Messages.size(), asked);
  }

  void CommandLineFiles() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("proj", lib, 2, 2);
    TForm1 form(fx.Settings());
    form.OpenCommandLineFile(Q(project));
    QVERIFY(form.QVPlan1.TableIsOpen());
    form.OpenCommandLineFile(Q(fx.Dir.File("missing.qvp")));
    QCOMPARE(fx.Prompts.LastText(), Q("File: " + fx.Dir.File("missing.qvp") + " not found."));
  }
};

QTEST_MAIN(MainFormFilesTest)
#include "MainFormFilesTest.moc"
