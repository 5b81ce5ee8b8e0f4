// The source image setup window: framing, Apply with and without "Stretch tiles" (the project
// written), paste, the picture correction window, and bad pictures.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "MainFormFixture.h"
#include "SourceHost.h"
#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/BmpCodec.h"
#include "controls/CellShape.h"
#include "controls/SpinEdits.h"
#include "settings/IniFile.h"
#include "source/EnCropImage.h"
#include "source/PicToolForm.h"
#include "source/SrcSetup.h"

using qv::Bitmap24;
using qv::Rect;

namespace {

struct TSetup {
  qvtest::TMainFormFixture F;
  qvtest::TSourceHost Host;
  std::unique_ptr<qv::TSrcSetup> Window;
  explicit TSetup(int propX = 100, int propY = 100) {
    Host.Settings = F.Settings();
    Host.Lib.Open(F.MakeLibrary("flowers", 3, 4, 4));
    Host.Lib.PropX = propX;
    Host.Lib.PropY = propY;
    Window = std::make_unique<qv::TSrcSetup>(Host);
    Window->resize(700, 560);
    Window->show();
  }
  qv::TEnCropImage* View() const { return Window->CropImage(); }
  void Take(const Bitmap24& picture, const std::string& name = {}) {
    View()->TakePicture(std::make_shared<Bitmap24>(picture), name);
    Window->OriginalFitImg();
  }
};

// Signatures of every record of a table.
std::vector<qv::SignatureBytes> Signatures(qv::TQVData& t) {
  std::vector<qv::SignatureBytes> v;
  for (int32_t n = 1; n <= t.Count; ++n) {
    t.GoRecord(n);
    v.push_back(t.Signature);
  }
  return v;
}

}  // namespace

class SrcSetupTest : public QObject {
  Q_OBJECT
 private slots:
  void OriginalFitAndFitFollowTheTileCounts();
  void StretchTilesFramesTheWholePictureAndSetsTheProportion();
  void ApplyWritesTheProjectWithEveryCellShowingItsPart();
  void PastedPictureOffersToSaveAndNamesTheProjectWithADash();
  void CancelledProjectDialogWritesNothing();
  void SaveImageAsWritesTheChosenTypeAndReloadsIt();
  void BadPicturesAreRefusedAndChangeNothing();
  void CorrectionCancelRestoresTheExactOriginal();
  void CorrectionPreviewComesFromTheWorkerAndOkKeepsIt();
  void ApplyKeepsTheWindowAliveButNotClosable();
  void ClosedLibraryIsReportedByApplyAndNothingIsWritten();
  void LargeFrameIsReducedAsItIsCutOutAndKeepsItsColours();
};

// A frame of more pixels than a cut-out copies is reduced by whole blocks as it is cut out:
// the project's cells come out as from the full-size cut, up to the filters' difference.
void SrcSetupTest::LargeFrameIsReducedAsItIsCutOutAndKeepsItsColours() {
  TSetup s(4, 4);
  // Smooth ramps: a frame moved by a fraction of a pixel changes no cell by more than a step.
  Bitmap24 big(4400, 4200);
  for (int y = 0; y < big.Height(); ++y)
    for (int x = 0; x < big.Width(); ++x) {
      uint8_t* p = big.Pixel(x, y);
      p[0] = uint8_t(x * 255 / 4400);
      p[1] = uint8_t(y * 255 / 4200);
      p[2] = uint8_t((x + y) * 255 / 8600);
    }
  s.Take(big, "");
  s.Window->SetTiles(8, 8);
  s.Window->OriginalFitImg();
  const Rect frame{100, 0, 4300, 4200};
  QCOMPARE(s.View()->PictureCropRect(), frame);
  s.F.Prompts.Answers = {qv::pbNo};
  s.F.Prompts.Files = {QString::fromStdString(s.F.Dir.File("big.qvp"))};
  QVERIFY(s.Window->Apply());

  qv::TQVData lib;
  lib.Open(s.Host.Lib.BaseName());
  Bitmap24 part(frame.Width(), frame.Height());
  part.Draw(big, -frame.Left, -frame.Top);
  const std::string direct = s.F.Dir.File("direct.qvp");
  lib.CreateProject(direct, part, {"", frame}, qv::Size{8, 8});
  qv::TQVData plan2, mosaic2;
  QVERIFY(plan2.OpenProject(direct, mosaic2));
  const auto want = Signatures(plan2), got = Signatures(s.Host.Plan1);
  QCOMPARE(got.size(), want.size());
  int worst = 0;
  for (size_t i = 0; i < got.size(); ++i)
    for (size_t k = 0; k < got[i].size(); ++k) worst = std::max(worst, std::abs(int(got[i][k]) - int(want[i][k])));
  QVERIFY2(worst <= 2, qPrintable(QString("a signature byte differs by %1").arg(worst)));
}

