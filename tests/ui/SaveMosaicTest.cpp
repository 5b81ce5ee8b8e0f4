// "Save mosaic..." from the main window: the preview pass and the area it saves, the sizes
// the window opens with, every type written from "Save as" compared with what quivara-cli
// writes with the same settings, the questions asked on the way, and failed writes.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "MainFormFixture.h"
#include "UrlRecorder.h"
#include "base/FileUtil.h"
#include "controls/DrawGrid.h"
#include "controls/SpinEdits.h"
#include "imaging/TiffWriter.h"
#include "mainwindow/MosaicView.h"
#include "models/OutputLayout.h"
#include "outputui/OutputSetup.h"
#include "outputui/ResizeWarning.h"
#include "outputui/SaveMosaic.h"
#include "settings/IniFile.h"

using namespace qv;
using qvtest::Child;
using qvtest::TMainFormFixture;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every file under root (relative name -> bytes), leaving out the folder "big".
std::map<std::string, std::string> Files(const std::string& root) {
  std::map<std::string, std::string> m;
  for (auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    const std::string rel = fs::relative(e.path(), root).string();
    if (rel.rfind("big/", 0) == 0) continue;
    m[rel] = ReadAll(e.path().string());
  }
  return m;
}

int RunCli(const std::string& args) {
  const std::string cmd = std::string(QUIVARA_CLI) + " " + args + " >/dev/null 2>&1 </dev/null";
  return std::system(cmd.c_str());
}

std::string Hex(uint32_t colorRef) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", RedOfRef(colorRef), GreenOfRef(colorRef), BlueOfRef(colorRef));
  return buf;
}

// A project of cols x rows cells filled by "Mosaic all" and saved.
struct TSaveFixture : TMainFormFixture {
  std::string Library, Project;
  TForm1 Form{SettingsFile};
  TSaveFixture(int cols, int rows, int tiles = 12) {
    Library = MakeLibrary("lib", tiles);
    Project = MakeProject("proj", Library, cols, rows);
    InstallSaveMosaic(Form);
    Form.OpenQVP(Project);
    Child<TVNSpinEdit>(Form, "SpinRadius2")->SetValue(0);
    Child<QAction>(Form, "Mosaicall1")->trigger();
    Form.SaveQVP();
  }
  template <class T>
  static T* Find(QObject& o, const char* name) {
    T* w = o.findChild<T*>(name);
    if (!w) qFatal("no %s", name);
    return w;
  }
  // Chooses fileName of type in the save dialog and clicks "Save as".
  void SaveAs(TOutputSetup& d, const std::string& fileName, int type) {
    Prompts.Files.push_back(FromCore(fileName));
    Prompts.FileTypes.push_back(FromCore(OutputTypeFilter(type)));
    Find<QPushButton>(d, "BtnSaveAs")->click();
  }
  void AnswerDialog(int result) {
    Prompts.Dialogs.push_back([result](QDialog&) { return result; });
  }
};

}  // namespace

class SaveMosaicTest : public QObject {
  Q_OBJECT
 private slots:
  void OneCellSavesTheWholeGridAndASelectionItsCells() {
    TSaveFixture fx(5, 4);
    fx.Form.MosaicView().DrawGrid1->SetSelection(TGridRect{2, 1, 2, 1});
    auto d = PrepareOutputSetup(fx.Form);
    QVERIFY(d);
    QCOMPARE(d->Grid().Cols, 5);
    QCOMPARE(d->Grid().Rows, 4);
    QCOMPARE(d->Settings().OutputWidth, 20);  // 5 columns x PropX 4
    QCOMPARE(d->Settings().OutputHeight, 16);
    QVERIFY(!d->LayoutPicture().Empty());
    QCOMPARE(d->LayoutPicture().Width(), 423);
    d.reset();

    // A 3 x 2 selection saves exactly those cells: the text list names 6 cells.
    const bool shown = fx.Form.QVMosaic1.ShowThumbs;
    fx.Form.MosaicView().DrawGrid1->SetSelection(TGridRect{1, 1, 3, 2});
    d = PrepareOutputSetup(fx.Form);
    QCOMPARE(fx.Form.QVMosaic1.ShowThumbs, shown);
    QCOMPARE(d->Grid().Cols, 3);
    QCOMPARE(d->Grid().Rows, 2);
    const std::string txt = fx.Dir.File("sel.txt");
    fx.SaveAs(*d, txt, kTypeText);
    const std::string list = ReadAll(txt);
    QCOMPARE(int(std::count(list.begin(), list.end(), '\n')), 6);
    QVERIFY(list.rfind("   2,    2, ", 0) == 0);
    QCOMPARE(d->StatusText(), QString::fromStdString("Saved to " + txt));
  }

