#include "controls/BitmapImage.h"

namespace qv {

QImage ToQImage(const Bitmap24& bmp) {
  if (bmp.Empty()) return {};
  QImage image(bmp.Width(), bmp.Height(), QImage::Format_RGB32);
  for (int y = 0; y < bmp.Height(); ++y) {
    const uint8_t* s = bmp.Row(y);
    auto* d = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < bmp.Width(); ++x, s += 3) d[x] = qRgb(s[2], s[1], s[0]);
  }
  return image;
}

Bitmap24 ToBitmap24(const QImage& image) {
  if (image.isNull()) return {};
  const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
  Bitmap24 bmp(rgb.width(), rgb.height());
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* s = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    uint8_t* d = bmp.Row(y);
    for (int x = 0; x < rgb.width(); ++x, d += 3) {
      d[0] = uint8_t(qBlue(s[x]));
      d[1] = uint8_t(qGreen(s[x]));
      d[2] = uint8_t(qRed(s[x]));
    }
  }
  return bmp;
}

}  // namespace qv
