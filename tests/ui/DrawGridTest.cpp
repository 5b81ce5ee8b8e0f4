// TDrawGrid: geometry, painting of the visible cells only, selection by mouse and keyboard.
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <set>
#include <utility>

#include "controls/DrawGrid.h"

using qv::TDrawGrid;
using qv::TGridDrawState;
using qv::TGridRect;

namespace {

struct DrawnCell {
  int Col, Row;
  QRect Rect;
  TGridDrawState State;
};

// A grid whose viewport is exactly w x h pixels, counting the cells it paints.
struct CountingGrid {
  TDrawGrid Grid;
  std::vector<DrawnCell> Drawn;

  CountingGrid(int cols, int rows, int cellW, int cellH, int w, int h) {
    Grid.setFrameShape(QFrame::NoFrame);
    Grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid.SetColCount(cols);
    Grid.SetRowCount(rows);
    Grid.SetDefaultColWidth(cellW);
    Grid.SetDefaultRowHeight(cellH);
    Grid.resize(w, h);
    Grid.OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect, const TGridDrawState& s) {
      Drawn.push_back({c, r, rect, s});
      p.fillRect(rect, Qt::red);
    };
    Grid.show();
    (void)QTest::qWaitForWindowExposed(&Grid);
  }
  QPoint CellCentre(int c, int r) const { return Grid.CellRect(c, r).center(); }
  void RepaintAll() {
    Drawn.clear();
    Grid.viewport()->repaint();
  }
};

}  // namespace

class DrawGridTest : public QObject {
  Q_OBJECT
 private slots:
  void CellRectAndMouseToCellAgree();
  void LineWidthSeparatesCellsWithBackground();
  void PaintsOnlyTheVisibleCellsOfALargeGrid();
  void ScrollingPaintsOnlyTheCellsThatCameIntoView();
  void DrawCellNowPaintsOneCellWithTheGivenState();
  void MouseDragSelectsARange();
  void ShiftClickExtendsFromTheAnchor();
  void DraggingPastTheEdgeScrollsAndExtends();
  void ShiftArrowsExtendTheRangeAndArrowsCollapseIt();
  void HomeEndPagesAndControlCorners();
  void SetSelectionAndCountsKeepTheStateInsideTheGrid();
  void EnterDeleteAndDoubleClickAreSignalled();
};

void DrawGridTest::CellRectAndMouseToCellAgree() {
  CountingGrid g(200, 200, 32, 24, 330, 250);
  g.Grid.SetGridLineWidth(1);
  QCOMPARE(g.Grid.CellRect(0, 0), QRect(0, 0, 32, 24));
  QCOMPARE(g.Grid.CellRect(1, 2), QRect(33, 50, 32, 24));
  QVERIFY(g.Grid.CellRect(50, 0).isEmpty());  // not visible
  for (int c = 0; c < 10; ++c)
    for (int r = 0; r < 10; ++r) {
      const QRect rect = g.Grid.CellRect(c, r);
      if (rect.isEmpty()) continue;
      int mc = -1, mr = -1;
      QVERIFY(g.Grid.MouseToCell(rect.topLeft(), mc, mr));
      QCOMPARE(std::make_pair(mc, mr), std::make_pair(c, r));
      QVERIFY(g.Grid.MouseToCell(rect.bottomRight(), mc, mr));
      QCOMPARE(std::make_pair(mc, mr), std::make_pair(c, r));
    }
  int mc, mr;
  QVERIFY(g.Grid.MouseToCell(QPoint(32, 24), mc, mr));  // on the grid line after cell (0, 0)
  QCOMPARE(std::make_pair(mc, mr), std::make_pair(0, 0));

  g.Grid.SetLeftCol(5);
  g.Grid.SetTopRow(7);
  QCOMPARE(g.Grid.LeftCol(), 5);
  QCOMPARE(g.Grid.TopRow(), 7);
  QCOMPARE(g.Grid.CellRect(5, 7), QRect(0, 0, 32, 24));
  QVERIFY(g.Grid.CellRect(4, 7).isEmpty());
  QVERIFY(g.Grid.MouseToCell(QPoint(40, 30), mc, mr));
  QCOMPARE(std::make_pair(mc, mr), std::make_pair(6, 8));

  // 330 + 1 pixels hold 10 cells of 33; the scroll bars end where the last 10 columns show.
  QCOMPARE(g.Grid.VisibleColCount(), 10);
  QCOMPARE(g.Grid.MaxLeftCol(), 190);
  g.Grid.SetLeftCol(500);
  QCOMPARE(g.Grid.LeftCol(), 190);
  QVERIFY(!g.Grid.MouseToCell(QPoint(-1, 5), mc, mr));
}

