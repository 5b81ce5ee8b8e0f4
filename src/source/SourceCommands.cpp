#include "source/SourceCommands.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/SourcePictureWindow.h"
#include "settings/AppSettings.h"
#include "source/EnCropImage.h"
#include "source/SourceSetupHost.h"
#include "source/SrcSetup.h"

namespace qv {

namespace {

// The link between the main window and its source image setup window, both ways.
class TSourceLink : public QObject, public TSourcePictureWindow, public TSourceSetupHost {
 public:
  explicit TSourceLink(TForm1& form) : QObject(&form), form_(form) {
    Window = new TSrcSetup(*this, &form);
    Window->setObjectName("SrcSetup1");
    SetHelpContext(Window, TSrcSetup::kHelpContext);
  }
  ~TSourceLink() override {
    if (form_.SourceWindow == this) form_.SourceWindow = nullptr;
  }

  // ---- TSourcePictureWindow ----
  void OpenPicture(const std::string& fileName) override {
    Window->SetStretchVisible(form_.Preferences().StretchAllowed);
    Window->OpenImage(fileName);
    Prompts().ExecDialog(*Window);
  }
  void ProjectOpened() override {
    // The project's source picture, framed as the project has it. A picture that has gone or
    // cannot be read is left out. A project the window has just made from the picture it
    // shows keeps that picture (and any correction of it) instead of reading the file again.
    const TQVData& plan = form_.QVPlan1;
    const std::string& source = plan.SourceFileName;
    if (source.empty() || !FileExists(source)) return;
    if (Window->CropImage()->PictureFileName() != source) {
      try {
        Window->OpenImage(source);
      } catch (const EQuivara&) {
        return;
      }
    }
    Window->SetTiles(plan.Cols, plan.Rows);
    Window->CropImage()->SetCropRect(plan.SourceRect);
    Window->FitImg();
    Window->SetStatusText(FromCore(source));
  }

  // ---- TSourceSetupHost ----
  TQVData& Library() override { return form_.QVLib1; }
  TQVData& Plan() override { return form_.QVPlan1; }
  TQVData& Mosaic() override { return form_.QVMosaic1; }
  void OpenProject(const std::string& fileName) override { form_.OpenQVP(fileName); }
  void SaveProject() override { form_.SaveQVP(); }
  void InsertRecentFile(const std::string& fileName) override { form_.InsertRecentFile(fileName); }
  void MosaicCellsChanged() override { form_.MosaicView().ProjectOpened(); }
  void ShowHelpTopic(int context) override { qv::ShowHelpTopic(context); }
  const std::string& SettingsPath() override { return form_.SettingsPath(); }

  TSrcSetup* Window = nullptr;

 private:
  TForm1& form_;
};

TSrcSetup* SetupWindow(TForm1& form) { return form.findChild<TSrcSetup*>("SrcSetup1"); }

}  // namespace

TSrcSetup* InstallSourceCommands(TForm1& form) {
  auto* link = new TSourceLink(form);
  form.SourceWindow = link;

  TMainCommand open;
  open.Name = "Opensource1";
  open.Caption = "Open source image...";
  open.Glyph = "openimage";
  open.Run = [&form] { OpenSourceCommand(form); };
  open.Enabled = [&form] { return form.QVLib1.TableIsOpen(); };
  open.Button = "SpeedButton3";
  form.AddCommand(TMenuPlace::OpenSourceImage, open);
  form.AddMenuAction(TMenuPlace::RecentSourceImages, form.RecentMenu(TRecentKind::Image)->menuAction());

  TMainCommand source;
  source.Name = "Sourceimage1";
  source.Caption = "Source image";
  source.Glyph = "openimage";
  source.Shortcut = QKeySequence(Qt::CTRL | Qt::Key_I);
  source.Run = [&form] { SourceImageCommand(form); };
  form.AddCommand(TMenuPlace::SourceImage, source);
  return link->Window;
}

void OpenSourceCommand(TForm1& form) {
  if (!form.QVLib1.TableIsOpen()) return;
  TSrcSetup* window = SetupWindow(form);
  const std::string name = window->ChoosePicture();
  if (name.empty()) return;
  form.OpenPictureByName(name);
  RememberLastPath(form.SettingsPath(), kLastPathSource, name);
  form.ShowStatus();
  form.SetButtonsOnOff();
}

void SourceImageCommand(TForm1& form) {
  if (!form.QVLib1.TableIsOpen()) throw EQuivara("Please open library first!");
  TSrcSetup* window = SetupWindow(form);
  TEnCropImage* crop = window->CropImage();
  window->SetGridChecked(crop->ShowCells());
  window->SetStretchVisible(form.Preferences().StretchAllowed);
  if (form.QVPlan1.TableIsOpen()) {
    // The project's grid and its part of the picture, when the picture is in the window.
    if (crop->HasPicture()) {
      window->SetTiles(form.QVPlan1.Cols, form.QVPlan1.Rows);
      crop->SetCropRect(form.QVPlan1.SourceRect);
      window->FitImg();
    }
  } else {
    crop->SetScale(window->XTiles() * form.QVLib1.PropX, window->YTiles() * form.QVLib1.PropY);
    if (crop->HasPicture()) window->FitImg();
  }
  Prompts().ExecDialog(*window);
  form.ShowStatus();
  form.SetButtonsOnOff();
}

}  // namespace qv
