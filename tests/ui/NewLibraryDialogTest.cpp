// The new library dialog: its fields and settings, the tile outline, the build with its
// progress and stop, the bad inputs it refuses, what failed and killed builds leave, and the
// opening of the new library.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <filesystem>

#include "MainFormFixture.h"
#include "base/FileUtil.h"
#include "controls/SpinEdits.h"
#include "library/Q2BaseDlg.h"
#include "settings/IniFile.h"

using namespace qv;
using qvtest::TMainFormFixture;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

template <class T>
T* Child(QObject* o, const char* name) {
  T* c = o->findChild<T*>(name);
  if (!c) qFatal("no child %s", name);
  return c;
}

// A folder of count pictures; the first one with the extension .jpeg.
std::string MakePictures(TMainFormFixture& fx, const std::string& name, int count) {
  const std::string root = fx.Dir.File(name);
  std::filesystem::create_directories(root);
  for (int i = 0; i < count; ++i)
    qvtest::WriteTestJpeg(root + "/p" + std::to_string(i) + (i == 0 ? ".jpeg" : ".jpg"), 30, 20, uint32_t(i + 1));
  return root;
}

void Fill(TQ2NewBaseForm& d, const std::string& file, const std::string& root) {
  Child<QLineEdit>(&d, "TxtNewQvb")->setText(Q(file));
  Child<QLineEdit>(&d, "TxtRoot")->setText(Q(root));
}

}  // namespace

class NewLibraryDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void FieldsSettingsAndTileOutline() {
    TMainFormFixture fx;
    IniWriteInt(fx.Settings(), "NewBase", "XScale", 9);  // read back clamped to 3..4
    IniWriteInt(fx.Settings(), "NewBase", "YScale", 4);
    {
      TQ2NewBaseForm d(fx.Settings(), nullptr);
      d.show();
      QCOMPARE(d.windowTitle(), QString("New library"));
      QVERIFY(Child<QCheckBox>(&d, "chkJPG")->isChecked());
      QVERIFY(!Child<QCheckBox>(&d, "chkBMP")->isChecked());
      QCOMPARE(Child<QCheckBox>(&d, "chkPCD")->text(), QString("*.PCD"));
      QCOMPARE(d.GetPictExts(), std::string("*.JPG*.JPEG"));
      QVERIFY(Child<QCheckBox>(&d, "CheckBox1")->isChecked());
      QVERIFY(Child<QRadioButton>(&d, "RadioButtonCC")->isChecked());
      QVERIFY(Child<QRadioButton>(&d, "RadioButtonYCC")->isChecked());
      QVERIFY(!Child<QPushButton>(&d, "cmndStop")->isEnabled());
      QVERIFY(Child<QPushButton>(&d, "BitBtn5")->isHidden());
      QVERIFY(!Child<TVNSpinEdit>(&d, "SpinEdit5")->isEnabled());
      QCOMPARE(Child<TVNSpinEdit>(&d, "SpinEdit6")->Value(), 36);
      QCOMPARE(Child<TVNSpinEdit>(&d, "SpinEdit2")->Value(), 4);

      // X = 3, Y = 4, margin 10: outline 48 x 64, the kept part 43 x 58 at 2, 3 inside it.
      Child<TVNSpinEdit>(&d, "SpinEdit2")->SetValue(3);
      Child<TVNSpinEdit>(&d, "SpinEdit3")->SetValue(10);
      const QRect outline = Child<QFrame>(&d, "Shape1")->geometry();
      const QRect kept = Child<QFrame>(&d, "Shape2")->geometry();
      QCOMPARE(outline.size(), QSize(48, 64));
      QCOMPARE(kept.size(), QSize(43, 58));
      QCOMPARE(kept.topLeft() - outline.topLeft(), QPoint(2, 3));
      Child<QCheckBox>(&d, "chkPCD")->setChecked(true);
      Child<QCheckBox>(&d, "chkBMP")->setChecked(true);
      QTest::keyClick(&d, Qt::Key_Escape);  // Esc closes and writes the settings like "Close"
      QVERIFY(!d.isVisible());
    }
    QCOMPARE(IniReadString(fx.Settings(), "NewBase", "ImgExts", ""), std::string(".BMP.JPG.PCD"));
    QCOMPARE(IniReadInt(fx.Settings(), "NewBase", "XScale", 0), 3);
    QCOMPARE(IniReadInt(fx.Settings(), "NewBase", "YScale", 0), 4);
    QCOMPARE(IniReadInt(fx.Settings(), "NewBase", "ThumbW", 0), 36);
    QCOMPARE(IniReadInt(fx.Settings(), "NewBase", "ThumbQ", 0), 60);
    QCOMPARE(IniReadInt(fx.Settings(), "NewBase", "XRes", 0), 6);
  }

  void MissingAndBadInputs() {
    TMainFormFixture fx;
    TQ2NewBaseForm d(fx.Settings(), nullptr);
    auto scan = [&] { QTest::mouseClick(Child<QPushButton>(&d, "BitBtn1"), Qt::LeftButton); };
    scan();
    QCOMPARE(fx.Prompts.LastText(), QString("Please specify new library name"));
    QCOMPARE(fx.Prompts.Messages.back().Caption, QString("Quivara"));
    QVERIFY(fx.Prompts.Messages.back().Icon == TPromptIcon::Question);
    Child<QLineEdit>(&d, "TxtNewQvb")->setText(Q(fx.Dir.File("x")));
    scan();
    QCOMPARE(fx.Prompts.LastText(), QString("Please specify library root directory"));

    Fill(d, fx.Dir.File("x"), fx.Dir.File("nowhere"));
    scan();
    QVERIFY(fx.Prompts.LastText().contains("does not exist"));
    const std::string empty = fx.Dir.File("empty");
    std::filesystem::create_directories(empty);
    Fill(d, fx.Dir.File("no/such/folder/x.qv2"), empty);
    scan();
    QVERIFY(fx.Prompts.LastText().contains("cannot be written"));
    Fill(d, fx.Dir.File("x"), empty);
    scan();
    QVERIFY(fx.Prompts.LastText().startsWith("No picture of the ticked types"));
    QVERIFY(!std::filesystem::exists(fx.Dir.File("x.qv2")));

    // An existing library made read-only is never replaced.
    MakePictures(fx, "pics", 2);
    qvtest::WriteFile(fx.Dir.File("kept.qv2"), "old");
    std::filesystem::permissions(fx.Dir.File("kept.qv2"), std::filesystem::perms::owner_read);
    Fill(d, fx.Dir.File("kept.qv2"), fx.Dir.File("pics"));
    scan();
    QCOMPARE(fx.Prompts.LastText(),
             Q("Library file\r" + fx.Dir.File("kept.qv2") + "\ris read-only: it was left as it was."));
    QCOMPARE(qvtest::FileBytes(fx.Dir.File("kept.qv2")), std::string("old"));

    // Pictures that cannot be read are skipped; with none left, an existing library of that
    // name stays as it was.
    const std::string broken = fx.Dir.File("broken");
    std::filesystem::create_directories(broken);
    qvtest::WriteFile(broken + "/a.jpg", "not a picture");
    qvtest::WriteFile(broken + "/b.jpg", std::string(5000, '\xff'));
    qvtest::WriteFile(fx.Dir.File("old.qv2"), "old library");
    Fill(d, fx.Dir.File("old.qv2"), broken);
    scan();
    QCOMPARE(fx.Prompts.LastText(),
             Q("No picture could be added, so the library\r" + fx.Dir.File("old.qv2") + "\rwas not written."));
    QCOMPARE(qvtest::FileBytes(fx.Dir.File("old.qv2")), std::string("old library"));
    QVERIFY(!std::filesystem::exists(fx.Dir.File("old.qv2.building")));

    // No type ticked: the engine's message, and the dialog ready again.
    Fill(d, fx.Dir.File("x"), fx.Dir.File("pics"));
    Child<QCheckBox>(&d, "chkJPG")->setChecked(false);
    scan();
    QCOMPARE(fx.Prompts.LastText(),
             Q("Not ready to create " + fx.Dir.File("x.qv2") + "\r\n Check some of picture file extantions"));
    QVERIFY(Child<QPushButton>(&d, "BitBtn1")->isEnabled());
    QVERIFY(Child<QPushButton>(&d, "BitBtn2")->isEnabled());
    QVERIFY(!std::filesystem::exists(fx.Dir.File("x.qv2")));
  }

  // A build killed between writing its file and renaming it (earlier builds wrote through
  // X.qv2.building) left that file behind: the next build of X.qv2 takes it away. A build
  // whose file cannot be written keeps the old library and leaves nothing beside it.
  void LeftoversOfEarlierBuildsAndFailedWrites() {
    TMainFormFixture fx;
    const std::string root = MakePictures(fx, "pics", 3);
    const std::string lib = fx.Dir.File("tiles.qv2");
    qvtest::WriteFile(lib + ".building", "left by a killed build");
    std::filesystem::create_directories(fx.Dir.File("other.qv2.building"));  // not ours to take
    auto strayFiles = [&] {
      QStringList stray;
      for (const auto& e : std::filesystem::directory_iterator(fx.Dir.Path())) {
        const std::string name = e.path().filename().string();
        if (name.rfind(".qv", 0) == 0 || name.find(".building") != std::string::npos) stray << Q(name);
      }
      return stray;
    };
    TQ2NewBaseForm d(fx.Settings(), nullptr);
    Fill(d, lib, root);
    d.BitBtn1Click();
    TQVData t;
    QVERIFY(t.Open(lib));
    QCOMPARE(t.Count, 3);
    t.Close();
    QCOMPARE(strayFiles(), QStringList{"other.qv2.building"});
    std::filesystem::remove(fx.Dir.File("other.qv2.building"));

    const std::string built = qvtest::FileBytes(lib);
    for (TWriteFault fault : {TWriteFault::kShortWrite, TWriteFault::kRenameRefused}) {
      InjectWriteFaultForTesting(fault, 1);
      d.BitBtn1Click();
      InjectWriteFaultForTesting(TWriteFault::kNone);
      QCOMPARE(fx.Prompts.LastText(), Q("Library file\r" + lib + "\rcould not be written."));
      QVERIFY(qvtest::FileBytes(lib) == built);
      QCOMPARE(strayFiles(), QStringList());
    }
  }

  void BuildOpensTheLibraryInTheMainWindow() {
    TMainFormFixture fx;
    const std::string root = MakePictures(fx, "pics", 4);
    TForm1 form(fx.Settings());
    TQ2NewBaseForm d(fx.Settings(), &form);
    Fill(d, fx.Dir.File("tiles.lib"), root);  // another extension becomes .qv2
    QStringList titles;
    connect(&d, &QWidget::windowTitleChanged, this, [&](const QString& t) { titles << t; });
    d.BitBtn1Click();
    const std::string file = fx.Dir.File("tiles.qv2");
    QVERIFY(std::filesystem::exists(file));
    QCOMPARE(Q(form.QVLib1.BaseName()), Q(file));
    QCOMPARE(form.QVLib1.Count, 4);  // .jpeg taken with the JPG box
    QCOMPARE(titles.first(), QString("0 pic indexed"));
    QCOMPARE(titles.last(), QString("3 pic indexed"));
    auto* bar = Child<QProgressBar>(&d, "ProgressBar1");
    QCOMPARE(bar->maximum(), 4);
    QCOMPARE(bar->value(), 4);
    QVERIFY(Child<QLabel>(&d, "Image1")->isHidden());
    QVERIFY(Child<QPushButton>(&d, "BitBtn1")->isEnabled());
    QCOMPARE(IniReadString(fx.Settings(), "LastPath", "Library", ""), fx.Dir.Path() + "/");
  }

  void StopWritesAndOpensThePicturesAddedSoFar() {
    TMainFormFixture fx;
    const std::string root = MakePictures(fx, "pics", 12);
    TForm1 form(fx.Settings());
    TQ2NewBaseForm d(fx.Settings(), &form);
    d.show();
    d.BuildThreads = 1;
    Fill(d, fx.Dir.File("part.qv2"), root);
    bool closedWhileRunning = false;
    connect(&d, &QWidget::windowTitleChanged, this, [&](const QString& t) {
      QVERIFY(d.Running());
      QVERIFY(!Child<QPushButton>(&d, "BitBtn2")->isEnabled());
      if (t == "3 pic indexed") {
        closedWhileRunning = !d.close() && d.isVisible();  // a close during the build only stops it
        QTest::mouseClick(Child<QPushButton>(&d, "cmndStop"), Qt::LeftButton);
      }
    });
    d.BitBtn1Click();
    QVERIFY(closedWhileRunning);
    // The picture announced with the third count is still added; none after it.
    QCOMPARE(form.QVLib1.Count, 4);
    QCOMPARE(Q(form.QVLib1.BaseName()), Q(fx.Dir.File("part.qv2")));
  }

  void OtherProportionWithAProjectOpen() {
    TMainFormFixture fx;
    const std::string lib = fx.MakeLibrary("lib", 6);
    const std::string project = fx.MakeProject("proj", lib, 3, 2);
    const std::string root = MakePictures(fx, "pics", 3);
    TForm1 form(fx.Settings());
    form.OpenQVP(project);
    TQ2NewBaseForm d(fx.Settings(), &form);
    // Filled as the wizard fills it: 3 : 4 tiles.
    TNewLibraryChoices c;
    c.FileName = fx.Dir.File("tall.qv2");
    c.RootFolder = root;
    c.Types[1] = true;
    c.PropX = 3;
    c.CropMode = 9;
    d.SetChoices(c);
    QVERIFY(Child<QRadioButton>(&d, "RadioButtonSA")->isChecked());
    fx.Prompts.Answers.push_back(pbCancel);
    d.BitBtn1Click();
    QVERIFY(std::filesystem::exists(fx.Dir.File("tall.qv2")));
    QCOMPARE(Q(form.QVLib1.BaseName()), Q(lib));
    QVERIFY(form.QVPlan1.TableIsOpen());
    const auto& asked = fx.Prompts.Messages[fx.Prompts.Messages.size() - 2];
    QCOMPARE(asked.Text, Q("Library \r" + fx.Dir.File("tall.qv2") +
                           "\rhas a different tile height/width ratio.\rIf you want to open it right now - you had "
                           "to close the current project.\rClose the current project?\r"));
    QCOMPARE(fx.Prompts.LastText(), Q("Library \r" + fx.Dir.File("tall.qv2") +
                                      "\rwas created.\rYou may open it after closing New Base window."));

    // OK closes the project and opens the new library.
    Fill(d, fx.Dir.File("tall2.qv2"), root);
    fx.Prompts.Answers.push_back(pbOK);
    d.BitBtn1Click();
    QVERIFY(!form.QVPlan1.TableIsOpen());
    QCOMPARE(Q(form.QVLib1.BaseName()), Q(fx.Dir.File("tall2.qv2")));
    QCOMPARE(form.QVLib1.PropX, 3);
  }
};

QTEST_MAIN(NewLibraryDialogTest)
#include "NewLibraryDialogTest.moc"
