#pragma once
// The main window's side of the source image setup window for its tests, with real tables:
// projects are opened and saved as the main window does it; the recent files and the saves
// are counted.
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/QVData.h"
#include "source/SourceSetupHost.h"

namespace qvtest {

struct TSourceHost : qv::TSourceSetupHost {
  qv::TQVData Lib, Plan1, Mosaic1;
  int Saved = 0;
  std::vector<std::string> Recent;
  std::string Settings;
  qv::TQVData& Library() override { return Lib; }
  qv::TQVData& Plan() override { return Plan1; }
  qv::TQVData& Mosaic() override { return Mosaic1; }
  void OpenProject(const std::string& f) override {
    if (!Plan1.OpenProject(f, Mosaic1)) throw std::runtime_error("cannot open " + f);
  }
  void SaveProject() override {
    Mosaic1.CompactSections();
    Plan1.SaveProject(Plan1.BaseName(), Mosaic1, Lib);
    ++Saved;
  }
  void InsertRecentFile(const std::string& f) override { Recent.push_back(f); }
  void MosaicCellsChanged() override {}
  void ShowHelpTopic(int) override {}
  const std::string& SettingsPath() override { return Settings; }
};

}  // namespace qvtest
