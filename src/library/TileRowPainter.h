#pragma once
// One row of a list of library tiles, as the library inspector and the manual tiles window
// draw it: the tile's thumbnail stretched to the row height at the tile proportion, and right
// of it three lines from the bottom up: the full path (shortened in the middle with an
// ellipsis unless the row is selected), the picture size "w x h" and a title in bold. A
// selected or focused row frames the thumbnail; a deleted tile is crossed out.
#include <QAbstractTableModel>
#include <QImage>
#include <QString>

class QPainter;
class QRect;
class QWidget;

namespace qv {

struct TTileRow {
  QImage Thumbnail;
  QString Title;  // the bold line
  QString Path;
  int PicWidth = 0;
  int PicHeight = 0;
  bool Deleted = false;
  // A row without a tile (no library open) is painted blank.
  bool Empty() const { return Title.isEmpty() && Path.isEmpty() && Thumbnail.isNull(); }
};

// The rows of a tile list: only their count, the list's delegate paints them; the fixed
// column numbers them from 1 under the header "Tiles".
class TTileRowsModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;
  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 1; }
  QVariant data(const QModelIndex&, int) const override { return {}; }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (role != Qt::DisplayRole) return {};
    if (o == Qt::Horizontal) return QString("Tiles");
    return section + 1;
  }
  void SetRows(int rows) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
  }

 private:
  int rows_ = 0;
};

// Paints row into rect with the palette and font of the list widget; propX : propY is the
// library's tile proportion.
void PaintTileRow(QPainter& p, const QRect& rect, const TTileRow& row, int propX, int propY, bool selected,
                  bool focused, const QWidget& list);

}  // namespace qv
