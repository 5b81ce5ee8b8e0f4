// "Mosaic quality..." from the main window: the report shows the totals the optimising pass
// reports in the status bar (one measure of distance for both), the heat map of the grid,
// the comparison with the source picture and the saved map.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include "MainFormFixture.h"
#include "codecs/PngCodec.h"
#include "controls/SpinEdits.h"
#include "engine/QVData.h"
#include "imaging/HeatMap.h"
#include "mainwindow/QualityForm.h"

using namespace qv;
using qvtest::Child;
using qvtest::TMainFormFixture;

namespace {

QString Figure(QDialog& d, const char* name) { return Child<QLabel>(d, name)->text().remove(','); }

}  // namespace

class MainFormQualityTest : public QObject {
  Q_OBJECT
 private slots:
  void ShowsTheOptimisersTotalsTheMapAndTheComparison() {
    TMainFormFixture fx;
    const std::string library = fx.MakeLibrary("lib", 30);
    const std::string project = fx.MakeProject("proj", library, 10, 8);
    TForm1 form(fx.Settings());
    form.OpenQVP(project);
    Child<TVNSpinEdit>(form, "SpinRadius2")->SetValue(1);
    Child<TVNSpinEdit>(form, "SpinRepetition2")->SetValue(3);
    Child<QAction>(form, "Mosaicall1")->trigger();
    Child<QAction>(form, "Optimisemosaic1")->trigger();
    const QRegularExpressionMatch m = QRegularExpression(R"(total distance (\d+) -> (\d+) )").match(form.StatusText(2));
    QVERIFY2(m.hasMatch(), qPrintable(form.StatusText(2)));
    const QString optimised = m.captured(2);

    emit Child<QMenu>(form, "Run1")->aboutToShow();
    QAction* quality = Child<QAction>(form, "Mosaicquality1");
    QVERIFY(quality->isEnabled());
    QCOMPARE(quality->text(), QString("Mosaic quality..."));

    const std::string mapFile = fx.Dir.File("map.png");
    fx.Prompts.Files.push_back(QString::fromStdString(mapFile));
    bool shown = false;
    // QCOMPARE and QVERIFY return from a void function: the checks live in one.
    auto check = [&](QDialog& d) {
      shown = true;
      auto& q = dynamic_cast<TQualityForm&>(d);
      // The library's tiles in the library's colour system: the very total the pass reached.
      QCOMPARE(Figure(d, "LabelTotal"), optimised);
      QCOMPARE(Figure(d, "LabelCells"), QString("80 of 80"));
      QCOMPARE(q.Figures().Measured, 80);
      QVERIFY(q.Figures().P50 <= q.Figures().P90 && q.Figures().P90 <= q.Figures().P99);
      QVERIFY(q.Figures().MostUses <= 3);
      QCOMPARE(Figure(d, "LabelUses"), QString::number(q.Figures().MostUses));
      QCOMPARE(Figure(d, "LabelTiles"), QString::number(q.Figures().DistinctTiles));
      const QPixmap map = Child<QLabel>(d, "Map1")->pixmap();
      QVERIFY(!map.isNull());
      QCOMPARE(map.width() * 8, map.height() * 10);  // the grid's shape

      Child<QPushButton>(d, "BtnCompare")->click();
      QVERIFY2(Figure(d, "LabelPsnr").endsWith(" dB"), qPrintable(Figure(d, "LabelPsnr")));
      const double ssim = Figure(d, "LabelSsim").toDouble();
      QVERIFY(ssim > -1 && ssim < 1);
      QVERIFY(Figure(d, "LabelCellError").toDouble() > 0);

      Child<QPushButton>(d, "BtnSaveMap")->click();
      Child<QPushButton>(d, "BtnClose")->click();
    };
    fx.Prompts.Dialogs.push_back([&](QDialog& d) {
      check(d);
      return d.result();
    });
    quality->trigger();
    QVERIFY(shown);
    QCOMPARE(fx.Prompts.DialogNames.back(), QString("QualityForm"));
    QVERIFY(fx.Prompts.Messages.empty());
    // The saved map: one colour per cell, 10 x 8 cells of HeatMapCellPixels each.
    const Bitmap24 saved = DecodePngFile(mapFile);
    const int side = HeatMapCellPixels(10, 8);
    QCOMPARE(saved.Width(), 10 * side);
    QCOMPARE(saved.Height(), 8 * side);
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 10; ++c)
        QVERIFY(std::equal(saved.Pixel(c * side, r * side), saved.Pixel(c * side, r * side) + 3,
                           saved.Pixel(c * side + side - 1, r * side + side - 1)));
  }
};

QTEST_MAIN(MainFormQualityTest)
#include "MainFormQualityTest.moc"
