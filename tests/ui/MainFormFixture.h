#pragma once
// What the main window tests share: a temporary folder holding the settings file, scripted
// prompts, and small libraries and projects made with the engine from tiny JPEG pictures.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "FindChild.h"
#include "ScriptedPrompts.h"
#include "engine/EngineTestSupport.h"
#include "engine/QVData.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/Prompts.h"
#include "settings/AppSettings.h"
#include "support/TestFiles.h"

namespace qvtest {

struct TMainFormFixture {
  TempDir Dir;
  TScriptedPrompts Prompts;
  const std::string SettingsFile = Dir.File("qv003.ini");

  TMainFormFixture() { qv::SetPrompts(&Prompts); }
  ~TMainFormFixture() { qv::SetPrompts(nullptr); }

  // The settings file of the windows the test makes (TForm1 form(fx.Settings())).
  const std::string& Settings() const { return SettingsFile; }

  // A library of count tiles cut from pictures of 24 x 18 pixels, each of its own colours.
  std::string MakeLibrary(const std::string& name, int count, int propX = 4, int propY = 4, int grid = 6,
                          uint32_t firstSeed = 1) {
    const std::string root = Dir.File(name + "_pictures");
    std::filesystem::create_directories(root);
    for (int i = 0; i < count; ++i) WriteTestJpeg(root + "/p" + std::to_string(i) + ".jpg", 24, 18, firstSeed + i);
    qv::TBuildSettings settings = NewLibrarySettings(root);
    settings.PropX = propX;
    settings.PropY = propY;
    settings.GridW = settings.GridH = grid;
    settings.Threads = 1;
    const std::string file = Dir.File(name + ".qv2");
    qv::TQVData t;
    if (!t.CreateLibrary(file, settings)) throw std::runtime_error("cannot build " + file);
    return file;
  }

  // A new project of cols x rows empty cells on the library, made from a drawn source
  // picture.
  std::string MakeProject(const std::string& name, const std::string& library, int cols, int rows) {
    qv::TQVData lib;
    lib.Open(library);
    const int w = cols * lib.PropX * 3, h = rows * lib.PropY * 3;
    const std::string source = Dir.File(name + "_source.jpg");
    WriteTestJpeg(source, w, h, 777);
    const std::string file = Dir.File(name + ".qvp");
    lib.CreateProject(file, DrawTestPicture(w, h, 777), {source, qv::Rect{0, 0, w, h}}, qv::Size{cols, rows});
    return file;
  }
};

// Tile numbers of every mosaic cell, in record order.
inline std::vector<int32_t> CellTiles(const qv::TQVData& mosaic) {
  std::vector<int32_t> v;
  for (int32_t n = 1; n <= mosaic.Count; ++n) v.push_back(mosaic.RecordTileNo(n));
  return v;
}

inline int FilledCells(const qv::TQVData& mosaic) {
  int k = 0;
  for (int32_t t : CellTiles(mosaic)) k += t > 0;
  return k;
}

}  // namespace qvtest
