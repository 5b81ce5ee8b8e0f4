#include "app/StartUp.h"

#include "library/LibraryCommands.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/SplashForm.h"
#include "manual/ManualCommands.h"
#include "outputui/SaveMosaic.h"
#include "prefs/PrefsForm.h"
#include "source/SourceCommands.h"
#include "wizard/WizardCommand.h"

namespace qv {

std::unique_ptr<TForm1> StartMainWindow(const TStartUpRequest& request) {
  auto form = std::make_unique<TForm1>(request.SettingsPath);
  if (request.Splash) form->SetSplashForm(request.Splash);
  InstallLibraryCommands(*form);
  InstallSaveMosaic(*form);
  InstallSourceCommands(*form);
  InstallManualTilesCommands(*form);
  InstallPreferences(*form);
  InstallWizard(*form, request.OfferWizard);
  form->StartUpSetup();
  // Opened before the window shows, so a wizard offered at start finds them open.
  for (const QString& f : request.Files) form->OpenCommandLineFile(f);
  if (request.Splash) request.Splash->hide();
  if (request.Size.isValid()) form->resize(request.Size);
  form->show();
  return form;
}

}  // namespace qv
