// TMosaicView: the four views painted from a small hand-made plan and mosaic, the selection
// marker and the deleted cross, the thumbnail cache, and the zoom commands on the grid.
#include <QGroupBox>
#include <QPainter>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include "GridTestTables.h"
#include "controls/BitmapImage.h"
#include "imaging/TileOps.h"
#include "mainwindow/MosaicView.h"

using qv::TDrawGrid;
using qv::TGridDrawState;
using qv::TGridRect;
using qv::TGridView;
using qv::TMosaicView;

namespace {

constexpr QRgb kUnpainted = 0xff123456;

QImage Blank(QSize size) {
  QImage img(size, QImage::Format_RGB32);
  img.fill(kUnpainted);
  return img;
}

// One cell painted by the view into a picture of the cell's size.
QImage PaintCell(TMosaicView& v, int col, int row, QSize size, TGridDrawState state = {}) {
  QImage img = Blank(size);
  QPainter p(&img);
  v.DrawGrid1DrawCell(p, col, row, QRect(QPoint(0, 0), size), state);
  return img;
}

// A picture stretched over a cell the way the view stretches (plain QPainter drawing).
QImage Stretched(const qv::Bitmap24& picture, QSize size) {
  QImage img = Blank(size);
  QPainter p(&img);
  p.drawImage(QRect(QPoint(0, 0), size), qv::ToQImage(picture));
  return img;
}

// Signature colour of grid cell i of synthetic record k (RGB signature bytes k x 37 + i x 11).
QRgb SyntheticSignatureColour(int k, int i) {
  auto byte = [&](int j) { return (k * 37 + (i * 3 + j) * 11) & 255; };
  return qRgb(byte(2), byte(1), byte(0));  // stored blue, green, red
}

// A view on its own grid, with the plan open and the grid set up from it.
struct ViewFixture {
  qvtest::GridTables T;
  TDrawGrid Grid;
  TMosaicView View;
  ViewFixture(int cols, int rows, const std::vector<int>& withoutThumb = {})
      : T(cols, rows, withoutThumb), View(&Grid, &T.Library, &T.Plan, &T.Mosaic) {
    View.SetGridSizeFromPlan();
  }
};

}  // namespace

class MosaicViewTest : public QObject {
  Q_OBJECT
 private slots:
  void SourceViewShowsThePlanCellAsTheCursorWould();
  void TargetViewShowsTheMosaicThumbnailOrSignature();
  void DifferenceViewShowsEqualColoursWhite();
  void EnhanceWithoutColourOrBlendLooksLikeTarget();
  void DeletedCrossShowsInTheSourceViewOnly();
  void SelectionMarkerInvertsTheCellsOuterTwoPixels();
  void NothingIsPaintedWithoutAPlan();
  void TheGridPaintsItsCellsThroughTheView();
  void EachThumbnailIsDecodedOnce();
  void PlacementsAndErasuresShowAtOnceInARealProject();
  void EnhanceShiftsTheTileTowardTheSourceAndBlends();
  void ZoomStepsResizeCellsAndDecideDetailsFromTheOldWidth();
  void FitToWindowClampsToTheZoomRange();
  void FitToSelectionSizesAndScrollsToTheSelection();
  void FastViewAnd100Percent();
  void GridLinesAndDetailsCommands();
  void ViewControlsFollowTheView();
};

void MosaicViewTest::SourceViewShowsThePlanCellAsTheCursorWould() {
  ViewFixture f(3, 2);
  f.View.SetView(TGridView::Source);
  f.T.Plan.GoRecord(1);
  for (int n = 1; n <= 6; ++n) {
    const int col = (n - 1) % 3, row = (n - 1) / 3;
    const QImage painted = PaintCell(f.View, col, row, QSize(30, 30));
    QCOMPARE(f.T.Plan.RecNo, 1);  // painting does not move the cursor
    qvtest::GridTables reference(3, 2);
    reference.Plan.GoRecord(n);
    QCOMPARE(painted, Stretched(reference.Plan.ThumbBitmap, QSize(30, 30)));
    // 30 pixels over 6 signature cells: 5 pixels per cell.
    QCOMPARE(painted.pixel(2, 2), SyntheticSignatureColour(n, 0));
    QCOMPARE(painted.pixel(27, 27), SyntheticSignatureColour(n, 35));
  }
}

