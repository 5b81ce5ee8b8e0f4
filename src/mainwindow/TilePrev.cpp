#include "mainwindow/TilePrev.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <utility>

#include "base/FileUtil.h"
#include "codecs/PictureLoader.h"
#include "controls/CropImage.h"
#include "engine/QVData.h"
#include "imaging/RasterUtils.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/WindowBounds.h"
#include "settings/AppSettings.h"

namespace qv {

namespace {

constexpr char kBoundsSection[] = "LayOut";
constexpr char kBoundsKey[] = "TilePreview";

QString FileNameOnly(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return FromCore(slash == std::string::npos ? path : path.substr(slash + 1));
}

}  // namespace

TTilePrev::TTilePrev(std::string settingsPath, QWidget* parent)
    : QDialog(parent), settingsPath_(std::move(settingsPath)) {
  setObjectName("TilePrev");
  SetHelpContext(this, kHelpContext);
  auto* layout = new QVBoxLayout(this);
  Panel1 = new QWidget(this);
  Panel1->setObjectName("Panel1");
  Panel1->setMinimumSize(64, 64);
  Panel1->installEventFilter(this);
  CropImage1 = new TCropImage(Panel1);
  CropImage1->setObjectName("CropImage1");
  CropImage1->SetScaleStyle(TScaleStyle::ssNoScale);
  CropImage1->SetFrameEnabled(false);
  CropImage1->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(Panel1, 1);
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Label1->setWordWrap(true);
  layout->addWidget(Label1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  Button1 = new QPushButton("Close", this);
  Button1->setObjectName("Button1");
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  buttons->addWidget(Button1);
  layout->addLayout(buttons);
  PlaceDialog(this, QSize(420, 380), settingsPath_, kBoundsSection, kBoundsKey);
}

TTilePrev::~TTilePrev() = default;

void TTilePrev::done(int result) {
  if (!boundsSaved_) {
    boundsSaved_ = true;
    try {
      SaveWindowBounds(settingsPath_, kBoundsSection, kBoundsKey, this);
    } catch (const std::exception&) {
    }
  }
  QDialog::done(result);
}

void TTilePrev::SetTile(const std::string& fileName, const Rect& crop, const Bitmap24& thumbnail) {
  std::shared_ptr<Bitmap24> picture;
  if (FileExists(fileName)) {
    try {
      picture = std::make_shared<Bitmap24>(LoadPicture24(fileName));
    } catch (const std::exception&) {
      picture.reset();
    }
  }
  if (picture && !picture->Empty()) {
    setWindowTitle(FileNameOnly(fileName) + " (" + QString::number(picture->Width()) + "x" +
                   QString::number(picture->Height()) + ")");
    Label1->setText(FromCore(fileName));
    // A flipped tile keeps its crop with reversed corners; the frame marks the same pixels.
    const int w = picture->Width(), h = picture->Height();
    crop_ = {std::clamp(std::min(crop.Left, crop.Right), 0, w), std::clamp(std::min(crop.Top, crop.Bottom), 0, h),
             std::clamp(std::max(crop.Left, crop.Right), 0, w), std::clamp(std::max(crop.Top, crop.Bottom), 0, h)};
    if (crop_.Width() <= 0 || crop_.Height() <= 0) crop_ = {0, 0, w, h};
    CropImage1->SetPicture(std::move(picture), fileName);
  } else {
    setWindowTitle("File not found, it's a stored thumbnial (" + QString::number(thumbnail.Width()) + "x" +
                   QString::number(thumbnail.Height()) + ")");
    Label1->setText(FromCore(fileName) + " (not found!)");
    crop_ = {0, 0, thumbnail.Width(), thumbnail.Height()};
    CropImage1->SetPicture(std::make_shared<Bitmap24>(thumbnail));
  }
  PlacePicture();
}

void TTilePrev::SetTile(const TQVData& library) {
  SetTile(library.Name, {library.CropLeft, library.CropTop, library.CropRight, library.CropBottom},
          library.ThumbBitmap);
}

void TTilePrev::ShowTile(const TQVData& library, const std::string& settingsPath, QWidget* parent) {
  TTilePrev window(settingsPath, parent);
  window.SetTile(library);
  Prompts().ExecDialog(window);
}

void TTilePrev::PlacePicture() {
  if (!CropImage1->HasPicture()) return;
  // A picture smaller than the panel is shown at its own size, centred; a larger one fitted.
  Rect r;
  FitRectOrCenter(CropImage1->Picture().Width(), CropImage1->Picture().Height(), Panel1->width(), Panel1->height(), r);
  CropImage1->setGeometry(r.Left, r.Top, r.Width(), r.Height());
  CropImage1->Relayout();
  CropImage1->SetCropRect(crop_);
}

bool TTilePrev::eventFilter(QObject* watched, QEvent* e) {
  // On every resize of the picture panel the picture is placed again.
  if (watched == Panel1 && e->type() == QEvent::Resize) PlacePicture();
  return QDialog::eventFilter(watched, e);
}

void TTilePrev::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  PlacePicture();
}

}  // namespace qv
