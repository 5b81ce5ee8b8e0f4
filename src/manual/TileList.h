#pragma once
// TTileList: a list of tiles, one row each, drawn by PaintTileRow with what RowAt gives for
// the row. The fixed column numbers the rows. A row resized by the user sets the height of
// every row, at least three lines of text. Rows are 1-based here, as the lists count them.
#include <QTableView>
#include <functional>

#include "library/TileRowPainter.h"

namespace qv {

class TTileList : public QTableView {
  Q_OBJECT
 public:
  explicit TTileList(QWidget* parent = nullptr);

  int RowCount() const;
  void SetRowCount(int rows);
  // The current row, 0 when there is none.
  int CurrentRow() const;
  // Makes row current and selected (nothing for a row that does not exist).
  void SetCurrentRow(int row);
  // Every row's height: at least three lines of text.
  void SetRowHeight(int height);
  int RowHeight() const;

  // What row (1-based) shows; called while painting.
  std::function<TTileRow(int row)> RowAt;
  // The tile proportion the thumbnails are drawn at.
  int PropX = 1;
  int PropY = 1;

 signals:
  void RowSelected(int row);   // the current row changed
  void RowActivated(int row);  // double click on a row
  void RowMenu(int row, const QPoint& globalPos);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  void RowResized(int logical, int oldSize, int newSize);

  TTileRowsModel* rows_;
  bool settingRowHeight_ = false;
};

}  // namespace qv
