// The crop view widget (mouse, keys, cut-outs) and the tile preview window.
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "codecs/BmpCodec.h"
#include "controls/CellShape.h"
#include "controls/CropImage.h"
#include "mainwindow/TilePrev.h"
#include "settings/AppSettings.h"
#include "settings/IniFile.h"
#include "support/TestFiles.h"

using qv::Bitmap24;
using qv::Rect;
using qv::TCropImage;

namespace {

// A picture whose pixel (x, y) holds x in blue, y in green and x + y in red (mod 256).
std::shared_ptr<Bitmap24> Ramp(int w, int h) {
  auto bmp = std::make_shared<Bitmap24>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = bmp->Pixel(x, y);
      p[0] = uint8_t(x);
      p[1] = uint8_t(y);
      p[2] = uint8_t(x + y);
    }
  return bmp;
}

}  // namespace

class CropImageTest : public QObject {
  Q_OBJECT
 private slots:
  void MouseDragMovesTheFrameInPicturePixels();
  void KeysMoveTheFrameAndFireChangeCropPos();
  void CutOutsHoldTheFramedPixels();
  void ManyCellsDrawWithoutALineEach();
  void TilePreviewShowsThePictureOrTheThumbnail();
};

void CropImageTest::MouseDragMovesTheFrameInPicturePixels() {
  TCropImage view;
  view.resize(400, 300);
  view.show();
  view.SetPicture(Ramp(1000, 500));  // shown 400 x 200 at top 50
  view.SetCropRect({0, 0, 500, 500});
  QCOMPARE(view.PictureRect(), QRect(0, 50, 400, 200));
  QSignalSpy changed(&view, &TCropImage::ChangeCropPos);
  QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(100, 150));
  QVERIFY(!view.Shape()->isVisible());  // hidden while dragged
  QMouseEvent move(QEvent::MouseMove, QPointF(121, 150), view.mapToGlobal(QPointF(121, 150)), Qt::NoButton,
                   Qt::LeftButton, {});
  QApplication::sendEvent(&view, &move);
  QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(121, 150));
  QCOMPARE(changed.count(), 1);
  QVERIFY(view.Shape()->isVisible());
  QCOMPARE(view.PictureCropRect(), (Rect{52, 0, 552, 500}));
  QCOMPARE(view.Shape()->geometry(), QRect(21, 50, 200, 200));

  // A press outside the frame goes to the owner.
  QSignalSpy down(&view, &TCropImage::PictureMouseDown);
  QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(300, 100));
  QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(300, 100));
  QCOMPARE(down.count(), 1);
  QCOMPARE(changed.count(), 1);
}

