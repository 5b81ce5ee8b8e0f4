#pragma once
// One row of a list of library tiles, as the library inspector and the manual tiles window
// draw it: the tile's thumbnail stretched to the row height at the tile proportion, and right
// of it three lines from the bottom up: the full path (shortened in the middle with an
// ellipsis unless the row is selected), the picture size "w x h" and a title in bold. A
// selected or focused row frames the thumbnail; a deleted tile is crossed out.
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

// Paints row into rect with the palette and font of the list widget; propX : propY is the
// library's tile proportion.
void PaintTileRow(QPainter& p, const QRect& rect, const TTileRow& row, int propX, int propY, bool selected,
                  bool focused, const QWidget& list);

}  // namespace qv
