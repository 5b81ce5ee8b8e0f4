#include "controls/FitImageInBox.h"

#include <QGroupBox>
#include <QLabel>
#include <QPixmap>

#include "controls/BitmapImage.h"
#include "imaging/RasterUtils.h"
#include "raster/Resample.h"

namespace qv {

void FitImageInBox(QLabel* image, QGroupBox* box, const Bitmap24& picture, bool resampled) {
  const QRect now = image->geometry();
  Rect bounds{now.left(), now.top(), now.left() + now.width(), now.top() + now.height()};
  FitImageInBoxBounds(picture.Width(), picture.Height(), Rect{0, 0, box->width(), box->height()}, bounds);
  image->setGeometry(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  image->setScaledContents(!resampled);
  if (resampled && !picture.Empty() && bounds.Width() > 0 && bounds.Height() > 0)
    image->setPixmap(QPixmap::fromImage(ToQImage(Resample(picture, bounds.Width(), bounds.Height(), kFilterMitchell))));
  else
    image->setPixmap(QPixmap::fromImage(ToQImage(picture)));
}

void FitImageInBox(QLabel* image, QGroupBox* box, bool resampled) {
  FitImageInBox(image, box, ToBitmap24(image->pixmap().toImage()), resampled);
}

}  // namespace qv