void MosaicViewTest::TargetViewShowsTheMosaicThumbnailOrSignature() {
  ViewFixture f(3, 2, {4});
  f.View.SetView(TGridView::Target);
  for (int n = 1; n <= 6; ++n) {
    const int col = (n - 1) % 3, row = (n - 1) / 3;
    f.T.Mosaic.GoRecord(n);
    // The 8 x 8 thumbnail drawn one to one; record 4 has none and shows its colour grid.
    QCOMPARE(PaintCell(f.View, col, row, QSize(8, 8)), Stretched(f.T.Mosaic.ThumbBitmap, QSize(8, 8)));
    QCOMPARE(PaintCell(f.View, col, row, QSize(8, 8)) == Stretched(f.T.Mosaic.SignatureBitmap, QSize(8, 8)), n == 4);
  }
  f.T.Mosaic.ShowThumbs = false;
  f.T.Mosaic.GoRecord(2);
  QCOMPARE(PaintCell(f.View, 1, 0, QSize(24, 24)), Stretched(f.T.Mosaic.SignatureBitmap, QSize(24, 24)));
}

void MosaicViewTest::DifferenceViewShowsEqualColoursWhite() {
  ViewFixture f(3, 2);
  f.View.SetView(TGridView::Difference);
  QImage same = PaintCell(f.View, 0, 0, QSize(12, 12));
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) QCOMPARE(same.pixel(x, y), qRgb(255, 255, 255));

  f.T.SetMosaicSignature(2, 0);  // black against the plan's colours
  QImage diff = PaintCell(f.View, 1, 0, QSize(12, 12));
  for (int i : {0, 7, 35}) {
    const QRgb c = SyntheticSignatureColour(2, i);
    const int d = (qRed(c) + qGreen(c) + qBlue(c)) / 3;
    const int x = (i % 6) * 2, y = (i / 6) * 2;
    QCOMPARE(diff.pixel(x, y), qRgb(255 - d, 255 - d, 255 - d));
  }
}

void MosaicViewTest::EnhanceWithoutColourOrBlendLooksLikeTarget() {
  ViewFixture f(3, 2);
  f.View.SetView(TGridView::Target);
  const QImage target = PaintCell(f.View, 2, 1, QSize(20, 15));
  const QImage targetSelected = PaintCell(f.View, 2, 1, QSize(20, 15), {true, false, false});
  f.View.SetView(TGridView::Enhance);
  f.View.SetColor(0);
  f.View.SetBlend(0);
  QCOMPARE(PaintCell(f.View, 2, 1, QSize(20, 15)), target);
  QCOMPARE(PaintCell(f.View, 2, 1, QSize(20, 15), {true, false, false}), targetSelected);
}

void MosaicViewTest::DeletedCrossShowsInTheSourceViewOnly() {
  ViewFixture f(3, 2);
  f.View.SetView(TGridView::Source);
  const QImage before = PaintCell(f.View, 2, 0, QSize(30, 30));
  f.View.SetView(TGridView::Target);
  const QImage targetBefore = PaintCell(f.View, 2, 0, QSize(30, 30));

  f.T.Plan.SetRecordStatus(3, qv::kDeletedStatus);
  f.View.SetView(TGridView::Source);
  const QImage crossed = PaintCell(f.View, 2, 0, QSize(30, 30));
  QVERIFY(crossed != before);
  for (int i = 3; i < 27; ++i) {
    QCOMPARE(crossed.pixel(i, i), qRgb(0, 0, 0));       // (Left, Top) to (Right, Bottom)
    QCOMPARE(crossed.pixel(29 - i, i), qRgb(0, 0, 0));  // (Right, Top) to (Left, Bottom)
  }
  QCOMPARE(crossed.pixel(15, 3), before.pixel(15, 3));  // away from the diagonals
  QCOMPARE(PaintCell(f.View, 1, 0, QSize(30, 30)).pixel(10, 10), SyntheticSignatureColour(2, 14));

  f.View.SetView(TGridView::Target);
  QCOMPARE(PaintCell(f.View, 2, 0, QSize(30, 30)), targetBefore);
  f.View.SetView(TGridView::Difference);
  QCOMPARE(PaintCell(f.View, 2, 0, QSize(30, 30)).pixel(10, 10), qRgb(255, 255, 255));
}