// The project is made while the window goes on handling events; closing it, Esc, "Cancel" and
// a second "Apply" meanwhile do nothing.
void SrcSetupTest::ApplyKeepsTheWindowAliveButNotClosable() {
  TSetup s(4, 4);
  s.Take(qvtest::DrawTestPicture(3000, 2400, 12), "");
  s.Window->SetTiles(120, 96);
  s.Window->OriginalFitImg();
  s.View()->SetCropRect({10, 10, 2960, 2370});
  const std::string project = s.F.Dir.File("busy.qvp");
  s.F.Prompts.Answers = {qv::pbNo};
  s.F.Prompts.Files = {QString::fromStdString(project)};
  int ticks = 0;
  bool busySeen = false, closedMeanwhile = false, controlsOff = false;
  QTimer timer;
  timer.setInterval(1);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    ++ticks;
    if (!s.Window->Busy()) return;
    busySeen = true;
    controlsOff = !s.Window->findChild<QPushButton*>("BtnApply")->isEnabled() && !s.View()->isEnabled();
    s.Window->close();
    s.Window->reject();
    QTest::keyClick(s.Window.get(), Qt::Key_Escape);
    QTest::mouseClick(s.Window->findChild<QPushButton*>("BtnCancel"), Qt::LeftButton);
    closedMeanwhile = closedMeanwhile || !s.Window->isVisible();
  });
  timer.start();
  QVERIFY(s.Window->Apply());
  timer.stop();
  QVERIFY2(busySeen, qPrintable(QString("%1 ticks, none while busy").arg(ticks)));
  QVERIFY(controlsOff);
  QVERIFY(!closedMeanwhile);
  QVERIFY(!s.Window->Busy());
  QVERIFY(!s.Window->isVisible());  // closed by Apply itself once the project was made
  QCOMPARE(s.Host.Plan1.Count, 120 * 96);
  QCOMPARE(s.Host.Saved, 1);
  QVERIFY(s.View()->isEnabled());
}

// The library closed while the window shows a picture: framing goes on, "Apply" says to open a
// library and writes nothing.
void SrcSetupTest::ClosedLibraryIsReportedByApplyAndNothingIsWritten() {
  TSetup s(4, 4);
  const std::string picture = s.F.Dir.File("p.bmp");
  qv::SaveBmpFile(picture, qvtest::DrawTestPicture(80, 60, 8));
  s.Window->OpenImage(picture);
  s.Host.Lib.Close();
  s.Window->SetTiles(8, 6);
  s.Window->OriginalFitImg();
  QVERIFY(s.View()->PictureCropRect().Width() > 0);
  s.F.Prompts.Files = {QString::fromStdString(s.F.Dir.File("never.qvp"))};
  QTest::mouseClick(s.Window->findChild<QPushButton*>("BtnApply"), Qt::LeftButton);
  QCOMPARE(s.F.Prompts.LastText(), QString("Please open library first!"));
  QVERIFY(!qv::FileExists(s.F.Dir.File("never.qvp")));
  QVERIFY(s.F.Prompts.SaveRequests.empty());
  QVERIFY(s.Window->isVisible());
  QVERIFY(s.Host.Recent.empty());
}

