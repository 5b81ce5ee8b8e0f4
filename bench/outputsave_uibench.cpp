// Saves a project's mosaic from the output setup window, as "Save mosaic..." and "Save as"
// do, on the offscreen platform; bench/output_window_compare.sh runs it beside quivara-cli
// render with the same settings to compare time and peak memory.
//
//   outputsave_uibench PROJECT.qvp OUT.{tif,bmp,jpg} --width N [--direct]
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "ScriptedPromptsLite.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/Prompts.h"
#include "models/OutputLayout.h"
#include "outputui/OutputSetup.h"
#include "outputui/SaveMosaic.h"
#include "settings/AppSettings.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 5 || std::strcmp(argv[3], "--width") != 0) {
    std::fprintf(stderr, "usage: outputsave_uibench PROJECT.qvp OUT.{tif,bmp,jpg} --width N [--direct]\n");
    return 2;
  }
  const std::string project = argv[1], out = argv[2];
  const int width = std::atoi(argv[4]);
  const bool direct = argc > 5 && std::strcmp(argv[5], "--direct") == 0;
  char tmpl[] = "/tmp/qvbenchXXXXXX";
  if (!::mkdtemp(tmpl)) return 1;
  const std::string settings = std::string(tmpl) + "/qv003.ini";
  qvbench::TAnsweringPrompts prompts;  // JPEG quality 85, stored thumbs, no opening
  qv::SetPrompts(&prompts);

  qv::TForm1 form(settings);
  form.OpenQVP(project);
  auto dialog = qv::PrepareOutputSetup(form);
  if (!dialog) return 1;
  qv::SetWidthEntry(dialog->Settings(), dialog->Grid(), width);
  dialog->Settings().DirectToDisk = direct;
  dialog->Settings().OpenAfterSave = false;
  dialog->RefreshFigures();
  dialog->show();
  const std::string ext = out.substr(out.size() - 4);
  const int type = ext == ".jpg" ? qv::kTypeJpeg : ext == ".bmp" ? qv::kTypeBmp : qv::kTypeTiff;
  QElapsedTimer t;
  t.start();
  dialog->SaveAs(QString::fromStdString(out), type);
  std::printf("%s\n%lld ms\n", dialog->StatusText().toUtf8().constData(), static_cast<long long>(t.elapsed()));
  qv::SetPrompts(nullptr);
  return prompts.Errors ? 1 : 0;
}