  void StopDuringThePreviewOpensNothing() {
    TSaveFixture fx(6, 5);
    fx.Form.MosaicView().DrawGrid1->SetSelection(TGridRect{0, 2, 5, 2});  // one row: that row only
    const bool shown = fx.Form.QVMosaic1.ShowThumbs;
    bool busy = false;
    QTimer::singleShot(0, [&] {
      busy = fx.Form.MosaicRunning() && Child<QToolButton>(fx.Form, "SpeedButton9")->isEnabled();
      Child<QToolButton>(fx.Form, "SpeedButton9")->click();  // "Stop"
    });
    QVERIFY(!PrepareOutputSetup(fx.Form));
    QVERIFY(busy);
    QVERIFY(!fx.Form.MosaicRunning());
    QCOMPARE(fx.Form.QVMosaic1.ShowThumbs, shown);
    QVERIFY(Child<QToolButton>(fx.Form, "SpeedButton6")->isEnabled());
    auto d = PrepareOutputSetup(fx.Form);  // the next one runs to the end
    QVERIFY(d);
    QCOMPARE(d->Grid().Cols, 6);
    QCOMPARE(d->Grid().Rows, 1);
    QCOMPARE(d->Settings().OutputHeight, 4);
  }

  void OpensWithTheGridsProportionsAndTheEnhanceValues() {
    TSaveFixture fx(40, 3, 6);
    Child<QRadioButton>(fx.Form, "RBEnhance1")->setChecked(true);
    Child<TVNSpinEdit>(fx.Form, "SpinEdit2")->setValue(35);    // "Color"
    Child<TVNSpinEdit>(fx.Form, "VNSpinEdit1")->setValue(15);  // "Blend"
    IniWriteInt(fx.Settings(), "Output", "MosaicHeight", 999);
    auto d = PrepareOutputSetup(fx.Form);
    QCOMPARE(d->Settings().OutputWidth, 160);
    QCOMPARE(d->Settings().OutputHeight, 12);  // a stored height follows the grid
    QCOMPARE(d->Settings().Blending, 15);
    QCOMPARE(d->Settings().ColorCorrection, 35);
    QCOMPARE(d->findChild<QLineEdit*>("EditWidth")->text(), QString("160"));
  }