void SrcSetupTest::OriginalFitAndFitFollowTheTileCounts() {
  TSetup s;
  s.Take(qvtest::DrawTestPicture(3000, 2000, 5));
  QCOMPARE(s.View()->PictureCropRect(), (Rect{500, 0, 2500, 2000}));
  QCOMPARE(s.View()->ScaleStyle(), qv::TScaleStyle::ssFullScale);
  QCOMPARE(s.View()->ScaleW(), 3000);
  QCOMPARE(s.View()->Shape()->CellX(), 30);
  // 60 x 30 tiles: the frame shrinks inside its present area to half its height.
  s.Window->findChild<qv::TVNSpinEdit*>("SpinXTiles")->SetValue(60);
  QCOMPARE(s.View()->PictureCropRect(), (Rect{500, 500, 2500, 1500}));
  QCOMPARE(s.View()->ScaleW(), 6000);
  QCOMPARE(s.View()->ScaleH(), 3000);
  // "Max" frames the largest area again.
  s.Window->findChild<QPushButton*>("BtnMax")->click();
  QCOMPARE(s.View()->PictureCropRect(), (Rect{0, 250, 3000, 1750}));
  // "Grid" switches the cell lines off and on.
  auto* grid = s.Window->findChild<QCheckBox*>("CBGrid");
  grid->setChecked(false);
  QCOMPARE(s.View()->Shape()->CellX(), 1);
  grid->setChecked(true);
  QCOMPARE(s.View()->Shape()->CellX(), 60);
  // 999999 tiles across a 3000-pixel picture: the frame keeps at least a pixel.
  s.Window->findChild<qv::TVNSpinEdit*>("SpinXTiles")->SetValue(999999);
  QVERIFY(s.View()->PictureCropRect().Height() >= 1);
}

void SrcSetupTest::StretchTilesFramesTheWholePictureAndSetsTheProportion() {
  TSetup s;
  const std::string picture = s.F.Dir.File("sunset.bmp");
  qv::SaveBmpFile(picture, qvtest::DrawTestPicture(3000, 2000, 6));
  s.Window->OpenImage(picture);
  s.Window->findChild<QCheckBox*>("CBStretch")->setChecked(true);
  s.Window->OriginalFitImg();
  QCOMPARE(s.View()->PictureCropRect(), (Rect{0, 0, 3000, 2000}));
  QCOMPARE(s.View()->ScaleStyle(), qv::TScaleStyle::ssNoScale);
  const std::string project = s.F.Dir.File("stretched.qvp");
  s.F.Prompts.Files = {QString::fromStdString(project)};
  QVERIFY(s.Window->Apply());
  QCOMPARE(s.Host.Lib.PropX, 10000);
  QCOMPARE(s.Host.Lib.PropY, 6667);
  qv::TQVData plan, mosaic;
  QVERIFY(plan.OpenProject(project, mosaic));
  QCOMPARE(plan.PropX, 10000);
  QCOMPARE(plan.PropY, 6667);
  QCOMPARE(plan.SourceRect, (Rect{0, 0, 3000, 2000}));
  QCOMPARE(plan.SourceFileName, picture);
}

