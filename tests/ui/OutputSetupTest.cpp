// The output setup window on its own: read-outs while the user types, units, borders kept
// while off, the layout preview with borders, grid, correction and blend, and its settings.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "ScriptedPrompts.h"
#include "controls/SpinEdits.h"
#include "output/RenderSettings.h"
#include "outputui/OutputSetup.h"
#include "outputui/ResizeWarning.h"
#include "outputui/TileNotFoundDlg.h"
#include "settings/AppSettings.h"
#include "settings/IniFile.h"
#include "support/TestFiles.h"

using namespace qv;

namespace {

Bitmap24 Solid(int w, int h, uint8_t b, uint8_t g, uint8_t r) {
  Bitmap24 p;
  p.SetSize(w, h, b, g, r);
  return p;
}

QString Text(QObject& o, const char* name) { return o.findChild<QLabel*>(name)->text(); }

void Type(QObject& o, const char* name, const QString& text) {
  auto* e = o.findChild<QLineEdit*>(name);
  e->setFocus();
  e->selectAll();
  QTest::keyClicks(e, text);
}

}  // namespace

class OutputSetupTest : public QObject {
  Q_OBJECT
  qvtest::TempDir dir_;
  qvtest::TScriptedPrompts prompts_;
  std::string settings_;

  // A window for 40 x 30 cells of 50 x 50 tiles, as "Save mosaic..." opens it.
  std::unique_ptr<TOutputSetup> Open() {
    auto d = std::make_unique<TOutputSetup>(settings_);
    d->SetGrid(TOutputGrid{40, 30, 50, 50});
    DefaultOutputSize(d->Settings(), d->Grid());
    d->SetPreviews(Solid(40, 30, 0, 0, 200), Solid(40, 30, 0, 200, 0));
    d->RefreshFigures();
    d->RefreshPreview();
    d->show();
    return d;
  }

 private slots:
  void init() {
    settings_ = dir_.File("qv003.ini");
    std::remove(settings_.c_str());
    SetPrompts(&prompts_);
  }
  void cleanup() { SetPrompts(nullptr); }

  void FiguresFollowTheEntries() {
    auto d = Open();
    QCOMPARE(d->windowTitle(), QString("Output mosaic setup"));
    QCOMPARE(Text(*d, "LabelTileSize"), QString("50 x 50 pixels"));
    QCOMPARE(Text(*d, "LabelFileSize"), QString("File size: 8.58 MB"));
    QCOMPARE(Text(*d, "LabelOutputInch"), QString("13.33 x 10.00 inch"));
    QCOMPARE(Text(*d, "LabelOutputCm"), QString("33.87 x 25.40 cm"));
    Type(*d, "EditWidth", "3000");
    QCOMPARE(d->findChild<QLineEdit*>("EditHeight")->text(), QString("2250"));
    QCOMPARE(Text(*d, "LabelOutputSize"), QString("3000 x 2250 pixels"));
    Type(*d, "EditHeight", "1000");
    QCOMPARE(d->findChild<QLineEdit*>("EditWidth")->text(), QString("1333"));
    // Letters, 0 and a thousand million are refused; leaving the entry shows the size again.
    for (const char* bad : {"abc", "0", "-20", "1000000000"}) {
      auto* e = d->findChild<QLineEdit*>("EditWidth");
      e->setFocus();
      e->selectAll();
      e->insert(bad);  // as pasted
      QCOMPARE(d->Settings().OutputWidth, 1333);
    }
    QTest::keyClick(d->findChild<QLineEdit*>("EditWidth"), Qt::Key_Return);
    QCOMPARE(d->findChild<QLineEdit*>("EditWidth")->text(), QString("1333"));

    // Units: centimetres at 150 dpi.
    d->findChild<QComboBox*>("ComboUnits")->setCurrentIndex(kUnitsCm);
    QCOMPARE(Text(*d, "LabelUnitWidth"), QString("cm"));
    QCOMPARE(d->findChild<QLineEdit*>("EditWidth")->text(), QString("22.5722"));
    Type(*d, "EditWidth", "10");
    QCOMPARE(d->Settings().OutputWidth, 591);
    // Resolution 0: the physical sizes read 0.00.
    Type(*d, "EditResolution", "0");
    QCOMPARE(Text(*d, "LabelOutputInch"), QString("0.00 x 0.00 inch"));
    QCOMPARE(Text(*d, "LabelOutputSize"), QString("591 x 443 pixels"));
  }

  void BordersOffAreShownButNotCounted() {
    auto d = Open();
    d->findChild<QCheckBox*>("ChkBorders")->setChecked(true);
    QVERIFY(d->findChild<QLineEdit*>("EditBorderLeft")->isEnabled());
    Type(*d, "EditBorderLeft", "20");
    QCOMPARE(Text(*d, "LabelOutputSize"), QString("2020 x 1500 pixels"));
    d->findChild<QCheckBox*>("ChkBorders")->setChecked(false);
    QVERIFY(!d->findChild<QLineEdit*>("EditBorderLeft")->isEnabled());
    QCOMPARE(d->findChild<QLineEdit*>("EditBorderLeft")->text(), QString("20"));
    QCOMPARE(Text(*d, "LabelOutputSize"), QString("2000 x 1500 pixels"));
    QCOMPARE(d->CurrentRenderSettings().BorderLeft, 0);
    QCOMPARE(d->LayoutPicture().Width(), 423);
    QCOMPARE(d->LayoutPicture().Height(), 317);  // Round(423 / 2000 x 1500)
  }

