#include "library/TileRowPainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "models/LibraryInspectorModel.h"

namespace qv {

void PaintTileRow(QPainter& p, const QRect& rect, const TTileRow& row, int propX, int propY, bool selected,
                  bool focused, const QWidget& list) {
  const QPalette& palette = list.palette();
  p.fillRect(rect, palette.color(QPalette::Base));
  if (row.Empty()) return;
  if (selected) {
    QColor mark = palette.color(QPalette::Highlight);
    mark.setAlpha(48);
    p.fillRect(rect, mark);
  }
  const int h = rect.height();
  const int w = ThumbWidthForRow(h, propX, propY);
  const QRect thumbRect(rect.left(), rect.top(), w, h);
  if (!row.Thumbnail.isNull()) p.drawImage(thumbRect, row.Thumbnail);
  if (selected || focused) {
    p.setPen(QPen(palette.color(QPalette::Highlight), 2));
    p.drawRect(thumbRect.adjusted(1, 1, -1, -1));
  }
  const QFont font = list.font();
  const QFontMetrics fm(font);
  const int x = rect.left() + w + 6, textWidth = std::max(10, rect.right() - x - 4);
  int y = rect.bottom() - 3 - fm.descent();
  p.setFont(font);
  p.setPen(palette.color(QPalette::Text));
  p.drawText(x, y, selected ? row.Path : fm.elidedText(row.Path, Qt::ElideMiddle, textWidth));
  y -= fm.height();
  p.drawText(x, y, QString("%1 x %2").arg(row.PicWidth).arg(row.PicHeight));
  y -= fm.height();
  QFont bold = font;
  bold.setBold(true);
  p.setFont(bold);
  p.drawText(x, y, row.Title);
  p.setFont(font);
  if (row.Deleted) {
    p.setPen(QPen(Qt::red, 2));
    p.drawLine(rect.topLeft(), rect.bottomRight());
    p.drawLine(rect.bottomLeft(), rect.topRight());
  }
}

}  // namespace qv
