// Scanning through SANE against its own "test" backend, set up in a private configuration
// folder: the picture acquired must be the one SANE's own command-line client gets from the
// same device.
#include <QProcess>
#include <QTest>
#include <atomic>
#include <cstring>
#include <fstream>
#include <set>

#include "MainFormFixture.h"
#include "SourceHost.h"
#include "settings/IniFile.h"
#include "source/EnCropImage.h"
#include "source/SaneScanner.h"
#include "source/SrcSetup.h"

using qv::Bitmap24;

namespace {

qvtest::TempDir& ConfigDir() {
  static qvtest::TempDir dir;
  return dir;
}

// A colour test pattern of 40 x 30 mm at 50 dpi (79 x 59 pixels).
void WriteSaneConfig() {
  std::ofstream(ConfigDir().File("dll.conf")) << "test\n";
  std::ofstream(ConfigDir().File("test.conf")) << "number_of_devices 1\nmode Color\ndepth 8\n"
                                                  "test-picture \"Color pattern\"\nresolution 50.0\n"
                                                  "tl_x 0.0\ntl_y 0.0\nbr_x 40.0\nbr_y 30.0\n";
  qputenv("SANE_CONFIG_DIR", QByteArray::fromStdString(ConfigDir().Path()));
}

// The picture scanimage gets (a binary PNM file), as a Bitmap24.
Bitmap24 ScanimagePicture() {
  QProcess p;
  p.start("scanimage", {"-d", "test:0", "--format=pnm"});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
  const QByteArray out = p.readAllStandardOutput();
  // "P6\n# comments\nW H\n255\n" then the pixels.
  int pos = 0, fields[3] = {0, 0, 0}, k = 0;
  const bool colour = out.startsWith("P6");
  pos = 2;
  while (k < 3 && pos < out.size()) {
    if (out[pos] == '#') {
      while (pos < out.size() && out[pos] != '\n') ++pos;
    } else if (out[pos] >= '0' && out[pos] <= '9') {
      while (out[pos] >= '0' && out[pos] <= '9') fields[k] = fields[k] * 10 + (out[pos++] - '0');
      ++k;
      continue;
    }
    ++pos;
  }
  ++pos;  // the one whitespace after the maximum value
  Bitmap24 bmp(fields[0], fields[1]);
  const int channels = colour ? 3 : 1;
  if (out.size() - pos < qsizetype(fields[0]) * fields[1] * channels) return {};
  for (int y = 0; y < fields[1]; ++y)
    for (int x = 0; x < fields[0]; ++x) {
      const auto* s = reinterpret_cast<const uint8_t*>(out.constData()) + pos + (size_t(y) * fields[0] + x) * channels;
      uint8_t* d = bmp.Pixel(x, y);
      d[0] = s[colour ? 2 : 0];
      d[1] = s[colour ? 1 : 0];
      d[2] = s[0];
    }
  return bmp;
}

}  // namespace

class SaneScannerTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { WriteSaneConfig(); }
  void ListsTheTestDevice();
  void ScansWhatScanimageScans();
  void CancelledScanRaisesAndAcquireChangesNothingOnFailure();
  void AcquireInTheSetupWindow();
};

void SaneScannerTest::ListsTheTestDevice() {
  const std::vector<qv::TScannerDevice> devices = qv::ListScannerDevices();
  QCOMPARE(int(devices.size()), 1);
  QCOMPARE(devices[0].Name, std::string("test:0"));
  QCOMPARE(devices[0].Caption(), std::string("Noname frontend-tester (test:0)"));
}

void SaneScannerTest::ScansWhatScanimageScans() {
  std::atomic<bool> cancel{false};
  double last = 0;
  const Bitmap24 scanned = qv::ScanPicture(
      "test:0", [&last](double f) { last = f; }, cancel);
  QCOMPARE(last, 1.0);
  const Bitmap24 reference = ScanimagePicture();
  if (reference.Empty()) QSKIP("scanimage is not available");
  QCOMPARE(scanned.Width(), reference.Width());
  QCOMPARE(scanned.Height(), reference.Height());
  QVERIFY(scanned.Width() > 70 && scanned.Height() > 50);
  QVERIFY(scanned == reference);
  // A colour pattern, not a blank page.
  std::set<uint32_t> colours;
  for (int y = 0; y < scanned.Height(); ++y)
    for (int x = 0; x < scanned.Width(); ++x) {
      const uint8_t* p = scanned.Pixel(x, y);
      colours.insert(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
    }
  QVERIFY(colours.size() > 3);
}

void SaneScannerTest::CancelledScanRaisesAndAcquireChangesNothingOnFailure() {
  std::atomic<bool> cancel{true};
  bool raised = false;
  try {
    qv::ScanPicture("test:0", nullptr, cancel);
  } catch (const qv::EScanError& e) {
    raised = std::string(e.what()) == "Scanning cancelled";
  }
  QVERIFY(raised);
  // A device that does not exist: a clear message, the view unchanged.
  qvtest::TMainFormFixture f;
  qv::IniWriteString(f.Settings(), "Scanner", "Device", "nosuch:0");
  qv::TEnCropImage view(f.Settings());
  QVERIFY(!view.Acquire());
  QVERIFY(!view.HasPicture());
  QVERIFY(f.Prompts.LastText().startsWith("The scanner nosuch:0 cannot be opened"));
}

void SaneScannerTest::AcquireInTheSetupWindow() {
  qvtest::TMainFormFixture f;
  qvtest::TSourceHost host;
  host.Settings = f.Settings();
  host.Lib.Open(f.MakeLibrary("lib", 2));
  qv::TSrcSetup window(host);
  window.show();
  window.Acquire();
  QVERIFY(window.CropImage()->HasPicture());
  QVERIFY(window.CropImage()->PictureFileName().empty());
  QCOMPARE(window.StatusText(), QString("Not saved image from TWAIN"));
  const Bitmap24 reference = ScanimagePicture();
  if (!reference.Empty()) QVERIFY(window.CropImage()->Picture() == reference);
  QCOMPARE(window.CropImage()->PictureCropRect().Bottom, window.CropImage()->Picture().Height());
}

QTEST_MAIN(SaneScannerTest)
#include "SaneScannerTest.moc"