  void EveryTypeEqualsWhatTheCommandLineWrites() {
    TSaveFixture fx(6, 4);
    fx.Form.MosaicView().DrawGrid1->SetSelection(TGridRect{0, 0, 0, 0});
    auto d = PrepareOutputSetup(fx.Form);
    QVERIFY(d);
    // Centimetres at 300 dpi, borders in centimetres, grid, correction and blend.
    auto* resolution = TSaveFixture::Find<QLineEdit>(*d, "EditResolution");
    resolution->selectAll();
    QTest::keyClicks(resolution, "300");
    TSaveFixture::Find<QComboBox>(*d, "ComboUnits")->setCurrentIndex(kUnitsCm);
    auto* width = TSaveFixture::Find<QLineEdit>(*d, "EditWidth");
    width->setFocus();
    width->selectAll();
    QTest::keyClicks(width, "5");
    QCOMPARE(d->Settings().OutputWidth, 591);  // Round(5 x 300 x 0.3937)
    QCOMPARE(d->Settings().OutputHeight, 394);
    TSaveFixture::Find<QCheckBox>(*d, "ChkBorders")->setChecked(true);
    const char* borders[] = {"EditBorderLeft", "EditBorderTop", "EditBorderRight", "EditBorderBottom"};
    const char* cm[] = {"0.1", "0.2", "0.3", "0.4"};
    for (int i = 0; i < 4; ++i) {
      auto* e = TSaveFixture::Find<QLineEdit>(*d, borders[i]);
      e->setFocus();
      e->selectAll();
      QTest::keyClicks(e, cm[i]);
    }
    QCOMPARE(d->Settings().BorderLeft, 12);
    QCOMPARE(d->Settings().BorderBottom, 47);
    fx.Prompts.Colors.push_back(QColor(0, 0, 255));
    TSaveFixture::Find<QPushButton>(*d, "ShapeBorderColor")->click();
    TSaveFixture::Find<QCheckBox>(*d, "ChkGrid")->setChecked(true);
    fx.Prompts.Colors.push_back(QColor(255, 0, 0));
    TSaveFixture::Find<QPushButton>(*d, "ShapeGridColor")->click();
    TSaveFixture::Find<TVNSpinEdit>(*d, "SpinGridWidth")->setValue(3);
    TSaveFixture::Find<TVNSpinEdit>(*d, "SpinCorrection")->setValue(30);
    TSaveFixture::Find<TVNSpinEdit>(*d, "SpinBlend")->setValue(20);
    TSaveFixture::Find<QCheckBox>(*d, "ChkOpenAfterSave")->setChecked(false);
    const TOutputSettings& s = d->Settings();
    QCOMPARE(s.BorderColor, MakeColorRef(0, 0, 255));

    const std::string ui = fx.Dir.File("ui"), cli = fx.Dir.File("cli");
    fs::create_directories(ui);
    fs::create_directories(cli);
    const std::string common = "--width " + std::to_string(s.OutputWidth) + " --dpi 300 --borders " +
                               std::to_string(s.BorderLeft) + "," + std::to_string(s.BorderTop) + "," +
                               std::to_string(s.BorderRight) + "," + std::to_string(s.BorderBottom) +
                               " --border-color '" + Hex(s.BorderColor) + "' --grid '3," + Hex(s.GridColor) +
                               "' --correction 30 --blend 20 --missing thumb";
    struct Case {
      const char* name;
      int type;
      bool direct;
      const char* cliArgs;
    };
    const Case cases[] = {{"poster.tif", kTypeTiff, false, ""},
                          {"poster.jpg", kTypeJpeg, false, "--quality 70"},
                          {"poster.bmp", kTypeBmp, false, ""},
                          {"direct.tif", kTypeTiff, true, "--direct"},
                          {"direct.bmp", kTypeBmp, true, "--direct"},
                          {"gallery.html", kTypeHtml, false, ""},
                          {"seq.bmp", kTypeSequence, false, "--sequence"},
                          {"list.txt", kTypeText, false, ""}};
    for (const Case& c : cases) {
      TSaveFixture::Find<QCheckBox>(*d, "ChkDirectToDisk")->setChecked(c.direct);
      if (c.type == kTypeJpeg)
        fx.Prompts.Dialogs.push_back([](QDialog& q) {
          q.findChild<QSpinBox*>("SpinEdit1")->setValue(70);
          q.findChild<QPushButton*>("BitBtn1")->click();
          return q.result();
        });
      // The stored thumbnails are smaller than the 98-pixel cells: keep them.
      if (c.type != kTypeText && c.type != kTypeHtml) fx.AnswerDialog(TResizeWarning::kUseStoredThumbs);
      fx.SaveAs(*d, ui + "/" + c.name, c.type);
      QVERIFY2(fx.Prompts.Dialogs.empty(), c.name);
      QCOMPARE(RunCli("render " + fx.Project + " " + cli + "/" + c.name + " " + common + " " + c.cliArgs), 0);
    }
    QCOMPARE(fx.Prompts.Unanswered, 0);
    QVERIFY(fx.Prompts.Messages.empty());
    const auto mine = Files(ui), theirs = Files(cli);
    QCOMPARE(mine.size(), theirs.size());
    QCOMPARE(mine.size(), size_t(5 + 2 + 24 + 24));  // pictures, page and list, small pictures, cells
    for (const auto& [name, bytes] : mine) {
      QVERIFY2(theirs.count(name), name.c_str());
      QVERIFY2(theirs.at(name) == bytes, name.c_str());
    }
    // The JPEG carries 300 dpi as its JFIF density; the BMP is 12 + 591 + 35 wide.
    const std::string jpg = mine.at("poster.jpg");
    const size_t jfif = jpg.find(std::string("JFIF\0", 5));
    QVERIFY(jfif != std::string::npos);
    QCOMPARE(int(uint8_t(jpg[jfif + 7])), 1);
    QCOMPARE((uint8_t(jpg[jfif + 8]) << 8) | uint8_t(jpg[jfif + 9]), 300);
    QCOMPARE((uint8_t(jpg[jfif + 10]) << 8) | uint8_t(jpg[jfif + 11]), 300);
  }