void MosaicViewTest::SelectionMarkerInvertsTheCellsOuterTwoPixels() {
  ViewFixture f(3, 2);
  for (TGridView view : {TGridView::Source, TGridView::Target, TGridView::Difference}) {
    f.View.SetView(view);
    const QSize size(30, 20);
    const QImage plain = PaintCell(f.View, 1, 1, size);
    for (TGridDrawState state : {TGridDrawState{true, false, false}, TGridDrawState{false, true, false}}) {
      const QImage marked = PaintCell(f.View, 1, 1, size, state);
      for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
          const bool frame = x < 2 || y < 2 || x >= size.width() - 2 || y >= size.height() - 2;
          const QRgb expected = frame ? (~plain.pixel(x, y) | 0xff000000u) : plain.pixel(x, y);
          if (marked.pixel(x, y) != expected) QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
        }
    }
  }
}

void MosaicViewTest::NothingIsPaintedWithoutAPlan() {
  ViewFixture f(3, 2);
  QVERIFY(PaintCell(f.View, 0, 0, QSize(10, 10)) != Blank(QSize(10, 10)));
  QCOMPARE(PaintCell(f.View, 0, 0, QSize(10, 10), {false, false, true}), Blank(QSize(10, 10)));  // fixed
  f.T.Plan.Close();
  QCOMPARE(PaintCell(f.View, 0, 0, QSize(10, 10), {true, true, false}), Blank(QSize(10, 10)));
  // A mosaic that is not open shows blank cells in the target view.
  ViewFixture g(3, 2);
  g.T.Mosaic.Close();
  g.View.SetView(TGridView::Target);
  QCOMPARE(PaintCell(g.View, 0, 0, QSize(4, 4)).pixel(1, 1), qRgb(255, 255, 255));
}

void MosaicViewTest::TheGridPaintsItsCellsThroughTheView() {
  ViewFixture f(3, 2);
  f.View.SetView(TGridView::Target);
  f.Grid.setFrameShape(QFrame::NoFrame);
  f.Grid.resize(200, 200);
  f.Grid.SetDefaultColWidth(8);
  f.Grid.SetDefaultRowHeight(8);
  f.Grid.SetSelection(TGridRect{2, 1, 2, 1});
  f.Grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.Grid));
  const QImage shot = f.Grid.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  f.T.Mosaic.GoRecord(2);
  const QImage cell2 = qv::ToQImage(f.T.Mosaic.ThumbBitmap);
  QCOMPARE(shot.copy(8, 0, 8, 8), cell2);
  f.T.Mosaic.GoRecord(6);
  const QImage cell6 = qv::ToQImage(f.T.Mosaic.ThumbBitmap);
  QCOMPARE(shot.pixel(16 + 4, 8 + 4), cell6.pixel(4, 4));         // inside the marker
  QCOMPARE(shot.pixel(16, 8), ~cell6.pixel(0, 0) | 0xff000000u);  // the marker
  QCOMPARE(shot.pixel(100, 100), f.Grid.viewport()->palette().color(QPalette::Base).rgb());
}