void DrawGridTest::LineWidthSeparatesCellsWithBackground() {
  CountingGrid g(4, 4, 10, 10, 60, 60);
  g.Grid.SetGridLineWidth(1);
  QImage shot = g.Grid.viewport()->grab().toImage();
  const QRgb background = g.Grid.viewport()->palette().color(QPalette::Base).rgb();
  QCOMPARE(shot.pixel(5, 5), QColor(Qt::red).rgb());
  QCOMPARE(shot.pixel(10, 5), background);  // the line after column 0
  QCOMPARE(shot.pixel(5, 10), background);
  QCOMPARE(shot.pixel(11, 11), QColor(Qt::red).rgb());
  QCOMPARE(shot.pixel(50, 50), background);  // beyond the last cell

  g.Grid.SetGridLineWidth(7);  // only 0 or 1
  QCOMPARE(g.Grid.GridLineWidth(), 1);
  g.Grid.SetGridLineWidth(0);
  shot = g.Grid.viewport()->grab().toImage();
  QCOMPARE(shot.pixel(10, 5), QColor(Qt::red).rgb());
  QCOMPARE(g.Grid.CellRect(1, 1), QRect(10, 10, 10, 10));
}

void DrawGridTest::PaintsOnlyTheVisibleCellsOfALargeGrid() {
  CountingGrid g(200, 200, 32, 32, 320, 240);
  g.RepaintAll();
  // 10 whole columns; 7.5 rows, so 8 rows are (partly) visible.
  QCOMPARE(int(g.Drawn.size()), 10 * 8);
  std::set<std::pair<int, int>> cells;
  for (const DrawnCell& d : g.Drawn) {
    QVERIFY(d.Col < 10 && d.Row < 8);
    QCOMPARE(d.Rect, g.Grid.CellRect(d.Col, d.Row));
    cells.insert({d.Col, d.Row});
  }
  QCOMPARE(int(cells.size()), 80);  // each once

  g.Grid.SetLeftCol(195);  // the scroll bar ends where the last 10 columns fill the width
  g.Grid.SetTopRow(100);
  QCOMPARE(g.Grid.LeftCol(), 190);
  g.RepaintAll();
  QCOMPARE(int(g.Drawn.size()), 10 * 8);
  for (const DrawnCell& d : g.Drawn) QVERIFY(d.Col >= 190 && d.Row >= 100 && d.Row < 108);

  // A repaint of part of the viewport paints the cells it touches only.
  g.Drawn.clear();
  g.Grid.viewport()->repaint(QRect(40, 40, 30, 10));
  QCOMPARE(int(g.Drawn.size()), 2);  // columns 1 and 2 of row 1
}

void DrawGridTest::ScrollingPaintsOnlyTheCellsThatCameIntoView() {
  CountingGrid g(200, 200, 32, 32, 320, 256);
  QSignalSpy topLeft(&g.Grid, &TDrawGrid::TopLeftChanged);
  g.RepaintAll();
  g.Drawn.clear();
  g.Grid.SetTopRow(1);
  QCOMPARE(topLeft.count(), 1);
  QTest::qWait(20);  // the scroll's paint
  // Row 8 came into view; nothing outside rows 1..8 is painted, and the rows that only moved
  // are painted again at most (when the platform cannot move the pixels).
  bool sawNewRow = false;
  for (const DrawnCell& d : g.Drawn) {
    QVERIFY(d.Row >= 1 && d.Row <= 8);
    QCOMPARE(d.Rect, g.Grid.CellRect(d.Col, d.Row));
    sawNewRow |= d.Row == 8;
  }
  QVERIFY(sawNewRow);
  QVERIFY(int(g.Drawn.size()) <= 80);
}

void DrawGridTest::DrawCellNowPaintsOneCellWithTheGivenState() {
  CountingGrid g(20, 20, 16, 16, 160, 160);
  g.Grid.SetCurrent(2, 3);
  QCoreApplication::processEvents();  // the pending updates of the selection change
  g.Drawn.clear();
  g.Grid.DrawCellNow(2, 3, TGridDrawState{});
  QCOMPARE(int(g.Drawn.size()), 1);
  QCOMPARE(g.Drawn[0].Col, 2);
  QVERIFY(!g.Drawn[0].State.Selected);  // the given empty state, though the cell is selected
  g.Drawn.clear();
  g.Grid.DrawCellNow(4, 4, TGridDrawState{false, true, false});
  QCOMPARE(int(g.Drawn.size()), 1);
  QVERIFY(g.Drawn[0].State.Focused);
  g.Drawn.clear();
  g.Grid.DrawCellNow(15, 15, TGridDrawState{});  // not visible
  QCOMPARE(int(g.Drawn.size()), 0);

  // A normal repaint shows the selection state again.
  g.RepaintAll();
  for (const DrawnCell& d : g.Drawn)
    if (d.Col == 2 && d.Row == 3) QVERIFY(d.State.Selected);
}

