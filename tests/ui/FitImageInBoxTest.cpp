// FitImageInBox: an image label placed in a group box, resampled or stretched.
#include <QGroupBox>
#include <QLabel>
#include <QtTest>

#include "controls/BitmapImage.h"
#include "controls/FitImageInBox.h"
#include "raster/Resample.h"

using namespace qv;

namespace {

// A 400 x 300 picture with a different colour in every pixel.
Bitmap24 Gradient() {
  Bitmap24 b(400, 300);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      uint8_t* p = b.Pixel(x, y);
      p[0] = uint8_t(x);
      p[1] = uint8_t(y);
      p[2] = uint8_t((x * 7 + y * 3) & 0xFF);
    }
  return b;
}

}  // namespace

class FitImageInBoxTest : public QObject {
  Q_OBJECT
 private slots:
  void ResampledShowsAMitchellCopyOfExactlyTheBounds() {
    QGroupBox box("Layout");
    box.resize(300, 200);
    auto* image = new QLabel(&box);
    image->setScaledContents(true);
    const Bitmap24 picture = Gradient();
    FitImageInBox(image, &box, picture, true);
    // 298 x 189 below the caption; 4:3 fills its height.
    QCOMPARE(image->geometry(), QRect(24, 10, 252, 189));
    QVERIFY(!image->hasScaledContents());
    QCOMPARE(image->pixmap().size(), QSize(252, 189));
    QVERIFY(ToBitmap24(image->pixmap().toImage()) == ResampleReference(picture, 252, 189, kFilterMitchell));
  }

  void StretchedKeepsThePicture() {
    QGroupBox box("Layout");
    box.resize(300, 200);
    auto* image = new QLabel(&box);
    const Bitmap24 picture = Gradient();
    image->setPixmap(QPixmap::fromImage(ToQImage(picture)));
    FitImageInBox(image, &box, false);
    QCOMPARE(image->geometry(), QRect(24, 10, 252, 189));
    QVERIFY(image->hasScaledContents());
    QVERIFY(ToBitmap24(image->pixmap().toImage()) == picture);

    // The box grows: the same picture is fitted again, now filling the new width.
    box.resize(500, 200);
    FitImageInBox(image, &box, false);
    QCOMPARE(image->geometry(), QRect(124, 10, 252, 189));
  }
};

QTEST_MAIN(FitImageInBoxTest)
#include "FitImageInBoxTest.moc"