void MosaicViewTest::EachThumbnailIsDecodedOnce() {
  ViewFixture f(3, 2);
  f.View.SetView(TGridView::Target);
  qv::TThumbnailCache& cache = f.View.Thumbnails();
  for (int pass = 0; pass < 3; ++pass)
    for (int n = 0; n < 6; ++n) PaintCell(f.View, n % 3, n / 3, QSize(8, 8));
  QCOMPARE(cache.EntryCount(), size_t(6));
  QCOMPARE(cache.ByteSize(), size_t(6 * 8 * 8 * 4));
  // Asking again gives the pixels already decoded.
  QCOMPARE(cache.RecordPicture(f.T.Mosaic, 3).constBits(), cache.RecordPicture(f.T.Mosaic, 3).constBits());
  // The same thumbnail in another cell is the same entry.
  const std::vector<uint8_t> sig1(f.T.Mosaic.RecordSignature(1), f.T.Mosaic.RecordSignature(1) + f.T.Mosaic.SigSize);
  f.T.Mosaic.WriteSlot(2, 0, f.T.Mosaic.RecordTextOffset(1), sig1.data());
  QCOMPARE(cache.RecordPicture(f.T.Mosaic, 2).constBits(), cache.RecordPicture(f.T.Mosaic, 1).constBits());
  QCOMPARE(cache.EntryCount(), size_t(6));
  // The source view draws colour grids and decodes nothing.
  f.View.SetView(TGridView::Source);
  PaintCell(f.View, 0, 0, QSize(8, 8));
  QCOMPARE(cache.EntryCount(), size_t(6));
  cache.Clear();
  QCOMPARE(cache.EntryCount(), size_t(0));
  QCOMPARE(cache.ByteSize(), size_t(0));

  // Over its limit the cache keeps the newest picture; pictures handed out stay whole.
  qv::TThumbnailCache small(1);
  const QImage first = small.RecordPicture(f.T.Mosaic, 4);
  const QImage firstCopy = first.copy();
  small.RecordPicture(f.T.Mosaic, 5);
  QCOMPARE(small.EntryCount(), size_t(1));
  QCOMPARE(first, firstCopy);
  QCOMPARE(small.RecordPicture(f.T.Mosaic, 4), firstCopy);
}

void MosaicViewTest::PlacementsAndErasuresShowAtOnceInARealProject() {
  qvtest::TempDir dir;
  const std::string libFile = dir.File("tiles.qv2"), projectFile = dir.File("p.qvp");
  qvtest::WriteSyntheticLibrary(libFile, 5);
  qv::TQVData lib, plan, mosaic;
  QVERIFY(lib.Open(libFile));
  lib.ShowThumbs = true;
  lib.CreateProject(projectFile, qvtest::DrawTestPicture(97, 61, 3), {"", {0, 0, 97, 61}}, qv::Size{3, 2});
  QVERIFY(plan.OpenProject(projectFile, mosaic));
  TDrawGrid grid;
  TMosaicView view(&grid, &lib, &plan, &mosaic);
  view.ProjectOpened();
  QCOMPARE(std::make_pair(grid.ColCount(), grid.RowCount()), std::make_pair(3, 2));
  view.AutoShowDetailed(1);
  const QSize cell(8, 8);
  auto cursorPicture = [&](int n) {
    mosaic.GoRecord(n);
    return Stretched(mosaic.ThumbBitmap, cell);
  };

  // A new project's mosaic has no thumbnails: its cells show the plan's colour grid.
  view.SetView(TGridView::Target);
  const QImage empty2 = PaintCell(view, 1, 0, cell);
  QCOMPARE(empty2, cursorPicture(2));
  view.SetView(TGridView::Source);
  QCOMPARE(PaintCell(view, 1, 0, cell), empty2);
  view.SetView(TGridView::Target);

  lib.GoRecord(4);
  QVERIFY(mosaic.PlaceTile(2, lib, true));
  view.CellChanged(2, TGridDrawState{});  // not shown: paints nothing
  QCOMPARE(PaintCell(view, 1, 0, cell), Stretched(lib.ThumbBitmap, cell));
  lib.GoRecord(1);
  QVERIFY(mosaic.PlaceTile(2, lib, true));  // the cache needs no telling
  QCOMPARE(PaintCell(view, 1, 0, cell), Stretched(lib.ThumbBitmap, cell));

  plan.GoRecord(2);
  QVERIFY(mosaic.RestoreCellFromPlan(2, plan));
  QCOMPARE(PaintCell(view, 1, 0, cell), cursorPicture(2));
  lib.GoRecord(5);
  QVERIFY(mosaic.PlaceTile(6, lib, true));
  mosaic.CompactSections();  // other offsets for every thumbnail
  for (int n = 1; n <= 6; ++n) QCOMPARE(PaintCell(view, (n - 1) % 3, (n - 1) / 3, cell), cursorPicture(n));

  plan.Close();
  mosaic.Close();
  view.ProjectClosed();
  QCOMPARE(std::make_pair(grid.ColCount(), grid.RowCount()), std::make_pair(1, 1));
  QCOMPARE(view.Thumbnails().EntryCount(), size_t(0));
}

