#pragma once
// TStatusPanel: one panel of the main window's status bar. It keeps its whole text (text()
// and the tool tip give it) and draws as much as fits: a file name inside the text is
// shortened in its middle ("/home/…/demo.qvp"), any other text at its end.
#include <QLabel>
#include <QString>

class QFontMetrics;

namespace qv {

// The text shortened to width pixels: when the part [fileStart, fileStart + fileLength) is a
// file name, that part loses characters from its middle ("/home/…/demo.qvp", the name after
// the last "/" kept whole while there is room) and the text around it stays whole; when even
// that does not fit, or there is no file name (fileStart < 0), the text is cut at its end
// with "…".
QString ElideStatusText(const QString& text, const QFontMetrics& metrics, int width, int fileStart = -1,
                        int fileLength = 0);

class TStatusPanel : public QLabel {
 public:
  explicit TStatusPanel(QWidget* parent = nullptr);
  // Sets the whole text (also as the tool tip); fileStart and fileLength mark a file name in
  // it, shortened in its middle when the panel is too narrow.
  void SetText(const QString& text, int fileStart = -1, int fileLength = 0);
  // What the panel shows at its present width.
  QString ShownText() const;
  // The panel asks for no width of its own: its text is shortened to what it gets.
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  // The part of the panel the text is drawn in.
  QRect TextRect() const;
  int fileStart_ = -1;
  int fileLength_ = 0;
};

}  // namespace qv
