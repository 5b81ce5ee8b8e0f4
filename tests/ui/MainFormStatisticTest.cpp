// "Save statistic...": the report of a small mosaic, written and handed to the viewer.
#include <QAction>
#include <QProgressBar>
#include <QtTest>

#include "MainFormFixture.h"
#include "UrlRecorder.h"
#include "base/FileUtil.h"
#include "settings/IniFile.h"

using namespace qv;
using qvtest::Child;
using qvtest::TMainFormFixture;

class MainFormStatisticTest : public QObject {
  Q_OBJECT
 private slots:
  void ReportOfASmallMosaic() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("proj", lib, 2, 2);
    qvtest::TUrlRecorder urls;
    TForm1 form(fx.Settings());
    form.OpenQVP(project);
    // Cells: tile a, tile b, tile a, empty.
    for (auto [cell, record] : {std::pair{1, 2}, std::pair{2, 5}, std::pair{3, 2}}) {
      form.QVLib1.GoRecord(record);
      QVERIFY(form.QVMosaic1.PlaceTile(cell, form.QVLib1, true));
    }
    const std::string a = form.QVLib1.RecordName(2), b = form.QVLib1.RecordName(5);
    const std::string report = fx.Dir.File("stat.txt");
    fx.Prompts.Files.push_back(QString::fromStdString(report));
    Child<QAction>(form, "Savestatistic1")->trigger();

    const TFileRequest& dialog = fx.Prompts.SaveRequests.back();
    QCOMPARE(dialog.Filter, QString("Delimited text (*.txt);;All files (*.*)"));
    QCOMPARE(dialog.DefaultSuffix, QString("txt"));
    QCOMPARE(dialog.Folder, QString::fromStdString(fx.Dir.Path() + "/"));
    QCOMPARE(IniReadString(fx.Settings(), "LastPath", "Mosaic", ""), fx.Dir.Path() + "/");

    std::string text = ReadWholeFile(report);
    std::string first = a < b ? a : b, second = a < b ? b : a;
    std::string firstLine = first == a ? "   2, " + a + " ,  1x1  1x2 " : "   1, " + b + " ,  2x1 ";
    std::string summary = "2 unique pictures were used.";
    QVERIFY2(text.compare(0, 2 + summary.size(), "\r\n" + summary) == 0, text.c_str());
    QVERIFY(text.find("\r\n" + firstLine + "\r\n") != std::string::npos);
    QVERIFY(text.find("Times used          File Name          Tile positions Col x Row (Flip)\r\n") !=
            std::string::npos);

    QCOMPARE(form.StatusText(1), QString::fromStdString("Saved to " + report));
    QCOMPARE(form.StatusText(0), QString("100%"));
    QCOMPARE(int(urls.Urls.size()), 1);
    QCOMPARE(urls.Urls[0], QUrl::fromLocalFile(QString::fromStdString(report)));
    QVERIFY(Child<QFrame>(form, "Panel1")->findChild<QProgressBar*>() == nullptr);
    QVERIFY(!form.MosaicRunning());
    QVERIFY(Child<QAction>(form, "Openqvp1")->isEnabled());
  }

  void CancelledDialogDoesNothing() {
    TMainFormFixture fx;
    std::string lib = fx.MakeLibrary("lib", 8);
    std::string project = fx.MakeProject("proj", lib, 2, 2);
    qvtest::TUrlRecorder urls;
    TForm1 form(fx.Settings());
    form.OpenQVP(project);
    fx.Prompts.Files.push_back(QString());
    Child<QAction>(form, "Savestatistic1")->trigger();
    QVERIFY(urls.Urls.empty());
    QCOMPARE(IniReadString(fx.Settings(), "LastPath", "Mosaic", "none"), std::string("none"));
  }
};

QTEST_MAIN(MainFormStatisticTest)
#include "MainFormStatisticTest.moc"
#include "moc_UrlRecorder.cpp"