  void BordersAroundTheMosaicHaveTheBorderColour() {
    TSaveFixture fx(5, 4);
    auto d = PrepareOutputSetup(fx.Form);
    d->Settings().OutputWidth = 1000;
    d->Settings().OutputHeight = 800;
    d->Settings().Borders = true;
    d->Settings().BorderLeft = 10;
    d->Settings().BorderTop = 20;
    d->Settings().BorderRight = 30;
    d->Settings().BorderBottom = 40;
    d->Settings().BorderColor = MakeColorRef(10, 200, 30);
    d->Settings().DirectToDisk = false;
    d->Settings().UseThumb = false;  // the tiles' files exist: no question
    d->RefreshFigures();
    QCOMPARE(d->findChild<QLabel*>("LabelOutputSize")->text(), QString("1040 x 860 pixels"));
    const std::string bmp = fx.Dir.File("b.bmp");
    fx.SaveAs(*d, bmp, kTypeBmp);
    fx.Prompts.Answers.clear();
    const std::string b = ReadAll(bmp);
    auto le32 = [&](size_t o) {
      return uint32_t(uint8_t(b[o])) | uint32_t(uint8_t(b[o + 1])) << 8 | uint32_t(uint8_t(b[o + 2])) << 16 |
             uint32_t(uint8_t(b[o + 3])) << 24;
    };
    QCOMPARE(le32(18), 1040u);
    QCOMPARE(le32(22), 860u);
    const size_t stride = 1040 * 3;
    int wrong = 0;
    for (int y = 0; y < 860; ++y)
      for (int x = 0; x < 1040; ++x) {
        if (x >= 10 && x < 1010 && y >= 20 && y < 820) continue;
        const size_t o = 54 + stride * size_t(859 - y) + size_t(x) * 3;
        wrong += !(uint8_t(b[o]) == 30 && uint8_t(b[o + 1]) == 200 && uint8_t(b[o + 2]) == 10);
      }
    QCOMPARE(wrong, 0);
    // "Open image after saving" asks, with No as the default; Yes opens the file.
    QCOMPARE(fx.Prompts.Messages.size(), size_t(1));
    const TMessageRequest& q = fx.Prompts.Messages.back();
    QCOMPARE(q.Text, QString::fromStdString("The mosaic was saved to:\r" + bmp +
                                            "\rDo you want to open the saved mosaic image\rwith your default "
                                            "view/edit application?"));
    QCOMPARE(q.Caption, QString("Quivara 3"));
    QCOMPARE(q.Default, pbNo);
    QCOMPARE(q.Buttons, pbYes | pbNo);
    qvtest::TUrlRecorder urls;
    fx.Prompts.Answers.push_back(pbYes);
    fx.SaveAs(*d, fx.Dir.File("c.bmp"), kTypeBmp);
    QCOMPARE(urls.Urls.size(), size_t(1));
    QCOMPARE(urls.Urls[0], QUrl::fromLocalFile(QString::fromStdString(fx.Dir.File("c.bmp"))));
  }

