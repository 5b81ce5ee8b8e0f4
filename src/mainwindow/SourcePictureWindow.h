#pragma once
// The main window's view of the source image setup window, which the source layer installs
// (InstallSourceCommands): the main window opens pictures in it and hands it the source
// picture of every project it opens.
#include <string>

namespace qv {

class TSourcePictureWindow {
 public:
  virtual ~TSourcePictureWindow() = default;
  // Loads the picture into the window and shows it modally. A picture that cannot be read
  // raises the reader's error and changes nothing.
  virtual void OpenPicture(const std::string& fileName) = 0;
  // A project was opened: its source picture goes into the window.
  virtual void ProjectOpened() = 0;
};

}  // namespace qv
