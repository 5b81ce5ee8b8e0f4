#pragma once
// TMosaicView: the main window's mosaic grid view. It paints the cells of DrawGrid1 in one of
// four views (the source picture's cell, the placed tile, their difference, or the tile
// colour-shifted toward the source and blended with it), keeps the zoom position in the
// invisible slider TrackBar1 and carries out the View commands. The main window owns the
// grid, the engine instances and the view controls; it connects its menu actions to the
// command slots here.
//
// Painting reads every cell's pictures by record number through a thumbnail cache and never
// moves a table's cursor; the pictures are those the cursor would load (ThumbBitmap,
// SignatureBitmap).
#include <QImage>
#include <QObject>
#include <QRect>
#include <cstdint>

#include "controls/DrawGrid.h"
#include "mainwindow/ThumbnailCache.h"

class QAbstractButton;
class QPainter;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace qv {

class TQVData;

enum class TGridView { Source, Target, Difference, Enhance };

class TMosaicView : public QObject {
  Q_OBJECT
 public:
  // The grid is set to 1 x 1 cells of kZoomInitial pixels without grid lines and its cells
  // are painted by DrawGrid1DrawCell from now on. The slider is made here, hidden, as a
  // child of the grid.
  TMosaicView(TDrawGrid* grid, TQVData* library, TQVData* plan, TQVData* mosaic, QObject* parent = nullptr);

  TDrawGrid* DrawGrid1;
  QSlider* TrackBar1;
  TThumbnailCache& Thumbnails() { return thumbnails_; }

  // ---- View state ----
  TGridView View() const { return view_; }
  int Color() const { return color_; }  // "Color": colour shift toward the source, percent
  int Blend() const { return blend_; }  // "Blend": opacity of the source over the tile, percent

  // The view radio buttons ("Source", "Target", "Difference", "Enhance"), the group of the
  // "Color" and "Blend" fields, and the two fields. Ticking a button selects its view; the
  // group is shown only in the "Enhance" view; changing a field repaints the grid. The
  // fields' values become the view's Color and Blend at once. Any pointer may be null.
  void ConnectViewControls(QRadioButton* source, QRadioButton* target, QRadioButton* difference, QRadioButton* enhance,
                           QWidget* groupBox2, QSpinBox* color, QSpinBox* blend);

  // ---- Cells ----
  int32_t CellToRow(int32_t row, int32_t col) const;
  void RowToCell(int32_t number, int32_t& col, int32_t& row) const;
  // Paints one cell: the grid's OnDrawCell.
  void DrawGrid1DrawCell(QPainter& p, int col, int row, const QRect& rect, const TGridDrawState& state);
  // The plan's ShowThumbs off; kind 1 shows the mosaic's thumbnails, kind 2 hides them, any
  // other kind shows them when the cells are wider than twice the signature grid.
  void AutoShowDetailed(int kind);

  // ---- After changes ----
  // After a placement or an erasure of mosaic record cellNumber: paints the cell at once with
  // the given state (a run paints with an empty state, the editing commands with Focused).
  // The decoded pictures need no telling: they are kept by their JPEG bytes.
  void CellChanged(int32_t cellNumber, const TGridDrawState& state);
  // A picture shown over one cell, framed by a 2-pixel line that inverts what lies under
  // it, until another preview replaces it, ClearPreview, or a change of that cell
  // (CellChanged). The manual tiles window shows the tile it would place this way.
  void ShowPreview(int col, int row, const QImage& picture);
  void ClearPreview();
  bool HasPreview() const { return !preview_.isNull(); }
  // Paints one cell at once, as the composition and editing commands do after a change.
  void PaintCellNow(int col, int row, const TGridDrawState& state);
  // After a project was opened: grid counts from the plan, decoded pictures given back,
  // fitted to the window.
  void ProjectOpened();
  // After the plan and the mosaic were closed: 1 x 1 grid, decoded pictures given back.
  void ProjectClosed();
  // Grid column and row counts from the plan (1 x 1 when it is not open).
  void SetGridSizeFromPlan();
  void Repaint();

  // Grid lines shown (the View menu shows "Hide grid" then, otherwise "Show grid").
  bool GridShown() const;
  // Applies a zoom position: the slider takes it (clamped) and the cells follow.
  void SetZoomPosition(int position);

 public slots:
  void SetView(TGridView view);  // selects and repaints when it is not selected yet
  void SetColor(int percent);
  void SetBlend(int percent);
  void ViewSource() { SetView(TGridView::Source); }
  void ViewTarget() { SetView(TGridView::Target); }
  void ViewEnhance() { SetView(TGridView::Enhance); }
  void ShowDetails();
  void HideDetails();
  void ZoomIn();
  void ZoomOut();
  void FastView();
  void View100();
  void FitToWindow();
  void FitToSelection();
  void ShowGrid();
  void HideGrid();
  // The slider's position changed: resize the cells (nothing when the plan is not open or the
  // position is the cell width already).
  void TrackBar1Change();

 signals:
  void ViewChanged(qv::TGridView view);

 private:
  void DrawSelectionMarker(QPainter& p, const QRect& rect) const;
  void DrawDeletedCross(QPainter& p, const QRect& rect) const;
  void PaintEnhanced(QPainter& p, int32_t n, const QRect& rect);
  void PaintDifference(QPainter& p, int32_t n, const QRect& rect);
  void PaintPicture(QPainter& p, const TQVData& table, int32_t n, const QRect& rect);
  void SetCellSize(int width, int height);
  // The box the fits use: the grid's area without scroll bars.
  QSize FitBox() const;
  void SyncViewControls();

  TQVData* library_;
  TQVData* plan_;
  TQVData* mosaic_;
  TThumbnailCache thumbnails_;
  QImage preview_;
  int previewCol_ = 0;
  int previewRow_ = 0;
  TGridView view_ = TGridView::Source;
  int color_ = 40;
  int blend_ = 10;
  QRadioButton* radio_[4] = {nullptr, nullptr, nullptr, nullptr};
  QWidget* groupBox2_ = nullptr;
};

}  // namespace qv