  void MissingTileFilesAreAskedAboutOnTheWindowsThread() {
    TSaveFixture fx(4, 3);
    fs::remove_all(fx.Dir.File("lib_pictures"));
    auto d = PrepareOutputSetup(fx.Form);
    d->Settings().UseThumb = false;  // originals: every tile file is missing
    d->Settings().OpenAfterSave = false;
    d->Settings().DirectToDisk = true;
    bool sourceOffered = false, busy = false, uiThread = false;
    fx.Prompts.Dialogs.push_back([&](QDialog& q) {
      sourceOffered = !q.findChild<QPushButton*>("BitBtn5")->isHidden();
      busy =
          d->findChild<QPushButton*>("BtnStop")->isEnabled() && !d->findChild<QPushButton*>("BtnSaveAs")->isEnabled();
      uiThread = QThread::currentThread() == qApp->thread();
      return 3;  // "Auto": no more questions in this run
    });
    const std::string tif = fx.Dir.File("m.tif");
    fx.SaveAs(*d, tif, kTypeTiff);
    QCOMPARE(fx.Prompts.DialogNames.size(), size_t(1));
    QCOMPARE(fx.Prompts.DialogNames[0], QString("TileNotFoundDlg"));
    QVERIFY(sourceOffered);
    QVERIFY(busy);
    QVERIFY(uiThread);
    QVERIFY(FileExists(tif));
    QVERIFY(d->findChild<QPushButton*>("BtnSaveAs")->isEnabled());
    QVERIFY(!d->findChild<QPushButton*>("BtnStop")->isEnabled());

    // "Cancel" stops the run: nothing saved under the name, the buttons come back.
    fx.Prompts.DialogNames.clear();
    fx.AnswerDialog(4);
    const std::string jpg = fx.Dir.File("m.bmp");
    d->Settings().DirectToDisk = false;
    fx.SaveAs(*d, jpg, kTypeBmp);
    QCOMPARE(fx.Prompts.DialogNames.size(), size_t(1));
    QCOMPARE(d->StatusText(), QString("Procedure cancelled by user"));
    QVERIFY(!FileExists(jpg));
    QVERIFY(d->findChild<QPushButton*>("BtnClose")->isEnabled());
  }

  void StopDuringARunEndsIt() {
    TSaveFixture fx(6, 5);
    fs::remove_all(fx.Dir.File("lib_pictures"));
    auto d = PrepareOutputSetup(fx.Form);
    d->Settings().UseThumb = false;
    d->Settings().DirectToDisk = false;
    // "Stop" pressed while the first question is open, then "Replace" for that tile.
    fx.Prompts.Dialogs.push_back([&](QDialog&) {
      d->findChild<QPushButton*>("BtnStop")->click();
      return 1;
    });
    const std::string bmp = fx.Dir.File("s.bmp");
    fx.SaveAs(*d, bmp, kTypeBmp);
    QCOMPARE(d->StatusText(), QString("Procedure cancelled by user"));
    QVERIFY(!FileExists(bmp));
    QCOMPARE(fx.Prompts.DialogNames.size(), size_t(1));
  }

