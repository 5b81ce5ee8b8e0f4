#include "mainwindow/StatusPanel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace qv {

QString ElideStatusText(const QString& text, const QFontMetrics& metrics, int width, int fileStart, int fileLength) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  if (fileStart >= 0 && fileLength > 0 && fileStart + fileLength <= text.size()) {
    const QString before = text.left(fileStart);
    const QString after = text.mid(fileStart + fileLength);
    const int room = width - metrics.horizontalAdvance(before) - metrics.horizontalAdvance(after);
    // Worth it only while a few characters of each end of the name remain.
    if (room >= metrics.horizontalAdvance(QStringLiteral("ab…yz"))) {
      const QString name = text.mid(fileStart, fileLength);
      // The name itself stays whole when there is room for it and some of its folder.
      const qsizetype slash = name.lastIndexOf('/');
      if (slash > 0) {
        const QString base = name.mid(slash);
        const int folderRoom = room - metrics.horizontalAdvance(base);
        if (folderRoom >= metrics.horizontalAdvance(QStringLiteral("/ab…"))) {
          const QString folder = metrics.elidedText(name.left(slash), Qt::ElideMiddle, folderRoom);
          return before + folder + base + after;
        }
      }
      return before + metrics.elidedText(name, Qt::ElideMiddle, room) + after;
    }
  }
  return metrics.elidedText(text, Qt::ElideRight, width);
}

TStatusPanel::TStatusPanel(QWidget* parent) : QLabel(parent) {}

void TStatusPanel::SetText(const QString& text, int fileStart, int fileLength) {
  fileStart_ = fileStart;
  fileLength_ = fileLength;
  setText(text);
  setToolTip(text);
  update();
}

QRect TStatusPanel::TextRect() const {
  QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
  if (indent() > 0) {
    if (alignment() & Qt::AlignRight)
      r.setRight(r.right() - indent());
    else if (!(alignment() & Qt::AlignHCenter))
      r.setLeft(r.left() + indent());
  }
  return r;
}

QString TStatusPanel::ShownText() const {
  return ElideStatusText(text(), fontMetrics(), TextRect().width(), fileStart_, fileLength_);
}

QSize TStatusPanel::minimumSizeHint() const {
  QSize s = QLabel::minimumSizeHint();
  return QSize(std::min(s.width(), minimumWidth()), s.height());
}

QSize TStatusPanel::sizeHint() const {
  QSize s = QLabel::sizeHint();
  return QSize(std::max(minimumWidth(), 0), s.height());
}

void TStatusPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  drawFrame(&p);
  style()->drawItemText(&p, TextRect(), int(alignment()), palette(), isEnabled(), ShownText(), foregroundRole());
}

}  // namespace qv
