// How big windows come up: the main window's first-start bounds, stored bounds restored as they
// were, and every dialog large enough for its laid-out content at the usual font sizes.
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

#include "MainFormFixture.h"
#include "controls/CropImage.h"
#include "library/LibResSetDlg.h"
#include "library/LibraryInspector.h"
#include "library/Q2BaseDlg.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/TilePrev.h"
#include "mainwindow/WindowBounds.h"
#include "outputui/JpegOptions.h"
#include "outputui/OutputSetup.h"
#include "outputui/TileNotFoundDlg.h"
#include "prefs/PrefsForm.h"
#include "settings/IniFile.h"
#include "source/PicToolForm.h"
#include "source/SourceSetupHost.h"
#include "source/SrcSetup.h"

using namespace qv;
using qvtest::TMainFormFixture;

namespace {

struct THost : TSourceSetupHost {
  TQVData Lib, Plan1, Mosaic1;
  std::string Settings;
  TQVData& Library() override { return Lib; }
  TQVData& Plan() override { return Plan1; }
  TQVData& Mosaic() override { return Mosaic1; }
  void OpenProject(const std::string&) override {}
  void SaveProject() override {}
  void InsertRecentFile(const std::string&) override {}
  void MosaicCellsChanged() override {}
  void ShowHelpTopic(int) override {}
  const std::string& SettingsPath() override { return Settings; }
};

// The names of the visible controls of w that are smaller than their text and frame need.
QStringList ClippedControls(const QWidget& w) {
  QStringList clipped;
  for (QWidget* c : w.findChildren<QWidget*>()) {
    if (!c->isVisible()) continue;
    // The editor inside a spin box or combo box is laid out by its owner, without a frame.
    if (qobject_cast<QAbstractSpinBox*>(c->parentWidget()) || qobject_cast<QComboBox*>(c->parentWidget())) continue;
    const bool measured = qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c) ||
                          qobject_cast<QLineEdit*>(c) || qobject_cast<QAbstractSpinBox*>(c) ||
                          qobject_cast<QComboBox*>(c);
    if (!measured) continue;
    QSize need = c->minimumSizeHint();
    // A push button's hint holds the style's least button width; what must fit is its text.
    if (auto* b = qobject_cast<QPushButton*>(c); b && b->icon().isNull()) {
      if (b->text().isEmpty()) continue;  // a colour swatch
      need.setWidth(b->fontMetrics().horizontalAdvance(b->text()) + 6);
    }
    if (c->width() < need.width() || c->height() < need.height())
      clipped << QString("%1 (%2) %3x%4 < %5x%6")
                     .arg(c->objectName(), c->metaObject()->className())
                     .arg(c->width())
                     .arg(c->height())
                     .arg(need.width())
                     .arg(need.height());
  }
  return clipped;
}

}  // namespace

class WindowSizeTest : public QObject {
  Q_OBJECT
 private slots:
  void FirstStartBoundsRule() {
    // Three quarters of the area, centred on it.
    const QRect area(0, 24, 1400, 976);
    const QRect r = FirstStartBounds(area, QSize(508, 457));
    QCOMPARE(r.size(), QSize(1212, 845));
    QCOMPARE(r.center(), area.center());
    QVERIFY(area.contains(r));
    // A small screen: never below the design size, never beyond the area.
    QCOMPARE(FirstStartBounds(QRect(0, 0, 560, 500), QSize(508, 457)).size(), QSize(508, 457));
    QCOMPARE(FirstStartBounds(QRect(0, 0, 480, 400), QSize(508, 457)), QRect(0, 0, 480, 400));
  }

  void MainWindowWithoutStoredBounds() {
    TMainFormFixture fx;
    TForm1 form(fx.Settings());
    const QRect area = AvailableArea(&form);
    QCOMPARE(area.size(), QSize(1400, 1000));
    QCOMPARE(form.geometry(), FirstStartBounds(area, QSize(508, 457)));
    QVERIFY(form.width() > 508 && form.height() > 457);
    QCOMPARE(form.minimumSize(), QSize(508, 457));
    // A damaged value counts as none; a value with reversed corners too.
    IniWriteString(fx.Settings(), "LayOut", "MainForm", "10,20,5,40");
    TForm1 reversed(fx.Settings());
    QCOMPARE(reversed.geometry(), FirstStartBounds(area, QSize(508, 457)));
  }

