// Memory of the source image setup window with a picture far larger than the screen.
//
//   source_picture_uibench --make PICTURE.jpg [W H]    writes a W x H JPEG (40000 x 30000)
//   source_picture_uibench PICTURE.jpg [COLS ROWS]    measures (100 x 75 tiles)
//
// The measuring run opens the picture in the window (which shows a reduced copy), frames the
// largest area, then a smaller one, and makes a project of it with "Apply". After each step
// it prints the peak resident memory of the step (VmHWM, reset before each step through
// /proc/self/clear_refs) beside the memory the picture itself needs (W x H x 3 bytes).
// Run it on the offscreen platform: QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "codecs/JpegCodec.h"
#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "mainwindow/Prompts.h"
#include "source/EnCropImage.h"
#include "source/SrcSetup.h"
#include "support/TestFiles.h"
#include "ui/SourceHost.h"

namespace {

double MiB(int64_t bytes) { return double(bytes) / (1024.0 * 1024.0); }

// VmHWM or VmRSS of this process, in bytes.
int64_t StatusBytes(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::stoll(line.substr(std::string(key).size())) * 1024;
  return -1;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The resident memory of the program before the picture came: what the steps add is measured
// above it.
int64_t gBase = 0;

struct TStep {
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  explicit TStep() { ResetPeak(); }
  void Report(const char* what, int64_t pictureBytes) const {
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int64_t peak = StatusBytes("VmHWM:"), now = StatusBytes("VmRSS:");
    std::printf("%-28s %6.1f s  peak %7.0f MiB, %.2f x picture above start;  after %7.0f MiB\n", what, s, MiB(peak),
                double(peak - gBase) / double(pictureBytes), MiB(now));
    std::fflush(stdout);
  }
};

// Every question answered as a user making the project would: no saving of the picture, the
// proposed project name.
class TProjectPrompts : public qv::TPrompts {
 public:
  std::string Project;
  qv::TPromptButton Message(const qv::TMessageRequest& r) override {
    if (r.Icon == qv::TPromptIcon::Error) std::fprintf(stderr, "%s\n", qPrintable(qv::ShowableText(r.Text)));
    return r.Buttons & qv::pbNo ? qv::pbNo : qv::pbOK;
  }
  QString OpenFile(const qv::TFileRequest&) override { return QString(); }
  QString SaveFile(const qv::TFileRequest&) override { return QString::fromStdString(Project); }
  QString ChooseFolder(const QString&, const QString&) override { return QString(); }
  std::optional<QColor> ChooseColor(const QColor&) override { return std::nullopt; }
  int ExecDialog(QDialog&) override { return 0; }
};

int Make(const std::string& file, int w, int h) {
  qv::Bitmap24 bmp(w, h);
  for (int y = 0; y < h; ++y) {
    uint8_t* p = bmp.Row(y);
    for (int x = 0; x < w; ++x, p += 3) {
      p[0] = uint8_t(((x >> 7) + (y >> 7)) & 1 ? 200 : 60);
      p[1] = uint8_t(int64_t(y) * 255 / h);
      p[2] = uint8_t(int64_t(x) * 255 / w);
    }
  }
  qv::SaveJpegFile(file, bmp, 85);
  std::printf("%s: %d x %d\n", file.c_str(), w, h);
  return 0;
}

int Measure(int argc, char** argv, const std::string& file, int cols, int rows) {
  QApplication app(argc, argv);
  qvtest::TempDir dir;
  qvtest::TSourceHost host;
  host.Settings = dir.File("qv003.ini");
  qvtest::WriteSyntheticLibrary(dir.File("lib.qv2"), 20);
  host.Lib.Open(dir.File("lib.qv2"));
  TProjectPrompts prompts;
  prompts.Project = dir.File("big.qvp");
  qv::SetPrompts(&prompts);
  qv::TSrcSetup window(host);
  window.resize(1000, 760);
  window.show();
  QApplication::processEvents();
  gBase = StatusBytes("VmRSS:");
  std::printf("start: %.0f MiB resident\n", MiB(gBase));

  int64_t pictureBytes = 1;
  {
    TStep step;
    window.OpenImage(file);
    QApplication::processEvents();
    const qv::Bitmap24& p = window.CropImage()->Picture();
    pictureBytes = int64_t(p.Width()) * p.Height() * 3;
    std::printf("picture %d x %d: %.0f MiB of pixels\n", p.Width(), p.Height(), MiB(pictureBytes));
    step.Report("open and show", pictureBytes);
  }
  {
    TStep step;
    window.SetTiles(cols, rows);
    window.OriginalFitImg();
    const qv::Rect f = window.CropImage()->PictureCropRect();
    window.CropImage()->SetCropRect(
        {f.Left + f.Width() / 10, f.Top + f.Height() / 10, f.Right - f.Width() / 10, f.Bottom - f.Height() / 10});
    window.FitImg();
    QApplication::processEvents();
    step.Report("frame (largest, then 80 %)", pictureBytes);
  }
  {
    TStep step;
    const bool made = window.Apply();
    step.Report(made ? "Apply (project made)" : "Apply (no project)", pictureBytes);
  }
  qv::SetPrompts(nullptr);
  return host.Plan1.TableIsOpen() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--make")
    return Make(argv[2], argc >= 5 ? std::atoi(argv[3]) : 40000, argc >= 5 ? std::atoi(argv[4]) : 30000);
  if (argc < 2) {
    std::fprintf(stderr, "usage: source_picture_uibench --make PICTURE.jpg [W H] | PICTURE.jpg [COLS ROWS]\n");
    return 2;
  }
  return Measure(argc, argv, argv[1], argc >= 4 ? std::atoi(argv[2]) : 100, argc >= 4 ? std::atoi(argv[3]) : 75);
}
