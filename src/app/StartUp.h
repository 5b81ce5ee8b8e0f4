#pragma once
// The desktop program's start-up after its splash window: the main window with every
// command installed, what the settings ask to reopen, the files named on the command line,
// and the window shown (which offers the wizard when "StartUp"/"WizardOnStart" is on).
// main() runs it; the window tests run the same path.
#include <QSize>
#include <QStringList>
#include <memory>
#include <string>

namespace qv {

class TForm1;
class TSplashForm;

struct TStartUpRequest {
  std::string SettingsPath;
  TSplashForm* Splash = nullptr;  // kept for "About...", hidden once the window is ready
  QStringList Files;              // absolute names of projects and libraries to open
  bool OfferWizard = true;        // off when the program only takes a picture of its window
  QSize Size;                     // the window's size; invalid keeps the remembered one
};

std::unique_ptr<TForm1> StartMainWindow(const TStartUpRequest& request);

}  // namespace qv