  void StoredBoundsRestoredAsTheyWere() {
    TMainFormFixture fx;
    IniWriteString(fx.Settings(), "Layout", "MainForm", "40,30,640,530");
    {
      TForm1 form(fx.Settings());
      QCOMPARE(form.geometry(), QRect(40, 30, 600, 500));
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      QCOMPARE(form.geometry(), QRect(40, 30, 600, 500));
    }
    // Written back unchanged by the closing window.
    QCOMPARE(IniReadString(fx.Settings(), "LayOut", "MainForm", ""), std::string("40,30,640,530"));
    // Stored bounds below the design size: the design size stays the minimum.
    IniWriteString(fx.Settings(), "LayOut", "MainForm", "40,30,240,130");
    TForm1 small(fx.Settings());
    QCOMPARE(small.pos(), QPoint(40, 30));
    QCOMPARE(small.size(), QSize(508, 457));
  }

  void DialogStoredBoundsRestored() {
    TMainFormFixture fx;
    IniWriteString(fx.Settings(), "LayOut", "TilePreview", "30,40,530,460");
    TTilePrev preview(fx.Settings());
    QCOMPARE(preview.geometry(), QRect(30, 40, 500, 420));
    // A fixed-size window is only moved: it keeps the size its content asks for.
    IniWriteString(fx.Settings(), "LayOut", "OutputSetup", "20,25,60,65");
    TOutputSetup setup(fx.Settings());
    setup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&setup));
    QCOMPARE(setup.pos(), QPoint(20, 25));
    QVERIFY(setup.width() >= setup.sizeHint().width() && setup.height() >= setup.sizeHint().height());
  }

  // Without stored bounds every dialog comes up at least as large as its content asks, and
  // no text of its controls is cut, at each of the usual font sizes.
  void DialogsFitTheirContent_data() {
    QTest::addColumn<int>("points");
    for (int points : {8, 9, 10, 11, 12}) QTest::addRow("%dpt", points) << points;
  }

  void DialogsFitTheirContent() {
    QFETCH(int, points);
    const QFont saved = QApplication::font();
    QFont font = saved;
    font.setPointSize(points);
    QApplication::setFont(font);

    TMainFormFixture fx;
    THost host;
    host.Settings = fx.Settings();
    TForm1 form(fx.Settings());
    form.OpenLibraryByName(fx.MakeLibrary("lib", 4));
    TCropImage view;

    std::vector<std::pair<const char*, std::function<std::unique_ptr<QWidget>()>>> makers = {
        {"TilePrev", [&] { return std::make_unique<TTilePrev>(fx.Settings()); }},
        {"LibraryInspector", [&] { return std::make_unique<TLibrayMosaic>(form); }},
        {"NewLibrary", [&] { return std::make_unique<TQ2NewBaseForm>(fx.Settings(), &form); }},
        {"LibResSet", [&] { return std::make_unique<TLibResSetDlg>(); }},
        {"SourceSetup", [&] { return std::make_unique<TSrcSetup>(host); }},
        {"PicTool", [&] { return std::make_unique<TPicToolForm>(view); }},
        {"OutputSetup", [&] { return std::make_unique<TOutputSetup>(fx.Settings()); }},
        {"JpegOptions", [&] { return std::make_unique<Tjpegoptions>(fx.Settings()); }},
        {"TileNotFound", [&] { return std::make_unique<TTileNotFoundDlg>(); }},
        {"Help", [&] { return std::make_unique<THelpWindow>(); }},
        {"Preferences", [&] { return std::make_unique<TPrefsForm>(form); }},
    };
    for (auto& [name, make] : makers) {
      std::unique_ptr<QWidget> w = make();
      w->show();
      QVERIFY2(QTest::qWaitForWindowExposed(w.get()), name);
      const QSize hint = w->sizeHint().boundedTo(AvailableArea(w.get()).size());
      QVERIFY2(w->width() >= hint.width() && w->height() >= hint.height(),
               qPrintable(QString("%1 %2x%3 below its content's %4x%5")
                              .arg(name)
                              .arg(w->width())
                              .arg(w->height())
                              .arg(hint.width())
                              .arg(hint.height())));
      const QStringList clipped = ClippedControls(*w);
      QVERIFY2(clipped.isEmpty(), qPrintable(QString(name) + ": " + clipped.join("; ")));
      w->close();
    }
    QApplication::setFont(saved);
  }
};

// The windows are measured on a screen of 1400 x 1000 pixels, a common desktop's size.
int main(int argc, char** argv) {
  QTemporaryDir dir;
  const QString config = dir.filePath("screen.json");
  QFile f(config);
  if (!f.open(QIODevice::WriteOnly)) return 1;
  f.write(R"({"screens": [{"name": "Desktop", "x": 0, "y": 0, "width": 1400, "height": 1000,
                           "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
  f.close();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
  QApplication app(argc, argv);
  WindowSizeTest test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}
#include "WindowSizeTest.moc"