void SrcSetupTest::ApplyWritesTheProjectWithEveryCellShowingItsPart() {
  TSetup s(4, 4);
  const std::string picture = s.F.Dir.File("sunset.bmp");
  qv::SaveBmpFile(picture, qvtest::DrawTestPicture(300, 200, 7));
  s.Window->OpenImage(picture);
  QCOMPARE(s.Window->StatusText(), QString::fromStdString(picture));
  s.Window->SetTiles(6, 4);
  s.Window->OriginalFitImg();
  // 6 x 4 cells of 4 : 4 in 300 x 200: 300 x 200 exactly.
  QCOMPARE(s.View()->PictureCropRect(), (Rect{0, 0, 300, 200}));
  s.View()->SetCropRect({30, 20, 180, 120});
  const std::string project = s.F.Dir.File("sunset-flowers-6x4.qvp");
  s.F.Prompts.Files = {QString::fromStdString(project)};
  QVERIFY(s.Window->Apply());
  QCOMPARE(s.F.Prompts.SaveRequests.back().FileName, QString("sunset-flowers-6x4.qvp"));
  QCOMPARE(s.F.Prompts.SaveRequests.back().DefaultSuffix, QString("qvp"));
  QCOMPARE(s.Host.Saved, 1);
  QCOMPARE(s.Host.Recent, (std::vector<std::string>{project, picture}));
  QCOMPARE(qv::IniReadString(s.F.Settings(), "LastPath", "Project", ""), s.F.Dir.Path() + "/");

  qv::TQVData plan, mosaic;
  QVERIFY(plan.OpenProject(project, mosaic));
  QCOMPARE(plan.Cols, 6);
  QCOMPARE(plan.Rows, 4);
  QCOMPARE(plan.SourceRect, (Rect{30, 20, 180, 120}));
  QCOMPARE(plan.SourceFileName, picture);
  // Every mosaic cell shows its part of the source: its signature is the plan's.
  QCOMPARE(Signatures(mosaic), Signatures(plan));
  // The plan is made from the framed part: a project made from that part alone by the
  // engine directly has the same signatures.
  qv::TQVData lib;
  lib.Open(s.Host.Lib.BaseName());
  const Bitmap24 full = qvtest::DrawTestPicture(300, 200, 7);
  Bitmap24 part(150, 100);
  part.Draw(full, -30, -20);
  const std::string direct = s.F.Dir.File("direct.qvp");
  lib.CreateProject(direct, part, {picture, {30, 20, 180, 120}}, qv::Size{6, 4});
  qv::TQVData plan2, mosaic2;
  QVERIFY(plan2.OpenProject(direct, mosaic2));
  QCOMPARE(Signatures(plan2), Signatures(plan));
}

void SrcSetupTest::PastedPictureOffersToSaveAndNamesTheProjectWithADash() {
  TSetup s(4, 4);
  QApplication::clipboard()->setText("no picture here");
  s.Window->Paste();
  QVERIFY(!s.View()->HasPicture());  // a clipboard without a picture changes nothing
  QCOMPARE(s.Window->StatusText(), QString());
  QImage image(120, 80, QImage::Format_RGB32);
  image.fill(qRgb(200, 100, 50));
  QApplication::clipboard()->setImage(image);
  s.Window->Paste();
  QVERIFY(s.View()->HasPicture());
  QCOMPARE(s.View()->Picture().Width(), 120);
  QCOMPARE(int(s.View()->Picture().Pixel(5, 5)[2]), 200);
  QCOMPARE(s.Window->StatusText(), QString("Not saved image from clipboard"));
  QVERIFY(s.View()->PictureFileName().empty());

  s.F.Prompts.Answers = {qv::pbNo};
  const std::string project = s.F.Dir.File("pasted.qvp");
  s.F.Prompts.Files = {QString::fromStdString(project)};
  QVERIFY(s.Window->Apply());
  QCOMPARE(s.F.Prompts.Messages.at(0).Text, QString("Do you want to save source image first?"));
  QCOMPARE(s.F.Prompts.Messages.at(0).Caption, QString("Quivara"));
  QVERIFY(s.F.Prompts.SaveRequests.back().FileName.startsWith("-flowers-30x30"));
  qv::TQVData plan, mosaic;
  QVERIFY(plan.OpenProject(project, mosaic));
  QVERIFY(plan.SourceFileName.empty());
  QCOMPARE(s.Host.Recent, (std::vector<std::string>{project}));
}

