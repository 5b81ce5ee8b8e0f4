// The main window's source picture commands: from a picture to a new open project through
// the source image setup window, the recent source images, and the refusals.
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "MainFormFixture.h"
#include "MenuItems.h"
#include "base/FileUtil.h"
#include "codecs/BmpCodec.h"
#include "controls/DrawGrid.h"
#include "settings/IniFile.h"
#include "source/EnCropImage.h"
#include "source/SourceCommands.h"
#include "source/SrcSetup.h"

using namespace qv;
using qvtest::Child;
using qvtest::TMainFormFixture;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Presses a button of the source image setup window when it is shown.
void PressInSetupWhenShown(TMainFormFixture& fx, const char* button) {
  fx.Prompts.Dialogs.push_back([button](QDialog& d) {
    if (d.objectName() != "SrcSetup1") return int(QDialog::Rejected);
    d.findChild<QPushButton*>(button)->click();
    return d.result();
  });
}

}  // namespace

class MainFormSourceTest : public QObject {
  Q_OBJECT
 private slots:
  void FromAPictureToAnOpenProject() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("flowers", 6);
    const std::string picture = fx.Dir.File("sunset.bmp");
    SaveBmpFile(picture, qvtest::DrawTestPicture(240, 160, 4));
    TForm1 form(fx.Settings());
    InstallSourceCommands(form);
    QVERIFY(!Child<QToolButton>(form, "SpeedButton3")->isEnabled());  // "Open image" needs a library
    emit Child<QMenu>(form, "File1")->aboutToShow();
    QVERIFY(!form.findChild<QAction*>("Opensource1")->isEnabled());
    QVERIFY(form.OpenLibraryByName(lib));
    form.SetButtonsOnOff();
    QVERIFY(Child<QToolButton>(form, "SpeedButton3")->isEnabled());
    const QStringList items = qvtest::ShownCaptions(Child<QMenu>(form, "File1"));
    QCOMPARE(items.mid(0, 3), QStringList({"Open library...", "Open project...", "Open source image..."}));
    QVERIFY(items.contains("Recent source images"));

    const std::string project = fx.Dir.File("sunset-flowers-30x30.qvp");
    fx.Prompts.Files = {Q(picture), Q(project)};
    PressInSetupWhenShown(fx, "BtnApply");
    Child<QToolButton>(form, "SpeedButton3")->click();
    QCOMPARE(fx.Prompts.Unanswered, 0);
    QVERIFY(fx.Prompts.OpenRequests[0].Filter.contains("JPEG Image File (*.jpg *.jpeg)"));
    QCOMPARE(fx.Prompts.SaveRequests[0].FileName, QString("sunset-flowers-30x30.qvp"));
    QVERIFY(form.QVPlan1.TableIsOpen());
    QCOMPARE(form.QVPlan1.BaseName(), project);
    QCOMPARE(Child<TDrawGrid>(form, "DrawGrid1")->ColCount(), 30);
    QCOMPARE(form.windowTitle(), QString("Quivara 3 - (30x30) - sunset-flowers-30x30.qvp"));
    QVERIFY(!form.QVMosaic1.Modified);  // saved
    QCOMPARE(form.QVPlan1.SourceRect, (Rect{40, 0, 200, 160}));
    // Every cell shows its part of the picture.
    for (int32_t n : {1, 450, 900}) {
      form.QVPlan1.GoRecord(n);
      form.QVMosaic1.GoRecord(n);
      QVERIFY(form.QVMosaic1.Signature == form.QVPlan1.Signature);
    }
    QCOMPARE(Child<QMenu>(form, "Recentsourceimages1")->actions().size(), 1);
    QCOMPARE(Child<QMenu>(form, "Recentsourceimages1")->actions()[0]->data().toString(), Q(picture));
    QCOMPARE(IniReadString(fx.Settings(), "LastPath", "Source", ""), fx.Dir.Path() + "/");