void MosaicViewTest::EnhanceShiftsTheTileTowardTheSourceAndBlends() {
  ViewFixture f(3, 2);
  f.T.Mosaic.ShowThumbs = false;  // tile and source are colour grids: plain numbers
  f.T.SetMosaicSignature(5, 0);   // a black tile in cell (1, 1)
  f.View.SetView(TGridView::Enhance);
  const QSize size(12, 12);
  // Full blend: the source's colours over the black tile.
  f.View.SetColor(0);
  f.View.SetBlend(100);
  const QImage blended = PaintCell(f.View, 1, 1, size);
  f.View.SetView(TGridView::Target);
  const QImage black = PaintCell(f.View, 1, 1, size);
  QCOMPARE(black.pixel(5, 5), qRgb(0, 0, 0));
  f.View.SetView(TGridView::Source);
  const QImage source = PaintCell(f.View, 1, 1, size);
  f.View.SetView(TGridView::Enhance);
  int close = 0;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const QRgb a = blended.pixel(x, y), b = source.pixel(x, y);
      close += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) < 60;
    }
  QVERIFY(close > 100);  // the Mitchell filter softens edges between the colour cells only
  // Full colour shift without blending: a uniform tile takes the source's RMS colour.
  f.T.SetMosaicSignature(5, 0);
  f.View.SetColor(100);
  f.View.SetBlend(0);
  const QImage shifted = PaintCell(f.View, 1, 1, size);
  QCOMPARE(shifted.pixel(0, 0), shifted.pixel(11, 11));  // still uniform
  QVERIFY(shifted.pixel(0, 0) != qRgb(0, 0, 0));
  // The selection marker is drawn over the enhanced picture.
  const QImage marked = PaintCell(f.View, 1, 1, size, {true, false, false});
  QCOMPARE(marked.pixel(0, 0), ~shifted.pixel(0, 0) | 0xff000000u);
  QCOMPARE(marked.pixel(5, 5), shifted.pixel(5, 5));

  // With the start values (Color 40, Blend 10: alpha Round(25.5) = 26) and thumbnails, the
  // cell is the enhanced-cell picture of the pictures the cursors load.
  f.T.Mosaic.ShowThumbs = true;
  f.View.SetColor(40);
  f.View.SetBlend(10);
  f.T.Mosaic.GoRecord(2);
  f.T.Plan.GoRecord(2);
  const qv::Bitmap24 expected = qv::DrawEnhancedCell(f.T.Mosaic.ThumbBitmap, f.T.Plan.ThumbBitmap, 26, 40, 20, 15);
  QCOMPARE(PaintCell(f.View, 1, 0, QSize(20, 15)), qv::ToQImage(expected));
}

