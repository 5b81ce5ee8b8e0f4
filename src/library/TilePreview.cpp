#include "library/TilePreview.h"

#include <QDialog>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "base/FileUtil.h"
#include "codecs/PictureLoader.h"
#include "controls/BitmapImage.h"
#include "engine/QVData.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/WindowBounds.h"
#include "settings/AppSettings.h"

namespace qv {

TTilePreviewTexts TilePreviewTexts(const std::string& fileName, int picWidth, int picHeight, bool fileFound,
                                   int thumbWidth, int thumbHeight) {
  TTilePreviewTexts t;
  t.FileFound = fileFound;
  if (fileFound) {
    t.Caption = ExtractFileName(fileName) + " (" + std::to_string(picWidth) + "x" + std::to_string(picHeight) + ")";
    t.Label = fileName;
  } else {
    t.Caption = "File not found, it's a stored thumbnial (" + std::to_string(thumbWidth) + "x" +
                std::to_string(thumbHeight) + ")";
    t.Label = fileName + " (not found!)";
  }
  return t;
}

namespace {

// The picture fitted into the window's centre with the tile's frame drawn on it.
class TFramedPicture : public QWidget {
 public:
  TFramedPicture(QImage image, QRect frame, QWidget* parent)
      : QWidget(parent), image_(std::move(image)), frame_(frame.normalized()) {
    setMinimumSize(200, 150);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    if (image_.isNull()) return;
    const QSize fitted = image_.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    p.drawImage(target, image_);
    const double sx = double(target.width()) / image_.width(), sy = double(target.height()) / image_.height();
    const QRect f(target.left() + int(frame_.left() * sx), target.top() + int(frame_.top() * sy),
                  int(frame_.width() * sx), int(frame_.height() * sy));
    p.setPen(QPen(Qt::white, 1, Qt::DotLine));
    p.drawRect(f.adjusted(0, 0, -1, -1));
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawRect(f.adjusted(1, 1, -2, -2));
  }

 private:
  QImage image_;
  QRect frame_;
};

}  // namespace

void ShowTilePreview(const TQVData& library, QWidget* parent) {
  Bitmap24 picture;
  bool found = FileExists(library.Name);
  if (found) {
    try {
      picture = LoadPicture24(library.Name);
    } catch (const std::exception&) {
      found = false;
    }
  }
  QImage image;
  QRect frame;
  if (found) {
    image = ToQImage(picture);
    frame = QRect(QPoint(library.CropLeft, library.CropTop), QPoint(library.CropRight - 1, library.CropBottom - 1));
  } else {
    image = ToQImage(library.ThumbBitmap);
    frame = image.rect();
  }
  const TTilePreviewTexts texts =
      TilePreviewTexts(library.Name, library.PicWidth, library.PicHeight, found, image.width(), image.height());
  QDialog dialog(parent);
  dialog.setObjectName("TilePrev");
  dialog.setWindowTitle(FromCore(texts.Caption));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new TFramedPicture(image, frame, &dialog), 1);
  auto* label = new QLabel(FromCore(texts.Label), &dialog);
  label->setObjectName("Label1");
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(label);
  dialog.resize(480, 400);
  try {
    RestoreWindowBounds(SettingsPath, "LayOut", "TilePreview", &dialog);
  } catch (const std::exception&) {
  }
  Prompts().ExecDialog(dialog);
  SaveWindowBounds(SettingsPath, "LayOut", "TilePreview", &dialog);
}

}  // namespace qv