void CropImageTest::KeysMoveTheFrameAndFireChangeCropPos() {
  TCropImage view;
  view.resize(400, 400);
  view.show();
  QSignalSpy changed(&view, &TCropImage::ChangeCropPos);
  QTest::keyClick(&view, Qt::Key_Right);  // no picture: nothing
  QCOMPARE(changed.count(), 0);
  view.SetPicture(Ramp(400, 400));
  view.SetCropRect({60, 0, 110, 50});
  QTest::keyClick(&view, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(view.PictureCropRect(), (Rect{10, 0, 60, 50}));
  QTest::keyClick(&view, Qt::Key_Up);  // would leave the picture
  QCOMPARE(changed.count(), 1);
  QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
  QCOMPARE(view.PictureCropRect(), (Rect{10, 0, 61, 50}));
  QCOMPARE(changed.count(), 2);
}

void CropImageTest::CutOutsHoldTheFramedPixels() {
  TCropImage view;
  view.resize(300, 300);
  view.SetPicture(Ramp(1000, 500));
  view.SetCropRect({100, 50, 301, 151});
  // At picture resolution: exactly the crop rectangle.
  Bitmap24 cut = view.GetCropBitmap(1, 1);
  QCOMPARE(cut.Width(), 201);
  QCOMPARE(cut.Height(), 101);
  QCOMPARE(int(cut.Pixel(0, 0)[0]), 100);
  QCOMPARE(int(cut.Pixel(0, 0)[1]), 50);
  QCOMPARE(int(cut.Pixel(200, 100)[0]), int(uint8_t(300)));
  QCOMPARE(int(cut.Pixel(200, 100)[1]), 150);
  // Without cropping: the picture unscaled in a bitmap of the shown picture's size.
  view.SetPictureCrops(false);
  cut = view.GetCropBitmap(1, 1);
  QCOMPARE(cut.Width(), 300);
  QCOMPARE(cut.Height(), 150);
  QCOMPARE(int(cut.Pixel(299, 149)[0]), int(uint8_t(299)));
  // Stretched and filtered: the framed part scaled to the frame's panel size.
  view.SetPictureCrops(true);
  view.SetPictureStretch(true);
  view.SetResampleStyle(TCropImage::rsTriangle);
  view.SetCropRect({0, 0, 1000, 500});
  cut = view.GetCropBitmap(1, 1);
  QCOMPARE(cut.Width(), 300);
  QCOMPARE(cut.Height(), 300);
  QCOMPARE(int(cut.Pixel(0, 0)[1]), 0);
  QVERIFY(int(cut.Pixel(0, 299)[1]) > 240);  // the bottom row comes from the picture's bottom
  TCropImage empty;
  QVERIFY(empty.GetCropBitmap(1, 1).Empty());
}

void CropImageTest::ManyCellsDrawWithoutALineEach() {
  // 999999 cells across 500 pixels: every inner pixel once, not a million lines.
  const std::vector<int> lines = qv::TCellShape::GridLines(500, 999999);
  QCOMPARE(int(lines.size()), 499);
  QCOMPARE(qv::TCellShape::GridLines(90, 30).size(), size_t(29));
  QCOMPARE(qv::TCellShape::GridLines(90, 30)[0], 3);
  TCropImage view;
  view.resize(500, 500);
  view.SetPicture(Ramp(500, 500));
  view.SetCells(30, 30);
  view.SetShowCells(false);
  QCOMPARE(view.Shape()->CellX(), 1);  // no grid while ShowCells is off
  view.SetShowCells(true);
  QCOMPARE(view.Shape()->CellX(), 30);
}

void CropImageTest::TilePreviewShowsThePictureOrTheThumbnail() {
  qvtest::TempDir dir;
  const std::string settings = dir.File("qv003.ini");
  const std::string file = dir.File("tile.bmp");
  qv::SaveBmpFile(file, *Ramp(120, 80));
  {
    qv::TTilePrev prev(settings);
    prev.resize(500, 400);
    prev.show();
    prev.SetTile(file, {110, 70, 10, 10}, Bitmap24(36, 36));  // reversed corners: a flipped tile
    QCOMPARE(prev.objectName(), QString("TilePrev"));
    QCOMPARE(prev.windowTitle(), QString("tile.bmp (120x80)"));
    QCOMPARE(prev.findChild<QLabel*>("Label1")->text(), QString::fromStdString(file));
    auto* view = prev.findChild<TCropImage*>("CropImage1");
    QCOMPARE(view->PictureCropRect(), (Rect{10, 10, 110, 70}));
    QCOMPARE(view->size(), QSize(120, 80));  // smaller than the panel: its own size
    QVERIFY(!view->FrameEnabled());
    prev.move(33, 44);
    prev.accept();
  }
  QVERIFY(!qv::IniReadString(settings, "LayOut", "TilePreview", "").empty());
  qv::TTilePrev missing(settings);
  missing.SetTile(dir.File("gone.jpg"), {0, 0, 5, 5}, Bitmap24(36, 27));
  QCOMPARE(missing.windowTitle(), QString("File not found, it's a stored thumbnial (36x27)"));
  QCOMPARE(missing.findChild<QLabel*>("Label1")->text(),
           QString::fromStdString(dir.File("gone.jpg") + " (not found!)"));
  QCOMPARE(missing.findChild<TCropImage*>("CropImage1")->PictureCropRect(), (Rect{0, 0, 36, 27}));
}

QTEST_MAIN(CropImageTest)
#include "CropImageTest.moc"