void MosaicViewTest::ZoomStepsResizeCellsAndDecideDetailsFromTheOldWidth() {
  ViewFixture f(4, 3);
  f.T.Plan.PropY = 3;  // a 4 : 3 tile proportion
  QCOMPARE(f.View.TrackBar1->value(), 32);
  QVERIFY(f.View.TrackBar1->isHidden());
  QCOMPARE(f.View.TrackBar1->objectName(), QString("TrackBar1"));
  std::vector<int> widths;
  for (int i = 0; i < 7; ++i) {
    f.View.ZoomIn();
    widths.push_back(f.Grid.DefaultColWidth());
  }
  QCOMPARE(widths, (std::vector<int>{38, 46, 55, 66, 79, 95, 100}));
  QCOMPARE(f.Grid.DefaultRowHeight(), 75);
  f.View.SetZoomPosition(6);
  f.View.ZoomOut();
  QCOMPARE(f.Grid.DefaultColWidth(), 5);
  f.View.ZoomOut();
  QCOMPARE(f.View.TrackBar1->value(), 5);
  QCOMPARE(f.Grid.DefaultRowHeight(), 4);  // Round(3.75)

  // Signature grid 6 wide: from 12 to 14 thumbnails stay off (12 is not less than 12)...
  f.View.SetZoomPosition(12);
  f.View.ZoomIn();
  QCOMPARE(f.Grid.DefaultColWidth(), 14);
  QVERIFY(!f.T.Mosaic.ShowThumbs);
  QVERIFY(!f.T.Plan.ShowThumbs);
  // ...and the next step turns them on.
  f.View.ZoomIn();
  QCOMPARE(f.Grid.DefaultColWidth(), 17);
  QVERIFY(f.T.Mosaic.ShowThumbs);

  // Without a plan the slider moves and the cells stay.
  f.T.Plan.Close();
  f.View.ZoomIn();
  QCOMPARE(f.View.TrackBar1->value(), 20);
  QCOMPARE(f.Grid.DefaultColWidth(), 17);
}

void MosaicViewTest::FitToWindowClampsToTheZoomRange() {
  ViewFixture f(3, 3);
  f.Grid.setFrameShape(QFrame::NoFrame);
  f.Grid.resize(900, 700);
  f.View.ProjectOpened();  // fits: 700 / 3 = 233 asked, 100 kept
  QCOMPARE(f.Grid.ColCount(), 3);
  QCOMPARE(f.Grid.RowCount(), 3);
  QCOMPARE(f.Grid.DefaultColWidth(), 100);
  QCOMPARE(f.Grid.DefaultRowHeight(), 100);
  QCOMPARE(f.View.TrackBar1->value(), 100);
  // Again with the slider already at its end: the cells still end at 100.
  f.View.FitToWindow();
  QCOMPARE(f.Grid.DefaultColWidth(), 100);

  // A fit inside the range keeps the fitted height, with one line per cell taken off.
  ViewFixture g(20, 10);
  g.Grid.setFrameShape(QFrame::NoFrame);
  g.Grid.resize(420, 300);
  g.View.ShowGrid();
  g.View.FitToWindow();
  QCOMPARE(g.Grid.DefaultColWidth(), 20);  // box 400 x 290: content 80 x 40 fits 400 x 200
  QCOMPARE(g.Grid.DefaultRowHeight(), 20);
  QCOMPARE(g.View.TrackBar1->value(), 20);

  g.View.ProjectClosed();
  QCOMPARE(g.Grid.ColCount(), 20);  // the plan is still open
  g.T.Plan.Close();
  g.View.ProjectClosed();
  QCOMPARE(g.Grid.ColCount(), 1);
  QCOMPARE(g.Grid.RowCount(), 1);
}

void MosaicViewTest::FitToSelectionSizesAndScrollsToTheSelection() {
  ViewFixture f(40, 10);
  f.Grid.setFrameShape(QFrame::NoFrame);
  f.Grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  f.Grid.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  f.Grid.resize(500, 90);
  f.Grid.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.Grid));
  f.Grid.SetSelection(TGridRect{2, 1, 11, 2});  // 10 x 2 cells
  f.View.FitToSelection();
  QCOMPARE(f.Grid.DefaultColWidth(), 45);
  QCOMPARE(f.Grid.DefaultRowHeight(), 45);
  QCOMPARE(f.View.TrackBar1->value(), 45);
  QCOMPARE(f.Grid.LeftCol(), 2);
  QCOMPARE(f.Grid.TopRow(), 1);
  // One cell: nothing.
  f.Grid.SetCurrent(5, 5);
  f.View.FitToSelection();
  QCOMPARE(f.Grid.DefaultColWidth(), 45);
}

