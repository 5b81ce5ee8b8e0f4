#include "source/EnCropImage.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>

#include "base/FileUtil.h"
#include "codecs/CodecSupport.h"
#include "codecs/PictureLoader.h"
#include "controls/BitmapImage.h"
#include "mainwindow/Prompts.h"
#include "settings/AppSettings.h"
#include "source/ScannerDialogs.h"

namespace qv {

TEnCropImage::TEnCropImage(std::string settingsPath, QWidget* parent)
    : TCropImage(parent), settingsPath_(std::move(settingsPath)) {}

void TEnCropImage::SetPictureFileName(const std::string& fileName) {
  if (!FileExists(fileName)) return;
  const TLargePictureAllowance large;  // a source picture may be far larger than a tile's
  TakePicture(std::make_shared<Bitmap24>(LoadPicture24(fileName)), fileName);
}

void TEnCropImage::TakePicture(TPicturePtr picture, const std::string& fileName) {
  original_ = picture;
  SetPicture(std::move(picture), fileName);
}

bool TEnCropImage::PasteFromClipboard() {
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  if (!mime || !mime->hasImage()) return false;
  const QImage image = qvariant_cast<QImage>(mime->imageData());
  if (image.isNull() || image.width() < 1 || image.height() < 1) return false;
  TakePicture(std::make_shared<Bitmap24>(ToBitmap24(image)));
  Relayout();
  return true;
}

bool TEnCropImage::Acquire() {
  std::optional<Bitmap24> scanned = AcquireWithProgress(this, IniReadScannerDevice(settingsPath_));
  if (!scanned) return false;
  TakePicture(std::make_shared<Bitmap24>(std::move(*scanned)));
  Relayout();
  return true;
}

void TEnCropImage::SelectScannerSource() { ChooseScannerDevice(this, settingsPath_); }

}  // namespace qv
