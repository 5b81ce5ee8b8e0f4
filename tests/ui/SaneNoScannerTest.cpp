// The scanner commands when SANE finds no device: its configuration names no backend (a
// process of its own, since SANE reads its configuration once).
#include <QTest>
#include <fstream>

#include "MainFormFixture.h"
#include "SourceHost.h"
#include "codecs/BmpCodec.h"
#include "settings/IniFile.h"
#include "source/EnCropImage.h"
#include "source/SaneScanner.h"
#include "source/SrcSetup.h"

class SaneNoScannerTest : public QObject {
  Q_OBJECT
  qvtest::TempDir config_;

 private slots:
  void initTestCase() {
    std::ofstream(config_.File("dll.conf")) << "# no backend\n";
    qputenv("SANE_CONFIG_DIR", QByteArray::fromStdString(config_.Path()));
  }

  // "Select TWAIN source" and "Acquire" both say there is no scanner; the picture shown, its
  // name and the chosen device stay as they were.
  void BothCommandsSayThereIsNoScannerAndChangeNothing() {
    QVERIFY(qv::ListScannerDevices().empty());
    qvtest::TMainFormFixture f;
    qvtest::TSourceHost host;
    host.Settings = f.Settings();
    host.Lib.Open(f.MakeLibrary("lib", 2));
    qv::TSrcSetup window(host);
    window.show();
    const std::string picture = f.Dir.File("shown.bmp");
    qv::SaveBmpFile(picture, qvtest::DrawTestPicture(60, 40, 3));
    window.OpenImage(picture);
    const qv::Bitmap24 before = window.CropImage()->Picture();
    const qv::Rect frame = window.CropImage()->PictureCropRect();

    window.SelectSource();
    QCOMPARE(f.Prompts.LastText(), QString("No scanner found."));
    QCOMPARE(qv::IniReadString(f.Settings(), "Scanner", "Device", "none"), std::string("none"));
    f.Prompts.Messages.clear();
    window.Acquire();
    QCOMPARE(f.Prompts.LastText(), QString("No scanner found."));
    QVERIFY(window.CropImage()->Picture() == before);
    QCOMPARE(window.CropImage()->PictureFileName(), picture);
    QCOMPARE(window.CropImage()->PictureCropRect(), frame);
    QCOMPARE(window.StatusText(), QString::fromStdString(picture));
  }
};

QTEST_MAIN(SaneNoScannerTest)
#include "SaneNoScannerTest.moc"
