#pragma once
// What the source image setup window needs of the main window: its three tables and the
// project commands that open, save and list the project it makes.
#include <string>

namespace qv {

class TQVData;

class TSourceSetupHost {
 public:
  virtual ~TSourceSetupHost() = default;
  virtual TQVData& Library() = 0;
  virtual TQVData& Plan() = 0;
  virtual TQVData& Mosaic() = 0;
  // Opens a project in the main window (OpenQVP).
  virtual void OpenProject(const std::string& fileName) = 0;
  // Saves the open project under its own name (SaveQVP).
  virtual void SaveProject() = 0;
  // Puts a file on the recent list of its kind.
  virtual void InsertRecentFile(const std::string& fileName) = 0;
  // The mosaic's cells were rewritten: the grid draws them again.
  virtual void MosaicCellsChanged() = 0;
  // Shows a help topic.
  virtual void ShowHelpTopic(int context) = 0;
  // The settings file (the window's bounds, the remembered folders, the scanner).
  virtual const std::string& SettingsPath() = 0;
};

}  // namespace qv