void MosaicViewTest::FastViewAnd100Percent() {
  ViewFixture f(4, 3);
  f.Grid.SetCurrent(2, 1);
  f.View.FastView();
  QCOMPARE(f.Grid.DefaultColWidth(), 6);  // the signature grid width
  QCOMPARE(f.T.Plan.RecNo, 7);
  QVERIFY(!f.T.Mosaic.ShowThumbs);
  f.View.View100();
  QCOMPARE(f.Grid.DefaultColWidth(), 8);  // the library's thumbnail width
  QVERIFY(f.T.Mosaic.ShowThumbs);
  // Without a library the placed tiles' thumbnails give the width.
  f.View.FastView();
  f.T.Library.Close();
  f.View.View100();
  QCOMPARE(f.Grid.DefaultColWidth(), 8);
  // Without a mosaic "100%" does nothing.
  f.View.FastView();
  f.T.Mosaic.Close();
  f.View.View100();
  QCOMPARE(f.Grid.DefaultColWidth(), 6);
}

void MosaicViewTest::GridLinesAndDetailsCommands() {
  ViewFixture f(4, 3);
  QVERIFY(!f.View.GridShown());
  f.View.ShowGrid();
  QCOMPARE(f.Grid.GridLineWidth(), 1);
  QVERIFY(f.View.GridShown());
  f.View.HideGrid();
  QCOMPARE(f.Grid.GridLineWidth(), 0);
  f.View.HideDetails();
  QVERIFY(!f.T.Mosaic.ShowThumbs);
  f.View.ShowDetails();
  QVERIFY(f.T.Mosaic.ShowThumbs);
  f.View.AutoShowDetailed(2);
  QVERIFY(!f.T.Mosaic.ShowThumbs);
  f.View.AutoShowDetailed(1);
  QVERIFY(f.T.Mosaic.ShowThumbs);
  f.T.Plan.Close();
  f.View.HideDetails();  // needs the plan
  QVERIFY(f.T.Mosaic.ShowThumbs);
  QCOMPARE(f.View.CellToRow(2, 3), 2 * 4 + 3 + 1);
  int col, row;
  f.View.RowToCell(12, col, row);
  QCOMPARE(std::make_pair(col, row), std::make_pair(3, 2));
}

void MosaicViewTest::ViewControlsFollowTheView() {
  ViewFixture f(3, 2);
  QWidget panel;
  auto* source = new QRadioButton("Source", &panel);
  auto* target = new QRadioButton("Target", &panel);
  auto* delta = new QRadioButton("Difference", &panel);
  auto* enhance = new QRadioButton("Enhance", &panel);
  auto* group = new QGroupBox(&panel);
  auto* color = new QSpinBox(group);
  auto* blend = new QSpinBox(group);
  color->setValue(40);
  blend->setValue(10);
  f.View.ConnectViewControls(source, target, delta, enhance, group, color, blend);
  panel.show();
  QVERIFY(source->isChecked());
  QVERIFY(group->isHidden());
  QCOMPARE(f.View.Color(), 40);
  QCOMPARE(f.View.Blend(), 10);

  QSignalSpy viewChanged(&f.View, &TMosaicView::ViewChanged);
  enhance->click();
  QCOMPARE(f.View.View(), TGridView::Enhance);
  QVERIFY(group->isVisible());
  f.View.ViewSource();
  QVERIFY(source->isChecked());
  QVERIFY(group->isHidden());
  delta->click();
  QCOMPARE(f.View.View(), TGridView::Difference);
  f.View.ViewTarget();
  QVERIFY(target->isChecked());
  f.View.ViewTarget();  // already selected: nothing
  QCOMPARE(viewChanged.count(), 4);
  color->setValue(70);
  blend->setValue(0);
  QCOMPARE(f.View.Color(), 70);
  QCOMPARE(f.View.Blend(), 0);
}

QTEST_MAIN(MosaicViewTest)
#include "MosaicViewTest.moc"
