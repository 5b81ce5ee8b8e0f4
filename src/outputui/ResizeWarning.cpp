#include "outputui/ResizeWarning.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/BitmapImage.h"
#include "imaging/StretchDraw.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/Prompts.h"
#include "settings/AppSettings.h"

namespace qv {

namespace {

// A framed box holding one picture, centred; the box is as large as the larger of the two
// pictures (up to kMaxBoxPicture), so that both boxes have the same size.
QGroupBox* PictureBox(const QString& caption, const char* name, QLabel*& image, const QImage& picture, QSize box,
                      QWidget* parent) {
  auto* group = new QGroupBox(caption, parent);
  group->setObjectName(name);
  image = new QLabel(group);
  image->setObjectName(name == QStringLiteral("GroupBox1") ? "Image1" : "Image2");
  image->setAlignment(Qt::AlignCenter);
  image->setFixedSize(box);
  QPixmap pix = QPixmap::fromImage(picture);
  if (pix.width() > box.width() || pix.height() > box.height())
    pix = pix.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  image->setPixmap(pix);
  auto* l = new QVBoxLayout(group);
  l->addWidget(image, 0, Qt::AlignCenter);
  return group;
}

}  // namespace

TResizeWarning::TResizeWarning(const Bitmap24& thumb, int cellWidth, int cellHeight, QWidget* parent)
    : QDialog(parent) {
  setObjectName("ResizeWarning");
  setWindowTitle(QString(AppTitle) + " Warning!");
  SetHelpContext(this, kHelpContext);
  Label1 = new QLabel(
      "Supposed tile size in the output mosaic is larger then size of tiles stored in the library. It is "
      "recommended to use original image files for mosaic creation",
      this);
  Label1->setObjectName("Label1");
  Label1->setWordWrap(true);

  Bitmap24 stretched(std::max(cellWidth, 1), std::max(cellHeight, 1));
  StretchDraw(stretched, Rect{0, 0, stretched.Width(), stretched.Height()}, thumb);
  const QImage small = ToQImage(thumb), large = ToQImage(stretched);
  const QSize box(std::min(std::max({small.width(), large.width(), 64}), kMaxBoxPicture),
                  std::min(std::max({small.height(), large.height(), 64}), kMaxBoxPicture));
  GroupBox1 = PictureBox("Tile in the library:", "GroupBox1", Image1, small, box, this);
  GroupBox2 = PictureBox("Tile in the mosaic:", "GroupBox2", Image2, large, box, this);

  BitBtn1 = new QPushButton("Use originals", this);
  BitBtn1->setObjectName("BitBtn1");
  BitBtn2 = new QPushButton("Use stored thumbs", this);
  BitBtn2->setObjectName("BitBtn2");
  BitBtn3 = new QPushButton("Cancel", this);
  BitBtn3->setObjectName("BitBtn3");
  BitBtn1->setDefault(true);
  connect(BitBtn1, &QPushButton::clicked, this, [this] { done(kUseOriginals); });
  connect(BitBtn2, &QPushButton::clicked, this, [this] { done(kUseStoredThumbs); });
  connect(BitBtn3, &QPushButton::clicked, this, [this] { done(kCancel); });

  auto* boxes = new QHBoxLayout;
  boxes->addWidget(GroupBox1);
  boxes->addWidget(GroupBox2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3}) buttons->addWidget(b);
  auto* main = new QVBoxLayout(this);
  main->addWidget(Label1);
  main->addLayout(boxes);
  main->addLayout(buttons);
}

TResizeWarning::TResult TResizeWarning::AskResize(const Bitmap24& thumb, int cellWidth, int cellHeight,
                                                  QWidget* parent) {
  TResizeWarning dialog(thumb, cellWidth, cellHeight, parent);
  const int r = Prompts().ExecDialog(dialog);
  return r == kUseOriginals ? kUseOriginals : r == kUseStoredThumbs ? kUseStoredThumbs : kCancel;
}

}  // namespace qv