void DrawGridTest::MouseDragSelectsARange() {
  CountingGrid g(50, 50, 20, 20, 200, 200);
  QSignalSpy selectCell(&g.Grid, &TDrawGrid::SelectCell);
  QWidget* vp = g.Grid.viewport();
  QTest::mousePress(vp, Qt::LeftButton, {}, g.CellCentre(1, 1));
  QCOMPARE(g.Grid.Selection(), (TGridRect{1, 1, 1, 1}));
  QTest::mouseMove(vp, g.CellCentre(2, 2));
  QTest::mouseMove(vp, g.CellCentre(3, 2));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, g.CellCentre(3, 2));
  QCOMPARE(g.Grid.Selection(), (TGridRect{1, 1, 3, 2}));
  QCOMPARE(g.Grid.Col(), 3);
  QCOMPARE(g.Grid.Row(), 2);
  QVERIFY(selectCell.count() >= 2);
  QCOMPARE(selectCell.last().at(0).toInt(), 3);

  // Dragging up and left of the anchor selects toward the other corner.
  QTest::mousePress(vp, Qt::LeftButton, {}, g.CellCentre(4, 4));
  QTest::mouseMove(vp, g.CellCentre(2, 3));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, g.CellCentre(2, 3));
  QCOMPARE(g.Grid.Selection(), (TGridRect{2, 3, 4, 4}));

  // The painted states follow: selected inside the range only.
  g.RepaintAll();
  for (const DrawnCell& d : g.Drawn) QCOMPARE(d.State.Selected, d.Col >= 2 && d.Col <= 4 && d.Row >= 3 && d.Row <= 4);
}

void DrawGridTest::ShiftClickExtendsFromTheAnchor() {
  CountingGrid g(50, 50, 20, 20, 200, 200);
  QWidget* vp = g.Grid.viewport();
  QTest::mouseClick(vp, Qt::LeftButton, {}, g.CellCentre(0, 0));
  QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, g.CellCentre(2, 3));
  QCOMPARE(g.Grid.Selection(), (TGridRect{0, 0, 2, 3}));
  QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, g.CellCentre(1, 1));
  QCOMPARE(g.Grid.Selection(), (TGridRect{0, 0, 1, 1}));
  QTest::mouseClick(vp, Qt::LeftButton, {}, g.CellCentre(5, 5));
  QVERIFY(g.Grid.Selection().IsOneCell());
}

void DrawGridTest::DraggingPastTheEdgeScrollsAndExtends() {
  CountingGrid g(50, 50, 20, 20, 200, 200);
  QWidget* vp = g.Grid.viewport();
  QTest::mousePress(vp, Qt::LeftButton, {}, g.CellCentre(1, 1));
  QTest::mouseMove(vp, QPoint(230, 50));  // right of the viewport
  QCOMPARE(g.Grid.Selection(), (TGridRect{1, 1, 9, 2}));
  QTRY_VERIFY(g.Grid.LeftCol() >= 3);  // the drag scrolls on while the mouse stays outside
  const TGridRect sel = g.Grid.Selection();
  QCOMPARE(sel.Right, g.Grid.LeftCol() + 9);
  QCOMPARE(sel.Left, 1);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(230, 50));
  const int left = g.Grid.LeftCol();
  QTest::qWait(150);
  QCOMPARE(g.Grid.LeftCol(), left);  // released: the scrolling stops
}