    // The recent picture opens the window again with the picture; Cancel changes nothing.
    PressInSetupWhenShown(fx, "BtnCancel");
    form.RecentMenuClick(picture);
    QCOMPARE(form.QVPlan1.BaseName(), project);
    QCOMPARE(form.findChild<TSrcSetup*>("SrcSetup1")->CropImage()->PictureFileName(), picture);
  }

  // The whole road in the main window: a library, a picture from "Open image", a correction,
  // "Apply", the project saved and open with the corrected picture in its cells, and the
  // picture again from "Recent source images", as the file holds it.
  void FromACorrectedPictureToAProjectAndBackFromTheRecentList() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("flowers", 6);
    const std::string picture = fx.Dir.File("dusk.bmp");
    const Bitmap24 drawn = qvtest::DrawTestPicture(240, 160, 6);
    SaveBmpFile(picture, drawn);
    TForm1 form(fx.Settings());
    InstallSourceCommands(form);
    QVERIFY(form.OpenLibraryByName(lib));
    form.SetButtonsOnOff();

    const std::string project = fx.Dir.File("dusk-flowers-30x30.qvp");
    fx.Prompts.Files = {Q(picture), Q(project)};
    fx.Prompts.Dialogs.push_back([](QDialog& d) {
      if (d.objectName() != "SrcSetup1") return int(QDialog::Rejected);
      d.findChild<QAction*>("Picturecorrectiontools1")->trigger();
      d.findChild<QPushButton*>("BtnApply")->click();
      return d.result();
    });
    fx.Prompts.Dialogs.push_back([](QDialog& d) {
      if (d.objectName() != "PicToolForm") return int(QDialog::Rejected);
      d.findChild<QSlider*>("TrackBarBrightness")->setValue(40);
      d.findChild<QPushButton*>("BtnOK")->click();
      return d.result();
    });
    Child<QToolButton>(form, "SpeedButton3")->click();
    QCOMPARE(fx.Prompts.Unanswered, 0);
    QVERIFY(fx.Prompts.Dialogs.empty());
    QVERIFY(FileExists(project));
    QCOMPARE(form.QVPlan1.BaseName(), project);
    QVERIFY(!form.QVMosaic1.Modified);

    // The project on disk: the picture's name and frame, every cell showing its part, and that
    // part the corrected one (brighter than the file's pixels in the frame).
    TQVData plan, mosaic;
    QVERIFY(plan.OpenProject(project, mosaic));
    QCOMPARE(plan.SourceFileName, picture);
    QCOMPARE(plan.SourceRect, (Rect{40, 0, 200, 160}));
    QCOMPARE(plan.Cols, 30);
    double planMean = 0, fileMean = 0;
    for (int32_t n = 1; n <= plan.Count; ++n) {
      plan.GoRecord(n);
      mosaic.GoRecord(n);
      QVERIFY(mosaic.Signature == plan.Signature);
      for (uint8_t b : plan.Signature) planMean += b;
    }
    planMean /= double(plan.Count) * plan.SigSize;
    for (int y = 0; y < 160; ++y)
      for (int x = 40; x < 200; ++x)
        for (int c = 0; c < 3; ++c) fileMean += drawn.Pixel(x, y)[c];
    fileMean /= 160.0 * 160 * 3;
    QVERIFY2(planMean > fileMean + 10, qPrintable(QString("%1 against %2").arg(planMean).arg(fileMean)));

    // "Recent source images" shows the picture as the file holds it.
    QMenu* recent = Child<QMenu>(form, "Recentsourceimages1");
    QCOMPARE(recent->actions().size(), 1);
    bool fromFile = false;
    QString status;
    fx.Prompts.Dialogs.push_back([&](QDialog& d) {
      auto& setup = static_cast<TSrcSetup&>(d);
      fromFile = setup.CropImage()->Picture() == drawn && setup.CropImage()->PictureFileName() == picture;
      status = setup.StatusText();
      d.findChild<QPushButton*>("BtnCancel")->click();
      return d.result();
    });
    recent->actions()[0]->trigger();
    QVERIFY(fx.Prompts.Dialogs.empty());
    QVERIFY(fromFile);
    QCOMPARE(status, Q(picture));
    QCOMPARE(form.QVPlan1.BaseName(), project);  // Cancel left the project as it was
  }

  void ReopenedProjectBringsItsSourcePicture() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 4);
    const std::string project = fx.MakeProject("proj", lib, 5, 4);
    TForm1 form(fx.Settings());
    TSrcSetup* setup = InstallSourceCommands(form);
    form.OpenQVP(project);
    QCOMPARE(setup->CropImage()->PictureFileName(), form.QVPlan1.SourceFileName);
    QCOMPARE(setup->XTiles(), 5);
    QCOMPARE(setup->YTiles(), 4);
    QCOMPARE(setup->StatusText(), Q(form.QVPlan1.SourceFileName));
  }

  void RefusalsAndWrongPictures() {
    TMainFormFixture fx;
    TForm1 form(fx.Settings());
    TSrcSetup* setup = InstallSourceCommands(form);
    form.findChild<QAction*>("Sourceimage1")->trigger();
    QCOMPARE(fx.Prompts.LastText(), QString("Please open library first!"));
    QVERIFY(form.findChild<QAction*>("Sourceimage1")->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_I));
    QVERIFY(form.OpenLibraryByName(fx.MakeLibrary("lib", 4)));
    const std::string bad = fx.Dir.File("bad.png");
    qvtest::WriteFile(bad, "not a picture");
    form.Guarded([&] { form.RecentMenuClick(bad); });
    QCOMPARE(fx.Prompts.LastText(), Q("Wrong format. File: " + bad + " can't be open."));
    QVERIFY(!setup->isVisible());
    QVERIFY(!setup->CropImage()->HasPicture());
    const std::string gone = fx.Dir.File("gone.jpg");
    form.Guarded([&] { form.OpenPictureByName(gone); });
    QCOMPARE(fx.Prompts.LastText(), Q("File: " + gone + " not found."));
  }

  // A picture given on the command line (or opened from a file manager) opens in the source
  // setup once the main window is up; with no library open the user is told to open one.
  void CommandLinePicture() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 4);
    const std::string picture = fx.Dir.File("holiday.jpg");
    qvtest::WriteTestJpeg(picture, 40, 30, 7);
    TForm1 bare(fx.Settings());
    InstallSourceCommands(bare);
    bare.OpenCommandLineFile(Q(picture));
    QTRY_COMPARE(fx.Prompts.LastText(), QString("Please open library first!"));

    TForm1 form(fx.Settings());
    TSrcSetup* setup = InstallSourceCommands(form);
    QVERIFY(form.OpenLibraryByName(lib));
    form.OpenCommandLineFile(Q(picture));
    QTRY_COMPARE(setup->CropImage()->PictureFileName(), picture);
  }
};

QTEST_MAIN(MainFormSourceTest)
#include "MainFormSourceTest.moc"