void SrcSetupTest::CancelledProjectDialogWritesNothing() {
  TSetup s(4, 4);
  const std::string picture = s.F.Dir.File("p.bmp");
  qv::SaveBmpFile(picture, qvtest::DrawTestPicture(64, 48, 8));
  s.Window->OpenImage(picture);
  s.F.Prompts.Files = {QString()};
  QVERIFY(!s.Window->Apply());
  QVERIFY(!s.Host.Plan1.TableIsOpen());
  QVERIFY(s.Host.Recent.empty());
  QCOMPARE(s.Host.Lib.PropX, 4);
}

void SrcSetupTest::SaveImageAsWritesTheChosenTypeAndReloadsIt() {
  TSetup s(4, 4);
  const Bitmap24 picture = qvtest::DrawTestPicture(90, 60, 11);
  s.Take(picture);
  // TIFF, whatever extension was typed.
  s.F.Prompts.FileTypes = {"tiff (*.tif)"};
  s.F.Prompts.Files = {QString::fromStdString(s.F.Dir.File("saved.bmp"))};
  QVERIFY(s.Window->SaveImageAs());
  const std::string tif = s.F.Dir.File("saved.tif");
  QCOMPARE(s.View()->PictureFileName(), tif);
  QCOMPARE(s.Window->StatusText(), QString::fromStdString(tif));
  QVERIFY(s.View()->Picture() == picture);
  // 250 dots per inch: XResolution 250/1 in the file's directory.
  const std::string bytes = qvtest::FileBytes(tif);
  QVERIFY(bytes.find(std::string("\xFA\0\0\0\x01\0\0\0", 8)) != std::string::npos);
  QCOMPARE(qv::IniReadString(s.F.Settings(), "LastPath", "Source", ""), s.F.Dir.Path() + "/");
  // JPEG: the quality dialog asks first; cancelling it writes nothing.
  s.F.Prompts.FileTypes = {"jpg (*.jpg)"};
  s.F.Prompts.Files = {QString::fromStdString(s.F.Dir.File("photo"))};
  s.F.Prompts.Dialogs.push_back([](QDialog& d) {
    d.findChild<QPushButton*>("BitBtn2")->click();
    return d.result();
  });
  QVERIFY(!s.Window->SaveImageAs());
  QVERIFY(!qv::FileExists(s.F.Dir.File("photo.jpg")));
  s.F.Prompts.FileTypes = {"jpg (*.jpg)"};
  s.F.Prompts.Files = {QString::fromStdString(s.F.Dir.File("photo"))};
  s.F.Prompts.Dialogs.push_back([](QDialog& d) {
    d.findChild<QSlider*>("TrackBar1")->setValue(70);
    d.findChild<QPushButton*>("BitBtn1")->click();
    return d.result();
  });
  QVERIFY(s.Window->SaveImageAs());
  QCOMPARE(s.View()->PictureFileName(), s.F.Dir.File("photo.jpg"));
  QCOMPARE(s.View()->Picture().Width(), 90);
}