  void TheWindowKeepsWorkingWhileAWriterRuns() {
    TSaveFixture fx(8, 6);
    auto d = PrepareOutputSetup(fx.Form);
    d->Settings().OutputWidth = 6000;
    d->Settings().OutputHeight = 4500;
    d->Settings().DirectToDisk = true;
    d->Settings().OpenAfterSave = false;
    fx.AnswerDialog(TResizeWarning::kUseStoredThumbs);
    // A timer of the window's thread keeps firing during the run and sees it busy.
    int ticks = 0, busyTicks = 0, progressSeen = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      ++ticks;
      if (d->Running() && d->findChild<QPushButton*>("BtnStop")->isEnabled()) ++busyTicks;
      if (auto* bar = d->findChild<QProgressBar*>("ProgressBar1"); !bar->isHidden() && bar->value() > 0) ++progressSeen;
    });
    watch.start(1);
    const std::string tif = fx.Dir.File("big.tif");
    fx.SaveAs(*d, tif, kTypeTiff);
    watch.stop();
    QVERIFY(busyTicks > 0);
    QVERIFY(progressSeen > 0);
    QCOMPARE(qint64(fs::file_size(tif)), qint64(TiffFileSize(6000, 4500)));
    QVERIFY(!d->Running());
    QVERIFY(d->findChild<QProgressBar*>("ProgressBar1")->isHidden());
  }

  void AFailedWriteNamesTheFileAndKeepsTheOldOne() {
    TSaveFixture fx(4, 3);
    auto d = PrepareOutputSetup(fx.Form);
    d->Settings().UseThumb = false;
    d->Settings().OpenAfterSave = false;
    // A folder that does not exist.
    const std::string missing = fx.Dir.File("nowhere/x.bmp");
    fx.SaveAs(*d, missing, kTypeBmp);
    QCOMPARE(fx.Prompts.Messages.size(), size_t(1));
    QVERIFY(fx.Prompts.LastText().startsWith(
        QString::fromStdString("The mosaic could not be saved to:\r" + missing + "\r")));
    QCOMPARE(fx.Prompts.Messages.back().Icon, TPromptIcon::Error);
    QVERIFY(d->findChild<QPushButton*>("BtnSaveAs")->isEnabled());
    QVERIFY(!d->findChild<QPushButton*>("BtnStop")->isEnabled());
    QVERIFY(d->findChild<QPushButton*>("BtnClose")->isEnabled());

    // 0 dpi cannot go into a JPEG or TIFF file: refused with a message, nothing asked.
    d->Settings().Resolution = 0;
    fx.Prompts.Messages.clear();
    fx.SaveAs(*d, fx.Dir.File("zero.jpg"), kTypeJpeg);
    QCOMPARE(fx.Prompts.LastText(), QString("Set a resolution of at least 1 dpi to save a JPEG or TIFF picture."));
    QVERIFY(fx.Prompts.DialogNames.empty());
    QVERIFY(!FileExists(fx.Dir.File("zero.jpg")));
    d->Settings().Resolution = 150;

    // Too large for the format: refused before writing, the limit named, the old file kept.
    const std::string tif = fx.Dir.File("old.tif");
    { std::ofstream(tif) << "previous"; }
    d->Settings().OutputWidth = 70000;
    d->Settings().OutputHeight = 52500;
    d->Settings().DirectToDisk = true;
    fx.SaveAs(*d, tif, kTypeTiff);
    QVERIFY(fx.Prompts.LastText().contains("65535"));
    QCOMPARE(ReadAll(tif), std::string("previous"));
  }

  void ResampleWarningCancelsOrSwitchesToOriginals() {
    TSaveFixture fx(4, 3);
    auto d = PrepareOutputSetup(fx.Form);
    d->Settings().OutputWidth = 4000;  // cells of 1000 pixels, far above the thumbnails
    d->Settings().OutputHeight = 3000;
    d->Settings().OpenAfterSave = false;
    d->Settings().DirectToDisk = true;
    fx.AnswerDialog(TResizeWarning::kCancel);
    fx.SaveAs(*d, fx.Dir.File("w.bmp"), kTypeBmp);
    QCOMPARE(fx.Prompts.DialogNames.back(), QString("ResizeWarning"));
    QVERIFY(!FileExists(fx.Dir.File("w.bmp")));
    QVERIFY(d->Settings().UseThumb);
    fx.AnswerDialog(TResizeWarning::kUseOriginals);
    fx.SaveAs(*d, fx.Dir.File("w.bmp"), kTypeBmp);
    QVERIFY(!d->Settings().UseThumb);
    QVERIFY(!d->findChild<QCheckBox*>("ChkUseThumb")->isChecked());
    QVERIFY(FileExists(fx.Dir.File("w.bmp")));
    // A JPEG whose quality question is cancelled writes nothing and asks nothing more.
    fx.Prompts.DialogNames.clear();
    fx.SaveAs(*d, fx.Dir.File("w.jpg"), kTypeJpeg);
    QCOMPARE(fx.Prompts.DialogNames.size(), size_t(1));
    QVERIFY(!FileExists(fx.Dir.File("w.jpg")));
  }

  void MenuAndButtonOpenTheWindow() {
    TSaveFixture fx(4, 3);
    auto* action = fx.Form.findChild<QAction*>("Mosaiclayoutsetup1");
    QVERIFY(action);
    fx.Form.UpdateMenus();
    QVERIFY(action->isEnabled());
    QVERIFY(Child<QToolButton>(fx.Form, "SpeedButton6")->isEnabled());
    QString title;
    QTimer closer;  // closes the window once it is shown modally
    QObject::connect(&closer, &QTimer::timeout, [&] {
      QWidget* w = QApplication::activeModalWidget();
      if (!w) return;
      title = w->windowTitle();
      w->close();
    });
    closer.start(20);
    action->trigger();
    QCOMPARE(title, QString("Output mosaic setup"));
    // Closing saved the settings of section "Output".
    QCOMPARE(IniReadInt(fx.Settings(), "Output", "MosaicWidth", -1), 16);
  }
};

QTEST_MAIN(SaveMosaicTest)
#include "SaveMosaicTest.moc"
#include "moc_UrlRecorder.cpp"