  void PreviewDrawsBordersGridAndTheBlendedMosaic() {
    auto d = Open();
    d->Settings().Borders = true;
    d->Settings().BorderLeft = d->Settings().BorderRight = 200;
    d->Settings().BorderTop = d->Settings().BorderBottom = 100;
    d->Settings().BorderColor = MakeColorRef(255, 255, 0);
    d->RefreshPreview();
    const Bitmap24& p = d->LayoutPicture();
    auto px = [&p](int x, int y) {
      const uint8_t* q = p.Pixel(x, y);
      return QColor(q[2], q[1], q[0]);
    };
    QCOMPARE(px(0, 0), QColor(255, 255, 0));
    QCOMPARE(px(p.Width() / 2, p.Height() / 2), QColor(200, 0, 0));  // the plain mosaic
    // Grid: one-pixel lines in the grid colour on the cell boundaries.
    prompts_.Colors.push_back(QColor(0, 0, 0));
    d->findChild<QCheckBox*>("ChkGrid")->setChecked(true);
    d->findChild<QPushButton*>("ShapeGridColor")->click();
    const int left = int(std::lround(423.0 / 2400 * 200));
    const int y = p.Height() / 2 + 3;  // between two horizontal lines
    QCOMPARE(px(left, y), QColor(0, 0, 0));
    QCOMPARE(px(left + 2, y), QColor(200, 0, 0));
    // Blend 100: only the source preview is left.
    d->findChild<TVNSpinEdit*>("SpinBlend")->setValue(100);
    QCOMPARE(px(left + 2, y), QColor(0, 200, 0));
  }

  void TheTwoQuestionsOfASave() {
    // Tile not found: the file's name, "Auto" as default, "Auto replace with source" hidden
    // when the writer does not offer it (and never answered then); closed counts as Cancel.
    bool hidden = false, autoDefault = false;
    QString shown;
    prompts_.Dialogs.push_back([&](QDialog& q) {
      hidden = q.findChild<QPushButton*>("BitBtn5")->isHidden();
      autoDefault = q.findChild<QPushButton*>("BitBtn3")->isDefault();
      shown = q.findChild<QLabel*>("Label1")->text();
      return 6;
    });
    QCOMPARE(TTileNotFoundDlg::AskTileNotFound("/pics/gone.jpg", false), int(kAnswerAuto));
    QVERIFY(hidden);
    QVERIFY(autoDefault);
    QCOMPARE(shown, QString("/pics/gone.jpg"));
    prompts_.Dialogs.push_back([](QDialog& q) {
      q.findChild<QPushButton*>("BitBtn5")->click();
      return q.result();
    });
    QCOMPARE(TTileNotFoundDlg::AskTileNotFound("/pics/gone.jpg", true), int(kAnswerAutoSource));
    QCOMPARE(TTileNotFoundDlg::AskTileNotFound("/pics/gone.jpg", true), int(kAnswerCancel));  // closed

    // Resample warning: the stored picture at its size and stretched to the output cell.
    Bitmap24 thumb = Solid(42, 31, 10, 20, 30);
    QSize small, large;
    prompts_.Dialogs.push_back([&](QDialog& q) {
      small = q.findChild<QLabel*>("Image1")->pixmap().size();
      large = q.findChild<QLabel*>("Image2")->pixmap().size();
      q.findChild<QPushButton*>("BitBtn2")->click();
      return q.result();
    });
    QCOMPARE(TResizeWarning::AskResize(thumb, 98, 73), TResizeWarning::kUseStoredThumbs);
    QCOMPARE(small, QSize(42, 31));
    QCOMPARE(large, QSize(98, 73));
    QCOMPARE(TResizeWarning::AskResize(thumb, 98, 73), TResizeWarning::kCancel);  // closed
  }

  void SettingsAreKeptInSectionOutput() {
    {
      auto d = Open();
      d->findChild<TVNSpinEdit*>("SpinBlend")->setValue(25);
      d->findChild<QCheckBox*>("ChkGrid")->setChecked(true);
      d->findChild<QComboBox*>("ComboUnits")->setCurrentIndex(kUnitsInches);
      d->findChild<QPushButton*>("BtnClose")->click();
      // Not remembered: blend goes back to 0 and is not written.
      QCOMPARE(d->Settings().Blending, 0);
    }
    QCOMPARE(IniReadInt(settings_, "Output", "MosaicWidth", 0), 2000);
    QCOMPARE(IniReadInt(settings_, "Output", "Units", 0), 1);
    QVERIFY(IniReadBool(settings_, "Output", "Grid", false));
    QCOMPARE(IniReadInt(settings_, "Output", "Blending", -1), -1);
    IniWriteBool(settings_, "StartUp", "RememberBlendSetting", true);
    {
      auto d = Open();
      QCOMPARE(d->findChild<QComboBox*>("ComboUnits")->currentIndex(), 1);
      d->findChild<TVNSpinEdit*>("SpinBlend")->setValue(25);
    }
    QCOMPARE(IniReadInt(settings_, "Output", "Blending", -1), 25);
    auto d = Open();
    QCOMPARE(d->Settings().Blending, 25);
  }
};

QTEST_MAIN(OutputSetupTest)
#include "OutputSetupTest.moc"