void SrcSetupTest::BadPicturesAreRefusedAndChangeNothing() {
  TSetup s(4, 4);
  const std::string good = s.F.Dir.File("good.bmp");
  qv::SaveBmpFile(good, qvtest::DrawTestPicture(64, 48, 9));
  s.Window->OpenImage(good);
  const std::string bad = s.F.Dir.File("bad.jpg");
  qvtest::WriteFile(bad, "this is no picture");
  bool raised = false;
  try {
    s.Window->OpenImage(bad);
  } catch (const qv::EQuivara&) {
    raised = true;
  }
  QVERIFY(raised);
  QCOMPARE(s.View()->PictureFileName(), good);
  QCOMPARE(s.View()->Picture().Width(), 64);
  // "Open..." reports the program's message.
  s.F.Prompts.Files = {QString::fromStdString(bad)};
  QTest::mouseClick(s.Window->findChild<QPushButton*>("BtnOpen"), Qt::LeftButton);
  QCOMPARE(s.F.Prompts.LastText(), QString::fromStdString("Wrong format. File: " + bad + " can't be open."));
  QCOMPARE(s.View()->PictureFileName(), good);

  // A 1-pixel picture makes a project.
  s.Take(qvtest::DrawTestPicture(1, 1, 3), "");
  QCOMPARE(s.View()->PictureCropRect(), (Rect{0, 0, 1, 1}));
  s.F.Prompts.Answers = {qv::pbNo};
  s.F.Prompts.Files = {QString::fromStdString(s.F.Dir.File("one.qvp"))};
  QVERIFY(s.Window->Apply());
  QCOMPARE(s.Host.Plan1.Count, 900);
}

void SrcSetupTest::CorrectionCancelRestoresTheExactOriginal() {
  TSetup s(4, 4);
  const Bitmap24 original = qvtest::DrawTestPicture(200, 150, 10);
  s.Take(original, "x.bmp");
  const qv::TPicturePtr before = s.View()->SharedPicture();
  qv::TPicToolForm form(*s.View());
  form.show();
  form.findChild<QSlider*>("TrackBarContrast")->setValue(120);
  form.findChild<QSlider*>("TrackBarSharp")->setValue(-3);
  QCOMPARE(form.findChild<QLabel*>("LabelBlur")->text(), QString("Blur: -3"));
  QCOMPARE(form.findChild<QLabel*>("LabelSharp")->text(), QString("Sharp"));
  form.findChild<QSlider*>("TrackBarSharp")->setValue(2);
  QCOMPARE(form.findChild<QLabel*>("LabelSharp")->text(), QString("Sharp: +2"));
  form.WaitForPreview();
  QVERIFY(!(s.View()->Picture() == original));  // the preview reached the view
  QCOMPARE(s.View()->PictureFileName(), std::string("x.bmp"));
  form.findChild<QSlider*>("TrackBarBrightness")->setValue(-40);  // still in work when cancelled
  QTest::mouseClick(form.findChild<QPushButton*>("BtnCancel"), Qt::LeftButton);
  QCoreApplication::processEvents();
  QVERIFY(s.View()->Picture() == original);
  QVERIFY(s.View()->SharedPicture() == before);
}

void SrcSetupTest::CorrectionPreviewComesFromTheWorkerAndOkKeepsIt() {
  TSetup s(4, 4);
  // Wider than the view shows at full size: previews come first from the reduced copy.
  Bitmap24 grey(2100, 30);
  grey.Fill(64, 64, 64);
  s.Take(grey, "g.bmp");
  qv::TPicToolForm form(*s.View());
  form.show();
  for (int c : {40, 90, 160, 255}) form.findChild<QSlider*>("TrackBarContrast")->setValue(c);  // 64 becomes 1
  QTest::mouseClick(form.findChild<QPushButton*>("BtnOK"), Qt::LeftButton);
  QCOMPARE(s.View()->Picture().Width(), 2100);
  QCOMPARE(int(s.View()->Picture().Pixel(10, 10)[0]), 1);
  QCOMPARE(int(s.View()->Picture().Pixel(2099, 29)[2]), 1);
  // "Reset All" with auto preview gives the original picture back.
  qv::TPicToolForm again(*s.View());
  again.findChild<QSlider*>("TrackBarSaturation")->setValue(0);
  QTest::mouseClick(again.findChild<QPushButton*>("BtnResetAll"), Qt::LeftButton);
  again.WaitForPreview();
  QCOMPARE(int(s.View()->Picture().Pixel(10, 10)[0]), 1);
  again.reject();
}

QTEST_MAIN(SrcSetupTest)
#include "SrcSetupTest.moc"