void DrawGridTest::ShiftArrowsExtendTheRangeAndArrowsCollapseIt() {
  CountingGrid g(50, 50, 20, 20, 200, 200);
  g.Grid.setFocus();
  g.Grid.SetCurrent(2, 2);
  QSignalSpy changed(&g.Grid, &TDrawGrid::SelectionChanged);
  QTest::keyClick(&g.Grid, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(&g.Grid, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(&g.Grid, Qt::Key_Down, Qt::ShiftModifier);
  QCOMPARE(g.Grid.Selection(), (TGridRect{2, 2, 4, 3}));
  QCOMPARE(g.Grid.Col(), 4);
  QCOMPARE(g.Grid.Row(), 3);
  QCOMPARE(changed.count(), 3);
  QTest::keyClick(&g.Grid, Qt::Key_Up, Qt::ShiftModifier);
  QTest::keyClick(&g.Grid, Qt::Key_Up, Qt::ShiftModifier);
  QCOMPARE(g.Grid.Selection(), (TGridRect{2, 1, 4, 2}));
  QTest::keyClick(&g.Grid, Qt::Key_Left);
  QCOMPARE(g.Grid.Selection(), (TGridRect{3, 1, 3, 1}));
  QTest::keyClick(&g.Grid, Qt::Key_Left);
  QTest::keyClick(&g.Grid, Qt::Key_Left);
  QTest::keyClick(&g.Grid, Qt::Key_Left);
  QTest::keyClick(&g.Grid, Qt::Key_Left);
  QCOMPARE(g.Grid.Col(), 0);  // stops at the edge
}

void DrawGridTest::HomeEndPagesAndControlCorners() {
  CountingGrid g(200, 200, 20, 20, 200, 200);
  g.Grid.setFocus();
  g.Grid.SetCurrent(5, 5);
  QTest::keyClick(&g.Grid, Qt::Key_End);
  QCOMPARE(std::make_pair(g.Grid.Col(), g.Grid.Row()), std::make_pair(199, 5));
  QCOMPARE(g.Grid.LeftCol(), 190);  // scrolled into view
  QTest::keyClick(&g.Grid, Qt::Key_Home);
  QCOMPARE(std::make_pair(g.Grid.Col(), g.Grid.Row()), std::make_pair(0, 5));
  QCOMPARE(g.Grid.LeftCol(), 0);
  QTest::keyClick(&g.Grid, Qt::Key_PageDown);
  QCOMPARE(g.Grid.Row(), 15);
  QTest::keyClick(&g.Grid, Qt::Key_PageDown, Qt::ShiftModifier);
  QCOMPARE(g.Grid.Selection(), (TGridRect{0, 15, 0, 25}));
  QTest::keyClick(&g.Grid, Qt::Key_End, Qt::ControlModifier);
  QCOMPARE(std::make_pair(g.Grid.Col(), g.Grid.Row()), std::make_pair(199, 199));
  QCOMPARE(g.Grid.TopRow(), 190);
  QTest::keyClick(&g.Grid, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(g.Grid.Selection(), (TGridRect{0, 0, 199, 199}));
  QCOMPARE(std::make_pair(g.Grid.LeftCol(), g.Grid.TopRow()), std::make_pair(0, 0));
  QTest::keyClick(&g.Grid, Qt::Key_PageUp);
  QCOMPARE(g.Grid.Row(), 0);
}

void DrawGridTest::SetSelectionAndCountsKeepTheStateInsideTheGrid() {
  CountingGrid g(10, 10, 20, 20, 100, 100);
  QSignalSpy selectCell(&g.Grid, &TDrawGrid::SelectCell);
  g.Grid.SetSelection(TGridRect{7, 8, 2, 3});  // corners in any order
  QCOMPARE(g.Grid.Selection(), (TGridRect{2, 3, 7, 8}));
  QCOMPARE(std::make_pair(g.Grid.Col(), g.Grid.Row()), std::make_pair(2, 3));
  QCOMPARE(selectCell.count(), 0);
  // Shift+arrows go on from the range's far corner as anchor.
  g.Grid.setFocus();
  QTest::keyClick(&g.Grid, Qt::Key_Right, Qt::ShiftModifier);
  QCOMPARE(g.Grid.Selection(), (TGridRect{3, 3, 7, 8}));

  g.Grid.SetColCount(5);
  g.Grid.SetRowCount(4);
  QCOMPARE(g.Grid.Selection(), (TGridRect{3, 3, 4, 3}));
  g.Grid.SetColCount(0);
  QCOMPARE(g.Grid.ColCount(), 1);
  QCOMPARE(g.Grid.Selection(), (TGridRect{0, 3, 0, 3}));
  g.Grid.SetSelection(TGridRect{-5, -5, 99, 99});
  QCOMPARE(g.Grid.Selection(), (TGridRect{0, 0, 0, 3}));
}

void DrawGridTest::EnterDeleteAndDoubleClickAreSignalled() {
  CountingGrid g(10, 10, 20, 20, 100, 100);
  QSignalSpy enter(&g.Grid, &TDrawGrid::EnterPressed);
  QSignalSpy del(&g.Grid, &TDrawGrid::DeletePressed);
  QSignalSpy dbl(&g.Grid, &TDrawGrid::CellDoubleClicked);
  QSignalSpy moved(&g.Grid, &TDrawGrid::MouseMovedOverGrid);
  g.Grid.setFocus();
  QTest::keyClick(&g.Grid, Qt::Key_Return);
  QTest::keyClick(&g.Grid, Qt::Key_Delete);
  QTest::mouseDClick(g.Grid.viewport(), Qt::LeftButton, {}, g.CellCentre(3, 2));
  QTest::mouseMove(g.Grid.viewport(), g.CellCentre(1, 1));
  QCOMPARE(enter.count(), 1);
  QCOMPARE(del.count(), 1);
  QCOMPARE(dbl.count(), 1);
  QCOMPARE(dbl.first().at(0).toInt(), 3);
  QCOMPARE(dbl.first().at(1).toInt(), 2);
  QVERIFY(moved.count() >= 1);
}

QTEST_MAIN(DrawGridTest)
#include "DrawGridTest.moc"
